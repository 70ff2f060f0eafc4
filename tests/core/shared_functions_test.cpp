/** @file Tests of the small shared functions: case-insensitive search, tick difference, pointer checks, full-screen leaving and 8-bit speech. */
#include "client/core/shared_functions.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/main_window.h"
#include "client/core/memory_manager.h"
#include "platform/platform.h"
#include "platform/random/random.h"
#include "platform/window/null_window.h"
#include "tests/core/service_fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int32_t naiveFindNoCase(const std::string& pattern, const std::string& text)
{
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (pattern.size() > text.size())
        return -1;
    for (size_t s = 0; s + pattern.size() <= text.size(); ++s) {
        size_t j = 0;
        while (j < pattern.size() && fold(pattern[j]) == fold(text[s + j]))
            ++j;
        if (j == pattern.size())
            return static_cast<int32_t>(s);
    }
    return -1;
}

} // namespace

TEST(FindSubstringNoCase, Cases)
{
    struct Case {
        const char* pattern;
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"LORD", "a lord b", 2},
        {"", "abc", 0},
        {"", "", 0},
        {"abcd", "abc", -1},
        {"abc", "xxabcabc", 2},       // leftmost of two
        {"aab", "aaaab", 2},          // good-suffix shift must not skip a match
        {"abab", "abaababab", 3},
        {"x", "abc", -1},
        {"\xE9", "caf\xE9", 3},       // bytes above 127 compare as themselves
        {"\xC9", "caf\xE9", -1},      // and are not case-folded
        {"God", "GOD", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindSubstringNoCase(c.pattern, c.text), c.expected) << c.pattern << " in " << c.text;
    EXPECT_EQ(FindSubstringNoCase(nullptr, "abc"), -1);
    EXPECT_EQ(FindSubstringNoCase("a", nullptr), -1);
}

TEST(FindSubstringNoCase, AgreesWithAPlainSearchOnRandomTexts)
{
    // A tiny alphabet makes repeated partial matches, which exercise both shift tables.
    platform::Random random(2024);
    const char alphabet[] = "aAbB";
    auto randomText = [&](int maxLength) {
        std::string text(random.next() % (maxLength + 1), ' ');
        for (char& c : text)
            c = alphabet[random.next() % 4];
        return text;
    };
    for (int i = 0; i < 5000; ++i) {
        const std::string pattern = randomText(6);
        const std::string text = randomText(24);
        ASSERT_EQ(FindSubstringNoCase(pattern.c_str(), text.c_str()), naiveFindNoCase(pattern, text))
            << "'" << pattern << "' in '" << text << "'";
    }
}

TEST(TickDifference, PlainAndWrapped)
{
    struct Case {
        uint32_t now;
        uint32_t then;
        uint32_t expected;
    };
    const Case cases[] = {
        {100, 40, 60},
        {7, 7, 0},
        {5, 0xFFFFFFF0u, 20},     // wrapped: one less than modular subtraction
        {0, 0xFFFFFFFFu, 0},
        {0xFFFFFFFFu, 0, 0xFFFFFFFFu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TickDifference(c.now, c.then), c.expected) << c.now << " - " << c.then;
}

TEST(SharedFunctions, PointerChecksAndConstants)
{
    int object = 0;
    EXPECT_TRUE(IsValidObjectPointer(&object));
    EXPECT_FALSE(IsValidObjectPointer(nullptr));
    EXPECT_FALSE(IsValidObjectPointer(MemoryManager::freedPointer()));
    EXPECT_FALSE(IsGodClient());
    EmptyHandler(&object, 3);
    EXPECT_EQ(object, 0);
}

namespace {

/** Records what the full-screen and speech functions hand to the higher subsystems. */
class SharedHooksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetConfigStore();
        ResetGameTickState();
        FullScreenActive = 0;
        ViewScrollX = 0;
        ViewScrollY = 0;
        sharedFunctionHooks() = SharedFunctionHooks{};
        sharedFunctionHooks().redrawAll = [this] { ++redraws_; };
        sharedFunctionHooks().sendUnicodeSpeech = [this](const WideChar* text, int32_t length, int mode) {
            sent_.push_back({std::u16string(text, static_cast<size_t>(length)), mode});
        };
        sharedFunctionHooks().showSystemText = [this](const std::string& text) { notices_.push_back(text); };
    }
    void TearDown() override
    {
        sharedFunctionHooks() = SharedFunctionHooks{};
        ResetGameTickState();
        ReleaseMainWindow();
        DeleteMouseTimerLock();
        FullScreenActive = 0;
    }

    struct Sent {
        std::u16string text;
        int mode;
        bool operator==(const Sent&) const = default;
    };

    platform::ScopedPlatform platform_;
    testsupport::ScopedServiceFakes fakes_;
    int redraws_ = 0;
    std::vector<Sent> sent_;
    std::vector<std::string> notices_;
};

} // namespace

