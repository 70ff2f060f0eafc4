/** @file The mobiles playing an action animation, stepped frame by frame once per presented frame; and the angle conversion of the moving effects. */
#pragma once

#include <cstdint>
#include <vector>

class CMobile;

// Each entry advances its frame after its delay (a frame lasts delay + 2 steps), forwards, then
// optionally backwards, through its passes (each pass plays the next action number), and leaves
// the list when the animation is done. Every frame change takes the mobile out of the draw grid
// and adds it again, which recomputes its rectangle and marks the old and new areas dirty. The
// list does not own the mobiles. Main thread only.
namespace AnimatedList {

/** Appends the mobile unless it is in the list already. */
void Add(CMobile& mobile);
/**
 * Ends the mobile's animation: its standing frame is drawn (re-listed when listed), it leaves
 * the list; a pending death of a mobile other than the player is handed on (its death link
 * removed with the keep flag, which shows the corpse and releases the mobile unless kept).
 * Returns 1 when it handed a death on.
 */
int Remove(CMobile& mobile, bool keep);
/**
 * One step of every entry in list order; an entry may leave the list during its own step.
 * Then every animation that ended since the last step (here or by Remove) moves on the
 * replayed sequence that started it.
 */
void Update();
/** Advances one mobile by one frame change. */
void Step(CMobile& mobile);
/** The entries in order (tests). */
const std::vector<CMobile*>& Entries();
/** Empties the list (tests, the world reset); marks every entry as out of it. */
void Clear();

} // namespace AnimatedList

/** An angle in radians as 256ths of a turn: x 128.0, then x 0.31831724770174946, truncated. */
int32_t RadiansToAngle256(float radians);
