/** @file The settings editor driven as a user would: load, change, save and restore kz.cfg; its ini file; launches and links. */
#include "cfgtool/info_form.h"
#include "cfgtool/main_form.h"

#include "platform/forms/null_forms.h"
#include "platform/process/process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace cfgtool;
using platform::forms::NullWindow;
using platform::forms::RadioGroup;

class Editor : public ::testing::Test {
protected:
    /** kzedit.ini naming client/kz.cfg, with the given line 4. */
    void writeIni(const std::string& hintsLine = "hints=on")
    {
        dir_.write("kzedit.ini", "[cfgtool]\r\n" + dir_.file("client/kz.cfg") + "\r\n\r\n\r\n" + hintsLine + "\r\n");
    }
    void writeConfig(const std::vector<std::string>& lines) { dir_.write("client/kz.cfg", joinLines(lines)); }
    std::string config() const { return dir_.read("client/kz.cfg"); }

    NullWindow& open()
    {
        services_ = std::make_unique<EditorServices>(EditorServices{forms_, processes_, dir_.path().string() + "/"});
        main_ = std::make_unique<TForm1>(*services_);
        info_ = std::make_unique<TForm2>(forms_, processes_, *main_);
        main_->setInfoBox(info_.get());
        main_->FormCreate();
        forms_.run(main_->window());
        return forms_.window("cfgtool");
    }
    NullWindow& w() { return forms_.window("cfgtool"); }
    const std::vector<std::string>& copy() const { return main_->workingCopy(); }

    testsupport::TempDir dir_;
    platform::forms::NullFormKit forms_;
    platform::FakeProcessLauncher processes_;
    std::unique_ptr<EditorServices> services_;
    std::unique_ptr<TForm1> main_;
    std::unique_ptr<TForm2> info_;
};

TEST_F(Editor, LoadShowsRecognisedLinesAndRewritesThemInItsOwnForm)
{
    struct Row {
        std::string line;
        const char* control;
        bool radio;
        int item;          // radio groups
        std::string text;  // fields
        std::string after; // the line in the working copy
    };
    const Row rows[] = {
        {"Sound=ON", "Sound", true, 0, "", "Sound=on"},
        {"sound=yes", "Sound", true, 0, "", "Sound=on"},
        {"Sound=on", "Sound", true, 0, "", "Sound=on"},
        {"CensorBlood=off", "CensorBlood", true, 1, "", "CensorBlood=no"},
        {"CacheSize= 25", "CacheSize", false, 0, "25", "CacheSize=25"},
        {"SoundVol=5 ", "SoundVol", false, 0, "5", "SoundVol=5"},
        {"highlightcolorenemy=#00ff00", "HighlightColorEnemy", false, 0, "00ff00", "HighlightColorEnemy=#00ff00"},
        // The client writes these as hue numbers: kept, never turned into "#946".
        {"HighlightColorCriminal=946", "HighlightColorCriminal", false, 0, "", "HighlightColorCriminal=946"},
        {"CdRomDataPath=/a/rather/long/folder/name/that/goes/past/fifty/characters", "CdRomDataPath", false, 0,
         "/a/rather/long/folder/name/that/goes/past/fifty/characters",
         "CdRomDataPath=/a/rather/long/folder/name/that/goes/past/fifty/characters"},
        // Directives that share a setting's first letters are left alone.
        {"JournalSaveUnicode=off", "JournalSaveFile", false, 0, "", "JournalSaveUnicode=off"},
        {"ObsceneWord=fool", "ObscenityFilter", true, RadioGroup::kNone, "", "ObsceneWord=fool"},
    };
    writeIni();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        writeConfig({"; comment", row.line, "Music=off"});
        NullWindow& win = open();
        if (row.radio)
            EXPECT_EQ(win.radioGroup(row.control).selected(), row.item);
        else
            EXPECT_EQ(win.entry(row.control).text(), row.text);
        EXPECT_EQ(copy(), (std::vector<std::string>{"; comment", row.after, "Music=off"}));
        EXPECT_EQ(win.radioGroup("Music").selected(), 1);
        EXPECT_TRUE(forms_.messages().empty());
        // KZcfg.bak holds the file as loaded.
        EXPECT_EQ(dir_.read("KZcfg.bak"), joinLines({"; comment", row.line, "Music=off"}));
    }
}

