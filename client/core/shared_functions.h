/** @file Small functions shared across the client: case-insensitive search, tick difference, object pointer checks. */
#pragma once

#include <cstdint>

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
