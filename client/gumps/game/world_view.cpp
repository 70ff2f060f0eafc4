/** @file The world view: click and right-button state machines, hover tracking, the actions on objects, the path walker. */
#include "client/gumps/game/world_view.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/kz_report.h"
#include "client/data/map_manager.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_control.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/net/game_handlers.h"
#include "client/net/game_handlers_common.h"
#include "client/net/game_state.h"
#include "client/net/packet_builders.h"
#include "client/render/graphic_manager.h"
#include "client/render/text_manager.h"
#include "client/render/world_drawing.h"
#include "client/world/draw_item.h"
#include "client/world/multi.h"
#include "client/world/object_manager.h"
#include "client/world/path_manager.h"
#include "client/world/terrain.h"
#include "client/world/walk.h"
#include "client/world/world_draw_services.h"
#include "platform/platform.h"
#include "platform/window/window.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

bool OldNotorietyMode = true;

namespace {

CMapGump* g_mapGump = nullptr;
uint32_t g_warningSerial = 0;

constexpr int kDragDistance = 4;
constexpr int kTargetCursor = 19;
/** Text over the player: the system's grey in the bold font. */
constexpr int32_t kPlayerTextHue = 946;
constexpr int32_t kPlayerTextFont = 3;

uint32_t tickNow()
{
    return platform::current().clock->tickCount();
}

platform::KeyModifiers modifiers()
{
    platform::Window* window = DisplayWindow();
    return window != nullptr ? window->modifiers() : platform::KeyModifiers{};
}

CPlayerMobile* thePlayer()
{
    return World().player;
}

void sayOverPlayer(const char* text)
{
    if (CPlayerMobile* p = thePlayer())
        p->AddOverheadMessage(text, kPlayerTextHue, kPlayerTextFont);
}

uint32_t serialOf(const CObj* thing)
{
    return thing != nullptr ? thing->GetSerial() : 0;
}

/** A step toward the pointer runs when the pointer is away from the centre of the game area. */
int pointerRun()
{
    return MouseManager::IsNearCenter() ? 0 : 1;
}

void sendUse(uint32_t serial)
{
    uint8_t packet[16];
    BuildUseObjectPacket(packet, serial);
    gamepackets::sendBuilt(packet);
}

void sendAttack(uint32_t serial)
{
    uint8_t packet[16];
    BuildAttackRequestPacket(packet, serial);
    gamepackets::sendBuilt(packet);
}

/** Asks a question through the installed hook; without one nothing happens (the action is not taken). */
void ask(const char* question, std::function<void()> yes, std::function<void()> no)
{
    if (worldViewHooks().askYesNo)
        worldViewHooks().askYesNo(question, std::move(yes), std::move(no));
}

CMobile* asMobile(CObj* thing)
{
    return thing != nullptr && thing->IsMobile() != 0 ? static_cast<CMobile*>(thing) : nullptr;
}

CDynamicObj* findDynamic(uint32_t serial)
{
    return serial != 0 ? CObjectManager::FindObject(serial) : nullptr;
}

/** The front-most item at a game-area point; land only when asked. */
CDrawItem* pick(int x, int y, bool withLand)
{
    return worldDraw().PickAt(x, y, withLand ? 0 : 1);
}

void invalidate(uint32_t serial)
{
    if (CDynamicObj* o = findDynamic(serial))
        o->Invalidate();
}

/** The renderer draws the tracked mobile, else the tracked object, highlighted. */
void updateHighlight(const CMapGump& view)
{
    const CDrawItem* shown = view.OnMobile();
    if (shown == nullptr)
        shown = view.OnObj();
    WorldView::hoveredObject = shown;
}

/** The client's own pick (a field picking a mobile) waits for a click. */
bool clientPickUp()
{
    return g_bTargetMode && g_worldTargetCallback != nullptr;
}

/** Answers the target cursor with the item picked at a game-area point (land only for a location target). */
void answerTarget(int x, int y)
{
    AnswerTarget(pick(x, y, !clientPickUp() && Game().target.cursorType == 1));
}

} // namespace

WorldViewHooks& worldViewHooks()
{
    static WorldViewHooks hooks;
    return hooks;
}

CMapGump* MapGump()
{
    return g_mapGump;
}

// ---- Construction -----------------------------------------------------------------------------

