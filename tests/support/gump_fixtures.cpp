/** @file Builders of what the gump framework reads: server gump packets, desktop files and macro files. */
#include "tests/support/gump_fixtures.h"

#include "client/data/unicode_font.h"
#include "tests/support/unicode_font_builder.h"

#include <map>

namespace testsupport {

namespace {

void be16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void be32(std::vector<uint8_t>& out, uint32_t v)
{
    be16(out, v >> 16);
    be16(out, v);
}

} // namespace

DesktopFileBuilder::DesktopFileBuilder(uint32_t serial)
{
    for (int i = 0; i < 4; ++i)
        bytes_.push_back(static_cast<uint8_t>(serial >> (8 * i)));
}

DesktopFileBuilder& DesktopFileBuilder::record(uint8_t kind, std::initializer_list<std::pair<int, int64_t>> fields)
{
    bytes_.push_back(kind);
    for (const auto& [width, value] : fields)
        for (int i = 0; i < width; ++i)
            bytes_.push_back(static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i)));
    return *this;
}

DesktopFileBuilder& DesktopFileBuilder::window(uint8_t kind, int32_t x, int32_t y, uint8_t minimized)
{
    return record(kind, {{4, x}, {4, y}, {1, minimized}});
}

DesktopFileBuilder& DesktopFileBuilder::container(int32_t x, int32_t y, uint32_t serial, uint8_t minimized)
{
    return record(3, {{4, x}, {4, y}, {4, serial}, {1, minimized}});
}

DesktopFileBuilder& DesktopFileBuilder::spellbook(int32_t x, int32_t y, uint8_t minimized, uint8_t value, uint32_t serial)
{
    return record(5, {{4, x}, {4, y}, {1, minimized}, {1, value}, {4, serial}});
}

DesktopFileBuilder& DesktopFileBuilder::gameWindow(bool shortKind, int32_t areaX, int32_t areaY, int32_t left, int32_t top,
                                                   int32_t width, int32_t height, uint8_t maximized)
{
    record(shortKind ? 11 : 16, {{4, areaX}, {4, areaY}, {4, left}, {4, top}, {4, width}, {4, height}});
    if (!shortKind)
        bytes_.push_back(maximized);
    return *this;
}

DesktopFileBuilder& DesktopFileBuilder::raw(std::initializer_list<uint8_t> bytes)
{
    bytes_.insert(bytes_.end(), bytes);
    return *this;
}

std::string buildKeyNames(const std::vector<std::pair<int, std::string>>& names)
{
    std::vector<std::string> lines(89);
    for (const auto& [scan, name] : names)
        lines.at(static_cast<size_t>(scan)) = name;
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

std::string buildMacroFile(const std::vector<MacroText>& macros, const std::string& lineEnd)
{
    std::string out;
    for (const MacroText& m : macros) {
        out += m.header + lineEnd;
        for (const std::string& a : m.actions)
            out += a + lineEnd;
        out += "########" + lineEnd;
    }
    return out;
}

std::vector<uint8_t> buildServerGumpPacket(uint32_t serial, uint32_t gumpId, int32_t x, int32_t y,
                                           const std::string& layout, const std::vector<std::u16string>& lines)
{
    std::vector<uint8_t> out{0xB0, 0, 0};
    be32(out, serial);
    be32(out, gumpId);
    be32(out, static_cast<uint32_t>(x));
    be32(out, static_cast<uint32_t>(y));
    be16(out, static_cast<uint32_t>(layout.size() + 1));
    out.insert(out.end(), layout.begin(), layout.end());
    out.push_back(0);
    be16(out, static_cast<uint32_t>(lines.size()));
    for (const std::u16string& line : lines) {
        be16(out, static_cast<uint32_t>(line.size()));
        for (char16_t c : line)
            be16(out, c);
    }
    out[1] = static_cast<uint8_t>(out.size() >> 8);
    out[2] = static_cast<uint8_t>(out.size());
    return out;
}

} // namespace testsupport

namespace testsupport {

namespace {

std::vector<uint8_t> blockFont(int width, int height)
{
    std::map<char16_t, UnicodeGlyphSpec> glyphs;
    for (char16_t c = u'!'; c <= u'~'; ++c)
        glyphs[c] = inkBlock(width, height);
    return buildUnicodeFont(glyphs);
}

} // namespace

ScopedUnicodeFonts::ScopedUnicodeFonts(int width, int height, int smallWidth)
    : normal_(blockFont(width, height)), small_(blockFont(smallWidth, height))
{
    setUnicodeFontData(0, normal_.data(), normal_.size());
    setUnicodeFontData(1, normal_.data(), normal_.size());
    setUnicodeFontData(2, small_.data(), small_.size());
}

ScopedUnicodeFonts::~ScopedUnicodeFonts()
{
    unloadUnicodeFonts();
}

} // namespace testsupport
