/** @file The window on SDL2: events to window messages, frames through a streaming texture. */
#pragma once

#include "platform/window/window.h"

#include <atomic>
#include <deque>
#include <mutex>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Cursor;
union SDL_Event;

namespace platform {

/**
 * The real window. Initialises SDL's video subsystem on first use and shuts it down when
 * destroyed. Honours SDL_VIDEODRIVER (dummy runs it headless).
 */
class SdlWindow final : public Window {
public:
    SdlWindow();
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    bool isReal() const override { return true; }
    DesktopInfo desktop() override;
    bool open(const std::string& title, int clientWidth, int clientHeight) override;
    void destroy() override;
    bool isOpen() const override { return window_ != nullptr; }
    bool isVisible() const override;
    bool pollMessage(WindowMessage& out) override;
    void postMessage(const WindowMessage& message) override;
    void dropNextChar() override;
    void setTitle(const std::string& title) override;
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
    void setWaitCursor(bool wait) override;
    bool hasFocus() const override;
    bool pointerPosition(int& x, int& y) override;
    void captureMouse(bool on) override;
    KeyModifiers modifiers() const override;
    std::string clipboardText() override;

private:
    bool ensureVideo();
    /** Turns one SDL event into zero or more queued messages. */
    void translate(const SDL_Event& event);
    void queue(const WindowMessage& message);
    bool recreateTexture();
    void releaseWindow();

    bool videoReady_ = false;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Cursor* waitCursor_ = nullptr;
    SDL_Cursor* arrowCursor_ = nullptr;
    bool fullScreen_ = false;
    bool locked_ = false;
    int surfaceWidth_ = 0;
    int surfaceHeight_ = 0;
    PixelLayout surfaceLayout_ = PixelLayout::Rgb555;
    uint32_t postedEventType_ = 0;
    bool dropChar_ = false;

    std::mutex mutex_; // guards pending_ and posted_: postMessage may come from any thread
    std::deque<WindowMessage> pending_; // translated, waiting to be polled
    std::deque<WindowMessage> posted_;  // posted, waiting for their marker event

    std::atomic<int> pointerX_{0};
    std::atomic<int> pointerY_{0};
    std::atomic<bool> pointerInside_{false};
};

} // namespace platform
