/** @file Writes the sample install's kz.cfg and login.cfg. */
#include "tools/sample_install/write_config_files.h"

#include <utility>

namespace sampleinstall {

namespace {

using Directive = std::pair<const char*, std::string>;

bool writeDirectives(const std::filesystem::path& path, std::initializer_list<Directive> lines, std::string& error)
{
    std::string text;
    for (const Directive& line : lines)
        text += std::string(line.first) + "=" + line.second + "\r\n";
    return writeWholeFile(path, text, error);
}

} // namespace

bool writeConfigFiles(const Layout& layout, std::string& error)
{
    // A full install on the hard disk, windowed at the smallest play size, no intro movie, the
    // language fixed so a run does not depend on the system's locale. The obscenity filter is
    // written off as the client itself saves it on the first logins.
    const bool config = writeDirectives(layout.install / "kz.cfg",
                                        {
                                            {"HdUsage", "max"},
                                            {"UseVerData", "on"},
                                            {"Sound", "on"},
                                            {"SoundVol", "200"},
                                            {"Music", "on"},
                                            {"MusicVol", "160"},
                                            {"FullScreen", "off"},
                                            {"GamePlayWindowSize", "640x480"},
                                            {"ShowIntroAnim", "off"},
                                            {"ClientFirstLaunch", "no"},
                                            {"FrameSkipping", "off"},
                                            {"ObscenityFilter", "off"},
                                            {"SaveDesktop", "on"},
                                            {"UserLanguageCodeString", "enu"},
                                        },
                                        error);
    return config && writeDirectives(layout.install / "login.cfg",
                                     {{"LoginServer", "127.0.0.1," + std::to_string(kSampleLoginPort)}}, error);
}

} // namespace sampleinstall
