/** @file The window on SDL2. */
#include "platform/sdl/sdl_window.h"

#include "platform/exit/exit.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/window/utf16_text.h"
#include "platform/window/virtual_keys.h"

#include <SDL.h>

#include <cstring>

namespace platform {

namespace {

using Kind = WindowMessage::Kind;

Uint32 sdlFormat(PixelLayout layout)
{
    return layout == PixelLayout::Rgb565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB555;
}

} // namespace

SdlWindow::SdlWindow() = default;

SdlWindow::~SdlWindow()
{
    releaseWindow();
    if (waitCursor_ != nullptr)
        SDL_FreeCursor(waitCursor_);
    if (arrowCursor_ != nullptr)
        SDL_FreeCursor(arrowCursor_);
    if (videoReady_)
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

bool SdlWindow::ensureVideo()
{
    if (videoReady_)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return false;
    videoReady_ = true;
    postedEventType_ = SDL_RegisterEvents(1);
    return true;
}

DesktopInfo SdlWindow::desktop()
{
    DesktopInfo info;
    SDL_DisplayMode mode;
    if (ensureVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        info.width = mode.w;
        info.height = mode.h;
        info.bitsPerPixel = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    }
    return info;
}

bool SdlWindow::open(const std::string& title, int clientWidth, int clientHeight)
{
    if (window_ != nullptr || !ensureVideo())
        return false;
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, clientWidth,
                               clientHeight, SDL_WINDOW_SHOWN);
    if (window_ == nullptr)
        return false;
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (renderer_ == nullptr)
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (renderer_ == nullptr) {
        releaseWindow();
        return false;
    }
    SDL_StartTextInput();
    queue(WindowMessage::of(Kind::Create));
    return true;
}

void SdlWindow::releaseWindow()
{
    if (texture_ != nullptr)
        SDL_DestroyTexture(texture_);
    texture_ = nullptr;
    locked_ = false;
    if (renderer_ != nullptr)
        SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
    if (window_ != nullptr) {
        SDL_StopTextInput();
        SDL_DestroyWindow(window_);
    }
    window_ = nullptr;
    fullScreen_ = false;
}

void SdlWindow::destroy()
{
    if (window_ == nullptr)
        return;
    releaseWindow();
    queue(WindowMessage::of(Kind::Destroy));
}

bool SdlWindow::isVisible() const
{
    if (window_ == nullptr)
        return false;
    const Uint32 flags = SDL_GetWindowFlags(window_);
    return (flags & SDL_WINDOW_SHOWN) != 0 && (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) == 0;
}

void SdlWindow::queue(const WindowMessage& message)
{
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.push_back(message);
}

bool SdlWindow::pollMessage(WindowMessage& out)
{
    // A termination signal caught by the process closes the window like its close button.
    if (takeTerminationRequest())
        queue(WindowMessage::of(Kind::Close));
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!pending_.empty()) {
                out = pending_.front();
                pending_.pop_front();
                const bool drop = dropChar_ && out.kind == Kind::Char;
                dropChar_ = false;
                if (drop)
                    continue;
                return true;
            }
        }
        if (!videoReady_)
            return false;
        SDL_Event event;
        if (SDL_PollEvent(&event) == 0)
            return false;
        translate(event);
    }
}

void SdlWindow::postMessage(const WindowMessage& message)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (videoReady_ && postedEventType_ != static_cast<uint32_t>(-1)) {
        // The marker keeps the posted message in its place among the system's events.
        SDL_Event marker;
        std::memset(&marker, 0, sizeof marker);
        marker.type = postedEventType_;
        posted_.push_back(message);
        if (SDL_PushEvent(&marker) == 1)
            return;
        posted_.pop_back();
    }
    pending_.push_back(message);
}

void SdlWindow::dropNextChar()
{
    dropChar_ = true;
}

