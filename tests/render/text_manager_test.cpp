/** @file Tests of the journal: the 100-line window, the journal windows, the log file's bytes and system messages. */
#include "client/render/text_manager.h"

#include "client/core/config_store.h"
#include "client/data/font_manager.h"
#include "client/data/unicode_font.h"
#include "tests/support/font_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unicode_font_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class FakeJournalView final : public JournalView {
public:
    const JournalEntry* first = nullptr;
    bool held = false;
    int scrolls = 0;
    int syncs = 0;
    int redraws = 0;

    const JournalEntry* FirstShown() const override { return first; }
    void SetFirstShown(const JournalEntry* entry) override { first = entry; }
    bool Held() const override { return held; }
    void ScrollToEnd() override
    {
        ++scrolls;
        first = TextManager::Newest();
    }
    void SyncThumb() override { ++syncs; }
    void Redraw() override { ++redraws; }
};

class TextManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetConfigStore();
        // 16-bit lines are measured with the Unicode fonts; an empty one is enough.
        unicodeFont_ = testsupport::buildUnicodeFont({});
        for (int32_t font = 0; font < kUnicodeFontCount; ++font)
            setUnicodeFontData(font, unicodeFont_.data(), unicodeFont_.size());
        TextManager::startup();
    }
    void TearDown() override
    {
        TextManager::shutdown();
        TextManager::SetBarkMaker(nullptr);
        FontManager::unloadFonts();
        unloadUnicodeFonts();
        ResetConfigStore();
    }

    /** Logging into the temporary folder, in 8-bit or 16-bit mode. */
    std::string logTo(const std::string& name, bool unicode)
    {
        SaveJournal = 1;
        JournalSaveUnicode = unicode ? 1 : 0;
        const std::string path = dir_.file(name);
        CopyConfigText(JournalSaveFile, path.c_str());
        return path;
    }

    static std::vector<unsigned char> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

    testsupport::TempDir dir_;
    std::vector<uint8_t> unicodeFont_;
};

TEST_F(TextManagerTest, TheHundredAndFirstLineDropsTheOldestAndMovesAWindowShowingIt)
{
    FakeJournalView pinned;
    FakeJournalView following;
    pinned.held = true;
    TextManager::RegisterJournalView(&pinned);
    TextManager::RegisterJournalView(&following);

    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(TextManager::AddJournalLine(("line " + std::to_string(i)).c_str(), i), i + 1);
    pinned.first = TextManager::Oldest();
    ASSERT_EQ(TextManager::Oldest()->text, "line 0");

    EXPECT_EQ(TextManager::AddJournalLine("line 100", 7), 100);
    EXPECT_EQ(TextManager::Count(), 100);
    EXPECT_EQ(TextManager::Oldest()->text, "line 1");
    EXPECT_EQ(TextManager::Oldest()->previous, nullptr);
    EXPECT_EQ(TextManager::Newest()->text, "line 100");
    EXPECT_EQ(TextManager::Newest()->hue, 7);
    // The held window kept its place on the (new) first line; the other follows the end.
    EXPECT_EQ(pinned.first, TextManager::Oldest());
    EXPECT_EQ(pinned.scrolls, 0);
    EXPECT_EQ(following.first, TextManager::Newest());
    EXPECT_EQ(following.scrolls, 101);
    EXPECT_EQ(pinned.syncs, 101);
    EXPECT_EQ(pinned.redraws, 101);

    // The list is whole in both directions.
    int forward = 0;
    for (const JournalEntry* e = TextManager::Oldest(); e != nullptr; e = e->next) ++forward;
    int backward = 0;
    for (const JournalEntry* e = TextManager::Newest(); e != nullptr; e = e->previous) ++backward;
    EXPECT_EQ(forward, 100);
    EXPECT_EQ(backward, 100);

    TextManager::UnregisterJournalView(&pinned);
    TextManager::UnregisterJournalView(&following);
    TextManager::AddJournalLine("after", 0);
    EXPECT_EQ(following.scrolls, 101);
}