CMapGump::CMapGump()
{
    KZReport::message("CMapGump::CMapGump(): begin.\n");
    name = "map gump";
    SetFrameCount(1);
    width = GraphicManager::GetPlayWidth();
    height = GraphicManager::GetPlayHeight();
    AttachToParent(nullptr);
    g_mapGump = this;
    GraphicManager::pMapGump = this;
    if (AllowWindowResize != 0)
        CreateGameAreaEdgeGumps();
}

CMapGump::~CMapGump()
{
    KZReport::message("CMapGump::~CMapGump()\n");
    onMobile_ = 0;
    onObj_ = 0;
    WorldView::hoveredObject = nullptr;
    if (g_mapGump == this)
        g_mapGump = nullptr;
    if (GraphicManager::pMapGump == this)
        GraphicManager::pMapGump = nullptr;
}

bool CMapGump::HitTest(int px, int py)
{
    return px >= 0 && px < GraphicManager::GetPlayWidth() && py >= 0 && py < GraphicManager::GetPlayHeight();
}

void CMapGump::Update()
{
    int32_t left = 0, top = 0;
    GraphicManager::GetGameAreaCorner(left, top);
    const GumpRect area{left, top, left + GraphicManager::GetPlayWidth(), top + GraphicManager::GetPlayHeight()};
    const GumpRect now = CGumpManager::GameArea();
    if (now.left != area.left || now.top != area.top || now.right != area.right || now.bottom != area.bottom)
        CGumpManager::SetGameArea(area);
    width = area.right - area.left;
    height = area.bottom - area.top;
}

// ---- Tracked objects ----------------------------------------------------------------------------

CMobile* CMapGump::OnMobile() const
{
    return asMobile(findDynamic(onMobile_));
}

CDynamicObj* CMapGump::OnObj() const
{
    return findDynamic(onObj_);
}

void CMapGump::setOnMobile(uint32_t serial)
{
    if (serial == onMobile_)
        return;
    invalidate(onMobile_);
    onMobile_ = serial;
    invalidate(onMobile_);
    updateHighlight(*this);
}

void CMapGump::setOnObj(uint32_t serial)
{
    if (serial == onObj_)
        return;
    invalidate(onObj_);
    onObj_ = serial;
    invalidate(onObj_);
    updateHighlight(*this);
}

void CMapGump::ForgetObject(uint32_t serial)
{
    if (serial == 0)
        return;
    if (pendingSerial_ == serial)
        pendingSerial_ = 0;
    if (onMobile_ == serial)
        onMobile_ = 0;
    if (onObj_ == serial)
        onObj_ = 0;
    if (CDynamicObj* o = findDynamic(serial); o != nullptr && WorldView::hoveredObject == o)
        WorldView::hoveredObject = nullptr;
}

void CMapGump::OnMouseOver(int px, int py)
{
    const bool targeting = TargetCursorUp();
    MouseManager::SetCursor(targeting ? kTargetCursor : 0);
    lastX_ = px;
    lastY_ = py;
    CObj* under = CObjectManager::GetObjAtScreenLoc(px, py);
    CPlayerMobile* p = thePlayer();
    if ((p != nullptr && p->warMode != 0) || targeting) {
        CMobile* mobile = asMobile(under);
        setOnMobile(mobile != nullptr && mobile != p ? mobile->serial : 0);
    }
    const uint32_t serial = serialOf(under);
    setOnObj(serial != 0 && under->IsMovable() != 0 ? serial : 0);
}

void CMapGump::OnMouseLeave()
{
    setOnMobile(0);
    setOnObj(0);
}

// ---- Left button --------------------------------------------------------------------------------

void CMapGump::OnLButtonDown(int px, int py)
{
    CGumpManager::KillFocus();
    // A press takes the placement preview away first; the release then places (answers the target).
    if (PlacementPreview().Cancel())
        return;
    leftHeld_ = true;
    if (leftState_ == 1) {
        leftState_ = 2;
        grabX = px;
        grabY = py;
        return;
    }
    leftState_ = 1;
    firstClickTime_ = tickNow();
    grabX = px;
    grabY = py;
    pendingSerial_ = serialOf(CObjectManager::GetObjAtScreenLoc(px, py));
}

