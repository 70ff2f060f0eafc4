/** @file The window's null twin: a scripted message queue and a recorded frame, no screen. */
#pragma once

#include "platform/window/window.h"

#include <deque>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace platform {

/**
 * A window that exists only in memory. Tests push messages for the window procedure, set the
 * desktop, the focus, the pointer and the clipboard, refuse full-screen modes, and read back the
 * title, the cursor state and every presented frame. Consistent: queries answer from what it was
 * told. Thread-safe where the interface says so.
 */
class NullWindow final : public Window {
public:
    NullWindow();

    bool isReal() const override { return false; }
    DesktopInfo desktop() override { return desktop_; }
    bool open(const std::string& title, int clientWidth, int clientHeight) override;
    void destroy() override;
    bool isOpen() const override { return open_; }
    bool isVisible() const override { return open_ && visible_; }
    bool pollMessage(WindowMessage& out) override;
    void postMessage(const WindowMessage& message) override;
    void dropNextChar() override;
    void setTitle(const std::string& title) override { title_ = title; }
    void clientSize(int& width, int& height) override;
    void setClientSize(int width, int height) override;
    void setPosition(int x, int y) override;
    void position(int& x, int& y) override;
    void setSizeLimits(bool resizable, int minWidth, int minHeight, int maxWidth, int maxHeight) override;
    bool enterFullScreen(int width, int height, PixelLayout& modeLayout) override;
    void leaveFullScreen(int clientWidth, int clientHeight) override;
    bool isFullScreen() const override { return fullScreen_; }
    bool configureSurface(int width, int height, PixelLayout layout) override;
    bool lockSurface(FrameSurface& out) override;
    void presentSurface() override;
    void showSystemCursor(bool show) override;
    void setWaitCursor(bool wait) override { waitCursor_ = wait; }
    bool hasFocus() const override { return focus_; }
    bool pointerPosition(int& x, int& y) override;
    void captureMouse(bool on) override { captured_ = on; }
    uint32_t doubleClickTime() const override { return doubleClickTime_; }
    KeyModifiers modifiers() const override { return modifiers_; }
    std::string clipboardText() override { return clipboard_; }

    // Scripting.
    void setDesktop(DesktopInfo desktop) { desktop_ = desktop; }
    void setFocus(bool focus) { focus_ = focus; }
    void setVisible(bool visible) { visible_ = visible; }
    /** The pointer's client position; inside false puts it outside the client area. */
    void setPointer(int x, int y, bool inside = true);
    void setClipboard(std::string text) { clipboard_ = std::move(text); }
    void setDoubleClickTime(uint32_t ms) { doubleClickTime_ = ms; }
    void setModifiers(KeyModifiers modifiers) { modifiers_ = modifiers; }
    /** Full-screen modes of this size are refused. */
    void refuseMode(int width, int height) { refused_.insert({width, height}); }
    /** Frame surfaces of this size cannot be made. */
    void refuseSurface(int width, int height) { refusedSurfaces_.insert({width, height}); }
    /** The layout full-screen modes report. */
    void setModeLayout(PixelLayout layout) { modeLayout_ = layout; }
    size_t queuedMessages() const;

    // Recorded.
    const std::string& title() const { return title_; }
    bool systemCursorShown() const { return cursorShown_; }
    int cursorShowCalls() const { return cursorShowCalls_; }
    bool waitCursor() const { return waitCursor_; }
    bool captured() const { return captured_; }
    bool resizable() const { return resizable_; }
    int presentCount() const { return presentCount_; }
    /** The last presented frame, rows packed (width x height pixels). */
    const std::vector<uint16_t>& lastFrame() const { return lastFrame_; }
    int surfaceWidth() const { return surfaceWidth_; }
    int surfaceHeight() const { return surfaceHeight_; }
    PixelLayout surfaceLayout() const { return surfaceLayout_; }
    /** Every mode asked of enterFullScreen, granted or not. */
    const std::vector<std::pair<int, int>>& modeRequests() const { return modeRequests_; }

private:
    static constexpr int kPitchPadding = 3; // rows wider than the frame, as real surfaces may be

    DesktopInfo desktop_{1024, 768, 32};
    bool open_ = false;
    bool visible_ = true;
    bool focus_ = true;
    bool fullScreen_ = false;
    bool cursorShown_ = true;
    int cursorShowCalls_ = 0;
    bool waitCursor_ = false;
    bool captured_ = false;
    bool resizable_ = false;
    uint32_t doubleClickTime_ = kDefaultDoubleClickTime;
    KeyModifiers modifiers_;
    std::string title_;
    std::string clipboard_;
    int width_ = 0;
    int height_ = 0;
    int x_ = 0;
    int y_ = 0;
    PixelLayout modeLayout_ = PixelLayout::Rgb565;
    std::set<std::pair<int, int>> refused_;
    std::set<std::pair<int, int>> refusedSurfaces_;
    std::vector<std::pair<int, int>> modeRequests_;

    int surfaceWidth_ = 0;
    int surfaceHeight_ = 0;
    PixelLayout surfaceLayout_ = PixelLayout::Rgb555;
    std::vector<uint16_t> surface_;
    bool locked_ = false;
    int presentCount_ = 0;
    std::vector<uint16_t> lastFrame_;

    mutable std::mutex mutex_; // guards queue_ and the pointer
    std::deque<WindowMessage> queue_;
    bool dropChar_ = false;
    int pointerX_ = 0;
    int pointerY_ = 0;
    bool pointerInside_ = false;
};

} // namespace platform
