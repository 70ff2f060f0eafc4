/** @file The login screens against the scripted shard on loopback: logging in, making a character, a refused password. */
#include "client/core/config_store.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/login/creation_screens.h"
#include "client/net/packet_dispatch.h"
#include "tests/login/login_test_fixture.h"
#include "tests/support/scripted_shard.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace logintest {
namespace {

class ShardFlow : public LoginScreensTest {
protected:
    void start(testsupport::ShardSettings settings)
    {
        shard = std::make_unique<testsupport::ScriptedShard>(std::move(settings));
        ResetNetFacilities();
        netFacilities().resolver = &resolver;
        ResetPacketHandlers();
        InstallLoginHandlers();
        LoginServers = LoginServerList{};
        LoginServers.count = 1;
        LoginServers.current = 0;
        LoginServers.entries[0].address = 0x7F000001;
        LoginServers.entries[0].port = shard->loginPort();
        harness.sandbox().dir().write("hd/prof.txt", sampleinstall::sampleProfessionFile());
        RememberAcctPW = 1;
        CreateStartupGumps();
    }
    void TearDown() override
    {
        ResetPacketHandlers();
        LoginScreensTest::TearDown();
    }
    /** Polls the client and pumps the shard until done holds; false after about 5 seconds. */
    bool exchange(const std::function<bool()>& done)
    {
        for (int round = 0; round < 5000; ++round) {
            PollServerSessions();
            shard->pump();
            driver.pass(1);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        return false;
    }
    void type(const std::string& text)
    {
        for (char c : text)
            driver.typeChar(static_cast<uint8_t>(c));
    }
    void logIn(const std::string& account, const std::string& password)
    {
        CAcctLoginGump* login = loginState().acctLogin;
        login->account->SetText(account);
        login->password->SetText("");
        CGumpManager::SetFocus(login->password);
        type(password);
        driver.typeChar(13);
    }
    CThalMapGump* shardScreen()
    {
        for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
            if (auto* map = dynamic_cast<CThalMapGump*>(g); map != nullptr && !map->closing)
                return map;
        return nullptr;
    }
    bool ran(const std::string& step)
    {
        const std::vector<std::string>& steps = shard->stepsRun();
        return std::find(steps.begin(), steps.end(), step) != steps.end();
    }
    void arrow() { driver.click(610 + 5, 445 + 5); }

    std::unique_ptr<testsupport::ScriptedShard> shard;
};

TEST_F(ShardFlow, APlayerLogsInPicksAShardAndACharacterAndEntersTheWorld)
{
    start({});
    logIn("tester", "secret");
    ASSERT_TRUE(exchange([&] { return shardScreen() != nullptr; })) << shard->nextStep();
    EXPECT_EQ(shardScreen()->list->entries.size(), 2u);
    driver.click(150 + 74 + 4, 90 + 10 + 5); // the first shard
    ASSERT_TRUE(exchange([&] { return loginState().characterScreen != nullptr; })) << shard->nextStep();
    EXPECT_EQ(loginState().characterScreen->slots[0]->Text(), "Tessa");
    arrow();
    ASSERT_TRUE(exchange([&] { return ran("play-character"); })) << shard->nextStep();
    EXPECT_EQ(shard->failures(), std::vector<std::string>{});
    EXPECT_STREQ(PlayerName, "Tessa");
}

TEST_F(ShardFlow, AnAccountWithoutCharactersMakesOneThroughTheCreationScreens)
{
    testsupport::ShardSettings settings;
    settings.characters.clear();
    settings.cities = {{"Viz", "North"}, {"Kovaru", "Hills"}, {"Dizivud", "Market"}, {"Roverozi", "Coast"}};
    start(settings);
    logIn("tester", "secret");
    ASSERT_TRUE(exchange([&] { return shardScreen() != nullptr; })) << shard->nextStep();
    driver.click(150 + 74 + 4, 90 + 10 + 5);
    ASSERT_TRUE(exchange([&] { return loginState().profession != nullptr; })) << shard->nextStep();
    driver.click(480 + 20, 100 + 79 + 20); // Mage
    arrow();
    ASSERT_NE(loginState().creation, nullptr);
    type("Rowan");
    arrow();
    ASSERT_NE(loginState().city, nullptr);
    arrow();
    ASSERT_TRUE(exchange([&] { return !shard->created().empty(); })) << shard->nextStep();
    EXPECT_EQ(shard->created(), std::vector<std::string>{"Rowan"});
    EXPECT_EQ(shard->failures(), std::vector<std::string>{});
    // The shard's city list came: city 2's index byte is the start location.
    const auto& received = shard->received();
    const auto create = std::find_if(received.begin(), received.end(), [](const auto& r) { return r.second[0] == 0x00; });
    ASSERT_NE(create, received.end());
    EXPECT_EQ(create->second[90], 2);
}

TEST_F(ShardFlow, AWrongPasswordShowsItsTextAndTheNextTryGetsIn)
{
    start({});
    logIn("tester", "wrong");
    const std::string refused = "Either the Account Name or Password you provided were incorrect.  If this is a new "
                                "account your account may not be active yet.  Please try again shortly.";
    ASSERT_TRUE(exchange([&] { return !messages.empty() && messages.back() == refused; }));
    ASSERT_NE(lastMessage, nullptr);
    lastMessage->Ok();
    driver.pass();
    ASSERT_NE(loginState().acctLogin, nullptr);
    EXPECT_EQ(loginState().acctLogin->account->Text(), "tester");
    logIn("tester", "secret");
    ASSERT_TRUE(exchange([&] { return shardScreen() != nullptr; })) << shard->nextStep();
    EXPECT_EQ(shard->failures(), std::vector<std::string>{});
}

} // namespace
} // namespace logintest
