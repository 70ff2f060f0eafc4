/** @file Named single-instance objects held as locks on files in the runtime folder. */
#include "platform/instance/named_instance.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fs/path.h"

namespace platform {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

/** Letters, digits, "-" and "_" stay; every other byte becomes "%XX", so distinct names stay distinct. */
std::string escapeName(std::string_view name)
{
    std::string out;
    for (unsigned char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_';
        if (plain) {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

/*
 * Open-file-description locks: like flock they belong to the open file and vanish when it is
 * closed or the process dies, and unlike flock they can be tested without being taken, so
 * exists() never makes a concurrent create() fail.
 */
struct flock wholeFileWriteLock()
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    lock.l_pid = 0;
    return lock;
}

} // namespace

std::string runtimeDirectory()
{
    std::string dir = environment("KZ_RUNTIME_DIR");
    if (!dir.empty())
        return dir;
    dir = environment("XDG_RUNTIME_DIR");
    if (!dir.empty())
        return dir + "/kz";
    return "/tmp/kz-" + std::to_string(::getuid());
}

std::string NamedInstance::lockFilePath(std::string_view name)
{
    std::string dir = runtimeDirectory();
    if (!dir.empty() && dir.back() != '/')
        dir.push_back('/');
    return dir + escapeName(name) + ".lock";
}

std::unique_ptr<NamedInstance> NamedInstance::create(std::string_view name, bool* alreadyExisted)
{
    if (alreadyExisted)
        *alreadyExisted = false;
    const std::string dir = runtimeDirectory();
    if (!isDirectory(dir)) {
        makeDirectories(dir);
        ::chmod(dir.c_str(), 0700); // holds only our lock files; others have no business there
    }
    const std::string path = lockFilePath(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    struct flock lock = wholeFileWriteLock();
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0)
        return std::unique_ptr<NamedInstance>(new NamedInstance(std::string(name), fd));
    const int error = errno;
    ::close(fd);
    if (error != EAGAIN && error != EACCES)
        return nullptr;
    if (alreadyExisted)
        *alreadyExisted = true;
    return std::unique_ptr<NamedInstance>(new NamedInstance(std::string(name), -1));
}

bool NamedInstance::exists(std::string_view name)
{
    const int fd = ::open(lockFilePath(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false; // never created, so never held
    struct flock lock = wholeFileWriteLock();
    const bool held = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

NamedInstance::~NamedInstance()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace platform
