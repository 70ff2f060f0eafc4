/** @file The whole client run in this process on a sample install against the scripted shard: a null main window, a manual clock, input injected as window messages and a script of steps run between the passes of the main loop. */
#pragma once

#include "platform/window/null_window.h"
#include "tests/support/scripted_shard.h"
#include "tools/sample_install/sample_install.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

/**
 * The client's main window: a null window that calls `beforePass` on the first poll of each pass
 * of the main loop (the loop polls until the queue is empty, then services the rest of the pass).
 * Messages queued by `beforePass` are handled in the same pass.
 */
class DrivenWindow final : public platform::Window {
public:
    std::function<void()> beforePass;
    platform::NullWindow& inner() { return inner_; }

    bool isReal() const override { return false; }
    platform::DesktopInfo desktop() override { return inner_.desktop(); }
    bool open(const std::string& title, int width, int height) override { return inner_.open(title, width, height); }
    void destroy() override { inner_.destroy(); }
    bool isOpen() const override { return inner_.isOpen(); }
    bool isVisible() const override { return inner_.isVisible(); }
    bool pollMessage(platform::WindowMessage& out) override;
    void postMessage(const platform::WindowMessage& message) override { inner_.postMessage(message); }
    void dropNextChar() override { inner_.dropNextChar(); }
    void setTitle(const std::string& title) override { inner_.setTitle(title); }
    void clientSize(int& width, int& height) override { inner_.clientSize(width, height); }
    void setClientSize(int width, int height) override { inner_.setClientSize(width, height); }
    void setPosition(int x, int y) override { inner_.setPosition(x, y); }
    void position(int& x, int& y) override { inner_.position(x, y); }
    void setSizeLimits(bool resizable, int minWidth, int minHeight, int maxWidth, int maxHeight) override
    {
        inner_.setSizeLimits(resizable, minWidth, minHeight, maxWidth, maxHeight);
    }
    bool enterFullScreen(int width, int height, platform::PixelLayout& layout) override
    {
        return inner_.enterFullScreen(width, height, layout);
    }
    void leaveFullScreen(int width, int height) override { inner_.leaveFullScreen(width, height); }
    bool isFullScreen() const override { return inner_.isFullScreen(); }
    bool configureSurface(int width, int height, platform::PixelLayout layout) override
    {
        return inner_.configureSurface(width, height, layout);
    }
    bool lockSurface(platform::FrameSurface& out) override { return inner_.lockSurface(out); }
    void presentSurface() override { inner_.presentSurface(); }
    void showSystemCursor(bool show) override { inner_.showSystemCursor(show); }
    void setWaitCursor(bool wait) override { inner_.setWaitCursor(wait); }
    bool hasFocus() const override { return inner_.hasFocus(); }
    bool pointerPosition(int& x, int& y) override { return inner_.pointerPosition(x, y); }
    void captureMouse(bool on) override { inner_.captureMouse(on); }
    uint32_t doubleClickTime() const override { return inner_.doubleClickTime(); }
    platform::KeyModifiers modifiers() const override { return inner_.modifiers(); }
    std::string clipboardText() override { return inner_.clipboardText(); }

private:
    platform::NullWindow inner_;
    bool passStarts_ = true;
};

/**
 * One client run: the constructor writes a sample install into a temporary folder and starts the
 * scripted shard on its map; run() starts the client there (working directory, key store and
 * runtime folder of the install; null window; SDL's dummy audio; a manual clock moved by
 * `msPerPass` before every pass; the loop's pacing off, so every pass runs the game tick) and
 * works through the steps: each pass pumps the shard, then, while the first waiting step's
 * condition holds, runs its action and moves on. Once the steps are done (or after `maxPasses`)
 * the client is asked to quit and ends through its exit list. One run per process: the client's
 * managers are process-wide.
 */
class ClientRun {
public:
    explicit ClientRun(testsupport::ShardSettings settings = {});
    ~ClientRun();
    ClientRun(const ClientRun&) = delete;
    ClientRun& operator=(const ClientRun&) = delete;

    /**
     * The steps from the main menu into the world: the account and password typed (the password
     * field has the focus; Tab goes to the account), the first shard clicked, then the arrow of
     * the character screen; done once the shard's script has run and the player is in the world.
     */
    void enterWorld(const std::u16string& account, const std::u16string& password);
    /** Whether the shard has run the named step of its script. */
    bool shardRan(const std::string& step) const;
    /** Adds a step: once `ready` holds (checked before each pass), `act` runs. */
    void then(std::string name, std::function<bool()> ready, std::function<void()> act = {});
    /** Runs the client; returns its exit code. */
    int run(int maxPasses);

    /** The first step that did not run ("" when all did). */
    const std::string& stoppedAt() const { return stoppedAt_; }
    int passes() const { return passes_; }
    /** Called after every pass's steps (measurements). */
    std::function<void()> afterSteps;
    uint32_t msPerPass = 40;

    // Input, as the system would deliver it; each goes into the queue of the coming pass.
    void moveTo(int x, int y);
    void leftDown(int x, int y);
    void leftUp(int x, int y);
    void click(int x, int y);
    void rightDown(int x, int y);
    void rightUp(int x, int y);
    void key(uint32_t virtualKey);
    void type(const std::u16string& text);

    testsupport::ScriptedShard& shard() { return *shard_; }
    platform::NullWindow& window() { return window_.inner(); }
    const sampleinstall::Layout& layout() const { return *layout_; }
    /** The client's report log so far. */
    std::string log() const;
    /** The message boxes the client showed (title: text). */
    std::vector<std::string> boxes() const;

private:
    void pass();
    void mouse(platform::WindowMessage::Kind kind, int x, int y);

    struct Context;
    std::unique_ptr<Context> context_;
    std::unique_ptr<sampleinstall::Layout> layout_;
    std::unique_ptr<testsupport::ScriptedShard> shard_;
    DrivenWindow window_;
    struct Step {
        std::string name;
        std::function<bool()> ready;
        std::function<void()> act;
    };
    std::vector<Step> steps_;
    size_t next_ = 0;
    int passes_ = 0;
    int maxPasses_ = 0;
    bool quitting_ = false;
    std::string stoppedAt_;
};

} // namespace e2e