TEST_F(Editor, ALoadAndSaveKeepsEveryValueItsControlCannotShowByteForByte)
{
    struct Row {
        std::string line;
        const char* control; // nullptr: nothing shown
        bool radio;
        std::string shown;   // fields; radio groups stay without a choice
    };
    const std::string longPath = "/a/rather/long/folder/name/that/goes/past/fifty/characters/and/on/kz.txt";
    const Row rows[] = {
        // Short fields longer than their window: shown whole, not cut to "100".
        {"CacheSize=1000", "CacheSize", false, "1000"},
        {"HdUsage=maximum", "HdUsage", false, "maximum"},
        {"SoundVol=  1000 ", "SoundVol", false, "1000"},
        {"LastTip=1234", "LastTip", false, "1234"},
        {"BarkTimeModifier=12 x", "BarkTimeModifier", false, "12 x"},
        {"CircleTransRadius=40\t; wider", "CircleTransRadius", false, "40\t; wider"},
        {"MusicVol=", "MusicVol", false, ""},
        // Colours the field cannot hold.
        {"Censoredbloodcolor=#1234567", "Censoredbloodcolor", false, "123456"},
        {"HighlightColorFriend=946", "HighlightColorFriend", false, ""},
        {"highlightcolorenemy=#00ff00 old", "HighlightColorEnemy", false, "00ff00"},
        {"HighlightColorCanAttack=", "HighlightColorCanAttack", false, ""},
        // Switch values that are none of the group's words.
        {"Sound=enabled", "Sound", true, ""},
        {"Music=onward", "Music", true, ""},
        {"FullScreen=1", "FullScreen", true, ""},
        {"CensorBlood=", "CensorBlood", true, ""},
        // Already in the editor's own form, paths included, whatever their length or bytes.
        {"PageFlip=on", nullptr, false, ""},
        {"CdRomDataPath=" + longPath, "CdRomDataPath", false, longPath},
        {"JournalSaveFile= /spaced dir/K\xDC journal.txt ", "JournalSaveFile", false,
         " /spaced dir/K\xDC journal.txt "},
        // Lines that hold no setting of the editor.
        {"; CacheSize=1000", nullptr, false, ""},
        {"", nullptr, false, ""},
        {"ObsceneWord=fool", nullptr, false, ""},
        {"\xEF\xBB\xBFSound=on", nullptr, false, ""},
    };
    std::vector<std::string> lines;
    for (const Row& row : rows)
        lines.push_back(row.line);
    // A setting past the scanned lines is not looked at, however long its value.
    lines.resize(kScannedLines, "X=1");
    lines.push_back("CacheSize=99999");
    writeIni();
    writeConfig(lines);
    NullWindow& win = open();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        if (row.control == nullptr)
            continue;
        if (row.radio) {
            EXPECT_EQ(win.radioGroup(row.control).selected(), RadioGroup::kNone);
        } else {
            EXPECT_EQ(win.entry(row.control).text(), row.shown);
        }
    }
    ASSERT_TRUE(win.button("Save").click());
    EXPECT_EQ(config(), joinLines(lines));

    // The user's own change of such a field replaces that same line; the typing limit holds.
    ASSERT_TRUE(win.entry("CacheSize").type("2500"));
    ASSERT_TRUE(win.radioGroup("Sound").choose(1));
    forms_.answerColour(platform::forms::Rgb{0, 0, 128});
    ASSERT_TRUE(win.button("Pick Censoredbloodcolor").click());
    std::vector<std::string> edited = lines;
    edited[0] = "CacheSize=250";
    edited[7] = "Censoredbloodcolor=#000080";
    edited[11] = "Sound=off";
    EXPECT_EQ(copy(), edited);
}

