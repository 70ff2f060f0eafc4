/** @file The mouse manager. */
#include "client/gumps/framework/mouse_manager.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/kz_report.h"
#include "client/data/art_image.h"
#include "client/data/gump_art.h"
#include "client/data/language_manager.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/gump.h"
#include "client/gumps/framework/gump_canvas.h"
#include "client/gumps/framework/gump_manager.h"
#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

namespace MouseManager {

bool HelpHold = false;

namespace {

constexpr int kFirstCursorArt = 24659;
constexpr int kCursorImages = 39;
constexpr uint16_t kHotSpotMark = 992;

struct CursorEntry {
    int firstArt = 0;
    int lastArt = 0;
    int hotX = 0;
    int hotY = 0;
    int width = 0;
    int height = 0;
    bool loaded = false;
};

struct CursorImage {
    int width = 0;
    int height = 0;
    std::vector<uint16_t> first;  // war images tinted
    std::vector<uint16_t> second; // for peace on maps other than 0
};

/** Pixels of the back buffer under the drawn cursor, one run per row piece. */
struct SavedRun {
    size_t offset;
    std::vector<uint16_t> pixels;
};

struct MouseState {
    // Guarded by positionLock.
    int x = 0;
    int y = 0;
    // Guarded by cursorLock.
    int cursorIndex = -1;
    // Guarded by rectLock.
    int drawnWidth = 0;
    int drawnHeight = 0;
    std::vector<SavedRun> underCursor;

    std::atomic<int> requested{0};
    std::atomic<bool> changed{false};
    std::atomic<int> waitCount{0};
    std::atomic<int> software{0};
    std::atomic<bool> redraw{false};

