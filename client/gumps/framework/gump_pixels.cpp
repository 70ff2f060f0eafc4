/** @file Pixel loops of the gump framework that follow pixel values only. */
#include "client/gumps/framework/gump_pixels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

GumpBitmap::GumpBitmap(int w, int h)
    : width(static_cast<uint16_t>(std::clamp(w, 0, 0xFFFF))), height(static_cast<uint16_t>(std::clamp(h, 0, 0xFFFF)))
{
    // Bitmaps of server gumps and text boxes reach millions of pixels: the allocator hands them
    // out blank, so they are written once, when painted.
    pixels = decltype(pixels)(static_cast<size_t>(stride()) * height);
}

void GumpBitmap::clear()
{
    if (!pixels.empty())
        std::memset(pixels.data(), 0, pixels.size() * sizeof(pixels[0]));
}

std::unique_ptr<uint16_t[]> BlankPixels(int w, int h)
{
    return std::make_unique<uint16_t[]>(static_cast<size_t>(w) * static_cast<size_t>(h));
}

void OutlineDrawnPixels(uint16_t* image, int w, int h)
{
    // Drawn pixels never change here and only blank ones become 1, so marking the blank
    // neighbours of each drawn pixel in place gives the same outline as testing every blank
    // pixel against a copy.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint16_t p = image[static_cast<size_t>(y) * w + x];
            if (p == 0 || p == 1)
                continue;
            for (int ny = y - 1; ny <= y + 1; ++ny)
                for (int nx = x - 1; nx <= x + 1; ++nx)
                    if (nx >= 0 && ny >= 0 && nx < w && ny < h && image[static_cast<size_t>(ny) * w + nx] == 0)
                        image[static_cast<size_t>(ny) * w + nx] = 1;
        }
}

void FillPixelRect(GumpBitmap& bitmap, int left, int top, int right, int bottom, uint16_t colour)
{
    for (int row = top; row < bottom; ++row)
        std::fill(bitmap.row(row) + left, bitmap.row(row) + right, colour);
}

void CopyNonZeroPixels(GumpBitmap& bitmap, int clipW, int clipH, const uint16_t* image, int pitch, int w, int h, int x, int y)
{
    clipW = std::min<int>(clipW, bitmap.width);
    clipH = std::min<int>(clipH, bitmap.height);
    for (int row = 0; row < h; ++row) {
        const int by = y + row;
        if (by < 0 || by >= clipH)
            continue;
        uint16_t* out = bitmap.row(by);
        const uint16_t* in = image + static_cast<size_t>(row) * pitch;
        for (int col = 0; col < w; ++col) {
            const int bx = x + col;
            if (in[col] != 0 && bx >= 0 && bx < clipW)
                out[bx] = in[col];
        }
    }
}
