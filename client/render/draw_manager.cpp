/** @file The world view's dirty rectangles, the scroll of the wrap-around back buffer and the per-frame flush. */
#include "client/render/draw_manager.h"

#include "client/core/display_mode.h"
#include "client/core/kz_report.h"
#include "client/render/draw_grid.h"
#include "client/render/lights.h"
#include "client/render/graphic_manager.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

struct DirtyState {
    std::array<BlitRect, DrawManager::kListRoom> list{};
    int32_t count = 0;
    bool fullRedraw = false;
    bool bigList = false;
    uint16_t* targetBase = nullptr;
};

DirtyState g_dirty;

bool isEmpty(const BlitRect& r) { return r.left >= r.right || r.top >= r.bottom; }

/** The rectangle cut to the area; empty rectangles stay empty. */
BlitRect clampTo(BlitRect r, const BlitRect& area)
{
    r.left = std::max(r.left, area.left);
    r.top = std::max(r.top, area.top);
    r.right = std::min(r.right, area.right);
    r.bottom = std::min(r.bottom, area.bottom);
    return r;
}

int64_t ringWidth() { return ScreenWidth; }
int64_t ringOffset(uint64_t total) { return total == 0 ? 0 : static_cast<int64_t>(ViewBufferOffset % total); }

/** Sets a play-area rectangle of the ring to 0. */
void clearRect(const BlitRect& r)
{
    DrawManager::VisitRows(r, [](uint16_t* pixels, int32_t count) { std::fill_n(pixels, count, uint16_t{0}); });
}

/** The whole-view redraw of RedrawAll and of a full list. */
void redrawWholeView()
{
    if (g_dirty.fullRedraw || GraphicManager::DeathFadeRunning())
        return;
    ViewBufferOffset = 0;
    g_dirty.count = 0;
    const BlitRect whole = DrawManager::PlayArea();
    DrawManager::DirtyRect(&whole);
    g_dirty.fullRedraw = true;
    std::fill(BackBuffer.begin(), BackBuffer.end(), uint16_t{0});
}

} // namespace

void DrawManager::startup()
{
    KZReport::message("DrawManager::startup: begin.\n");
    ResetDirtyState();
}

DrawManager::FlushHooks& DrawManager::hooks()
{
    static FlushHooks instance;
    return instance;
}

void DrawManager::VisitRows(const BlitRect& r, const std::function<void(uint16_t* pixels, int32_t count)>& visit)
{
    const uint64_t total = RingSize();
    if (total == 0 || isEmpty(r))
        return;
    const int64_t w = ringWidth();
    const int64_t o = ringOffset(total);
    const auto size = static_cast<int64_t>(total);
    uint16_t* pixels = BackBuffer.data();
    for (int64_t y = r.top; y < r.bottom; ++y) {
        const int64_t start = (o + y * w + r.left) % size;
        const int64_t count = r.right - r.left;
        const int64_t first = std::min(count, size - start);
        visit(pixels + start, static_cast<int32_t>(first));
        if (count > first)
            visit(pixels, static_cast<int32_t>(count - first));
    }
}

uint64_t DrawManager::RingSize()
{
    if (ScreenWidth <= 0 || ScreenHeight <= 0)
        return 0;
    const uint64_t total = static_cast<uint64_t>(ScreenWidth) * static_cast<uint64_t>(ScreenHeight);
    return BackBuffer.size() == total ? total : 0;
}

BlitRect DrawManager::PlayArea()
{
    if (RingSize() == 0)
        return {};
    return BlitRect{0, 0, std::min(GraphicManager::GetPlayWidth(), ScreenWidth),
                    std::min(GraphicManager::GetPlayHeight(), ScreenHeight)};
}

int32_t DrawManager::SplitAtWrap(const BlitRect& r, BlitRect (&pieces)[4])
{
    const uint64_t total = RingSize();
    if (isEmpty(r))
        return 0;
    const int64_t w = ringWidth();
    const int64_t wrap = static_cast<int64_t>(total) - ringOffset(total);
    const int64_t s = w * r.top + r.left;
    const int64_t e = w * (r.bottom - 1) + r.right - 1;
    if (total == 0 || (s < wrap) == (e < wrap)) {
        pieces[0] = r;
        return 1;
    }
    const auto row = static_cast<int32_t>(wrap / w);
    const auto column = static_cast<int32_t>(wrap % w);
    int32_t n = 0;
    auto add = [&](BlitRect piece) {
        if (!isEmpty(piece))
            pieces[n++] = piece;
    };
    if (column <= r.left) {
        add({r.left, r.top, r.right, row});
        add({r.left, row, r.right, r.bottom});
    } else if (column >= r.right) {
        add({r.left, r.top, r.right, row + 1});
        add({r.left, row + 1, r.right, r.bottom});
    } else {
        add({r.left, r.top, column, row + 1});
        add({column, r.top, r.right, row});
        add({column, row, r.right, r.bottom});
        add({r.left, row + 1, column, r.bottom});
    }
    return n;
}

