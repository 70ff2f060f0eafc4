/** @file MemoryManager: checked raw allocation and validation of object pointers before use. */
#pragma once

#include <cstdint>

// Objects of the client's main classes carry a validity word that their constructors set to
// VALID_OBJECT_BIT_PATTERN and their destructors change. Pointers to released objects are
// overwritten with FREED_POINTER_MARK by their holders. Both are checked by value only: the
// memory of a released object is never read.
namespace MemoryManager {

inline constexpr uint32_t VALID_OBJECT_BIT_PATTERN = 0xFEEDBEEF;
inline constexpr uintptr_t FREED_POINTER_MARK = 0xDDDDDDDD;

/** The marker value as a pointer, for holders that mark a released pointer. */
inline void* freedPointer()
{
    return reinterpret_cast<void*>(FREED_POINTER_MARK);
}

/** True when the pointer's value is the freed-pointer marker. */
inline bool isFreedMarker(const void* pointer)
{
    return reinterpret_cast<uintptr_t>(pointer) == FREED_POINTER_MARK;
}

void start();
void shutdown();

/**
 * An uninitialised block of `size` bytes owned by the caller (release with FreeMem). A size
 * of 0 or less is reported as an error; a request that cannot be met (a negative size or an
 * exhausted heap) is fatal. The tag names the block's purpose for the reader of the code.
 */
void* GetMem(int32_t size, const char* tag = nullptr);

/** Releases a block from GetMem; null and the freed-pointer marker are ignored. */
void FreeMem(void* block);

/**
 * True when the pointer is non-null, not the freed-pointer marker, and the validity word the
 * caller read from the object is VALID_OBJECT_BIT_PATTERN; otherwise logs a warning naming the
 * caller's file and line and returns false.
 */
bool validateRawPointer(const void* pointer, uint32_t validationCode, const char* sourceFile, int line);

/** True between start and shutdown. */
bool isStarted();

} // namespace MemoryManager
