/** @file Recording login screens and text display, and a world with real sockets for the login and world handler tests. */
#pragma once

#include "client/core/config_store.h"
#include "client/net/client_sock.h"
#include "client/net/login_lists.h"
#include "client/net/net_facilities.h"
#include "client/net/packet_dispatch.h"
#include "client/net/server_sessions.h"
#include "client/net/text_services.h"
#include "client/net/world_handlers.h"
#include "client/world/walk.h"
#include "client/world/world_objects.h"
#include "tests/support/scripted_shard.h"
#include "tests/support/temp_dir.h"
#include "tests/support/terrain_fixtures.h"
#include "tests/world/world_test_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace nettest {

/** Records what the login handlers ask of the login screens. */
class RecordingScreens final : public LoginScreenServices {
public:
    void ShowWaiting(const char* text) override { waiting.emplace_back(text); }
    void CloseWaiting() override { ++waitingClosed; }
    void SetHold(LoginGump gump, bool hold) override { holds.push_back({gump, hold}); }
    void ShowMessage(const char* text, LoginGump owner, bool closing) override
    {
        messages.push_back({text, owner, closing});
    }
    void ShowShards() override { ++shardsShown; }
    bool CharacterGumpOpen() override { return characterGumpOpen; }
    void CloseCharacterGump() override { characterGumpOpen = false; }
    void ShowCharacters() override
    {
        ++charactersShown;
        characterGumpOpen = true;
    }
    void StartCharacterCreation() override { ++creations; }
    void RemoveCharacter(int32_t slot) override { removed.push_back(slot); }
    void ShowTips(const std::vector<std::string>& lines, bool tip) override
    {
        tips = lines;
        tipWindow = tip ? 1 : 2;
    }
    void EnteredWorld() override { ++worldsEntered; }

    struct Message {
        std::string text;
        LoginGump owner;
        bool closing;
    };
    std::vector<std::string> waiting;
    std::vector<Message> messages;
    std::vector<std::pair<LoginGump, bool>> holds;
    std::vector<int32_t> removed;
    std::vector<std::string> tips;
    int tipWindow = 0;
    int waitingClosed = 0, shardsShown = 0, charactersShown = 0, creations = 0, worldsEntered = 0;
    bool characterGumpOpen = false;
};

/** Records system lines and speech. */
class RecordingTexts final : public NetTextServices {
public:
    void SystemLine(const char* text, int32_t hue, int32_t) override { lines.push_back({text, hue}); }
    void SystemUnicodeLine(const std::u16string& text, int32_t, int32_t, const char*) override
    {
        systemSpeech.push_back(text);
    }
    void SpeakOver(CObj& object, const std::u16string& text, int32_t, int32_t, SpeechKind kind, const char*) override
    {
        spoken.push_back({object.GetSerial(), text, kind});
    }
    bool IsSerialIgnored(uint32_t serial) override { return serial == ignored; }

    struct Line {
        std::string text;
        int32_t hue;
    };
    struct Spoken {
        uint32_t serial;
        std::u16string text;
        SpeechKind kind;
    };
    bool has(const std::string& text) const
    {
        for (const Line& line : lines)
            if (line.text == text)
                return true;
        return false;
    }
    std::vector<Line> lines;
    std::vector<std::u16string> systemSpeech;
    std::vector<Spoken> spoken;
    uint32_t ignored = 0;
};

/**
 * The world of the world tests with the login and world handlers installed over real sockets:
 * the client's map is flat ground 64 cells square, its account "tester" / "secret".
 */
class LoginWorld : public testsupport::WorldTest {
protected:
    static constexpr uint32_t kLocalAddress = 0x0A000007;

    LoginWorld()
    {
        ResetConnectionState();
        ResetPacketHandlers();
        ResetUnknownPacketReport();
        ResetNetFacilities();
        netHooks() = NetHooks{};
        resolver.setLocalHostAddress(kLocalAddress);
        netFacilities().resolver = &resolver;
        InstallLoginHandlers();
        InstallWorldHandlers();
        SetLoginScreenServices(&screens);
        SetNetTextServices(&texts);
        ResetLoginLists();
        ResetWorldHandlerState();
        RelayKey = 0;
        std::strcpy(AcctID, "tester");
        std::strcpy(AcctPassword, "secret");
        map.fillLand(0, 0, 63, 63, 0);
        map.open();
        Walk::State() = WalkState{};
    }
    ~LoginWorld() override
    {
        Walk::SetServices(nullptr);
        Walk::State() = WalkState{};
        SetLoginScreenServices(nullptr);
        SetNetTextServices(nullptr);
        ResetConnectionState();
        ResetPacketHandlers();
        ResetNetFacilities();
        ResetConfigStore();
        ResetLoginLists();
        ResetWorldHandlerState();
        RelayKey = 0;
        g_bInGame = false;
        map.close();
    }

    void pointAtLoginServer(uint16_t port)
    {
        LoginServers = LoginServerList{};
        LoginServers.count = 1;
        LoginServers.current = 0;
        LoginServers.entries[0].address = 0x7F000001;
        LoginServers.entries[0].port = port;
    }

    /**
     * Logs in to the shard with the first shard and character it lists and waits until the
     * script is done and `entered` holds. False (with the step it stopped at) when it did not get there.
     */
    ::testing::AssertionResult enterWorld(testsupport::ScriptedShard& shard, const std::function<bool()>& entered)
    {
        pointAtLoginServer(shard.loginPort());
        if (ConnectToLoginServer() != 1)
            return ::testing::AssertionFailure() << "no login connection";
        SendAccountLogin(AcctID, AcctPassword, 0);
        if (!exchange(shard, [&] { return screens.shardsShown == 1; }))
            return ::testing::AssertionFailure() << shard.nextStep();
        const LoginLists& lists = TheLoginLists();
        SendSelectServer(lists.shards[lists.shardOrder[0]].index);
        if (!exchange(shard, [&] { return screens.charactersShown == 1; }))
            return ::testing::AssertionFailure() << shard.nextStep();
        SendPlayCharacter(lists.characters[0].name.c_str(), "", 0);
        if (!exchange(shard, [&] { return shard.scriptDone() && entered(); }))
            return ::testing::AssertionFailure() << shard.nextStep();
        return ::testing::AssertionSuccess();
    }

    /** Polls the client and pumps the shard until `done` holds (a bounded number of rounds). */
    static bool exchange(testsupport::ScriptedShard& shard, const std::function<bool()>& done)
    {
        return poll(done, [&] { shard.pump(); });
    }
    /** Polls the client (and runs `between` after each poll) until `done` holds; false after about 5 s. */
    static bool poll(const std::function<bool()>& done, const std::function<void()>& between = {})
    {
        for (int round = 0; round < 5000; ++round) {
            PollServerSessions();
            if (between)
                between();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        return false;
    }

    RecordingScreens screens;
    RecordingTexts texts;
    platform::FakeHostResolver resolver;
    testsupport::TempDir mapDir;
    testsupport::WalkMap map{mapDir.path(), 8};
};

} // namespace nettest
