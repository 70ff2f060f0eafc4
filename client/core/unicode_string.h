/** @file The growable 16-bit string CUnicodeString, its 8-bit twin CStrBuf and the functions over NUL-terminated 16-bit text. */
#pragma once

#include <cstdint>

/** One 16-bit text unit (UTF-16 code unit); `u"..."` literals have this type. */
using WideChar = char16_t;

// Case-insensitive comparisons in this file fold only the ASCII letters A-Z; every other
// unit compares by its unsigned value.

/**
 * Growable 16-bit string that owns its buffer. The text may be null (no buffer at all);
 * whenever it exists it is NUL-terminated and capacity >= length + 1.
 * Arguments may point into this string's own buffer: they are copied before any growth.
 */
class CUnicodeString {
public:
    CUnicodeString();
    CUnicodeString(const CUnicodeString& other);
    CUnicodeString(CUnicodeString&& other) noexcept;
    /** Copy of the text; null gives an empty string without buffer. */
    explicit CUnicodeString(const WideChar* text);
    /** Each byte widened as an unsigned value 0-255; null gives an empty string without buffer. */
    explicit CUnicodeString(const char* text);
    ~CUnicodeString();

    CUnicodeString& operator=(const CUnicodeString& other);
    CUnicodeString& operator=(CUnicodeString&& other) noexcept;

    /** The text, or null when no buffer exists. */
    WideChar* GetStringBuffer() const { return text_; }
    int32_t GetLength() const { return length_; }
    int32_t GetCapacity() const { return capacity_; }

    /** Appends a text (null or empty changes nothing); returns the text pointer. */
    WideChar* Append(const WideChar* text);
    /** Copies a text in; null empties the string and keeps its buffer. */
    void Assign(const WideChar* text);
    void AssignString(const CUnicodeString& other);
    void AssignAscii(const char* text);
    void AppendString(const CUnicodeString& other);
    void AppendNumber(int32_t value);
    void AppendChar(WideChar unit);

    /** Equal ignoring the case of A-Z; a missing buffer counts as empty text. */
    bool Equals(const CUnicodeString& other) const;
    bool NotEquals(const CUnicodeString& other) const;
    /** True when this string is a prefix of the 8-bit text (false for null). */
    bool MatchesAscii(const char* text) const;
    /** True when the 8-bit text is a prefix of this string (false for null). */
    bool StartsWithAscii(const char* text) const;
    /** The unit at the index, or a shared 0 unit when the index is outside the text. */
    const WideChar* CharAt(int32_t index) const;
    /** The other's text followed by this string's text becomes the text. */
    void Prepend(const CUnicodeString& other);
    /** out receives the text after the first occurrence of the unit, or empty text. */
    void GetTextAfter(CUnicodeString& out, WideChar unit) const;
    /**
     * Reads "[low-high]": both results start at 0; the units between "[" and "-" and between
     * "-" and "]" are accumulated as decimal digits (without checking that they are digits).
     * Scanning stops at the terminator, so a missing delimiter leaves what was read so far.
     */
    void ParseRange(int32_t& low, int32_t& high) const;
    /** Removes the last unit when the string is non-empty and ends with it. */
    bool RemoveLastCharIf(WideChar unit);

private:
    static constexpr int32_t kGrowStep = 1;

    /** Makes room for `needed` units plus the NUL; a new buffer holds needed + extra units. */
    void reserve(int32_t needed, int32_t extra);
    void release();

    WideChar* text_ = nullptr;
    int32_t length_ = 0;
    int32_t growStep_ = kGrowStep;
    int32_t capacity_ = 0;
};

/** Growable 8-bit string that owns its buffer; starts without one. Same invariants as CUnicodeString. */
class CStrBuf {
public:
    CStrBuf() = default;
    CStrBuf(const CStrBuf& other);
    CStrBuf(CStrBuf&& other) noexcept;
    /** Copy in a buffer of length + 64 bytes; null gives an empty string without buffer. */
    explicit CStrBuf(const char* text);
    ~CStrBuf();

    CStrBuf& operator=(const CStrBuf& other);
    CStrBuf& operator=(CStrBuf&& other) noexcept;

    char* GetStringBuffer() const { return text_; }
    int32_t GetLength() const { return length_; }
    int32_t GetCapacity() const { return capacity_; }

    char* Append(const char* text);
    /** Copies a text in; null empties the string and keeps its buffer. */
    void Assign(const char* text);
    CStrBuf& operator+=(const char* text);
    void AppendInt(int32_t value);

private:
    static constexpr int32_t kGrowStep = 64;

    void release();

    char* text_ = nullptr;
    int32_t length_ = 0;
    int32_t growStep_ = kGrowStep;
    int32_t capacity_ = 0;
};

// Functions over NUL-terminated 16-bit arrays. A null text reads as empty text; a null
// destination makes the writing functions do nothing.

int32_t WideStrLen(const WideChar* text);
/** -1, 0 or 1, comparing units as unsigned values. */
int WideStrCmp(const WideChar* a, const WideChar* b);
int WideStrICmp(const WideChar* a, const WideChar* b);
/** WideStrICmp over at most n units. */
int WideStrNICmp(const WideChar* a, const WideChar* b, int32_t n);
/** Unbounded copy with the NUL; prefer WideStrCpyBounded for fixed buffers. */
WideChar* WideStrCpy(WideChar* out, const WideChar* in);
/** Copies at most n units and always writes the NUL after them (out needs n + 1 units). */
WideChar* WideStrNCpy(WideChar* out, const WideChar* in, int32_t n);
/** Copies into a buffer of `capacity` units, cutting the text so the NUL always fits. */
WideChar* WideStrCpyBounded(WideChar* out, int32_t capacity, const WideChar* in);
/** Heap copy (release with delete[]); null for a null text. */
WideChar* WideStrDup(const WideChar* text);
/** Unbounded append; prefer WideStrCatBounded for fixed buffers. */
WideChar* WideStrCat(WideChar* out, const WideChar* in);
/** Appends into a buffer of `capacity` units holding a terminated text, cutting to fit. */
WideChar* WideStrCatBounded(WideChar* out, int32_t capacity, const WideChar* in);
/** Appends an 8-bit text, each byte widened. */
WideChar* WideStrCatNarrow(WideChar* out, const char* in);
/** Copies an 8-bit text into a 16-bit buffer, each byte as one unit. */
WideChar* WidenString(WideChar* out, const char* in);
/** WidenString with the source first. */
void AsciiToWide(const char* in, WideChar* out);
/** Copies a 16-bit text into an 8-bit buffer keeping the low byte of each unit. */
char* NarrowString(char* out, const WideChar* in);
/** Copies only the units below 128, dropping the others. */
char* WideToAsciiStrip(char* out, const WideChar* in);
bool IsWideSpace(WideChar unit);
bool IsWideDigit(WideChar unit);
/** Signed decimal: each "-" flips the sign, "+" is skipped, digits accumulate (wrapping at 32 bits), anything else stops. */
int32_t WideToInt(const WideChar* text);
/**
 * Writes the value in the radix (2-36, anything else means 10), "-" first when negative,
 * lowercase letters for digits above 9, NUL-terminated. Radix 10 needs at most 12 units,
 * radix 2 at most 34.
 */
WideChar* IntToWide(int32_t value, WideChar* out, int radix);
