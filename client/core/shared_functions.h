/** @file Small functions shared across the client: case-insensitive search, tick difference, object pointer checks, full-screen leaving and 8-bit speech. */
#pragma once

#include "client/core/unicode_string.h"

#include <cstdint>
#include <functional>
#include <string>

/**
 * Index of the leftmost occurrence of the pattern in the text, comparing with A-Z folded to
 * a-z, or -1. An empty pattern matches at 0; a null pattern or text never matches.
 */
int32_t FindSubstringNoCase(const char* pattern, const char* text);

/**
 * Milliseconds from `then` to `now`: now - then, or 0xFFFFFFFF - then + now when the
 * counter wrapped (then > now). The wrapped case is one less than plain modular
 * subtraction; the main loop's frame pacing is tuned to it.
 */
uint32_t TickDifference(uint32_t now, uint32_t then);

/**
 * A one-word object the start-up sequence creates first and destroys at exit: the head of a
 * singly linked node list, empty at construction; destruction frees any nodes.
 */
class CLifetimeGuard {
public:
    CLifetimeGuard() = default;
    ~CLifetimeGuard();
    CLifetimeGuard(const CLifetimeGuard&) = delete;
    CLifetimeGuard& operator=(const CLifetimeGuard&) = delete;

private:
    struct Node {
        Node* next;
    };
    Node* head_ = nullptr;
};

/**
 * True when the pointer is neither null nor the freed-pointer marker 0xDDDDDDDD. Only the
 * pointer value is examined; the object behind it is never read.
 */
bool IsValidObjectPointer(const void* pointer);

/** Always false: the privileged branches of its callers never run in this client. */
bool IsGodClient();

/** Does nothing; the default callback of gumps that take a (context, value) handler. */
void EmptyHandler(void* context, int32_t value);

/**
 * What the full-screen and speech functions below call in subsystems built above the core: the
 * renderer's whole-view redraw, the Unicode speech packet sender and the game screen's system
 * text line. Each is installed by its subsystem at start-up and skipped while it is empty.
 */
struct SharedFunctionHooks {
    std::function<void()> redrawAll;
    /** Sends `length` units of 16-bit speech in the mode (emote, whisper, yell, ...). */
    std::function<void(const WideChar* text, int32_t length, int mode)> sendUnicodeSpeech;
    std::function<void(const std::string& text)> showSystemText;
};
SharedFunctionHooks& sharedFunctionHooks();

/**
 * Before a web page or another program takes the screen: when the client runs full screen,
 * asks the main window to switch to a window, resets the view scroll and redraws the view.
 */
void LeaveFullScreen();
/** The same switch, reset and redraw when the flag differs from the present full-screen state. */
void SetFullScreen(int flag);

/** Widens `length` bytes of 8-bit text and sends them as Unicode speech, without the rate check. */
void SendAsciiSpeech(const char* text, int32_t length, int mode);
/**
 * Sends as SendAsciiSpeech and counts the length against the speech rate limit while it
 * allows more; otherwise shows the queued-speech notice and holds the line back for the game
 * tick (its numbers are the length and the mode).
 */
void SendSpeechRateLimited(const char* text, int32_t length, int mode);
