/** @file The report log and the debug trace line. */
#include "client/core/kz_report.h"

#include "client/core/monochrome_monitor.h"
#include "platform/exit/exit.h"
#include "platform/fs/path.h"
#include "platform/instance/named_instance.h"
#include "platform/message_box/message_box.h"

#include <cstdio>
#include <memory>
#include <mutex>

namespace KZReport {

namespace {

constexpr uint8_t kFlagsFatal = 0x3F;
constexpr uint8_t kFlagsError = 0x1F;
constexpr uint8_t kFlagsOther = 0x15;
// Only fatal carries both bits; such a report is shown to the user.
constexpr uint8_t kShowBox = 0x20 | 0x08;

constexpr size_t kBufferSize = 2048;

std::recursive_mutex lock;
bool started = false;
bool stopped = false;
bool restarted = false;
bool errataClosed = false;
// Set while start runs, so that a report made by start itself never starts again.
bool starting = false;
std::FILE* logFile = nullptr;
int32_t instanceNumber = 0;
char buffer[kBufferSize];
uint8_t flags = kFlagsOther;
std::unique_ptr<platform::NamedInstance> startupInstance;

void openLog(const char* name)
{
    // Emptied only when no other live client writes it (see platform::openLog).
    logFile = platform::openLog(name);
    if (logFile != nullptr)
        message("KZReport: created file '%s' for writing.\n", name);
    else
        warning("KZReport: cannot open file '%s' for writing.\n", name);
}

void closeLog()
{
    if (logFile != nullptr) {
        std::fclose(logFile);
        logFile = nullptr;
    }
}

void takeInstanceNumber()
{
    bool alreadyExisted = false;
    std::unique_ptr<platform::NamedInstance> instance =
        platform::NamedInstance::create("KZReport::startup", &alreadyExisted);
    if (instance == nullptr) {
        platform::showMessageBox("KZReport::startup:", "Cannot CreateMutex.", platform::BoxIcon::Error);
        return;
    }
    instanceNumber = alreadyExisted ? 1 : 0;
    // Held for the life of the process: a later client sees the name taken.
    startupInstance = std::move(instance);
}

/** Formats with the given flags; va_list overload shared by the severity functions. */
__attribute__((format(printf, 3, 0))) void report(uint8_t severity, const char* caption, const char* format,
                                                  va_list args)
{
    std::lock_guard guard(lock);
    flags = severity;
    outputText(caption, format, args);
}

} // namespace

void start()
{
    std::lock_guard guard(lock);
    struct StartingScope {
        StartingScope() { starting = true; }
        ~StartingScope() { starting = false; }
    } scope;
    char name[64];
    if (started && !stopped) {
        warning("KZReport::start: already started!\n");
    } else if (started && stopped && !restarted) {
        restarted = true;
        std::snprintf(name, sizeof name, "KZErrata%d.log", instanceNumber);
        warning("KZReport::start: already started & stopped! look in file '%s' for further information.\n", name);
        openLog(name);
    } else if (started && stopped) {
        // The errata log was already opened once; it is never opened again.
        warning("KZReport::start: already started!\n");
    } else if (stopped) {
        fatal("KZReport::start: !started && stopped => freak occurance!\n");
    } else {
        started = true;
        // The instance number names the log, so it is taken first: a second client must not
        // write over the log of the first.
        takeInstanceNumber();
        std::snprintf(name, sizeof name, "KZReport%d.log", instanceNumber);
        openLog(name);
        message("KZReport: starting up...\n");
    }
    MonochromeMonitor::startup();
    message("KZReport: started.\n");
}

void stop()
{
    std::lock_guard guard(lock);
    if (!started) {
        warning("KZReport::stop: not started!\n");
        return;
    }
    // After a restart the errata log is still open until the second stop closes it.
    if (stopped && (!restarted || errataClosed)) {
        warning("KZReport::stop: already stopped!\n");
        return;
    }
    message("KZReport: stopping...\n");
    closeLog();
    if (stopped)
        errataClosed = true;
    stopped = true;
}

void fatal(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    report(kFlagsFatal, "KZReport::fatal: ", format, args);
    va_end(args);
    // A fatal failure must not look like success to whatever started the client.
    platform::exit(1);
}

void error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    report(kFlagsError, "KZReport::error: ", format, args);
    va_end(args);
}

void warning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    report(kFlagsOther, "KZReport::warning: ", format, args);
    va_end(args);
}

void message(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    report(kFlagsOther, "KZReport::message: ", format, args);
    va_end(args);
}

void print(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    report(kFlagsOther, "", format, args);
    va_end(args);
}

void outputText(const char* caption, const char* format, va_list args)
{
    std::lock_guard guard(lock);
    if (caption == nullptr && format == nullptr)
        return;
    if (!starting && (!started || (stopped && !restarted))) {
        // Starting reports lines of its own; the caller's severity must survive them.
        const uint8_t callerFlags = flags;
        start();
        warning("KZReport::outputText: had to call 'start'\n");
        flags = callerFlags;
    }
    // The text goes to the log and, when the report is shown, to a message box: with neither
    // there is nothing to format (a client whose log could not be opened, the tests).
    const bool shown = (flags & kShowBox) == kShowBox;
    if (logFile == nullptr && !shown)
        return;
    buffer[0] = '\0';
    if (format != nullptr)
        std::vsnprintf(buffer, kBufferSize, format, args);
    if (caption == nullptr)
        caption = "";

    if (logFile != nullptr) {
        std::fputs(caption, logFile);
        std::fputs(buffer, logFile);
        std::fflush(logFile);
    }
    if (shown)
        platform::showMessageBox(caption, buffer, platform::BoxIcon::Error);
}

int32_t getInstanceNumber()
{
    std::lock_guard guard(lock);
    return instanceNumber;
}

void resetForTests()
{
    std::lock_guard guard(lock);
    closeLog();
    started = false;
    stopped = false;
    restarted = false;
    errataClosed = false;
    starting = false;
    instanceNumber = 0;
    flags = kFlagsOther;
    buffer[0] = '\0';
    startupInstance.reset();
}

void setStateForTests(bool isStarted, bool isStopped)
{
    std::lock_guard guard(lock);
    started = isStarted;
    stopped = isStopped;
}

} // namespace KZReport

void DebugTrace(const char* sourceFile, int line, const char* text)
{
    char trace[256];
    std::snprintf(trace, sizeof trace, "%s(%d): %s\n", sourceFile != nullptr ? sourceFile : "", line,
                  text != nullptr ? text : "");
    KZReport::print("%s", trace);
}
