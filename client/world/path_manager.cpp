/** @file A* over map cells for the player. */
#include "client/world/path_manager.h"

#include "client/core/kz_report.h"
#include "client/world/terrain.h"

#include <cmath>
#include <cstdlib>
#include <deque>
#include <unordered_map>
#include <vector>

namespace {

struct CellKey {
    int32_t x, y, z;
    bool operator==(const CellKey&) const = default;
};
struct CellKeyHash {
    size_t operator()(const CellKey& k) const
    {
        const uint64_t v = (static_cast<uint64_t>(static_cast<uint32_t>(k.x)) * 0x9E3779B97F4A7C15ull) ^
                           (static_cast<uint64_t>(static_cast<uint32_t>(k.y)) << 20) ^ static_cast<uint32_t>(k.z);
        return static_cast<size_t>(v ^ (v >> 29));
    }
};

struct Search {
    std::deque<PathNode> nodes; // stable addresses
    PathNode open;              // sentinels: their link starts the list
    PathNode closed;
    // Each cell has one node, open or closed: a hash finds it where the lists would be scanned.
    std::unordered_map<CellKey, PathNode*, CellKeyHash> byCell;
    std::vector<PathNode*> stack;
    int32_t expansions = 0;
    int32_t goalX = 0, goalY = 0, goalZ = 0;
};

Search g_search;
PathState g_state;

float distanceToGoal(const Search& s, int32_t x, int32_t y, int32_t z)
{
    const int32_t dx = x - s.goalX, dy = y - s.goalY, dz = z - s.goalZ;
    return std::sqrt(static_cast<float>(dx * dx + dy * dy + dz * dz));
}

void insertOpen(Search& s, PathNode* n)
{
    PathNode* before = &s.open;
    while (before->link != nullptr && before->link->f < n->f) before = before->link;
    n->link = before->link;
    before->link = n;
}

void record(PathNode* parent, PathNode* child)
{
    for (PathNode*& slot : parent->successors) {
        if (slot == nullptr) {
            slot = child;
            return;
        }
    }
}

/** Pushes the better cost of an improved closed node through its recorded successors. */
void propagate(Search& s, PathNode* improved)
{
    s.stack.clear();
    s.stack.push_back(improved);
    while (!s.stack.empty()) {
        PathNode* n = s.stack.back();
        s.stack.pop_back();
        for (PathNode* succ : n->successors) {
            if (succ == nullptr) break;
            if (n->g + 1 < succ->g) {
                succ->parent = n;
                succ->g = n->g + 1;
                succ->f = succ->g + succ->h;
                s.stack.push_back(succ);
            }
        }
    }
}

void addSuccessor(Search& s, PathNode* parent, int32_t x, int32_t y, int32_t z)
{
    const float g = std::trunc(parent->g) + 1;
    const auto found = s.byCell.find(CellKey{x, y, z});
    if (found != s.byCell.end()) {
        PathNode* n = found->second;
        record(parent, n);
        if (g < n->g) {
            n->g = g;
            n->parent = parent;
            n->f = n->g + n->h;
            // An open node keeps its place in the list: the list is not sorted again.
            if (n->closed) propagate(s, n);
        }
        return;
    }
    PathNode& n = s.nodes.emplace_back();
    n.parent = parent;
    n.x = x;
    n.y = y;
    n.z = z;
    n.g = g;
    n.h = distanceToGoal(s, x, y, z);
    n.f = n.g + n.h;
    s.byCell.emplace(CellKey{x, y, z}, &n);
    insertOpen(s, &n);
    record(parent, &n);
}

void expand(Search& s, PathNode* node)
{
    for (int32_t d = 0; d < 8; ++d) {
        const int32_t tx = node->x + kDirDx[d], ty = node->y + kDirDy[d];
        int32_t z = 0;
        if ((d & 1) == 0) {
            if (ChooseWalkZ(tx, ty, node->z, d, &z)) addSuccessor(s, node, tx, ty, z);
            continue;
        }
        // A diagonal is open only with both sides open; its z is the (d + 1) side's.
        const int32_t left = d - 1, right = (d + 1) & 7;
        if (!ChooseWalkZ(tx, ty, node->z, d, &z)) continue;
        if (!ChooseWalkZ(node->x + kDirDx[left], node->y + kDirDy[left], node->z, left, &z)) continue;
        if (!ChooseWalkZ(node->x + kDirDx[right], node->y + kDirDy[right], node->z, right, &z)) continue;
        addSuccessor(s, node, tx, ty, z);
    }
}

} // namespace

namespace PathManager {

void startup()
{
    KZReport::message("PathManager::startup: begin.\n");
    FreeLists();
}

void shutdown()
{
    FreeLists();
}

void FreeLists()
{
    g_state = PathState{};
    g_search.nodes.clear();
    g_search.byCell.clear();
    g_search.open = PathNode{};
    g_search.closed = PathNode{};
    g_search.stack.clear();
}

PathNode* FindPath(int32_t startX, int32_t startY, int32_t startZ, int32_t goalX, int32_t goalY, int32_t goalZ,
                   int32_t nodeLimit, int32_t tolerance)
{
    Search& s = g_search;
    // The path being walked points into the nodes freed here.
    g_state = PathState{};
    s.nodes.clear();
    s.byCell.clear();
    s.open = PathNode{};
    s.closed = PathNode{};
    s.expansions = 0;
    s.goalX = goalX;
    s.goalY = goalY;
    s.goalZ = goalZ;

    PathNode& start = s.nodes.emplace_back();
    start.x = startX;
    start.y = startY;
    start.z = startZ;
    start.h = start.f = distanceToGoal(s, startX, startY, startZ);
    s.byCell.emplace(CellKey{startX, startY, startZ}, &start);
    s.open.link = &start;

    for (;;) {
        PathNode* node = s.open.link;
        if (node == nullptr) return nullptr;
        s.open.link = node->link;
        node->link = s.closed.link;
        s.closed.link = node;
        node->closed = true;
        ++s.expansions;
        if (s.expansions > nodeLimit || s.expansions > kHardNodeLimit) return nullptr;
        if (std::abs(node->x - goalX) <= tolerance && std::abs(node->y - goalY) <= tolerance &&
            std::abs(node->z - goalZ) <= 8)
            return node;
        expand(s, node);
    }
}

int32_t Expansions()
{
    return g_search.expansions;
}

PathState& State()
{
    return g_state;
}

} // namespace PathManager

void LinkPathBackward()
{
    for (PathNode* n = g_state.goal; n != nullptr && n->parent != nullptr; n = n->parent) n->parent->next = n;
}
