/** @file Writes a small install the client can start on: the install folder and a key store pointing at it. */
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sampleinstall {

/** The folders of one sample install under its root. */
struct Layout {
    explicit Layout(const std::filesystem::path& root);

    std::filesystem::path root;
    std::filesystem::path install; // root/install: the client's folder and working directory
    std::filesystem::path config;  // root/config: KZ_CONFIG_HOME, holding registry.ini
    std::filesystem::path run;     // root/run: KZ_RUNTIME_DIR
};

/**
 * Writes every file group below. Returns false, with a reason in error, when one of them
 * cannot be written.
 */
bool writeSampleInstall(const Layout& layout, std::string& error);

/**
 * Writes a whole file (created or truncated). Returns false, with "cannot write <path>" in
 * error, when it cannot be opened or when any byte fails to reach it (a full disk).
 */
bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes, std::string& error);
bool writeWholeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string& error);

// One function per file group, so that new groups (data files, fonts, ...) are added beside
// these and called from writeSampleInstall.

/** The install folder with its tutorial folder. */
bool writeInstallFolders(const Layout& layout, std::string& error);
/** registry.ini with the install key: ExePath = <install>/client, no CD path. */
bool writeKeyStore(const Layout& layout, std::string& error);

} // namespace sampleinstall
