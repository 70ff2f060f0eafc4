/** @file Iff: walking nested FORM/CHUNK data with bounds checks, and its error report. */
#include "client/core/iff.h"

#include "client/core/byte_reader.h"
#include "client/core/kz_report.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr IffTag kFormTag = MakeIffTag('F', 'O', 'R', 'M');
constexpr size_t kChunkHeader = 8;
constexpr size_t kFormHeader = 12;

} // namespace

Iff::Iff(const unsigned char* data, size_t size) : data_(data), size_(data ? size : 0)
{
    stack_.reserve(capacity_);
}

void Iff::setFileName(const char* name)
{
    fileName_ = name ? name : "";
}

namespace {

/**
 * "<head> 'TYPE'<tail>", as in "Cannot enter FORM 'DATA'"; a zero tag is left out rather than
 * printed as NULs.
 */
void tagMessage(char* out, size_t size, const char* head, IffTag tag, const char* tail = "")
{
    if (tag == 0) {
        std::snprintf(out, size, "%s%s", head, tail);
        return;
    }
    std::snprintf(out, size, "%s '%c%c%c%c'%s", head, static_cast<char>(tag >> 24), static_cast<char>(tag >> 16),
                  static_cast<char>(tag >> 8), static_cast<char>(tag), tail);
}

} // namespace

void Iff::tagText(IffTag tag, char out[5])
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>(tag >> (24 - 8 * i));
    out[4] = '\0';
}

uint32_t Iff::readBigEndian32(size_t at) const
{
    return ByteReader(data_, size_).u32beAt(at);
}

size_t Iff::containerEnd() const
{
    if (stack_.empty())
        return size_;
    const Entry& e = stack_.back();
    return e.start + kChunkHeader + e.length;
}

void Iff::requireData(const char* function) const
{
    if (!data_)
        KZReport::fatal("FILE:%s, Function:%s: no current data!\n", __FILE__, function);
}

void Iff::push(size_t start, uint32_t length, IffTag tag)
{
    if (stack_.size() >= capacity_) {
        capacity_ *= 2;
        stack_.reserve(capacity_);
    }
    Entry e;
    e.start = start;
    e.length = length;
    tagText(tag, e.tag);
    stack_.push_back(e);
}

bool Iff::isForm(IffTag type)
{
    requireData("Iff::isForm");
    if (getCurrentTag() != kFormTag)
        return false;
    if (type == 0)
        return true;
    return bytesLeftInBuffer() >= kFormHeader && readBigEndian32(position_ + 8) == type;
}

bool Iff::isCurrentTag(IffTag tag)
{
    requireData("Iff::isForm");
    return tag != 0 && getCurrentTag() == tag;
}

IffTag Iff::getCurrentTag() const
{
    return bytesLeftInBuffer() >= 4 ? readBigEndian32(position_) : 0;
}

const unsigned char* Iff::getCurrentData() const
{
    return data_ ? data_ + (position_ < size_ ? position_ : size_) : nullptr;
}

bool Iff::enterForm(IffTag type)
{
    requireData("Iff::isForm");
    static const char* const kSignature = "bool Iff::enterForm (IffTag tag)";
    char message[128];
    if (!isForm(type)) {
        tagMessage(message, sizeof message, "Cannot enter FORM", type);
        reportError(kSignature, message, true);
        return false;
    }
    // The header and the whole declared body must lie inside the holder and the buffer.
    const size_t end = containerEnd() < size_ ? containerEnd() : size_;
    const uint32_t length = position_ + kFormHeader <= end ? readBigEndian32(position_ + 4) : 0;
    if (position_ + kFormHeader > end || length < 4 || length > end - position_ - kChunkHeader) {
        tagMessage(message, sizeof message, "Cannot enter FORM", type, ". Its length runs past its end.");
        reportError(kSignature, message, true);
        return false;
    }
    formLength_ = length;
    push(position_, length, readBigEndian32(position_ + 8));
    position_ += kFormHeader;
    return true;
}

