/** @file Path normalisation, case resolution and the file operations built on them. */
#include "platform/fs/path.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

thread_local long long tWriteFailureAfter = -1;

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    return true;
}

bool pathExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

/** Joins a folder and a name; the folder "" means the current folder. */
std::string join(const std::string& folder, std::string_view name)
{
    if (folder.empty())
        return std::string(name);
    if (folder.back() == '/')
        return folder + std::string(name);
    return folder + "/" + std::string(name);
}

/** The name in folder that equals name ignoring case: the exact one first, else the first in byte order. */
std::optional<std::string> findEntry(const std::string& folder, std::string_view name)
{
    const std::string candidate = join(folder, name);
    if (pathExists(candidate))
        return std::string(name);
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<std::string> best;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view entryName(entry->d_name);
        if (equalsIgnoringCase(entryName, name) && (!best || entryName < *best))
            best = std::string(entryName);
    }
    ::closedir(dir);
    return best;
}

/** Splits at "/" keeping empty components out; reports whether the path was absolute. */
std::vector<std::string_view> components(std::string_view path, bool& absolute)
{
    absolute = !path.empty() && path.front() == '/';
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

/** The resolved path when it exists, otherwise the path with its separators normalised. */
std::string resolveOrNormalize(std::string_view path)
{
    if (auto resolved = resolveCase(path))
        return *resolved;
    return normalizeSeparators(path);
}

bool writeAll(int fd, const uint8_t* data, size_t size)
{
    long long allowance = tWriteFailureAfter;
    size_t written = 0;
    while (written < size) {
        size_t chunk = size - written;
        if (allowance >= 0) {
            if (static_cast<long long>(written) >= allowance) {
                errno = ENOSPC;
                return false;
            }
            chunk = std::min<size_t>(chunk, static_cast<size_t>(allowance) - written);
        }
        const ssize_t n = ::write(fd, data + written, chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::optional<std::string> followLinks(std::string path)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size())
            return std::nullopt;
        target.resize(static_cast<size_t>(n));
        if (target.front() != '/') {
            const size_t slash = path.find_last_of('/');
            target = slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
        }
        path = target;
    }
    return std::nullopt;
}

std::string normalizeSeparators(std::string_view path)
{
    std::string out(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::optional<std::string> resolveCase(std::string_view path)
{
    const std::string normal = normalizeSeparators(path);
    if (normal.empty())
        return std::nullopt;
    if (pathExists(normal))
        return normal; // the common case: nothing to resolve
    bool absolute = false;
    const auto parts = components(normal, absolute);
    std::string resolved = absolute ? "/" : "";
    for (std::string_view part : parts) {
        if (part == "." || part == "..") {
            resolved = join(resolved, part);
            continue;
        }
        auto entry = findEntry(resolved, part);
        if (!entry)
            return std::nullopt;
        resolved = join(resolved, *entry);
    }
    if (resolved.empty())
        return std::nullopt;
    return resolved;
}

std::optional<std::string> resolveForCreate(std::string_view path)
{
    const std::string normal = normalizeSeparators(path);
    if (auto existing = resolveCase(normal))
        return existing;
    const size_t slash = normal.find_last_of('/');
    if (slash == std::string::npos)
        return normal;
    const std::string leaf = normal.substr(slash + 1);
    if (leaf.empty())
        return std::nullopt;
    const std::string folderPart = slash == 0 ? std::string("/") : normal.substr(0, slash);
    auto folder = resolveCase(folderPart);
    if (!folder)
        return std::nullopt;
    return join(*folder, leaf);
}

FILE* openFile(std::string_view path, const char* mode)
{
    if (!mode || !*mode)
        return nullptr;
    std::string cleanMode;
    for (const char* m = mode; *m; ++m)
        if (*m != 't' && *m != 'e')
            cleanMode.push_back(*m);
    cleanMode.push_back('e'); // close on exec: started programs do not inherit our files
    const bool creates = cleanMode[0] == 'w' || cleanMode[0] == 'a';
    std::optional<std::string> target = creates ? resolveForCreate(path) : resolveCase(path);
    if (!target)
        return nullptr;
    return std::fopen(target->c_str(), cleanMode.c_str());
}

std::optional<uint64_t> fileSize(std::string_view path)
{
    struct stat st;
    if (::stat(resolveOrNormalize(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

bool fileExists(std::string_view path)
{
    struct stat st;
    return ::stat(resolveOrNormalize(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool isDirectory(std::string_view path)
{
    struct stat st;
    return ::stat(resolveOrNormalize(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool makeDirectories(std::string_view path)
{
    const std::string normal = normalizeSeparators(path);
    if (normal.empty())
        return false;
    bool absolute = false;
    const auto parts = components(normal, absolute);
    std::string current = absolute ? "/" : "";
    for (std::string_view part : parts) {
        if (part == "." || part == "..") {
            current = join(current, part);
            continue;
        }
        if (auto entry = findEntry(current, part)) {
            current = join(current, *entry);
            continue;
        }
        current = join(current, part);
        if (::mkdir(current.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return isDirectory(current.empty() ? "." : current);
}

bool removeFile(std::string_view path)
{
    auto resolved = resolveCase(path);
    return resolved && ::unlink(resolved->c_str()) == 0;
}

std::vector<std::string> listDirectory(std::string_view path)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(resolveOrNormalize(path).c_str());
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool isRegularFile(std::string_view path)
{
    struct stat st;
    return ::stat(resolveOrNormalize(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::vector<uint8_t>> readWholeFile(std::string_view path, size_t maxBytes)
{
    auto resolved = resolveCase(path);
    if (!resolved)
        return std::nullopt;
    // Non-blocking, so that opening a pipe does not wait for a writer; it is refused below.
    const int fd = ::open(resolved->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        // A file that grows while it is read (or reports no size, as some system files do) is bounded too.
        if (bytes.size() + static_cast<size_t>(n) > maxBytes) {
            ::close(fd);
            return std::nullopt;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    return bytes;
}

FILE* openLog(std::string_view path)
{
    const auto target = resolveForCreate(path);
    if (!target)
        return nullptr;
    const int fd = ::open(target->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    // Whoever holds the lock owns the log; a log held by a live process is only appended to.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return nullptr;
    }
    FILE* stream = ::fdopen(fd, "a");
    if (!stream)
        ::close(fd);
    return stream;
}

bool replaceFileAtomically(std::string_view path, std::span<const uint8_t> bytes, unsigned newFileMode)
{
    auto target = resolveForCreate(path);
    if (!target)
        return false;
    target = followLinks(*target);
    if (!target)
        return false;
    const size_t slash = target->find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target->substr(0, slash + 1);
    const std::string leaf = slash == std::string::npos ? *target : target->substr(slash + 1);

    struct stat original;
    const bool hadOriginal = ::stat(target->c_str(), &original) == 0;
    if (hadOriginal && S_ISDIR(original.st_mode))
        return false;

    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = join(folder, "." + leaf + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, hadOriginal ? 0600 : newFileMode);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = writeAll(fd, bytes.data(), bytes.size());
    if (ok && hadOriginal)
        ok = ::fchmod(fd, original.st_mode & 07777) == 0;
    if (ok)
        ok = ::fsync(fd) == 0;
    if (::close(fd) != 0)
        ok = false;
    if (ok)
        ok = ::rename(temp.c_str(), target->c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; failing to is not a failure of the replacement.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

std::string executableDirectory()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    std::string path(buffer, static_cast<size_t>(n));
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return path.substr(0, slash + 1);
}

void setWriteFailureForTests(int failAfterBytes)
{
    tWriteFailureAfter = failAfterBytes < 0 ? -1 : failAfterBytes;
}

long long writeFailureAllowanceForTests()
{
    return tWriteFailureAfter;
}

} // namespace platform
