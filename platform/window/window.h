/** @file The main window: messages in, 16-bit frames out, cursor, clipboard, full screen and the desktop. */
#pragma once

#include <cstdint>
#include <string>

namespace platform {

/** The bit layout of a 16-bit pixel. */
enum class PixelLayout : uint8_t { Rgb555, Rgb565 };

/**
 * One message for the window procedure, translated from the system's events. Key messages carry
 * Windows virtual-key codes (platform/window/virtual_keys.h) and the modifier states at the time
 * of the key; typed characters are UTF-16 code units (Backspace 8, Tab 9, Enter 13, Escape 27
 * included); mouse positions are client pixels.
 */
struct WindowMessage {
    enum class Kind : uint8_t {
        Create,      // the window exists
        Close,       // the user (or the program) asks the window to close
        Destroy,     // the window is gone; the program should end its loop
        Size,        // width, height: the new client size
        Activate,    // active: keyboard focus gained or lost
        Paint,       // the window's content was lost and should be shown again
        KeyDown,
        SysKeyDown,  // a key pressed while Alt is held
        KeyUp,
        Char,        // character: one UTF-16 unit
        MouseMove,
        LButtonDown,
        LButtonUp,
        RButtonDown,
        RButtonUp,
        Command,     // command: a menu command id
        MusicNotify, // the music device finished a song
        Quit,        // ends the message loop; code in command
    };

    Kind kind = Kind::Paint;
    uint32_t key = 0;        // virtual-key code of key messages
    bool repeat = false;     // key held down: an auto-repeated press
    bool ctrl = false;       // modifier states at the time of a key message
    bool shift = false;
    bool alt = false;        // (mouse button messages carry them too)
    uint16_t character = 0;  // Char
    int32_t x = 0;           // mouse messages: client position
    int32_t y = 0;
    int32_t width = 0;       // Size
    int32_t height = 0;
    bool active = false;     // Activate
    uint32_t command = 0;    // Command id, or the Quit code

    static WindowMessage of(Kind kind)
    {
        WindowMessage m;
        m.kind = kind;
        return m;
    }
};

/** The double-click time when the system tells none: a second press within it is a double click. */
inline constexpr uint32_t kDefaultDoubleClickTime = 500;

/** The modifier keys held now. */
struct KeyModifiers {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

/** The desktop the window lives on. */
struct DesktopInfo {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

/** A locked frame surface: 16-bit pixels, rows pitchPixels apart. */
struct FrameSurface {
    uint16_t* pixels = nullptr;
    int pitchPixels = 0;
    int width = 0;
    int height = 0;
    PixelLayout layout = PixelLayout::Rgb555;
};

/**
 * The program's one top-level window.
 *
 * Threads: everything is for the main thread, except postMessage() and pointerPosition(),
 * which any thread may call (the mouse timer thread polls the pointer; the music device posts
 * its notification). The window draws nothing by itself: frames reach the screen only through
 * lockSurface() and presentSurface().
 */
class Window {
public:
    virtual ~Window() = default;

    /** False for the null twin, which never touches a screen. */
    virtual bool isReal() const = 0;

    /** The desktop's size and colour depth; may be asked before open(). */
    virtual DesktopInfo desktop() = 0;

    /** Creates the window with the client size; queues Create. False when it cannot be made. */
    virtual bool open(const std::string& title, int clientWidth, int clientHeight) = 0;
    /** Destroys the window (if open) and queues Destroy. */
    virtual void destroy() = 0;
    virtual bool isOpen() const = 0;
    /** Shown and not minimised. */
    virtual bool isVisible() const = 0;

    /** Takes the next message without waiting; false when none is queued. */
    virtual bool pollMessage(WindowMessage& out) = 0;
    /** Queues a message behind those already waiting. Any thread. */
    virtual void postMessage(const WindowMessage& message) = 0;
    /**
     * Drops the next message polled when it is a Char (the character a system key produced);
     * any other next message cancels the drop.
     */
    virtual void dropNextChar() = 0;

    virtual void setTitle(const std::string& title) = 0;
    virtual void clientSize(int& width, int& height) = 0;
    virtual void setClientSize(int width, int height) = 0;
    /** Moves the window's top-left corner to (x, y) on the desktop. */
    virtual void setPosition(int x, int y) = 0;
    /** The window's top-left corner on the desktop; 0, 0 when it is not open. */
    virtual void position(int& x, int& y) = 0;
    /** Whether the user may resize the window, and the client sizes it may take. */
    virtual void setSizeLimits(bool resizable, int minWidth, int minHeight, int maxWidth, int maxHeight) = 0;

    /**
     * Switches to an exclusive full-screen mode of exactly width x height. On success
     * modeLayout tells the 16-bit layout that mode's surface takes. On failure the window is
     * left as it was (windowed, with its frame) and false is returned.
     */
    virtual bool enterFullScreen(int width, int height, PixelLayout& modeLayout) = 0;
    /** Back to a framed window of the given client size. */
    virtual void leaveFullScreen(int clientWidth, int clientHeight) = 0;
    virtual bool isFullScreen() const = 0;

    /**
     * (Re)creates the frame surface with the size and layout; frames are scaled to the window
     * when their size differs from the client area. False when it cannot be made.
     */
    virtual bool configureSurface(int width, int height, PixelLayout layout) = 0;
    /** Locks the frame surface for writing; false when there is none (or it was lost). */
    virtual bool lockSurface(FrameSurface& out) = 0;
    /** Unlocks the surface and shows it. */
    virtual void presentSurface() = 0;

    virtual void showSystemCursor(bool show) = 0;
    /** Shows the system's wait cursor (true) or its arrow (false) while the system cursor shows. */
    virtual void setWaitCursor(bool wait) = 0;
    virtual bool hasFocus() const = 0;
    /** The last known pointer position in client pixels; false when it is outside the client area. */
    virtual bool pointerPosition(int& x, int& y) = 0;
    /** Keeps mouse events coming while a button is held outside the window. */
    virtual void captureMouse(bool on) = 0;
    /** Milliseconds within which a second press makes a double click. */
    virtual uint32_t doubleClickTime() const { return kDefaultDoubleClickTime; }
    /** The Ctrl, Shift and Alt keys as held now (the main thread's view of the keyboard). */
    virtual KeyModifiers modifiers() const = 0;

    /** The clipboard's text as UTF-8; empty when there is none. */
    virtual std::string clipboardText() = 0;
};

} // namespace platform
