/** @file The growable 16-bit and 8-bit strings and the functions over NUL-terminated 16-bit text. */
#include "client/core/unicode_string.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

namespace {

const WideChar kEmptyUnit = 0;

WideChar foldAscii(WideChar unit)
{
    return (unit >= u'A' && unit <= u'Z') ? static_cast<WideChar>(unit - u'A' + u'a') : unit;
}

/** True when p points into [begin, begin + count); std::less gives a total order over unrelated pointers. */
template <class T>
bool pointsInto(const T* p, const T* begin, int32_t count)
{
    if (p == nullptr || begin == nullptr)
        return false;
    return !std::less<const T*>()(p, begin) && std::less<const T*>()(p, begin + count);
}

/** Makes room for `needed` units plus the NUL, keeping the text; a new buffer holds needed + extra units. */
template <class Char>
void growText(Char*& text, int32_t length, int32_t& capacity, int32_t needed, int32_t extra)
{
    if (text != nullptr && capacity >= needed + 1)
        return;
    const int32_t grownCapacity = needed + extra;
    Char* grown = new Char[grownCapacity];
    if (text != nullptr)
        std::memcpy(grown, text, sizeof(Char) * (length + 1));
    else
        grown[0] = 0;
    delete[] text;
    text = grown;
    capacity = grownCapacity;
}

/** The Append of both string classes: growth to old length + added length + step when short. */
template <class Char>
Char* appendText(Char*& text, int32_t& length, int32_t& capacity, int32_t step, const Char* added)
{
    if (added == nullptr || added[0] == 0)
        return text;
    const int32_t count = static_cast<int32_t>(std::char_traits<Char>::length(added));
    // Growth frees the old buffer, so a text taken from it must be copied first.
    std::basic_string<Char> copy;
    if (pointsInto(added, text, capacity)) {
        copy.assign(added, count);
        added = copy.c_str();
    }
    growText(text, length, capacity, length + count, step);
    std::memcpy(text + length, added, sizeof(Char) * count);
    length += count;
    text[length] = 0;
    return text;
}

/** The Assign of both string classes: null empties and keeps the buffer; growth to length + step when short. */
template <class Char>
void assignText(Char*& text, int32_t& length, int32_t& capacity, int32_t step, const Char* source)
{
    if (source == nullptr) {
        if (text != nullptr)
            text[0] = 0;
        length = 0;
        return;
    }
    const int32_t count = static_cast<int32_t>(std::char_traits<Char>::length(source));
    std::basic_string<Char> copy;
    if (pointsInto(source, text, capacity)) {
        copy.assign(source, count);
        source = copy.c_str();
    }
    if (text == nullptr || capacity < count + 1) {
        delete[] text;
        text = new Char[count + step];
        capacity = count + step;
    }
    std::memcpy(text, source, sizeof(Char) * count);
    text[count] = 0;
    length = count;
}

int sign(int diff)
{
    return diff < 0 ? -1 : (diff > 0 ? 1 : 0);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// CUnicodeString

CUnicodeString::CUnicodeString()
    : text_(new WideChar[1]{0}), capacity_(1)
{
}

CUnicodeString::CUnicodeString(const CUnicodeString& other)
{
    if (other.text_ != nullptr)
        Assign(other.text_);
}

CUnicodeString::CUnicodeString(CUnicodeString&& other) noexcept
    : text_(std::exchange(other.text_, nullptr)),
      length_(std::exchange(other.length_, 0)),
      capacity_(std::exchange(other.capacity_, 0))
{
}

CUnicodeString::CUnicodeString(const WideChar* text)
{
    if (text != nullptr)
        Assign(text);
}

CUnicodeString::CUnicodeString(const char* text)
{
    if (text == nullptr)
        return;
    const int32_t length = static_cast<int32_t>(std::strlen(text));
    text_ = new WideChar[length + 1];
    capacity_ = length + 1;
    WidenString(text_, text);
    length_ = length;
}

CUnicodeString::~CUnicodeString()
{
    release();
}

CUnicodeString& CUnicodeString::operator=(const CUnicodeString& other)
{
    if (this != &other)
        AssignString(other);
    return *this;
}

CUnicodeString& CUnicodeString::operator=(CUnicodeString&& other) noexcept
{
    if (this != &other) {
        release();
        text_ = std::exchange(other.text_, nullptr);
        length_ = std::exchange(other.length_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void CUnicodeString::release()
{
    delete[] text_;
    text_ = nullptr;
    length_ = 0;
    capacity_ = 0;
}

void CUnicodeString::reserve(int32_t needed, int32_t extra)
{
    growText(text_, length_, capacity_, needed, extra);
}

WideChar* CUnicodeString::Append(const WideChar* text)
{
    return appendText(text_, length_, capacity_, growStep_, text);
}

void CUnicodeString::Assign(const WideChar* text)
{
    assignText(text_, length_, capacity_, growStep_, text);
}

void CUnicodeString::AssignString(const CUnicodeString& other)
{
    Assign(other.text_);
}

void CUnicodeString::AssignAscii(const char* text)
{
    if (text == nullptr) {
        Assign(nullptr);
        return;
    }
    std::u16string wide(std::strlen(text), u'\0');
    WidenString(wide.data(), text);
    Assign(wide.c_str());
}

void CUnicodeString::AppendString(const CUnicodeString& other)
{
    Append(other.text_);
}

void CUnicodeString::AppendNumber(int32_t value)
{
    char narrow[256];
    std::snprintf(narrow, sizeof narrow, "%d", value);
    WideChar wide[256];
    WidenString(wide, narrow);
    Append(wide);
}

void CUnicodeString::AppendChar(WideChar unit)
{
    reserve(length_ + 1, 1);
    text_[length_] = unit;
    ++length_;
    text_[length_] = 0;
}

bool CUnicodeString::Equals(const CUnicodeString& other) const
{
    return WideStrICmp(text_, other.text_) == 0;
}

bool CUnicodeString::NotEquals(const CUnicodeString& other) const
{
    return !Equals(other);
}

bool CUnicodeString::MatchesAscii(const char* text) const
{
    if (text == nullptr)
        return false;
    for (int32_t i = 0; i < length_; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte == 0 || text_[i] != byte)
            return false;
    }
    return true;
}

bool CUnicodeString::StartsWithAscii(const char* text) const
{
    if (text == nullptr)
        return false;
    for (int32_t i = 0; text[i] != 0; ++i) {
        if (i >= length_ || text_[i] != static_cast<unsigned char>(text[i]))
            return false;
    }
    return true;
}

const WideChar* CUnicodeString::CharAt(int32_t index) const
{
    if (text_ != nullptr && index >= 0 && index < length_)
        return &text_[index];
    return &kEmptyUnit;
}

void CUnicodeString::Prepend(const CUnicodeString& other)
{
    const int32_t added = other.text_ != nullptr ? other.length_ : 0;
    const int32_t capacity = added + length_ + growStep_;
    // The new buffer is filled before the old one is freed, so prepending the string to itself is safe.
    WideChar* joined = new WideChar[capacity];
    if (added > 0)
        std::memcpy(joined, other.text_, sizeof(WideChar) * added);
    if (length_ > 0)
        std::memcpy(joined + added, text_, sizeof(WideChar) * length_);
    joined[added + length_] = 0;
    delete[] text_;
    text_ = joined;
    length_ += added;
    capacity_ = capacity;
}

void CUnicodeString::GetTextAfter(CUnicodeString& out, WideChar unit) const
{
    if (text_ != nullptr) {
        for (int32_t i = 0; i < length_; ++i) {
            if (text_[i] == unit) {
                out.Assign(text_ + i + 1);
                return;
            }
        }
    }
    out.Assign(u"");
}

void CUnicodeString::ParseRange(int32_t& low, int32_t& high) const
{
    low = 0;
    high = 0;
    if (text_ == nullptr)
        return;
    int32_t i = 0;
    auto atEnd = [&] { return i >= length_ || text_[i] == 0; };
    while (!atEnd() && text_[i] != u'[')
        ++i;
    if (atEnd())
        return;
    ++i;
    // Unsigned accumulation: a long run of units wraps instead of overflowing.
    uint32_t value = 0;
    while (!atEnd() && text_[i] != u'-')
        value = value * 10u + static_cast<uint32_t>(text_[i++] - u'0');
    low = static_cast<int32_t>(value);
    if (atEnd())
        return;
    ++i;
    value = 0;
    while (!atEnd() && text_[i] != u']')
        value = value * 10u + static_cast<uint32_t>(text_[i++] - u'0');
    high = static_cast<int32_t>(value);
}

bool CUnicodeString::RemoveLastCharIf(WideChar unit)
{
    if (text_ == nullptr || length_ <= 0 || text_[length_ - 1] != unit)
        return false;
    --length_;
    text_[length_] = 0;
    return true;
}

// ---------------------------------------------------------------------------------------------
// CStrBuf

CStrBuf::CStrBuf(const CStrBuf& other)
{
    if (other.text_ != nullptr)
        Assign(other.text_);
}

CStrBuf::CStrBuf(CStrBuf&& other) noexcept
    : text_(std::exchange(other.text_, nullptr)),
      length_(std::exchange(other.length_, 0)),
      capacity_(std::exchange(other.capacity_, 0))
{
}

CStrBuf::CStrBuf(const char* text)
{
    if (text != nullptr)
        Assign(text);
}

CStrBuf::~CStrBuf()
{
    release();
}

CStrBuf& CStrBuf::operator=(const CStrBuf& other)
{
    if (this != &other)
        Assign(other.text_);
    return *this;
}

CStrBuf& CStrBuf::operator=(CStrBuf&& other) noexcept
{
    if (this != &other) {
        release();
        text_ = std::exchange(other.text_, nullptr);
        length_ = std::exchange(other.length_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void CStrBuf::release()
{
    delete[] text_;
    text_ = nullptr;
    length_ = 0;
    capacity_ = 0;
}

char* CStrBuf::Append(const char* text)
{
    return appendText(text_, length_, capacity_, growStep_, text);
}

void CStrBuf::Assign(const char* text)
{
    assignText(text_, length_, capacity_, growStep_, text);
}

CStrBuf& CStrBuf::operator+=(const char* text)
{
    Append(text);
    return *this;
}

void CStrBuf::AppendInt(int32_t value)
{
    char number[256];
    std::snprintf(number, sizeof number, "%d", value);
    Append(number);
}

// ---------------------------------------------------------------------------------------------
// Functions over NUL-terminated 16-bit text

int32_t WideStrLen(const WideChar* text)
{
    if (text == nullptr)
        return 0;
    int32_t length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

int WideStrCmp(const WideChar* a, const WideChar* b)
{
    if (a == nullptr)
        a = &kEmptyUnit;
    if (b == nullptr)
        b = &kEmptyUnit;
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return sign(static_cast<int>(*a) - static_cast<int>(*b));
}

int WideStrICmp(const WideChar* a, const WideChar* b)
{
    return WideStrNICmp(a, b, INT32_MAX);
}

int WideStrNICmp(const WideChar* a, const WideChar* b, int32_t n)
{
    if (a == nullptr)
        a = &kEmptyUnit;
    if (b == nullptr)
        b = &kEmptyUnit;
    for (int32_t i = 0; i < n; ++i) {
        const WideChar x = foldAscii(a[i]);
        const WideChar y = foldAscii(b[i]);
        if (x != y)
            return sign(static_cast<int>(x) - static_cast<int>(y));
        if (x == 0)
            return 0;
    }
    return 0;
}

WideChar* WideStrCpy(WideChar* out, const WideChar* in)
{
    if (out == nullptr)
        return out;
    if (in == nullptr)
        in = &kEmptyUnit;
    int32_t i = 0;
    do {
        out[i] = in[i];
    } while (in[i++] != 0);
    return out;
}

WideChar* WideStrNCpy(WideChar* out, const WideChar* in, int32_t n)
{
    if (out == nullptr || in == nullptr)
        return out;
    int32_t i = 0;
    for (; i < n && in[i] != 0; ++i)
        out[i] = in[i];
    out[i] = 0;
    return out;
}

WideChar* WideStrCpyBounded(WideChar* out, int32_t capacity, const WideChar* in)
{
    if (out == nullptr || capacity <= 0)
        return out;
    if (in == nullptr)
        in = &kEmptyUnit;
    int32_t i = 0;
    for (; i < capacity - 1 && in[i] != 0; ++i)
        out[i] = in[i];
    out[i] = 0;
    return out;
}

WideChar* WideStrDup(const WideChar* text)
{
    if (text == nullptr)
        return nullptr;
    const int32_t length = WideStrLen(text);
    WideChar* copy = new WideChar[length + 1];
    std::memcpy(copy, text, sizeof(WideChar) * (length + 1));
    return copy;
}

WideChar* WideStrCat(WideChar* out, const WideChar* in)
{
    if (out == nullptr)
        return out;
    WideStrCpy(out + WideStrLen(out), in);
    return out;
}

WideChar* WideStrCatBounded(WideChar* out, int32_t capacity, const WideChar* in)
{
    if (out == nullptr || capacity <= 0)
        return out;
    int32_t length = 0;
    while (length < capacity && out[length] != 0)
        ++length;
    if (length == capacity) {
        // The buffer held no terminator: cut it so that it holds a text again.
        out[capacity - 1] = 0;
        return out;
    }
    WideStrCpyBounded(out + length, capacity - length, in);
    return out;
}

WideChar* WideStrCatNarrow(WideChar* out, const char* in)
{
    if (out == nullptr)
        return out;
    WidenString(out + WideStrLen(out), in);
    return out;
}

WideChar* WidenString(WideChar* out, const char* in)
{
    if (out == nullptr)
        return out;
    if (in == nullptr)
        in = "";
    int32_t i = 0;
    do {
        out[i] = static_cast<unsigned char>(in[i]);
    } while (in[i++] != 0);
    return out;
}

void AsciiToWide(const char* in, WideChar* out)
{
    WidenString(out, in);
}

char* NarrowString(char* out, const WideChar* in)
{
    if (out == nullptr)
        return out;
    if (in == nullptr)
        in = &kEmptyUnit;
    int32_t i = 0;
    do {
        out[i] = static_cast<char>(in[i] & 0xFF);
    } while (in[i++] != 0);
    return out;
}

char* WideToAsciiStrip(char* out, const WideChar* in)
{
    if (out == nullptr)
        return out;
    int32_t written = 0;
    if (in != nullptr) {
        for (; *in != 0; ++in) {
            if (*in < 128)
                out[written++] = static_cast<char>(*in);
        }
    }
    out[written] = 0;
    return out;
}

bool IsWideSpace(WideChar unit)
{
    return unit == 32;
}

bool IsWideDigit(WideChar unit)
{
    return unit >= u'0' && unit <= u'9';
}

int32_t WideToInt(const WideChar* text)
{
    if (text == nullptr)
        return 0;
    bool negative = false;
    uint32_t value = 0;
    for (; *text != 0; ++text) {
        if (*text == u'-')
            negative = !negative;
        else if (*text == u'+')
            continue;
        else if (IsWideDigit(*text))
            value = value * 10u + static_cast<uint32_t>(*text - u'0');
        else
            break;
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

WideChar* IntToWide(int32_t value, WideChar* out, int radix)
{
    if (out == nullptr)
        return out;
    if (radix < 2 || radix > 36)
        radix = 10;
    // The magnitude as unsigned: the most negative value has no positive int32 twin.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    WideChar digits[32];
    int count = 0;
    do {
        const uint32_t digit = magnitude % static_cast<uint32_t>(radix);
        digits[count++] = static_cast<WideChar>(digit < 10 ? u'0' + digit : u'a' + (digit - 10));
        magnitude /= static_cast<uint32_t>(radix);
    } while (magnitude != 0);
    int32_t written = 0;
    if (value < 0)
        out[written++] = u'-';
    while (count > 0)
        out[written++] = digits[--count];
    out[written] = 0;
    return out;
}
