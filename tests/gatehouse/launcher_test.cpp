/** @file The launcher driven as a user would: accounts in the key store, the files it writes, the client it starts. */
#include "gatehouse/gatehouse_ps.h"
#include "gatehouse/password_codec.h"

// The client's own reading of kz.cfg: the launcher must write what the client decodes.
#include "client/core/config_files.h"
#include "client/core/player_files.h"

#include "platform/forms/null_forms.h"
#include "platform/platform.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace gatehouse;
using platform::forms::ListBox;
using platform::forms::MessageIcon;
using platform::forms::MessageResult;
using platform::forms::NullWindow;

const std::string kAccount = std::string(kAccountsKey) + "\\";

/** The lines of a file with their CR LF ends, as the client's reader takes them one by one. */
std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const size_t next = end == std::string::npos ? text.size() : end + 1;
        out.push_back(text.substr(start, next - start));
        start = next;
    }
    return out;
}

class Launcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        clientDir_ = dir_.path().string() + "/";
        keys().setString(kClientInstallKey, "ExePath", clientDir_ + "client");
    }

    /** Opens the sheet as the program does at start. */
    NullWindow& open()
    {
        sheet_.reset();
        sheet_ = std::make_unique<CGatehousePS>(services_);
        sheet_->run();
        return forms_.window("gatehouse");
    }

    NullWindow& w() { return forms_.window("gatehouse"); }
    platform::MemoryKeyStore& keys() { return platform_.keyStore(); }

    void storeAccount(const std::string& name, const std::string& password)
    {
        const std::string key = kAccount + name;
        keys().setString(key, "Account", "acct-" + name);
        keys().setString(key, "IPAddress", "10.1.2.3");
        keys().setString(key, "Password", ScramblePassword(password));
        keys().setString(key, "Port", "2593");
        keys().setString(key, "Client", "");
    }

    /** New, fill the fields, Done. */
    void createAccount(const std::string& name, const std::string& ip, const std::string& port,
                       const std::string& account, const std::string& password)
    {
        ASSERT_TRUE(w().button("New").click());
        w().entry("Name").type(name);
        ASSERT_TRUE(w().entry("IP").type(ip));
        ASSERT_TRUE(w().entry("Port").type(port));
        ASSERT_TRUE(w().entry("Account").type(account));
        ASSERT_TRUE(w().entry("Password").type(password));
        ASSERT_TRUE(w().button("Done").click());
    }

    testsupport::TempDir dir_;
    std::string clientDir_;
    platform::ScopedPlatform platform_;
    platform::forms::NullFormKit forms_;
    /** Real renames, or none at all while failing is set (a file held open elsewhere). */
    class BlockableFileOps final : public FileOps {
    public:
        bool failing = false;
        bool rename(const std::string& from, const std::string& to, std::string& error) override
        {
            if (failing) {
                error = "Device or resource busy";
                return false;
            }
            return real_.rename(from, to, error);
        }

    private:
        RealFileOps real_;
    };
    BlockableFileOps files_;
    GatehouseServices services_{forms_, platform_.keyStore(), platform_.processes(), platform_.clock(), files_};
    std::unique_ptr<CGatehousePS> sheet_;
};

