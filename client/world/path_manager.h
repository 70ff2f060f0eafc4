/** @file A* over map cells for the player: nodes, the open and closed lists, and the path being walked. */
#pragma once

#include <cstdint>

/** One searched cell; nodes live until the next search or FreeLists. */
struct PathNode {
    float f = 0;
    float h = 0;
    float g = 0;
    int32_t x = 0, y = 0, z = 0;
    PathNode* parent = nullptr;
    PathNode* next = nullptr; // towards the goal, set by LinkPathBackward
    PathNode* successors[8] = {};
    PathNode* link = nullptr; // the next node of the open or closed list
    bool closed = false;
};

/** The path the player walks (set by the walk-to request and the follow code). */
struct PathState {
    bool active = false;
    PathNode* current = nullptr;
    int32_t x = 0, y = 0, z = 0;
    int32_t direction = 0;
    PathNode* goal = nullptr;
};

namespace PathManager {

inline constexpr int32_t kHardNodeLimit = 5000;

void startup();
void shutdown();
/**
 * Searches from the start to a cell within tolerance of the goal in x and y and 8 in z. Returns
 * the node that met the goal (its parents lead back to the start), or null when the open list
 * runs out or the expansions exceed the node limit or 5000.
 */
PathNode* FindPath(int32_t startX, int32_t startY, int32_t startZ, int32_t goalX, int32_t goalY, int32_t goalZ,
                   int32_t nodeLimit, int32_t tolerance);
/** Frees every node of the last search; the path state, which points into them, is cleared (so is it by a new search). */
void FreeLists();
/** Expansions of the last search. */
int32_t Expansions();

PathState& State();

} // namespace PathManager

/** Sets each node's next link along the path of the state's goal node, from the start on. */
void LinkPathBackward();
