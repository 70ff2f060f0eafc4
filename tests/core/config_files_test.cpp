/** @file Tests of the kz.cfg and login.cfg reader, applier and single-directive writers. */
#include "tests/core/config_test_fixture.h"
#include "tests/core/report_sandbox.h"

#include "client/core/config_color.h"
#include "platform/exit/exit.h"
#include "platform/fs/path.h"
#include "tests/support/config_fixtures.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using testsupport::ConfigTest;
using testsupport::configText;

TEST(ConfigLineTokenizer, SplitsLikeTheStoredFilesExpect)
{
    struct Case {
        const char* label;
        std::string line;
        bool ok;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"plain", "Sound=on", true, "Sound", "on"},
        {"blanks around equals keep the equals", "Sound = on", true, "Sound", "= on"},
        {"blank after equals stays", "Sound= on", true, "Sound", " on"},
        {"double equals", "Sound==on", true, "Sound", "=on"},
        {"value keeps blanks", "AcctLastName=Van Dyke", true, "AcctLastName", "Van Dyke"},
        {"tab ends the value", "AcctLastName=Van\tDyke", true, "AcctLastName", "Van"},
        {"tabs before the value are skipped", "Sound=\t\ton", true, "Sound", "on"},
        {"leading blanks before the key", "  \tSound=on\r\n", true, "Sound", "on"},
        {"CR ends the value", "PlayerName=Bob\r\n", true, "PlayerName", "Bob"},
        {"key alone", "Sound", false, "", ""},
        {"empty value", "Sound=\r\n", false, "", ""},
        {"blank line", "\r\n", false, "", ""},
        {"text after a NUL is not seen", std::string("Sound\0=on", 9), false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string key, value;
        ASSERT_EQ(SplitConfigLine(c.line, key, value), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(key, c.key);
        EXPECT_EQ(value, c.value);
    }
    EXPECT_EQ(ConfigLineKey(" ;comment=x"), ";comment");
    EXPECT_EQ(ConfigLineKey("\r\n"), "");
}

TEST(ConfigLineTokenizer, OverlongLineIsCutNotOverflowed)
{
    const std::string line = "PlayerName=" + std::string(5000, 'x') + "\r\n";
    std::string key, value;
    ASSERT_TRUE(SplitConfigLine(line, key, value));
    EXPECT_EQ(value.size(), kMaxConfigLineLength - 11);
}

TEST(ConfigDirectiveTable, NamesAndIdsAreConsistent)
{
    EXPECT_EQ(FindConfigDirective("sound"), CFG_Sound);
    EXPECT_EQ(FindConfigDirective("MOUSE"), CFG_Mouse);
    EXPECT_EQ(FindConfigDirective("MouseThread"), CFG_MouseThread);
    EXPECT_EQ(FindConfigDirective("Soun"), -1);
    EXPECT_EQ(FindConfigDirective(""), -1);
    EXPECT_EQ(ConfigDirectiveName(CFG_OrderCacheOnStartup), std::string("OrderCacheOnStartup"));
    EXPECT_EQ(ConfigDirectiveName(22), nullptr);
    for (const ConfigDirective& d : ConfigDirectives) EXPECT_EQ(FindConfigDirective(d.name), d.id) << d.name;
}

TEST(ConfigAddresses, NumericAddressNeedsFourOrFiveDigitPort)
{
    const std::pair<const char*, bool> cases[] = {
        {"127.0.0.1,2593", true}, {"10.0.0.1,80", false}, {"1.2.3.4,12345", true},
        {"1.2.3.4,123456", false}, {"1.2.3,2593", false}, {"1234.2.3.4,2593", false},
        {"login.example.net,7775", false}, {"1.2.3.4,2593x", true}, {"", false},
    };
    for (const auto& [text, numeric] : cases) EXPECT_EQ(IsNumericAddress(text), numeric) << text;
}

TEST_F(ConfigTest, HostResolutionRotatesThroughTheAddresses)
{
    configHooks().resolveHost = [](const char* host, uint32_t* out, int capacity) {
        if (std::string(host) != "login.example.net" || capacity < 2) return 0;
        out[0] = 0x0A000001;
        out[1] = 0x0A000002;
        return 2;
    };
    uint32_t address = 7;
    uint16_t port = 9;
    EXPECT_FALSE(ResolveConfigAddress("unknown.example.net,7775", address, port));
    EXPECT_EQ(address, 7u);
    EXPECT_EQ(port, 9u);

    std::vector<uint32_t> seen;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(ResolveConfigAddress("login.example.net,7775", address, port));
        seen.push_back(address);
    }
    EXPECT_EQ(seen, (std::vector<uint32_t>{0x0A000001, 0x0A000002, 0x0A000001}));
    EXPECT_EQ(port, 7775);
    ASSERT_TRUE(ResolveConfigAddress("10.0.0.1,80", address, port));
    EXPECT_EQ(address, 0x0A000001u);
    EXPECT_EQ(port, 80);
}

