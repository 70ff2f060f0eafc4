/** @file Fuzz target: the layout text and text lines of a server-described gump, built into its controls, bitmap and reply. */
#include "client/core/kz_report.h"
#include "client/data/unicode_font.h"
#include "client/gumps/framework/generic_gump.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Reports are made but not written: a log line per damaged record would cost more than the reading.
    static const bool quiet = (KZReport::setStateForTests(true, false), true);
    (void)quiet;
    // Fonts without glyphs: texts measure and draw as nothing, but every path runs.
    static const std::vector<uint8_t> font(65536 * 4, 0);
    static const bool fonts = [] {
        for (int i = 0; i < 3; ++i)
            setUnicodeFontData(i, font.data(), font.size());
        return true;
    }();
    (void)fonts;
    // The boxes of HTML elements are made, but their texts are laid out by the HTML box target.
    static const bool boxesLeftEmpty = (SetHtmlBoxLayout([](HTMLBox&, const GenericElement&, int32_t) {}), true);
    (void)boxesLeftEmpty;
    // The layout up to the first zero byte, then text lines split at each further zero byte.
    ServerGumpDescription d;
    d.serial = 1;
    const uint8_t* const end = data + size;
    auto nextZero = [end](const uint8_t* from) {
        const void* zero = from < end ? std::memchr(from, 0, static_cast<size_t>(end - from)) : nullptr;
        return zero != nullptr ? static_cast<const uint8_t*>(zero) : end;
    };
    const uint8_t* at = nextZero(data);
    d.layout.assign(data, at);
    while (at != end) {
        const uint8_t* const start = at + 1;
        at = nextZero(start);
        d.lines.emplace_back(start, at);
    }
    if (d.lines.empty())
        d.lines.emplace_back();
    auto* gump = new GenericGump(d);
    if (!gump->Failed()) {
        const std::vector<uint8_t> reply = gump->BuildReply(1);
        if (reply.size() < 19 || reply.size() > 0xFFFF || (reply[1] << 8 | reply[2]) != static_cast<int>(reply.size()))
            std::abort();
        if (gump->width > 2 * GenericGump::kMaxExtent || gump->height > 2 * GenericGump::kMaxExtent)
            std::abort();
    }
    delete gump;
    return 0;
}