void SdlWindow::translate(const SDL_Event& event)
{
    if (event.type == postedEventType_) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!posted_.empty()) {
            pending_.push_back(posted_.front());
            posted_.pop_front();
        }
        return;
    }
    switch (event.type) {
    case SDL_QUIT:
        queue(WindowMessage::of(Kind::Close));
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            queue(WindowMessage::of(Kind::Close));
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
            WindowMessage m = WindowMessage::of(Kind::Size);
            m.width = event.window.data1;
            m.height = event.window.data2;
            queue(m);
            break;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST: {
            WindowMessage m = WindowMessage::of(Kind::Activate);
            m.active = event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
            queue(m);
            break;
        }
        case SDL_WINDOWEVENT_EXPOSED:
            queue(WindowMessage::of(Kind::Paint));
            break;
        case SDL_WINDOWEVENT_ENTER:
            pointerInside_ = true;
            break;
        case SDL_WINDOWEVENT_LEAVE:
            pointerInside_ = false;
            break;
        default:
            break;
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const uint32_t key = virtualKeyFromSdl(event.key.keysym.sym);
        if (key == 0)
            break;
        const Uint16 mod = event.key.keysym.mod;
        WindowMessage m;
        m.key = key;
        m.repeat = event.key.repeat != 0;
        m.ctrl = (mod & KMOD_CTRL) != 0;
        m.shift = (mod & KMOD_SHIFT) != 0;
        m.alt = (mod & KMOD_ALT) != 0;
        if (event.type == SDL_KEYUP) {
            m.kind = Kind::KeyUp;
            queue(m);
            break;
        }
        m.kind = (m.alt || key == vk::F1 + 9) ? Kind::SysKeyDown : Kind::KeyDown;
        queue(m);
        // SDL types no text for these keys; the window procedure expects their characters.
        const uint16_t ch = vk::controlCharacterFor(key);
        if (ch != 0 && !m.alt) {
            WindowMessage c = WindowMessage::of(Kind::Char);
            c.character = ch;
            queue(c);
        }
        break;
    }
    case SDL_TEXTINPUT:
        for (const uint16_t unit : utf16FromUtf8(event.text.text)) {
            WindowMessage c = WindowMessage::of(Kind::Char);
            c.character = unit;
            queue(c);
        }
        break;
    case SDL_MOUSEMOTION: {
        pointerX_ = event.motion.x;
        pointerY_ = event.motion.y;
        pointerInside_ = true;
        WindowMessage m = WindowMessage::of(Kind::MouseMove);
        m.x = event.motion.x;
        m.y = event.motion.y;
        queue(m);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        WindowMessage m;
        if (event.button.button == SDL_BUTTON_LEFT)
            m.kind = down ? Kind::LButtonDown : Kind::LButtonUp;
        else if (event.button.button == SDL_BUTTON_RIGHT)
            m.kind = down ? Kind::RButtonDown : Kind::RButtonUp;
        else
            break;
        m.x = event.button.x;
        m.y = event.button.y;
        queue(m);
        break;
    }
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
        // The surface was lost: make it anew and show the next frame on it.
        if (texture_ != nullptr)
            recreateTexture();
        queue(WindowMessage::of(Kind::Paint));
        break;
    default:
        break;
    }
}

void SdlWindow::setTitle(const std::string& title)
{
    if (window_ != nullptr)
        SDL_SetWindowTitle(window_, title.c_str());
}

void SdlWindow::clientSize(int& width, int& height)
{
    width = 0;
    height = 0;
    if (window_ != nullptr)
        SDL_GetWindowSize(window_, &width, &height);
}

void SdlWindow::setClientSize(int width, int height)
{
    if (window_ != nullptr && !fullScreen_)
        SDL_SetWindowSize(window_, width, height);
}

void SdlWindow::setPosition(int x, int y)
{
    if (window_ != nullptr && !fullScreen_)
        SDL_SetWindowPosition(window_, x, y);
}

void SdlWindow::position(int& x, int& y)
{
    x = 0;
    y = 0;
    if (window_ != nullptr)
        SDL_GetWindowPosition(window_, &x, &y);
}

