/** @file The gump manager. */
#include "client/gumps/framework/gump_manager.h"

#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/core/unicode_string.h"
#include "client/data/language_manager.h"
#include "client/gumps/framework/input_window.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/framework/server_gump_packet.h"
#include "platform/message_box/message_box.h"
#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

CGump* CGumpManager::mouseonGump = nullptr;
CGump* CGumpManager::helpTextGump = nullptr;

namespace {

/** One rectangle of back-buffer pixels kept in the save buffer during a frame. */
struct SavedRect {
    size_t offset; // of the top-left pixel, in both buffers
    int width;
    int height;
    int pitch;
};

struct ManagerState {
    CGump* first = nullptr;
    CGump* last = nullptr;
    // Saved-next pointers of running loops: [0] the per-tick update, [1] every other loop.
    std::array<CGump*, 2> savedNext{};
    bool deleting = false;
    CGump* focus = nullptr;
    CGump* modal = nullptr;
    CGump* kept = nullptr;
    CGump* toolTip = nullptr;
    CGump* hoverGump = nullptr;
    uint32_t hoverTick = 0;
    int cascadeX = 16;
    int cascadeY = 16;
    std::vector<uint16_t> saveBuffer;
    std::vector<SavedRect> saved;
    GumpRect dirty;
    bool gameAreaSet = false;
    GumpRect gameArea;
    int passDepth = 0;
    std::vector<CGump*> closing;
    std::map<int, GumpFactory> factories;
    CGumpManager::MessageGumpFactory messageFactory;
    CGumpManager::ToolTipFactory toolTipFactory;
    GumpWorldHooks world;
    bool textsLoaded = false;
    std::array<LanguageSection*, 9> texts{};
};

ManagerState& state()
{
    static ManagerState s;
    return s;
}

uint32_t tickNow()
{
    return platform::current().clock->tickCount();
}

/** Runs a loop over the top-level list from the front with a saved-next pointer. */
template <typename F>
void forEachTopLevel(int slot, F&& action)
{
    ManagerState& s = state();
    CGump* previous = s.savedNext[static_cast<size_t>(slot)];
    for (CGump* g = s.first; g != nullptr;) {
        s.savedNext[static_cast<size_t>(slot)] = g->NextSibling();
        action(g);
        g = s.savedNext[static_cast<size_t>(slot)];
    }
    s.savedNext[static_cast<size_t>(slot)] = previous;
}

bool ask(const std::function<bool(CObj*)>& hook, CObj* object)
{
    return hook && object != nullptr && hook(object);
}

class CoreGumpServices final : public GumpManagerServices {
public:
    void Update() override { CGumpManager::Update(); }
    void DrawAllGumps(int left, int top, int right, int bottom, int lastPass) override
    {
        CGumpManager::DrawAllGumps(left, top, right, bottom, lastPass);
    }
    void ResetDC() override { CGumpManager::ResetDC(); }
    void SaveDesktop() override { CGumpManager::SaveDesktop(); }
    void ProcessDesktopQueue() override { CGumpManager::ProcessDesktopQueue(); }
    void RestoreDesktop() override { CGumpManager::RestoreDesktop(); }
    void ApplyDesktopPosition(uint32_t serial, CGump* container, CGump* spellbook) override
    {
        CGumpManager::ApplyDesktopPosition(serial, container, spellbook);
    }
    bool DesktopQueueStopped() override { return CGumpManager::DesktopQueueStopped(); }
    CGump* OpenGump(CObj* object, int gumpId, CGump* parent, int flag) override
    {
        return CGumpManager::OpenGump(object, gumpId, parent, flag, 0);
    }
    CGump* ShowMessageGump(const char* text, CGump* owner, int okButton, int flag, int unicode) override
    {
        return CGumpManager::ShowMessageGump(text, owner, okButton, flag, unicode);
    }
    CFocusedControl* FocusedControl() override { return CGumpManager::FocusedControl(); }
    void SendHelpRequest() override { ::SendHelpRequest(); }
    void OnServerGumpPacket(const uint8_t* bytes, size_t length) override { ::OnServerGumpPacket(bytes, length); }
    void OpenServerGump(const ServerGumpDescription& gump) override { ::OpenServerGump(gump); }
    void CloseGenericGumps(uint32_t gumpId, uint32_t buttonId) override { ::CloseGenericGumps(gumpId, buttonId); }
};

} // namespace

