/** @file Memory-mapped files. */
#include "platform/fs/mapped_file.h"

namespace platform {

MappedFile::MappedFile(int fd, uint8_t* data, size_t size, bool writable)
    : fd_(fd), data_(data), size_(size), writable_(writable) {}
MappedFile::~MappedFile() {}
std::unique_ptr<MappedFile> MappedFile::openReadOnly(std::string_view) { return nullptr; }
std::unique_ptr<MappedFile> MappedFile::openReadWrite(std::string_view, size_t, bool) { return nullptr; }
bool MappedFile::flush() { return false; }

} // namespace platform
