/** @file Drawing gumps into the back buffer. */
#include "client/gumps/framework/gump_canvas.h"

#include "client/core/display_mode.h"

#include <algorithm>

GumpRect GumpRect::intersect(const GumpRect& o) const
{
    GumpRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    if (r.empty())
        return {};
    return r;
}

GumpRect GumpRect::unite(const GumpRect& o) const
{
    if (o.empty())
        return *this;
    if (empty())
        return o;
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
}

void GumpCanvas::drawArt(CombineFunc combine, int32_t artId, int x, int y) const
{
    if (pixels == nullptr || clip.empty() || artId < 0)
        return;
    const ClipRect local{0, 0, clip.width(), clip.height()};
    DrawGumpArtClipped(combine, artId, local, x - clip.left, y - clip.top, pixels, pitch, clip.height());
}

void GumpCanvas::drawImage(CombineFunc combine, const uint16_t* image, int width, int height, int stride, int x,
                           int y) const
{
    if (pixels == nullptr || image == nullptr || combine == nullptr)
        return;
    const GumpRect area = clip.intersect({x, y, x + width, y + height});
    if (area.empty())
        return;
    for (int sy = area.top; sy < area.bottom; ++sy)
        combine(at(area.left, sy), image + static_cast<ptrdiff_t>(sy - y) * stride + (area.left - x), area.width());
}

void GumpCanvas::fill(const GumpRect& rect, uint16_t colour) const
{
    const GumpRect area = clip.intersect(rect);
    for (int sy = area.top; sy < area.bottom; ++sy)
        std::fill_n(at(area.left, sy), area.width(), colour);
}

BackBufferView BackBufferView::current()
{
    BackBufferView view;
    const uint64_t total = static_cast<uint64_t>(std::max(ScreenWidth, 0)) * static_cast<uint64_t>(std::max(ScreenHeight, 0));
    if (total == 0 || BackBuffer.size() != total)
        return view;
    view.buffer = BackBuffer.data();
    view.width = ScreenWidth;
    view.height = ScreenHeight;
    // The same start the frame is presented from.
    const int64_t scroll = static_cast<int64_t>(ViewScrollY) * ScreenWidth + ViewScrollX;
    int64_t start = (static_cast<int64_t>(ViewBufferOffset) - scroll) % static_cast<int64_t>(total);
    if (start < 0)
        start += static_cast<int64_t>(total);
    view.start = static_cast<size_t>(start);
    return view;
}

void BackBufferView::forEachPiece(const GumpRect& rect, const std::function<void(const GumpCanvas&)>& draw) const
{
    if (!valid())
        return;
    const GumpRect area = rect.intersect({0, 0, width, height});
    if (area.empty())
        return;
    const int startRow = static_cast<int>(start / static_cast<size_t>(width));
    const int startColumn = static_cast<int>(start % static_cast<size_t>(width));
    // Screen columns from wrapColumn on continue at the buffer's left edge, one row further down.
    const int wrapColumn = width - startColumn;
    struct Band {
        int left, right, firstColumn, rowShift;
    };
    const Band bands[2] = {{area.left, std::min(area.right, wrapColumn), startColumn, 0},
                           {std::max(area.left, wrapColumn), area.right, -wrapColumn, 1}};
    for (const Band& band : bands) {
        if (band.left >= band.right)
            continue;
        const int firstRow = startRow + band.rowShift;
        // Screen rows from wrapRow on continue at the buffer's top.
        const int wrapRow = height - firstRow % height;
        const int splits[3] = {area.top, std::clamp(wrapRow, area.top, area.bottom), area.bottom};
        for (int part = 0; part < 2; ++part) {
            if (splits[part] >= splits[part + 1])
                continue;
            GumpCanvas canvas;
            canvas.clip = {band.left, splits[part], band.right, splits[part + 1]};
            const int bufferRow = (firstRow + canvas.clip.top) % height;
            const int bufferColumn = band.firstColumn + canvas.clip.left;
            canvas.bufferOffset = static_cast<size_t>(bufferRow) * static_cast<size_t>(width) +
                                  static_cast<size_t>(bufferColumn);
            canvas.pixels = buffer + canvas.bufferOffset;
            canvas.pitch = width;
            draw(canvas);
        }
    }
}
