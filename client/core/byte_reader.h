/** @file The one bounds-checked reader of bytes from a file record or a packet: a view with a sticky failure flag. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/**
 * Reads integers and texts from a view of bytes it does not own. Every read first checks that
 * its bytes lie inside the view; a read that does not fit returns zero (or an empty text or a
 * null pointer), sets the failure flag and moves the position to the end, so every later read
 * fails too. Nothing clears the flag: a caller reads a whole record and checks ok() once, and
 * stops at the first failure. Network data is big-endian (the be reads), file data is
 * little-endian (the le reads). Any thread, one reader per thread.
 */
class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(data ? size : 0) {}

    bool ok() const { return !failed_; }
    bool failed() const { return failed_; }
    size_t position() const { return position_; }
    size_t size() const { return size_; }
    size_t remaining() const { return size_ - position_; }
    const uint8_t* data() const { return data_; }

    /** True when n more bytes can be read; does not fail. */
    bool has(size_t n) const { return !failed_ && n <= remaining(); }

    /** Moves to an absolute offset within the view (the end included); beyond it fails. */
    bool seek(size_t offset)
    {
        if (failed_ || offset > size_)
            return fail();
        position_ = offset;
        return true;
    }
    bool skip(size_t n) { return take(n) != nullptr || n == 0; }

    uint8_t u8()
    {
        const uint8_t* p = take(1);
        return p ? p[0] : 0;
    }
    int8_t s8() { return static_cast<int8_t>(u8()); }

    uint16_t u16be()
    {
        const uint8_t* p = take(2);
        return p ? static_cast<uint16_t>(p[0] << 8 | p[1]) : 0;
    }
    uint32_t u32be()
    {
        const uint8_t* p = take(4);
        return p ? static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                       static_cast<uint32_t>(p[2]) << 8 | p[3]
                 : 0;
    }
    int16_t s16be() { return static_cast<int16_t>(u16be()); }
    int32_t s32be() { return static_cast<int32_t>(u32be()); }

    uint16_t u16le()
    {
        const uint8_t* p = take(2);
        return p ? static_cast<uint16_t>(p[0] | p[1] << 8) : 0;
    }
    uint32_t u32le()
    {
        const uint8_t* p = take(4);
        return p ? static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                       static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24
                 : 0;
    }
    int16_t s16le() { return static_cast<int16_t>(u16le()); }
    int32_t s32le() { return static_cast<int32_t>(u32le()); }

    // Reads at an absolute offset of the view, for records laid out by offsets; the position
    // stays. A read outside the view fails like any other.
    uint16_t u16leAt(size_t offset)
    {
        const uint8_t* p = at(offset, 2);
        return p ? static_cast<uint16_t>(p[0] | p[1] << 8) : 0;
    }
    uint32_t u32leAt(size_t offset)
    {
        const uint8_t* p = at(offset, 4);
        return p ? static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                       static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24
                 : 0;
    }
    int32_t s32leAt(size_t offset) { return static_cast<int32_t>(u32leAt(offset)); }
    uint32_t u32beAt(size_t offset)
    {
        const uint8_t* p = at(offset, 4);
        return p ? static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                       static_cast<uint32_t>(p[2]) << 8 | p[3]
                 : 0;
    }

    /** A pointer to the next n bytes inside the view (no copy), or null on failure. */
    const uint8_t* bytes(size_t n) { return take(n); }

    /** Copies the next n bytes to out; on failure out is zero-filled. */
    bool copy(void* out, size_t n);

    /**
     * A fixed field of `width` bytes holding 8-bit text that may lack its terminator: the text up
     * to the first zero byte or the field's end. The whole field is consumed.
     */
    std::string fixedString(size_t width);
    /** The same into a caller's buffer of `capacity` bytes, always terminated (cut when longer). */
    bool fixedString(size_t width, char* out, size_t capacity);

    /**
     * Zero-terminated 8-bit text of at most maxLength characters. Without a terminator within
     * the view (or within maxLength) the read fails; the terminator is consumed.
     */
    std::string zeroTerminated(size_t maxLength);
    /** Zero-terminated big-endian UTF-16 text of at most maxUnits units, as for zeroTerminated. */
    std::u16string zeroTerminatedU16be(size_t maxUnits);
    /** Exactly `units` big-endian UTF-16 units (no terminator expected). */
    std::u16string u16beUnits(size_t units);

    /** A reader over the next n bytes (consumed here); an empty failed reader when they are not there. */
    ByteReader sub(size_t n);

private:
    const uint8_t* at(size_t offset, size_t n)
    {
        if (failed_ || offset > size_ || n > size_ - offset) {
            fail();
            return nullptr;
        }
        return data_ + offset;
    }
    const uint8_t* take(size_t n)
    {
        if (failed_ || n > size_ - position_) {
            fail();
            return nullptr;
        }
        const uint8_t* p = data_ + position_;
        position_ += n;
        return p;
    }
    bool fail()
    {
        failed_ = true;
        position_ = size_;
        return false;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
    bool failed_ = false;
};