TEST_F(TextManagerTest, TheLogFileHoldsEachLineInTheChosenByteOrder)
{
    const std::u16string wide = u"a\u00e9b\u4e2d";
    struct Case {
        const char* label;
        bool unicode;
        bool wideLine;
        std::vector<unsigned char> bytes;
    };
    const Case cases[] = {
        {"8-bit line, 8-bit log", false, false, {'a', 'b', 'c', 0x0A}},
        {"8-bit line, 16-bit log", true, false, {0x61, 0, 0x62, 0, 0x63, 0, 0x0A, 0, 0x0D, 0}},
        {"16-bit line, 16-bit log", true, true, {0x61, 0, 0xE9, 0, 0x62, 0, 0x2D, 0x4E, 0x0A, 0, 0x0D, 0}},
        {"16-bit line, 8-bit log drops units of 128 and up", false, true, {'a', 'b', 0x0A}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TextManager::shutdown();
        const std::string name = std::string(c.label).substr(0, 14) + ".txt";
        logTo(name, c.unicode);
        if (c.wideLine) TextManager::AddUnicodeJournalLine(wide.c_str(), 0);
        else TextManager::AddJournalLine("abc", 0);
        EXPECT_EQ(bytesOf(dir_.read(name)), c.bytes);
    }
}

TEST_F(TextManagerTest, TheLogAppendsStaysOffWithoutTheSettingAndRetriesAnOpenThatFailed)
{
    const std::string name = "sub/journal.txt";
    dir_.write("sub/journal.txt", std::string("old\n"));
    logTo(name, false);
    SaveJournal = 0;
    TextManager::AddJournalLine("not written", 0);
    EXPECT_EQ(dir_.read(name), "old\n");

    SaveJournal = 1;
    TextManager::AddJournalLine("one", 0);
    TextManager::AddJournalLine("two", 0);
    EXPECT_EQ(dir_.read(name), "old\none\ntwo\n");

    // A folder that does not exist yet: nothing is written, and the next line tries again.
    TextManager::shutdown();
    const std::string later = "later/journal.txt";
    logTo(later, false);
    TextManager::AddJournalLine("lost", 0);
    std::filesystem::create_directories(dir_.path() / "later");
    TextManager::AddJournalLine("kept", 0);
    EXPECT_EQ(dir_.read(later), "kept\n");
    EXPECT_EQ(TextManager::Count(), 2);
}

TEST_F(TextManagerTest, SystemMessagesNeedALoadedFontAndSuppressionStopsRecording)
{
    std::vector<std::string> barks;
    TextManager::SetBarkMaker([&barks](const char* text, int32_t hue, int32_t font) -> CGump* {
        barks.push_back(std::string(text) + "/" + std::to_string(hue) + "/" + std::to_string(font));
        TextManager::AddJournalLine(text, hue);
        return nullptr;
    });
    TextManager::PrefixMode() = 3;

    // No fonts: nothing shown, nothing recorded, the prefix untouched.
    EXPECT_EQ(TextManager::AddSystemMessage(0, 3, "It begins to rain."), nullptr);
    EXPECT_TRUE(barks.empty());
    EXPECT_EQ(TextManager::Count(), 0);
    EXPECT_EQ(TextManager::PrefixMode(), 3);

    std::vector<std::optional<testsupport::AsciiFontSpec>> slots(10);
    slots[3] = testsupport::blockFont(6, 11, 0);
    slots[9] = testsupport::blockFont(5, 13, 0);
    const std::vector<uint8_t> fonts = testsupport::buildFontsMul(slots);
    ASSERT_EQ(FontManager::loadFontsFrom(fonts.data(), fonts.size()), 2);

    TextManager::services().AddSystemMessage(33, 3, "It begins to rain.");
    ASSERT_EQ(barks.size(), 1u);
    EXPECT_EQ(barks[0], "It begins to rain./33/3");
    EXPECT_EQ(TextManager::PrefixMode(), 1);
    ASSERT_EQ(TextManager::Count(), 1);
    EXPECT_EQ(TextManager::Newest()->height, 13); // measured in font 9
    EXPECT_EQ(TextManager::Newest()->huePassed, 33);
    EXPECT_EQ(TextManager::Newest()->wide, 0);

    TextManager::services().SetJournalSuppressed(true);
    TextManager::AddJournalLine("hidden", 0);
    TextManager::AddUnicodeJournalLine(u"hidden", 0);
    EXPECT_EQ(TextManager::Count(), 1);
    TextManager::services().SetJournalSuppressed(false);
    TextManager::AddUnicodeJournalLine(u"seen", 0);
    EXPECT_EQ(TextManager::Count(), 2);
    EXPECT_EQ(TextManager::Newest()->wideText, u"seen");
    EXPECT_EQ(TextManager::Newest()->height, 18);
}

} // namespace
