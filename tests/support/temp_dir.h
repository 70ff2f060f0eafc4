/** @file A per-test temporary directory, removed with everything in it when the test ends. */
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    /** path() / name, as a string. */
    std::string file(const std::string& name) const;
    /** Writes bytes to path() / name, creating folders on the way; returns the full path. */
    std::string write(const std::string& name, const std::vector<unsigned char>& bytes) const;
    std::string write(const std::string& name, const std::string& text) const;
    /** The whole content of path() / name; empty when it does not exist. */
    std::string read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

} // namespace testsupport
