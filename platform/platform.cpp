/** @file The process-wide platform accessor and the real and null bundles. */
#include "platform/platform.h"

#include <atomic>

namespace platform {

namespace {

std::atomic<Platform*>& installed()
{
    static std::atomic<Platform*> platform{nullptr};
    return platform;
}

Platform& defaultPlatform()
{
    // Created on first use and never destroyed, so late users during exit still find it.
    static OwnedPlatform* owned = makeRealPlatform().release();
    return owned->platform();
}

} // namespace

Platform& current()
{
    Platform* platform = installed().load();
    return platform ? *platform : defaultPlatform();
}

void setCurrent(Platform* platform)
{
    installed().store(platform);
}

OwnedPlatform::OwnedPlatform(std::unique_ptr<Clock> clock, std::unique_ptr<KeyStore> keyStore,
                             std::unique_ptr<ProcessLauncher> processes, std::unique_ptr<SystemInfo> systemInfo)
    : clock_(std::move(clock)), keyStore_(std::move(keyStore)), processes_(std::move(processes)),
      systemInfo_(std::move(systemInfo)),
      platform_{clock_.get(), keyStore_.get(), processes_.get(), systemInfo_.get()}
{
}

std::unique_ptr<OwnedPlatform> makeRealPlatform()
{
    return std::make_unique<OwnedPlatform>(std::make_unique<SystemClock>(),
                                           std::make_unique<FileKeyStore>(defaultKeyStorePath()),
                                           std::make_unique<PosixProcessLauncher>(),
                                           std::make_unique<LinuxSystemInfo>());
}

std::unique_ptr<OwnedPlatform> makeNullPlatform()
{
    return std::make_unique<OwnedPlatform>(std::make_unique<ManualClock>(), std::make_unique<MemoryKeyStore>(),
                                           std::make_unique<FakeProcessLauncher>(),
                                           std::make_unique<FakeSystemInfo>());
}

ScopedPlatform::ScopedPlatform()
    : platform_{&clock_, &keyStore_, &processes_, &systemInfo_}, previous_(installed().exchange(&platform_))
{
}

ScopedPlatform::~ScopedPlatform()
{
    installed().store(previous_);
}

} // namespace platform
