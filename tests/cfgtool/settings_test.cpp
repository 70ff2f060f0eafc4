/** @file Recognition of kz.cfg lines as the editor's settings, and the lines it writes back. */
#include "cfgtool/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace cfgtool;

TEST(Settings, LinesAreRecognisedOnlyByTheirWholeKey)
{
    struct Row {
        const char* line;
        const char* key; // nullptr: not a setting of the editor
        int item;
        const char* text;
        bool kept = false; // the line stays as it stands until the user changes the control
    };
    const Row rows[] = {
        {"Sound=ON", "Sound", 0, ""},
        {"sound=yes", "Sound", 0, ""},
        {"Sound=off", "Sound", 1, ""},
        {"SOUND=no", "Sound", 1, ""},
        {"Sound=maybe", "Sound", -1, ""},
        // Only the four words: the client reads anything else as off, whatever its letters.
        {"Sound=enabled", "Sound", -1, ""},
        {"Music=onward", "Music", -1, ""},
        {"FullScreen=1", "FullScreen", -1, ""},
        {"Footsteps= Off ", "Footsteps", 1, ""},
        {"Sound =on", "Sound", 0, ""},
        {"AssumePlayAsGhost=yes", "AssumePlayasGhost", 0, ""},
        {"CacheSize= 25", "CacheSize", -1, "25"},
        {"SoundVol=5 ", "SoundVol", -1, "5"},
        {"SoundVol=  255", "SoundVol", -1, "255"},
        {"HdUsage=max", "HdUsage", -1, "max"},
        {"LastTip=123", "LastTip", -1, "123"},
        // Longer than the field's window: shown whole, never cut to three characters.
        {"CacheSize=1000", "CacheSize", -1, "1000", true},
        {"HdUsage= maximum ", "HdUsage", -1, "maximum", true},
        {"BarkTimeModifier=12\t; slower", "BarkTimeModifier", -1, "12\t; slower", true},
        {"HighlightColorEnemy=#FF0080", "HighlightColorEnemy", -1, "FF0080"},
        {"Censoredbloodcolor=", "Censoredbloodcolor", -1, "", true},
        {"HighlightColorFriend=63", "HighlightColorFriend", -1, "", true}, // a hue number, not a colour
        {"HighlightColorMurderer=#1234567", "HighlightColorMurderer", -1, "123456", true},
        {"HighlightColorCriminal=#abc", "HighlightColorCriminal", -1, "abc"},
        {"JournalSaveFile=/home/someone/games/kz/journals/the-long-name/kz.txt", "JournalSaveFile", -1,
         "/home/someone/games/kz/journals/the-long-name/kz.txt"},
        // Other directives that share a setting's first letters are not that setting.
        {"JournalSaveUnicode=off", nullptr, -1, ""},
        {"ObsceneWord=fool", nullptr, -1, ""},
        {"FullScreenRes=800x600", nullptr, -1, ""},
        {"FrameCounter=on", nullptr, -1, ""},
        {"autoLogIn=on", nullptr, -1, ""},
        {"AllowWindowResize=on", nullptr, -1, ""},
        {"FilterPassword=abc", nullptr, -1, ""},
        {"FilterWeather=on", nullptr, -1, ""},
        {"; Sound=on", nullptr, -1, ""},
        {"Sound", nullptr, -1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const auto match = recogniseLine(row.line);
        if (row.key == nullptr) {
            EXPECT_FALSE(match.has_value());
            continue;
        }
        ASSERT_TRUE(match.has_value());
        EXPECT_EQ(settings()[static_cast<size_t>(match->setting)].key, std::string(row.key));
        EXPECT_EQ(match->item, row.item);
        EXPECT_EQ(match->text, row.text);
        EXPECT_EQ(match->keepLine, row.kept);
    }
}

TEST(Settings, WrittenLines)
{
    EXPECT_EQ(settingLine(findSetting("Sound"), 0, {}), "Sound=on");
    EXPECT_EQ(settingLine(findSetting("CensorBlood"), 1, {}), "CensorBlood=no");
    EXPECT_EQ(settingLine(findSetting("HighlightColorFriend"), -1, "000080"), "HighlightColorFriend=#000080");
    EXPECT_EQ(settingLine(findSetting("CacheSize"), -1, "25"), "CacheSize=25");
}

TEST(Settings, LinesSplitAtAnyEndAndJoinWithCrLf)
{
    EXPECT_EQ(splitLines("a\r\nb\n\nc"), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(splitLines("a\r\n"), std::vector<std::string>{"a"});
    EXPECT_EQ(joinLines({"a", ""}), "a\r\n\r\n");
}

} // namespace
