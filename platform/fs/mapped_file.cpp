/** @file Memory-mapped files over mmap, with flock for exclusive read-write mappings. */
#include "platform/fs/mapped_file.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs/path.h"

namespace platform {

namespace {

std::unique_ptr<MappedFile> fail(MappedFile::Failure* failure, MappedFile::Failure::Stage stage, int code, int fd)
{
    if (fd >= 0)
        ::close(fd);
    if (failure) {
        failure->stage = stage;
        failure->code = code;
    }
    return nullptr;
}

} // namespace

bool MappedFile::Failure::outOfMemory() const
{
    return code == ENOMEM;
}

MappedFile::MappedFile(int fd, uint8_t* data, size_t size, bool writable)
    : fd_(fd), data_(data), size_(size), writable_(writable)
{
}

MappedFile::~MappedFile()
{
    flush();
    ::munmap(data_, size_);
    ::close(fd_); // also releases the lock of an exclusive mapping
}

std::unique_ptr<MappedFile> MappedFile::openReadOnly(std::string_view path, Failure* failure)
{
    using Stage = Failure::Stage;
    auto resolved = resolveCase(path);
    if (!resolved)
        return fail(failure, Stage::Open, ENOENT, -1);
    const int fd = ::open(resolved->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(failure, Stage::Open, errno, -1);
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return fail(failure, Stage::Open, errno, fd);
    if (!S_ISREG(st.st_mode))
        return fail(failure, Stage::Open, EISDIR, fd);
    if (st.st_size <= 0)
        return fail(failure, Stage::Map, EINVAL, fd); // nothing to map
    const size_t size = static_cast<size_t>(st.st_size);
    void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (view == MAP_FAILED)
        return fail(failure, Stage::Map, errno, fd);
    ::madvise(view, size, MADV_RANDOM);
    return std::unique_ptr<MappedFile>(new MappedFile(fd, static_cast<uint8_t*>(view), size, false));
}

std::unique_ptr<MappedFile> MappedFile::openReadWrite(std::string_view path, size_t size, bool exclusive,
                                                      Failure* failure)
{
    using Stage = Failure::Stage;
    if (size == 0)
        return fail(failure, Stage::Map, EINVAL, -1);
    const auto target = resolveForCreate(path);
    if (!target)
        return fail(failure, Stage::Open, ENOENT, -1);
    const int fd = ::open(target->c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(failure, Stage::Open, errno, -1);
    // Whole-file locks stand in for share modes: exclusive keeps every other mapper out, shared
    // ones only keep an exclusive one out. Locks are per open file, so this holds in-process too.
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
        return fail(failure, Stage::Open, errno, fd);
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return fail(failure, Stage::Open, errno, fd);
    if (static_cast<uint64_t>(st.st_size) < size && ::ftruncate(fd, static_cast<off_t>(size)) != 0)
        return fail(failure, Stage::Map, errno, fd);
    void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED)
        return fail(failure, Stage::Map, errno, fd);
    ::madvise(view, size, MADV_RANDOM);
    return std::unique_ptr<MappedFile>(new MappedFile(fd, static_cast<uint8_t*>(view), size, true));
}

std::unique_ptr<MappedFile> MappedFile::createScratch(std::string_view path, size_t size, Failure* failure)
{
    using Stage = Failure::Stage;
    if (size == 0)
        return fail(failure, Stage::Map, EINVAL, -1);
    const auto target = resolveForCreate(path);
    if (!target)
        return fail(failure, Stage::Open, ENOENT, -1);
    const char* name = target->c_str();
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        fd = ::open(name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            // Someone who found the new file in the moment before the lock keeps it only if
            // they locked it first; then it is theirs.
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
                return fail(failure, Stage::Open, errno, fd);
            break;
        }
        if (errno != EEXIST)
            return fail(failure, Stage::Open, errno, -1);
        // Something is there. A file a live holder has locked stays; anything else is stale.
        const int old = ::open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (old >= 0) {
            struct stat st;
            if (::fstat(old, &st) == 0 && S_ISREG(st.st_mode) && ::flock(old, LOCK_EX | LOCK_NB) != 0) {
                const int code = errno;
                ::close(old);
                return fail(failure, Stage::Open, code, -1);
            }
        } else if (errno != ELOOP && errno != ENOENT) {
            return fail(failure, Stage::Open, errno, -1);
        }
        // Holding the old file's lock (when it is one), nobody else can be removing a newer one.
        const bool removed = ::unlink(name) == 0 || errno == ENOENT;
        const int code = errno;
        if (old >= 0)
            ::close(old);
        if (!removed)
            return fail(failure, Stage::Open, code, -1);
    }
    if (fd < 0)
        return fail(failure, Stage::Open, EEXIST, -1);

    long long allowance = writeFailureAllowanceForTests();
    int code = allowance >= 0 && static_cast<unsigned long long>(allowance) < size
                   ? ENOSPC
                   : ::posix_fallocate(fd, 0, static_cast<off_t>(size));
    void* view = MAP_FAILED;
    if (code == 0) {
        view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (view == MAP_FAILED)
            code = errno;
    }
    if (code != 0) {
        ::unlink(name); // still ours: we hold its lock
        return fail(failure, Stage::Map, code, fd);
    }
    ::madvise(view, size, MADV_RANDOM);
    return std::unique_ptr<MappedFile>(new MappedFile(fd, static_cast<uint8_t*>(view), size, true));
}

bool MappedFile::flush()
{
    if (!writable_)
        return true;
    return ::msync(data_, size_, MS_SYNC) == 0;
}

} // namespace platform
