/** @file A little-endian byte writer for building data files field by field. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace formats {

using Bytes = std::vector<uint8_t>;

/** Appends integers in little-endian order; never depends on the host's layout. */
class LeWriter {
public:
    LeWriter& u8(uint32_t v)
    {
        bytes_.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    LeWriter& u16(uint32_t v) { return u8(v).u8(v >> 8); }
    LeWriter& u32(uint32_t v) { return u16(v).u16(v >> 16); }
    LeWriter& s8(int32_t v) { return u8(static_cast<uint32_t>(v)); }
    LeWriter& s16(int32_t v) { return u16(static_cast<uint32_t>(v)); }
    LeWriter& s32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
    LeWriter& bytes(const Bytes& b)
    {
        bytes_.insert(bytes_.end(), b.begin(), b.end());
        return *this;
    }
    LeWriter& zeros(size_t n)
    {
        bytes_.insert(bytes_.end(), n, 0);
        return *this;
    }
    /** Exactly n bytes: the text cut to n, then NUL padding. */
    LeWriter& fixedString(const std::string& text, size_t n)
    {
        for (size_t i = 0; i < n; ++i) u8(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
        return *this;
    }
    /** Overwrites four bytes at an earlier position (for counts and offsets known late). */
    void patchU32(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i) bytes_.at(at + static_cast<size_t>(i)) = static_cast<uint8_t>(v >> (8 * i));
    }

    size_t size() const { return bytes_.size(); }
    const Bytes& data() const { return bytes_; }
    Bytes take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

} // namespace formats