// Start-up and the list.

void CGumpManager::startup()
{
    KZReport::message("CGumpManager::startup(): begin.\n");
    ManagerState& s = state();
    s.saveBuffer.assign(static_cast<size_t>(640) * 480, 0);
    s.saved.clear();
    s.cascadeX = s.cascadeY = 16;
    s.first = s.last = nullptr;
    s.savedNext = {};
    s.focus = s.modal = s.kept = s.toolTip = s.hoverGump = nullptr;
    s.hoverTick = 0;
    s.dirty = {};
    s.gameAreaSet = false;
    s.passDepth = 0;
    s.closing.clear();
    mouseonGump = nullptr;
    helpTextGump = nullptr;
    s.texts = {};
    s.textsLoaded = false;
    ResetMinimizedSlots();
}

void CGumpManager::shutdown()
{
    KZReport::message("CGumpManager::shutdown(): begin.\n");
    ManagerState& s = state();
    while (s.first != nullptr)
        delete s.first;
    delete s.toolTip;
    s.toolTip = nullptr;
    helpTextGump = nullptr;
    s.closing.clear();
    s.saveBuffer.clear();
    s.saveBuffer.shrink_to_fit();
    s.saved.clear();
    s.texts = {};
    s.textsLoaded = false;
}

void CGumpManager::ResetDC()
{
    // The save buffer follows the back buffer's size; pixels kept for the old one are stale.
    ManagerState& s = state();
    s.saveBuffer.assign(BackBuffer.size(), 0);
    s.saved.clear();
}

CGump* CGumpManager::First()
{
    return state().first;
}

CGump* CGumpManager::Last()
{
    return state().last;
}

void CGumpManager::SetListEnds(CGump* first, CGump* last)
{
    state().first = first;
    state().last = first != nullptr ? last : nullptr;
}

void CGumpManager::ForgetDyingGump(CGump* gump)
{
    ManagerState& s = state();
    for (CGump*& next : s.savedNext)
        if (next == gump)
            next = gump->NextSibling();
    MouseManager::ForgetGump(gump);
    if (mouseonGump == gump)
        mouseonGump = nullptr;
    if (helpTextGump == gump)
        helpTextGump = nullptr;
    if (s.focus == gump)
        KillFocus();
    // A dead modal gump would block every click.
    if (s.modal == gump)
        s.modal = nullptr;
    if (s.kept == gump)
        s.kept = nullptr;
    if (s.toolTip == gump)
        s.toolTip = nullptr;
    if (s.hoverGump == gump)
        s.hoverGump = nullptr;
    std::erase(s.closing, gump);
    for (CGump* g = s.first; g != nullptr; g = g->NextSibling())
        if (g != gump && g->IsWaitingGump() != 0)
            g->ForgetGump(gump);
    if (gump->object != nullptr && s.world.forgetGump)
        s.world.forgetGump(gump->object, gump);
}

bool CGumpManager::SetDeleting(bool on)
{
    const bool was = state().deleting;
    state().deleting = on;
    return was;
}

// Passes and closing.

CGumpManager::PassGuard::PassGuard()
{
    ++state().passDepth;
}

CGumpManager::PassGuard::~PassGuard()
{
    ManagerState& s = state();
    if (--s.passDepth > 0)
        return;
    while (!s.closing.empty()) {
        CGump* gump = s.closing.back();
        s.closing.pop_back();
        delete gump;
    }
}

void CGumpManager::DestroyGump(CGump* gump)
{
    if (!IsLiveGump(gump))
        return;
    ManagerState& s = state();
    if (s.passDepth == 0) {
        delete gump;
        return;
    }
    if (gump->closing)
        return;
    gump->closing = true;
    AddDirty(gump->TreeRect());
    s.closing.push_back(gump);
}

void CGumpManager::CloseClosableGumps()
{
    PassGuard pass;
    forEachTopLevel(1, [](CGump* g) {
        if (g->IsClosable() != 0 && g != state().kept)
            DestroyGump(g);
    });
}

void CGumpManager::CloseAllClosableGumps()
{
    PassGuard pass;
    forEachTopLevel(1, [](CGump* g) {
        if (g->IsClosable() != 0)
            DestroyGump(g);
    });
}

