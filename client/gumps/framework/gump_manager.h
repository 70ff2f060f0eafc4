/** @file The gump manager as the application core sees it: ticks, drawing, desktop and the focused control. */
#pragma once

#include <cstdint>
#include <string>

class CObj;
class CGump;

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

// Only what the application core calls until the gump framework brings the full manager.
// Drawing presents the back buffer, since nothing else presents a frame.
class CGumpManager {
public:
    static void startup();
    static void shutdown();
    /** The interface pass of the game tick. */
    static void Update();
    /** Draws every gump over the back buffer, then presents the frame. */
    static void DrawAllGumps(int left, int top, int right, int bottom, int lastPass);
    static void ResetDC();
    static void SaveDesktop();
    static void ProcessDesktopQueue();
    /** True while the restored desktop's open requests are held back. */
    static bool DesktopQueueStopped();
    static CGump* OpenGump(CObj* object, int gumpId, CGump* parent, int flag);
    static CGump* ShowMessageGump(const char* text, CGump* owner, int okButton, int flag, int unicode);

    /** The focused text control, or null. */
    static CFocusedControl* FocusedControl();
    static void SetFocusedControl(CFocusedControl* control);

    /** What was asked of the manager, for the core's tests. */
    struct Calls {
        int updates = 0;
        int draws = 0;
        int resetDCs = 0;
        int desktopSaves = 0;
        int desktopQueueSteps = 0;
        int lastOpenedGump = 0;
        std::string lastMessage;
    };
    static const Calls& calls();
    static void resetCalls();
};
