/** @file The platform bundle: one reference per window-less facility, real or null, and the process-wide accessor. */
#pragma once

#include <memory>

#include "platform/clock/clock.h"
#include "platform/keystore/key_store.h"
#include "platform/process/process.h"
#include "platform/system/system_info.h"

namespace platform {

/** References to the facilities; whoever installs it keeps them alive while it is installed. */
struct Platform {
    Clock* clock = nullptr;
    KeyStore* keyStore = nullptr;
    ProcessLauncher* processes = nullptr;
    SystemInfo* systemInfo = nullptr;
};

/**
 * The platform installed with setCurrent(); before any (or after setCurrent(nullptr)), a real
 * platform created on first use and kept for the life of the process. Any thread may call it;
 * installing is done at start-up or by tests while no other thread uses it.
 */
Platform& current();
/** Installs a platform (not owned); nullptr goes back to the default real one. */
void setCurrent(Platform* platform);

/** Owns a set of facilities and the Platform that refers to them. */
class OwnedPlatform {
public:
    OwnedPlatform(std::unique_ptr<Clock> clock, std::unique_ptr<KeyStore> keyStore,
                  std::unique_ptr<ProcessLauncher> processes, std::unique_ptr<SystemInfo> systemInfo);
    OwnedPlatform(const OwnedPlatform&) = delete;
    OwnedPlatform& operator=(const OwnedPlatform&) = delete;

    Platform& platform() { return platform_; }

private:
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<KeyStore> keyStore_;
    std::unique_ptr<ProcessLauncher> processes_;
    std::unique_ptr<SystemInfo> systemInfo_;
    Platform platform_;
};

/** SystemClock, FileKeyStore at defaultKeyStorePath(), PosixProcessLauncher, LinuxSystemInfo. */
std::unique_ptr<OwnedPlatform> makeRealPlatform();
/** ManualClock, MemoryKeyStore, FakeProcessLauncher, FakeSystemInfo: touches nothing outside. */
std::unique_ptr<OwnedPlatform> makeNullPlatform();

/** Installs null twins as the current platform for its lifetime, then restores the previous one. */
class ScopedPlatform {
public:
    ScopedPlatform();
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

    Platform& platform() { return platform_; }
    ManualClock& clock() { return clock_; }
    MemoryKeyStore& keyStore() { return keyStore_; }
    FakeProcessLauncher& processes() { return processes_; }
    FakeSystemInfo& systemInfo() { return systemInfo_; }

private:
    ManualClock clock_;
    MemoryKeyStore keyStore_;
    FakeProcessLauncher processes_;
    FakeSystemInfo systemInfo_;
    Platform platform_;
    Platform* previous_;
};

} // namespace platform