void CGumpManager::CloseWorldGumps()
{
    PassGuard pass;
    forEachTopLevel(1, [](CGump* g) {
        if (g->IsMapGump() == 0 && g->IsGameAreaEdge() == 0 && g->IsInputGump() == 0 && g->IsPointerGump() == 0)
            DestroyGump(g);
    });
    AddDirty({0, 0, ScreenWidth, ScreenHeight});
}

void CGumpManager::SetKeptGump(CGump* gump)
{
    state().kept = gump;
}

// Hit tests.

CGump* CGumpManager::GetGumpAt(int x, int y, CGump* excluded, int speechFlag)
{
    ManagerState& s = state();
    if (s.modal != nullptr) {
        int mx = x, my = y;
        s.modal->ScreenToGumpCoords(mx, my);
        if (!s.modal->HitTest(mx, my))
            return nullptr;
        return s.modal->GetGumpAt(mx, my, excluded);
    }
    for (CGump* g = s.first; g != nullptr; g = g->NextSibling()) {
        if (!IsLiveGump(g)) {
            KZReport::error("CGumpManager::GetGumpAt: either pointer 'pGump' is not valid, or the data it points to is "
                            "not valid. returning NULL.\n");
            return nullptr;
        }
        if (g == excluded || g->visible == 0 || g->closing)
            continue;
        int gx = x, gy = y;
        g->ScreenToGumpCoords(gx, gy);
        if (!g->HitTest(gx, gy))
            continue;
        // A label over an item lets the click fall through to what lies behind it.
        if (speechFlag != 0 && g->IsBarkGump() != 0 && g->IsItemPropGump() == 0 && !g->HasSpeaker())
            continue;
        return g->GetGumpAt(gx, gy, nullptr);
    }
    return nullptr;
}

// Focus and modal.

void CGumpManager::SetFocus(CGump* gump)
{
    ManagerState& s = state();
    if (s.focus == gump)
        return;
    KillFocus();
    s.focus = gump;
}

void CGumpManager::KillFocus()
{
    ManagerState& s = state();
    CGump* old = s.focus;
    s.focus = nullptr;
    if (old != nullptr && !s.deleting && IsLiveGump(old))
        old->EndEditOnFocusLoss();
}

CGump* CGumpManager::Focus()
{
    return state().focus;
}

void CGumpManager::SetModal(CGump* gump)
{
    state().modal = gump;
}

CGump* CGumpManager::Modal()
{
    return state().modal;
}

CFocusedControl* CGumpManager::FocusedControl()
{
    CGump* focus = state().focus;
    return focus != nullptr ? focus->AsFocusedControl() : nullptr;
}

// Drawing.

void CGumpManager::SaveRect(const GumpCanvas& canvas, const GumpRect& rect)
{
    ManagerState& s = state();
    const GumpRect area = canvas.clip.intersect(rect);
    if (area.empty() || s.saveBuffer.size() != BackBuffer.size())
        return;
    const size_t offset = canvas.bufferOffset + static_cast<size_t>(area.top - canvas.clip.top) * canvas.pitch +
                          static_cast<size_t>(area.left - canvas.clip.left);
    for (int row = 0; row < area.height(); ++row) {
        const size_t at = offset + static_cast<size_t>(row) * canvas.pitch;
        std::memcpy(s.saveBuffer.data() + at, BackBuffer.data() + at, static_cast<size_t>(area.width()) * 2);
    }
    // The list grows as needed: a rectangle that is not kept would leave gump pixels in the world.
    s.saved.push_back({offset, area.width(), area.height(), canvas.pitch});
}

size_t CGumpManager::SavedRectCount()
{
    return state().saved.size();
}

void CGumpManager::AddDirty(const GumpRect& rect)
{
    ManagerState& s = state();
    // A field marks itself again with every key: an area already inside the gathered one adds nothing.
    const GumpRect& gathered = s.dirty;
    if (rect.left >= gathered.left && rect.top >= gathered.top && rect.right <= gathered.right &&
        rect.bottom <= gathered.bottom)
        return;
    s.dirty = s.dirty.unite(rect.intersect({0, 0, ScreenWidth, ScreenHeight}));
}

GumpRect CGumpManager::TakeDirty()
{
    const GumpRect dirty = state().dirty;
    state().dirty = {};
    return dirty;
}

