/** @file Writes the sample install's language list and string sections through the shared language writers. */
#include "tools/sample_install/write_language.h"

#include "tools/formats/language_formats.h"
#include "tools/sample_install/write_login_art.h"

#include <system_error>

namespace sampleinstall {

namespace {

std::u16string widen(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

formats::LanguageSectionSpec placeholderSection(const std::string& name, int count)
{
    formats::LanguageSectionSpec spec;
    spec.languageCode = "enu";
    spec.sectionName = name;
    for (int i = 0; i < count; ++i)
        spec.strings.push_back(widen(name + " text " + std::to_string(i)));
    return spec;
}

/** The texts of the login screens: tooltips, profession and city descriptions, and prof.txt. */
bool writeLoginTexts(const Layout& layout, const std::filesystem::path& folder, std::string& error)
{
    formats::LanguageSectionSpec tooltips = placeholderSection("tooltips", 0);
    for (int i = 0; i <= 60; ++i)
        tooltips.strings.push_back(widen("Login screen help " + std::to_string(100000 + i)));
    tooltips.strings[0] = u"Our home page";
    tooltips.strings[11] = u"Quit";
    tooltips.strings[8] = u"Log in";
    if (!writeWholeFile(folder / "tooltips.enu", formats::encodeLanguageSection(tooltips), error))
        return false;

    // Entry 0 describes the free choice; profession n is entry Desc + 1 (label and description).
    formats::LanguageSectionSpec professions = placeholderSection("professn", 0);
    professions.strings = {
        u"Advanced: choose your own three skills and spread your own stats.",
        u"",
        u"Fighter: those who live by the blade and the bow.",
        u"Warrior: a sword arm, battle tactics and the healer's bandage.",
        u"Archer: a keen eye, a bow of one's own making and the tracker's craft.",
        u"Mage: spells, the calm of meditation and scrolls to write them on.",
        u"Smith: metal from the mine made into arms and armour.",
    };
    if (!writeWholeFile(folder / "professn.enu", formats::encodeLanguageSection(professions), error))
        return false;

    formats::LanguageSectionSpec cities = placeholderSection("citytext", 0);
    const char* const names[9] = {"Viz", "Kovaru", "Dizivud", "Roverozi", "Tezulor",
                                  "Mavizeda", "Zoruvad", "Vavuz Odor", "Vedozi"};
    for (const char* name : names) {
        cities.strings.push_back(widen(std::string(name) + " lies where the roads meet."));
        cities.strings.push_back(widen("Its market opens at dawn and the inn keeps a room for new arrivals."));
        cities.strings.push_back(u".END");
    }
    if (!writeWholeFile(folder / "citytext.enu", formats::encodeLanguageSection(cities), error))
        return false;
    return writeWholeFile(layout.install / "prof.txt", std::string_view(sampleProfessionFile()), error);
}

} // namespace

bool writeLanguage(const Layout& layout, std::string& error)
{
    const std::filesystem::path folder = layout.install / "language";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder.string() + ": " + ec.message();
        return false;
    }

    const formats::Bytes codes = formats::encodeLanguageCodes({
        {"enu", 101, "English", "United States"},
        {"deu", 7, "German", "Germany"},
        {"fra", 12, "French", "France"},
        {"esp", 10, "Spanish", "Spain"},
        {"jpn", 17, "Japanese", "Japan"},
    });
    if (!writeWholeFile(folder / "langcode.iff", codes, error))
        return false;

    formats::LanguageSectionSpec intro = placeholderSection("intro", 2);
    intro.frames = {{30, 120}, {150, 240}};
    if (!writeWholeFile(folder / "intro.enu", formats::encodeLanguageSection(intro), error))
        return false;

    for (const char* name : {"gt_0000", "gt_1010", "gt_2000", "gt_2310", "gt_2400", "gt_5000", "gt_5400", "skilname",
                             "chat"}) {
        if (!writeWholeFile(folder / (std::string(name) + ".enu"), formats::encodeLanguageSection(placeholderSection(name, 8)),
                       error))
            return false;
    }

    // Entry 0 of the options section is the restart notice; the window reads nothing further here.
    formats::LanguageSectionSpec options = placeholderSection("options", 0);
    options.strings = {u"Some settings take effect when the client starts again."};
    if (!writeWholeFile(folder / "options.enu", formats::encodeLanguageSection(options), error))
        return false;

    if (!writeLoginTexts(layout, folder, error))
        return false;

    formats::LanguageSectionSpec cliloc = placeholderSection("cliloc-1", 4);
    cliloc.strings[1] = u"~1_NAME~ greets you.";
    return writeWholeFile(folder / "cliloc-1.enu", formats::encodeLanguageSection(cliloc), error);
}

} // namespace sampleinstall