bool Iff::enterChunk(IffTag tag)
{
    requireData("Iff::isForm");
    static const char* const kSignature = "bool Iff::enterChunk (IffTag tag)";
    char message[128];
    if (tag == 0 || getCurrentTag() != tag) {
        tagMessage(message, sizeof message, "Cannot enter CHUNK", tag);
        reportError(kSignature, message, true);
        return false;
    }
    const size_t end = containerEnd() < size_ ? containerEnd() : size_;
    const uint32_t length = position_ + kChunkHeader <= end ? readBigEndian32(position_ + 4) : 0;
    if (position_ + kChunkHeader > end || length > end - position_ - kChunkHeader) {
        tagMessage(message, sizeof message, "Cannot enter CHUNK", tag, ". Its length runs past its end.");
        reportError(kSignature, message, true);
        return false;
    }
    chunkLength_ = length;
    push(position_, length, tag);
    position_ += kChunkHeader;
    return true;
}

bool Iff::exitChunk(IffTag tag, bool check)
{
    static const char* const kSignature = "bool Iff::exitChunk (IffTag tag)";
    if (stack_.empty()) {
        char message[128];
        tagMessage(message, sizeof message, "depth <= 0. Cannot exit CHUNK", tag);
        reportError(kSignature, message, true);
        return false;
    }
    if (check && position_ != containerEnd()) {
        reportError(kSignature, "extra data in CHUNK", true);
        return false;
    }
    const Entry e = stack_.back();
    stack_.pop_back();
    // The pad byte of an odd chunk may be missing at the very end of a file; the position
    // then simply lies at the end.
    position_ = e.start + kChunkHeader + e.length + (e.length & 1);
    return true;
}

bool Iff::exitForm(IffTag tag)
{
    if (stack_.empty()) {
        char message[128];
        tagMessage(message, sizeof message, "depth <= 0. Cannot exit FORM", tag);
        reportError("bool Iff::exitForm (IffTag tag)", message, true);
        return false;
    }
    const Entry e = stack_.back();
    stack_.pop_back();
    position_ = e.start + kChunkHeader + e.length;
    return true;
}

bool Iff::atEndOfChunk() const
{
    return !stack_.empty() && position_ == containerEnd();
}

unsigned int Iff::charsLeft()
{
    if (stack_.empty()) {
        reportError("unsigned int Iff::charsLeft (void)", "depth <= 0", true);
        return 0;
    }
    const size_t end = containerEnd();
    return position_ < end ? static_cast<unsigned int>(end - position_) : 0;
}

void Iff::readString(char* out, size_t capacity)
{
    static const char* const kSignature = "void Iff::readString";
    const unsigned int left = charsLeft();
    if (left < 4) {
        reportError(kSignature, "At end of CHUNK. Not enough data ?", true);
        return;
    }
    const unsigned char* text = data_ + position_;
    const void* nul = std::memchr(text, 0, left);
    if (!nul) {
        reportError(kSignature, "At end of CHUNK. Not enough data ?", true);
        return;
    }
    const size_t length = static_cast<size_t>(static_cast<const unsigned char*>(nul) - text);
    if (out && capacity > 0) {
        const size_t copied = length < capacity ? length : capacity - 1;
        std::memcpy(out, text, copied);
        out[copied] = '\0';
    }
    position_ += length + 1;
}

int32_t Iff::readInt32(bool bigEndian)
{
    if (charsLeft() < 4) {
        reportError("int Iff::readInt32", "At end of CHUNK. Not enough data ?", true);
        return 0;
    }
    ByteReader word(data_ + position_, 4);
    position_ += 4;
    return bigEndian ? word.s32be() : word.s32le();
}

void Iff::reportError(const char* signature, const char* message, bool fatal)
{
    std::string text = "File:" + fileName_ + ", Path:";
    for (const Entry& e : stack_) {
        text += "/";
        text += e.tag;
    }
    // Bytes past the end of the buffer are shown as '?', never read.
    char here[4];
    for (size_t i = 0; i < 4; ++i)
        here[i] = i < bytesLeftInBuffer() ? static_cast<char>(data_[position_ + i]) : '?';
    char tail[64];
    std::snprintf(tail, sizeof tail, " Tag at current position = '%c%c%c%c'.", here[0], here[1], here[2], here[3]);
    text += ": ";
    text += message;
    text += tail;
    if (fatal)
        KZReport::fatal("%s %s\n", text.c_str(), signature);
    KZReport::warning("%s %s\n", text.c_str(), signature);
}
