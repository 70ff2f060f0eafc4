/** @file The in-game windows' world services and the installation of the world view. */
#include "client/gumps/game/world_view_services.h"

#include "client/core/app.h"
#include "client/data/map_manager.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/list_box.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/game/world_view.h"
#include "client/gumps/login/login_flow.h"
#include "client/net/game_state.h"
#include "client/render/draw_grid.h"
#include "client/render/graphic_manager.h"
#include "client/world/object_manager.h"
#include "client/world/world_objects.h"

#include <functional>

namespace {

GameWorldGumps g_worldGumps;

/** A screen point made a game-area point. */
void toGameArea(int& x, int& y)
{
    const GumpRect area = CGumpManager::GameArea();
    x -= area.left;
    y -= area.top;
}

/** The object forgets a dying gump wherever it points to it. */
void forgetGump(CObj* object, CGump* gump)
{
    auto* dynamic = dynamic_cast<CDynamicObj*>(object);
    if (dynamic == nullptr)
        return;
    for (CGump*& held : dynamic->gumps)
        if (held == gump)
            held = nullptr;
    if (auto* container = dynamic_cast<CContainerObj*>(dynamic); container != nullptr && container->openGump == gump)
        container->openGump = nullptr;
    if (auto* map = dynamic_cast<CMapObj*>(dynamic); map != nullptr && map->courseGump == gump)
        map->courseGump = nullptr;
    if (auto* mobile = dynamic_cast<CMobile*>(dynamic); mobile != nullptr && mobile->tradeGump == gump)
        mobile->tradeGump = nullptr;
}

void installManagerHooks()
{
    GumpWorldHooks& gumps = CGumpManager::WorldHooks();
    gumps.isMobile = [](CObj* o) { return o != nullptr && o->IsMobile() != 0; };
    gumps.isCorpse = [](CObj* o) { return o != nullptr && o->IsCorpse() != 0; };
    gumps.isContainer = [](CObj* o) { return o != nullptr && o->IsContainer() != 0; };
    gumps.parentOf = [](CObj* o) { return o != nullptr ? o->parent : nullptr; };
    gumps.forgetGump = forgetGump;

    MouseWorldHooks& mouse = MouseManager::WorldHooks();
    mouse.objectAt = [](int x, int y) {
        toGameArea(x, y);
        return CObjectManager::GetObjAtScreenLoc(x, y);
    };
    mouse.serialOf = [](CObj* o) { return o != nullptr ? o->GetSerial() : 0u; };
    mouse.tileAt = [](int x, int y, int& cellX, int& cellY) {
        toGameArea(x, y);
        const CDrawItem* land = DrawGrid::PickNearestLand(x, y);
        if (land == nullptr)
            return false;
        cellX = land->locX;
        cellY = land->locY;
        return true;
    };
    mouse.mapNumber = [] { return static_cast<int>(MapManager::MapIndex()); };
}

} // namespace

bool GameWorldGumps::IsPartyMember(uint32_t serial)
{
    return Game().party.find(serial) != nullptr || next->IsPartyMember(serial);
}

void GameWorldGumps::ForgetObject(CDynamicObj& object)
{
    if (CMapGump* view = MapGump())
        view->ForgetObject(object.serial);
    next->ForgetObject(object);
}

void GameWorldGumps::BringToFront(CGump* gump)
{
    if (gump != nullptr && IsLiveGump(gump))
        gump->BringToFront(false);
    else
        next->BringToFront(gump);
}

void GameWorldGumps::ClearPendingObject()
{
    if (CMapGump* view = MapGump())
        view->ClearPendingObject();
    next->ClearPendingObject();
}

namespace {

/** The questions of the world view are the framework's yes/no gump; an answer closes it. */
void askYesNo(const char* question, std::function<void()> yes, std::function<void()> no)
{
    auto answer = [](std::function<void()> action) {
        return [action = std::move(action)](CYesNoGump& gump) {
            if (action)
                action();
            CGumpManager::DestroyGump(&gump);
        };
    };
    new CYesNoGump(question, answer(std::move(yes)), answer(std::move(no)), 0);
}

} // namespace

void InstallWorldView()
{
    if (g_worldGumps.next == nullptr) {
        g_worldGumps.next = &worldGumps();
        SetWorldGumpServices(&g_worldGumps);
    }
    installManagerHooks();
    worldViewHooks().askYesNo = askYesNo;
    TickHooks().stepAlongPath = StepAlongPath;
    SetWorldEntryHandler(EnterWorldView);
    if (MapGump() == nullptr)
        new CMapGump();
}

void UninstallWorldView()
{
    SetWorldEntryHandler(nullptr);
    TickHooks().stepAlongPath = nullptr;
    CGumpManager::WorldHooks() = GumpWorldHooks{};
    MouseManager::WorldHooks() = MouseWorldHooks{};
    worldViewHooks() = WorldViewHooks{};
    if (g_worldGumps.next != nullptr) {
        // Put back what was installed before, unless a later installer still stands on this one.
        if (&worldGumps() == &g_worldGumps)
            SetWorldGumpServices(g_worldGumps.next);
        g_worldGumps.next = nullptr;
    }
}

void EnterWorldView()
{
    if (CMapGump* view = MapGump())
        view->Update();
    CGumpManager::RestoreDesktop();
}
