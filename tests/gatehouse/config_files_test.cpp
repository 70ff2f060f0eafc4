/** @file The files the launcher writes, and the replacement of kz.cfg when renames fail. */
#include "gatehouse/config_files.h"

#include "platform/clock/clock.h"
#include "platform/forms/null_forms.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace gatehouse;
using platform::forms::MessageIcon;
using platform::forms::MessageResult;

TEST(ConfigFiles, LoginConfigIsTwoLines)
{
    EXPECT_EQ(LoginConfigText("Home", "127.0.0.1", "2593"),
              "; login.cfg file for the Home server\r\nLoginServer=127.0.0.1,2593\r\n");
}

TEST(ConfigFiles, RewriteKeepsEverythingButCommentsAndTheAccountLines)
{
    const std::string old = "; old header\r\n"
                            "Sound=on\r\n"
                            "  ;indented comment\n"
                            "Password=ab;c\r\n" // an encoded "." is a ";" inside a value
                            "FilterPassword=x;y\n"
                            "AcctID=olduser\r\n"
                            "AcctPassword=zzz\r\n"
                            "SavePassword=off\r\n"
                            "RememberAcctPW=off\r\n"
                            "acctid=lowercase is not ours\r\n"
                            "\r\n"
                            "Music=off"; // last line without an end
    EXPECT_EQ(RewriteKzConfig(old, "Home", "player", "}r|"),
              "; KZ.CFG for the Home server\r\n"
              "Sound=on\r\n"
              "Password=ab;c\r\n"
              "FilterPassword=x;y\r\n"
              "acctid=lowercase is not ours\r\n"
              "\r\n"
              "Music=off\r\n"
              "SavePassword=on\r\n"
              "AcctID=player\r\n"
              "AcctPassword=}r|\r\n"
              "RememberAcctPW=on\r\n");
    EXPECT_EQ(RewriteKzConfig("", "S", "a", "p"),
              "; KZ.CFG for the S server\r\nSavePassword=on\r\nAcctID=a\r\nAcctPassword=p\r\nRememberAcctPW=on\r\n");
}

/** Real renames, except that the first `failures` of them fail. */
class FlakyFileOps final : public FileOps {
public:
    int failures = 0;
    bool rename(const std::string& from, const std::string& to, std::string& error) override
    {
        if (failures > 0) {
            --failures;
            error = "Device or resource busy";
            return false;
        }
        return real_.rename(from, to, error);
    }

private:
    RealFileOps real_;
};

struct ReplaceCase {
    const char* label;
    int failures;               // renames that fail before the rest succeed
    MessageResult answer;       // to the question after five failed tries
    std::string expectedTarget; // content of kz.cfg afterwards
    bool temporaryLeft;
    std::vector<std::string> messages; // beginnings of the texts shown
    bool backupLeft;
};

TEST(ConfigFiles, ReplaceConfigFileNeverLosesTheTarget)
{
    const std::string question = "An exception occured while moving files.\n\nDevice or resource busy\n\n"
                                 "This typically is caused by the Talquin server having the file locked open.\n"
                                 "Caliper tries to pause the Talquin server before doing this, but failed.\n"
                                 "Make sure Caliper is able to connect to the Talquin server with the Remote Console\n"
                                 "or pause the Talquin server manually before attempting a save.\n"
                                 "\n\nCaliper can attempt to rename the existing file, and move in the new file.\n"
                                 "Would you like to try this?";
    const ReplaceCase cases[] = {
        {"first try", 0, MessageResult::Yes, "new", false, {}, false},
        {"fifth try", 4, MessageResult::Yes, "new", false, {}, false},
        {"declined", 5, MessageResult::No, "old", true, {question}, false},
        {"backup route", 5, MessageResult::Yes, "new", false, {question, "Rename was successful.  Tne backup"}, true},
        {"backup fails", 6, MessageResult::Yes, "old", true, {question, "Rename failed."}, false},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.label);
        testsupport::TempDir dir;
        const std::string target = dir.write("kz.cfg", "old");
        const std::string temporary = dir.write("kz.caliper", "new");
        FlakyFileOps files;
        files.failures = c.failures;
        platform::ManualClock clock;
        clock.setWallTime(1700000000);
        platform::forms::NullFormKit forms;
        forms.answerMessage(c.answer);
        ReplaceContext context{files, clock, forms, nullptr};
        ReplaceConfigFile(temporary, target, context);

        EXPECT_EQ(dir.read("kz.cfg"), c.expectedTarget);
        EXPECT_EQ(std::filesystem::exists(temporary), c.temporaryLeft);
        ASSERT_EQ(forms.messages().size(), c.messages.size());
        for (size_t i = 0; i < c.messages.size(); ++i)
            EXPECT_EQ(forms.messages()[i].text.substr(0, c.messages[i].size()), c.messages[i]);
        const std::string backup = target + "." + BackupStamp(clock.wallTime());
        EXPECT_EQ(std::filesystem::exists(backup), c.backupLeft);
        if (c.backupLeft) {
            EXPECT_EQ(dir.read(std::filesystem::path(backup).filename().string()), "old");
            EXPECT_NE(forms.messages().back().text.find(backup), std::string::npos);
        }
        // Four pauses of 500 ms between five tries, none after a success.
        EXPECT_EQ(clock.tickCount(), static_cast<uint32_t>(std::min(c.failures, 4)) * 500u);
    }
}

/** Renames fail five times, then the old file goes to the backup, then moving the new one in fails. */
class MoveInFails final : public FileOps {
public:
    int call = 0;
    bool rename(const std::string& from, const std::string& to, std::string& error) override
    {
        ++call;
        if (call <= 5 || call == 7) {
            error = "busy";
            return false;
        }
        return real_.rename(from, to, error);
    }

private:
    RealFileOps real_;
};

TEST(ConfigFiles, AFailedMoveInPutsTheOldFileBack)
{
    testsupport::TempDir dir;
    const std::string target = dir.write("kz.cfg", "old");
    const std::string temporary = dir.write("kz.caliper", "new");
    MoveInFails files;
    platform::ManualClock clock;
    platform::forms::NullFormKit forms;
    ReplaceContext context{files, clock, forms, nullptr};
    EXPECT_FALSE(ReplaceConfigFile(temporary, target, context));
    EXPECT_EQ(dir.read("kz.cfg"), "old");
    ASSERT_EQ(forms.messages().size(), 2u);
    EXPECT_EQ(forms.messages()[1].text, "Rename failed.");
    EXPECT_EQ(forms.messages()[1].icon, MessageIcon::Stop);
}

} // namespace
