/** @file What the application core asks of the gump manager: ticks, drawing, desktop, messages and the focused control. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CObj;
class CGump;

/** A server-described gump: its serial and gump id, its place, its layout text and its text lines. */
struct ServerGumpDescription {
    uint32_t serial = 0;
    uint32_t gumpId = 0;
    int32_t x = 0;
    int32_t y = 0;
    std::string layout;
    std::vector<std::u16string> lines;
};

/**
 * The text control that has the keyboard focus, as the window procedure and the paste see it:
 * its single- and multi-line questions, its typed-character slot and its raw-key slot.
 */
class CFocusedControl {
public:
    virtual ~CFocusedControl() = default;
    virtual bool IsSingleLine() const = 0;
    virtual bool IsMultiLine() const = 0;
    virtual void OnTypedChar(uint16_t character) = 0;
    /** True when the control takes raw keys (a key-binding field). */
    virtual bool TakesRawKeys() const = 0;
    /** Stores a raw key for the control and tells its parent. */
    virtual void OnRawKey(uint32_t virtualKey, uint32_t flags) = 0;
};

/**
 * The gump manager's operations that the game tick, the window procedure and the display call.
 * The gump framework installs its manager at start-up; until then (and in the core's own tests)
 * every call does nothing and every question answers "none". Main thread only.
 */
class GumpManagerServices {
public:
    virtual ~GumpManagerServices() = default;
    /** The interface pass of the game tick. */
    virtual void Update() {}
    /** Draws every gump over the back buffer (the whole screen with lastPass 1). */
    virtual void DrawAllGumps(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/, int /*lastPass*/) {}
    /** The back buffer or the screen size changed. */
    virtual void ResetDC() {}
    virtual void SaveDesktop() {}
    /** After login: the character's macros and desktop. */
    virtual void RestoreDesktop() {}
    virtual void ProcessDesktopQueue() {}
    /** A container or spellbook gump opened for an object: a restored one gets its saved place. */
    virtual void ApplyDesktopPosition(uint32_t /*serial*/, CGump* /*container*/, CGump* /*spellbook*/) {}
    /** True while the restored desktop's open requests are held back. */
    virtual bool DesktopQueueStopped() { return false; }
    virtual CGump* OpenGump(CObj* /*object*/, int /*gumpId*/, CGump* /*parent*/, int /*flag*/) { return nullptr; }
    virtual CGump* ShowMessageGump(const char* /*text*/, CGump* /*owner*/, int /*okButton*/, int /*flag*/,
                                   int /*unicode*/)
    {
        return nullptr;
    }
    /** The focused text control, or null. */
    virtual CFocusedControl* FocusedControl() { return nullptr; }
    /** Sends the help request (menu command 40140). */
    virtual void SendHelpRequest() {}
    /**
     * Packet 0xB0 as it came (id and length included): a server-described gump. Every count,
     * length and text in it is checked; a damaged packet is logged and makes nothing.
     */
    virtual void OnServerGumpPacket(const uint8_t* /*bytes*/, size_t /*length*/) {}
    /** A server-described gump whose packet arrived in another form (the compressed one, unpacked). */
    virtual void OpenServerGump(const ServerGumpDescription& /*gump*/) {}
    /** Every open server-described gump of that gump id replies with the button and closes. */
    virtual void CloseGenericGumps(uint32_t /*gumpId*/, uint32_t /*buttonId*/) {}
};

/** Installs the gump manager; null puts back the one that does nothing. */
void SetGumpServices(GumpManagerServices* services);
GumpManagerServices& gumpManager();
