/** @file The bounds-checked byte reader: copies, texts and sub-views. */
#include "client/core/byte_reader.h"

#include <cstring>

bool ByteReader::copy(void* out, size_t n)
{
    const uint8_t* p = take(n);
    if (p == nullptr) {
        if (n > 0)
            std::memset(out, 0, n);
        return n == 0 && !failed_;
    }
    if (n > 0)
        std::memcpy(out, p, n);
    return true;
}

std::string ByteReader::fixedString(size_t width)
{
    const uint8_t* p = take(width);
    if (p == nullptr)
        return {};
    size_t length = 0;
    while (length < width && p[length] != 0)
        ++length;
    return std::string(reinterpret_cast<const char*>(p), length);
}

bool ByteReader::fixedString(size_t width, char* out, size_t capacity)
{
    if (capacity == 0)
        return skip(width);
    out[0] = 0;
    const uint8_t* p = take(width);
    if (p == nullptr)
        return width == 0 && !failed_;
    size_t length = 0;
    while (length < width && length + 1 < capacity && p[length] != 0) {
        out[length] = static_cast<char>(p[length]);
        ++length;
    }
    out[length] = 0;
    return true;
}

std::string ByteReader::zeroTerminated(size_t maxLength)
{
    if (failed_)
        return {};
    const size_t limit = remaining() < maxLength ? remaining() : maxLength;
    const uint8_t* start = data_ + position_;
    const void* end = limit > 0 ? std::memchr(start, 0, limit) : nullptr;
    if (end == nullptr) {
        fail();
        return {};
    }
    const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(end) - start);
    position_ += length + 1;
    return std::string(reinterpret_cast<const char*>(start), length);
}

std::u16string ByteReader::zeroTerminatedU16be(size_t maxUnits)
{
    std::u16string text;
    while (text.size() < maxUnits) {
        if (!has(2))
            break;
        const char16_t unit = static_cast<char16_t>(u16be());
        if (unit == 0)
            return text;
        text.push_back(unit);
    }
    fail();
    return {};
}

std::u16string ByteReader::u16beUnits(size_t units)
{
    if (units > remaining() / 2) {
        fail();
        return {};
    }
    std::u16string text(units, u'\0');
    for (size_t i = 0; i < units; ++i)
        text[i] = static_cast<char16_t>(u16be());
    return text;
}

ByteReader ByteReader::sub(size_t n)
{
    const uint8_t* p = take(n);
    if (p == nullptr) {
        ByteReader empty;
        empty.failed_ = true;
        return empty;
    }
    return ByteReader(p, n);
}
