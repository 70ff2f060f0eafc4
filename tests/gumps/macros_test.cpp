/** @file Tests of macros: key names and macros.txt read and written, and every action run against a recording host. */
#include "client/core/app.h"
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_window.h"
#include "client/gumps/framework/macros.h"
#include "tests/support/gump_fixtures.h"
#include "tests/support/gump_harness.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using testsupport::buildKeyNames;
using testsupport::buildMacroFile;
using testsupport::GumpHarness;
using testsupport::MacroText;

/** Writes down every call the actions make. */
class RecordingHost : public MacroHost {
public:
    bool InGame() override { return inGame; }
    void Speak(int mode, const std::string& text) override { log("speak " + std::to_string(mode) + " " + text); }
    void Walk(int direction) override { log("walk " + std::to_string(direction)); }
    void ToggleWarMode() override { log("war"); }
    void Paste() override { log("paste"); }
    void OpenWindow(int window) override { log("open " + std::to_string(window)); }
    CGump* FindWindow(int window) override
    {
        log("find " + std::to_string(window));
        return found;
    }
    void TextCommand(int type, const std::string& text) override { log("command " + std::to_string(type) + " '" + text + "'"); }
    int LastSkill() override { return lastSkill; }
    int LastSpell() override { return lastSpell; }
    void UseLastObject() override { log("last object"); }
    void QuitGame() override { log("quit"); }
    void AllNames() override { log("all names"); }
    bool TargetCursorUp() override { return cursorUp; }
    void TargetLast() override { log("target last"); }
    void TargetSelf() override { log("target self"); }
    int ArmDisarm(int layer) override
    {
        log("arm layer " + std::to_string(layer));
        return armResult;
    }
    void TargetNext() override { log("target next"); }
    void AttackLast() override { log("attack last"); }
    void ToggleSeeThroughCircle() override { log("circle"); }
    void CloseGumps() override { log("close gumps"); }
    void ToggleAlwaysRun() override { log("always run"); }
    void SaveDesktop() override { log("save desktop"); }
    void ClearDesktopQueue() override { log("clear queue"); }
    void ExtendedCommand(int sub) override { log("extended " + std::to_string(sub)); }
    void SystemMessage(const std::string& text) override { log("say '" + text + "'"); }

    void log(const std::string& s) { calls.push_back(s); }
    std::vector<std::string> calls;
    bool inGame = true;
    bool cursorUp = false;
    int lastSkill = -1;
    int lastSpell = -1;
    int armResult = 1;
    CGump* found = nullptr;
};

class MacrosTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMacroHost(&host);
        MacroSkillNames() = {"Alchemy", "Arms Lore", "Begging"};
        MacroSpellNames() = {"Clumsy (Bad)", "Create Food", "Feeblemind (x)"};
        ReadKeyNames(nullptr);
        MacroWaitCounter = 0;
    }
    void TearDown() override
    {
        CApp::FreeMacros();
        SetMacroHost(nullptr);
        MacroSkillNames().clear();
        MacroSpellNames().clear();
        MacroWaitCounter = 0;
    }
    /** Loads one macro of these actions on F1 and runs it for ticks ticks. */
    void run(const std::vector<std::string>& actions, int ticks)
    {
        ReadMacros(buildMacroFile({{"F1 0 0 0", actions}}));
        CApp::StartMacro(0);
        for (int i = 0; i < ticks; ++i)
            CApp::UpdateMacro();
    }
    bool running() const { return Macros().running != nullptr; }

    RecordingHost host;
};

TEST_F(MacrosTest, FilesReadAndWriteBackTheSame)
{
    const std::string names = buildKeyNames({{59, "F1"}, {30, "A"}, {2, "1"}});
    ReadKeyNames(&names);
    const std::string file = buildMacroFile({{"F1 1 0 1", {"Say hello   there", "Walk SE", "Open Journal", "UseSkill Arms Lore",
                                                            "CastSpell Feeblemind", "Arm/Disarm lefthand", "Delay 12", "Bow"}},
                                              {"Pause 0 0 0", {"Say skipped"}},
                                              {"A 0 1 0", {"Command", "Unknown thing"}}},
                                             "\r\n");
    ReadMacros(file);
    ASSERT_EQ(Macros().macros.size(), 2u);
    ASSERT_EQ(MacroKeyList.size(), 2u);
    EXPECT_EQ(MacroKeyList[0].virtualKey, 0x70u);
    EXPECT_TRUE(MacroKeyList[0].ctrl);
    EXPECT_FALSE(MacroKeyList[0].alt);
    EXPECT_TRUE(MacroKeyList[0].shift);
    EXPECT_EQ(MacroKeyList[1].virtualKey, static_cast<uint32_t>('A'));
    EXPECT_EQ(MacroKeyList[1].macroIndex, 1);
    const Macro& m = Macros().macros[0];
    EXPECT_EQ(m.keyData, 59u << 16);
    ASSERT_EQ(m.actions.size(), 8u);
    EXPECT_EQ(m.actions[0].text, "hello there");
    EXPECT_EQ(m.actions[1].number, 4);
    EXPECT_EQ(m.actions[2].number, 3);
    EXPECT_EQ(m.actions[3].number, 1);
    EXPECT_EQ(m.actions[4].number, 2);
    EXPECT_EQ(m.actions[5].number, 1);
    EXPECT_EQ(WriteMacros(), "F1 1 0 1\nSay hello there\nWalk SE\nOpen Journal\nUseSkill Arms Lore\nCastSpell Feeblemind\n"
                             "Arm/Disarm LeftHand\nDelay 12\nBow \n########\nA 0 1 0\nCommand \n \n########\n");
}

