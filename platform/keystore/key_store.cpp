/** @file The memory and file key stores over the key tree. */
#include "platform/keystore/key_store.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/fs/path.h"

namespace platform {

namespace {

using Type = KeyTree::Type;

std::optional<std::string> stringOf(const KeyTree& tree, std::string_view key, std::string_view name)
{
    const KeyTree::Value* v = tree.findValue(key, name);
    if (!v || v->type != Type::String)
        return std::nullopt;
    return std::string(v->data.begin(), v->data.end());
}

std::optional<std::vector<uint8_t>> binaryOf(const KeyTree& tree, std::string_view key, std::string_view name)
{
    const KeyTree::Value* v = tree.findValue(key, name);
    if (!v || v->type != Type::Binary)
        return std::nullopt;
    return v->data;
}

std::optional<uint32_t> uint32Of(const KeyTree& tree, std::string_view key, std::string_view name)
{
    const KeyTree::Value* v = tree.findValue(key, name);
    if (!v || v->type != Type::UInt32 || v->data.size() != 4)
        return std::nullopt;
    return uint32_t{v->data[0]} | uint32_t{v->data[1]} << 8 | uint32_t{v->data[2]} << 16 |
           uint32_t{v->data[3]} << 24;
}

std::vector<uint8_t> bytesOf(std::string_view s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> bytesOf(uint32_t v)
{
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

std::vector<std::string> valueNamesOf(const KeyTree& tree, std::string_view key)
{
    std::vector<std::string> names;
    if (const KeyTree::Key* k = tree.find(key))
        for (const auto& v : k->values)
            names.push_back(v.name);
    return names;
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string withSlash(std::string dir)
{
    if (!dir.empty() && dir.back() != '/')
        dir.push_back('/');
    return dir;
}

/** The result of a change: what the operation answers, and whether the tree must be written. */
struct Outcome {
    bool result;
    bool modified;
};

} // namespace

// ---- MemoryKeyStore ----------------------------------------------------------------------

std::optional<std::string> MemoryKeyStore::getString(std::string_view key, std::string_view name)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return stringOf(tree_, key, name);
}

std::optional<std::vector<uint8_t>> MemoryKeyStore::getBinary(std::string_view key, std::string_view name)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return binaryOf(tree_, key, name);
}

std::optional<uint32_t> MemoryKeyStore::getUInt32(std::string_view key, std::string_view name)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return uint32Of(tree_, key, name);
}

bool MemoryKeyStore::setString(std::string_view key, std::string_view name, std::string_view value)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return tree_.setValue(key, name, Type::String, bytesOf(value));
}

bool MemoryKeyStore::setBinary(std::string_view key, std::string_view name, std::span<const uint8_t> value)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return tree_.setValue(key, name, Type::Binary, std::vector<uint8_t>(value.begin(), value.end()));
}

bool MemoryKeyStore::setUInt32(std::string_view key, std::string_view name, uint32_t value)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return tree_.setValue(key, name, Type::UInt32, bytesOf(value));
}

bool MemoryKeyStore::removeValue(std::string_view key, std::string_view name)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return tree_.removeValue(key, name);
}

bool MemoryKeyStore::removeKey(std::string_view key)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return tree_.removeKey(key);
}

bool MemoryKeyStore::keyExists(std::string_view key)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return tree_.find(key) != nullptr;
}

bool MemoryKeyStore::createKey(std::string_view key)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return tree_.create(key) != nullptr;
}

std::vector<std::string> MemoryKeyStore::subKeys(std::string_view key)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return tree_.subKeys(key);
}

std::vector<std::string> MemoryKeyStore::valueNames(std::string_view key)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return valueNamesOf(tree_, key);
}

// ---- FileKeyStore ------------------------------------------------------------------------

FileKeyStore::FileKeyStore(std::string path) : path_(std::move(path)) {}