    // Main thread only.
    CGump* capture = nullptr;
    std::array<CursorEntry, kCursorKinds> table{};
    std::array<CursorImage, kCursorImages> images{};
    bool imagesLoaded = false;
    int helpState = 0;
    uint32_t helpStart = 0;
    int helpX = -1;
    int helpY = -1;
    CObj* hovered = nullptr;
    uint32_t helpRequestTick = 0;
    MouseWorldHooks world;
};

MouseState& state()
{
    static MouseState s;
    return s;
}

std::mutex& positionLock()
{
    static std::mutex m;
    return m;
}
std::mutex& cursorLock()
{
    static std::mutex m;
    return m;
}
std::mutex& rectLock()
{
    static std::mutex m;
    return m;
}

uint32_t tickNow()
{
    return platform::current().clock->tickCount();
}

int artRangeFirst(int kind)
{
    const int war = kind % kPeaceOffset;
    const int base = kind < kPeaceOffset ? kFirstCursorArt : kFirstCursorArt + kPeaceOffset;
    if (war < 16)
        return base + war % 8;
    if (war == 16)
        return base + 8;
    if (war == 17)
        return base + 9;
    return base + war - 18 + 11;
}

int artRangeLast(int kind)
{
    return kind % kPeaceOffset == 17 ? artRangeFirst(kind) + 1 : artRangeFirst(kind);
}

void storePosition(int x, int y)
{
    std::lock_guard<std::mutex> lock(positionLock());
    state().x = x;
    state().y = y;
}

bool validCapture(const char* handler)
{
    MouseState& s = state();
    if (s.capture == nullptr)
        return false;
    if (!IsLiveGump(s.capture)) {
        KZReport::error("MouseManager::%s: either pointer 'pCapture' is not valid, or the data it points to is not "
                        "valid. setting 'pCapture = 0'.\n",
                        handler);
        s.capture = nullptr;
        return false;
    }
    return true;
}

bool inHelpGump(CGump* gump)
{
    return CGumpManager::helpTextGump != nullptr && gump != nullptr &&
           (gump == CGumpManager::helpTextGump || gump->IsDescendantOf(CGumpManager::helpTextGump));
}

bool strictlyInside(CGump* gump, int x, int y)
{
    const GumpRect r = gump->ScreenRect();
    return x > r.left && x < r.right - 1 && y > r.top && y < r.bottom - 1;
}

void sendHelpTextRequest(uint32_t serial)
{
    CPacketSink* connection = MainConnection();
    if (connection == nullptr)
        return;
    // Id, serial, flag 0, then the player's three-letter language code.
    uint8_t packet[9] = {0xB6, static_cast<uint8_t>(serial >> 24), static_cast<uint8_t>(serial >> 16),
                         static_cast<uint8_t>(serial >> 8), static_cast<uint8_t>(serial), 0, 0, 0, 0};
    const char* code = LanguageManager::getUserLanguageCode();
    for (size_t i = 0; i < 3 && code != nullptr && code[i] != '\0'; ++i)
        packet[6 + i] = static_cast<uint8_t>(code[i]);
    connection->SendPacket(packet, sizeof packet);
}

void updateHelpHovering()
{
    MouseState& s = state();
    int px = 0, py = 0;
    GetPosition(px, py);
    CObj* under = s.world.objectAt ? s.world.objectAt(px, py) : nullptr;
    if (under == nullptr)
        s.hovered = nullptr;
    const uint32_t now = tickNow();
    switch (s.helpState) {
    case 0:
        s.helpStart = now;
        if (under != nullptr && under != s.hovered) {
            s.hovered = under;
            s.helpState = 1;
            s.helpX = px;
            s.helpY = py;
        }
        break;
    case 1:
        if (px == s.helpX && py == s.helpY) {
            if (now - s.helpStart >= static_cast<uint32_t>(std::max(PopupHelpPreDelay, 0)))
                s.helpState = 2;
        } else {
            s.helpX = px;
            s.helpY = py;
        }
        break;
    case 2:
        if (s.hovered != nullptr && PopupHelpEnabled != 0)
            sendHelpTextRequest(s.world.serialOf ? s.world.serialOf(s.hovered) : 0);
        s.helpRequestTick = now;
        s.helpState = 3;
        break;
    case 3:
        if (CGumpManager::helpTextGump != nullptr || now - s.helpRequestTick > 1999)
            s.helpState = 4;
        break;
    default:
        if (PopupHelpPersistant == 0 || CGumpManager::helpTextGump == nullptr)
            s.helpState = 0;
        break;
    }
    CGump* help = CGumpManager::helpTextGump;
    if (help != nullptr && !strictlyInside(help, px, py) && !HelpHold && !inHelpGump(s.capture))
        CGumpManager::DestroyGump(help);
}

class CoreMouseServices final : public MouseServices {
public:
    void Update() override { MouseManager::Update(); }
    void EnableSoftwareCursor(int on) override { MouseManager::EnableSoftwareCursor(on); }
    void SetCursor(int kind) override { MouseManager::SetCursor(kind); }
    void OnLButtonDown(int x, int y) override { MouseManager::OnLButtonDown(x, y); }
    void OnLButtonUp(int x, int y) override { MouseManager::OnLButtonUp(x, y); }
    void OnRButtonDown(int x, int y) override { MouseManager::OnRButtonDown(x, y); }
    void OnRButtonUp(int x, int y) override { MouseManager::OnRButtonUp(x, y); }
    void OnMouseMove(int x, int y) override { MouseManager::OnMouseMove(x, y); }
    bool UpdateCursorShape() override { return MouseManager::UpdateCursorShape(); }
    void GetPosition(int& x, int& y) override { MouseManager::GetPosition(x, y); }
    void DrawCursor(int flag) override { MouseManager::DrawCursor(flag); }
    bool TakeCursorRedraw() override { return MouseManager::TakeCursorRedraw(); }
    void PollCursor() override { MouseManager::PollCursor(); }
    void FlushCursor() override { MouseManager::FlushCursor(); }
    bool DrawsCursor() const override { return state().imagesLoaded && MouseManager::SoftwareCursorEnabled(); }
};

} // namespace

void startup()
{
    KZReport::message("MouseManager::startup: begin.\n");
    MouseState& s = state();
    {
        // Where the pointer is comes with the window's next motion; nothing is under it until then.
        std::lock_guard<std::mutex> lock(positionLock());
        s.x = s.y = 0;
    }
    s.waitCount = 0;
    s.capture = nullptr;
    {
        std::lock_guard<std::mutex> lock(cursorLock());
        s.cursorIndex = -1;
    }
    {
        std::lock_guard<std::mutex> lock(rectLock());
        s.drawnWidth = s.drawnHeight = 0;
        s.underCursor.clear();
    }
    s.requested = 0;
    s.changed = true;
    s.helpState = 0;
    s.hovered = nullptr;
    HelpHold = false;
    for (int kind = 0; kind < kCursorKinds; ++kind) {
        s.table[static_cast<size_t>(kind)] = {};
        s.table[static_cast<size_t>(kind)].firstArt = artRangeFirst(kind);
        s.table[static_cast<size_t>(kind)].lastArt = artRangeLast(kind);
    }
    s.images = {};
    s.imagesLoaded = false;
}

void shutdown()
{
    state().images = {};
    state().imagesLoaded = false;
}

void LoadCursors()
{
    MouseState& s = state();
    // The cursor images are static art: graphic + 0x4000 in the art file.
    auto image = [](int art) { return GetArtImage(0x4000 + art); };
    bool any = false;
    for (CursorEntry& entry : s.table) {
        for (int art = entry.firstArt; art <= entry.lastArt; ++art) {
            const ArtImage* img = image(art);
            if (img == nullptr)
                continue;
            // The hot spot is marked by the first pixel of 992 in the top row and in the left column.
            entry.hotX = entry.hotY = 0;
            for (int x = 0; x < img->width; ++x)
                if (GetArtPixel(img, x, 0) == kHotSpotMark) {
                    entry.hotX = x;
                    break;
                }
            for (int y = 0; y < img->height; ++y)
                if (GetArtPixel(img, 0, y) == kHotSpotMark) {
                    entry.hotY = y;
                    break;
                }
            entry.width = std::max(entry.width, img->width & ~1);
            entry.height = std::max(entry.height, img->height);
            entry.loaded = true;
        }
    }
    const int32_t tint = CombatHueColor;
    for (int i = 0; i < kCursorImages; ++i) {
        CursorImage& c = s.images[static_cast<size_t>(i)];
        const ArtImage* img = image(kFirstCursorArt + i);
        if (img == nullptr) {
            c = {};
            continue;
        }
        any = true;
        c.width = img->width & ~1;
        c.height = img->height;
        c.first.assign(static_cast<size_t>(c.width) * c.height, 0);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                c.first[static_cast<size_t>(y) * c.width + x] = GetArtPixel(img, x, y);
        c.second = c.first;
        // The war images take the configured colour, scaled by each pixel's red level.
        if (i < kPeaceOffset && tint > 0)
            for (uint16_t& p : c.first)
                if (p != 0) {
                    const int level = (p >> 10) & 31;
                    const int r = level * ((tint >> 10) & 31) / 32;
                    const int g = level * ((tint >> 5) & 31) / 32;
                    const int b = level * (tint & 31) / 32;
                    p = static_cast<uint16_t>((r << 10) | (g << 5) | b);
                    if (p == 0)
                        p = 1; // stays opaque
                }
        if (use565 != 0) {
            for (uint16_t& p : c.first)
                p = Convert555To565(p);
            for (uint16_t& p : c.second)
                p = Convert555To565(p);
        }
    }
    s.imagesLoaded = any;
    if (!any)
        KZReport::warning("MouseManager::LoadCursors: no cursor art; the system pointer stays.\n");
    s.changed = true;
}

// Position and capture.

void GetPosition(int& x, int& y)
{
    std::lock_guard<std::mutex> lock(positionLock());
    x = state().x;
    y = state().y;
}

void OnMouseMove(int x, int y)
{
    storePosition(x, y);
    UpdateCursorShape();
}

void SetCapture(CGump* gump)
{
    if (gump != nullptr && !IsLiveGump(gump)) {
        KZReport::error("MouseManager::SetCapture: either pointer 'pCapture' is not valid, or the data it points to is "
                        "not valid. setting 'pCapture = 0'.\n");
        gump = nullptr;
    }
    state().capture = gump;
}

CGump* Capture()
{
    return state().capture;
}

void ForgetGump(CGump* gump)
{
    MouseState& s = state();
    if (s.capture == gump)
        s.capture = nullptr;
}

// Buttons.

void OnLButtonDown(int x, int y)
{
    storePosition(x, y);
    CGumpManager::PassGuard pass;
    MouseState& s = state();
    if (s.capture == nullptr)
        s.capture = CGumpManager::GetGumpAt(x, y, nullptr, 1);
    if (!validCapture("OnLButtonDown"))
        return;
    int gx = x, gy = y;
    s.capture->ScreenToGumpCoords(gx, gy);
    s.capture->OnLButtonDown(gx, gy);
}

void OnLButtonUp(int x, int y)
{
    storePosition(x, y);
    CGumpManager::PassGuard pass;
    MouseState& s = state();
    if (!validCapture("OnLButtonUp"))
        return;
    int gx = x, gy = y;
    if (!inHelpGump(s.capture) || s.capture == CGumpManager::helpTextGump)
        s.capture->ScreenToGumpCoords(gx, gy);
    s.capture->OnLButtonUp(gx, gy);
}

void OnRButtonDown(int x, int y)
{
    storePosition(x, y);
    CGumpManager::PassGuard pass;
    MouseState& s = state();
    if (s.capture == nullptr) {
        CGump* modal = CGumpManager::Modal();
        if (modal != nullptr) {
            int mx = x, my = y;
            modal->ScreenToGumpCoords(mx, my);
            if (modal->HitTest(mx, my))
                s.capture = modal->GetGumpAt(mx, my, nullptr);
        } else {
            for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling()) {
                if (g->visible == 0 || g->closing || (g->IsBarkGump() != 0 && g->IsItemPropGump() == 0))
                    continue;
                int gx = x, gy = y;
                g->ScreenToGumpCoords(gx, gy);
                if (g->HitTest(gx, gy)) {
                    s.capture = g->GetGumpAt(gx, gy, nullptr);
                    break;
                }
            }
        }
    }
    if (!validCapture("OnRButtonDown"))
        return;
    int gx = x, gy = y;
    s.capture->ScreenToGumpCoords(gx, gy);
    s.capture->OnRButtonDown(gx, gy);
}