void CMapGump::OnDrag(int px, int py)
{
    if (leftHeld_ && (leftState_ == 1 || leftState_ == 2) &&
        (std::abs(px - grabX) > kDragDistance || std::abs(py - grabY) > kDragDistance)) {
        dragStarted_ = true;
        leftState_ = 0;
        StartDragAt(grabX, grabY);
    }
    if (rightHeld_ && rightState_ != 0 &&
        (std::abs(px - rightX_) > kDragDistance || std::abs(py - rightY_) > kDragDistance))
        rightState_ = 0;
    lastX_ = px;
    lastY_ = py;
}

void CMapGump::OnMouseTick()
{
    const uint32_t t = tickNow();
    const uint32_t d = MouseManager::DoubleClickTime();
    if (leftState_ == 1 && t - firstClickTime_ > d) {
        leftState_ = 0;
        pendingSerial_ = 0;
        if (leftHeld_) {
            dragStarted_ = true;
            StartDragAt(grabX, grabY);
        } else {
            SingleClickAt(grabX, grabY);
        }
    }
    if (rightHeld_ || walkPending_) {
        walkPending_ = false;
        RequestMouseWalkStep(MouseManager::GetDirection(true), pointerRun());
    }
    if (rightState_ == 1 && t - rightPressTime_ > d)
        rightState_ = 0;
}

