/** @file File paths and file operations that tolerate "\\" separators and letter-case differences. */
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

/*
 * Paths handed to these functions may use "\\" or "/" between components, and may differ in
 * letter case from what is on disk (data copied over from a case-insensitive file system).
 * Every function below normalises the separators and, where the path or its folder exists,
 * resolves the case component by component. All functions are safe to call from any thread.
 */

/** Replaces every "\\" with "/". */
std::string normalizeSeparators(std::string_view path);

/**
 * The existing path whose every component matches the given one ignoring ASCII case; an exact
 * match is preferred at each step, otherwise the first match in byte order of the names.
 * Relative paths stay relative. nullopt when no such path exists.
 */
std::optional<std::string> resolveCase(std::string_view path);

/**
 * Where a file that may not exist yet goes: the existing file when there is one, else the
 * case-resolved folder joined with the last component as given; nullopt when the folder does
 * not exist.
 */
std::optional<std::string> resolveForCreate(std::string_view path);

/**
 * fopen with separator and case resolution. For reading, the existing file is opened. For a
 * write or append mode on a file that does not exist, the folder's case is resolved and the file
 * is created under the name as given. A "t" in the mode is dropped (no text translation here).
 * The descriptor is not inherited by started programs. nullptr on failure.
 */
FILE* openFile(std::string_view path, const char* mode);

std::optional<uint64_t> fileSize(std::string_view path);
/** True when the path names something that exists and is not a folder. */
bool fileExists(std::string_view path);
bool isDirectory(std::string_view path);
/** Creates the folder and any missing parents (existing parents are matched ignoring case). */
bool makeDirectories(std::string_view path);
bool removeFile(std::string_view path);
/** Names in the folder (without "." and ".."), sorted; empty when it cannot be read. */
std::vector<std::string> listDirectory(std::string_view path);
/** True when the path names a regular file (a link is followed), not a folder, device or pipe. */
bool isRegularFile(std::string_view path);

/** The most a configuration or settings file may hold; anything larger is refused as damaged. */
inline constexpr size_t kMaxConfigFileBytes = 1u << 20;

/**
 * The whole content of a regular file; nullopt when it cannot be read, is not a regular file
 * (a device such as /dev/zero, a pipe, a folder), or holds more than maxBytes.
 */
std::optional<std::vector<uint8_t>> readWholeFile(std::string_view path, size_t maxBytes = SIZE_MAX);

/**
 * Opens a log for appending, creating it when absent. The stream holds a lock on the file for
 * its life: a log no live process holds is emptied first; one that another live process holds
 * (a second copy of the program) is appended to and never emptied. nullptr on failure.
 */
FILE* openLog(std::string_view path);

/**
 * The file a path leads to through any symbolic links (a link's relative target is taken from
 * the link's folder); the path itself when it is no link. nullopt for a loop of links.
 */
std::optional<std::string> followLinks(std::string path);

/**
 * Replaces the file with bytes so that readers see either the old or the new content, never a
 * mix: writes a temporary file in the same folder, syncs it, and renames it over the target.
 * A path that is a symbolic link keeps the link: the file it leads to is replaced, in that
 * file's own folder. An existing file keeps its permission bits; a new one gets newFileMode (less the umask). On
 * any failure the original stays as it was, the temporary file is removed, and false is
 * returned. The folder must exist.
 */
bool replaceFileAtomically(std::string_view path, std::span<const uint8_t> bytes, unsigned newFileMode = 0666);

/** Folder of the running program, with a trailing "/"; empty when it cannot be found. */
std::string executableDirectory();

/**
 * Makes the file writes of replaceFileAtomically on the calling thread fail (as on a full disk)
 * once failAfterBytes bytes have been written in one call; a negative value turns it off.
 * For tests; affects only the calling thread.
 */
void setWriteFailureForTests(int failAfterBytes);

/** The byte allowance set by setWriteFailureForTests on the calling thread, or -1 when off. */
long long writeFailureAllowanceForTests();

/** setWriteFailureForTests for the lifetime of the object. */
class ScopedWriteFailureForTests {
public:
    explicit ScopedWriteFailureForTests(int failAfterBytes) { setWriteFailureForTests(failAfterBytes); }
    ~ScopedWriteFailureForTests() { setWriteFailureForTests(-1); }
    ScopedWriteFailureForTests(const ScopedWriteFailureForTests&) = delete;
    ScopedWriteFailureForTests& operator=(const ScopedWriteFailureForTests&) = delete;
};

} // namespace platform
