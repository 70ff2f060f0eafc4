/** @file The main menu, the account login, the shard screen and the character screen, driven as a player would. */
#include "client/core/config_store.h"
#include "client/core/player_files.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/message_gumps.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/framework/toggle_control_gump.h"
#include "client/gumps/login/login_screens.h"
#include "tests/login/login_test_fixture.h"
#include "tests/support/movie_fixtures.h"

#include <cstring>

namespace logintest {
namespace {

/** The top-level gump of a name, or null. */
CGump* topLevel(const char* name)
{
    for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
        if (std::strcmp(g->name, name) == 0 && !g->closing)
            return g;
    return nullptr;
}

class AccountLogin : public LoginScreensTest {
protected:
    void type(const std::string& text)
    {
        for (char c : text)
            driver.typeChar(static_cast<uint8_t>(c));
    }
    /** Opens the main menu with the remember-password state given and types both fields. */
    CAcctLoginGump* openAndType(int remember, const std::string& account, const std::string& password)
    {
        RememberAcctPW = static_cast<uint8_t>(remember);
        CreateStartupGumps();
        CAcctLoginGump* login = loginState().acctLogin;
        type(password);  // the password field has the focus
        driver.typeChar(9);
        type(account);
        return login;
    }
};

TEST_F(AccountLogin, TheFirstFrameOfTheMainMenuIsPinned)
{
    CreateStartupGumps();
    harness.drawFrame();
    const std::string mismatch =
        testsupport::checkGoldenFrame("login_main_menu", harness.window().lastFrame(), 640, 480, false, 0xc43497242b3faacfull);
    EXPECT_EQ(mismatch, "");
}

TEST_F(AccountLogin, TypedAccountAndPasswordGoOutAndTheAccountLinesAreWritten)
{
    CAcctLoginGump* login = openAndType(1, "player", "secret");
    EXPECT_EQ(login->account->Text(), "player");
    EXPECT_EQ(login->password->Text(), "secret");
    driver.pass();
    EXPECT_EQ(login->arrow->hoverArt, 5541);

    driver.typeChar(13);
    const std::vector<Bytes> logins = sentWithId(0x80);
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(field(logins[0], 1, 30), "player");
    EXPECT_EQ(field(logins[0], 31, 30), "secret");
    EXPECT_EQ(messages, (std::vector<std::string>{"Connecting... ", "Verifying Account..."}));
    EXPECT_EQ(login->visible, 0);

    char stored[32] = "secret";
    EncodeStoredPassword(stored);
    const std::string cfg = kzCfg();
    EXPECT_NE(cfg.find("AcctID=player"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("RememberAcctPW=yes"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find(std::string("AcctPassword=") + stored), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("GlobalQueue=off"), std::string::npos) << cfg;
}

TEST_F(AccountLogin, WithoutRememberingNoPasswordLineIsKeptAndTheBoxIsDisabled)
{
    harness.sandbox().dir().write("hd/kz.cfg", "RememberAcctPW=no\r\nAcctPassword=abc\r\nNumPassTries=3\r\n");
    CAcctLoginGump* login = openAndType(0, "player", "secret");
    EXPECT_EQ(login->savePassword->disabled, 1);
    EXPECT_EQ(kzCfg().find("AcctPassword"), std::string::npos) << kzCfg();
    EXPECT_EQ(kzCfg().find("NumPassTries"), std::string::npos) << kzCfg();
    // The arrow shows no highlight while a field is empty; the step runs all the same.
    login->password->SetText("");
    driver.pass();
    EXPECT_EQ(login->arrow->hoverArt, 0);
    driver.typeChar(13);
    EXPECT_EQ(sentWithId(0x80).size(), 1u);
    const std::string cfg = kzCfg();
    EXPECT_NE(cfg.find("AcctID=player"), std::string::npos) << cfg;
    EXPECT_EQ(cfg.find("RememberAcctPW"), std::string::npos) << cfg;
    EXPECT_EQ(cfg.find("AcctPassword"), std::string::npos) << cfg;
}

TEST_F(AccountLogin, AFailedConnectTellsThePlayerAndOkLetsHimTryAgain)
{
    refuseConnects = true;
    CAcctLoginGump* login = openAndType(1, "player", "secret");
    driver.typeChar(13);
    ASSERT_NE(lastMessage, nullptr);
    EXPECT_EQ(lastMessage->text, "Couldn't connect to Tavorn Vevovo.  Please try again in a few moments.");
    EXPECT_EQ(lastMessage->owner, login);
    EXPECT_EQ(login->visible, 0);
    EXPECT_TRUE(sentWithId(0x80).empty());

    lastMessage->Ok();
    EXPECT_EQ(login->visible, 1);
    EXPECT_EQ(loginState().pending, nullptr);
    EXPECT_EQ(login->account->Text(), "player");
    EXPECT_EQ(login->password->Text(), "secret");

    // The next try, with the server back, logs in.
    refuseConnects = false;
    driver.typeChar(13);
    EXPECT_EQ(sentWithId(0x80).size(), 1u);
}

TEST_F(AccountLogin, TheProgramsMessageGumpShowsTheNoticeAndItsOkReturnsToTheFields)
{
    InstallMessageGumps(true);
    refuseConnects = true;
    CAcctLoginGump* login = openAndType(1, "player", "secret");
    CGump* field = CGumpManager::Focus();
    ASSERT_NE(field, nullptr);
    driver.typeChar(13);
    auto* message = dynamic_cast<CWaitingGump*>(loginState().pending);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->Text(), "Couldn't connect to Tavorn Vevovo.  Please try again in a few moments.");
    EXPECT_EQ(message->Owner(), login);
    EXPECT_EQ(CGumpManager::Modal(), message);
    EXPECT_EQ(CGumpManager::Focus(), message);
    EXPECT_EQ(topLevel("waiting gump"), message); // the progress gump went

    EXPECT_EQ(message->Button()->artId, 1153);
    driver.typeChar(13);
    EXPECT_FALSE(IsLiveGump(message));
    EXPECT_EQ(loginState().pending, nullptr);
    EXPECT_EQ(login->visible, 1);
    EXPECT_EQ(CGumpManager::Focus(), field);
    EXPECT_EQ(MouseManager::WaitCount(), 0);
}

TEST_F(AccountLogin, EscapeOpensAFreshMainMenuThatKeepsTheAccountName)
{
    CAcctLoginGump* login = openAndType(1, "player", "secret");
    driver.typeChar(13);
    CGump* oldMenu = loginState().mainMenu;
    login->visible = 1;
    // Escape typed reaches the window as a Tab; the field's own Escape returns to the menu.
    login->account->OnChar(27);
    driver.pass();
    EXPECT_NE(loginState().mainMenu, nullptr);
    EXPECT_NE(loginState().mainMenu, oldMenu);
    EXPECT_FALSE(IsLiveGump(oldMenu));
    EXPECT_EQ(loginState().acctLogin->account->Text(), "player");
    EXPECT_FALSE(ActiveConnection()->HasSocket());
}

class ShardScreen : public LoginScreensTest {
protected:
    void SetUp() override
    {
        LoginScreensTest::SetUp();
        connect();
        auto shard = [](int id, const char* shardName, char status, uint8_t key1, uint8_t key2) {
            ScreenShard s;
            s.id = id;
            s.name = shardName;
            s.status = status;
            s.sortKey1 = key1;
            s.sortKey2 = key2;
            return s;
        };
        screenLists().shards = {shard(7, "Alpha", '0', 3, 1), shard(9, "Beta", '2', 1, 0), shard(4, "Gamma", '0', 2, 5)};
    }
    CThalMapGump* map() { return static_cast<CThalMapGump*>(topLevel("ThalMap gump")); }
    std::vector<int> listedIds()
    {
        std::vector<int> ids;
        for (const CScrollChoiceGump::Entry& e : map()->list->entries)
            ids.push_back(e.id);
        return ids;
    }
};

TEST_F(ShardScreen, StartsOnTheLastShardAndAClickOnARowChoosesIt)
{
    LastServerID = 4;
    OpenShardScreen();
    ASSERT_NE(map(), nullptr);
    EXPECT_EQ(map()->currentShard, 4);
    EXPECT_STREQ(map()->shardName, "Gamma");
    EXPECT_EQ(listedIds(), (std::vector<int>{7, 9, 4}));

    // The second row of the list (font rows of 10 pixels from the list's top at 100).
    driver.click(150 + 74 + 4, 90 + 10 + 15);
    const std::vector<Bytes> chosen = sentWithId(0xA0);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], (Bytes{0xA0, 0x00, 0x09}));
    EXPECT_NE(kzCfg().find("LastServerID=9"), std::string::npos);
    EXPECT_STREQ(ShardName, "Beta");
    driver.pass();
    EXPECT_EQ(map(), nullptr);
    EXPECT_EQ(messages.back(), "Connecting... ");
}

TEST_F(ShardScreen, SortingPutsShardsOfStatusTwoLastAndMarksTheFirst)
{
    OpenShardScreen();
    map()->list->SortBy(1);
    EXPECT_EQ(listedIds(), (std::vector<int>{4, 7, 9}));
    EXPECT_EQ(map()->list->markedIds[0], 4);
    map()->list->SortBy(2);
    EXPECT_EQ(listedIds(), (std::vector<int>{7, 4, 9}));

    // Every shard of status '2': the list keeps its order.
    for (ScreenShard& s : screenLists().shards)
        s.status = '2';
    map()->list->SortBy(1);
    EXPECT_EQ(listedIds(), (std::vector<int>{7, 9, 4}));
}

TEST_F(ShardScreen, BackClosesTheConnectionAndReturnsToTheMainMenu)
{
    OpenShardScreen();
    driver.click(586 + 5, 445 + 5);
    driver.pass();
    EXPECT_EQ(map(), nullptr);
    EXPECT_NE(loginState().mainMenu, nullptr);
    EXPECT_TRUE(sentWithId(0xA0).empty());
}

class CharacterScreen : public LoginScreensTest {
protected:
    void SetUp() override
    {
        LoginScreensTest::SetUp();
        connect();
    }
    void fill(std::vector<std::pair<std::string, std::string>> characters)
    {
        for (size_t i = 0; i < characters.size(); ++i) {
            screenLists().characters[i].name = characters[i].first;
            screenLists().characters[i].password = characters[i].second;
        }
        OpenCharacterScreen();
    }
    CLoginGump* screen() { return loginState().characterScreen; }
    /** The screen point of slot i (the frame piece is 8 pixels wide). */
    static int slotY(int i) { return 150 + 40 * i + 10; }
    static constexpr int kSlotX = 8 + 180 + 30;
};

TEST_F(CharacterScreen, RemovingACharacterMovesTheLaterOnesUp)
{
    fill({{"Ann", ""}, {"Bob", ""}, {"Cid", ""}, {"Dee", ""}});
    ASSERT_EQ(screen()->count, 4);
    screen()->RemoveCharacter(1);
    EXPECT_EQ(screen()->count, 3);
    EXPECT_EQ(screen()->slots[1]->Text(), "Cid");
    EXPECT_EQ(screen()->slots[2]->Text(), "Dee");
    EXPECT_EQ(screen()->slots[3]->Text(), "");
    EXPECT_EQ((std::vector<int>{screen()->keys[0], screen()->keys[1], screen()->keys[2], screen()->keys[3]}),
              (std::vector<int>{0, 2, 3, -1}));
    EXPECT_EQ(screen()->slots[2]->toolTipOverride, 100022);
    EXPECT_EQ(screen()->slots[3]->toolTipOverride, 100023);
}

TEST_F(CharacterScreen, ACharacterWithoutPasswordPlaysAtOnce)
{
    fill({{"Ann", ""}, {"Bob", "pw"}});
    driver.click(kSlotX, slotY(0));
    driver.click(610 + 5, 445 + 5);
    const std::vector<Bytes> plays = sentWithId(0x5D);
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(field(plays[0], 5, 30), "Ann");
    EXPECT_EQ((Bytes(plays[0].begin() + 65, plays[0].begin() + 69)), (Bytes{0, 0, 0, 0}));
    EXPECT_STREQ(PlayerName, "Ann");
    EXPECT_NE(kzCfg().find("DefaultChar=0"), std::string::npos);
    EXPECT_EQ(screen()->visible, 0);
    EXPECT_EQ(messages.back(), "Entering Thalmere...");
}

TEST_F(CharacterScreen, ACharacterWithAPasswordAsksForItFirst)
{
    fill({{"Ann", ""}, {"Bob", "pw"}});
    driver.click(kSlotX, slotY(1));
    driver.click(610 + 5, 445 + 5);
    EXPECT_TRUE(sentWithId(0x5D).empty());
    ASSERT_NE(topLevel("PlayChar gump"), nullptr);
    EXPECT_EQ(screen()->visible, 0);
    driver.typeChar('p');
    driver.typeChar('w');
    driver.typeChar(13);
    driver.pass();
    const std::vector<Bytes> plays = sentWithId(0x5D);
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(field(plays[0], 5, 30), "Bob");
    EXPECT_EQ(plays[0][68], 1);
    EXPECT_STREQ(loginState().characterPassword, "pw");
    EXPECT_EQ(topLevel("PlayChar gump"), nullptr);
}

TEST_F(CharacterScreen, EmptySlotsAndAFullListAreRefusedWithTheirTexts)
{
    fill({{"Ann", ""}});
    driver.click(kSlotX, slotY(3));
    driver.click(610 + 5, 445 + 5);
    EXPECT_EQ(messages.back(), "No character to login with.");
    EXPECT_EQ(screen()->visible, 0);
    lastMessage->Ok();
    EXPECT_EQ(screen()->visible, 1);
    driver.click(8 + 398 + 5, 350 + 5);
    EXPECT_EQ(messages.back(), "No character to delete.");
    EXPECT_TRUE(sentWithId(0x5D).empty());

    fill({{"A1", ""}, {"A2", ""}, {"A3", ""}, {"A4", ""}, {"A5", ""}});
    driver.click(8 + 180 + 5, 350 + 5);
    EXPECT_EQ(messages.back(), "You already have 5 characters.");
    EXPECT_EQ(loginState().profession, nullptr);
}

TEST_F(CharacterScreen, DeletingAsksAndSendsTheDeleteRequest)
{
    fill({{"Ann", "pa"}, {"Bob", ""}});
    driver.click(kSlotX, slotY(0));
    driver.click(8 + 398 + 5, 350 + 5);
    CGump* question = topLevel("DeleteChar gump");
    ASSERT_NE(question, nullptr);
    question->HandleButtonPress(CDeleteCharGump::kYes);
    driver.pass();
    const std::vector<Bytes> deletes = sentWithId(0x83);
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(field(deletes[0], 1, 30), "pa");
    EXPECT_EQ(deletes[0][34], 0);
    EXPECT_EQ(messages.back(), "Deleting character... ");
}

} // namespace
} // namespace logintest
