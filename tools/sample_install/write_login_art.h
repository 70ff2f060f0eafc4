/** @file The window art of the login and character creation screens, drawn by code. */
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace sampleinstall {

using AddGumpArt = std::function<void(uint32_t id, uint32_t width, uint32_t height, const std::vector<uint16_t>& pixels)>;

/**
 * Backgrounds, the standard buttons, frames, fields, list arts, sliders, the character preview
 * (body, clothes, hair styles), the start city map and its markers.
 */
void drawLoginScreenArt(const AddGumpArt& add);

/** The profession file prof.txt: two categories' worth of professions. */
const char* sampleProfessionFile();

} // namespace sampleinstall
