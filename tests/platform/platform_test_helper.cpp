/** @file A small program the platform tests start as a second process. */
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/instance/named_instance.h"

namespace {

/** Writes beside the target and renames, so a test polling for the file never sees it half written. */
void writeFile(const std::string& path, const std::string& text)
{
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary);
        out << text;
    }
    std::filesystem::rename(temp, path);
}

} // namespace

/*
 * helper args <out-file> [args...]: writes the working folder and each argument, each followed by a NUL.
 * helper hold <runtime-dir> <name> <ready-file> <release-file>: takes the name, writes "held" or
 *   "busy" to the ready file, then waits (at most 30 s) for the release file to appear.
 * helper exit <code>: ends with the code.
 */
int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::string mode = argv[1];
    if (mode == "args" && argc >= 3) {
        std::string text = std::filesystem::current_path().string();
        text.push_back('\0');
        for (int i = 3; i < argc; ++i) {
            text += argv[i];
            text.push_back('\0');
        }
        writeFile(argv[2], text);
        return 0;
    }
    if (mode == "hold" && argc == 6) {
        setenv("KZ_RUNTIME_DIR", argv[2], 1);
        bool existed = false;
        auto instance = platform::NamedInstance::create(argv[3], &existed);
        writeFile(argv[4], instance && instance->holdsName() ? "held" : "busy");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!std::filesystem::exists(argv[5]) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return 0;
    }
    if (mode == "exit" && argc == 3)
        return std::atoi(argv[2]);
    return 2;
}