TEST(ConfigColors, ParsesHashDecimalAndHue)
{
    EXPECT_EQ(ParseColorValue("#ffffff"), 0x7FFF);
    EXPECT_EQ(ParseColorValue("#F80000"), 0x7C00);
    EXPECT_EQ(ParseColorValue("#00zz08"), 0x0001);
    EXPECT_EQ(ParseColorValue("#ff"), 0x7C00);
    EXPECT_EQ(ParseColorValue("-34"), -34);
    // A hue past the 32-bit range stays a hue (it wrapped to 0, black, and to the colour 1).
    EXPECT_EQ(ParseColorValue("-4294967296"), INT32_MIN);
    EXPECT_EQ(ParseColorValue("-4294967295"), INT32_MIN);
    EXPECT_EQ(ParseColorValue("-99999999999999999999999"), INT32_MIN);
    EXPECT_EQ(ParseColorValue("16711680"), 0x7C00);  // 0xFF0000
}

TEST_F(ConfigTest, AppliesEachValueKind)
{
    struct Case {
        const char* line;
        std::function<int()> read;
        int expected;
    };
    const Case cases[] = {
        {"Sound=ON", [] { return Sound; }, 1},
        {"Sound=true", [] { return Sound; }, 0},
        {"Sound = on", [] { return Sound; }, 0},
        {"EnableMessenger=true", [] { return EnableMessenger; }, 1},
        {"EnableMessenger=1", [] { return EnableMessenger; }, 0},
        {"PopupHelpSticky=1", [] { return PopupHelpSticky; }, 1},
        {"PopupHelpPersistant=maybe", [] { return PopupHelpPersistant; }, 1},
        {"PopupHelpPersistant=FALSE", [] { return PopupHelpPersistant; }, 0},
        {"HdUsage=max", [] { return HdUsage; }, 1},
        {"SoundVol=12abc", [] { return SoundVol; }, 12},
        {"SoundVol=abc", [] { return SoundVol; }, 0},
        {"DefaultChar=5", [] { return DefaultChar; }, 3},
        {"DefaultChar=4", [] { return DefaultChar; }, 4},
        {"ToolTipFont=7", [] { return ToolTipFont; }, 2},
        {"PopupHelpTextFont=-3", [] { return PopupHelpTextFont; }, 0},
        {"ToolTipPreDelay=20", [] { return ToolTipPreDelay; }, 100},
        {"SkillReportDiff=250", [] { return SkillReportDiff; }, 100},
        {"LastServerID=-4", [] { return LastServerID; }, 0},
        {"NextLoginKey=258", [] { return NextLoginKey; }, 2},
        {"MouseThread=fast", [] { return MouseThread; }, 1},
        {"MouseThread=slow", [] { return MouseThread; }, 0},
        {"Mouse=slow", [] { return MouseThread; }, 0},
        {"Mouse=medium", [] { return MouseThread; }, 1},
        {"OrderCache=foo,STARTUP", [] { return OrderCacheOnStartup; }, 1},
        {"OrderCache=foo, startup", [] { return OrderCacheOnStartup; }, 0},
        {"ChatColorText=#f8f8f8", [] { return ChatColorText; }, 0x7FFF},
        {"ChatColorText=-1153", [] { return ChatColorText; }, -1153},
        {"AllowWindowResize=1", [] { return AllowWindowResize; }, 1},
        {"JournalSaveFile=journal.txt", [] { return SaveJournal; }, 1},
        {"ObsceneWord=anything", [] { return ObscenityFilter; }, 1},
        // Numbers past a directive's range saturate instead of wrapping.
        {"CacheSize=99999999999", [] { return CacheSize; }, 2147},
        {"CacheSize=-5", [] { return CacheSize; }, 0},
        {"SoundVol=99999999999999999999999", [] { return SoundVol; }, INT32_MAX},
        {"SoundVol=-4294967296", [] { return SoundVol; }, INT32_MIN},
        {"ToolTipPreDelay=4294967296", [] { return ToolTipPreDelay; }, INT32_MAX},
        {"DefaultChar=4294967298", [] { return DefaultChar; }, 3},
        {"CircleTransRadius=-99999999999", [] { return CircleTransRadius; }, INT32_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ResetConfigStore();
        DefaultChar = 3;
        dir_.write("kz.cfg", configText({c.line}));
        ASSERT_TRUE(ReadConfig("kz.cfg", true));
        EXPECT_EQ(c.read(), c.expected);
    }
}

TEST_F(ConfigTest, ANumberOutOfRangeIsLoggedAsWritten)
{
    testsupport::ReportSandbox sandbox;
    dir_.write("kz.cfg", configText({"CacheSize=99999999999", "SoundVol=7"}));
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(CacheSize, 2147);
    const std::string log = sandbox.read("KZReport0.log");
    EXPECT_NE(log.find("'CacheSize=99999999999' is out of range; using 2147."), std::string::npos) << log;
    EXPECT_EQ(log.find("SoundVol"), std::string::npos) << log;
}

TEST_F(ConfigTest, APortOutOfRangeIsLoggedAsWrittenAndAnAddressNumberPastAByteIsNoNumericAddress)
{
    testsupport::ReportSandbox sandbox;
    for (const char* value : {"127.0.0.1,70000", "1.999.0.1,2593", "10.0.0.2,65535"})
        ApplyConfigDirective(CFG_LoginServer, value, false);
    ASSERT_EQ(LoginServers.count, 3);
    // Saturated, not wrapped to port 4464.
    EXPECT_EQ(LoginServers.entries[0].address, 0x7F000001u);
    EXPECT_EQ(LoginServers.entries[0].port, 65535);
    // 999 would spill into the first byte: the text is kept as a host name to resolve.
    EXPECT_EQ(LoginServers.entries[1].address, 0u);
    EXPECT_STREQ(LoginServers.entries[1].host, "1.999.0.1,2593");
    EXPECT_EQ(LoginServers.entries[2].port, 65535);
    uint32_t address = 0;
    uint16_t port = 0;
    ASSERT_TRUE(ResolveConfigAddress("10.0.0.1,99999999999", address, port));
    EXPECT_EQ(port, 65535);
    EXPECT_FALSE(ResolveConfigAddress("1.999.0.1,2593", address, port));
    const std::string log = sandbox.read("KZReport0.log");
    EXPECT_NE(log.find("the port of '127.0.0.1,70000' is out of range; using 65535."), std::string::npos) << log;
    EXPECT_NE(log.find("the port of '10.0.0.1,99999999999' is out of range; using 65535."), std::string::npos)
        << log;
    EXPECT_EQ(log.find("10.0.0.2"), std::string::npos) << log;
}

TEST_F(ConfigTest, AllowWindowResizeIsThreeWay)
{
    AllowWindowResize = 1;
    ApplyConfigDirective(CFG_AllowWindowResize, "perhaps", false);
    EXPECT_EQ(AllowWindowResize, 1);
    ApplyConfigDirective(CFG_AllowWindowResize, "off", false);
    EXPECT_EQ(AllowWindowResize, 0);
    ApplyConfigDirective(CFG_AllowWindowResize, "perhaps", false);
    EXPECT_EQ(AllowWindowResize, 0);
}

TEST_F(ConfigTest, TextsArePasswordsDecodedAndCut)
{
    char stored[] = "Secret pw";
    EncodeStoredPassword(stored);
    dir_.write("kz.cfg", configText({std::string("AcctPassword=") + stored, "AcctLastName=Van Dyke",
                                     "PlayerName=" + std::string(100, 'n'), "CdRomDataPath=" + std::string(400, 'p')}));
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_STREQ(AcctPassword, "Secret pw");
    EXPECT_STREQ(AcctLastName, "Van Dyke");
    EXPECT_EQ(std::string(PlayerName), std::string(kConfigNameLength - 1, 'n'));
    EXPECT_EQ(std::string(CdRomDataPath).size(), 260u);

    ResetConfigStore();
    PasswordNoStore = 1;
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_STREQ(AcctPassword, "");
}

TEST_F(ConfigTest, PageFlipAndGdiFullScreenDependOnOrder)
{
    struct Case {
        std::vector<std::string> lines;
        int pageFlip, gdi;
    };
    const Case cases[] = {
        {{"PageFlip=gdi"}, 0, 1},
        {{"PageFlip=on"}, 1, 0},
        {{"GDIFullScreen=on", "PageFlip=off"}, 0, 1},
        {{"GDIFullScreen=off", "PageFlip=gdi"}, 0, 0},
        {{"PageFlip=gdi", "PageFlip=on"}, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.back());
        ResetConfigStore();
        dir_.write("kz.cfg", configText(c.lines));
        ASSERT_TRUE(ReadConfig("kz.cfg", true));
        EXPECT_EQ(PageFlip, c.pageFlip);
        EXPECT_EQ(GDIFullScreen, c.gdi);
    }
}

TEST_F(ConfigTest, HighlightColorsFillBothTables)
{
    dir_.write("kz.cfg", configText({"HighlightColorCriminal=#f80000", "HighlightColorEnemy=33"}));
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(HighlightColorTable[kNotorietyCriminal].color, 0x7C00);
    EXPECT_EQ(HighlightColorTable[kNotorietyCriminal].flags & 1, 1u);
    EXPECT_EQ(HighlightHueTable[kNotorietyCriminal], 0);
    EXPECT_EQ(HighlightHueTable[kNotorietyEnemy], 33);
    EXPECT_EQ(HighlightColorTable[kNotorietyInnocent].flags, 0u);
}

TEST_F(ConfigTest, LoginServersComeOnlyFromLoginCfg)
{
    const std::string lines = configText({"LoginServer=127.0.0.1,2593", "LoginServer=login.example.net,7775",
                                          "BackupLoginServer=10.0.0.2,7776"});
    dir_.write("kz.cfg", lines);
    dir_.write("login.cfg", lines);
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(LoginServers.count, 0);
    EXPECT_EQ(LoginServers.current, -1);

    ASSERT_TRUE(ReadConfig("login.cfg", false));
    ASSERT_EQ(LoginServers.count, 2);
    EXPECT_EQ(LoginServers.current, 0);
    EXPECT_EQ(LoginServers.entries[0].address, 0x7F000001u);
    EXPECT_EQ(LoginServers.entries[0].port, 2593);
    EXPECT_STREQ(LoginServers.entries[0].host, "");
    EXPECT_EQ(LoginServers.entries[1].address, 0u);
    EXPECT_STREQ(LoginServers.entries[1].host, "login.example.net,7775");
    ASSERT_EQ(BackupLoginServers.count, 1);
    EXPECT_EQ(BackupLoginServers.entries[0].port, 7776);
}

TEST_F(ConfigTest, LongLoginServerListStopsAtItsCapacity)
{
    std::vector<std::string> lines(kMaxLoginServers + 5, "LoginServer=127.0.0.1,2593");
    dir_.write("login.cfg", configText(lines));
    ASSERT_TRUE(ReadConfig("login.cfg", false));
    EXPECT_EQ(LoginServers.count, kMaxLoginServers);
}

TEST_F(ConfigTest, RepeatedKeysApplyInOrder)
{
    dir_.write("kz.cfg", configText({"SoundVol=10", "soundvol=20", "Comment line", "; SoundVol=30"}));
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(SoundVol, 20);
}

TEST_F(ConfigTest, HooksReceiveImmediateEffects)
{
    std::vector<std::string> calls;
    configHooks().setPlaySize = [&](int w, int h) { calls.push_back("size " + std::to_string(w) + "x" + std::to_string(h)); };
    configHooks().setCircleCenter = [&](int x, int y) { calls.push_back("center " + std::to_string(x) + "," + std::to_string(y)); };
    configHooks().resetPixelFormat555 = [&] { calls.push_back(std::string("555 flag=") + std::to_string(use565)); };
    configHooks().addSearchPath = [&](const char* p) { calls.push_back(std::string("path ") + p); };
    configHooks().translationServerSetPort = [&](uint16_t p) { calls.push_back("port " + std::to_string(p)); };
    use565 = 1;
    dir_.write("kz.cfg", configText({"GamePlayWindowSize=800x600", "CircleTransPos=320,235", "use565=on",
                                     "FileManagerAddSearchPath=extra/", "TranslationServerIPAddress=bad"}));
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(calls, (std::vector<std::string>{"size 800x600", "center 320,235", "555 flag=0", "path extra/", "port 28888"}));
    EXPECT_EQ(use565, 1);
}

TEST_F(ConfigTest, MissingFileAppliesNothing)
{
    EXPECT_FALSE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(Sound, 1);
    EXPECT_STREQ(LoginServerFile, "login.cfg");
    EXPECT_EQ(ProfileColor1, 0x0860);
    EXPECT_EQ(ProfileColor2, 0x0860);
}

TEST_F(ConfigTest, CharacterCopyIsReadInsteadButKeepsInstallationDirectives)
{
    chooseCharacter("acct", "Shard One", "A.B");
    dir_.write("kz.cfg", configText({"SoundVol=1", "FullScreen=on"}));
    char pw[] = "fromcopy";
    EncodeStoredPassword(pw);
    dir_.write("Desktop/acct/Shard One/A_B_/kz.cfg",
               configText({"SoundVol=2", "FullScreen=on", std::string("AcctPassword=") + pw, "ClientLogin=9"}));
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(SoundVol, 2);
    EXPECT_EQ(FullScreen, 0);
    EXPECT_STREQ(AcctPassword, "");
    EXPECT_EQ(ClientLogin, 0);

    ResetConfigStore();
    chooseCharacter("acct", "Shard One", "A.B");
    ASSERT_TRUE(ReadConfig("kz.cfg", false));
    EXPECT_EQ(SoundVol, 1);
}

TEST_F(ConfigTest, NamesFromTheServerCannotLeaveTheDesktopTree)
{
    struct Case {
        const char* account;
        const char* shard;
        const char* player;
        const char* path;
    };
    const Case cases[] = {
        {"acct", "Shard 1.5", "Bob", "Desktop/acct/Shard 1.5/Bob/kz.cfg"},
        {"john.doe", "Lake", "Mary Ann ", "Desktop/john.doe/Lake/Mary Ann_/kz.cfg"},
        {"acct", "../../etc", "Bob", "Desktop/acct/etc_/Bob/kz.cfg"},
        {"..", "..", "..", "Desktop/_/_/_/kz.cfg"},
        {"a/b", "c\\d", "e:f", "Desktop/a_b_/c_d_/e_f_/kz.cfg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shard);
        chooseCharacter(c.account, c.shard, c.player);
        std::string path;
        ASSERT_TRUE(BuildCharacterFilePath("kz.cfg", path));
        EXPECT_EQ(path, c.path);
    }
    chooseCharacter("acct", "", "Bob");
    std::string path;
    EXPECT_FALSE(BuildCharacterFilePath("kz.cfg", path));
}

TEST_F(ConfigTest, FirstLoginsSwitchTheObscenityFilterOffOnce)
{
    ResetConfigRunState(false);
    dir_.write("kz.cfg", configText({"ClientLogin=1", "ObscenityFilter=on"}));
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(ObscenityFilter, 0);
    EXPECT_EQ(dir_.read("kz.cfg"), configText({"ClientLogin=1", "ObscenityFilter=off"}));

    ASSERT_TRUE(ReadConfig("kz.cfg", true));  // once per run: the file now says off and stays so
    dir_.write("kz.cfg", configText({"ClientLogin=1", "ObscenityFilter=on"}));
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(ObscenityFilter, 1);

    ResetConfigRunState(false);
    dir_.write("kz.cfg", configText({"ClientLogin=2", "ObscenityFilter=on"}));
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(ObscenityFilter, 1);
}

TEST_F(ConfigTest, RawDirectiveReadTakesTheLastLine)
{
    dir_.write("kz.cfg", configText({"UserLanguageCodeString=DEU", "userlanguagecodestring=FRA\tx"}));
    char buffer[4];
    ASSERT_TRUE(getKZCfgDirective(CFG_UserLanguageCodeString, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "FRA");
    EXPECT_FALSE(getKZCfgDirective(CFG_Season, buffer, sizeof buffer));
}

TEST_F(ConfigTest, SaveReplacesTheFirstMatchingLineAndKeepsTheRest)
{
    struct Case {
        const char* label;
        std::string before;
        int id;
        const char* value;
        std::string after;
    };
    const Case cases[] = {
        {"first of two lines", "A=1\r\nsound=off\r\nSound=on\r\n", CFG_Sound, "on",
         "A=1\r\nSound=on\r\nSound=on\r\n"},
        {"MouseThread, not Mouse", "Mouse=slow\nMouseThread=off\n", CFG_MouseThread, "on",
         "Mouse=slow\nMouseThread=on\r\n"},
        {"appended with CR LF", "Sound=on\r\n", CFG_SoundVol, "20", "Sound=on\r\nSoundVol=20\r\n"},
        {"last line without its end", "Sound=on", CFG_SoundVol, "20", "Sound=on\r\nSoundVol=20\r\n"},
        {"replaced last line without its end", "A=1\r\nSound=off", CFG_Sound, "on", "A=1\r\nSound=on\r\n"},
        {"line break in the value is cut", "", CFG_PlayerName, "Bob\r\nSound=off", "PlayerName=Bob\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        dir_.write("kz.cfg", c.before);
        saveConfigDirective(c.id, c.value);
        EXPECT_EQ(dir_.read("kz.cfg"), c.after);
    }
    std::filesystem::remove(dir_.file("kz.cfg"));
    saveConfigDirective(CFG_Sound, "off");
    EXPECT_EQ(dir_.read("kz.cfg"), "Sound=off\r\n");
}

TEST_F(ConfigTest, PasswordDirectivesAreOnlyRemovedWhereTheyMustNotBeStored)
{
    const std::string withPassword = "AcctPassword=xyz\r\nSound=on\r\n";
    dir_.write("kz.cfg", withPassword);
    saveConfigDirective(CFG_AcctPassword, "abc");
    EXPECT_EQ(dir_.read("kz.cfg"), "AcctPassword=abc\r\nSound=on\r\n");

    PasswordNoStore = 1;
    saveConfigDirectiveMainFile(CFG_AcctPassword, "abc");
    saveConfigDirectiveMainFile(CFG_NumPassTries, "-1");
    EXPECT_EQ(dir_.read("kz.cfg"), "Sound=on\r\n");
    PasswordNoStore = 0;

    chooseCharacter("acct", "Shard", "Bob");
    const std::string copy = "Desktop/acct/Shard/Bob/kz.cfg";
    dir_.write(copy, withPassword);
    saveConfigDirective(CFG_AcctPassword, "abc");
    saveConfigDirective(CFG_RememberAcctPW, "yes");
    saveConfigDirective(CFG_SoundVol, "7");
    EXPECT_EQ(dir_.read(copy), "Sound=on\r\nSoundVol=7\r\n");
    saveConfigDirectiveMainFile(CFG_SoundVol, "8");
    EXPECT_EQ(dir_.read("kz.cfg"), "Sound=on\r\nSoundVol=8\r\n");
}

TEST_F(ConfigTest, FilesAreFoundOnTheSearchPathsAndRewrittenWhereTheyLie)
{
    const std::string cd = useCDFolder("cd");
    const std::string extra = "FileManagerAddSearchPath=" + dir_.file("extra") + "/";
    dir_.write(cd + "kz.cfg", configText({"SoundVol=7", extra}));
    dir_.write("extra/login.cfg", configText({"LoginServer=127.0.0.1,2593"}));
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(SoundVol, 7);
    ASSERT_TRUE(ReadConfig("login.cfg", false));  // on the search path kz.cfg added
    EXPECT_EQ(LoginServers.count, 1);

    saveConfigDirective(CFG_SoundVol, "8");
    EXPECT_EQ(dir_.read(cd + "kz.cfg"), configText({"SoundVol=8", extra}));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("kz.cfg")));

    // Removed while the client runs: it reads as missing, and a save puts it back where it was.
    std::filesystem::remove(dir_.file(cd + "kz.cfg"));
    EXPECT_FALSE(ReadConfig("kz.cfg", true));
    saveConfigDirective(CFG_Sound, "off");
    EXPECT_EQ(dir_.read(cd + "kz.cfg"), "Sound=off\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir_.file("kz.cfg")));
}

TEST_F(ConfigTest, AnInstalledStoreTakesTheReadsAndRewritesInsteadOfTheFiles)
{
    dir_.write("kz.cfg", "Sound=on\r\n");
    MemoryConfigFileStore store;
    SetConfigFileStore(&store);
    EXPECT_FALSE(ReadConfig("kz.cfg", true));
    saveConfigDirective(CFG_SoundVol, "7");
    saveConfigDirective(CFG_Sound, "off");
    chooseCharacter("acct", "Shard", "Bob");
    EXPECT_TRUE(MakeConfigFolders("Desktop/acct/Shard/Bob"));
    EXPECT_TRUE(ReplaceConfigFileBytes("Desktop\\acct\\Shard\\Bob\\kz.cfg", "SoundVol=9\r\n"));
    saveConfigDirective(CFG_Sound, "on");
    SetConfigFileStore(nullptr);

    EXPECT_EQ(store.read("kz.cfg"), "SoundVol=7\r\nSound=off\r\n");
    EXPECT_EQ(store.read("Desktop/acct/Shard/Bob/kz.cfg"), "SoundVol=9\r\nSound=on\r\n");
    EXPECT_EQ(dir_.read("kz.cfg"), "Sound=on\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir_.file("Desktop")));
}

TEST_F(ConfigTest, FailedRewriteIsToldOnceKeepsTheValueAndLeavesTheFileWhole)
{
    const std::string original = configText({"Sound=on", "SoundVol=5", "PlayerName=Bob"});
    dir_.write("kz.cfg", original);
    testsupport::ReportSandbox sandbox;
    {
        platform::ScopedWriteFailureForTests failure(4);
        saveConfigDirective(CFG_Sound, "off");  // a replaced line
        saveConfigDirective(CFG_Music, "off");  // an appended one
    }
    EXPECT_EQ(dir_.read("kz.cfg"), original);
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"kz.cfg"});
    const auto boxes = sandbox.boxes().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("cannot be saved to kz.cfg"), std::string::npos);
    const std::string log = sandbox.read("KZReport0.log");
    for (const char* name : {"'Sound'", "'Music'"})
        EXPECT_NE(log.find(std::string("saveConfigDirective: cannot write ") + name), std::string::npos) << log;
}

TEST_F(ConfigTest, AnEndlessOrHugeConfigurationIsRefusedWithALogLine)
{
    testsupport::ReportSandbox sandbox;
    std::filesystem::create_symlink("/dev/zero", dir_.file("kz.cfg"));
    EXPECT_FALSE(ReadConfig("kz.cfg", true));
    dir_.write("login.cfg", std::string(platform::kMaxConfigFileBytes + 1, '\n'));
    EXPECT_FALSE(ReadConfig("login.cfg", false));
    const std::string log = sandbox.read("KZReport0.log");
    for (const char* name : {"kz.cfg' is not a regular file", "login.cfg' is not a regular file"})
        EXPECT_NE(log.find(name), std::string::npos) << name << "\n" << log;
}

TEST_F(ConfigTest, ALinkedKzCfgKeepsItsLinkAndItsTargetIsRewritten)
{
    const std::string target = dir_.write("shared/settings.cfg", configText({"Sound=on"}));
    std::filesystem::create_symlink(target, dir_.file("kz.cfg"));
    saveConfigDirective(CFG_Sound, "off");
    EXPECT_TRUE(std::filesystem::is_symlink(dir_.file("kz.cfg")));
    EXPECT_EQ(dir_.read("shared/settings.cfg"), configText({"Sound=off"}));
}

TEST_F(ConfigTest, AReadOnlyInstallStartsWhenItsLinesAlreadyHoldTheValues)
{
    ResetConfigRunState(false);
    dir_.write("kz.cfg", configText({"ClientLogin=1", "ObscenityFilter=off"}));
    testsupport::ReportSandbox sandbox;
    platform::ScopedWriteFailureForTests readOnly(0);
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(ObscenityFilter, 0);
    EXPECT_EQ(sandbox.boxes().count(), 0u);
    EXPECT_EQ(sandbox.read("KZReport0.log").find("saveConfigDirective"), std::string::npos);

    // A line that differs must be written; failing that, the value still holds for the run.
    ResetConfigRunState(false);
    dir_.write("kz.cfg", configText({"ClientLogin=1", "ObscenityFilter=on"}));
    ASSERT_TRUE(ReadConfig("kz.cfg", true));
    EXPECT_EQ(ObscenityFilter, 0);
    EXPECT_EQ(sandbox.boxes().count(), 1u);
    EXPECT_EQ(dir_.read("kz.cfg"), configText({"ClientLogin=1", "ObscenityFilter=on"}));
}

TEST_F(ConfigTest, MissingAndDamagedFilesAreLogged)
{
    testsupport::ReportSandbox sandbox;
    auto remove = [&](const char* name) { std::filesystem::remove(dir_.file(name)); };
    struct Case {
        const char* label;
        std::function<void()> run;
        const char* logged;
    };
    const Case cases[] = {
        {"kz.cfg missing", [&] { ReadConfig("kz.cfg", true); },
         "Function:CApp::readConfig: cannot open file ''.\n"},
        {"a directive without its value", [&] {
             dir_.write("kz.cfg", configText({"Sound=", "; a note", "Sound=on"}));
             ReadConfig("kz.cfg", true);
         }, "CApp::readConfig: line 1 of 'kz.cfg': 'Sound' has no value; the line is skipped.\n"},
        {"an overlong line", [&] {
             dir_.write("kz.cfg", configText({"AcctLastName=" + std::string(2000, 'x')}));
             ReadConfig("kz.cfg", true);
         }, "CApp::readConfig: line 1 of 'kz.cfg' is longer than 1024 bytes; the rest of it is ignored.\n"},
        {"chardata.mul missing", [&] { remove("chardata.mul"); LoadCharData(); },
         "CApp::LoadCharData: cannot open file 'chardata.mul'.\n"},
        {"chardata.mul short", [&] {
             dir_.write("chardata.mul", testsupport::charDataBytes({1, 2, 3}, {}));
             LoadCharData();
         }, "CApp::LoadCharData: 'chardata.mul' holds 6 of 20 bytes; the rest keep their defaults.\n"},
        {"ignore.lst missing", [&] { remove("ignore.lst"); LoadFilterLists(); },
         "LoadFilterLists: no 'ignore.lst'; the ignore list stays empty.\n"},
        {"ignore.lst cut", [&] {
             auto bytes = testsupport::ignoreListBytes({{"Alice", 5}});
             bytes.resize(bytes.size() + 3);
             dir_.write("ignore.lst", bytes);
             LoadFilterLists();
         }, "LoadFilterLists: 'ignore.lst' ends in a cut record of 3 bytes; it is ignored.\n"},
        {"kzbscene.lst missing", [&] { remove("kzbscene.lst"); LoadFilterLists(); },
         "LoadFilterLists: no 'kzbscene.lst'; the word list stays empty.\n"},
        {"speech.mul missing", [&] { remove("speech.mul"); LoadSpeechKeywords(); },
         "LoadSpeechKeywords: no 'speech.mul'; there are no speech keywords.\n"},
        {"speech.mul cut", [&] {
             auto bytes = testsupport::speechMulBytes({{1, "hail"}, {2, "bank"}});
             bytes.pop_back();
             dir_.write("speech.mul", bytes);
             LoadSpeechKeywords();
         }, "LoadSpeechKeywords: entry 1 of 'speech.mul' is cut short; the list ends there.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const size_t before = sandbox.read("KZReport0.log").size();
        c.run();
        const std::string logged = sandbox.read("KZReport0.log").substr(before);
        EXPECT_NE(logged.find(c.logged), std::string::npos) << logged;
        EXPECT_EQ(logged.find("line 2"), std::string::npos) << "a comment line is no damage";
    }
}

/** Every folder of the tree read-only (0555), or writable by its owner again (0755). */
void setFoldersWritable(const std::filesystem::path& root, bool writable)
{
    namespace fs = std::filesystem;
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec |
                           (writable ? fs::perms::owner_write : fs::perms::none);
    fs::permissions(root, mode);
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_directory()) fs::permissions(entry.path(), mode);
}

/** The superuser may write into any folder: a process that must not becomes an ordinary user. */
void giveUpSuperuser()
{
    if (::geteuid() != 0) return;
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(3);
}

TEST_F(ConfigTest, EveryRewriteThatFailsLeavesTheOriginalWhole)
{
    platform::ScopedExitHook exitHook;
    const std::string copy = "Desktop/bob/Lake/Mary/kz.cfg";
    const auto bytesOf = [](const std::vector<unsigned char>& v) { return std::string(v.begin(), v.end()); };
    const std::map<std::string, std::string> originals = {
        {"kz.cfg", configText({"Sound=on", "SoundVol=5"})},
        {copy, configText({"SoundVol=3", "Season=2"})},
        {"ignore.lst", bytesOf(testsupport::ignoreListBytes({{"Alice", 5}}))},
        {"kzbscene.lst", bytesOf(testsupport::obsceneListBytes({u"alpha"}))},
        {"chardata.mul", bytesOf(testsupport::charDataBytes({1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}))},
    };
    struct Rewrite {
        const char* label;
        std::string file;
        bool character;
        std::function<bool()> failed;  // runs it; true when it told its caller it failed (or cannot tell)
    };
    const Rewrite rewrites[] = {
        {"a directive line replaced", "kz.cfg", false, [] { saveConfigDirective(CFG_Sound, "off"); return true; }},
        {"a directive appended", "kz.cfg", false, [] { saveConfigDirective(CFG_Music, "off"); return true; }},
        {"the option block", "kz.cfg", false, [] { return !SaveConfigOptionsOldWay(); }},
        {"the option block of the character's copy", copy, true, [] { SaveConfigOptions(); return true; }},
        {"the ignore list", "ignore.lst", false, [] { return SaveFilterList(1) == 0; }},
        {"the word list", "kzbscene.lst", false, [] { return SaveFilterList(0) == 0; }},
        {"the character data", "chardata.mul", false, [] { SaveCharData(); return true; }},
    };
    for (const bool readOnlyFolder : {false, true}) {
        for (const Rewrite& r : rewrites) {
            SCOPED_TRACE(std::string(r.label) + (readOnlyFolder ? " into a read-only folder" : " with a failing write"));
            for (const auto& [name, bytes] : originals) dir_.write(name, bytes);
            ResetConfigStore();
            ResetPlayerFiles();
            if (r.character) chooseCharacter("bob", "Lake", "Mary");
            Sound = 0;
            IgnoreListCount = 1;
            CopyConfigText(IgnoreList[0].name, "Zed");
            ObsceneWordCount = 1;
            std::char_traits<char16_t>::copy(ObsceneWords[0], u"other", 6);

            if (readOnlyFolder) {
                setFoldersWritable(dir_.path(), false);
                EXPECT_EXIT({ giveUpSuperuser(); std::_Exit(r.failed() ? 0 : 1); }, ::testing::ExitedWithCode(0), "");
                setFoldersWritable(dir_.path(), true);
            } else {
                platform::ScopedWriteFailureForTests failure(3);
                EXPECT_TRUE(r.failed());
            }
            EXPECT_EQ(dir_.read(r.file), originals.at(r.file));
            for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path()))
                EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
        }
    }
}

} // namespace