void CGumpManager::DrawPiece(const GumpCanvas& canvas)
{
    ManagerState& s = state();
    // Back to front: every background is kept before any gump is drawn over it.
    for (int pass = 0; pass < 2; ++pass) {
        for (CGump* g = s.last; g != nullptr;) {
            CGump* prev = g->PrevSibling();
            if (!IsLiveGump(g)) {
                // Never followed: an entry that is not a live gump is dropped from the list.
                KZReport::error(pass == 0 ? "CGumpManager::DrawAllGumps: either pointer 'pGump' is not valid, or the "
                                            "data it points to is not valid. breaking out of pre-draw loop.\n"
                                          : "CGumpManager::DrawAllGumps: either pointer 'pGump' is not valid, or the "
                                            "data it points to is not valid. breaking out of draw loop.\n");
                break;
            }
            if (pass == 0)
                g->SaveBackground(canvas);
            else
                g->Draw(canvas);
            g = prev;
        }
    }
    if (s.toolTip != nullptr) {
        s.toolTip->SaveBackground(canvas);
        s.toolTip->Draw(canvas);
    }
}

void CGumpManager::BuildToolTip()
{
    ManagerState& s = state();
    if (UseToolTips == 0 || !s.toolTipFactory)
        return;
    int px = 0, py = 0;
    MouseManager::GetPosition(px, py);
    CGump* under = GetGumpAt(px, py, nullptr, 0);
    if (under == nullptr || std::strcmp(under->name, "tutorial gump") == 0)
        return;
    int gx = px, gy = py;
    under->ScreenToGumpCoords(gx, gy);
    const int id = under->GetToolTipId(gx, gy);
    const uint32_t now = tickNow();
    if (under != s.hoverGump) {
        s.hoverGump = under;
        s.hoverTick = now;
        return;
    }
    if (id == -1 || now - s.hoverTick <= static_cast<uint32_t>(std::max(ToolTipPreDelay, 0)))
        return;
    const CUnicodeString* text = GetGumpText(id);
    if (text == nullptr || text->GetLength() == 0)
        return;
    CGump* tip = s.toolTipFactory(*text);
    if (tip == nullptr)
        return;
    if (px > 320)
        tip->x = px - tip->width;
    else
        tip->x = MouseManager::CursorWidth() <= 250 ? px + MouseManager::CursorWidth() : px;
    tip->y = py > 240 ? py - tip->height : py;
    if (tip->x >= ScreenWidth || tip->y >= ScreenHeight) {
        delete tip;
        return;
    }
    s.toolTip = tip;
}

void CGumpManager::DrawAllGumps(int left, int top, int right, int bottom, int lastPass)
{
    ManagerState& s = state();
    PassGuard pass;
    const GumpRect rect{left, top, right, bottom};
    if (!rect.empty()) {
        BuildToolTip();
        const BackBufferView view = BackBufferView::current();
        if (s.saveBuffer.size() != BackBuffer.size()) {
            s.saveBuffer.assign(BackBuffer.size(), 0);
            s.saved.clear();
        }
        // Where the rectangle crosses the ring's wrap row or column it is drawn in pieces.
        view.forEachPiece(rect, [](const GumpCanvas& canvas) { DrawPiece(canvas); });
        // The tooltip lives for one frame: it is made again while the pointer rests.
        delete s.toolTip;
        s.toolTip = nullptr;
    }
    if (lastPass != 0)
        PresentAndRestore();
}

void CGumpManager::PresentAndRestore()
{
    ManagerState& s = state();
    for (CGump* g = s.first; g != nullptr; g = g->NextSibling())
        if (g->IsStatusGump() != 0)
            g->BeforePresent();
    PresentFrame();
    // Last saved first: the back buffer holds the world alone again.
    if (s.saveBuffer.size() == BackBuffer.size())
        for (auto it = s.saved.rbegin(); it != s.saved.rend(); ++it)
            for (int row = 0; row < it->height; ++row) {
                const size_t at = it->offset + static_cast<size_t>(row) * it->pitch;
                std::memcpy(BackBuffer.data() + at, s.saveBuffer.data() + at, static_cast<size_t>(it->width) * 2);
            }
    s.saved.clear();
    for (CGump* g = s.first; g != nullptr; g = g->NextSibling())
        g->drawn = 0;
}

