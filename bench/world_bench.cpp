/** @file The object manager under load: 10,000 objects made from records, each updated, 1,000 moved between containers, all deleted. */
// bench-links: client_world formats

#include "client/world/draw_item.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"

#include "client/data/map_manager.h"
#include "tools/formats/world_formats.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr uint32_t kObjects = 10000;
constexpr uint32_t kContainers = 100;
constexpr uint32_t kMoves = 1000;
constexpr uint16_t kBox = 0x0E75;
constexpr uint16_t kItem = 0x0EC4;

size_t heapInUse()
{
    const auto info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

/** Heap bytes per object at the peak of the first pass, which also grows the object pools. */
size_t g_coldPeakPerObject = 0;

void setUp()
{
    formats::TileDataWriter t;
    t.item(kBox, {.flags = 0x200000, .weight = 3, .name = "box"});
    t.item(kItem, {.weight = 1, .name = "item"});
    const formats::Bytes image = t.bytes();
    TileData::LoadFrom(image.data(), image.size());
    MapManager::SetMap(0);
    MapManager::CenterX = 1000;
    MapManager::CenterY = 1000;
    DrawMapThingie::Clear();
    CObjectManager::shutdown();
    CObjectManager::CreatePlayer(1, 400)->PlaceAt(1000, 1000, 0);
}

ObjectRecord record(uint32_t i, uint16_t hue)
{
    ObjectRecord r;
    r.serial = kItemSerialBit | (i + 16);
    r.graphic = i < kContainers ? kBox : kItem;
    r.amount = 1;
    r.x = static_cast<uint16_t>(1000 - 18 + i % 37);
    r.y = static_cast<uint16_t>(1000 - 18 + (i / 37) % 37);
    r.z = static_cast<int8_t>(i % 20);
    r.hue = hue;
    return r;
}

void BM_ObjectLifecycle(benchmark::State& state)
{
    setUp();
    size_t peakPerObject = 0;
    for (auto _ : state) {
        const size_t base = heapInUse();
        for (uint32_t i = 0; i < kObjects; ++i) CObjectManager::HandleMove(record(i, 0));
        for (uint32_t i = 0; i < kObjects; ++i) CObjectManager::HandleMove(record(i, 0x21));
        size_t peak = heapInUse();
        for (uint32_t m = 0; m < kMoves; ++m) {
            ContainerItemRecord c;
            c.serial = kItemSerialBit | (kContainers + m * 7 + 16);
            c.graphic = kItem;
            c.amount = 1;
            c.x = static_cast<uint16_t>(m % 50);
            c.container = kItemSerialBit | (m % kContainers + 16);
            CObjectManager::HandleContainerItem(c);
        }
        peak = std::max(peak, heapInUse());
        for (uint32_t i = 0; i < kObjects; ++i) CObjectManager::DeleteObject(kItemSerialBit | (i + 16));
        peakPerObject = std::max(peakPerObject, (peak - base) / kObjects);
        if (g_coldPeakPerObject == 0) g_coldPeakPerObject = peakPerObject;
        if (World().objects.count != 1) state.SkipWithError("objects left after the deletes");
    }
    state.counters["objects/s"] =
        benchmark::Counter(static_cast<double>(kObjects) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_bytes/object"] = static_cast<double>(peakPerObject);
    state.counters["cold_peak_bytes/object"] = static_cast<double>(g_coldPeakPerObject);
    CObjectManager::shutdown();
}
BENCHMARK(BM_ObjectLifecycle)->Unit(benchmark::kMillisecond);

void BM_FindObject(benchmark::State& state)
{
    setUp();
    for (uint32_t i = 0; i < kObjects; ++i) CObjectManager::HandleMove(record(i, 0));
    uint32_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CObjectManager::FindObject(kItemSerialBit | (i % kObjects + 16)));
        ++i;
    }
    CObjectManager::shutdown();
}
BENCHMARK(BM_FindObject);

} // namespace
