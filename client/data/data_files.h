/** @file The data-file table: the seventeen installed data files by id, and the index record. */
#pragma once

#include <cstdint>

/** One row of the data-file table; the row index is the file id used everywhere. */
struct DataFileInfo {
    int32_t id;
    int32_t recordsPerBlock;
    int32_t recordSize; // -1: variable-length data reached through an index file
    char name[40];
};

inline constexpr int16_t kDataFileCount = 17;
extern const DataFileInfo g_DataFileInfo[kDataFileCount];

enum DataFileId : int32_t {
    FILE_MAP0 = 0,
    FILE_STAIDX0 = 1,
    FILE_STATICS0 = 2,
    FILE_ARTIDX = 3,
    FILE_ART = 4,
    FILE_ANIMIDX = 5,
    FILE_ANIM = 6,
    FILE_SOUNDIDX = 7,
    FILE_SOUND = 8,
    FILE_TEXIDX = 9,
    FILE_TEXMAPS = 10,
    FILE_GUMPIDX = 11,
    FILE_GUMPART = 12,
    FILE_MULTIIDX = 13,
    FILE_MULTI = 14,
    FILE_SKILLSIDX = 15,
    FILE_SKILLS = 16,
};

/** A 12-byte index record, decoded. */
struct IndexRecord {
    int32_t offset; // negative: the entry is absent
    uint32_t length;
    uint32_t extra;
};
inline constexpr int32_t kIndexRecordSize = 12;
IndexRecord DecodeIndexRecord(const uint8_t* p);
