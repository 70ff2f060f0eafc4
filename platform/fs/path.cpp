/** @file Path normalisation, case resolution and the file operations built on them. */
#include "platform/fs/path.h"

namespace platform {

std::string normalizeSeparators(std::string_view path)
{
    std::string out(path);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

std::optional<std::string> resolveCase(std::string_view) { return std::nullopt; }
FILE* openFile(std::string_view, const char*) { return nullptr; }
std::optional<uint64_t> fileSize(std::string_view) { return std::nullopt; }
bool fileExists(std::string_view) { return false; }
bool isDirectory(std::string_view) { return false; }
bool makeDirectories(std::string_view) { return false; }
bool removeFile(std::string_view) { return false; }
std::vector<std::string> listDirectory(std::string_view) { return {}; }
std::optional<std::vector<uint8_t>> readWholeFile(std::string_view) { return std::nullopt; }
bool replaceFileAtomically(std::string_view, std::span<const uint8_t>) { return false; }
std::string executableDirectory() { return {}; }
void setWriteFailureForTests(int) {}

} // namespace platform
