/** @file The data-file table. */
#include "client/data/data_files.h"

#include "client/core/byte_reader.h"

const DataFileInfo g_DataFileInfo[kDataFileCount] = {
    {0, 1, 196, "map0.mul"},
    {1, 4096, 12, "staidx0.mul"},
    {2, 1, -1, "statics0.mul"},
    {3, 4096, 12, "artidx.mul"},
    {4, 1, -1, "art.mul"},
    {5, 4096, 12, "anim.idx"},
    {6, 1, -1, "anim.mul"},
    {7, 4096, 12, "soundidx.mul"},
    {8, 1, -1, "sound.mul"},
    {9, 4096, 12, "texidx.mul"},
    {10, 1, -1, "texmaps.mul"},
    {11, 4096, 12, "gumpidx.mul"},
    {12, 1, -1, "gumpart.mul"},
    {13, 4096, 12, "multi.idx"},
    {14, 1, -1, "multi.mul"},
    {15, 256, 12, "skills.idx"},
    {16, 1, -1, "skills.mul"},
};

IndexRecord DecodeIndexRecord(const uint8_t* p)
{
    ByteReader record(p, 12);
    const int32_t offset = record.s32le();
    const uint32_t length = record.u32le();
    return IndexRecord{offset, length, record.u32le()};
}