TEST_F(Editor, MissingSettingsAreInsertedAtTheFirstEmptyLineAndSaved)
{
    writeIni();
    writeConfig({"Sound=on", "", "Music=off", "CacheSize=10"});
    NullWindow& win = open();
    ASSERT_TRUE(win.radioGroup("FullScreen").choose(0));
    ASSERT_TRUE(win.radioGroup("PageFlip").choose(1));
    ASSERT_TRUE(win.radioGroup("Music").choose(0));
    ASSERT_TRUE(win.entry("CacheSize").type("50"));
    EXPECT_EQ(copy(), (std::vector<std::string>{"Sound=on", "FullScreen=on", "PageFlip=off", "", "Music=on",
                                                "CacheSize=50"}));
    EXPECT_EQ(config(), joinLines({"Sound=on", "", "Music=off", "CacheSize=10"})); // nothing written yet
    ASSERT_TRUE(win.button("Save").click());
    EXPECT_EQ(config(), "Sound=on\r\nFullScreen=on\r\nPageFlip=off\r\n\r\nMusic=on\r\nCacheSize=50\r\n");

    // A shorter file without empty lines: lines past its end count as empty, so it grows at the end.
    writeConfig({"Sound=on"});
    NullWindow& again = open();
    ASSERT_TRUE(again.radioGroup("Music").choose(1));
    ASSERT_TRUE(again.radioGroup("Footsteps").choose(0));
    EXPECT_EQ(copy(), (std::vector<std::string>{"Sound=on", "Music=off", "Footsteps=on"}));
}

TEST_F(Editor, OnlyTheFirstHundredAndOneLinesAreScannedAndAFullFileIsAppendedTo)
{
    writeIni();
    std::vector<std::string> lines(101, "X=1");
    lines.push_back("Sound=off");
    writeConfig(lines);
    NullWindow& win = open();
    EXPECT_EQ(win.radioGroup("Sound").selected(), RadioGroup::kNone);
    ASSERT_TRUE(win.radioGroup("Sound").choose(0));
    ASSERT_TRUE(win.radioGroup("Music").choose(0));
    ASSERT_EQ(copy().size(), 104u);
    EXPECT_EQ(copy()[101], "Sound=off");
    EXPECT_EQ(copy()[102], "Sound=on");
    EXPECT_EQ(copy()[103], "Music=on");
}

TEST_F(Editor, RestoreDefaultAfterSaveBringsBackTheFirstLoad)
{
    writeIni();
    writeConfig({"Sound=on", "Music=on"});
    NullWindow& win = open();
    ASSERT_TRUE(win.radioGroup("Sound").choose(1));
    ASSERT_TRUE(win.button("Save").click());
    EXPECT_EQ(config(), "Sound=off\r\nMusic=on\r\n");
    ASSERT_TRUE(win.button("Restore Default").click());
    EXPECT_EQ(win.radioGroup("Sound").selected(), 0);
    EXPECT_EQ(copy(), (std::vector<std::string>{"Sound=on", "Music=on"}));
}