void DrawManager::DirtyRect(const BlitRect* rect)
{
    if (rect == nullptr) {
        KZReport::print("DirtyRect: r == 0\n");
        return;
    }
    if (g_dirty.fullRedraw || GraphicManager::DeathFadeRunning())
        return;
    const BlitRect area = PlayArea();
    if (rect->left >= area.right || rect->right <= 0 || rect->top >= area.bottom || rect->bottom <= 0)
        return;
    const BlitRect clamped = clampTo(*rect, area);
    BlitRect pieces[4];
    const int32_t n = SplitAtWrap(clamped, pieces);
    for (int32_t i = 0; i < n; ++i)
        DirtyRect_Internal(&pieces[i]);
}

void DrawManager::DirtyRect_Internal(const BlitRect* rect)
{
    if (rect == nullptr) {
        KZReport::print("DirtyRect_Internal: r == 0\n");
        return;
    }
    if (g_dirty.fullRedraw)
        return;
    const BlitRect area = PlayArea();
    const BlitRect r = *rect;
    if (r.left >= area.right || r.right < 1 || r.top >= area.bottom || r.bottom < 1 || isEmpty(r))
        return;
    const int32_t capacity = g_dirty.bigList ? kListRoom : kNormalCapacity;
    if (g_dirty.count >= capacity) {
        redrawWholeView();
        return;
    }
    for (int32_t i = 0; i < g_dirty.count; ++i) {
        const BlitRect q = g_dirty.list[static_cast<size_t>(i)];
        if (!(r.left < q.right && q.left < r.right && r.top < q.bottom && q.top < r.bottom))
            continue;
        // Only the parts of r outside q are new: the sides within q's rows, then full-width bands.
        const int32_t top = std::max(r.top, q.top);
        const int32_t bottom = std::min(r.bottom, q.bottom);
        if (r.left < q.left) {
            const BlitRect piece{r.left, top, q.left, bottom};
            DirtyRect_Internal(&piece);
        }
        if (q.right < r.right) {
            const BlitRect piece{q.right, top, r.right, bottom};
            DirtyRect_Internal(&piece);
        }
        if (r.top < q.top) {
            const BlitRect piece{r.left, r.top, r.right, q.top};
            DirtyRect_Internal(&piece);
        }
        if (q.bottom < r.bottom) {
            const BlitRect piece{r.left, q.bottom, r.right, r.bottom};
            DirtyRect_Internal(&piece);
        }
        return;
    }
    g_dirty.list[static_cast<size_t>(g_dirty.count++)] = r;
}

void DrawManager::RedrawAll()
{
    redrawWholeView();
}

void DrawManager::ForceRedrawAll()
{
    if (GraphicManager::DeathFadeRunning())
        return;
    g_dirty.fullRedraw = false;
    redrawWholeView();
}

void DrawManager::ScrollBuffer(int32_t dx, int32_t dy)
{
    if (g_dirty.fullRedraw)
        return;
    const BlitRect area = PlayArea();
    const uint64_t total = RingSize();
    if (total != 0) {
        const auto size = static_cast<int64_t>(total);
        const int64_t shift = static_cast<int64_t>(dy) * ringWidth() + dx;
        int64_t offset = (ringOffset(total) - shift) % size;
        if (offset < 0)
            offset += size;
        ViewBufferOffset = static_cast<uint32_t>(offset);
        // The pixels the scroll brings into view held whatever lay beyond the old edges.
        if (dx > 0)
            clearRect(clampTo({0, 0, dx, area.bottom}, area));
        else if (dx < 0)
            clearRect(clampTo({area.right + dx, 0, area.right, area.bottom}, area));
        if (dy > 0)
            clearRect(clampTo({0, 0, area.right, dy}, area));
        else if (dy < 0)
            clearRect(clampTo({0, area.bottom + dy, area.right, area.bottom}, area));
    }
    for (int32_t i = 0; i < g_dirty.count; ++i) {
        BlitRect& r = g_dirty.list[static_cast<size_t>(i)];
        r = clampTo({r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}, area);
    }
}

