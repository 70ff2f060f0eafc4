/** @file The key stores. */
#include "platform/keystore/key_store.h"

namespace platform {

FileKeyStore::FileKeyStore(std::string path) : path_(std::move(path)) {}
std::optional<std::string> FileKeyStore::getString(std::string_view, std::string_view) { return std::nullopt; }
std::optional<std::vector<uint8_t>> FileKeyStore::getBinary(std::string_view, std::string_view) { return std::nullopt; }
std::optional<uint32_t> FileKeyStore::getUInt32(std::string_view, std::string_view) { return std::nullopt; }
bool FileKeyStore::setString(std::string_view, std::string_view, std::string_view) { return false; }
bool FileKeyStore::setBinary(std::string_view, std::string_view, std::span<const uint8_t>) { return false; }
bool FileKeyStore::setUInt32(std::string_view, std::string_view, uint32_t) { return false; }
bool FileKeyStore::removeValue(std::string_view, std::string_view) { return false; }
bool FileKeyStore::removeKey(std::string_view) { return false; }
bool FileKeyStore::keyExists(std::string_view) { return false; }
bool FileKeyStore::createKey(std::string_view) { return false; }
std::vector<std::string> FileKeyStore::subKeys(std::string_view) { return {}; }
std::vector<std::string> FileKeyStore::valueNames(std::string_view) { return {}; }
std::optional<std::string> MemoryKeyStore::getString(std::string_view, std::string_view) { return std::nullopt; }
std::optional<std::vector<uint8_t>> MemoryKeyStore::getBinary(std::string_view, std::string_view) { return std::nullopt; }
std::optional<uint32_t> MemoryKeyStore::getUInt32(std::string_view, std::string_view) { return std::nullopt; }
bool MemoryKeyStore::setString(std::string_view, std::string_view, std::string_view) { return false; }
bool MemoryKeyStore::setBinary(std::string_view, std::string_view, std::span<const uint8_t>) { return false; }
bool MemoryKeyStore::setUInt32(std::string_view, std::string_view, uint32_t) { return false; }
bool MemoryKeyStore::removeValue(std::string_view, std::string_view) { return false; }
bool MemoryKeyStore::removeKey(std::string_view) { return false; }
bool MemoryKeyStore::keyExists(std::string_view) { return false; }
bool MemoryKeyStore::createKey(std::string_view) { return false; }
std::vector<std::string> MemoryKeyStore::subKeys(std::string_view) { return {}; }
std::vector<std::string> MemoryKeyStore::valueNames(std::string_view) { return {}; }
std::string defaultKeyStorePath() { return {}; }

} // namespace platform