void OnRButtonUp(int x, int y)
{
    storePosition(x, y);
    CGumpManager::PassGuard pass;
    MouseState& s = state();
    if (validCapture("OnRButtonUp")) {
        if (inHelpGump(s.capture) && s.capture != CGumpManager::helpTextGump) {
            s.capture = nullptr;
        } else {
            int gx = x, gy = y;
            s.capture->ScreenToGumpCoords(gx, gy);
            s.capture->OnRButtonUp(gx, gy);
        }
    }
    CGump* help = CGumpManager::helpTextGump;
    if (help != nullptr && strictlyInside(help, x, y))
        CGumpManager::DestroyGump(help);
}

// The tick.

void Update()
{
    MouseState& s = state();
    CGumpManager::PassGuard pass;
    updateHelpHovering();
    int px = 0, py = 0;
    GetPosition(px, py);
    if (s.capture != nullptr && !IsLiveGump(s.capture)) {
        KZReport::error("MouseManager::Update: either pointer 'pCapture' is not valid, or the data it points to is not "
                        "valid. setting 'pCapture = 0'.\n");
        s.capture = nullptr;
    }
    if (s.capture != nullptr) {
        int gx = px, gy = py;
        s.capture->ScreenToGumpCoords(gx, gy);
        s.capture->OnDrag(gx, gy);
    }
    CGump* under = CGumpManager::GetGumpAt(px, py, nullptr, 0);
    if (s.world.clearHighlight && under != CGumpManager::mouseonGump)
        s.world.clearHighlight();
    CGump* previous = CGumpManager::mouseonGump;
    if (previous != nullptr && previous != under && IsLiveGump(previous))
        previous->OnMouseLeave();
    CGumpManager::mouseonGump = under;
    // A gump may close itself in any of these calls; the pointers are cleared when it dies.
    if (under != nullptr) {
        int gx = px, gy = py;
        under->ScreenToGumpCoords(gx, gy);
        under->OnMouseOver(gx, gy);
        if (CGumpManager::mouseonGump == under)
            under->OnMouseTick();
    }
    // One tick per update: the capture under the pointer had its tick above.
    if (s.capture != nullptr && s.capture != under && IsLiveGump(s.capture))
        s.capture->OnMouseTick();
}