void DrawManager::ScrollView(int32_t dx, int32_t dy)
{
    ScrollBuffer(dx, dy);
    if (g_dirty.fullRedraw)
        return;
    const BlitRect area = PlayArea();
    const int32_t pw = area.right;
    const int32_t ph = area.bottom;
    auto mark = [](BlitRect r) { DirtyRect(&r); };
    if (dx > 0) {
        mark({0, 0, dx, ph});
        if (dy > 0)
            mark({dx, 0, pw, dy});
        else if (dy < 0)
            mark({dx, ph + dy, pw, ph});
    } else if (dx < 0) {
        mark({pw + dx, 0, pw, ph});
        if (dy > 0)
            mark({0, 0, pw + dx, dy});
        else if (dy < 0)
            mark({0, ph + dy, pw + dx, ph});
    } else if (dy > 0) {
        mark({0, 0, pw, dy});
    } else if (dy < 0) {
        mark({0, ph + dy, pw, ph});
    }
}

void DrawManager::SetTargetFor(const BlitRect& rect)
{
    const uint64_t total = RingSize();
    if (total == 0) {
        g_dirty.targetBase = nullptr;
        SetBlitTarget(nullptr, 0, 0, 0);
        return;
    }
    const int64_t w = ringWidth();
    const int64_t offset = ringOffset(total);
    const int64_t wrap = static_cast<int64_t>(total) - offset;
    // Past the wrap point the rows continue from the buffer's start: the base lies before it,
    // and only the rectangle's own pixels (inside the buffer) are ever addressed from it.
    const int64_t base = w * rect.top + rect.left >= wrap ? offset - static_cast<int64_t>(total) : offset;
    g_dirty.targetBase = BackBuffer.data() + static_cast<std::ptrdiff_t>(base);
    const BlitRect area = PlayArea();
    SetBlitTarget(g_dirty.targetBase, ScreenWidth, area.right, area.bottom);
}

uint16_t* DrawManager::TargetBase()
{
    return g_dirty.targetBase;
}

void DrawManager::RedrawDirtyRects()
{
    FlushHooks& h = hooks();
    const bool preview = h.previewActive && h.previewActive();
    if (preview && h.placePreview)
        h.placePreview();
    const BlitRect area = PlayArea();
    const int32_t count = g_dirty.count;
    for (int32_t i = 0; i < count; ++i) {
        BlitRect& r = g_dirty.list[static_cast<size_t>(i)];
        r = clampTo(r, area);
        if (isEmpty(r))
            continue;
        // A scroll moves the rectangles and the wrap point alike, so each still lies on one
        // side of it; the cut only guards the drawing against a list that says otherwise.
        BlitRect pieces[4];
        const int32_t n = SplitAtWrap(r, pieces);
        for (int32_t p = 0; p < n; ++p) {
            clearRect(pieces[p]);
            SetTargetFor(pieces[p]);
            if (h.drawWorld)
                h.drawWorld(pieces[p]);
            else
                DrawGrid::DrawRect(pieces[p]);
            if (h.lights)
                h.lights(pieces[p]);
            else
                Lights::DrawLights(pieces[p]);
        }
    }
    SetBlitTarget(BackBuffer.empty() ? nullptr : BackBuffer.data(), ScreenWidth, area.right, area.bottom);
    g_dirty.targetBase = nullptr;
    g_dirty.count = 0;
    g_dirty.fullRedraw = false;
    if (preview && h.clearPreview) {
        g_dirty.bigList = true;
        h.clearPreview();
        g_dirty.bigList = false;
    }
}

std::span<const BlitRect> DrawManager::DirtyList()
{
    return {g_dirty.list.data(), static_cast<size_t>(g_dirty.count)};
}

bool DrawManager::FullRedrawPending()
{
    return g_dirty.fullRedraw;
}

bool DrawManager::BigListFlag()
{
    return g_dirty.bigList;
}

void DrawManager::SetBigListFlag(bool on)
{
    g_dirty.bigList = on;
}

void DrawManager::ResetDirtyState()
{
    g_dirty.count = 0;
    g_dirty.fullRedraw = false;
    g_dirty.bigList = false;
    g_dirty.targetBase = nullptr;
}
