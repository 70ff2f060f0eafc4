/** @file Shared set-up of the localized-string tests: an install folder, the file manager and clean language state. */
#pragma once

#include "client/core/config_io.h"
#include "client/core/file_manager.h"
#include "client/data/language_manager.h"
#include "client/data/translation_link.h"
#include "tests/core/report_sandbox.h"
#include "tests/support/language_fixtures.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

/**
 * An install folder "hd/" named by the install key, the file manager started on it, the system
 * language set to "enu" through the key store, and the language and link state reset afterwards.
 */
class LanguageTest : public ::testing::Test {
protected:
    LanguageTest()
    {
        hd_ = sandbox_.dir().file("hd") + "/";
        std::filesystem::create_directories(hd_);
        platform_.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", hd_ + "client");
        setSystemLanguage("enu");
        FileManager::startup();
    }

    ~LanguageTest() override
    {
        LanguageManager::shutdown();
        LanguageTranslationServer::resetForTests();
        FileManager::shutdown();
        SetConfigFolder("");
    }

    void setSystemLanguage(const std::string& code) { platform_.keyStore().setString("intl", "sLanguage", code); }
    /** Writes a file relative to the install folder. */
    void write(const std::string& name, const formats::Bytes& bytes) { sandbox_.dir().write("hd/" + name, bytes); }
    void write(const std::string& name, const std::string& text) { sandbox_.dir().write("hd/" + name, text); }
    void writeSection(const std::string& name, const LanguageSectionSpec& spec) { write(name, encodeLanguageSection(spec)); }

    /** enu (101), deu (7) and fra, whose id is '?' and so becomes 0. */
    void writeStandardCodes(const std::string& name = "language/langcode.iff")
    {
        write(name, encodeLanguageCodes({{"ENU", 101, "English", "United States"},
                                         {"DEU", 7, "German", "Germany"},
                                         {"fra", '?', "French", "France"}}));
    }

    static LanguageSectionSpec section(const std::string& code, const std::string& name,
                                       std::vector<std::u16string> strings, int32_t charSize = 1)
    {
        LanguageSectionSpec spec;
        spec.languageCode = code;
        spec.sectionName = name;
        spec.strings = std::move(strings);
        spec.charSize = charSize;
        return spec;
    }

    std::string log() const { return sandbox_.read("KZReport0.log"); }
    bool logHas(const std::string& text) const { return log().find(text) != std::string::npos; }

    ReportSandbox sandbox_;
    platform::ScopedPlatform platform_;
    std::string hd_;
};

inline std::u16string text(const CUnicodeString& s)
{
    return s.GetStringBuffer() ? std::u16string(s.GetStringBuffer(), static_cast<size_t>(s.GetLength())) : u"";
}

inline std::u16string text(const CUnicodeString* s)
{
    return s ? text(*s) : u"<null>";
}

} // namespace testsupport
