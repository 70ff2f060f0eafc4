/** @file The whole client run in this process against the scripted shard. */
#include "tests/e2e/client_harness.h"

#include "client/client_main.h"
#include "client/core/app.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/login/login_screens.h"
#include "client/gumps/login/login_state.h"
#include "client/world/object_manager.h"
#include "platform/exit/exit.h"
#include "platform/keystore/key_store.h"
#include "platform/message_box/message_box.h"
#include "platform/platform.h"
#include "platform/process/process.h"
#include "platform/system/system_info.h"
#include "tests/platform/platform_test_env.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace e2e {

using Kind = platform::WindowMessage::Kind;

bool DrivenWindow::pollMessage(platform::WindowMessage& out)
{
    if (passStarts_) {
        passStarts_ = false;
        if (beforePass)
            beforePass();
    }
    if (inner_.pollMessage(out))
        return true;
    passStarts_ = true;
    return false;
}

namespace {

using platformtest::ScopedEnv;

/** The shard screen, once it is up. */
bool shardScreenShown()
{
    for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
        if (dynamic_cast<CThalMapGump*>(g) != nullptr && !g->closing)
            return true;
    return false;
}

} // namespace

/** What a run changes in the process and puts back afterwards. */
struct ClientRun::Context {
    testsupport::TempDir dir;
    std::filesystem::path previousDir = std::filesystem::current_path();
    platform::ManualClock clock;
    std::unique_ptr<platform::FileKeyStore> keyStore;
    platform::PosixProcessLauncher processes;
    platform::LinuxSystemInfo systemInfo;
    platform::Platform platform;
    platform::RecordingMessageBoxSink boxes;
};

ClientRun::ClientRun(testsupport::ShardSettings settings) : context_(std::make_unique<Context>())
{
    layout_ = std::make_unique<sampleinstall::Layout>(context_->dir.path());
    std::string error;
    if (!sampleinstall::writeSampleInstall(*layout_, error))
        throw std::runtime_error("sample install: " + error);
    settings.installFolder = layout_->install.string();
    shard_ = std::make_unique<testsupport::ScriptedShard>(std::move(settings));
    std::ofstream(layout_->install / "login.cfg", std::ios::binary)
        << "LoginServer=127.0.0.1," << shard_->loginPort() << "\r\n";
    window_.beforePass = [this] { pass(); };
}

ClientRun::~ClientRun() = default;

void ClientRun::then(std::string name, std::function<bool()> ready, std::function<void()> act)
{
    steps_.push_back({std::move(name), std::move(ready), std::move(act)});
}

bool ClientRun::shardRan(const std::string& step) const
{
    const auto& steps = shard_->stepsRun();
    return std::find(steps.begin(), steps.end(), step) != steps.end();
}

void ClientRun::enterWorld(const std::u16string& account, const std::u16string& password)
{
    then("main menu", [this] { return loginState().acctLogin != nullptr && passes_ > 5; }, [this, account, password] {
        type(password + u"\t");
        type(account + u"\r");
    });
    then("shard list", [this] { return shardRan("account-login") && shardScreenShown(); },
         [this] { click(150 + 74 + 4, 90 + 10 + 5); });
    then("character list", [this] { return shardRan("game-login") && loginState().characterScreen != nullptr; },
         [this] { click(610 + 5, 445 + 5); });
    then("in the world", [this] { return shard_->scriptDone() && g_bInGame && World().player != nullptr; });
}

int ClientRun::run(int maxPasses)
{
    maxPasses_ = maxPasses;
    Context& c = *context_;
    ScopedEnv config("KZ_CONFIG_HOME", layout_->config.string());
    ScopedEnv runtime("KZ_RUNTIME_DIR", layout_->run.string());
    ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
    c.keyStore = std::make_unique<platform::FileKeyStore>(platform::defaultKeyStorePath());
    c.platform = platform::Platform{&c.clock, c.keyStore.get(), &c.processes, &c.systemInfo};
    platform::setCurrent(&c.platform);
    platform::ScopedMessageBoxSink boxScope(c.boxes);
    platform::ScopedExitHook exitHook;
    std::filesystem::current_path(layout_->install);
    int code = -1;
    try {
        RunClient(window_);
    } catch (const platform::ExitRequested& exit) {
        code = exit.code;
    }
    std::filesystem::current_path(c.previousDir);
    platform::setCurrent(nullptr);
    stoppedAt_ = next_ < steps_.size() ? steps_[next_].name : "";
    return code;
}

void ClientRun::pass()
{
    ++passes_;
    // Pacing off: every pass runs the game tick; the clock moves by a fixed step instead.
    TickInterval = 0;
    context_->clock.advance(msPerPass);
    shard_->pump();
    while (!quitting_ && next_ < steps_.size() && steps_[next_].ready()) {
        if (steps_[next_].act)
            steps_[next_].act();
        ++next_;
    }
    if (afterSteps)
        afterSteps();
    if (!quitting_ && (next_ == steps_.size() || passes_ >= maxPasses_)) {
        quitting_ = true;
        stoppedAt_ = next_ < steps_.size() ? steps_[next_].name : "";
        window_.postMessage(platform::WindowMessage::of(Kind::Close));
    }
}

void ClientRun::mouse(Kind kind, int x, int y)
{
    window_.inner().setPointer(x, y);
    platform::WindowMessage m = platform::WindowMessage::of(kind);
    m.x = x;
    m.y = y;
    window_.postMessage(m);
}

void ClientRun::moveTo(int x, int y) { mouse(Kind::MouseMove, x, y); }
void ClientRun::leftDown(int x, int y) { mouse(Kind::LButtonDown, x, y); }
void ClientRun::leftUp(int x, int y) { mouse(Kind::LButtonUp, x, y); }
void ClientRun::rightDown(int x, int y) { mouse(Kind::RButtonDown, x, y); }
void ClientRun::rightUp(int x, int y) { mouse(Kind::RButtonUp, x, y); }

void ClientRun::click(int x, int y)
{
    moveTo(x, y);
    leftDown(x, y);
    leftUp(x, y);
}

void ClientRun::key(uint32_t virtualKey)
{
    platform::WindowMessage down = platform::WindowMessage::of(Kind::KeyDown);
    down.key = virtualKey;
    window_.postMessage(down);
    platform::WindowMessage up = platform::WindowMessage::of(Kind::KeyUp);
    up.key = virtualKey;
    window_.postMessage(up);
}

void ClientRun::type(const std::u16string& text)
{
    for (char16_t unit : text) {
        platform::WindowMessage m = platform::WindowMessage::of(Kind::Char);
        m.character = unit;
        window_.postMessage(m);
    }
}

std::string ClientRun::log() const
{
    std::ifstream in(layout_->install / "KZReport0.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> ClientRun::boxes() const
{
    std::vector<std::string> out;
    for (const auto& box : context_->boxes.boxes())
        out.push_back(box.caption + ": " + box.text);
    return out;
}

} // namespace e2e