// Ticks.

void CGumpManager::UpdateBarks()
{
    const uint32_t now = tickNow();
    PassGuard pass;
    forEachTopLevel(1, [now](CGump* g) {
        if ((g->IsBarkGump() != 0 || g->IsItemPropGump() != 0) && g->LifetimeOver(now))
            DestroyGump(g);
    });
}

void CGumpManager::Update()
{
    PassGuard pass;
    UpdateBarks();
    forEachTopLevel(0, [](CGump* g) {
        if (!g->closing)
            g->Update();
    });
}

// Opening.

void CGumpManager::RegisterGumpFactory(int gumpId, GumpFactory factory)
{
    state().factories[gumpId] = std::move(factory);
}

void CGumpManager::UnregisterGumpFactory(int gumpId)
{
    state().factories.erase(gumpId);
}

namespace {

CGump* raise(CGump* gump)
{
    gump->BringToFront(false);
    if (gump->minimized != 0)
        gump->Restore();
    gump->ClampToScreen();
    return gump;
}

CGump* findTopLevel(int (CGump::*kind)())
{
    for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
        if ((g->*kind)() != 0)
            return g;
    return nullptr;
}

CGump* make(int id, const GumpOpenRequest& request)
{
    const auto it = state().factories.find(id);
    if (it == state().factories.end() || !it->second) {
        KZReport::warning("CGumpManager::OpenGump: no window is known for gump %d.\n", request.gumpId);
        return nullptr;
    }
    return it->second(request);
}

} // namespace

CGump* CGumpManager::OpenGump(CObj* object, int gumpId, CGump* parent, int containerFlag, int statusFlag)
{
    ManagerState& s = state();
    if (object != nullptr) {
        CGump* found = FindGumpForObject(object, gumpId == 10, gumpId == 48, s.first, statusFlag);
        if (found != nullptr)
            return raise(found);
    }
    if (gumpId == 5000)
        if (CGump* options = findTopLevel(&CGump::IsOptionsGump)) {
            // Another options window is clamped, never doubled.
            for (CGump* g = s.first; g != nullptr; g = g->NextSibling())
                if (g->IsOptionsGump() != 0 && g != options)
                    g->ClampToScreen();
            return raise(options);
        }
    if (gumpId == 5010 || gumpId == 5011)
        if (CGump* radar = findTopLevel(&CGump::IsRadarGump)) {
            delete radar;
            gumpId = 5011;
        }
    if (gumpId == 7)
        if (CGump* journal = findTopLevel(&CGump::IsTextGump))
            return raise(journal);
    if (gumpId == 48) {
        PassGuard pass;
        forEachTopLevel(1, [](CGump* g) {
            if (g->IsShopGump() != 0)
                DestroyGump(g);
        });
    }

    GumpOpenRequest request;
    request.object = object;
    request.gumpId = gumpId;
    request.statusFlag = statusFlag;
    GetGumpArtSize(gumpId, &request.artWidth, &request.artHeight);
    const int w = request.artWidth;
    const int h = request.artHeight;
    const int screenW = ScreenWidth;
    CGump* gump = nullptr;
    switch (gumpId) {
    case 7:
    case 5010:
    case 5011:
        gump = make(gumpId, request);
        break;
    case 8:
        gump = make(gumpId, request);
        break;
    case 10:
        request.x = screenW - w;
        gump = make(gumpId, request);
        break;
    case 48:
        if (object == nullptr) {
            KZReport::error("CGumpManager::OpenGump, case '48': Prevented client crash by not calling 'NEW "
                            "CShopGump(150, 5, pObj);' when pObj==NULL. Return value will also be NULL.\n");
            return nullptr;
        }
        request.x = 150;
        request.y = 5;
        gump = make(gumpId, request);
        break;
    case 49: {
        int px = 0, py = 0;
        MouseManager::GetPosition(px, py);
        request.x = px - 50;
        request.y = py - 37;
        gump = make(gumpId, request);
        break;
    }
    case 5000: {
        int w1 = 0, h1 = 0;
        GetGumpArtSize(5001, &w1, &h1);
        if (w == 0 || w1 == 0) {
            platform::showMessageBox("Error", "Missing ClientCfg GUMP art!");
            return nullptr;
        }
        gump = make(gumpId, request);
        break;
    }
    default:
        if (containerFlag == 0) {
            request.x = screenW - w;
            if (s.factories.count(gumpId) != 0)
                gump = make(gumpId, request);
            else {
                gump = new CGump(request.x, 0, 0, object, 1, w, h);
                gump->artId = gumpId;
            }
        } else if (OffsetGumps != 0) {
            // Each container opens 16 pixels further on, back to 16 before it would reach the edges.
            s.cascadeX += 16;
            s.cascadeY += 16;
            if (s.cascadeX + w >= screenW - 16)
                s.cascadeX = 16;
            if (s.cascadeY + h >= ScreenHeight - 16)
                s.cascadeY = 16;
            request.x = s.cascadeX;
            request.y = s.cascadeY;
            gump = make(kContainerFactory, request);
        } else {
            request.x = screenW - w - 10;
            request.y = 10;
            gump = make(kContainerFactory, request);
        }
        break;
    }
    if (gump == nullptr)
        return nullptr;
    gump->AttachToParent(parent);
    AddDirty(gump->TreeRect());
    return gump;
}

