/** @file Builders of what the gump framework reads: server gump packets, desktop files and macro files. */
#include "tests/support/gump_fixtures.h"

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
