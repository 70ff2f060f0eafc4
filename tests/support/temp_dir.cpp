/** @file A per-test temporary directory. */
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kz-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::file(const std::string& name) const
{
    return (path_ / name).string();
}

std::string TempDir::write(const std::string& name, const std::vector<unsigned char>& bytes) const
{
    const auto full = path_ / name;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return full.string();
}

std::string TempDir::write(const std::string& name, const std::string& text) const
{
    return write(name, std::vector<unsigned char>(text.begin(), text.end()));
}

std::string TempDir::read(const std::string& name) const
{
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace testsupport