CGump* CGumpManager::FindGumpForObject(CObj* object, int wantPaperdoll, int wantShop, CGump* start, int wantStatus)
{
    const GumpWorldHooks& world = state().world;
    for (CGump* g = start; g != nullptr; g = g->NextSibling()) {
        if (g->object == object && !g->closing) {
            if (g->IsCourseGump() != 0 || g->IsStackGump() != 0)
                return g;
            const bool flags = wantPaperdoll != 0 || wantShop != 0 || wantStatus != 0;
            if (ask(world.isContainer, object) && g->IsContainerGump() != 0 && !flags)
                return g;
            if (ask(world.isMobile, object)) {
                const bool paperdoll = g->IsPaperdollGump() != 0;
                const bool shop = g->IsShopGump() != 0;
                const bool status = g->IsStatusGump() != 0;
                if ((wantPaperdoll != 0 && paperdoll) || (wantShop != 0 && shop) || (wantStatus != 0 && status))
                    return g;
                if (!flags && !paperdoll && !shop && !status)
                    return g;
            }
        }
        if (CGump* inner = FindGumpForObject(object, wantPaperdoll, wantShop, g->FirstChild(), wantStatus))
            return inner;
    }
    return nullptr;
}

CGump* CGumpManager::FindGumpOfContainer(CObj* item)
{
    const GumpWorldHooks& world = state().world;
    CObj* holder = world.parentOf ? world.parentOf(item) : nullptr;
    if (holder == nullptr)
        return nullptr;
    const bool mobile = ask(world.isMobile, holder);
    const bool container = ask(world.isContainer, holder);
    for (CGump* g = state().first; g != nullptr; g = g->NextSibling())
        if (g->object == holder && ((mobile && g->IsPaperdollGump() != 0) || (container && g->IsContainerGump() != 0)))
            return g;
    return nullptr;
}

CGump* CGumpManager::ShowMessageGump(const char* text, CGump* owner, int okButton, int flag, int unicode)
{
    ManagerState& s = state();
    if (!s.messageFactory)
        return nullptr;
    CGump* gump = s.messageFactory(text, owner, okButton, flag, unicode);
    if (gump == nullptr)
        return nullptr;
    gump->AttachToParent(nullptr);
    s.modal = gump;
    AddDirty(gump->TreeRect());
    return gump;
}

void CGumpManager::SetMessageGumpFactory(MessageGumpFactory factory)
{
    state().messageFactory = std::move(factory);
}

void CGumpManager::SetToolTipFactory(ToolTipFactory factory)
{
    state().toolTipFactory = std::move(factory);
}

GumpRect CGumpManager::GameArea()
{
    const ManagerState& s = state();
    if (s.gameAreaSet)
        return s.gameArea;
    int w = 640, h = 480;
    GetPlaySize(w, h);
    return {0, 0, w, h};
}

void CGumpManager::SetGameArea(const GumpRect& area)
{
    state().gameArea = area;
    state().gameAreaSet = true;
}

GumpWorldHooks& CGumpManager::WorldHooks()
{
    return state().world;
}

// Texts and tables.

