/** @file Builders of what the gump framework reads: server gump packets, desktop files and macro files. */
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

/** A desktop file, little-endian: the player serial, then records of a kind byte and fields of 1, 2 or 4 bytes. */
class DesktopFileBuilder {
public:
    explicit DesktopFileBuilder(uint32_t serial);
    /** A record of that kind with its fields given as (width, value) pairs. */
    DesktopFileBuilder& record(uint8_t kind, std::initializer_list<std::pair<int, int64_t>> fields);
    /** A window at x, y with a minimized byte (kinds 0, 1, 6, 7). */
    DesktopFileBuilder& window(uint8_t kind, int32_t x, int32_t y, uint8_t minimized);
    DesktopFileBuilder& container(int32_t x, int32_t y, uint32_t serial, uint8_t minimized);
    DesktopFileBuilder& spellbook(int32_t x, int32_t y, uint8_t minimized, uint8_t value, uint32_t serial);
    /** Kind 16 (or 11 without the maximized byte). */
    DesktopFileBuilder& gameWindow(bool shortKind, int32_t areaX, int32_t areaY, int32_t left, int32_t top, int32_t width,
                                   int32_t height, uint8_t maximized);
    /** Raw bytes (for cut records). */
    DesktopFileBuilder& raw(std::initializer_list<uint8_t> bytes);
    std::vector<uint8_t> bytes() const { return bytes_; }
    std::string text() const { return std::string(bytes_.begin(), bytes_.end()); }

private:
    std::vector<uint8_t> bytes_;
};

/** The 89 lines of keynames.txt: the names given by scan code, every other line empty. */
std::string buildKeyNames(const std::vector<std::pair<int, std::string>>& names);

/** One macro of macros.txt: its header ("name C A S") and its action lines. */
struct MacroText {
    std::string header;
    std::vector<std::string> actions;
};
/** macros.txt: each macro's header, its actions, then "########", lines ended by lineEnd. */
std::string buildMacroFile(const std::vector<MacroText>& macros, const std::string& lineEnd = "\n");

/** Packet 0xB0 with its length field; the layout gets its terminating zero. */
std::vector<uint8_t> buildServerGumpPacket(uint32_t serial, uint32_t gumpId, int32_t x, int32_t y,
                                           const std::string& layout, const std::vector<std::u16string>& lines);

} // namespace testsupport

namespace testsupport {

/**
 * The three Unicode fonts for a test: every printable ASCII character (but the blank) a block of
 * ink of width x height in the normal and big fonts, and of smallWidth x height in the small font;
 * put back (fonts forgotten) by the destructor.
 */
class ScopedUnicodeFonts {
public:
    ScopedUnicodeFonts(int width, int height, int smallWidth);
    ~ScopedUnicodeFonts();
    ScopedUnicodeFonts(const ScopedUnicodeFonts&) = delete;
    ScopedUnicodeFonts& operator=(const ScopedUnicodeFonts&) = delete;

private:
    std::vector<uint8_t> normal_;
    std::vector<uint8_t> small_;
};

} // namespace testsupport
