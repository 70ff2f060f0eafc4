/** @file Named single-instance objects shared between processes, held as locks on files. */
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

/**
 * A named object that one process at a time can hold: a lock on a file named after it in the
 * runtime folder (runtimeDirectory()). The lock is released when the object dies or the holder
 * process ends, however it ends. The lock files themselves are left in place.
 */
class NamedInstance {
public:
    /**
     * Takes the name when it is free. When another holder has it, sets *alreadyExisted (when
     * given) to true and still returns an object, one that does not hold the name. nullptr only
     * when the lock file cannot be made at all.
     */
    static std::unique_ptr<NamedInstance> create(std::string_view name, bool* alreadyExisted);
    /** True when some holder (another process, or another object here) has the name. */
    static bool exists(std::string_view name);
    /** The lock file path used for a name (names are escaped into a safe file name). */
    static std::string lockFilePath(std::string_view name);

    ~NamedInstance();
    NamedInstance(const NamedInstance&) = delete;
    NamedInstance& operator=(const NamedInstance&) = delete;

    bool holdsName() const { return fd_ >= 0; }
    const std::string& name() const { return name_; }

private:
    NamedInstance(std::string name, int fd) : name_(std::move(name)), fd_(fd) {}

    std::string name_;
    int fd_; // open and locked while held; -1 otherwise
};

/**
 * Folder of the lock files: $KZ_RUNTIME_DIR, else $XDG_RUNTIME_DIR/kz, else /tmp/kz-<uid>.
 * Not created here.
 */
std::string runtimeDirectory();

} // namespace platform
