/** @file Shared set-up of the renderer tests: a small back buffer, a clean dirty list, and helpers to read the ring. */
#pragma once

#include "client/core/display_mode.h"
#include "client/render/draw_manager.h"
#include "client/render/graphic_manager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace rendertest {

/** The play-area pixels a rectangle covers, as (x, y) pairs. */
inline std::set<std::pair<int32_t, int32_t>> pixelsOf(const BlitRect& r)
{
    std::set<std::pair<int32_t, int32_t>> out;
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x)
            out.insert({x, y});
    return out;
}

/** A list of rectangles as text, for comparisons that show both sides. */
inline std::string show(const std::vector<BlitRect>& list)
{
    std::string out;
    for (const BlitRect& r : list)
        out += "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom) + "} ";
    return out;
}

inline std::vector<BlitRect> pending()
{
    const auto list = DrawManager::DirtyList();
    return {list.begin(), list.end()};
}

/**
 * A W x H back buffer (smaller than the play size, so the play area is the whole buffer), the
 * wrap offset at 0 and an empty dirty list; everything put back afterwards.
 */
class RingTest : public ::testing::Test {
protected:
    static constexpr int32_t W = 16;
    static constexpr int32_t H = 12;

    void SetUp() override { useRing(W, H); }
    void TearDown() override
    {
        DrawManager::ResetDirtyState();
        DrawManager::hooks() = {};
        GraphicManager::SetDeathFadeStep(0);
        GraphicManager::SetPlaySize(640, 480);
        ViewBufferOffset = 0;
        ScreenWidth = 0;
        ScreenHeight = 0;
        DeleteBackBufferBitmap();
    }

    void useRing(int32_t w, int32_t h)
    {
        ScreenWidth = w;
        ScreenHeight = h;
        CreateBackBufferDIB(w, h);
        ViewBufferOffset = 0;
        DrawManager::ResetDirtyState();
    }

    static void mark(BlitRect r) { DrawManager::DirtyRect(&r); }

    /** The pixel at play-area (x, y) in the ring. */
    static uint16_t at(int32_t x, int32_t y)
    {
        const uint64_t total = BackBuffer.size();
        return BackBuffer[(ViewBufferOffset + static_cast<uint64_t>(y) * ScreenWidth + x) % total];
    }
};

} // namespace rendertest
