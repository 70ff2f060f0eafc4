/** @file Tests of MemoryManager: start and shutdown lines, checked allocation and pointer validation. */
#include "client/core/memory_manager.h"

#include "tests/core/report_sandbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

using testsupport::exitCodeOf;
using testsupport::ReportSandbox;

namespace {

/** Text of the log after the lines the report log writes about its own start. */
std::string reportsAfterStart(const ReportSandbox& sandbox)
{
    const std::string log = sandbox.read("KZReport0.log");
    const std::string mark = "KZReport: started.\n";
    const size_t at = log.find(mark);
    return at == std::string::npos ? log : log.substr(at + mark.size());
}

/** An object of the kind the client validates: its destructor changes the validity word. */
struct Tracked {
    Tracked() : validationCode(MemoryManager::VALID_OBJECT_BIT_PATTERN) {}
    ~Tracked() { validationCode = 0; }
    uint32_t validationCode;
};

} // namespace

TEST(MemoryManager, StartOnceAndShutdownReport)
{
    ReportSandbox sandbox;
    KZReport::start();
    MemoryManager::start();
    MemoryManager::start();
    EXPECT_TRUE(MemoryManager::isStarted());
    MemoryManager::shutdown();
    MemoryManager::shutdown();
    EXPECT_FALSE(MemoryManager::isStarted());
    EXPECT_EQ(reportsAfterStart(sandbox),
              "KZReport::message: MemoryManager::start\n"
              "KZReport::message: MemoryManager::started\n"
              "KZReport::message: MemoryManager::start\n"
              "KZReport::message: MemoryManager::shutdown: stopping...\n"
              "KZReport::message: MemoryManager::report:\n"
              "KZReport::message:  MemoryManager__OVERLOAD_GLOBAL_NEW_AND_DELETE not defined. nothing to report.\n"
              "KZReport::message: MemoryManager::stopped.\n"
              "KZReport::message: MemoryManager::shutdown: stopping...\n");
}

TEST(MemoryManager, GetMemGivesAWritableBlockThatFreeMemReleases)
{
    ReportSandbox sandbox;
    KZReport::start();
    auto* block = static_cast<unsigned char*>(MemoryManager::GetMem(64, "test frame"));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xAB, 64);
    MemoryManager::FreeMem(block);
    EXPECT_EQ(reportsAfterStart(sandbox), "");
}

TEST(MemoryManager, GetMemOfZeroReportsTheSizeAndStillAllocates)
{
    ReportSandbox sandbox;
    KZReport::start();
    void* block = MemoryManager::GetMem(0);
    EXPECT_NE(block, nullptr);
    MemoryManager::FreeMem(block);
    EXPECT_EQ(reportsAfterStart(sandbox), "KZReport::error: MemoryManager::GetMem: size <= 0\n");
}

TEST(MemoryManager, GetMemOfNegativeSizeIsFatal)
{
    ReportSandbox sandbox;
    KZReport::start();
    EXPECT_EQ(exitCodeOf([] { MemoryManager::GetMem(-5); }), 1);
    EXPECT_EQ(reportsAfterStart(sandbox),
              "KZReport::error: MemoryManager::GetMem: size <= 0\n"
              "KZReport::fatal: MemoryManager::GetMem: m == 0\n");
    ASSERT_EQ(sandbox.boxes().count(), 1u);
}

TEST(MemoryManager, FreeMemIgnoresNullAndTheFreedMarkerRepeatedly)
{
    ReportSandbox sandbox;
    for (int i = 0; i < 2; ++i) {
        MemoryManager::FreeMem(nullptr);
        MemoryManager::FreeMem(MemoryManager::freedPointer());
    }
    EXPECT_FALSE(sandbox.exists("KZReport0.log"));
}

TEST(MemoryManager, ValidateRawPointerNamesTheCallersPlace)
{
    Tracked live;
    // Storage that stays allocated after the object in it is destroyed, so its validity word
    // can be read without touching freed memory.
    alignas(Tracked) unsigned char storage[sizeof(Tracked)];
    Tracked* destroyed = new (storage) Tracked;
    destroyed->~Tracked();
    uint32_t destroyedCode;
    std::memcpy(&destroyedCode, storage, sizeof destroyedCode);

    struct Row {
        const char* name;
        const void* pointer;
        uint32_t code;
        bool valid;
        std::string warning;
    };
    const Row rows[] = {
        {"null", nullptr, MemoryManager::VALID_OBJECT_BIT_PATTERN, false,
         "KZReport::warning: MemoryManager::validateRawPointer: p == 0, from file 'gump.cpp', line '42'\n"},
        {"freed marker", MemoryManager::freedPointer(), MemoryManager::VALID_OBJECT_BIT_PATTERN, false,
         "KZReport::warning: MemoryManager::validateRawPointer: p == 0xdddddddd, from file 'gump.cpp', line '42'\n"},
        {"destroyed object", storage, destroyedCode, false,
         "KZReport::warning: MemoryManager::validateRawPointer: validation_code != "
         "MemoryManager::VALID_OBJECT_BIT_PATTERN, from file 'gump.cpp', line '42'\n"},
        {"live object", &live, live.validationCode, true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ReportSandbox sandbox;
        KZReport::start();
        EXPECT_EQ(MemoryManager::validateRawPointer(row.pointer, row.code, "gump.cpp", 42), row.valid);
        EXPECT_EQ(reportsAfterStart(sandbox), row.warning);
    }
}
