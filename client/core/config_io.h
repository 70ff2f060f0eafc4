/** @file Where the client's own files live, and whole-file reads and safe replacements of them. */
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The configuration files, the player-side lists and the Desktop tree live in one folder: the
// install folder of the file manager unless another one was set (tests set a temporary one).
// Replacing a file always goes through a temporary file renamed over the original, so a failed
// or interrupted write leaves the old content whole.

/** Uses folder (with or without a trailing separator) instead of the install folder; empty resets. */
void SetConfigFolder(std::string_view folder);
/** Full path of a name relative to the configuration folder ("\\" separators are accepted). */
std::string ConfigFilePath(std::string_view name);
/** True when the file exists and can be read. */
bool ConfigFileReadable(std::string_view name);
/** The whole file, or nullopt when it cannot be read. */
std::optional<std::string> ReadConfigFileBytes(std::string_view name);
/** Replaces (or creates) the file with bytes; false leaves any old file untouched. */
bool ReplaceConfigFileBytes(std::string_view name, std::string_view bytes);
/** True when the folder part of the name exists, i.e. the file could be created. */
bool ConfigFileFolderExists(std::string_view name);
