/** @file The typed-input line, the macro keys and the help request as the application core sees them. */
#pragma once

#include <cstdint>
#include <vector>

/** The single typed-input line at the bottom of the game screen. */
class CInputWindow {
public:
    /** True when the line took the key. */
    bool OnKeyDown(uint32_t virtualKey, uint32_t flags);
    void OnChar(uint16_t character);
    void ReplyToPrompt(int send, const char* text);
    /** True while a server prompt waits for its answer. */
    bool PromptOpen() const { return promptOpen_; }

    /** The characters typed so far, for tests. */
    const std::vector<uint16_t>& typed() const { return typed_; }

private:
    std::vector<uint16_t> typed_;
    bool promptOpen_ = false;
};

/** The one input line; created by the start-up, deleted by the exit sequence. */
extern CInputWindow* g_pInputWindow;

/** One key of a macro: the key with its three modifier states, and the macro it starts. */
struct MacroKey {
    uint32_t virtualKey = 0;
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    int macroIndex = 0;
};
/** The macro keys in the order the window procedure searches them. */
extern std::vector<MacroKey> MacroKeyList;
/** Counted down by the game tick while non-zero. */
extern int MacroWaitCounter;

namespace CApp {
void LoadMacros();
void FreeMacros();
void StartMacro(int index);
void UpdateMacro();
/** The macro started last, -1 when none; for tests. */
int LastStartedMacro();
} // namespace CApp

/** Sends the help request. */
void SendHelpRequest();
