/** @file Fuzz target: the settings editor's line reader and recognition of kz.cfg and kzedit.ini lines. */
#include "cfgtool/settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = cfgtool::splitLines(bytes);
    for (const std::string& line : lines) {
        if (line.find('\n') != std::string::npos)
            std::abort();
        const auto match = cfgtool::recogniseLine(line);
        if (!match)
            continue;
        if (match->setting < 0 || match->setting >= cfgtool::kSettingCount || match->item < -1 || match->item > 1)
            std::abort();
        // A recognised line written back is recognised as the same setting.
        const std::string written = cfgtool::settingLine(match->setting, match->item < 0 ? 0 : match->item, match->text);
        const auto again = cfgtool::recogniseLine(written);
        if (!again || again->setting != match->setting)
            std::abort();
    }
    // Joining and splitting again keeps the lines (a lone CR at a line's end is the one loss).
    const auto rejoined = cfgtool::splitLines(cfgtool::joinLines(lines));
    if (rejoined.size() != lines.size())
        std::abort();
    return 0;
}