// Cursor kinds.

void SetCursor(int kind)
{
    MouseState& s = state();
    if (!g_bInGame)
        kind = kNormalCursor;
    if (kind == kWaitCursor && s.waitCount == 0)
        s.waitCount = 1;
    if (s.waitCount > 0)
        kind = kWaitCursor;
    if (s.requested.exchange(kind) != kind)
        s.changed = true;
}

int GetCursor()
{
    std::lock_guard<std::mutex> lock(cursorLock());
    return state().cursorIndex;
}

int RequestedCursor()
{
    return state().requested;
}

bool IsCursorDirty()
{
    return state().changed;
}

void BeginWait()
{
    ++state().waitCount;
}

void EndWait()
{
    std::atomic<int>& count = state().waitCount;
    int n = count.load();
    while (n > 0 && !count.compare_exchange_weak(n, n - 1)) {
    }
}

int WaitCount()
{
    return state().waitCount;
}

namespace {

/** The pointer's offset from the game area's centre; false when it lies outside the area. */
bool offsetFromCentre(int& dx, int& dy)
{
    int px = 0, py = 0;
    GetPosition(px, py);
    const GumpRect area = CGumpManager::GameArea();
    dx = px - (area.left + area.width() / 2);
    dy = py - (area.top + area.height() / 2);
    return area.contains(px, py);
}

bool near(int dx, int dy)
{
    return 9LL * dx * dx + 16LL * dy * dy <= 409600;
}

} // namespace