const CUnicodeString* CGumpManager::GetGumpText(int id)
{
    if (id < 0)
        return nullptr;
    ManagerState& s = state();
    static constexpr const char* kSections[9] = {"gt_5400", "gt_5000", "gt_4000", "gt_2400", "gt_2310",
                                                 "gt_2000", "gt_1010", "gt_0000", "tooltips"};
    static constexpr int kFirst[9] = {5400, 5000, 4000, 2400, 2310, 2000, 1010, 0, 100000};
    if (!s.textsLoaded) {
        s.textsLoaded = true;
        const char* code = LanguageManager::getUserLanguageCode();
        for (size_t i = 0; i < 9; ++i)
            s.texts[i] = LanguageManager::loadSection(kSections[i], code, kSections[i]);
    }
    // The first section whose range holds the id and that has the entry; past its end, the next one down.
    for (size_t i = 0; i < 9; ++i) {
        if (id < kFirst[i] || s.texts[i] == nullptr)
            continue;
        const int entry = id - kFirst[i];
        if (entry < s.texts[i]->getCount())
            if (const CUnicodeString* text = s.texts[i]->getStr(entry, true))
                return text;
    }
    return nullptr;
}

int CGumpManager::GetContainerGumpId(int graphic)
{
    struct Range {
        int first, last, gump;
    };
    static constexpr Range kTable[] = {
        {2448, 2448, 65},   {2476, 2476, 65},   {2481, 2481, 65},   {2472, 2472, 75},   {3712, 3712, 75},
        {2473, 2473, 68},   {3644, 3647, 68},   {3710, 3710, 68},   {2474, 2474, 67},   {3709, 3709, 67},
        {2475, 2475, 74},   {3708, 3708, 74},   {2480, 2480, 60},   {2482, 2482, 60},   {3701, 3701, 60},
        {3705, 3705, 60},   {2604, 2607, 81},   {2612, 2615, 81},   {2620, 2635, 81},   {2608, 2611, 72},
        {2616, 2619, 72},   {2636, 2637, 78},   {2640, 2641, 78},   {2638, 2639, 79},   {2642, 2643, 79},
        {2711, 2718, 77},   {3612, 3612, 2350}, {4013, 4013, 2350}, {3648, 3649, 66},   {3650, 3651, 73},
        {3702, 3702, 61},   {3703, 3704, 62},   {3707, 3707, 62},   {3711, 3711, 62},   {3715, 3715, 62},
        {4011, 4011, 62},   {4014, 4014, 62},   {4104, 4104, 62},   {5453, 5453, 62},   {6464, 6464, 62},
        {6870, 6871, 62},   {3706, 3706, 63},   {4006, 4006, 2330}, {7774, 7774, 82},   {11000, 11000, 71},
        {15973, 15973, 76}, {16019, 16019, 76}, {16046, 16046, 76}, {16057, 16057, 76},
    };
    for (const Range& r : kTable)
        if (graphic >= r.first && graphic <= r.last)
            return r.gump;
    return 9;
}

GumpRect CGumpManager::GetContainerContentRect(int gumpId)
{
    struct Entry {
        int gump;
        GumpRect rect;
    };
    static constexpr Entry kTable[] = {
        {7, {30, 30, 270, 170}},   {9, {20, 85, 124, 196}},   {60, {44, 65, 186, 159}},  {61, {29, 34, 137, 128}},
        {62, {33, 36, 142, 148}},  {63, {19, 47, 182, 123}},  {64, {16, 38, 152, 125}},  {65, {35, 38, 145, 116}},
        {66, {18, 105, 162, 178}}, {73, {18, 105, 162, 178}}, {74, {18, 105, 162, 178}}, {67, {16, 51, 184, 124}},
        {75, {16, 51, 184, 124}},  {68, {20, 10, 170, 100}},  {71, {16, 10, 148, 138}},  {72, {16, 10, 154, 94}},
        {81, {16, 10, 154, 94}},   {76, {46, 74, 196, 184}},  {77, {76, 12, 140, 68}},   {78, {24, 96, 196, 152}},
        {79, {24, 96, 196, 152}},  {82, {0, 0, 110, 62}},     {2330, {0, 0, 282, 230}},  {2350, {0, 0, 282, 210}},
    };
    for (const Entry& e : kTable)
        if (e.gump == gumpId)
            return e.rect;
    return {0, 0, 200, 200};
}

GumpManagerServices& CGumpManager::services()
{
    static CoreGumpServices services;
    return services;
}
