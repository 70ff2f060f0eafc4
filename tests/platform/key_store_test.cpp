/** @file Tests of the key stores: the tree's rules on both stores, and the file store's sharing. */
#include "platform/keystore/key_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

#include "platform/fs/path.h"
#include "tests/platform/platform_test_env.h"
#include "tests/support/temp_dir.h"

namespace {

const char* const kInstallKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Worlds Vevovo\\Tavorn Vevovo\\1.0";

std::vector<uint8_t> bytes(std::string_view s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

/** Runs each case on a memory store and on a file store, which must behave alike. */
class KeyStoreRules : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam())
            store_ = std::make_unique<platform::FileKeyStore>(dir_.file("cfg/registry.ini"));
        else
            store_ = std::make_unique<platform::MemoryKeyStore>();
    }
    platform::KeyStore& store() { return *store_; }

    testsupport::TempDir dir_;
    std::unique_ptr<platform::KeyStore> store_;
};

} // namespace

TEST_P(KeyStoreRules, TypedValuesRoundTripWhateverTheirBytes)
{
    const std::string awkward = "line one\nline two\r\n[section]\nname=value \"quoted\" \\back\\ \ttab \x01 end ";
    const std::string withNul("a\0b", 3);
    const std::vector<uint8_t> binary = {0x00, 0x0A, 0x5B, 0x3D, 0xFF, 0x00};
    ASSERT_TRUE(store().setString(kInstallKey, "ExePath", "/home/player/Tavorn Vevovo/"));
    ASSERT_TRUE(store().setString(kInstallKey, "Awkward", awkward));
    ASSERT_TRUE(store().setString(kInstallKey, "WithNul", withNul));
    ASSERT_TRUE(store().setString(kInstallKey, "", "default value"));
    ASSERT_TRUE(store().setString(kInstallKey, "name = with ] and \"", "x"));
    ASSERT_TRUE(store().setBinary(kInstallKey, "HWProfile", binary));
    ASSERT_TRUE(store().setBinary(kInstallKey, "Empty", {}));
    ASSERT_TRUE(store().setUInt32(kInstallKey, "Speed", 0xFFFFFFFFu));

    EXPECT_EQ(store().getString(kInstallKey, "ExePath"), "/home/player/Tavorn Vevovo/");
    EXPECT_EQ(store().getString(kInstallKey, "Awkward"), awkward);
    EXPECT_EQ(store().getString(kInstallKey, "WithNul"), withNul);
    EXPECT_EQ(store().getString(kInstallKey, ""), "default value");
    EXPECT_EQ(store().getString(kInstallKey, "name = with ] and \""), "x");
    EXPECT_EQ(store().getBinary(kInstallKey, "HWProfile"), binary);
    EXPECT_EQ(store().getBinary(kInstallKey, "Empty"), std::vector<uint8_t>{});
    EXPECT_EQ(store().getUInt32(kInstallKey, "Speed"), 0xFFFFFFFFu);
    // A value read as another type is not there.
    EXPECT_EQ(store().getBinary(kInstallKey, "ExePath"), std::nullopt);
    EXPECT_EQ(store().getString(kInstallKey, "HWProfile"), std::nullopt);
    EXPECT_EQ(store().getString(kInstallKey, "Missing"), std::nullopt);
    EXPECT_EQ(store().getString("HKEY_LOCAL_MACHINE\\Nowhere", "ExePath"), std::nullopt);
}

