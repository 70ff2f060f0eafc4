/** @file The pace table: frames a body takes to walk and to run one cell, read from animinfo.mul. */
#pragma once

#include <cstddef>
#include <cstdint>

/**
 * 1,000 pairs of signed bytes (walking frames, running frames per cell) indexed by body, read in
 * order from animinfo.mul. Every pair the file does not hold (the file missing or short) is 4, 2.
 * Bodies of 1000 and above, and negative ones, use the pair of body 50.
 */
class PaceTable {
public:
    static constexpr int32_t kBodies = 1000;
    static constexpr int8_t kDefaultWalk = 4;
    static constexpr int8_t kDefaultRun = 2;

    /** Reads animinfo.mul through the file manager; false (defaults kept) when it cannot be opened. */
    static bool Load();
    /** The same from a file image. */
    static void LoadFrom(const uint8_t* data, size_t size);
    /** Every pair back to 4, 2. */
    static void Reset();

    static int32_t GetWalkPace(int32_t body);
    static int32_t GetRunPace(int32_t body);
    static int32_t GetPace(int32_t body, bool running) { return running ? GetRunPace(body) : GetWalkPace(body); }
};
