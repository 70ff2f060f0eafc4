/** @file The sample install's world art, drawn by code: land tiles and their textures, item art, a walking body with worn layers, and lights. */
#pragma once

#include "tools/formats/data_formats.h"
#include "tools/formats/render_formats.h"

#include <cstdint>

namespace sampleinstall {

/** Worn items of the sample body: graphic, layer and body animation. */
inline constexpr uint16_t kSampleShirt = 0x1517, kSamplePants = 0x152E, kSampleHair = 0x203B;
inline constexpr uint16_t kShirtAnimation = 430, kPantsAnimation = 431, kHairAnimation = 432;

/** Adds the land tiles (grass, dirt, water, rock) and the item art of the map's statics and the house to the art file. */
void drawWorldArt(formats::IndexedFileWriter& art);
/** The human body (400) walking in every direction, and the shirt, pants and hair worn over it. */
formats::IndexedFileWriter drawAnimations();
/** A 64 x 64 texture for each land tile, under the land's texture id. */
formats::IndexedFileWriter drawTextures();
/** Lights 0 (a lamp), 1 (a torch) and 2 (a small glow): round falls from bright to nothing. */
formats::LightFiles drawLights();

} // namespace sampleinstall
