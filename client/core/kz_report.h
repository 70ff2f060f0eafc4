/** @file The report log: fatal, error, warning, message and plain reports, and the debug outputs. */
#pragma once

#include <cstdarg>
#include <cstdint>

// Every part of the client reports through these functions with a printf-style format.
// Only a fatal report reaches the user: it shows a message box and ends the process with
// exit code 1. The other severities are written to the report log file.
namespace KZReport {

void start();
void stop();

[[noreturn]] void fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
void error(const char* format, ...) __attribute__((format(printf, 1, 2)));
void warning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void message(const char* format, ...) __attribute__((format(printf, 1, 2)));
void print(const char* format, ...) __attribute__((format(printf, 1, 2)));

/** Formats and writes one report; the severity flags are those of the calling function. */
void outputText(const char* caption, const char* format, va_list args);

/** 0 for the first client on the machine, 1 for a later one. */
int32_t getInstanceNumber();

} // namespace KZReport

/** One line "file(line): text" to the debugger trace output. */
void DebugTrace(const char* sourceFile, int line, const char* text);
