/** @file Iff: a reader of nested FORM/CHUNK files held in memory, with bounds checked at every level. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/** A four-character tag; the most significant byte is the first character. */
using IffTag = uint32_t;

constexpr IffTag MakeIffTag(char a, char b, char c, char d)
{
    return static_cast<IffTag>(static_cast<uint8_t>(a)) << 24 | static_cast<IffTag>(static_cast<uint8_t>(b)) << 16 |
           static_cast<IffTag>(static_cast<uint8_t>(c)) << 8 | static_cast<IffTag>(static_cast<uint8_t>(d));
}

// Layout: FORM = "FORM", u32 big-endian length (counting everything after the length field,
// the type included), type tag, children. CHUNK = tag, u32 big-endian data length, data, and
// a pad byte after odd lengths (not counted).
//
// The reader walks a buffer it does not own. Every FORM and CHUNK it enters must lie inside
// the one that holds it and inside the buffer, and every read stays inside the current chunk:
// a damaged file is reported through the fatal report (file, path of open tags, tag at the
// current position) instead of being read past its end. Main thread only.
class Iff {
public:
    Iff(const unsigned char* data, size_t size);
    Iff(const Iff&) = delete;
    Iff& operator=(const Iff&) = delete;

    /** Keeps a copy of the name for the messages. */
    void setFileName(const char* name);

    /** "FORM" at the current position, and the given type unless it is 0. */
    bool isForm(IffTag type = 0);
    /** False for 0; else the four bytes at the current position equal the tag. */
    bool isCurrentTag(IffTag tag);
    /** The four bytes at the current position; 0 when fewer than four are left in the buffer. */
    IffTag getCurrentTag() const;
    /** The current position (never past the end of the buffer). */
    const unsigned char* getCurrentData() const;

    /** Enters the FORM at the current position (of the given type unless 0); fatal when it cannot. */
    bool enterForm(IffTag type = 0);
    /** Enters the chunk with this tag at the current position; fatal when it cannot. */
    bool enterChunk(IffTag tag);
    /** Leaves the innermost entry to just after it (its pad byte included); with check, unread data is fatal. */
    bool exitChunk(IffTag tag = 0, bool check = false);
    /** Leaves the innermost entry to just after it. */
    bool exitForm(IffTag tag = 0);

    bool atEndOfChunk() const;
    /** Bytes left in the innermost entry; fatal at depth 0. */
    unsigned int charsLeft();
    /**
     * Reads a NUL-terminated string of the current chunk into out (capacity bytes, cut to fit
     * and always terminated) and moves past the whole string. Demands at least four bytes left.
     */
    void readString(char* out, size_t capacity);
    /** Reads four bytes, big-endian when asked, else little-endian. */
    int32_t readInt32(bool bigEndian);

    /**
     * "File:<name>, Path:/<tag>/...: <message> Tag at current position = '<tag>'." followed by
     * the signature, through KZReport::fatal when fatal, else KZReport::warning.
     */
    void reportError(const char* signature, const char* message, bool fatal);

    int depth() const { return static_cast<int>(stack_.size()); }
    size_t stackCapacity() const { return capacity_; }

private:
    struct Entry {
        size_t start = 0;    // offset of the first tag byte
        uint32_t length = 0; // as stored
        char tag[5] = {};
    };

    size_t bytesLeftInBuffer() const { return position_ < size_ ? size_ - position_ : 0; }
    /** The end offset of the innermost entry, or of the buffer at depth 0. */
    size_t containerEnd() const;
    uint32_t readBigEndian32(size_t at) const;
    void push(size_t start, uint32_t length, IffTag tag);
    void requireData(const char* function) const;
    static void tagText(IffTag tag, char out[5]);

    const unsigned char* data_;
    size_t size_;
    size_t position_ = 0;
    std::string fileName_;
    uint32_t formLength_ = 0;
    uint32_t chunkLength_ = 0;
    std::vector<Entry> stack_;
    size_t capacity_ = 64;
};
