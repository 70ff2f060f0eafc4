/** @file Named single-instance objects held as file locks. */
#include "platform/instance/named_instance.h"

namespace platform {

std::unique_ptr<NamedInstance> NamedInstance::create(std::string_view, bool*) { return nullptr; }
bool NamedInstance::exists(std::string_view) { return false; }
std::string NamedInstance::lockFilePath(std::string_view) { return {}; }
NamedInstance::~NamedInstance() {}
std::string runtimeDirectory() { return {}; }

} // namespace platform
