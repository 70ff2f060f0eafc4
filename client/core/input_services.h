/** @file What the application core asks of the typed-input line and the macros. */
#pragma once

#include <cstdint>
#include <span>

/**
 * The single typed-input line at the bottom of the game screen. It exists from the end of the
 * start-up until the exit sequence; outside that time the core talks to one that takes nothing.
 * Main thread only.
 */
class InputLineServices {
public:
    virtual ~InputLineServices() = default;
    /** True when the line took the key. */
    virtual bool OnKeyDown(uint32_t /*virtualKey*/, uint32_t /*flags*/) { return false; }
    virtual void OnChar(uint16_t /*character*/) {}
    virtual void ReplyToPrompt(int /*send*/, const char* /*text*/) {}
    /** True while a server prompt waits for its answer. */
    virtual bool PromptOpen() const { return false; }
};

/** Installs the input line; null puts back the one that takes nothing. */
void SetInputLineServices(InputLineServices* services);
InputLineServices& inputLine();

/** One key of a macro: the key with its three modifier states, and the macro it starts. */
struct MacroKey {
    uint32_t virtualKey = 0;
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    int macroIndex = 0;
};

/**
 * The macros as the start-up, the window procedure and the game tick use them. Until the gump
 * framework installs its macros there are none. Main thread only.
 */
class MacroServices {
public:
    virtual ~MacroServices() = default;
    /** Reads the macros (start-up of the application object). */
    virtual void LoadMacros() {}
    virtual void FreeMacros() {}
    /** The macro keys in the order the window procedure searches them. */
    virtual std::span<const MacroKey> MacroKeys() const { return {}; }
    virtual void StartMacro(int /*index*/) {}
    /** Advances the running macro (every world pass). */
    virtual void UpdateMacro() {}
    /** Counts the macro wait counter down by one when it is not zero (every world pass). */
    virtual void CountDownMacroWait() {}
};

/** Installs the macros; null puts back the empty ones. */
void SetMacroServices(MacroServices* services);
MacroServices& macros();
