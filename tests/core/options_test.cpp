/** @file Tests of the options store, the option block of kz.cfg, the censor and the file-name cleaner. */
#include "tests/core/config_test_fixture.h"
#include "tests/core/service_fakes.h"

#include "platform/fs/path.h"
#include "platform/random/random.h"
#include "tests/support/config_fixtures.h"

#include <string>
#include <vector>

namespace {

using testsupport::ConfigTest;
using testsupport::configText;

int countOf(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(ConfigTest, OptionsAreFoundByPrefixWithCase)
{
    struct Case {
        const char16_t* name;
        bool isBool;
        uint8_t defaultValue;
    };
    const Case cases[] = {
        {u"Sound", true, 1},          {u"Sou", true, 1},        {u"", true, 1},
        {u"sound", false, 0},         {u"AssumePlay", true, 0}, {u"UnicodeSpeech", false, 0},
        {u"UnicodeSpeech$", true, 0}, {u"MouseThread$", true, 1}, {u"Use565$", true, 0},
        {u"use565$", false, 0},       {u"Sound$", true, 0},     {u"Nothing$", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)));
        EXPECT_EQ(IsBoolOption(c.name), c.isBool);
        EXPECT_EQ(GetBoolOptionDefault(c.name), c.defaultValue);
    }
    Sound8Bit = 1;
    EXPECT_EQ(GetBoolOption(u"Sound$"), 1);  // the "$" name finds Sound8Bit, the first restart option
    EXPECT_EQ(GetBoolOption(u"NoSuchOption"), 0);
    EXPECT_STREQ(GetTextOption(u"NoSuchOption"), "");
    EXPECT_EQ(GetNumberOption("SoundV"), 255);
    EXPECT_EQ(GetFontOptionDefault("ChatFont"), 2);
    EXPECT_STREQ(GetTextOptionDefault("Language"), "English");
}

TEST_F(ConfigTest, RestartOptionsOnlyBecomePending)
{
    SetBoolOption(u"UnicodeSpeech$", 1);
    EXPECT_EQ(RestartNeededFlag, 1);
    EXPECT_EQ(GetBoolOption(u"UnicodeSpeech$"), 1);
    EXPECT_EQ(UnicodeSpeech, 0);

    RestartNeededFlag = 0;
    SetBoolOption(u"UnicodeSpeech$", 1);
    EXPECT_EQ(RestartNeededFlag, 0);
    SetBoolOption(u"MouseThread$", 1);  // already the live value
    EXPECT_EQ(RestartNeededFlag, 0);
}

TEST_F(ConfigTest, SettingOptionsTakesEffectAtOnce)
{
    testsupport::ScopedServiceFakes services;
    services.sound.enabled = true;
    std::vector<std::string> calls;
    ConfigHooks& hooks = configHooks();
    // The full-screen switch redraws the view once per mode switch.
    sharedFunctionHooks().redrawAll = [&] { calls.push_back("toggle"); };
    hooks.musicSetVolume = [&](int v) { calls.push_back("music " + std::to_string(v)); };
    hooks.setCircleRadius = [&](int r) { calls.push_back("radius " + std::to_string(r)); };
    hooks.liveSettingsChanged = [&] { calls.push_back("live"); };

    SetBoolOption(u"Sound", 0);
    SetBoolOption(u"Music", 1);
    SetBoolOption(u"FullScreen", 0);  // no change of mode
    SetBoolOption(u"FullScreen", 1);
    SetNumberOption(u"MusicVol", 12);
    SetNumberOption(u"CircleTransRadius", 80);
    SetFontOption(u"ToolTipFont", 2);
    SetColorOption(u"PopupHelpTextColor", 0x1234);
    EXPECT_EQ(calls, (std::vector<std::string>{"toggle", "music 12", "radius 80", "live", "live"}));
    EXPECT_FALSE(services.sound.enabled);
    EXPECT_TRUE(services.music.enabled);
    EXPECT_EQ(Sound, 0);
    EXPECT_EQ(FullScreen, 1);
    EXPECT_EQ(MusicVol, 12);
    EXPECT_EQ(PopupHelpTextColor, 0x1234);
}

TEST_F(ConfigTest, PseudoColorOptionsReachTheCharacterSlot)
{
    DefaultChar = 2;
    EXPECT_TRUE(IsColorOption(u"%SpeechHue"));
    EXPECT_TRUE(IsColorOption(u"HighlightColorEnemy"));
    EXPECT_FALSE(IsColorOption(u"SoundVol"));
    SetColorOption(u"%SpeechHue", 77);
    SetColorOption(u"%EmoteHue", 88);
    EXPECT_EQ(GetColorOption(u"%SpeechHue"), 77);
    EXPECT_EQ(CharDataSpeechHues[2], 77);
    EXPECT_EQ(CharDataEmoteHues[2], 88);
    EXPECT_EQ(CharDataSpeechHues[0], 690);

    platform::srand(5);
    for (int i = 0; i < 50; ++i) {
        const int hue = GetColorOptionDefault(u"%EmoteHue");
        EXPECT_GE(hue, 1);
        EXPECT_LE(hue, 1000);
    }
    SetColorOption(u"HighlightColorEnemy", 40);
    EXPECT_EQ(HighlightHueTable[kNotorietyEnemy], 40);
}

