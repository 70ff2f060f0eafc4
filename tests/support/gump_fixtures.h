/** @file Builders of what the gump framework reads: server gump packets, desktop files and macro files. */
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

/** Packet 0xB0 with its length field; the layout gets its terminating zero. */
std::vector<uint8_t> buildServerGumpPacket(uint32_t serial, uint32_t gumpId, int32_t x, int32_t y,
                                           const std::string& layout, const std::vector<std::u16string>& lines);

} // namespace testsupport
