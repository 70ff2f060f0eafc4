/** @file Fuzz target: the same bytes as chardata.mul, ignore.lst, kzbscene.lst and speech.mul. */
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/options.h"
#include "client/core/player_files.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

/** A folder of its own for the files of this run, removed when the run ends. */
struct RunFolder {
    std::string path;
    RunFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kz-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        path = pattern;
    }
    ~RunFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

void writeFile(const std::string& folder, const char* name, const std::string& bytes)
{
    std::ofstream(folder + "/" + name, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const RunFolder run;
    const std::string& folder = run.path;
    static const bool ready = [&] {
        SetConfigFolder(folder);
        return true;
    }();
    (void)ready;

    ResetPlayerFiles();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const char* name : {"chardata.mul", "ignore.lst", "kzbscene.lst", "speech.mul"}) writeFile(folder, name, bytes);
    DefaultChar = size > 0 ? data[0] % 5 : 0;
    LoadCharData();
    LoadFilterLists();
    LoadSpeechKeywords();
    for (int32_t i = 0; i < IgnoreListCount; ++i) (void)IsSerialIgnored(IgnoreList[i].serial);
    char text[] = "some text to censor";
    CensorObsceneWords(text);
    return 0;
}