TEST_F(Editor, ColoursAndResets)
{
    writeIni();
    writeConfig({"HighlightColorFriend=#112233", "HighlightColorEnemy=#445566", "HighlightColorMurderer=34", "",
                 "Sound=on"});
    NullWindow& win = open();

    forms_.answerColour(platform::forms::Rgb{0, 0, 128}); // navy
    ASSERT_TRUE(win.button("Pick HighlightColorInnocent").click());
    EXPECT_EQ(win.entry("HighlightColorInnocent").text(), "000080");
    forms_.answerColour(std::nullopt); // cancelled: nothing changes
    ASSERT_TRUE(win.button("Pick HighlightColorFriend").click());
    // A colour picked for a setting held as a hue number takes that setting's own line.
    forms_.answerColour(platform::forms::Rgb{0xAB, 0xCD, 0xEF});
    ASSERT_TRUE(win.button("Pick HighlightColorMurderer").click());
    EXPECT_EQ(copy(), (std::vector<std::string>{"HighlightColorFriend=#112233", "HighlightColorEnemy=#445566",
                                                "HighlightColorMurderer=#ABCDEF", "HighlightColorInnocent=#000080",
                                                "", "Sound=on"}));

    // Every listed colour that has a line is reset; missing ones are not added, nothing is doubled.
    ASSERT_TRUE(win.button("Reset Combat Colors").click());
    ASSERT_TRUE(win.button("Reset Blood Color").click());
    EXPECT_EQ(copy(), (std::vector<std::string>{"HighlightColorFriend=", "HighlightColorEnemy=",
                                                "HighlightColorMurderer=", "HighlightColorInnocent=", "",
                                                "Sound=on"}));
    EXPECT_EQ(win.entry("HighlightColorEnemy").text(), "");
}

TEST_F(Editor, SystemDefaults)
{
    writeIni();
    writeConfig({"CacheSize=10", "", "Sound=on"});
    NullWindow& win = open();
    ASSERT_TRUE(win.button("System Defaults").click());
    EXPECT_EQ(copy(), (std::vector<std::string>{"CacheSize=25", "HdUsage=max",
                                                std::string("CdRomDataPath=") + kDefaultClientFolder,
                                                std::string("JournalSaveFile=") + kDefaultJournalFile, "",
                                                "Sound=on"}));
    EXPECT_EQ(win.entry("CdRomDataPath").text(), kDefaultClientFolder);
}

TEST_F(Editor, HintsAreKeptInLineFourOfItsIniFile)
{
    writeIni("hints=off");
    writeConfig({"Sound=on"});
    NullWindow& win = open();
    // The page shows the folder whose kzedit.ini is used.
    EXPECT_EQ(win.folderList("start folder").folder(), dir_.path().string() + "/");
    EXPECT_FALSE(win.checkBox("Hints on").checked());
    EXPECT_FALSE(win.hintsEnabled());
    ASSERT_TRUE(win.checkBox("Hints on").toggle());
    EXPECT_TRUE(win.hintsEnabled());
    EXPECT_EQ(dir_.read("kzedit.ini"), "[cfgtool]\r\n" + dir_.file("client/kz.cfg") + "\r\n\r\n\r\nhints=on\r\n");
}

TEST_F(Editor, AnEndlessFileIsRefusedAsUnreadable)
{
    // Larger files, folders and pipes are refused the same way (see the platform's whole-file reader).
    dir_.write("kzedit.ini", "[cfgtool]\r\n/dev/zero\r\n\r\n\r\nhints=on\r\n");
    open();
    ASSERT_EQ(forms_.messages().size(), 1u);
    EXPECT_EQ(forms_.messages()[0].text, "Cannot open file \"/dev/zero\".");
}

TEST_F(Editor, AMissingIniIsReportedAndPaddedWhenWritten)
{
    NullWindow& win = open();
    ASSERT_EQ(forms_.messages().size(), 1u);
    EXPECT_EQ(forms_.messages()[0].text, "Cannot open file \"" + dir_.file("kzedit.ini") + "\".");
    ASSERT_TRUE(win.checkBox("Hints on").toggle());
    EXPECT_EQ(dir_.read("kzedit.ini"), "\r\n\r\n\r\n\r\nhints=on\r\n");
}

