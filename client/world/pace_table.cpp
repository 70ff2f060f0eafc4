/** @file Loading and look-up of the pace table. */
#include "client/world/pace_table.h"

#include "client/core/file_manager.h"
#include "client/core/kz_report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace {

struct Pace {
    int8_t walk = PaceTable::kDefaultWalk;
    int8_t run = PaceTable::kDefaultRun;
};

std::array<Pace, PaceTable::kBodies> g_pace{};

const Pace& paceOf(int32_t body)
{
    if (body < 0 || body >= PaceTable::kBodies) body = 50;
    return g_pace[static_cast<size_t>(body)];
}

} // namespace

void PaceTable::Reset()
{
    g_pace.fill(Pace{});
}

void PaceTable::LoadFrom(const uint8_t* data, size_t size)
{
    Reset();
    if (data == nullptr) return;
    const size_t pairs = std::min<size_t>(size / 2, kBodies);
    for (size_t i = 0; i < pairs; ++i) {
        g_pace[i].walk = static_cast<int8_t>(data[2 * i]);
        g_pace[i].run = static_cast<int8_t>(data[2 * i + 1]);
    }
}

bool PaceTable::Load()
{
    Reset();
    FILE* file = FileManager::open("animinfo.mul", "rb");
    if (file == nullptr) {
        KZReport::message("PaceTable::Load: cannot open 'animinfo.mul'; every body walks 4 and runs 2 frames a cell.\n");
        return false;
    }
    std::vector<uint8_t> bytes(2 * kBodies);
    const size_t got = FileManager::read(bytes.data(), 1, bytes.size(), file);
    FileManager::close(file);
    LoadFrom(bytes.data(), got);
    return true;
}

int32_t PaceTable::GetWalkPace(int32_t body)
{
    return paceOf(body).walk;
}

int32_t PaceTable::GetRunPace(int32_t body)
{
    return paceOf(body).run;
}
