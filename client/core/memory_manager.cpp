/** @file MemoryManager: checked raw allocation and validation of object pointers. */
#include "client/core/memory_manager.h"

#include "client/core/kz_report.h"

#include <cstdlib>

namespace MemoryManager {

namespace {
bool started = false;
}

void start()
{
    KZReport::message("MemoryManager::start\n");
    if (!started) {
        started = true;
        KZReport::message("MemoryManager::started\n");
    }
}

void shutdown()
{
    KZReport::message("MemoryManager::shutdown: stopping...\n");
    if (started) {
        KZReport::message("MemoryManager::report:\n");
        KZReport::message(" MemoryManager__OVERLOAD_GLOBAL_NEW_AND_DELETE not defined. nothing to report.\n");
        started = false;
        KZReport::message("MemoryManager::stopped.\n");
    }
}

bool isStarted()
{
    return started;
}

void* GetMem(int32_t size, const char*)
{
    if (size <= 0)
        KZReport::error("MemoryManager::GetMem: size <= 0\n");
    // A negative size would reach the heap as an enormous request that cannot be met; it is
    // refused here with the same outcome instead of being handed over.
    void* block = size >= 0 ? std::malloc(static_cast<size_t>(size)) : nullptr;
    if (block == nullptr)
        KZReport::fatal("MemoryManager::GetMem: m == 0\n");
    return block;
}

void FreeMem(void* block)
{
    if (block == nullptr || isFreedMarker(block))
        return;
    std::free(block);
}

bool validateRawPointer(const void* pointer, uint32_t validationCode, const char* sourceFile, int line)
{
    if (sourceFile == nullptr)
        sourceFile = "";
    if (pointer == nullptr) {
        KZReport::warning("MemoryManager::validateRawPointer: p == 0, from file '%s', line '%d'\n", sourceFile, line);
        return false;
    }
    if (isFreedMarker(pointer)) {
        KZReport::warning("MemoryManager::validateRawPointer: p == 0xdddddddd, from file '%s', line '%d'\n",
                          sourceFile, line);
        return false;
    }
    if (validationCode != VALID_OBJECT_BIT_PATTERN) {
        KZReport::warning("MemoryManager::validateRawPointer: validation_code != "
                          "MemoryManager::VALID_OBJECT_BIT_PATTERN, from file '%s', line '%d'\n",
                          sourceFile, line);
        return false;
    }
    return true;
}

} // namespace MemoryManager
