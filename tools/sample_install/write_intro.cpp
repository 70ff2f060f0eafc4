/** @file The sample install's intro movie. */
#include "tools/sample_install/write_intro.h"

#include "tools/formats/movie_writer.h"

#include <system_error>

namespace sampleinstall {

bool writeIntroMovie(const Layout& layout, std::string& error)
{
    const std::filesystem::path folder = layout.install / "music";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder.string() + ": " + ec.message();
        return false;
    }
    return writeWholeFile(folder / "intro.wve", formats::sampleIntroMovie(), error);
}

} // namespace sampleinstall
