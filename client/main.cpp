/** @file The client's entry point: starts the core services in their fixed order and ends through the exit list. */
#include "client/core/file_manager.h"
#include "client/core/hw_profile.h"
#include "client/core/kz_report.h"
#include "client/core/memory_manager.h"
#include "client/core/monochrome_monitor.h"

#include "platform/exit/exit.h"

// Each service is started and its shutdown registered at once, so the exit list stops the
// services in exactly the reverse order of their start. The client reads no arguments.
int main()
{
    KZReport::start();
    platform::atExit(KZReport::stop);
    KZReport::message("reached winmain!\n");

    MemoryManager::start();
    platform::atExit(MemoryManager::shutdown);

    MonochromeMonitor::startup();
    MonochromeMonitor::setMode(2);

    FileManager::startup();
    platform::atExit(FileManager::shutdown);

    CVersionManager::startup();
    platform::atExit(CVersionManager::shutdown);

    platform::exit(0);
}