TEST_F(MacrosTest, ActionsPastTheTenthAreDropped)
{
    run(std::vector<std::string>(12, "Bow"), 0);
    EXPECT_EQ(Macros().macros.at(0).actions.size(), 10u);
}

TEST_F(MacrosTest, ASpeechCutAtItsSlotReadsBackAsItself)
{
    // The text is cut at 127 characters; here the cut falls just after a blank.
    const std::string text = std::string(126, 'a') + " bcd";
    ReadMacros(buildMacroFile({{"F12 0 0 0", {"Say " + text}}}));
    ASSERT_EQ(Macros().macros.size(), 1u);
    EXPECT_EQ(Macros().macros[0].actions.at(0).text, std::string(126, 'a'));
    const std::string written = WriteMacros();
    ReadMacros(written);
    EXPECT_EQ(WriteMacros(), written);
}

TEST_F(MacrosTest, BuiltInKeyNamesRoundTrip)
{
    // No keynames.txt: the built-in names are written and read back.
    ReadMacros(buildMacroFile({{"Num 7 0 0 1", {"Bow"}}, {"F12 1 1 1", {"Salute"}}, {"Space 0 0 0", {"Paste"}}}));
    ASSERT_EQ(Macros().macros.size(), 3u);
    EXPECT_EQ(MacroKeyList[0].virtualKey, 0x24u); // Home
    EXPECT_EQ(MacroKeyList[1].virtualKey, 0x7Bu);
    const std::string written = WriteMacros();
    ReadMacros(written);
    EXPECT_EQ(WriteMacros(), written);
    EXPECT_EQ(Macros().macros.size(), 3u);
}

TEST_F(MacrosTest, EveryActionRunsAgainstTheHost)
{
    struct Case {
        std::string line;
        std::vector<std::string> calls;
    };
    host.lastSkill = 7;
    host.lastSpell = 3;
    host.cursorUp = true;
    const Case cases[] = {
        {"Say hi", {"speak 0 hi"}},
        {"Emote waves", {"speak 2 waves"}},
        {"Whisper psst", {"speak 8 psst"}},
        {"Yell HEY", {"speak 9 HEY"}},
        {"Walk W", {"walk 7"}},
        {"War/Peace", {"war"}},
        {"Paste", {"paste"}},
        {"Open Backpack", {"open 7"}},
        {"Close Chat", {"find 6"}},
        {"Minimize Status", {"find 2"}},
        {"Maximize Mail", {"find 9"}},
        {"OpenDoor", {"command 88 ''"}},
        {"UseSkill Begging", {"command 36 '2 0'"}},
        {"LastSkill", {"command 36 '7 0'"}},
        {"CastSpell Create Food", {"command 86 '2'"}},
        {"LastSpell", {"command 86 '4'"}},
        {"LastObject", {"last object"}},
        {"Bow", {"command 199 'bow'"}},
        {"Salute", {"command 199 'salute'"}},
        {"QuitGame", {"quit"}},
        {"AllNames", {"all names"}},
        {"LastTarget", {"target last"}},
        {"TargetSelf", {"target self"}},
        {"Arm/Disarm LeftHand", {"arm layer 2"}},
        {"WaitForTarg", {}},
        {"TargetNext", {"target next"}},
        {"AttackLast", {"attack last"}},
        {"Delay 1", {}},
        {"CircleTrans", {"circle"}},
        {"Command", {}},
        {"CloseGumps", {"close gumps"}},
        {"AlwaysRun", {"always run"}},
        {"SaveDesktop", {"save desktop", "say 'Done saving desktop.'"}},
        {"KillGumpOpen", {"clear queue", "say 'Cancelled opening containers.'"}},
        {"WresDisarm", {"extended 9"}},
        {"WresStun", {"extended 10"}},
    };
    for (const Case& c : cases) {
        host.calls.clear();
        MacroWaitCounter = 0;
        run({c.line}, 4);
        EXPECT_EQ(host.calls, c.calls) << c.line;
        EXPECT_FALSE(running()) << c.line;
    }
}

TEST_F(MacrosTest, OutsideTheGameOnlySomeActionsRun)
{
    host.inGame = false;
    run({"Say hi", "Paste", "Bow", "CloseGumps", "CircleTrans", "Delay 0", "War/Peace"}, 12);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"paste", "close gumps", "circle"}));
}

