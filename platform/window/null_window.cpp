/** @file The window's null twin. */
#include "platform/window/null_window.h"

#include <algorithm>

namespace platform {

NullWindow::NullWindow() = default;

bool NullWindow::open(const std::string& title, int clientWidth, int clientHeight)
{
    title_ = title;
    width_ = clientWidth;
    height_ = clientHeight;
    open_ = true;
    postMessage(WindowMessage::of(WindowMessage::Kind::Create));
    return true;
}

void NullWindow::destroy()
{
    if (!open_)
        return;
    open_ = false;
    postMessage(WindowMessage::of(WindowMessage::Kind::Destroy));
}

bool NullWindow::pollMessage(WindowMessage& out)
{
    std::lock_guard<std::mutex> lock(mutex_);
    while (!queue_.empty()) {
        out = queue_.front();
        queue_.pop_front();
        const bool drop = dropChar_ && out.kind == WindowMessage::Kind::Char;
        dropChar_ = false;
        if (!drop)
            return true;
    }
    return false;
}

void NullWindow::postMessage(const WindowMessage& message)
{
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(message);
}

void NullWindow::dropNextChar()
{
    std::lock_guard<std::mutex> lock(mutex_);
    dropChar_ = true;
}

size_t NullWindow::queuedMessages() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
}

void NullWindow::clientSize(int& width, int& height)
{
    width = width_;
    height = height_;
}

void NullWindow::setClientSize(int width, int height)
{
    width_ = width;
    height_ = height;
}

void NullWindow::setPosition(int x, int y)
{
    x_ = x;
    y_ = y;
}

void NullWindow::position(int& x, int& y)
{
    x = open_ ? x_ : 0;
    y = open_ ? y_ : 0;
}

void NullWindow::setSizeLimits(bool resizable, int, int, int, int)
{
    resizable_ = resizable;
}

bool NullWindow::enterFullScreen(int width, int height, PixelLayout& modeLayout)
{
    modeRequests_.push_back({width, height});
    if (!open_ || refused_.count({width, height}) != 0)
        return false;
    fullScreen_ = true;
    width_ = width;
    height_ = height;
    modeLayout = modeLayout_;
    return true;
}

void NullWindow::leaveFullScreen(int clientWidth, int clientHeight)
{
    fullScreen_ = false;
    width_ = clientWidth;
    height_ = clientHeight;
}

bool NullWindow::configureSurface(int width, int height, PixelLayout layout)
{
    surface_.clear(); // the old surface is gone, whether or not a new one can be made
    locked_ = false;
    if (width <= 0 || height <= 0 || refusedSurfaces_.count({width, height}) != 0)
        return false;
    surfaceWidth_ = width;
    surfaceHeight_ = height;
    surfaceLayout_ = layout;
    surface_.assign(static_cast<size_t>(width + kPitchPadding) * static_cast<size_t>(height), 0);
    return true;
}

bool NullWindow::lockSurface(FrameSurface& out)
{
    if (surface_.empty() || locked_)
        return false;
    locked_ = true;
    out.pixels = surface_.data();
    out.pitchPixels = surfaceWidth_ + kPitchPadding;
    out.width = surfaceWidth_;
    out.height = surfaceHeight_;
    out.layout = surfaceLayout_;
    return true;
}

void NullWindow::presentSurface()
{
    if (!locked_)
        return;
    locked_ = false;
    ++presentCount_;
    lastFrame_.resize(static_cast<size_t>(surfaceWidth_) * static_cast<size_t>(surfaceHeight_));
    const size_t pitch = static_cast<size_t>(surfaceWidth_ + kPitchPadding);
    for (int row = 0; row < surfaceHeight_; ++row)
        std::copy_n(surface_.begin() + static_cast<std::ptrdiff_t>(pitch * static_cast<size_t>(row)), surfaceWidth_,
                    lastFrame_.begin() + static_cast<std::ptrdiff_t>(row) * surfaceWidth_);
}

void NullWindow::showSystemCursor(bool show)
{
    cursorShown_ = show;
    ++cursorShowCalls_;
}

bool NullWindow::pointerPosition(int& x, int& y)
{
    std::lock_guard<std::mutex> lock(mutex_);
    x = pointerX_;
    y = pointerY_;
    return pointerInside_;
}

void NullWindow::setPointer(int x, int y, bool inside)
{
    std::lock_guard<std::mutex> lock(mutex_);
    pointerX_ = x;
    pointerY_ = y;
    pointerInside_ = inside;
}

} // namespace platform