TEST_F(ConfigTest, WindowSizeNeedsRestartAndLargeWindowForcesResolution)
{
    std::vector<std::string> calls;
    sharedFunctionHooks().redrawAll = [&] { calls.push_back("toggle"); };
    SetSavedRadioConfigOption(u"GamePlayWindowSize", u"640X480");
    EXPECT_EQ(RestartNeededFlag, 0);
    SetSavedRadioConfigOption(u"GamePlayWindowSize", u"800x600");
    EXPECT_EQ(RestartNeededFlag, 1);
    EXPECT_STREQ(FullScreenRes, "800x600");
    EXPECT_TRUE(calls.empty());

    FullScreenActive = 1;
    SetSavedRadioConfigOption(u"FullScreenRes", u"1024x768");
    EXPECT_STREQ(FullScreenRes, "1024x768");
    EXPECT_EQ(calls, (std::vector<std::string>{"toggle", "toggle"}));
}

TEST_F(ConfigTest, OptionBlockReplacesTheOldOneAndKeepsOtherLines)
{
    const std::string before = configText({"AcctID=bob", "Mouse=fast", "use565=on", "; my notes",
                                           ";------------------------------", "Sound=on", "ChatColorText=#ffffff",
                                           "%SpeechHue=5", "", ""});
    dir_.write("kz.cfg", before);
    ChatColorSelfText = 0x7FFE;
    ChatColorInput = 0x7FFF;
    SoundVol = 100;
    HighlightHueTable[kNotorietyMurderer] = 35;
    CopyConfigText(Language, "Deutsch");
    SetBoolOption(u"UnicodeSpeech$", 1);

    ASSERT_TRUE(SaveConfigOptionsOldWay());
    const std::string once = dir_.read("kz.cfg");
    ASSERT_TRUE(SaveConfigOptionsOldWay());
    EXPECT_EQ(dir_.read("kz.cfg"), once);

    EXPECT_EQ(once.rfind("AcctID=bob\r\nuse565=on\r\n; my notes\r\n;------------------------------\r\nSound=on\r\n", 0), 0u);
    EXPECT_EQ(countOf(once, ";------------------------------"), 1);
    EXPECT_EQ(countOf(once, "Sound=on"), 1);
    EXPECT_EQ(countOf(once, "Mouse"), 0);
    EXPECT_EQ(countOf(once, "%SpeechHue"), 0);
    for (const char* line : {"ChatColorInput=#f8f8f8\r\n", "ChatColorSelfText=#f8f8f0\r\n", "SoundVol=100\r\n",
                             "HighlightColorMurderer=35\r\n", "Language=Deutsch\r\n", "UnicodeSpeech=on\r\n",
                             "RememberAcctPW=off\r\n", "FullScreen=off\r\n"})
        EXPECT_EQ(countOf(once, line), 1) << line;
    EXPECT_EQ(countOf(once, "ChatColorText="), 0);  // back at its default
    EXPECT_EQ(countOf(once, "MusicVol="), 0);

    // The block reads back to the same values.
    ResetConfigStore();
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(ChatColorSelfText, 0x7FFE);
    EXPECT_EQ(ChatColorInput, 0x7FFF);
    EXPECT_EQ(SoundVol, 100);
    EXPECT_EQ(UnicodeSpeech, 1);
}

TEST_F(ConfigTest, PasswordLinesLeaveTheSavedFilesWhereTheyMustNotStay)
{
    const std::string lines = configText({"AcctPassword=abc", "NumPassTries=3", "RememberAcctPW=on", "AcctID=bob"});
    dir_.write("kz.cfg", lines);
    RememberAcctPW = 1;
    ASSERT_TRUE(SaveConfigOptionsOldWay());
    std::string saved = dir_.read("kz.cfg");
    EXPECT_EQ(countOf(saved, "AcctPassword=abc"), 1);
    EXPECT_EQ(countOf(saved, "RememberAcctPW=on"), 1);

    PasswordNoStore = 1;
    ASSERT_TRUE(SaveConfigOptionsOldWay());
    saved = dir_.read("kz.cfg");
    EXPECT_EQ(countOf(saved, "AcctPassword"), 0);
    EXPECT_EQ(countOf(saved, "NumPassTries"), 0);
    EXPECT_EQ(countOf(saved, "RememberAcctPW"), 0);
    EXPECT_EQ(countOf(saved, "AcctID=bob"), 1);
}

