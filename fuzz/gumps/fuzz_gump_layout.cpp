/** @file Fuzz target: the layout text and text lines of a server-described gump, built into its controls, bitmap and reply. */
#include "client/core/kz_report.h"
#include "client/data/unicode_font.h"
#include "client/gumps/framework/generic_gump.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
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
    size_t i = 0;
    while (i < size && data[i] != 0)
        d.layout.push_back(static_cast<char>(data[i++]));
    std::u16string line;
    for (++i; i < size; ++i) {
        if (data[i] == 0) {
            d.lines.push_back(line);
            line.clear();
        } else {
            line.push_back(data[i]);
        }
    }
    d.lines.push_back(line);
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
