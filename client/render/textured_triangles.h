/** @file Textured land triangles: a square texture stretched over three screen corners with a light level at each. */
#pragma once

#include "client/data/art_blit.h"

#include <cstdint>

/** A triangle corner: screen position, texture corner 1..4 ((0,0), (max,0), (max,max), (0,max)) and light 0..31. */
struct TexVertex {
    int32_t x = 0;
    int32_t y = 0;
    uint8_t corner = 1;
    int32_t light = 0;
};

/**
 * Fills a triangle of the blit target with a 64 x 64 (size flag 0) or 128 x 128 (size flag 1)
 * texture of 5-5-5 texels, each shaded by the light interpolated from the corners (0 unchanged,
 * 31 black), clipped to the clip rectangle (target pixels) and to the target. Rows run from the
 * top corner to the bottom one, each span from its left edge up to (not including) its right
 * edge, so two triangles that share an edge never write a pixel twice. A triangle of zero
 * height draws nothing. The grey twin first turns every texel into its grey colour.
 */
void DrawTexturedTriangle(const uint16_t* texture, int32_t sizeFlag, const TexVertex& a, const TexVertex& b,
                          const TexVertex& c, const BlitRect& clip);
void DrawTexturedTriangleGrey(const uint16_t* texture, int32_t sizeFlag, const TexVertex& a, const TexVertex& b,
                              const TexVertex& c, const BlitRect& clip);

/** A land texture by id (1..4095) from the texture files: its texels and size flag; null when absent or of another size. */
const uint16_t* GetLandTexture(int32_t textureId, int32_t& sizeFlag);
/** Forgets the kept textures. */
void ClearLandTextureCache();
