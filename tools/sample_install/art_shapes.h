/** @file Small shapes the sample install draws its window art from: colours, panels, buttons, frames. */
#pragma once

#include <cstdint>
#include <vector>

namespace sampleinstall {

uint16_t rgb(uint32_t r, uint32_t g, uint32_t b);
/** A bordered panel with a lighter inner field, w x h. */
std::vector<uint16_t> panel(uint32_t w, uint32_t h, uint16_t border, uint16_t fill);
/** A round button with a transparent surround. */
std::vector<uint16_t> button(uint32_t size, uint16_t colour);
/** A check box with a tick. */
std::vector<uint16_t> tick(uint32_t size, uint16_t border, uint16_t fill, uint16_t mark);
/** A round button with a white arrow pointing right (left when mirrored). */
std::vector<uint16_t> arrowButton(uint32_t size, uint16_t colour, bool mirrored = false);

} // namespace sampleinstall