void CMapGump::OnLButtonUp(int px, int py)
{
    leftHeld_ = false;
    if (dragStarted_) {
        dragStarted_ = false;
        leftState_ = 0;
    } else if (leftState_ == 2) {
        leftState_ = 0;
        CObj* thing = findDynamic(pendingSerial_);
        if (thing == nullptr)
            thing = CObjectManager::GetObjAtScreenLoc(px, py);
        pendingSerial_ = 0;
        UseObject(thing);
    } else if ((leftState_ == 0 && !dragTried_) || TargetCursorUp()) {
        leftState_ = 0;
        SingleClickAt(px, py);
    }
    dragTried_ = false;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CMapGump::StartDragAt(int px, int py)
{
    dragTried_ = true;
    CObj* thing = CObjectManager::GetObjAtScreenLoc(px, py);
    CPlayerMobile* p = thePlayer();
    CMobile* mobile = asMobile(thing);
    if (p != nullptr && p->IsGhost() != 0 && (mobile == nullptr || Game().party.find(mobile->serial) == nullptr)) {
        dragStarted_ = false;
        leftState_ = 0;
        return;
    }
    if (mobile != nullptr) {
        CGump* bar = worldViewHooks().statusBarFor ? worldViewHooks().statusBarFor(*mobile) : nullptr;
        if (bar == nullptr)
            return;
        bar->grabX = bar->width / 2;
        bar->grabY = bar->height / 2;
        MouseManager::SetCapture(bar);
        uint8_t packet[16];
        BuildStatusRequestPacket(packet, 4, mobile->serial);
        gamepackets::sendBuilt(packet);
        return;
    }
    const bool lifting = World().pickUpPending || (worldViewHooks().dragging && worldViewHooks().dragging());
    if (thing == nullptr || lifting || thing->IsMovable() == 0)
        return;
    CObjectManager::GetObject(thing, 0);
    dragStarted_ = false;
    leftState_ = 0;
}

void CMapGump::SingleClickAt(int px, int py)
{
    if (TargetCursorUp() && CGumpManager::Modal() == nullptr) {
        answerTarget(px, py);
        return;
    }
    CObj* thing = CObjectManager::GetObjAtScreenLoc(px, py);
    if (thing == nullptr)
        return;
    const platform::KeyModifiers keys = modifiers();
    CMobile* mobile = asMobile(thing);
    CPlayerMobile* p = thePlayer();
    if (keys.alt && !keys.ctrl && mobile != nullptr && p != nullptr) {
        if (mobile == p) {
            sayOverPlayer(p->following != 0 ? "Stopped following." : "Not following.");
            p->following = 0;
            Game().following = false;
            PathManager::FreeLists();
        } else {
            sayOverPlayer("Now following.");
            p->following = 1;
            p->followedSerial = mobile->serial;
            Game().following = true;
        }
        return;
    }
    if (keys.shift && mobile != nullptr) {
        char text[64];
        const int length = std::snprintf(text, sizeof text, "vislist %u", mobile->serial);
        uint8_t packet[128];
        BuildTextCommandPacket(packet, 0x6B, text, static_cast<size_t>(length));
        gamepackets::sendBuilt(packet);
        return;
    }
    const uint32_t serial = serialOf(thing);
    if (serial == 0) {
        if (thing->overheadMessages == nullptr)
            if (const char* tileName = thing->GetTileName(); tileName != nullptr && tileName[0] != 0) {
                // The journal reads "You see: <name>", and the name shows where the player clicked.
                TextManager::PrefixMode() = 3;
                thing->AddOverheadMessage(tileName, 995, 3);
            }
        return;
    }
    uint8_t packet[16];
    BuildSingleClickPacket(packet, serial);
    gamepackets::sendBuilt(packet);
}

void CMapGump::UseObject(CObj* thing)
{
    const uint32_t serial = serialOf(thing);
    if (serial == 0 || TargetCursorUp())
        return;
    CPlayerMobile* p = thePlayer();
    if (CMobile* mobile = asMobile(thing)) {
        if (mobile == p) {
            sendUse(p->layers[25] == nullptr ? serial | 0x80000000u : serial);
        } else if (p == nullptr || p->warMode == 0) {
            sendUse(serial);
        } else if (NotorietyQuery != 0 && WorldDrawing::GetNotorietyHue(mobile) == 89) {
            ShowAttackWarning(serial);
        } else {
            sendAttack(serial);
        }
        return;
    }
    if (thing->IsCorpse() == 0) {
        CObjectManager::DoubleClick(thing);
        return;
    }
    // Corpses piled on one spot are all opened, from the head of the cell's list to its tail.
    const int32_t cx = thing->locX, cy = thing->locY, cz = thing->z;
    std::vector<uint32_t> corpses;
    for (CDrawItem* i = DrawMapThingie::table[static_cast<size_t>(DrawMapThingie::CellIndex(cx, cy))]; i != nullptr;
         i = i->nextDraw)
        if (i->IsObject() != 0 && static_cast<CObj*>(i)->IsCorpse() != 0 && i->locX == cx && i->locY == cy &&
            i->z == cz)
            corpses.push_back(static_cast<CObj*>(i)->GetSerial());
    if (corpses.empty())
        corpses.push_back(serial);
    for (uint32_t s : corpses)
        if (CDynamicObj* corpse = findDynamic(s))
            CObjectManager::DoubleClick(corpse);
}

CObj* CMapGump::GetObjectAt(int px, int py)
{
    CDrawItem* item = pick(px, py, false);
    if (item == nullptr || item->IsObject() == 0)
        return nullptr;
    auto* thing = static_cast<CObj*>(item);
    if (const uint32_t serial = thing->GetSerial(); serial != 0) {
        uint8_t packet[32];
        const char language[3] = {'E', 'N', 'U'};
        BuildHelpTextRequestPacket(packet, serial, 0, language);
        gamepackets::sendBuilt(packet);
    }
    return thing;
}

// ---- Right button ---------------------------------------------------------------------------------

void CMapGump::OnRButtonDown(int px, int py)
{
    rightHeld_ = true;
    if (rightState_ == 1 || rightState_ == 2) {
        rightState_ = 2;
    } else {
        rightState_ = 1;
        rightPressTime_ = tickNow();
    }
    rightX_ = px;
    rightY_ = py;
    walkPending_ = true;
}

void CMapGump::OnRButtonUp(int px, int py)
{
    rightHeld_ = false;
    if (rightState_ == 2) {
        rightState_ = 0;
        PathfindTo(px, py);
    } else if (walkPending_ && rightState_ == 0 && !Walk::State().resyncSent && Walk::State().unacknowledged == 0) {
        walkPending_ = false;
        RequestMouseWalkStep(MouseManager::GetDirection(false), pointerRun());
    }
    CGump* capture = MouseManager::Capture();
    if (capture != nullptr && capture->IsDragGump() == 0)
        MouseManager::SetCapture(nullptr);
}

// ---- Walking ----------------------------------------------------------------------------------------

bool RequestMouseWalkStep(int directionCode, int run)
{
    CPlayerMobile* p = thePlayer();
    if (p != nullptr && p->following != 0) {
        p->following = 0;
        Game().following = false;
        sayOverPlayer("Stopped following.");
    }
    const WalkState& walk = Walk::State();
    if (directionCode < 0 || walk.animated < walk.count)
        return false;
    return RequestWalk(directionCode, run, true);
}

void CMapGump::PathfindTo(int px, int py)
{
    const WalkState& walk = Walk::State();
    PathState& path = PathManager::State();
    if (AllowPathfind == 0 || path.active || walk.resyncSent || walk.unacknowledged != 0)
        return;
    CDrawItem* goal = pick(px, py, true);
    if (goal == nullptr)
        return;
    int32_t sx = MapManager::CenterX, sy = MapManager::CenterY, sz = MapManager::CenterZ;
    for (int32_t i = 0; i < walk.count; ++i) {
        const WalkStep& step = walk.queue[i];
        if (step.acknowledged != 0 || !step.IsMove())
            continue;
        sx += kDirDx[step.direction & 7];
        sy += kDirDy[step.direction & 7];
        sz = step.z;
    }
    PathNode* end = PathManager::FindPath(sx, sy, sz, goal->locX, goal->locY, goal->z, 500, 0);
    if (end == nullptr)
        end = PathManager::FindPath(sx, sy, sz, goal->locX, goal->locY, goal->z, 500, 1);
    if (end == nullptr) {
        sayOverPlayer("Can't get there");
        path = PathState{};
        return;
    }
    path.goal = end;
    LinkPathBackward();
    PathNode* start = end;
    while (start->parent != nullptr)
        start = start->parent;
    path.active = true;
    path.current = start;
    path.x = start->x;
    path.y = start->y;
    path.z = start->z;
    CPlayerMobile* p = thePlayer();
    path.direction = p != nullptr ? p->direction & 7 : 0;
    sayOverPlayer("Pathfinding!");
}

void StepAlongPath()
{
    PathState& path = PathManager::State();
    if (!path.active || path.current == nullptr || Walk::State().unacknowledged >= 3)
        return;
    PathNode* node = path.current;
    path.x = node->x;
    path.y = node->y;
    PathNode* child = node->next;
    if (child == nullptr) {
        PathManager::FreeLists();
        return;
    }
    int32_t direction = -1;
    for (int32_t d = 0; d < 8; ++d)
        if (kDirDx[d] == child->x - node->x && kDirDy[d] == child->y - node->y) {
            direction = d;
            break;
        }
    if (direction == -1) {
        // A node that is not one step from the next would hold the path (and every later one) for ever.
        PathManager::FreeLists();
        return;
    }
    if (direction == path.direction)
        path.current = child;
    path.direction = direction;
    RequestWalk((direction + 1) & 7, -1, true);
}

// ---- Targets --------------------------------------------------------------------------------------

bool TargetCursorUp()
{
    return Game().target.answersClicks || clientPickUp();
}

void CallTargetCallback(CDrawItem* picked)
{
    if (clientPickUp()) {
        const WorldTargetCallback callback = g_worldTargetCallback;
        callback(dynamic_cast<CObj*>(picked));
        return;
    }
    SendTargetResponse(picked);
}

void AnswerTarget(CDrawItem* picked)
{
    TargetState& t = Game().target;
    if (!clientPickUp() && NotorietyQuery != 0 && picked != nullptr && picked->IsMobile() != 0) {
        auto* mobile = static_cast<CMobile*>(picked);
        const int32_t kind = mobile->GetHighlightClass();
        const bool warn = (t.cursorFlag == 1 && kind == 1) || (t.cursorFlag == 2 && kind >= 4 && kind <= 6);
        if (warn) {
            CancelTargetMode();
            t.cursorFlag = 0;
            MouseManager::SetCursor(0);
            if (CMapGump* view = MapGump())
                view->ClearOnMobile();
            mobile->Invalidate();
            ShowTargetCriminalWarning(mobile->serial);
            return;
        }
    }
    CallTargetCallback(picked);
    if (picked != nullptr)
        picked->Invalidate();
}

// ---- Warnings ---------------------------------------------------------------------------------------

void ShowTargetCriminalWarning(uint32_t serial)
{
    g_warningSerial = serial;
    ask(
        "This may flag you criminal!",
        [] {
            if (CDynamicObj* o = findDynamic(g_warningSerial))
                CallTargetCallback(o);
        },
        [] { SendTargetCancel(); });
}

void ShowAttackWarning(uint32_t serial)
{
    for (CMobile* m = World().mobiles.head; m != nullptr && OldNotorietyMode; m = m->mobileLinks.next)
        if (m->highlightClass >= 100)
            OldNotorietyMode = false;
    g_warningSerial = serial;
    ask(OldNotorietyMode ? "This may flag you criminal!" : "This will lower notoriety !",
        [] { sendAttack(g_warningSerial); }, [] {});
}