void SdlWindow::setSizeLimits(bool resizable, int minWidth, int minHeight, int maxWidth, int maxHeight)
{
    if (window_ == nullptr)
        return;
    SDL_SetWindowResizable(window_, resizable ? SDL_TRUE : SDL_FALSE);
    if (minWidth > 0 && minHeight > 0)
        SDL_SetWindowMinimumSize(window_, minWidth, minHeight);
    if (maxWidth > 0 && maxHeight > 0)
        SDL_SetWindowMaximumSize(window_, maxWidth, maxHeight);
}

bool SdlWindow::enterFullScreen(int width, int height, PixelLayout& modeLayout)
{
    if (window_ == nullptr)
        return false;
    const int display = SDL_GetWindowDisplayIndex(window_);
    const int count = SDL_GetNumDisplayModes(display < 0 ? 0 : display);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display < 0 ? 0 : display, i, &mode) != 0 || mode.w != width || mode.h != height)
            continue;
        if (SDL_SetWindowDisplayMode(window_, &mode) != 0)
            continue;
        if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) != 0) {
            SDL_SetWindowFullscreen(window_, 0);
            return false;
        }
        fullScreen_ = true;
        modeLayout = mode.format == SDL_PIXELFORMAT_RGB555 ? PixelLayout::Rgb555 : PixelLayout::Rgb565;
        return true;
    }
    return false;
}

void SdlWindow::leaveFullScreen(int clientWidth, int clientHeight)
{
    if (window_ == nullptr)
        return;
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowBordered(window_, SDL_TRUE);
    fullScreen_ = false;
    if (clientWidth > 0 && clientHeight > 0)
        SDL_SetWindowSize(window_, clientWidth, clientHeight);
}

bool SdlWindow::recreateTexture()
{
    if (texture_ != nullptr)
        SDL_DestroyTexture(texture_);
    texture_ = nullptr;
    locked_ = false;
    if (renderer_ == nullptr || surfaceWidth_ <= 0 || surfaceHeight_ <= 0)
        return false;
    texture_ = SDL_CreateTexture(renderer_, sdlFormat(surfaceLayout_), SDL_TEXTUREACCESS_STREAMING, surfaceWidth_,
                                 surfaceHeight_);
    return texture_ != nullptr;
}

bool SdlWindow::configureSurface(int width, int height, PixelLayout layout)
{
    if (width <= 0 || height <= 0)
        return false;
    surfaceWidth_ = width;
    surfaceHeight_ = height;
    surfaceLayout_ = layout;
    return recreateTexture();
}

bool SdlWindow::lockSurface(FrameSurface& out)
{
    if (texture_ == nullptr || locked_)
        return false;
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0)
        return false;
    locked_ = true;
    out.pixels = static_cast<uint16_t*>(pixels);
    out.pitchPixels = pitch / 2;
    out.width = surfaceWidth_;
    out.height = surfaceHeight_;
    out.layout = surfaceLayout_;
    return true;
}

void SdlWindow::presentSurface()
{
    if (texture_ == nullptr || !locked_)
        return;
    SDL_UnlockTexture(texture_);
    locked_ = false;
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

void SdlWindow::showSystemCursor(bool show)
{
    if (videoReady_)
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void SdlWindow::setWaitCursor(bool wait)
{
    if (!videoReady_)
        return;
    SDL_Cursor*& cursor = wait ? waitCursor_ : arrowCursor_;
    if (cursor == nullptr)
        cursor = SDL_CreateSystemCursor(wait ? SDL_SYSTEM_CURSOR_WAIT : SDL_SYSTEM_CURSOR_ARROW);
    if (cursor != nullptr)
        SDL_SetCursor(cursor);
}

bool SdlWindow::hasFocus() const
{
    return window_ != nullptr && (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool SdlWindow::pointerPosition(int& x, int& y)
{
    x = pointerX_.load();
    y = pointerY_.load();
    return pointerInside_.load();
}

void SdlWindow::captureMouse(bool on)
{
    if (window_ != nullptr)
        SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
}

std::string SdlWindow::clipboardText()
{
    if (!videoReady_ || SDL_HasClipboardText() == SDL_FALSE)
        return {};
    char* text = SDL_GetClipboardText();
    if (text == nullptr)
        return {};
    std::string result(text);
    SDL_free(text);
    return result;
}

} // namespace platform