KeyTree FileKeyStore::load() const
{
    // Changes replace the whole file at once, so a reader needs no lock to see a consistent tree.
    auto bytes = readWholeFile(path_);
    if (!bytes)
        return KeyTree();
    return KeyTree::parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

template <typename Change> bool FileKeyStore::change(Change&& apply)
{
    const std::string normal = normalizeSeparators(path_);
    const size_t slash = normal.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeDirectories(normal.substr(0, slash)))
        return false;

    // The side file serialises the read-change-write cycles of every program and thread.
    const std::string lockPath = normal + ".lock";
    const int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0)
        return false;
    int locked;
    do {
        locked = ::flock(lockFd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        ::close(lockFd);
        return false;
    }

    bool result = false;
    auto bytes = readWholeFile(normal);
    if (bytes || !fileExists(normal)) { // a file that exists but cannot be read must not be overwritten
        KeyTree tree = bytes ? KeyTree::parse(std::string_view(reinterpret_cast<const char*>(bytes->data()),
                                                               bytes->size()))
                             : KeyTree();
        const Outcome outcome = apply(tree);
        result = outcome.result;
        if (outcome.modified) {
            const std::string text = tree.serialize();
            // The launcher keeps its accounts' (scrambled) passwords here: a new store is
            // readable by its owner only.
            if (!replaceFileAtomically(normal,
                                       std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()),
                                                                text.size()),
                                       0600))
                result = false;
        }
    }
    ::close(lockFd); // releases the lock
    return result;
}

std::optional<std::string> FileKeyStore::getString(std::string_view key, std::string_view name)
{
    return stringOf(load(), key, name);
}

std::optional<std::vector<uint8_t>> FileKeyStore::getBinary(std::string_view key, std::string_view name)
{
    return binaryOf(load(), key, name);
}

std::optional<uint32_t> FileKeyStore::getUInt32(std::string_view key, std::string_view name)
{
    return uint32Of(load(), key, name);
}

bool FileKeyStore::setString(std::string_view key, std::string_view name, std::string_view value)
{
    return change([&](KeyTree& tree) {
        const bool ok = tree.setValue(key, name, Type::String, bytesOf(value));
        return Outcome{ok, ok};
    });
}

bool FileKeyStore::setBinary(std::string_view key, std::string_view name, std::span<const uint8_t> value)
{
    return change([&](KeyTree& tree) {
        const bool ok = tree.setValue(key, name, Type::Binary, std::vector<uint8_t>(value.begin(), value.end()));
        return Outcome{ok, ok};
    });
}

bool FileKeyStore::setUInt32(std::string_view key, std::string_view name, uint32_t value)
{
    return change([&](KeyTree& tree) {
        const bool ok = tree.setValue(key, name, Type::UInt32, bytesOf(value));
        return Outcome{ok, ok};
    });
}

bool FileKeyStore::removeValue(std::string_view key, std::string_view name)
{
    return change([&](KeyTree& tree) {
        const bool ok = tree.removeValue(key, name);
        return Outcome{ok, ok};
    });
}

bool FileKeyStore::removeKey(std::string_view key)
{
    return change([&](KeyTree& tree) {
        const bool ok = tree.removeKey(key);
        return Outcome{ok, ok};
    });
}

bool FileKeyStore::keyExists(std::string_view key)
{
    return load().find(key) != nullptr;
}

bool FileKeyStore::createKey(std::string_view key)
{
    if (keyExists(key))
        return true;
    return change([&](KeyTree& tree) {
        const bool existed = tree.find(key) != nullptr;
        const bool ok = tree.create(key) != nullptr;
        return Outcome{ok, ok && !existed};
    });
}

std::vector<std::string> FileKeyStore::subKeys(std::string_view key)
{
    return load().subKeys(key);
}

std::vector<std::string> FileKeyStore::valueNames(std::string_view key)
{
    return valueNamesOf(load(), key);
}

std::string defaultKeyStorePath()
{
    std::string dir = environment("KZ_CONFIG_HOME");
    if (!dir.empty())
        return withSlash(dir) + "registry.ini";
    dir = environment("XDG_CONFIG_HOME");
    if (!dir.empty())
        return withSlash(dir) + "kz/registry.ini";
    return withSlash(environment("HOME")) + ".config/kz/registry.ini";
}

} // namespace platform
