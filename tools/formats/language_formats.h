/** @file Writers for the localized-string files: IFF FORM/CHUNK trees, the language-code list and string sections. */
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace formats {

using Bytes = std::vector<uint8_t>;

/** IFF building blocks; FORM and CHUNK lengths are big-endian, chunk contents are what the caller gives. */
namespace iff {

inline void putTag(Bytes& out, const std::string& tag)
{
    for (size_t i = 0; i < 4; ++i) out.push_back(i < tag.size() ? static_cast<uint8_t>(tag[i]) : 0);
}

inline void putBigEndian32(Bytes& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

inline void putLittleEndian(Bytes& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

/** A chunk: tag, data length, data and a pad byte after odd lengths. */
inline Bytes chunk(const std::string& tag, const Bytes& data)
{
    Bytes out;
    putTag(out, tag);
    putBigEndian32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1) out.push_back(0);
    return out;
}

/** A FORM of a type around already built children; its length counts the type. */
inline Bytes form(const std::string& type, const std::vector<Bytes>& children)
{
    Bytes body;
    putTag(body, type);
    for (const Bytes& child : children) body.insert(body.end(), child.begin(), child.end());
    Bytes out;
    putTag(out, "FORM");
    putBigEndian32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

/** Chunk data helper: NUL-terminated 8-bit strings and little-endian int32s. */
class ChunkData {
public:
    ChunkData& str(const std::string& text)
    {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        bytes_.push_back(0);
        return *this;
    }
    ChunkData& i32(int32_t v)
    {
        putLittleEndian(bytes_, static_cast<uint32_t>(v), 4);
        return *this;
    }
    ChunkData& raw(const Bytes& b)
    {
        bytes_.insert(bytes_.end(), b.begin(), b.end());
        return *this;
    }
    Bytes take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

} // namespace iff

/** One entry of the language-code list. */
struct LanguageCodeEntry {
    std::string code;         // three letters
    int32_t id = 0;           // stored as a little-endian int32; only its low byte counts
    std::string languageName;
    std::string countryName;
};

/** langcode.iff: FORM DATA > FORM LANG > FORM WIN3 > one CODE chunk per entry. */
inline Bytes encodeLanguageCodes(const std::vector<LanguageCodeEntry>& entries)
{
    std::vector<Bytes> codes;
    for (const LanguageCodeEntry& e : entries)
        codes.push_back(iff::chunk("CODE",
                                   iff::ChunkData().str(e.code).i32(e.id).str(e.languageName).str(e.countryName).take()));
    return iff::form("DATA", {iff::form("LANG", {iff::form("WIN3", codes)})});
}

/** One section of numbered strings; the optional tables are written only when not empty. */
struct LanguageSectionSpec {
    std::string languageCode = "enu";
    int32_t charSize = 1; // 1: 8-bit texts, 2: 16-bit little-endian texts
    std::string sectionName;
    std::vector<std::u16string> strings;                 // the TEXT chunk (8-bit form keeps the low bytes)
    std::vector<uint32_t> colours;                       // COLR, as 0xRRGGBB
    std::vector<int32_t> fonts;                          // FONT
    std::vector<std::pair<int32_t, int32_t>> positions;  // POSN
    std::vector<std::pair<int32_t, int32_t>> frames;     // TIME
    struct KeyRecord {
        int32_t index = 0;
        std::vector<int32_t> keys;
    };
    std::vector<KeyRecord> keys;                         // TKEY
    std::vector<Bytes> extraChunks;                      // appended inside LANG as given
};

inline Bytes encodeSectionText(const LanguageSectionSpec& spec)
{
    Bytes text;
    const int unit = spec.charSize == 2 ? 2 : 1;
    for (const std::u16string& s : spec.strings) {
        for (char16_t c : s) iff::putLittleEndian(text, c, unit);
        iff::putLittleEndian(text, 0, unit);
    }
    return text;
}

/** A section file: FORM DATA > FORM LANG > INFO, TEXT and the optional tables. */
inline Bytes encodeLanguageSection(const LanguageSectionSpec& spec)
{
    std::vector<Bytes> chunks;
    chunks.push_back(iff::chunk("INFO", iff::ChunkData()
                                            .str(spec.languageCode)
                                            .i32(spec.charSize)
                                            .i32(0)
                                            .str(spec.sectionName)
                                            .i32(0)
                                            .i32(static_cast<int32_t>(spec.strings.size()))
                                            .take()));
    chunks.push_back(iff::chunk("TEXT", encodeSectionText(spec)));
    if (!spec.colours.empty()) {
        iff::ChunkData d;
        for (uint32_t c : spec.colours)
            d.i32(static_cast<int32_t>(c >> 16 & 0xFF)).i32(static_cast<int32_t>(c >> 8 & 0xFF)).i32(static_cast<int32_t>(c & 0xFF));
        chunks.push_back(iff::chunk("COLR", d.take()));
    }
    if (!spec.fonts.empty()) {
        iff::ChunkData d;
        for (int32_t f : spec.fonts) d.i32(f);
        chunks.push_back(iff::chunk("FONT", d.take()));
    }
    if (!spec.positions.empty()) {
        iff::ChunkData d;
        for (const auto& [x, y] : spec.positions) d.i32(x).i32(y);
        chunks.push_back(iff::chunk("POSN", d.take()));
    }
    if (!spec.frames.empty()) {
        iff::ChunkData d;
        for (const auto& [first, last] : spec.frames) d.i32(first).i32(last);
        chunks.push_back(iff::chunk("TIME", d.take()));
    }
    if (!spec.keys.empty()) {
        iff::ChunkData d;
        for (const auto& record : spec.keys) {
            d.i32(record.index).i32(static_cast<int32_t>(record.keys.size()));
            for (int32_t k : record.keys) d.i32(k);
        }
        chunks.push_back(iff::chunk("TKEY", d.take()));
    }
    for (const Bytes& extra : spec.extraChunks) chunks.push_back(extra);
    return iff::form("DATA", {iff::form("LANG", chunks)});
}

} // namespace formats