TEST_P(KeyStoreRules, NamesIgnoreCaseAndKeepTheFirstSpelling)
{
    ASSERT_TRUE(store().setString(kInstallKey, "ExePath", "one"));
    ASSERT_TRUE(store().setString("hkey_local_machine\\software\\CORVANE WORLDS VEVOVO\\tavorn vevovo\\1.0\\",
                                  "EXEPATH", "two"));
    EXPECT_EQ(store().getString("\\HKEY_LOCAL_MACHINE\\\\Software\\corvane worlds vevovo\\Tavorn Vevovo\\1.0", "exepath"),
              "two");
    EXPECT_EQ(store().valueNames(kInstallKey), (std::vector<std::string>{"ExePath"}));
    EXPECT_EQ(store().subKeys("HKEY_LOCAL_MACHINE\\software"), (std::vector<std::string>{"Corvane Worlds Vevovo"}));
    // A value may change type under its name.
    ASSERT_TRUE(store().setBinary(kInstallKey, "exePath", bytes("b")));
    EXPECT_EQ(store().getString(kInstallKey, "ExePath"), std::nullopt);
    EXPECT_EQ(store().getBinary(kInstallKey, "ExePath"), bytes("b"));
}

TEST_P(KeyStoreRules, KeysFormATree)
{
    const std::string accounts = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Worlds Vevovo\\Gatehouse\\Accounts";
    EXPECT_FALSE(store().keyExists(accounts));
    ASSERT_TRUE(store().createKey(accounts + "\\zeta"));
    ASSERT_TRUE(store().createKey(accounts + "\\Alpha"));
    ASSERT_TRUE(store().setString(accounts + "\\alpha b", "Password", "p"));
    ASSERT_TRUE(store().setString(accounts + "\\Alpha\\Deep", "Shard", "s"));
    EXPECT_TRUE(store().createKey(accounts + "\\ZETA")); // already there
    EXPECT_TRUE(store().keyExists("HKEY_LOCAL_MACHINE\\SOFTWARE")); // parents are created on the way
    EXPECT_EQ(store().subKeys(accounts), (std::vector<std::string>{"Alpha", "alpha b", "zeta"}));
    EXPECT_EQ(store().subKeys(""), (std::vector<std::string>{"HKEY_LOCAL_MACHINE"}));

    EXPECT_TRUE(store().removeValue(accounts + "\\alpha b", "PASSWORD"));
    EXPECT_FALSE(store().removeValue(accounts + "\\alpha b", "Password"));
    EXPECT_TRUE(store().keyExists(accounts + "\\alpha b")); // a key outlives its values

    EXPECT_TRUE(store().removeKey(accounts + "\\ALPHA"));
    EXPECT_FALSE(store().keyExists(accounts + "\\Alpha\\Deep"));
    EXPECT_TRUE(store().keyExists(accounts + "\\alpha b")); // a sibling that shares the prefix stays
    EXPECT_FALSE(store().removeKey(accounts + "\\Alpha"));
    EXPECT_FALSE(store().removeKey(""));
    EXPECT_FALSE(store().createKey("\\\\"));
    EXPECT_FALSE(store().setString("", "name", "v"));
}

INSTANTIATE_TEST_SUITE_P(MemoryAndFile, KeyStoreRules, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) { return param.param ? "File" : "Memory"; });

TEST(FileKeyStore, TwoStoresOnOneFileSeeEachOthersWrites)
{
    testsupport::TempDir dir;
    platform::FileKeyStore client(dir.file("registry.ini"));
    platform::FileKeyStore launcher(dir.file("registry.ini"));
    EXPECT_EQ(client.getString(kInstallKey, "ExePath"), std::nullopt); // no file yet: an empty store
    ASSERT_TRUE(launcher.setString(kInstallKey, "ExePath", "/opt/tv"));
    EXPECT_EQ(client.getString(kInstallKey, "ExePath"), "/opt/tv");
    ASSERT_TRUE(client.setString(kInstallKey, "InstCDPath", "/media/cd"));
    EXPECT_EQ(launcher.getString(kInstallKey, "InstCDPath"), "/media/cd");
    EXPECT_EQ(launcher.getString(kInstallKey, "ExePath"), "/opt/tv");
}

