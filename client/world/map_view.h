/** @file The world side of the map blocks: the 6 x 6 block window of statics, the land of the 37 x 37 cells around the view centre, moving and setting the centre. */
#pragma once

#include <array>
#include <cstdint>

namespace MapView {

/** Ids of the statics blocks loaded in the window (-1 = free slot). */
std::array<int32_t, 36>& LoadedBlocks();
/** Set while the centre lies below the land's surface; the cut height of the view then. */
bool UnderLand();
int32_t CutHeight();

/**
 * Moves the 6 x 6 block window to the centre: statics outside it are released, blocks newly
 * inside it are read and their statics placed. Does nothing while the corner is unchanged.
 */
void LoadStaticsWindow();
/** Re-centres the draw grid, runs the statics window, makes missing land items and tests the under-land state. */
void Refresh();
/** Steps the centre by an acknowledged step, wrapping in the wrapping world (shifting every draw item). */
void StepView(int32_t dx, int32_t dy, int32_t z);
/** Sets the centre (unless x is -1) and refreshes. */
void SetCenter(int32_t x, int32_t y, int32_t z);
/** The statics window and the loaded blocks emptied (map change, world reset, server switch). */
void ResetBlockWindow();

/**
 * The cells on each side of the centre whose land a refresh makes: 18, the 37 x 37 cells of the
 * view. A fuzzing harness makes it smaller (clamped to 0..18) to build the same steps on fewer
 * cells; the statics window keeps its 6 x 6 blocks whatever it is.
 */
int32_t LandRadius();
void SetLandRadius(int32_t cells);

} // namespace MapView
