/** @file The report log: fatal, error, warning, message and plain reports, and the debug outputs. */
#pragma once

#include <cstdarg>
#include <cstdint>

// Every part of the client reports through these functions with a printf-style format.
// Every report is written to the report log file "KZReport<instance>.log" in the working
// directory (caption, then text; flushed at once so a crash still leaves the log). Only a
// fatal report reaches the user: it shows a message box and ends the process with exit
// code 1 through platform::exit. Called from the main thread; a lock keeps a stray report
// from another thread from tearing the shared buffer.
namespace KZReport {

/** Opens the log (or, after stop, the errata log "KZErrata<instance>.log" once) and fixes the instance number. */
void start();
/** Closes the log; registered to run at exit. */
void stop();

[[noreturn]] void fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
void error(const char* format, ...) __attribute__((format(printf, 1, 2)));
void warning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void message(const char* format, ...) __attribute__((format(printf, 1, 2)));
void print(const char* format, ...) __attribute__((format(printf, 1, 2)));

/**
 * Formats and writes one report (at most 2047 characters); the severity flags are those of
 * the calling function. Starts reporting first when it is not running.
 */
void outputText(const char* caption, const char* format, va_list args) __attribute__((format(printf, 2, 0)));

/** 0 for the first client on the machine, 1 for a later one. */
int32_t getInstanceNumber();

/** Back to the state before the first start: closes the log and releases the instance name (tests). */
void resetForTests();
/** Forces the started and stopped flags, to reach states the normal sequence never produces (tests). */
void setStateForTests(bool started, bool stopped);

} // namespace KZReport

/** One line "file(line): text" (cut to 255 characters) to the report log as a plain report. */
void DebugTrace(const char* sourceFile, int line, const char* text);