TEST_F(Launcher, CreateAndLaunchWritesBothFilesAndStartsTheClientInItsFolder)
{
    dir_.write("kz.cfg", "Sound=on\r\nAcctID=old\r\nPassword=a;b\r\n");
    NullWindow& win = open();
    EXPECT_EQ(win.label("Default Client").text(), clientDir_ + "client");
    EXPECT_FALSE(win.button("Launch").enabled());

    createAccount("Home", "127.0.0.1", "2593", "player", "pa$s.word");

    const std::string key = kAccount + "Home";
    EXPECT_EQ(keys().getString(key, "Account"), "player");
    EXPECT_EQ(keys().getString(key, "IPAddress"), "127.0.0.1");
    EXPECT_EQ(keys().getString(key, "Port"), "2593");
    EXPECT_EQ(keys().getString(key, "Password"), ScramblePassword("pa$s.word"));
    EXPECT_EQ(keys().getString(key, "Client"), "");

    // The new account is selected and shown, so Launch acts on it.
    auto& list = win.listBox("accounts");
    ASSERT_EQ(list.selected(), 0);
    EXPECT_EQ(list.textAt(0), "Home");
    EXPECT_FALSE(win.entry("Name").enabled());
    EXPECT_EQ(win.entry("Password").text(), "pa$s.word");
    EXPECT_TRUE(win.entry("Password").password());

    ASSERT_TRUE(win.button("Launch").click());
    EXPECT_TRUE(forms_.messages().empty());
    EXPECT_EQ(dir_.read("login.cfg"), "; login.cfg file for the Home server\r\nLoginServer=127.0.0.1,2593\r\n");
    EXPECT_EQ(dir_.read("kz.cfg"), "; KZ.CFG for the Home server\r\n"
                                   "Sound=on\r\n"
                                   "Password=a;b\r\n"
                                   "SavePassword=on\r\n"
                                   "AcctID=player\r\n"
                                   "AcctPassword=}n1!;%|\x7f" "q\r\n"
                                   "RememberAcctPW=on\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir_.file("kz.caliper")));
    const auto spawns = platform_.processes().spawns();
    ASSERT_EQ(spawns.size(), 1u);
    EXPECT_EQ(spawns[0].argv, std::vector<std::string>{clientDir_ + "client"});
    EXPECT_EQ(spawns[0].workingDirectory, clientDir_);
    // The client leads a process group of its own, apart from the launcher's.
    EXPECT_TRUE(spawns[0].options.newProcessGroup);
}

TEST_F(Launcher, ThePasswordTypedIsThePasswordTheClientReads)
{
    std::string printable; // longer than the scramble key, and every character the client can store
    for (int c = 32; c < 127; ++c)
        printable += static_cast<char>(c);
    const std::string passwords[] = {"pa$s.word", "0=leading equals", "r~_@-", printable};
    NullWindow& win = open();
    int n = 0;
    for (const std::string& password : passwords) {
        SCOPED_TRACE(password);
        dir_.write("kz.cfg", "Sound=on\r\n");
        const std::string name = "Account " + std::to_string(n++);
        createAccount(name, "127.0.0.1", "2593", "player", password);
        ASSERT_EQ(win.listBox("accounts").textAt(win.listBox("accounts").selected()), name);

        // Stored scrambled, shown back as typed after selecting another account and this one again.
        EXPECT_EQ(keys().getString(kAccount + name, "Password"), ScramblePassword(password));
        const int selected = win.listBox("accounts").selected();
        ASSERT_TRUE(win.listBox("accounts").choose(ListBox::kNone));
        ASSERT_TRUE(win.listBox("accounts").choose(selected));
        EXPECT_EQ(win.entry("Password").text(), password);

        ASSERT_TRUE(win.button("Launch").click());
        std::string decoded;
        bool found = false;
        for (const std::string& line : lines(dir_.read("kz.cfg"))) {
            std::string key, value;
            if (SplitConfigLine(line, key, value) && FindConfigDirective(key) == CFG_AcctPassword) {
                ASSERT_FALSE(found) << "two AcctPassword lines";
                found = true;
                DecodeStoredPassword(value.data());
                decoded = value;
            }
        }
        ASSERT_TRUE(found);
        EXPECT_EQ(decoded, password);
    }
}

TEST_F(Launcher, AccountsAreListedSortedAndShownWithTheirClient)
{
    storeAccount("beta", "b");
    storeAccount("Alpha", "secret");
    storeAccount("gamma", "g");
    keys().setString(kAccount + "gamma", "Client", "/opt/other/client");
    NullWindow& win = open();
    auto& list = win.listBox("accounts");
    EXPECT_EQ(list.rows(), (std::vector<std::string>{"Alpha", "beta", "gamma"}));

    ASSERT_TRUE(list.choose(0));
    EXPECT_EQ(win.entry("Name").text(), "Alpha");
    EXPECT_EQ(win.entry("Password").text(), "secret");
    EXPECT_EQ(win.entry("Account").text(), "acct-Alpha");
    EXPECT_TRUE(win.button("Launch").enabled());

    dir_.write("kz.cfg", "");
    ASSERT_TRUE(list.choose(2));
    ASSERT_TRUE(win.button("Launch").click());
    const auto spawns = platform_.processes().spawns();
    ASSERT_EQ(spawns.size(), 1u);
    EXPECT_EQ(spawns[0].argv, std::vector<std::string>{"/opt/other/client"});
}

TEST_F(Launcher, NamesAreRefusedWhenEmptyOrTakenIgnoringCase)
{
    storeAccount("Home", "x");
    NullWindow& win = open();
    struct Row {
        const char* name;
        const char* message;
    };
    const Row rows[] = {
        {"", "Please enter a name for this account (without \"\\\")."},
        {"a\\b", "Please enter a name for this account (without \"\\\")."},
        {"HOME", "An account with this name already exists.  Please choose another name."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        forms_.clearMessages();
        createAccount(row.name, "1.2.3.4", "1", "a", "p");
        ASSERT_EQ(forms_.messages().size(), 1u);
        EXPECT_EQ(forms_.messages()[0].text, row.message);
        EXPECT_EQ(forms_.messages()[0].icon, MessageIcon::Exclamation);
        // The fields stay open for another try; nothing was stored.
        EXPECT_TRUE(win.entry("Name").enabled());
        EXPECT_EQ(keys().subKeys(kAccountsKey), std::vector<std::string>{"Home"});
        ASSERT_TRUE(win.button("Cancel").click());
    }

    // Editing an existing account under its own name is no duplicate.
    forms_.clearMessages();
    ASSERT_TRUE(win.listBox("accounts").choose(0));
    ASSERT_TRUE(win.button("Edit").click());
    EXPECT_FALSE(win.entry("Name").enabled());
    EXPECT_FALSE(win.listBox("accounts").enabled());
    ASSERT_TRUE(win.entry("Password").type("changed"));
    ASSERT_TRUE(win.button("Done").click());
    EXPECT_TRUE(forms_.messages().empty());
    EXPECT_EQ(keys().getString(kAccount + "Home", "Password"), ScramblePassword("changed"));
    EXPECT_EQ(win.listBox("accounts").count(), 1);
    EXPECT_TRUE(win.button("Launch").enabled());
}

TEST_F(Launcher, NewThenCancelLeavesNothingToLaunch)
{
    storeAccount("Home", "x");
    NullWindow& win = open();
    ASSERT_TRUE(win.listBox("accounts").choose(0));
    ASSERT_TRUE(win.button("New").click());
    EXPECT_EQ(win.entry("Name").text(), "");
    ASSERT_TRUE(win.button("Cancel").click());
    for (const char* name : {"Launch", "Edit", "Delete"})
        EXPECT_FALSE(win.button(name).enabled()) << name;
    EXPECT_TRUE(win.button("New").enabled());
    EXPECT_FALSE(win.button("Launch").click());
    EXPECT_FALSE(std::filesystem::exists(dir_.file("login.cfg")));
}

TEST_F(Launcher, DeleteAsksFirst)
{
    storeAccount("Home", "x");
    NullWindow& win = open();
    ASSERT_TRUE(win.listBox("accounts").choose(0));

    forms_.answerMessage(MessageResult::Cancel);
    ASSERT_TRUE(win.button("Delete").click());
    ASSERT_EQ(forms_.messages().size(), 1u);
    EXPECT_EQ(forms_.messages()[0].text, "Are you sure you wish to delete the account \"Home\"?");
    EXPECT_EQ(forms_.messages()[0].icon, MessageIcon::Question);
    EXPECT_TRUE(keys().keyExists(kAccount + "Home"));

    forms_.answerMessage(MessageResult::Ok);
    ASSERT_TRUE(win.button("Delete").click());
    EXPECT_FALSE(keys().keyExists(kAccount + "Home"));
    EXPECT_EQ(win.listBox("accounts").count(), 0);
    EXPECT_FALSE(win.button("Delete").enabled());
    EXPECT_EQ(win.entry("Name").text(), "");
}

TEST_F(Launcher, FileErrorsStopBeforeTheClientStarts)
{
    struct Row {
        const char* label;
        void (*prepare)(const testsupport::TempDir&);
        const char* message;
    };
    const Row rows[] = {
        {"login.cfg", [](const testsupport::TempDir& d) { std::filesystem::create_directory(d.file("login.cfg")); },
         "Could not open login.cfg file for writing."},
        {"kz.cfg", [](const testsupport::TempDir&) {}, "Could not open kz.cfg file from reading."},
        {"temporary",
         [](const testsupport::TempDir& d) {
             d.write("kz.cfg", "Sound=on\r\n");
             std::filesystem::create_directory(d.file("kz.caliper"));
         },
         "Could not open temporary file for writing."},
        // Files that open but cannot be written whole (a full disk) fail the same way.
        {"login.cfg full",
         [](const testsupport::TempDir& d) { std::filesystem::create_symlink("/dev/full", d.file("login.cfg")); },
         "Could not open login.cfg file for writing."},
        {"temporary full",
         [](const testsupport::TempDir& d) {
             d.write("kz.cfg", "Sound=on\r\n");
             std::filesystem::create_symlink("/dev/full", d.file("kz.caliper"));
         },
         "Could not open temporary file for writing."},
    };
    storeAccount("Home", "x");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        testsupport::TempDir client;
        row.prepare(client);
        keys().setString(kClientInstallKey, "ExePath", client.path().string() + "/client");
        forms_.clearMessages();
        NullWindow& win = open();
        ASSERT_TRUE(win.listBox("accounts").choose(0));
        ASSERT_TRUE(win.button("Launch").click());
        ASSERT_EQ(forms_.messages().size(), 1u);
        EXPECT_EQ(forms_.messages()[0].text, row.message);
        EXPECT_EQ(forms_.messages()[0].icon, MessageIcon::Exclamation);
        EXPECT_TRUE(platform_.processes().spawns().empty());
        if (std::string(row.label).starts_with("temporary")) {
            EXPECT_EQ(client.read("kz.cfg"), "Sound=on\r\n");
            EXPECT_FALSE(std::filesystem::is_regular_file(client.file("kz.caliper")));
        }
    }
}

TEST_F(Launcher, ABlockedReplaceLeavesKzCfgWholeAndStillStartsTheClient)
{
    storeAccount("Home", "x");
    dir_.write("kz.cfg", "Sound=on\r\n");
    NullWindow& win = open();
    ASSERT_TRUE(win.listBox("accounts").choose(0));
    files_.failing = true;
    forms_.answerMessage(MessageResult::No); // no renaming of the old file either
    ASSERT_TRUE(win.button("Launch").click());

    EXPECT_EQ(dir_.read("kz.cfg"), "Sound=on\r\n");
    EXPECT_EQ(dir_.read("login.cfg"), "; login.cfg file for the Home server\r\nLoginServer=10.1.2.3,2593\r\n");
    ASSERT_EQ(forms_.messages().size(), 1u);
    EXPECT_EQ(forms_.messages()[0].icon, MessageIcon::Question);
    EXPECT_EQ(platform_.clock().tickCount(), 2000u); // four pauses of 500 ms between five tries
    ASSERT_EQ(platform_.processes().spawns().size(), 1u);
}

TEST_F(Launcher, AKzCfgThatIsALinkStaysOneAndTheFileItLeadsToGetsTheAccount)
{
    // Linked from another folder by its full path, and into a folder beside it by a relative one.
    testsupport::TempDir shared;
    shared.write("kz.cfg", "Sound=on\r\n");
    dir_.write("real/kz.cfg", "Sound=on\r\n");
    const struct {
        const char* label;
        std::filesystem::path linkTo;
        std::filesystem::path file;
    } rows[] = {
        {"full path", shared.file("kz.cfg"), shared.file("kz.cfg")},
        {"relative", "real/kz.cfg", dir_.file("real/kz.cfg")},
    };
    storeAccount("Home", "x");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        std::filesystem::remove(dir_.file("kz.cfg"));
        std::filesystem::create_symlink(row.linkTo, dir_.file("kz.cfg"));
        NullWindow& win = open();
        ASSERT_TRUE(win.listBox("accounts").choose(0));
        ASSERT_TRUE(win.button("Launch").click());
        EXPECT_TRUE(forms_.messages().empty());
        EXPECT_TRUE(std::filesystem::is_symlink(dir_.file("kz.cfg")));
        EXPECT_EQ(std::filesystem::read_symlink(dir_.file("kz.cfg")), row.linkTo);
        const auto text = lines(dir_.read("kz.cfg"));
        EXPECT_NE(std::find(text.begin(), text.end(), "AcctID=acct-Home\r\n"), text.end());
        EXPECT_FALSE(std::filesystem::exists(row.file.parent_path() / "kz.caliper"));
        EXPECT_FALSE(std::filesystem::exists(dir_.file("kz.caliper")));
    }
}

