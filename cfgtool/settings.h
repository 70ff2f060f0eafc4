/** @file The settings the editor knows in kz.cfg, and how a line of the file is recognised as one of them. */
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cfgtool {

enum class SettingKind {
    OnOff,  ///< radio group written as =on / =off
    YesNo,  ///< radio group written as =yes / =no
    Colour, ///< six hexadecimal digits RRGGBB, written as =#RRGGBB
    Short,  ///< a short text field with a typing limit
    Path,   ///< a file or folder path
};

enum Page { kGeneralPage, kGraphicalPage, kSoundsPage, kFilePage, kEditorPage };

struct Setting {
    const char* key; ///< as written into the file
    Page page;
    const char* caption;
    SettingKind kind;
    int limit; ///< typing limit of a short field
};

inline constexpr int kSettingCount = 39;
const std::array<Setting, kSettingCount>& settings();
/** Index of the setting with this key (any case), or -1. */
int findSetting(std::string_view key);

/** Only lines 0 to 100 of the file are looked at for settings. */
inline constexpr int kScannedLines = 101;

/** Default client folder and journal file written by the system defaults button. */
inline constexpr const char* kDefaultClientFolder = "/opt/kz";
inline constexpr const char* kDefaultJournalFile = "/opt/kz/kz.txt";

/** A short field's window: a longer value is more than the editor writes back into it. */
inline constexpr size_t kShortWindow = 3;

/** What a recognised line shows: an item of a radio group, or the text of a field. */
struct Recognised {
    int setting;
    int item = -1;     ///< radio groups: 0 "On/Yes", 1 "Off/No", -1 none
    std::string text;  ///< fields
    /**
     * The control cannot give the value back as it stands (the line would lose part of it if the
     * control rewrote it), so the line is kept until the user changes that control.
     */
    bool keepLine = false;
};

/**
 * The setting a line holds: its key (the text before the first "=", blanks around it ignored)
 * must be the setting's key in any case. A radio value is one of the words on, off, yes or no in
 * any case (anything else selects nothing); a short field shows its value with blanks trimmed,
 * kept when longer than its window; a colour its six digits after "#" (nothing for a value
 * without "#", such as a hue number), kept when that is not the whole value; a path the whole
 * value.
 */
std::optional<Recognised> recogniseLine(std::string_view line);

/** The line the editor writes for a setting showing item (radio) or text (fields). */
std::string settingLine(int setting, int item, const std::string& text);

/** Lines of a text file: split at LF, a CR before it dropped; a last line without an end counts. */
std::vector<std::string> splitLines(std::string_view bytes);
/** Lines joined with CR LF after each. */
std::string joinLines(const std::vector<std::string>& lines);

} // namespace cfgtool