TEST_F(Editor, ALocationIsChosenSavedAndOpened)
{
    writeIni();
    writeConfig({"Sound=on"});
    dir_.write("other/kz.cfg", "Sound=off\r\n");
    NullWindow& win = open();
    EXPECT_EQ(win.entry("location").text(), dir_.file("client/kz.cfg"));
    EXPECT_FALSE(win.button("location Save").enabled()); // the load's own change does not count
    EXPECT_FALSE(win.button("Open").enabled());

    forms_.answerFile(dir_.file("other/kz.cfg"));
    ASSERT_TRUE(win.button("Browse").click());
    EXPECT_EQ(forms_.fileDialogs().at(0).title, "Select your KZ.cfg file:");
    EXPECT_EQ(forms_.fileDialogs().at(0).filters.at(0).patterns, std::vector<std::string>{"kz.cfg"});
    ASSERT_TRUE(win.button("location Save").click());
    EXPECT_EQ(splitLines(dir_.read("kzedit.ini")).at(1), dir_.file("other/kz.cfg"));
    EXPECT_FALSE(win.button("location Save").enabled());

    ASSERT_TRUE(win.button("Open").click());
    EXPECT_FALSE(win.button("Open").enabled());
    EXPECT_EQ(win.radioGroup("Sound").selected(), 1);
    EXPECT_EQ(dir_.read("KZcfg.bak"), "Sound=off\r\n");
    // The reload put the same path into the field: the user's next change is what counts.
    ASSERT_TRUE(win.entry("location").type(dir_.file("client/kz.cfg")));
    EXPECT_TRUE(win.button("location Save").enabled());
    ASSERT_TRUE(win.radioGroup("Sound").choose(0));
    ASSERT_TRUE(win.button("Save & Exit").click());
    EXPECT_EQ(dir_.read("other/kz.cfg"), "Sound=on\r\n");
    EXPECT_EQ(config(), "Sound=on\r\n");
    EXPECT_TRUE(win.closed());
}

TEST_F(Editor, AFailedSaveIsReportedAndKeepsTheFormOpen)
{
    dir_.write("kzedit.ini", "\r\n" + dir_.file("gone/kz.cfg") + "\r\n");
    dir_.write("gone/kz.cfg", "Sound=on\r\n");
    NullWindow& win = open();
    std::filesystem::remove_all(dir_.file("gone"));
    ASSERT_TRUE(win.button("Save & Exit").click());
    ASSERT_EQ(forms_.messages().size(), 1u);
    EXPECT_EQ(forms_.messages()[0].text, "Cannot create file \"" + dir_.file("gone/kz.cfg") + "\".");
    EXPECT_FALSE(win.closed());
}

TEST_F(Editor, LaunchStartsTheClientFromTheFolderField)
{
    writeIni();
    writeConfig({"CdRomDataPath=/opt/game"});
    NullWindow& win = open();
    ASSERT_TRUE(win.button("Launch Client.exe").click());
    ASSERT_TRUE(win.button("Launch KZ.exe").click());
    const auto spawns = processes_.spawns();
    ASSERT_EQ(spawns.size(), 2u);
    EXPECT_EQ(spawns[0].argv, std::vector<std::string>{"/opt/game/client"});
    EXPECT_EQ(spawns[1].argv, std::vector<std::string>{"/opt/game/kz"});
}

TEST_F(Editor, TheInformationBoxHoldsTheMainFormAndOpensLinks)
{
    writeIni();
    writeConfig({"Sound=on"});
    NullWindow& win = open();
    NullWindow& box = forms_.window("Information:");
    EXPECT_FALSE(box.visible());
    ASSERT_TRUE(win.button("Info").click());
    EXPECT_TRUE(box.visible());
    EXPECT_FALSE(win.enabled());
    EXPECT_FALSE(win.button("Save").click());

    ASSERT_TRUE(box.button("home page link").click());
    ASSERT_TRUE(box.button("mail link").click());
    box.requestClose(); // its own close button, not the Close button
    EXPECT_FALSE(box.visible());
    EXPECT_TRUE(win.enabled());

    const auto spawns = processes_.spawns();
    ASSERT_EQ(spawns.size(), 2u);
    EXPECT_EQ(spawns[0].argv, (std::vector<std::string>{"xdg-open", "https://kz.example.org/cfgtool/"}));
    EXPECT_EQ(spawns[1].argv, (std::vector<std::string>{"xdg-open", "mailto:cfgtool@kz.example.org?subject="}));
}

} // namespace
