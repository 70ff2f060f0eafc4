/** @file The typed-input line, the macro keys and the help request: for now the least the application core asks of them. */
#pragma once

#include "client/core/input_services.h"

#include <cstdint>
#include <vector>

/** The single typed-input line at the bottom of the game screen. */
class CInputWindow final : public InputLineServices {
public:
    /** True when the line took the key. */
    bool OnKeyDown(uint32_t virtualKey, uint32_t flags) override;
    void OnChar(uint16_t character) override;
    void ReplyToPrompt(int send, const char* text) override;
    /** True while a server prompt waits for its answer. */
    bool PromptOpen() const override { return promptOpen_; }

private:
    std::vector<uint16_t> typed_;
    bool promptOpen_ = false;
};

/** The one input line; created by the start-up, deleted by the exit sequence. */
extern CInputWindow* g_pInputWindow;

/** The macro keys in the order the window procedure searches them. */
extern std::vector<MacroKey> MacroKeyList;
/** Counted down by the game tick while non-zero. */
extern int MacroWaitCounter;

namespace CApp {
void LoadMacros();
void SaveMacros();
void FreeMacros();
void StartMacro(int index);
void UpdateMacro();
/** The macros as the application core calls them; installed by the start-up. */
MacroServices& macroServices();
} // namespace CApp

/** Sends the help request. */
void SendHelpRequest();
