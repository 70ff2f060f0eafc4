/** @file The animated-tile table and the per-tick advance of animated objects. */
#include "client/data/anim_data.h"

#include "client/core/kz_report.h"
#include "client/data/data_settings.h"
#include "client/data/touched_groups.h"

#include <algorithm>

namespace {

std::vector<AnimTileRecord> g_records(kAnimRecords);
uint32_t g_counter = 0;
std::vector<AnimatedObject*> g_objects;
kzdata::TouchedGroups g_touched(kAnimGroups);

void readRecord(AnimTileRecord& r, const uint8_t* p)
{
    for (size_t i = 0; i < 64; ++i) r.offsets[i] = static_cast<int8_t>(p[i]);
    r.count = std::min<uint8_t>(p[65], 64);
    // A current frame outside the cycle would index past the offsets; start such a record at 0.
    r.current = r.count == 0 || p[64] >= r.count ? 0 : p[64];
    r.interval = p[66];
    r.delay = p[67];
}

} // namespace

void animCrap::LoadAnimData()
{
    const auto bytes = kzdata::ReadDataFile("animdata.mul");
    // Optional: without it no tile is animated, which the log says once.
    if (!bytes || bytes->size() < 4 + 8 * 68) {
        KZReport::warning("animCrap::LoadAnimData: 'animdata.mul' is %s; no tile is animated.\n",
                          bytes ? "empty or shorter than one group" : "missing or not a file");
        LoadAnimDataFrom(nullptr, 0);
        return;
    }
    LoadAnimDataFrom(bytes->data(), bytes->size());
}

void animCrap::LoadAnimDataFrom(const uint8_t* data, size_t size)
{
    g_touched.reset([](size_t first, size_t groups) {
        std::fill_n(g_records.begin() + static_cast<std::ptrdiff_t>(first * 8), groups * 8, AnimTileRecord{});
    });
    for (int32_t g = 0; g < kAnimGroups; ++g) {
        const size_t at = static_cast<size_t>(g) * (4 + 8 * 68);
        if (data == nullptr || size < at + 4 + 8 * 68) break;
        ApplyGroup(g, data + at);
    }
}

void animCrap::ApplyGroup(int32_t group, const uint8_t* payload)
{
    if (group < 0 || group >= kAnimGroups) return;
    for (int32_t i = 0; i < 8; ++i) readRecord(g_records[static_cast<size_t>(group * 8 + i)], payload + 4 + i * 68);
    g_touched.mark(static_cast<size_t>(group));
}

void animCrap::Update()
{
    ++g_counter;
    // Walk the live list by index, never a copy: an object that leaves the list (and may be
    // destroyed) while others are moved between draw lists is then never touched again.
    for (size_t i = 0; i < g_objects.size(); ++i) {
        AnimatedObject* obj = g_objects[i];
        if (obj == nullptr || !obj->isValidObject()) {
            KZReport::error("animCrap::Update: either pointer 'pObj' is not valid, or the data it points to is not "
                            "valid. breaking out of loop.\n");
            return;
        }
        if (obj->IsHidden()) continue;
        AnimTileRecord& r = g_records[obj->animGraphic() & (kAnimRecords - 1)];
        if (r.interval == 0 || r.count == 0 || (g_counter + r.delay) % r.interval != 0) continue;
        obj->removeFromDrawList();
        if (r.stamp != g_counter) {
            r.current = static_cast<uint8_t>(r.current + 1 >= r.count ? 0 : r.current + 1);
            r.stamp = g_counter;
        }
        obj->setGraphicOffset(r.offsets[std::min<size_t>(r.current, 63)]);
        obj->addToDrawList();
    }
}

const AnimTileRecord& animCrap::Record(uint16_t graphic)
{
    return g_records[graphic & (kAnimRecords - 1)];
}

uint32_t animCrap::Counter()
{
    return g_counter;
}

void animCrap::AddObject(AnimatedObject* object)
{
    if (object != nullptr && std::find(g_objects.begin(), g_objects.end(), object) == g_objects.end())
        g_objects.push_back(object);
}

void animCrap::RemoveObject(AnimatedObject* object)
{
    g_objects.erase(std::remove(g_objects.begin(), g_objects.end(), object), g_objects.end());
}

void animCrap::ClearObjects()
{
    g_objects.clear();
}
