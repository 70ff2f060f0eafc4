/** @file The patch table read from verdata.mul. */
#include "client/data/verdata.h"

#include "client/core/kz_report.h"
#include "client/data/anim_data.h"
#include "client/data/data_files.h"
#include "client/data/font_manager.h"
#include "client/data/hue_manager.h"
#include "client/data/le_read.h"

#include <memory>

namespace {

/** Builds a new font from 224 complete glyph records and puts it in the slot, destroying the old one. */
void replaceAsciiFont(int32_t slot, const uint8_t* glyphs, size_t size)
{
    auto font = std::make_unique<CFont>();
    size_t at = 0;
    for (size_t i = 0; i < static_cast<size_t>(CFont::kGlyphCount) && size - at >= 3; ++i) {
        auto glyph = std::make_unique<FontGlyph>();
        glyph->width = glyphs[at];
        glyph->height = glyphs[at + 1];
        font->verticals[i] = glyphs[at + 2];
        at += 3;
        const size_t count = static_cast<size_t>(glyph->width) * static_cast<size_t>(glyph->height);
        glyph->pixels.resize(count);
        for (size_t p = 0; p < count; ++p) glyph->pixels[p] = kzdata::readU16(glyphs + at + 2 * p);
        at += count * 2;
        font->glyphs[i] = std::move(glyph);
    }
    FontManager::replaceFont(slot, std::move(font));
}

VerdataFontHandler g_fontHandler = replaceAsciiFont;

} // namespace

void SetVerdataFontHandler(VerdataFontHandler handler)
{
    g_fontHandler = handler != nullptr ? handler : replaceAsciiFont;
}

bool VerdataFontPayloadComplete(const uint8_t* glyphs, size_t size)
{
    size_t at = 0;
    for (int i = 0; i < 224; ++i) {
        if (size - at < 3) return false;
        const size_t pixels = static_cast<size_t>(glyphs[at]) * glyphs[at + 1];
        at += 3;
        if ((size - at) / 2 < pixels) return false;
        at += pixels * 2;
    }
    return true;
}

namespace kzdata {

void VerdataTable::clear()
{
    for (auto& file : heads_) file.fill(-1);
    nodes_.clear();
}

int32_t VerdataTable::load(const uint8_t* data, size_t size)
{
    if (data == nullptr || size < 4) return 0;
    const int32_t count = kzdata::readS32(data);
    if (count <= 0) return 0;
    const size_t room = (size - 4) / 20;
    if (static_cast<size_t>(count) > room)
        KZReport::warning("LoadVersionFile: verdata.mul names %d entries but holds only %zu; reading those.\n", count,
                          room);
    const size_t entries = static_cast<size_t>(count) < room ? static_cast<size_t>(count) : room;

    int32_t kept = 0;
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* rec = data + 4 + i * 20;
        const uint32_t fileId = kzdata::readU32(rec);
        const int32_t entry = kzdata::readS32(rec + 4);
        const uint32_t offset = kzdata::readU32(rec + 8);
        const uint32_t length = kzdata::readU32(rec + 12);
        const uint32_t extra = kzdata::readU32(rec + 16);
        if (static_cast<uint64_t>(offset) + length > size) {
            KZReport::warning("LoadVersionFile: entry %zu (file %u, entry %d) lies outside verdata.mul; ignored.\n", i,
                              fileId, entry);
            continue;
        }
        const uint8_t* payload = data + offset;
        if (fileId < static_cast<uint32_t>(kDataFileCount)) {
            VerdataNode node{entry, offset, length, extra, heads_[fileId][static_cast<uint32_t>(entry) & 0x3FF]};
            heads_[fileId][static_cast<uint32_t>(entry) & 0x3FF] = static_cast<int32_t>(nodes_.size());
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
            if (entry < 0 || entry >= kAsciiFontSlots || !VerdataFontPayloadComplete(payload, length)) {
                KZReport::warning("LoadVersionFile: font %d with %u bytes ignored.\n", entry, length);
                continue;
            }
            g_fontHandler(entry, payload, length);
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
