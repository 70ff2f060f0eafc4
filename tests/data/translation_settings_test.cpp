/** @file The translation server directives of kz.cfg reach the link that language start-up installs. */
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/data/translation_settings.h"
#include "tests/data/language_test_fixture.h"

#include "platform/net/tcp_socket.h"

namespace {

using Link = LanguageTranslationServer;

class TranslationSettingsTest : public testsupport::LanguageTest {
protected:
    TranslationSettingsTest()
    {
        ResetConfigStore();
        ResetConfigRunState(true);
        writeStandardCodes();
        Link::setSocketFactory([this] {
            auto socket = std::make_unique<platform::FakeTcpSocket>();
            sockets_.push_back(socket.get());
            return socket;
        });
        kzdata::BindTranslationServerSettings();
    }
    ~TranslationSettingsTest() override
    {
        kzdata::UnbindTranslationServerSettings();
        Link::setSocketFactory(nullptr);
        ResetConfigStore();
        ResetConfigRunState();
    }

    std::vector<platform::FakeTcpSocket*> sockets_; // owned by the link
};

TEST_F(TranslationSettingsTest, DirectivesOfTheConfigurationSetUpTheLinkThatLanguagesInstall)
{
    struct Case {
        const char* name;
        const char* config;
        bool enabled;
        const char* helperPort; // "-p=..." of the started helper; null when none starts
        const char* translator;
        const char* marker;
    };
    const Case cases[] = {
        {"enabled on a configured port with its settings",
         "TranslationServer=1\r\nTranslationServerIPAddress=127.0.0.1,2900\r\n"
         "TranslationServerTranslatorName=Orin\r\nTranslationServerLexaraNFWMarker=0123456789abcdefXYZ\r\n"
         "TranslationServerLexaraTopicalGlossaries=yes\r\nTranslationServerLexaraDocumentType=t\r\n",
         true, "-p=2900", "Orin", "0123456789abcde"},
        {"enabled with defaults", "TranslationServer=true\r\n", true, "-p=28888", "Lexara", ""},
        {"switched off: nothing starts", "TranslationServer=off\r\nTranslationServerIPAddress=127.0.0.1,2900\r\n",
         false, nullptr, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Link::resetForTests();
        ResetConfigStore();
        sockets_.clear();
        platform::FakeProcessLauncher launcher;
        platform::ProcessLauncher* previous = platform_.platform().processes;
        platform_.platform().processes = &launcher;
        write("kz.cfg", std::string(c.config));

        ASSERT_TRUE(ReadConfig("kz.cfg", true));
        LanguageManager::startup();

        EXPECT_TRUE(Link::isInstalled());
        EXPECT_EQ(Link::isEnabled(), c.enabled);
        EXPECT_STREQ(Link::translatorName(), c.translator);
        EXPECT_STREQ(Link::nfwMarker(), c.marker);
        if (c.helperPort) {
            ASSERT_EQ(launcher.spawns().size(), 1u);
            EXPECT_EQ(launcher.spawns()[0].argv.at(1), c.helperPort);
            ASSERT_EQ(sockets_.size(), 1u);
            EXPECT_EQ(sockets_[0]->lastAddress(), Link::kLocalHost);
            EXPECT_EQ(std::string("-p=") + std::to_string(sockets_[0]->lastPort()), c.helperPort);
        } else {
            EXPECT_TRUE(launcher.spawns().empty());
            EXPECT_TRUE(sockets_.empty());
        }

        LanguageManager::shutdown();
        platform_.platform().processes = previous;
    }
}

} // namespace
