/** @file The patch table read from verdata.mul: replacements per data file, and the special groups it applies at once. */
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

/** Patch file ids that are not data files: applied at load time, never looked up. */
inline constexpr uint32_t kVerdataAnimGroup = 31;
inline constexpr uint32_t kVerdataHueGroup = 32;
inline constexpr uint32_t kVerdataFont = 33;

/** Size of a whole group payload of id 31 and id 32, header included. */
inline constexpr size_t kAnimGroupBytes = 4 + 8 * 68;
inline constexpr size_t kHueGroupBytes = 4 + 8 * 88;

namespace kzdata {

struct VerdataNode {
    int32_t entry;
    uint32_t offset; // from the start of verdata.mul; checked to lie inside it at load
    uint32_t length; // 0: the entry is hidden
    uint32_t extra;
    int32_t next; // index into the node store, -1 ends the chain
};

/**
 * Replacements for records of the seventeen data files, 1024 chains per file (bucket = entry & 0x3FF).
 * A later entry of the file goes to the front of its chain, so it wins over an earlier one.
 */
class VerdataTable {
public:
    VerdataTable() { clear(); }
    void clear();

    /**
     * Reads the entries of a whole verdata.mul image. Entries whose data does not lie inside
     * the image are ignored with a log line; ids 31 to 33 are handed to their owners at once
     * when their group or slot exists and the payload is complete, and ignored otherwise.
     * Returns the number of entries kept or applied.
     */
    int32_t load(const uint8_t* data, size_t size);

    bool empty() const { return nodes_.empty(); }
    /** The patch of a data file's entry, or null. */
    const VerdataNode* find(int32_t fileId, int32_t entry) const;

private:
    std::array<std::array<int32_t, 1024>, 17> heads_{};
    std::vector<uint32_t> chainsStarted_; // file * 1024 + chain of every head set since the last clear
    bool headsMade_ = false;
    std::vector<VerdataNode> nodes_;
};

} // namespace kzdata

/** Takes a font patch of 224 complete glyph records in place of the font manager. */
using VerdataFontHandler = void (*)(int32_t slot, const uint8_t* glyphs, size_t size);
/** Without a handler (null, the default) a font patch replaces the font manager's slot at once. */
void SetVerdataFontHandler(VerdataFontHandler handler);