TEST(FileKeyStore, ANewStoreIsReadableByItsOwnerOnly)
{
    testsupport::TempDir dir;
    platform::FileKeyStore store(dir.file("registry.ini"));
    ASSERT_TRUE(store.setString(kInstallKey, "ExePath", "/opt/tv"));
    const auto perms = std::filesystem::status(dir.file("registry.ini")).permissions();
    EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);
}

TEST(FileKeyStore, ConcurrentWritersLoseNothing)
{
    // Each write re-reads the file under the lock, so writers on separate objects do not
    // overwrite each other's values.
    testsupport::TempDir dir;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&dir, t] {
            platform::FileKeyStore store(dir.file("registry.ini"));
            for (int i = 0; i < 10; ++i)
                store.setUInt32("HKEY_CURRENT_USER\\Test", "v" + std::to_string(t) + "_" + std::to_string(i),
                                static_cast<uint32_t>(i));
        });
    }
    for (auto& thread : threads)
        thread.join();
    platform::FileKeyStore store(dir.file("registry.ini"));
    EXPECT_EQ(store.valueNames("HKEY_CURRENT_USER\\Test").size(), 40u);
}

TEST(FileKeyStore, FileIsReadableTextAndDamagedLinesAreSkipped)
{
    testsupport::TempDir dir;
    platform::FileKeyStore store(dir.file("registry.ini"));
    ASSERT_TRUE(store.setString(kInstallKey, "ExePath", "/opt/tv"));
    ASSERT_TRUE(store.setUInt32(kInstallKey, "MHz", 233));
    const std::string text = dir.read("registry.ini");
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Worlds Vevovo\\Tavorn Vevovo\\1.0]\n"
                        "\"ExePath\"=string:\"/opt/tv\"\n\"MHz\"=uint32:233\n"),
              std::string::npos)
        << text;

    dir.write("registry.ini", text + "garbage line\n\"Bad\"=string:\"unterminated\n\"Hex\"=binary:0g\n"
                                     "\"Big\"=uint32:4294967296\n[unclosed\n\"Orphan\"=string:\"x\"\n"
                                     "[Other]\n\"Good\"=binary:01, 02 ,ff\n");
    EXPECT_EQ(store.getString(kInstallKey, "ExePath"), "/opt/tv");
    EXPECT_EQ(store.valueNames(kInstallKey), (std::vector<std::string>{"ExePath", "MHz"}));
    EXPECT_EQ(store.getBinary("Other", "Good"), (std::vector<uint8_t>{1, 2, 0xFF}));
    EXPECT_EQ(store.getString("unclosed", "Orphan"), std::nullopt);
}

TEST(FileKeyStore, AFailedWriteLeavesTheStoreAsItWas)
{
    testsupport::TempDir dir;
    platform::FileKeyStore store(dir.file("registry.ini"));
    ASSERT_TRUE(store.setString(kInstallKey, "ExePath", "/opt/tv"));
    const std::string before = dir.read("registry.ini");
    {
        platform::ScopedWriteFailureForTests diskFull(10);
        EXPECT_FALSE(store.setString(kInstallKey, "ExePath", "/elsewhere"));
    }
    EXPECT_EQ(dir.read("registry.ini"), before);
    EXPECT_EQ(store.getString(kInstallKey, "ExePath"), "/opt/tv");
}

