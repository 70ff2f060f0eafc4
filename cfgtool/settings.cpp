/** @file The editor's setting table and the recognition of kz.cfg lines. */
#include "cfgtool/settings.h"

#include <cctype>

namespace cfgtool {

namespace {

using K = SettingKind;

constexpr std::array<Setting, kSettingCount> kSettings = {{
    {"PageFlip", kGraphicalPage, "Page Flip", K::OnOff, 0},
    {"Sound", kSoundsPage, "Sound", K::OnOff, 0},
    {"FullScreen", kGraphicalPage, "Full Screen", K::OnOff, 0},
    {"Music", kSoundsPage, "Music", K::OnOff, 0},
    {"ShowTips", kGeneralPage, "Show tips", K::OnOff, 0},
    {"Footsteps", kSoundsPage, "Foot Steps", K::OnOff, 0},
    {"ObscenityFilter", kGeneralPage, "Filter Obscenities", K::OnOff, 0},
    {"RememberAcctPW", kGeneralPage, "Remember Password", K::OnOff, 0},
    {"ShowIntroAnim", kGraphicalPage, "Show Intro Animation", K::OnOff, 0},
    {"FilterPWOn", kGeneralPage, "Filter PW", K::OnOff, 0},
    {"AllowPathfind", kGeneralPage, "Path Finding", K::OnOff, 0},
    {"AutoArrangeMinimized", kGraphicalPage, "Auto Arrange", K::OnOff, 0},
    {"ScaleBarkTimes", kSoundsPage, "Scale Talking", K::OnOff, 0},
    {"ChestOpening", kGraphicalPage, "Chest Opening", K::OnOff, 0},
    {"FrameSkipping", kGraphicalPage, "Frame Skip", K::OnOff, 0},
    {"HoldTabForCombat", kGeneralPage, "Hold Tab Combat", K::OnOff, 0},
    {"NotorietyQuery", kGeneralPage, "Notoriety Query", K::OnOff, 0},
    {"AssumePlayasGhost", kGeneralPage, "Assume as Ghost", K::YesNo, 0},
    {"UseCircleTrans", kGraphicalPage, "Circle Transparency", K::OnOff, 0},
    {"OffsetGumps", kGraphicalPage, "Offset Gumps", K::OnOff, 0},
    {"UnicodeFont", kSoundsPage, "Unicode Font", K::OnOff, 0},
    {"UnicodeSpeech", kSoundsPage, "Unicode Speech", K::OnOff, 0},
    {"CensorBlood", kSoundsPage, "Censor Blood", K::YesNo, 0},
    {"Censoredbloodcolor", kSoundsPage, "Censored Blood Color", K::Colour, 6},
    {"HighlightColorInnocent", kGraphicalPage, " Innocent:", K::Colour, 6},
    {"HighlightColorFriend", kGraphicalPage, "Friend:", K::Colour, 6},
    {"HighlightColorCanAttack", kGraphicalPage, "Aggressor:", K::Colour, 6},
    {"HighlightColorCriminal", kGraphicalPage, "  Criminal:", K::Colour, 6},
    {"HighlightColorEnemy", kGraphicalPage, "  Enemy:", K::Colour, 6},
    {"HighlightColorMurderer", kGraphicalPage, "Murderer:", K::Colour, 6},
    {"SoundVol", kSoundsPage, "Sound Volume:", K::Short, 3},
    {"MusicVol", kSoundsPage, "Music Volume:", K::Short, 3},
    {"BarkTimeModifier", kSoundsPage, "Bark Time:", K::Short, 3},
    {"CircleTransRadius", kGraphicalPage, " Radius:", K::Short, 3},
    {"LastTip", kGeneralPage, " Last:", K::Short, 2},
    {"CacheSize", kGeneralPage, "  Cache Size:", K::Short, 3},
    {"HdUsage", kGeneralPage, "  Hard Drive Usage:", K::Short, 3},
    {"JournalSaveFile", kGeneralPage, "Journal Location:", K::Path, 0},
    {"CdRomDataPath", kGeneralPage, "  Directory for KZ:", K::Path, 0},
}};

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view trimmed(std::string_view s)
{
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

} // namespace

const std::array<Setting, kSettingCount>& settings()
{
    return kSettings;
}

int findSetting(std::string_view key)
{
    for (int i = 0; i < kSettingCount; ++i)
        if (equalNoCase(kSettings[static_cast<size_t>(i)].key, key))
            return i;
    return -1;
}

std::optional<Recognised> recogniseLine(std::string_view line)
{
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    const int index = findSetting(trimmed(line.substr(0, eq)));
    if (index < 0)
        return std::nullopt;
    const std::string_view value = line.substr(eq + 1);
    Recognised out{index, -1, {}};
    switch (kSettings[static_cast<size_t>(index)].kind) {
    case K::OnOff:
    case K::YesNo: {
        // Only the words the groups stand for: the client takes just "on" and "yes" as on, so a
        // value such as "enabled" shown as On would be saved as a switch the client never had.
        const std::string_view v = trimmed(value);
        if (equalNoCase(v, "on") || equalNoCase(v, "yes"))
            out.item = 0;
        else if (equalNoCase(v, "off") || equalNoCase(v, "no"))
            out.item = 1;
        break;
    }
    case K::Colour: {
        // Only a "#RRGGBB" value is the editor's: the client also stores these settings as plain
        // numbers (a hue), which the field must not show, or its change handler would rewrite
        // the number as a colour. Such a line is found but kept as it is until a colour is picked;
        // so is one with more after "#" than the six digits the field shows (it shows those six,
        // the colour it would be read as; the rest is left to the line).
        const std::string_view v = trimmed(value);
        const bool colour = !v.empty() && v.front() == '#';
        if (colour)
            out.text = std::string(v.substr(1, 6));
        out.keepLine = !colour || v.size() > 7;
        break;
    }
    case K::Short: {
        // The field's limit only stops typing, so a longer value is shown as it stands: cut to
        // the window, "CacheSize=1000" would read (and be saved) as 100.
        out.text = std::string(trimmed(value));
        out.keepLine = out.text.size() > kShortWindow;
        break;
    }
    case K::Path:
        out.text = std::string(value);
        break;
    }
    return out;
}

std::string settingLine(int setting, int item, const std::string& text)
{
    const Setting& s = kSettings[static_cast<size_t>(setting)];
    std::string line = std::string(s.key) + "=";
    switch (s.kind) {
    case K::OnOff: return line + (item == 0 ? "on" : "off");
    case K::YesNo: return line + (item == 0 ? "yes" : "no");
    case K::Colour: return line + "#" + text;
    case K::Short:
    case K::Path: return line + text;
    }
    return line;
}

std::vector<std::string> splitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

} // namespace cfgtool
