/** @file What the data readers take from the configuration and the install. */
#include "client/data/data_settings.h"

#include "platform/exit/exit.h"
#include "platform/fs/path.h"

#include <cstdio>

namespace kzdata {

namespace {

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty()) return "./" + name;
    if (folder.back() == '/' || folder.back() == '\\') return folder + name;
    return folder + "/" + name;
}

} // namespace

DataSettings& dataSettings()
{
    static DataSettings settings;
    return settings;
}

std::string DataPath(const std::string& name)
{
    return joinPath(dataSettings().hdPath, name);
}

std::string CdDataPath(const std::string& name)
{
    if (dataSettings().cdPath.empty()) return {};
    return joinPath(dataSettings().cdPath, name);
}

std::optional<std::vector<uint8_t>> ReadDataFile(const std::string& name)
{
    return platform::readWholeFile(DataPath(name));
}

void EndProgram(int code)
{
    platform::exitProcess(code);
}

} // namespace kzdata