TEST_F(SharedHooksTest, FullScreenSwitchesOnlyWhenTheStateDiffers)
{
    platform::NullWindow window;
    window.setDesktop({800, 600, 32});
    ASSERT_TRUE(CreateMainWindow(window));
    platform::WindowMessage drained;
    while (window.pollMessage(drained)) {
    }

    struct Case {
        const char* call;
        uint8_t fullScreen;
        bool toggles;
    };
    const Case cases[] = {
        {"LeaveFullScreen", 0, false}, {"LeaveFullScreen", 1, true}, {"SetFullScreen(0)", 0, false},
        {"SetFullScreen(0)", 1, true}, {"SetFullScreen(1)", 1, false}, {"SetFullScreen(1)", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + (c.fullScreen ? " in full screen" : " in a window"));
        FullScreenActive = c.fullScreen;
        ViewScrollX = 12;
        ViewScrollY = 34;
        redraws_ = 0;
        const std::string call = c.call;
        if (call == "LeaveFullScreen")
            LeaveFullScreen();
        else
            SetFullScreen(call == "SetFullScreen(1)" ? 1 : 0);

        platform::WindowMessage m;
        const bool posted = window.pollMessage(m);
        EXPECT_EQ(posted, c.toggles);
        if (posted) {
            EXPECT_EQ(m.kind, platform::WindowMessage::Kind::Command);
            EXPECT_EQ(m.command, IDM_FULLSCREEN_TOGGLE);
        }
        EXPECT_EQ(ViewScrollX, c.toggles ? 0 : 12);
        EXPECT_EQ(ViewScrollY, c.toggles ? 0 : 34);
        EXPECT_EQ(redraws_, c.toggles ? 1 : 0);
        EXPECT_FALSE(window.pollMessage(m));
    }
}

TEST_F(SharedHooksTest, AsciiSpeechIsWidenedAndSentWithoutTheRateCheck)
{
    SpamLimit = 10;
    SpeechRateCounter = 50;
    SendAsciiSpeech("=tp (1 2 3)", 11, 0);
    SendAsciiSpeech("\xE9t\xE9 long", 3, 2); // bytes above 127 widen unsigned; the length cuts
    EXPECT_EQ(sent_, (std::vector<Sent>{{u"=tp (1 2 3)", 0}, {u"\u00E9t\u00E9", 2}}));
    EXPECT_EQ(SpeechRateCounter, 50);
    EXPECT_TRUE(notices_.empty());
}

TEST_F(SharedHooksTest, RateLimitedSpeechCountsUntilTheLimitThenQueuesWithANotice)
{
    SpamLimit = 10;
    SendSpeechRateLimited("hello there", 11, 0);
    EXPECT_EQ(sent_, (std::vector<Sent>{{u"hello there", 0}}));
    EXPECT_EQ(SpeechRateCounter, 11);

    SendSpeechRateLimited("wait for me", 4, 9);
    EXPECT_EQ(sent_.size(), 1u);
    EXPECT_EQ(SpeechRateCounter, 11);
    // The notice comes before the line joins the queue: (11 - 10) / 10.
    EXPECT_EQ(notices_, std::vector<std::string>{"[Spam detected, speech queued for 0 seconds]"});
    ASSERT_EQ(QueuedSpeechLines(), 1u);

    // The tick sends the line through the same sender, cut to its length, in its mode, and
    // counts it then: queuing did not count it.
    std::vector<std::string> spoken;
    sharedFunctionHooks().sendUnicodeSpeech = [&](const WideChar* text, int32_t length, int mode) {
        spoken.push_back(std::string(text, text + length) + "/" + std::to_string(length) + "/" + std::to_string(mode));
    };
    platform_.clock().advance(2000);
    GameTick(1);
    TickHooks() = GameTickHooks{};
    EXPECT_EQ(spoken, std::vector<std::string>{"wait/4/9"});
    EXPECT_EQ(SpeechRateCounter, 4);
    EXPECT_EQ(QueuedSpeechLines(), 0u);
}