TEST(KeyTree, NestingIsBoundedAndReadInOnePass)
{
    auto nested = [](size_t depth) {
        std::string path;
        for (size_t i = 0; i < depth; ++i)
            path += i ? "\\k" : "k";
        return path;
    };
    const std::string deepest = nested(platform::KeyTree::kMaxDepth);
    const std::string tooDeep = nested(platform::KeyTree::kMaxDepth + 1);
    // 20,000 levels in one 40 KB section: skipped whole, values included, in one pass.
    const std::string text = "[" + deepest + "]\n\"a\"=uint32:1\n[" + tooDeep + "]\n\"b\"=uint32:2\n[" +
                             nested(20000) + "]\n\"c\"=uint32:3\n";
    platform::KeyTree tree = platform::KeyTree::parse(text);
    ASSERT_NE(tree.findValue(deepest, "a"), nullptr);
    EXPECT_EQ(tree.find(tooDeep), nullptr);
    EXPECT_EQ(tree.keys().size(), platform::KeyTree::kMaxDepth);
    EXPECT_EQ(tree.create(tooDeep), nullptr);
    EXPECT_FALSE(tree.setValue(tooDeep, "b", platform::KeyTree::Type::UInt32, {2, 0, 0, 0}));
    EXPECT_EQ(platform::KeyTree::parse(tree.serialize()).serialize(), tree.serialize());
}

TEST(KeyTree, EachKeyIsFoundByAnySpellingOfItsPathAndNoOther)
{
    // Names around the separator's byte, prefixes of one another, and bytes above 0x7F, which
    // must order alike in the tree and in a lookup.
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"a", "\\A\\"},
        {"a\\b", "A\\\\B"},
        {"a b", "A B"},
        {"a[", "A["},
        {"a]", "a]\\"},
        {"a\\bc\\Deep", "a\\BC\\\\deep\\\\"},
        {"a\\b\\c", "\\\\a\\B\\C"},
        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9T\xC3\xA9"},
        {"\xFFz", "\xFFZ"},
        {"Zed", "zED"},
        {"@\xC1\xDA", "@\xC1\xDA"}, // neither '@' nor capitals with the top bit set fold
    };
    platform::KeyTree tree;
    for (const auto& [path, spelling] : keys)
        ASSERT_NE(tree.create(path), nullptr) << path;
    for (const auto& [path, spelling] : keys) {
        const platform::KeyTree::Key* key = tree.find(spelling);
        ASSERT_NE(key, nullptr) << spelling;
        EXPECT_EQ(key->path, path);
        EXPECT_EQ(tree.create(spelling), key);
    }
    EXPECT_EQ(tree.keys().size(), keys.size() + 1); // and "a\\bc"
    for (const std::string missing : {"", "\\\\", "b", "ab", "a\\c", "a\\ b", "a\\b\\c\\d", "a\\bcd",
                                      "a\\b c", "\xC3\x89t\xC3\xA9", "\xFF", "Ze", "Zedd", "a[\\x",
                                      "a{", "a}", "`\xC1\xDA", "@\xE1\xFA"})
        EXPECT_EQ(tree.find(missing), nullptr) << missing;
    // Value names longer than a few bytes, differing only at their end.
    ASSERT_TRUE(tree.setValue("a", "HardwareProfile1", platform::KeyTree::Type::UInt32, {1, 0, 0, 0}));
    ASSERT_TRUE(tree.setValue("A", "hardwareprofile2", platform::KeyTree::Type::UInt32, {2, 0, 0, 0}));
    const platform::KeyTree::Value* second = tree.findValue("a", "HARDWAREPROFILE2");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->name, "hardwareprofile2");
    EXPECT_EQ(tree.findValue("a", "HardwareProfile3"), nullptr);
}

TEST(KeyStorePath, FollowsTheConfigurationVariables)
{
    using platformtest::ScopedEnv;
    ScopedEnv home("HOME", "/home/p");
    {
        ScopedEnv kz("KZ_CONFIG_HOME", "/cfg/kz");
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
        EXPECT_EQ(platform::defaultKeyStorePath(), "/cfg/kz/registry.ini");
    }
    {
        ScopedEnv kz("KZ_CONFIG_HOME", std::nullopt);
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg/");
        EXPECT_EQ(platform::defaultKeyStorePath(), "/xdg/kz/registry.ini");
    }
    {
        ScopedEnv kz("KZ_CONFIG_HOME", "");
        ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(platform::defaultKeyStorePath(), "/home/p/.config/kz/registry.ini");
    }
}
