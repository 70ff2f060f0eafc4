/** @file A hierarchical store of named, typed values that stands in for the system registry. */
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

/**
 * Keys are paths of names separated by "\\", for example
 * "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Worlds Vevovo\\Tavorn Vevovo\\1.0"; empty components
 * (a leading, trailing or doubled "\\") are ignored. Key and value names compare ignoring ASCII
 * case and keep the case in which they were first written. Writing a value or creating a key
 * creates the missing parent keys. A value has one type (string, binary or 32-bit integer);
 * reading it as another type finds nothing. Every operation is safe to call from any thread.
 */
class KeyStore {
public:
    virtual ~KeyStore() = default;
    virtual std::optional<std::string> getString(std::string_view key, std::string_view name) = 0;
    virtual std::optional<std::vector<uint8_t>> getBinary(std::string_view key, std::string_view name) = 0;
    virtual std::optional<uint32_t> getUInt32(std::string_view key, std::string_view name) = 0;
    /** Sets the value, replacing one of any type with that name; false when it cannot be stored. */
    virtual bool setString(std::string_view key, std::string_view name, std::string_view value) = 0;
    virtual bool setBinary(std::string_view key, std::string_view name, std::span<const uint8_t> value) = 0;
    virtual bool setUInt32(std::string_view key, std::string_view name, uint32_t value) = 0;
    /** False when there was no such value (or it could not be stored). */
    virtual bool removeValue(std::string_view key, std::string_view name) = 0;
    /** Removes the key with all its values and subkeys; false when there was no such key. */
    virtual bool removeKey(std::string_view key) = 0;
    virtual bool keyExists(std::string_view key) = 0;
    /** Creates the key (and its parents); true when it exists afterwards. */
    virtual bool createKey(std::string_view key) = 0;
    /** Names of the direct subkeys, sorted ignoring case. */
    virtual std::vector<std::string> subKeys(std::string_view key) = 0;
    /** Names of the key's values in the order they were first written. */
    virtual std::vector<std::string> valueNames(std::string_view key) = 0;
    /** False for stores that keep nothing beyond the process (tests). */
    virtual bool isPersistent() const = 0;
};

/** The contents of a store: keys with their values. Shared by the file and memory stores. */
class KeyTree {
public:
    enum class Type : uint8_t { String, Binary, UInt32 };
    struct Value {
        std::string name;
        Type type;
        std::vector<uint8_t> data; // string bytes, binary bytes, or 4 bytes little-endian
    };
    struct Key {
        std::string path; // components joined with "\\", in first-written case
        std::vector<Value> values;
    };

    /** The key, or nullptr. */
    const Key* find(std::string_view key) const;
    const Value* findValue(std::string_view key, std::string_view name) const;
    /** The deepest key path there may be; a deeper one is refused (create gives nullptr). */
    static constexpr size_t kMaxDepth = 64;

    /** Finds or creates the key and its parents; nullptr for an empty path or one deeper than kMaxDepth. */
    Key* create(std::string_view key);
    /** Sets a value, creating the key; false for an empty key path or one too deep. */
    bool setValue(std::string_view key, std::string_view name, Type type, std::vector<uint8_t> data);
    bool removeValue(std::string_view key, std::string_view name);
    bool removeKey(std::string_view key);
    std::vector<std::string> subKeys(std::string_view key) const;
    /** Every key, ordered so that a parent comes before its children. */
    std::vector<const Key*> keys() const;

    /** The text form written to the store file. */
    std::string serialize() const;
    /** Reads the text form; lines that cannot be understood are skipped. */
    static KeyTree parse(std::string_view text);

private:
    static void setValueOf(Key& key, std::string_view name, Type type, std::vector<uint8_t> data);

    std::map<std::string, Key, std::less<>> keys_; // by path with names folded to lower case
};

/**
 * The store kept in one text file, shared by every program of the user: each operation reads
 * the file again, and each change is made under a lock on a side file (path + ".lock") and
 * written as a whole new file that replaces the old one, so readers never see half a file.
 * A missing file is an empty store; the file and its folder are created by the first change.
 */
class FileKeyStore final : public KeyStore {
public:
    explicit FileKeyStore(std::string path);

    std::optional<std::string> getString(std::string_view key, std::string_view name) override;
    std::optional<std::vector<uint8_t>> getBinary(std::string_view key, std::string_view name) override;
    std::optional<uint32_t> getUInt32(std::string_view key, std::string_view name) override;
    bool setString(std::string_view key, std::string_view name, std::string_view value) override;
    bool setBinary(std::string_view key, std::string_view name, std::span<const uint8_t> value) override;
    bool setUInt32(std::string_view key, std::string_view name, uint32_t value) override;
    bool removeValue(std::string_view key, std::string_view name) override;
    bool removeKey(std::string_view key) override;
    bool keyExists(std::string_view key) override;
    bool createKey(std::string_view key) override;
    std::vector<std::string> subKeys(std::string_view key) override;
    std::vector<std::string> valueNames(std::string_view key) override;
    bool isPersistent() const override { return true; }

    const std::string& path() const { return path_; }

private:
    KeyTree load() const;
    template <typename Change> bool change(Change&& apply);

    std::string path_;
};

/** The store kept in memory only. */
class MemoryKeyStore final : public KeyStore {
public:
    std::optional<std::string> getString(std::string_view key, std::string_view name) override;
    std::optional<std::vector<uint8_t>> getBinary(std::string_view key, std::string_view name) override;
    std::optional<uint32_t> getUInt32(std::string_view key, std::string_view name) override;
    bool setString(std::string_view key, std::string_view name, std::string_view value) override;
    bool setBinary(std::string_view key, std::string_view name, std::span<const uint8_t> value) override;
    bool setUInt32(std::string_view key, std::string_view name, uint32_t value) override;
    bool removeValue(std::string_view key, std::string_view name) override;
    bool removeKey(std::string_view key) override;
    bool keyExists(std::string_view key) override;
    bool createKey(std::string_view key) override;
    std::vector<std::string> subKeys(std::string_view key) override;
    std::vector<std::string> valueNames(std::string_view key) override;
    bool isPersistent() const override { return false; }

private:
    std::mutex mutex_;
    KeyTree tree_;
};

/**
 * Where the user's store file lives: $KZ_CONFIG_HOME/registry.ini, else
 * $XDG_CONFIG_HOME/kz/registry.ini, else $HOME/.config/kz/registry.ini (empty variables count as
 * unset).
 */
std::string defaultKeyStorePath();

} // namespace platform
