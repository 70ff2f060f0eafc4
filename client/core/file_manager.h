/** @file The file manager: install and CD paths, search paths and the table of every file the client opened. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// FileManager is the client's one gateway to its own files. It knows the install folder (taken
// from the install key of the key store), the optional CD folder and a short list of search
// paths, and keeps a record of every given name it ever opened with open, size and read counts.
// Every entry point starts it lazily (with a warning) when the start-up sequence has not.
// Main thread only.
//
// Streams are ordinary stdio streams, read through read() and given back through close().
// Several callers may hold streams of the same given name at once: a second open never closes
// the first caller's stream.
namespace FileManager {

constexpr int MAX_SEARCH_PATHS = 10;
constexpr size_t MAX_PATH_LENGTH = 512;
constexpr size_t MAX_FILENAME_LENGTH = 1024;
constexpr size_t MAX_ACCESS_MODE_LENGTH = 8;
constexpr size_t MAX_CD_PATH_LENGTH = 1024;
constexpr int MAX_OPEN_FILES = 1000;

/** The install key of the key store, with the values ExePath and InstCDPath. */
inline constexpr const char* INSTALL_KEY =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Worlds Vevovo\\Tavorn Vevovo\\1.0";

void startup();
/** Reports the table and forgets paths and records. Streams still held by callers stay open. */
void shutdown();
bool isStarted();

/** Appends a search path; a path of MAX_PATH_LENGTH or more, or a tenth path, is fatal. */
void addSearchPath(const char* path);

/** The install folder with its trailing separator; fatal when unset. */
const char* getHDPath();
/** The CD folder with "client" and a separator; fatal when unset. */
const char* getCDPath();
/** True when a CD path was found; lets callers ask without the fatal of getCDPath. */
bool isCDPathSet();
/** Reads InstCDPath from the install key and adds the CD folder as a search path. */
void setCDPath();

/** Opens a name relative to the search paths; null when it is found nowhere. */
FILE* open(const char* name, const char* mode);
/** Opens the name exactly as given, with the same table bookkeeping as open(). */
FILE* openAbsolute(const char* name, const char* mode);
int seek(FILE* stream, long offset, int whence);
size_t read(void* buffer, size_t itemSize, size_t count, FILE* stream);
size_t write(const void* buffer, size_t itemSize, size_t count, FILE* stream);
/** Gives a stream back; null does nothing, a stream not from open() is only reported. */
void close(FILE* stream);

/**
 * Loads a whole file. With *buffer null, allocates the file's size with
 * MemoryManager::GetMem into *buffer (the caller frees it with MemoryManager::FreeMem);
 * otherwise reads into *buffer, which holds capacity bytes, and refuses a larger file.
 * Returns the bytes loaded, 0 on any failure.
 */
int32_t load(const char* name, unsigned char** buffer, size_t capacity = 0);

/** Logs one line per table record: open, times opened, size, reads, names. */
void reportOpenFiles();

/** What the table knows about a given name; for diagnostics and tests. */
struct OpenFileInfo {
    bool found = false;
    bool open = false;
    int32_t timesOpened = 0;
    int32_t size = 0;
    int32_t numReads = 0;
    int openStreams = 0;
    const char* actualName = nullptr;
};
OpenFileInfo openFileInfo(const char* givenName);
int numSearchPaths();
const char* searchPath(int index);

} // namespace FileManager