int GetDirection(bool anyPlace)
{
    int dx = 0, dy = 0;
    if (!offsetFromCentre(dx, dy) && !anyPlace)
        return -1;
    if (dx <= 0) {
        if (-2 * dx < dy)
            return 4;
        if (-dx < 2 * dy)
            return 5;
        if (dx < 2 * dy)
            return 6;
        if (2 * dx < dy)
            return 7;
        return 0;
    }
    if (dy < -2 * dx)
        return 0;
    if (2 * dy < -dx)
        return 1;
    if (2 * dy < dx)
        return 2;
    if (dy < 2 * dx)
        return 3;
    return 4;
}

bool IsNearCenter()
{
    int dx = 0, dy = 0;
    offsetFromCentre(dx, dy);
    return near(dx, dy);
}

bool GetTileUnderPoint(int x, int y, int& cellX, int& cellY)
{
    cellX = cellY = -1;
    const MouseWorldHooks& world = state().world;
    return world.tileAt && world.tileAt(x, y, cellX, cellY);
}

bool UpdateCursorShape()
{
    MouseState& s = state();
    int kind = s.requested;
    if (kind == 0) {
        int dx = 0, dy = 0;
        if (!offsetFromCentre(dx, dy))
            kind = kNormalCursor;
        else
            kind = GetDirection(true) + (near(dx, dy) ? 8 : 0);
    }
    if (!PlayerInWarMode())
        kind += kPeaceOffset;
    if (kind < -1 || kind >= kCursorKinds)
        return false;
    std::lock_guard<std::mutex> lock(cursorLock());
    if (kind == s.cursorIndex)
        return false;
    s.changed = true;
    {
        std::lock_guard<std::mutex> rect(rectLock());
        s.drawnWidth = s.table[static_cast<size_t>(kind)].width;
        s.drawnHeight = s.table[static_cast<size_t>(kind)].height;
    }
    s.cursorIndex = kind;
    return true;
}

