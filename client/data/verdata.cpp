/** @file The patch table read from verdata.mul. */
#include "client/data/verdata.h"

#include "client/core/kz_report.h"
#include "client/data/anim_data.h"
#include "client/data/data_files.h"
#include "client/data/font_manager.h"
#include "client/data/hue_manager.h"
#include "client/core/byte_reader.h"

#include <memory>

namespace {

// Null: a font patch replaces the font manager's slot.
VerdataFontHandler g_fontHandler = nullptr;

} // namespace

void SetVerdataFontHandler(VerdataFontHandler handler)
{
    g_fontHandler = handler;
}

namespace kzdata {

void VerdataTable::clear()
{
    // The whole table once; afterwards only the chains that were started.
    if (!headsMade_) {
        for (auto& file : heads_) file.fill(-1);
        headsMade_ = true;
    } else {
        for (uint32_t chain : chainsStarted_) heads_[chain / 1024][chain % 1024] = -1;
    }
    chainsStarted_.clear();
    nodes_.clear();
}

int32_t VerdataTable::load(const uint8_t* data, size_t size)
{
    if (data == nullptr || size < 4) return 0;
    const int32_t count = ByteReader(data, size).s32le();
    if (count <= 0) return 0;
    const size_t room = (size - 4) / 20;
    if (static_cast<size_t>(count) > room)
        KZReport::warning("LoadVersionFile: verdata.mul names %d entries but holds only %zu; reading those.\n", count,
                          room);
    const size_t entries = static_cast<size_t>(count) < room ? static_cast<size_t>(count) : room;

    int32_t kept = 0;
    for (size_t i = 0; i < entries; ++i) {
        ByteReader rec(data + 4 + i * 20, 20);
        const uint32_t fileId = rec.u32le();
        const int32_t entry = rec.s32le();
        const uint32_t offset = rec.u32le();
        const uint32_t length = rec.u32le();
        const uint32_t extra = rec.u32le();
        if (static_cast<uint64_t>(offset) + length > size) {
            KZReport::warning("LoadVersionFile: entry %zu (file %u, entry %d) lies outside verdata.mul; ignored.\n", i,
                              fileId, entry);
            continue;
        }
        const uint8_t* payload = data + offset;
        if (fileId < static_cast<uint32_t>(kDataFileCount)) {
            const uint32_t chain = static_cast<uint32_t>(entry) & 0x3FF;
            VerdataNode node{entry, offset, length, extra, heads_[fileId][chain]};
            if (node.next < 0) chainsStarted_.push_back(fileId * 1024 + chain);
            heads_[fileId][chain] = static_cast<int32_t>(nodes_.size());
            nodes_.push_back(node);
            ++kept;
        } else if (fileId == kVerdataAnimGroup) {
            if (entry < 0 || entry >= kAnimGroups || length < kAnimGroupBytes) {
                KZReport::warning("LoadVersionFile: animation group %d with %u bytes ignored.\n", entry, length);
                continue;
            }
            animCrap::ApplyGroup(entry, payload);
            ++kept;
        } else if (fileId == kVerdataHueGroup) {
            if (entry < 0 || entry >= kHueGroups || length < kHueGroupBytes) {
                KZReport::warning("LoadVersionFile: hue group %d with %u bytes ignored.\n", entry, length);
                continue;
            }
            HueManager::ApplyGroup(entry, payload);
            ++kept;
        } else if (fileId == kVerdataFont) {
            std::unique_ptr<CFont> font;
            if (entry >= 0 && entry < FontManager::kFontSlots) font = ReadFontGlyphs(payload, length, nullptr);
            if (!font) {
                KZReport::warning("LoadVersionFile: font %d with %u bytes ignored.\n", entry, length);
                continue;
            }
            if (g_fontHandler != nullptr)
                g_fontHandler(entry, payload, length);
            else
                FontManager::replaceFont(entry, std::move(font));
            ++kept;
        }
    }
    return kept;
}

const VerdataNode* VerdataTable::find(int32_t fileId, int32_t entry) const
{
    if (fileId < 0 || fileId >= kDataFileCount) return nullptr;
    for (int32_t i = heads_[fileId][static_cast<uint32_t>(entry) & 0x3FF]; i >= 0; i = nodes_[i].next)
        if (nodes_[i].entry == entry) return &nodes_[i];
    return nullptr;
}

} // namespace kzdata