TEST_F(MacrosTest, DelayHoldsTheNextActionForOneTickMoreThanItsCount)
{
    run({"Delay 5", "Bow"}, 1);
    for (int tick = 0; tick < 6; ++tick) {
        CApp::UpdateMacro();
        EXPECT_TRUE(host.calls.empty()) << tick;
    }
    CApp::UpdateMacro();
    EXPECT_EQ(host.calls.size(), 1u);
}

TEST_F(MacrosTest, LastTargetIsRetriedAndStopsOnTheEleventhFailure)
{
    run({"LastTarget", "Bow"}, 10);
    EXPECT_TRUE(running());
    CApp::UpdateMacro();
    EXPECT_FALSE(running());
    EXPECT_TRUE(host.calls.empty());
    // A new run counts its own failures; a cursor that comes up lets it go on.
    run({"LastTarget", "Bow"}, 10);
    host.cursorUp = true;
    CApp::UpdateMacro();
    CApp::UpdateMacro();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"target last", "command 199 'bow'"}));
}

TEST_F(MacrosTest, AKeyDuringARunOnlyEndsItsWait)
{
    ReadMacros(buildMacroFile({{"F1 0 0 0", {"Delay 50", "Bow"}}, {"F2 0 0 0", {"Salute"}}}));
    CApp::StartMacro(0);
    CApp::UpdateMacro();
    CApp::StartMacro(1);
    CApp::UpdateMacro();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"command 199 'bow'"}));
    // The wait for a target ends after 100 ticks or when a cursor is up.
    run({"WaitForTarg", "Bow"}, 101);
    EXPECT_EQ(host.calls.size(), 1u);
    CApp::UpdateMacro();
    EXPECT_EQ(host.calls.size(), 2u);
    host.calls.clear();
    run({"WaitForTarg", "Bow"}, 2);
    host.cursorUp = true;
    CApp::UpdateMacro();
    CApp::UpdateMacro();
    EXPECT_EQ(host.calls.size(), 1u);
}

TEST_F(MacrosTest, ArmingSharesAPauseAndNamesItsFailures)
{
    host.armResult = 2;
    run({"Arm/Disarm RightHand", "Arm/Disarm LeftHand"}, 2);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"arm layer 1", "say 'You must first disarm a weapon in order to arm one.'",
                                                    "say 'You must wait to perform another action.'"}));
    EXPECT_EQ(MacroWaitCounter, 22);
    host.calls.clear();
    MacroWaitCounter = 0;
    ReadMacros(buildMacroFile({{"F1 0 0 0", {}}}));
    Macros().macros[0].actions.push_back({MA_ArmDisarm, 3, ""});
    CApp::StartMacro(0);
    CApp::UpdateMacro();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"say 'You must select the right or left arm in the macro options.'"}));
}

TEST_F(MacrosTest, TheDefaultHostSpeaksAndSendsCommands)
{
    GumpHarness harness;
    harness.start();
    SetMacroHost(nullptr);
    ResetGameTickState();
    run({"Yell hey", "Salute", "WresStun", "AlwaysRun"}, 5);
    EXPECT_EQ(QueuedSpeechLines(), 1u);
    const auto& sent = harness.packets().packets;
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], (std::vector<uint8_t>{0x12, 0, 11, 199, 's', 'a', 'l', 'u', 't', 'e', 0}));
    EXPECT_EQ(sent[1], (std::vector<uint8_t>{0xBF, 0, 5, 0, 10}));
    EXPECT_EQ(AlwaysRun, 1);
    EXPECT_EQ(harness.logCount("Always Run is now on."), 1u);
    AlwaysRun = 0;
    ResetGameTickState();
}

TEST_F(MacrosTest, LoadAndSaveGoThroughTheCharactersFolder)
{
    GumpHarness harness;
    harness.start();
    testsupport::TempDir dir;
    SetConfigFolder(dir.path().string());
    ASSERT_TRUE(ReplaceConfigFileBytes("keynames.txt", buildKeyNames({{59, "F1"}})));
    const std::string plain = buildMacroFile({{"F1 0 0 0", {"Bow"}}});
    ASSERT_TRUE(ReplaceConfigFileBytes("macros.txt", plain));
    CApp::LoadMacros();
    ASSERT_EQ(Macros().macros.size(), 1u);
    // With a shard and a character the copy goes to the character's folder.
    CopyConfigText(AcctID, "acct");
    CopyConfigText(ShardName, "Shard");
    CopyConfigText(PlayerName, "Hero");
    Macros().macros[0].actions[0].type = MA_Salute;
    CApp::SaveMacros();
    EXPECT_EQ(ReadConfigFile("Desktop/acct/Shard/Hero/macros.txt", "r").value_or(""), "F1 0 0 0\nSalute \n########\n");
    EXPECT_EQ(ReadConfigFile("macros.txt", "r").value_or(""), plain);
    CApp::LoadMacros();
    EXPECT_EQ(Macros().macros.at(0).actions.at(0).type, MA_Salute);
    ShardName[0] = PlayerName[0] = AcctID[0] = '\0';
    SetConfigFolder("");
}

} // namespace
