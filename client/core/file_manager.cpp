/** @file The file manager: install and CD paths, search paths and the table of opened files. */
#include "client/core/file_manager.h"

#include "client/core/kz_report.h"
#include "client/core/memory_manager.h"

#include "platform/fs/path.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace FileManager {

namespace {

// Linux paths use "/"; names given with "\\" are normalised by platform::openFile.
constexpr const char* kPathSeparator = "/";

struct OpenFileRecord {
    std::string givenName;
    std::string actualName;
    std::string accessMode;
    // Every stream handed out for this name and not yet given back. A second open of the
    // same name adds a stream instead of closing the first holder's one.
    std::vector<FILE*> streams;
    int32_t timesOpened = 0;
    int32_t size = 0;
    int32_t numReads = 0;

    bool isOpen() const { return !streams.empty(); }
    bool holds(FILE* stream) const
    {
        return std::find(streams.begin(), streams.end(), stream) != streams.end();
    }
};

struct State {
    bool started = false;
    std::optional<std::string> hdPath;
    std::optional<std::string> cdPath;
    std::vector<std::string> searchPaths;
    std::vector<OpenFileRecord> openFiles;
    // Streams that were still held when the table was cleared by shutdown; close() still
    // accepts them so their holders can give them back.
    std::vector<FILE*> orphans;
};

State& state()
{
    static State s;
    return s;
}

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(const std::string& a, const char* b)
{
    const size_t length = std::char_traits<char>::length(b);
    if (a.size() != length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    return true;
}

int32_t sizeOnDisk(const std::string& path)
{
    const auto size = platform::fileSize(path);
    if (!size)
        return 0;
    return static_cast<int32_t>(std::min<uint64_t>(*size, std::numeric_limits<int32_t>::max()));
}

OpenFileRecord* recordHolding(FILE* stream)
{
    for (auto& record : state().openFiles)
        if (record.holds(stream))
            return &record;
    return nullptr;
}

OpenFileRecord* recordNamed(const char* givenName)
{
    for (auto& record : state().openFiles)
        if (equalsIgnoringCase(record.givenName, givenName))
            return &record;
    return nullptr;
}

void logSearchPaths(const char* heading)
{
    KZReport::message("%s", heading);
    for (const auto& path : state().searchPaths)
        KZReport::message(" %s\n", path.c_str());
}

/** Starts the manager when nobody did; the warning names the entry point that had to. */
void ensureStarted(const char* function)
{
    if (state().started)
        return;
    KZReport::warning("%s: had to startup FileManager. KZ startup code needs to be re-designed!\n", function);
    startup();
}

void setHDPath()
{
    platform::KeyStore& keys = *platform::current().keyStore;
    if (!keys.keyExists(INSTALL_KEY))
        KZReport::fatal("Tavorn Vevovo does not appear to be installed correctly on your system. Please "
                        "re-install KZ by running the setup.exe program located on your KZ CD-ROM\n");
    const auto exePath = keys.getString(INSTALL_KEY, "ExePath");
    if (!exePath)
        KZReport::fatal("Tavorn Vevovo does not appear to be installed correctly on your system. Please "
                        "re-install KZ by running the setup.exe program located on your KZ CD-ROM.\n");
    // The folder of the program: everything after the last separator goes, the separator stays.
    const size_t cut = exePath->find_last_of("/\\");
    state().hdPath = cut == std::string::npos ? std::string() : exePath->substr(0, cut + 1);
    KZReport::message("FileManager::setHDPath: set HDPath to '%s'\n", state().hdPath->c_str());
}

void addRecord(const char* givenName, const std::string& actualName, const char* mode, FILE* stream)
{
    if (std::char_traits<char>::length(givenName) > MAX_FILENAME_LENGTH)
        KZReport::fatal("FileManager::addFile: strlen(given_filename) > SearchPathInfo::MAX_PATH_LENGTH. KZ "
                        "startup code needs to be re-designed so we can allocate memory here!\n");
    if (actualName.size() > MAX_FILENAME_LENGTH)
        KZReport::fatal("FileManager::addFile: strlen(actual_filename) > SearchPathInfo::MAX_PATH_LENGTH. KZ "
                        "startup code needs to be re-designed so we can allocate memory here!\n");
    if (std::char_traits<char>::length(mode) > MAX_ACCESS_MODE_LENGTH)
        KZReport::fatal("FileManager::addFile: strlen(access_mode) > SearchPathInfo::MAX_ACCESS_MODE_LENGTH. KZ "
                        "startup code needs to be re-designed so we can allocate memory here!\n");
    OpenFileRecord record;
    record.givenName = givenName;
    record.actualName = actualName;
    record.accessMode = mode;
    record.streams.push_back(stream);
    record.timesOpened = 1;
    record.size = sizeOnDisk(actualName);
    state().openFiles.push_back(std::move(record));
    KZReport::message("FileManager::addOpenFile: file '%s' added to list. size is %d.\n", givenName,
                      state().openFiles.back().size);
    if (state().openFiles.size() > static_cast<size_t>(MAX_OPEN_FILES - 1))
        KZReport::fatal("FileManager::addOpenFile: numOpenFiles >= MAX_OPEN_FILES. KZ startup code needs to be "
                        "re-designed so we can allocate memory here!\n");
}

/** Reopens a name already in the table; null when it has no record. */
FILE* reopenKnown(const char* function, const char* name, const char* mode)
{
    OpenFileRecord* record = recordNamed(name);
    if (!record)
        return nullptr;
    if (record->isOpen())
        KZReport::warning("%s: file '%s' currently open. opening another stream for the new caller.\n", function,
                          name);
    FILE* stream = platform::openFile(record->actualName, mode);
    if (!stream)
        KZReport::fatal("%s: file '%s' was opened before, but cannot be opened again. check for illegal access "
                        "mode.\n",
                        function, name);
    record->accessMode = mode;
    record->streams.push_back(stream);
    record->size = sizeOnDisk(record->actualName);
    ++record->timesOpened;
    KZReport::message("%s: file '%s' now open %d times.\n", function, name, record->timesOpened);
    return stream;
}

/** The first steps of both opens: the lazy start, then a new stream of a name already in the table. */
FILE* openFromTable(const char* function, const char* name, const char* mode)
{
    KZReport::message("%s: begin. filename='%s'\n", function, name);
    ensureStarted(function);
    FILE* stream = reopenKnown(function, name, mode);
    KZReport::message("%s: finished searching list of opened files.\n", function);
    return stream;
}

FILE* atStart(const char* function, FILE* stream)
{
    KZReport::message("%s: seeking to start of file.\n", function);
    return stream;
}

} // namespace

void startup()
{
    KZReport::message("FileManager::startup: starting...\n");
    State& s = state();
    if (s.started)
        return;
    // Set before the paths are read so that a lazy start from inside does not recurse.
    s.started = true;
    setHDPath();
    addSearchPath(s.hdPath->c_str());
    setCDPath();
    addSearchPath((*s.hdPath + "tutorial" + kPathSeparator).c_str());
    // Most installs have no CD folder: then there is no CD tutorial folder either.
    if (s.cdPath)
        addSearchPath((*s.cdPath + "tutorial" + kPathSeparator).c_str());
    logSearchPaths("FileManager::startup: search paths are:\n");
}

void shutdown()
{
    KZReport::message("FileManager::shutdown: stopping...\n");
    State& s = state();
    if (s.started) {
        reportOpenFiles();
        for (const auto& record : s.openFiles)
            s.orphans.insert(s.orphans.end(), record.streams.begin(), record.streams.end());
        s.hdPath.reset();
        s.cdPath.reset();
        s.searchPaths.clear();
        s.openFiles.clear();
        s.started = false;
    }
    KZReport::message("FileManager::shutdown: stopped.\n");
}

bool isStarted()
{
    return state().started;
}

void addSearchPath(const char* path)
{
    ensureStarted("FileManager::addSearchPath");
    if (std::char_traits<char>::length(path) >= MAX_PATH_LENGTH)
        KZReport::fatal("FileManager::addSearchPath: strlen(new_path) >= SearchPathInfo::MAX_PATH_LENGTH. KZ startup "
                        "code needs to be re-designed so we can allocate memory here!\n");
    state().searchPaths.emplace_back(path);
    if (state().searchPaths.size() >= static_cast<size_t>(MAX_SEARCH_PATHS))
        KZReport::fatal("FileManager::addSearchPath: numSearchPaths >= MAX_SEARCH_PATHS. KZ startup code needs to be "
                        "re-designed so we can allocate memory here!\n");
    logSearchPaths("FileManager::addSearchPath: search paths are:\n");
}

const char* getHDPath()
{
    ensureStarted("FileManager::getHDPath");
    if (!state().hdPath)
        KZReport::fatal("FileManager::getHDPath: HDPath is not set. maybe you have not called FileManager::startup?\n");
    return state().hdPath->c_str();
}

const char* getCDPath()
{
    ensureStarted("FileManager::getCDPath");
    if (!state().cdPath)
        KZReport::fatal("FileManager::getCDPath: CDPath is not set. maybe you have not called FileManager::startup?\n");
    return state().cdPath->c_str();
}

bool isCDPathSet()
{
    return state().cdPath.has_value();
}

void setCDPath()
{
    const auto value = platform::current().keyStore->getString(INSTALL_KEY, "InstCDPath");
    if (value && value->size() >= MAX_CD_PATH_LENGTH)
        KZReport::fatal("FileManager::setCDPath: temp >= MAX_CD_PATH_LENGTH.\n");
    if (!value || value->empty()) {
        KZReport::error("FileManager::setCDPath: CDPath not set\n");
        return;
    }
    state().cdPath = *value + "client" + kPathSeparator;
    KZReport::message("FileManager::setCDPath: set CDPath to '%s'\n", state().cdPath->c_str());
    addSearchPath(state().cdPath->c_str());
}

FILE* open(const char* name, const char* mode)
{
    if (FILE* stream = openFromTable("FileManager::open", name, mode))
        return atStart("FileManager::open", stream);

    KZReport::message("FileManager::open: looking for file with name 'as-is' on all search paths.\n");
    for (const auto& path : state().searchPaths) {
        const std::string full = path + name;
        KZReport::message("FileManager::open: trying to open '%s' with mode '%s'.\n", full.c_str(), mode);
        if (FILE* found = platform::openFile(full, mode)) {
            addRecord(name, full, mode, found);
            KZReport::message("FileManager::open: opened '%s' with mode '%s'.\n", full.c_str(), mode);
            return atStart("FileManager::open", found);
        }
    }

    KZReport::warning("FileManager::open: failed to open '%s' with given mode '%s' on any of paths in searchPaths.\n",
                      name, mode);
    KZReport::warning("FileManager::open ('fuzzy find'): looking for '%s' on searchPaths, but ignoring case.\n", name);
    for (const auto& path : state().searchPaths) {
        const auto resolved = platform::resolveCase(path + name);
        if (!resolved)
            continue;
        if (FILE* found = platform::openFile(*resolved, mode)) {
            addRecord(name, *resolved, mode, found);
            KZReport::message("FileManager::open: opened '%s' with mode '%s'.\n", resolved->c_str(), mode);
            return atStart("FileManager::open", found);
        }
    }
    KZReport::warning("FileManager::open: failed to open '%s' with given mode '%s' on any of paths in searchPaths, "
                      "even by ignoring case.\n",
                      name, mode);
    return nullptr;
}

FILE* openAbsolute(const char* name, const char* mode)
{
    if (FILE* stream = openFromTable("FileManager::openAbsolute", name, mode))
        return atStart("FileManager::openAbsolute", stream);

    KZReport::message("FileManager::openAbsolute: looking for file with name 'as-is'.\n");
    KZReport::message("FileManager::openAbsolute: trying to open '%s' with mode '%s'.\n", name, mode);
    if (FILE* found = platform::openFile(name, mode)) {
        addRecord(name, name, mode, found);
        KZReport::message("FileManager::openAbsolute: opened '%s' with mode '%s'.\n", name, mode);
        return atStart("FileManager::openAbsolute", found);
    }
    KZReport::warning("FileManager::openAbsolute: failed to open '%s'.\n", name);
    return nullptr;
}

int seek(FILE* stream, long offset, int whence)
{
    if (!stream || !recordHolding(stream))
        KZReport::fatal("FileManager::seek: trying to seek into unopened or unknown file!\n");
    return std::fseek(stream, offset, whence);
}

size_t read(void* buffer, size_t itemSize, size_t count, FILE* stream)
{
    for (auto& record : state().openFiles)
        if (record.holds(stream))
            ++record.numReads;
    const size_t itemsRead = std::fread(buffer, itemSize, count, stream);
    if (itemsRead != count)
        KZReport::warning("FileManager::read: items_read(%d) != count(%d)\n", static_cast<int>(itemsRead),
                          static_cast<int>(count));
    return itemsRead;
}

size_t write(const void* buffer, size_t itemSize, size_t count, FILE* stream)
{
    return std::fwrite(buffer, itemSize, count, stream);
}

void close(FILE* stream)
{
    if (!stream)
        return;
    if (OpenFileRecord* record = recordHolding(stream)) {
        KZReport::message("FileManager::close: closing file '%s'.\n", record->actualName.c_str());
        record->streams.erase(std::find(record->streams.begin(), record->streams.end(), stream));
        std::fclose(stream);
        return;
    }
    auto& orphans = state().orphans;
    if (auto it = std::find(orphans.begin(), orphans.end(), stream); it != orphans.end()) {
        orphans.erase(it);
        std::fclose(stream);
        return;
    }
    KZReport::warning("FileManager::close: trying to close unopened or unknown file!\n");
}

int32_t load(const char* name, unsigned char** buffer, size_t capacity)
{
    FILE* stream = open(name, "rb");
    if (!stream) {
        KZReport::warning("FileManager::load: failed to load '%s'.\n", name);
        return 0;
    }
    const OpenFileRecord* record = recordHolding(stream);
    if (!record) {
        std::fclose(stream);
        KZReport::fatal("FileManager::getOpenFileSize: file not found.\n");
    }
    const int32_t length = record->size;
    if (length < 1) {
        KZReport::error("FileManager::load: len=%d.\n", length);
        close(stream);
        KZReport::warning("FileManager::load: failed to load '%s'.\n", name);
        return 0;
    }
    const bool allocated = *buffer == nullptr;
    if (allocated) {
        KZReport::message("FileManager::load: file '%s'. allocating %d bytes of memory\n", name, length);
        *buffer = static_cast<unsigned char*>(MemoryManager::GetMem(length, "FileManager::load"));
    } else if (static_cast<size_t>(length) > capacity) {
        // The caller's buffer is too small: reading the whole file would run past its end.
        KZReport::error("FileManager::load: file '%s' is %d bytes, larger than the buffer of %d bytes.\n", name,
                        length, static_cast<int>(std::min<size_t>(capacity, std::numeric_limits<int32_t>::max())));
        close(stream);
        KZReport::warning("FileManager::load: failed to load '%s'.\n", name);
        return 0;
    }
    const size_t loaded = read(*buffer, 1, static_cast<size_t>(length), stream);
    if (loaded != static_cast<size_t>(length)) {
        close(stream);
        if (allocated) {
            MemoryManager::FreeMem(*buffer);
            *buffer = nullptr;
        }
        KZReport::fatal("FileManager::load: file '%s'. loaded(%d) != len(%d)\n", name, static_cast<int>(loaded),
                        length);
    }
    close(stream);
    return length;
}

void reportOpenFiles()
{
    KZReport::message("FileManager::reportOpenFiles:\n");
    KZReport::message(" open timesOpened         size numreads            givenName actualName\n");
    for (const auto& record : state().openFiles)
        KZReport::message(record.isOpen() ? "  yes %11d %12d %8d %20s %s\n" : "   no %11d %12d %8d %20s %s\n",
                          record.timesOpened, record.size, record.numReads, record.givenName.c_str(),
                          record.actualName.c_str());
}

OpenFileInfo openFileInfo(const char* givenName)
{
    OpenFileInfo info;
    if (const OpenFileRecord* record = recordNamed(givenName)) {
        info.found = true;
        info.open = record->isOpen();
        info.timesOpened = record->timesOpened;
        info.size = record->size;
        info.numReads = record->numReads;
        info.openStreams = static_cast<int>(record->streams.size());
        info.actualName = record->actualName.c_str();
    }
    return info;
}

int numSearchPaths()
{
    return static_cast<int>(state().searchPaths.size());
}

const char* searchPath(int index)
{
    if (index < 0 || index >= numSearchPaths())
        return nullptr;
    return state().searchPaths[static_cast<size_t>(index)].c_str();
}

} // namespace FileManager
