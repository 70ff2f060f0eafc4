/** @file The main window: creation, the window procedure, menu commands and their keys, presenting, the mouse timer. */
#pragma once

#include "platform/window/window.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

/** The window class name and the title of the main window. */
inline constexpr const char* kMainWindowTitle = "Tavorn Vevovo";

// Menu commands. There is no menu bar: every command is reached through the accelerator keys.
inline constexpr uint32_t IDM_EXIT = 40001;
inline constexpr uint32_t IDM_OPTIONS = 40004;
inline constexpr uint32_t IDM_FULLSCREEN = 40043;
inline constexpr uint32_t IDM_MUSIC = 40073;
inline constexpr uint32_t IDM_SOUND = 40074;
inline constexpr uint32_t IDM_FULLSCREEN_TOGGLE = 40089;
inline constexpr uint32_t IDM_WARMODE = 40115;
inline constexpr uint32_t IDM_MENU_TEXT_COMMAND = 40116;
inline constexpr uint32_t IDM_RADAR = 40120;
inline constexpr uint32_t IDM_OBSCENITY_FILTER = 40124;
inline constexpr uint32_t IDM_OPTIONS_2 = 40125;
inline constexpr uint32_t IDM_HELP_REQUEST = 40140;
inline constexpr uint32_t IDM_FOOTSTEPS = 40143;

/** One accelerator: a key with its exact modifier states, and the command it sends. */
struct Accelerator {
    uint32_t virtualKey;
    bool ctrl;
    bool shift;
    bool alt;
    uint32_t command;
    const char* description;
};
/** The accelerator table (resource 142). */
std::span<const Accelerator> AcceleratorTable();
/** The command of a key-down message, or 0. Auto-repeated presses send nothing. */
uint32_t TranslateAccelerator(const platform::WindowMessage& message);

/** The main window; null before CreateMainWindow and after the window is gone. */
platform::Window* MainWindow();
/**
 * Creates and shows the main window on the given backend: client size the smaller of the
 * desktop and 640 x 480, title with the account names, full screen at once when FullScreen is
 * on. The window class is held as a named instance while the window exists. False when the
 * window could not be made.
 */
bool CreateMainWindow(platform::Window& window);
/**
 * Window resizing is forbidden on a screen of exactly 640 x 480, and on one of 800 x 600 when
 * the play window (GamePlayWindowSize) is 800 x 600 too: the window could not grow there.
 */
void ApplyWindowResizePermission(const platform::DesktopInfo& desktop);
/** Forgets the window (after it is destroyed, or in tests). */
void ReleaseMainWindow();

/** The window procedure. */
void MainWndProc(const platform::WindowMessage& message);

/** "Tavorn Vevovo", or "Tavorn Vevovo - text"; at most 500 characters in all. */
void SetMainWindowTitle(const char* text);
void SendFullScreenToggle();
/**
 * Moves the main window to (x, y) with that client size (sizes are client sizes: there is no
 * frame to add). The desktop save and the options re-apply place the window with it.
 */
void SetMainWindowPos(int x, int y, int clientWidth, int clientHeight);
/** The main window's position on the desktop; 0, 0 without a window. */
void GetMainWindowPos(int& left, int& top);
/** Both under the display lock. FullScreen is set (and saved) only when the switch worked. */
void EnterFullScreenMode();
void EnterWindowedMode();
/** Shows the back buffer on the window (under the display lock). */
void PresentFrame();
/** Types the clipboard's text: 80 characters up to the first CR, 1000, or 240, by the focus. */
void PasteClipboardText();
/**
 * Opens an http, https or mailto address in the user's browser (xdg-open, the address as one
 * argument, no shell). Returns 1 when the browser was started; 0 for other addresses and when
 * no browser starts ("Web browser not found!").
 */
int OpenWebPage(const char* url);
/** Starts a program (argv[0] searched on PATH) in the working directory; its id, or -1. */
int64_t StartProcess(const std::vector<std::string>& argv, const std::string& workingDirectory);
/**
 * The window hook of the intro movie, called between its frames: handles one waiting message.
 * A key or mouse button press stops the movie (1), and so does the quit message, which is put
 * back for the main loop; a paint shows the frame again; others go to the window procedure (0).
 * The second call after ResetIntroWindowHook shows the frame once.
 */
int IntroWindowHook();
void ResetIntroWindowHook();
/** Asks for cursor 0 for the kinds 1-8 and 31-38, else for cursor 17. */
void RestoreNormalCursor(int kind);
/** A message box (OK); with exitFlag the process then ends with code 1. */
void ShowErrorBox(const char* text, const char* caption, bool exitFlag);

/** The check mark of a command (the menu's state, kept without a menu bar). */
bool MenuItemChecked(uint32_t command);
void CheckMenuItem(uint32_t command, bool checked);

// Window state.
extern uint8_t SystemCursorShown;
extern uint8_t WindowActive;
extern uint8_t DisplaySwitchInProgress;
extern uint8_t Quitting;
extern int RememberedWindowWidth;
extern int RememberedWindowHeight;

// The mouse timer: every 25 ms (with MouseThread on) it polls the pointer and marks the
// cursor for the main loop to draw. Its busy flag is guarded by the mouse-timer lock; music
// and sound calls hold the flag so the timer does no work while they run.
void CreateMouseTimerLock();
void DeleteMouseTimerLock();
/** Starts the 25 ms timer; without a thread only its id is set (the caller makes its calls). */
void StartMouseTimer(bool threaded = true);
/** Stops the timer under the display lock and waits until its callback has ended. */
void KillMouseTimer();
uint32_t MouseTimerId();
/** One timer call; the real timer calls it with its id and user value 1. */
void MouseTimerCallback(uint32_t timerId, uint32_t user);
void LockMouseTimer();
void UnlockMouseTimer();