TEST_F(ConfigTest, SaveConfigOptionsAlsoRewritesTheCharacterCopy)
{
    dir_.write("kz.cfg", configText({"AcctID=bob"}));
    SaveConfigOptions();  // no character yet: only the main file and the shared chardata.mul
    EXPECT_EQ(dir_.read("chardata.mul").size(), 20u);

    chooseCharacter("bob", "Lake", "Mary");
    const std::string copy = "Desktop/bob/Lake/Mary/kz.cfg";
    dir_.write(copy, configText({"AcctPassword=abc", "SoundVol=3", "Season=2"}));
    RememberAcctPW = 1;
    SoundVol = 4;
    CharDataSpeechHues[0] = 1234;
    SaveConfigOptions();
    const std::string saved = dir_.read(copy);
    EXPECT_EQ(saved.rfind("Season=2\r\n;------------------------------\r\n", 0), 0u);
    EXPECT_EQ(countOf(saved, "AcctPassword"), 0);
    EXPECT_EQ(countOf(saved, "RememberAcctPW"), 0);
    EXPECT_EQ(countOf(saved, "SoundVol=4"), 1);
    EXPECT_EQ(countOf(dir_.read("kz.cfg"), "RememberAcctPW=on"), 1);
    EXPECT_EQ(dir_.read("Desktop/bob/Lake/Mary/chardata.mul").substr(0, 2), std::string("\xD2\x04", 2));
}

TEST_F(ConfigTest, FailedOptionSaveKeepsTheOldFile)
{
    const std::string original = configText({"AcctID=bob", "Sound=on"});
    dir_.write("kz.cfg", original);
    Sound = 0;
    {
        platform::ScopedWriteFailureForTests failure(10);
        EXPECT_FALSE(SaveConfigOptionsOldWay());
    }
    EXPECT_EQ(dir_.read("kz.cfg"), original);
}

TEST_F(ConfigTest, ReloadReadsTheCharacterConfigurationAndAllowsResizing)
{
    testsupport::ScopedServiceFakes services;
    int refreshed = 0;
    configHooks().refreshDisplayAfterReload = [&] { ++refreshed; };
    chooseCharacter("bob", "Lake", "Mary");
    dir_.write("kz.cfg", configText({"SoundVol=1"}));
    dir_.write("Desktop/bob/Lake/Mary/kz.cfg", configText({"SoundVol=2"}));
    ReloadConfigAndRefreshDisplay();
    EXPECT_EQ(SoundVol, 2);
    EXPECT_EQ(AllowWindowResize, 1);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(services.macros.loads, 1);
}

TEST_F(ConfigTest, CensorMasksEveryOccurrence)
{
    const char16_t* words[] = {u"bad", u"worse"};
    for (const char16_t* w : words) {
        std::char_traits<char16_t>::copy(ObsceneWords[ObsceneWordCount], w, std::char_traits<char16_t>::length(w) + 1);
        ++ObsceneWordCount;
    }
    char text[] = "bad, badly worse; Bad";
    CensorObsceneWords(text);
    // b=98 -> 0 '!', a=97 -> 6 '*', d=100 -> 2 '#'
    // w=119 -> '!', o=111 -> '*', r=114 -> '#', s=115 and e=101 -> '$'
    EXPECT_STREQ(text, "!*#, !*#ly !*#$$; Bad");
    char16_t wide[] = u"worsebad";
    CensorObsceneWordsWide(wide);
    EXPECT_EQ(std::u16string(wide), u"!*#$$!*#");
}

TEST(SafeFileNames, FollowTheFolderNameRules)
{
    const std::pair<const char*, const char*> cases[] = {
        {"A.B", "A_B_"},       {"Plain", "Plain"}, {"Trailing ", "Trailing_"}, {"a b", "a b"},
        {"x<y>z|w", "x_y_z_w_"}, {"..", ""},       {"A. ", "A_ _"},          {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(MakeSafeFileName(in), out) << in;

    char small[6] = "A.B.C";
    MakeSafeFileName(small, sizeof small);
    EXPECT_STREQ(small, "A_B_C");  // "A_B_C_" cut to the buffer

    EXPECT_EQ(SafePathComponent("john.doe"), "john.doe");
    EXPECT_EQ(SafePathComponent(".."), "_");
    EXPECT_EQ(SafePathComponent(""), "_");
    EXPECT_EQ(SafePathComponent("a\nb"), "a_b");
    EXPECT_EQ(SafePathComponent("../x"), "x_");
}

} // namespace