TEST_F(Launcher, WithoutTheInstallKeyFilesAndClientAreInTheCurrentFolder)
{
    keys().removeKey(kClientInstallKey);
    storeAccount("Home", "x");
    dir_.write("kz.cfg", "");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    NullWindow& win = open();
    EXPECT_EQ(win.label("Default Client").text(), "client");
    ASSERT_TRUE(win.listBox("accounts").choose(0));
    ASSERT_TRUE(win.button("Launch").click());
    std::filesystem::current_path(previous);

    EXPECT_TRUE(std::filesystem::exists(dir_.file("login.cfg")));
    const auto spawns = platform_.processes().spawns();
    ASSERT_EQ(spawns.size(), 1u);
    EXPECT_EQ(spawns[0].argv, std::vector<std::string>{"./client"});
    EXPECT_EQ(spawns[0].workingDirectory, "");
}

TEST_F(Launcher, BrowseFillsTheClientFieldAndCloseEndsTheSheet)
{
    NullWindow& win = open();
    ASSERT_TRUE(win.button("New").click());
    forms_.answerFile("/opt/kz/client");
    ASSERT_TRUE(win.button("Browse").click());
    EXPECT_EQ(win.entry("Client").text(), "/opt/kz/client");
    ASSERT_EQ(forms_.fileDialogs().size(), 1u);
    EXPECT_TRUE(forms_.fileDialogs()[0].filters.at(0).patterns.empty()); // executables

    win.requestClose();
    EXPECT_TRUE(win.closed());
}

} // namespace
