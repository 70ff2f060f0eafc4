/** @file Speech over loopback: a line typed on the input line goes to the scripted shard, comes back over the player's head, and the mobile beside the player answers over its own. */
#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_window.h"
#include "client/gumps/game/bark_gump.h"
#include "client/gumps/game/speech_display.h"
#include "client/net/server_sessions.h"
#include "client/render/text_manager.h"
#include "tests/net/login_fixture.h"
#include "tests/support/gump_fixtures.h"

#include <gtest/gtest.h>

namespace {

using testsupport::ScriptedShard;
using testsupport::ShardSettings;

class SpeechRoundTrip : public nettest::LoginWorld {
protected:
    SpeechRoundTrip()
    {
        CGumpManager::startup();
        TextManager::startup();
        InstallSpeechDisplay(true);
    }
    ~SpeechRoundTrip() override
    {
        // The texts go before the objects they stand over.
        CGumpManager::shutdown();
        InstallSpeechDisplay(false);
        TextManager::shutdown();
    }
    void type(const std::string& text)
    {
        for (char c : text)
            line.OnChar(static_cast<uint8_t>(c));
        line.OnChar(13);
    }
    static CUnicodeBarkGump* textOver(uint32_t serial)
    {
        CDynamicObj* object = CObjectManager::FindObject(serial);
        return object != nullptr ? dynamic_cast<CUnicodeBarkGump*>(object->overheadMessages) : nullptr;
    }

    testsupport::ScopedUnicodeFonts fonts{7, 12, 5};
    CInputWindow line;
};

TEST_F(SpeechRoundTrip, ALineSaidComesBackOverTheHeadAndTheMobileBesideAnswers)
{
    ShardSettings settings;
    settings.objects = testsupport::DefaultShardObjects(settings);
    settings.answeringMobile = 0x202;
    ScriptedShard shard(settings);
    ASSERT_TRUE(enterWorld(shard, [] { return World().player != nullptr; }));
    g_bInGame = true;
    UnicodeSpeech = 1;

    type("! well met");
    EXPECT_TRUE(line.Line().empty());
    ASSERT_TRUE(exchange(shard, [&] { return textOver(0x202) != nullptr; })) << shard.nextStep();
    EXPECT_EQ(shard.speechEchoed(), 1);
    const auto& received = shard.received();
    const auto speech = std::find_if(received.begin(), received.end(), [](const auto& r) { return r.second[0] == 0xAD; });
    ASSERT_NE(speech, received.end());
    EXPECT_EQ(speech->second[3], 9) << "yelled";

    CUnicodeBarkGump* own = textOver(settings.playerSerial);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->Text(), u"well met");
    EXPECT_EQ(textOver(0x202)->Text(), u"Tessa said: well met");
    EXPECT_EQ(TextManager::Newest()->wideText, u"Bram: Tessa said: well met");
    EXPECT_EQ(TextManager::Newest()->previous->wideText, u"Tessa: well met");
    EXPECT_TRUE(IsLiveGump(own)) << "the player's text stays while the answer comes";
    EXPECT_EQ(shard.failures(), std::vector<std::string>{});
}

} // namespace
