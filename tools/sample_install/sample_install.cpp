/** @file The sample install writer's file groups. */
#include "tools/sample_install/sample_install.h"

#include "tools/sample_install/write_audio.h"
#include "tools/sample_install/write_config_files.h"
#include "tools/sample_install/write_data_files.h"
#include "tools/sample_install/write_fonts.h"
#include "tools/sample_install/write_intro.h"
#include "tools/sample_install/write_language.h"

#include "platform/keystore/key_store.h"

#include <fstream>
#include <system_error>

namespace sampleinstall {

namespace {

// The key the client reads its install folder from.
constexpr const char* kInstallKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Worlds Vevovo\\Tavorn Vevovo\\1.0";

bool makeFolder(const std::filesystem::path& folder, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder.string() + ": " + ec.message();
        return false;
    }
    return true;
}

} // namespace

bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes, std::string& error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    // The stream holds the last bytes until it is closed: only the close shows they were written.
    out.close();
    if (!out) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

bool writeWholeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    return writeWholeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), error);
}

Layout::Layout(const std::filesystem::path& rootPath)
    : root(std::filesystem::absolute(rootPath)), install(root / "install"), config(root / "config"),
      run(root / "run")
{
}

bool writeInstallFolders(const Layout& layout, std::string& error)
{
    return makeFolder(layout.install, error) && makeFolder(layout.install / "tutorial", error) &&
           makeFolder(layout.run, error);
}

bool writeKeyStore(const Layout& layout, std::string& error)
{
    if (!makeFolder(layout.config, error))
        return false;
    platform::FileKeyStore keys((layout.config / "registry.ini").string());
    // The client takes its folder from ExePath, cut after the last separator.
    if (!keys.setString(kInstallKey, "ExePath", (layout.install / "client").string())) {
        error = "cannot write the key store " + keys.path();
        return false;
    }
    return true;
}

bool writeSampleInstall(const Layout& layout, std::string& error)
{
    return writeInstallFolders(layout, error) && writeKeyStore(layout, error) && writeDataFiles(layout, error)
           && writeSongs(layout, error)
           && writeFonts(layout, error) && writeLanguage(layout, error) && writeConfigFiles(layout, error)
           && writeIntroMovie(layout, error);
}

} // namespace sampleinstall