int CursorWidth()
{
    std::lock_guard<std::mutex> lock(rectLock());
    return state().drawnWidth;
}

void HotSpot(int kind, int& x, int& y)
{
    x = y = 0;
    if (kind < 0 || kind >= kCursorKinds)
        return;
    x = state().table[static_cast<size_t>(kind)].hotX;
    y = state().table[static_cast<size_t>(kind)].hotY;
}

uint32_t DoubleClickTime()
{
    platform::Window* window = DisplayWindow();
    return window != nullptr ? window->doubleClickTime() : platform::kDefaultDoubleClickTime;
}

// The software cursor.

void EnableSoftwareCursor(int on)
{
    state().software = on != 0 ? 1 : 0;
    state().changed = true;
}

bool SoftwareCursorEnabled()
{
    return state().software != 0;
}

void DrawCursor(int)
{
    // The timer thread only marks the cursor: the main thread draws it into the next frame.
    state().redraw = true;
}

bool TakeCursorRedraw()
{
    return state().redraw.exchange(false);
}

void PollCursor()
{
    MouseState& s = state();
    if (s.software == 0 || !s.imagesLoaded)
        return;
    int px = 0, py = 0;
    GetPosition(px, py);
    int kind = -1;
    {
        std::lock_guard<std::mutex> lock(cursorLock());
        kind = s.cursorIndex;
    }
    if (kind < 0)
        return;
    const CursorEntry& entry = s.table[static_cast<size_t>(kind)];
    const int imageIndex = entry.firstArt - kFirstCursorArt;
    if (imageIndex < 0 || imageIndex >= kCursorImages)
        return;
    const CursorImage& image = s.images[static_cast<size_t>(imageIndex)];
    if (image.width == 0)
        return;
    // War mode, or map 0: the first set; peace elsewhere: the second.
    const bool firstSet = PlayerInWarMode() || !s.world.mapNumber || s.world.mapNumber() == 0;
    const std::vector<uint16_t>& pixels = firstSet ? image.first : image.second;
    const int left = px - entry.hotX;
    const int top = py - entry.hotY;
    std::lock_guard<std::mutex> lock(rectLock());
    s.underCursor.clear();
    BackBufferView::current().forEachPiece(
        {left, top, left + image.width, top + image.height}, [&](const GumpCanvas& canvas) {
            for (int row = canvas.clip.top; row < canvas.clip.bottom; ++row) {
                uint16_t* dest = canvas.at(canvas.clip.left, row);
                s.underCursor.push_back({canvas.bufferOffset + static_cast<size_t>(row - canvas.clip.top) * canvas.pitch,
                                         std::vector<uint16_t>(dest, dest + canvas.clip.width())});
            }
            canvas.drawImage(CopySpanTransparent, pixels.data(), image.width, image.height, image.width, left, top);
        });
}

void FlushCursor()
{
    MouseState& s = state();
    {
        std::lock_guard<std::mutex> lock(rectLock());
        for (const SavedRun& run : s.underCursor)
            if (run.offset + run.pixels.size() <= BackBuffer.size())
                std::copy(run.pixels.begin(), run.pixels.end(), BackBuffer.begin() + static_cast<ptrdiff_t>(run.offset));
        s.underCursor.clear();
    }
    s.changed = false;
}

int HelpState()
{
    return state().helpState;
}

MouseWorldHooks& WorldHooks()
{
    return state().world;
}

MouseServices& services()
{
    static CoreMouseServices services;
    return services;
}

} // namespace MouseManager
