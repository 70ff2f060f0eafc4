/** @file The client program started on a sample install: it starts, opens its window, runs its loop, closes and refuses a second copy. */
#include "tools/sample_install/sample_install.h"

#include "platform/instance/named_instance.h"
#include "platform/process/process.h"
#include "tests/support/mpeg/mpeg_clip.h"
#include "tests/platform/platform_test_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using platformtest::ScopedEnv;

struct ClientRun {
    int exitCode = -1;
    std::string log;
    std::string errors; // what the client wrote to stderr (message boxes without a screen)
};

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/**
 * Starts the client in the install folder with the layout's key store and runtime folder, its
 * stderr caught in errorFile. With closeWhenRunning, waits until the client's report log says its
 * main loop runs, lets it run runMs longer, then asks it to close (as closing the window does) and
 * waits for its end. SDL's audio driver is audioDriver.
 */
ClientRun runClient(const sampleinstall::Layout& layout, bool closeWhenRunning = false,
                    const std::string& logName = "KZReport0.log", const std::string& errorFile = "stderr.txt",
                    const char* audioDriver = "dummy", int runMs = 0)
{
    ScopedEnv config("KZ_CONFIG_HOME", layout.config.string());
    ScopedEnv runtime("KZ_RUNTIME_DIR", layout.run.string());
    ScopedEnv video("SDL_VIDEODRIVER", "dummy");
    ScopedEnv audio("SDL_AUDIODRIVER", audioDriver);
    platform::PosixProcessLauncher launcher;
    const auto id = launcher.spawn({"/bin/sh", "-c", "exec \"$0\" 2>\"$1\"", KZ_CLIENT_BINARY, errorFile},
                                   layout.install.string());
    EXPECT_TRUE(id.has_value());
    ClientRun run;
    if (!id)
        return run;
    const auto logPath = layout.install / logName;
    if (closeWhenRunning) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (launcher.isRunning(*id) &&
               readFile(logPath).find("WinMain: just before main program loop.") == std::string::npos &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(runMs));
        launcher.terminate(*id);
    }
    run.exitCode = launcher.wait(*id).value_or(-1);
    if (std::filesystem::exists(logPath))
        run.log = readFile(logPath);
    run.errors = readFile(layout.install / errorFile);
    return run;
}

TEST(ClientStartup, StartsTheCoreServicesOnTheSampleInstallAndExitsCleanly)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeSampleInstall(layout, error)) << error;

    const ClientRun run = runClient(layout, true);

    EXPECT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_TRUE(std::filesystem::exists(layout.install / "KZReport0.log"));
    // Start-up lines in their order, then the shutdowns in the reverse order.
    std::vector<std::string> expected = {
        "reached winmain!",
        "MemoryManager::started",
        "FileManager::setHDPath: set HDPath to '",
        "FileManager::setCDPath: CDPath not set",
        "FileManager::startup: search paths are:",
        "GraphicManager::startup: begin.",
        "DrawManager::startup: begin.",
        "MapManager::startup: begin.",
        "CVersionManager::startup: begin.",
        "HueManager::startup: begin.",
        "FontManager::startup: started.",
        "CWinApp::startup(): begin.",
        "CDHDCache::startup(): begin.",
        "CDHDCache::Init(): CApp::hdConfig == MaxHD.",
        // The language list, the user language from kz.cfg, then the start-up sections.
        "LanguageManager::loadLanguageCodes: loaded language codes.",
        "getKZCfgDirective: found 'UserLanguageCodeString'.",
        "LanguageManager::setUserLanguageCodeString: userLanguageCodeString='enu'.",
        "LanguageManager::preLoad: user language set to 'enu'.",
    };
    for (const char* section : {"intro", "gt_0000", "gt_1010", "gt_2000", "gt_2310", "gt_2400", "gt_5000", "gt_5400",
                                "skilname", "chat", "options"})
        expected.push_back(std::string("FileManager::load: file 'language\\") + section + ".enu'. allocating");
    expected.insert(expected.end(), {
        "LanguageManager::startup: user language set to 'enu'.",
        "WinMain: just before main program loop.",
        "WinMain: main program loop ended with code 0.",
        "CApp::shutdown: begin.",
        "CDHDCache::shutdown: shutting down...",
        "FontManager::shutdown: stopped.",
        "FileManager::shutdown: stopped.",
        "MemoryManager::stopped.",
        "KZReport: stopping...",
    });
    size_t from = 0;
    for (const std::string& line : expected) {
        const size_t at = run.log.find(line, from);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\nlog:\n" << run.log;
        from = at;
    }
    EXPECT_NE(run.log.find("set HDPath to '" + layout.install.string() + "/'"), std::string::npos) << run.log;
    // Both configuration files are there, every start-up section loaded, and the translation
    // link (not enabled in the sample kz.cfg) started no helper.
    for (const char* unexpected : {"CApp::readConfig: cannot open", "saveConfigDirective: cannot open",
                                   "LanguageSection::load: cannot load", "LanguageTranslationServer"})
        EXPECT_EQ(run.log.find(unexpected), std::string::npos) << unexpected << "\nlog:\n" << run.log;
}

/** The client started headless on a sample install; the environment it was started with lives as long. */
class HeadlessClient {
public:
    explicit HeadlessClient(const sampleinstall::Layout& layout)
        : config_("KZ_CONFIG_HOME", layout.config.string()), runtime_("KZ_RUNTIME_DIR", layout.run.string()),
          video_("SDL_VIDEODRIVER", "dummy"), audio_("SDL_AUDIODRIVER", "dummy"),
          log_(layout.install / "KZReport0.log"), id_(launcher_.spawn({KZ_CLIENT_BINARY}, layout.install.string()))
    {
    }
    bool started() const { return id_.has_value(); }
    bool running() { return launcher_.isRunning(*id_); }
    const std::filesystem::path& log() const { return log_; }
    /** Waits (60 s at most) until the report log holds text or the client has ended. */
    void waitForLog(const std::string& text, std::chrono::milliseconds poll)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (running() && readFile(log_).find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(poll);
    }
    /** Sends the termination signal and gives the exit code (-1 when there is none). */
    int stop()
    {
        launcher_.terminate(*id_);
        return launcher_.wait(*id_).value_or(-1);
    }

private:
    ScopedEnv config_;
    ScopedEnv runtime_;
    ScopedEnv video_;
    ScopedEnv audio_;
    platform::PosixProcessLauncher launcher_;
    std::filesystem::path log_;
    std::optional<int64_t> id_;
};

TEST(ClientStartup, ATerminationSignalDuringStartUpStillRunsTheExitList)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeSampleInstall(layout, error)) << error;
    HeadlessClient client(layout);
    ASSERT_TRUE(client.started());
    // As soon as the log exists, long before the window is made.
    client.waitForLog("reached winmain!", std::chrono::milliseconds(1));
    EXPECT_EQ(client.stop(), 0);
    const std::string text = readFile(client.log());
    EXPECT_NE(text.find("MemoryManager::stopped."), std::string::npos) << text;
    EXPECT_NE(text.find("KZReport: stopping..."), std::string::npos) << text;
}

TEST(ClientStartup, TheStartUpSongIsHeardThroughTheDiskAudioDriver)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeSampleInstall(layout, error)) << error;
    const std::string output = dir.file("out.raw");
    ScopedEnv disk("SDL_DISKAUDIOFILE", output);

    const ClientRun run = runClient(layout, true, "KZReport0.log", "stderr.txt", "disk", 2500);

    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.log.find("No sound device"), std::string::npos) << run.log;
    EXPECT_EQ(run.log.find("No music synthesiser"), std::string::npos) << run.log;
    // Sixteen-bit stereo frames: the song (a harp, its first notes within the first second) is heard.
    const std::string bytes = readFile(output);
    int peak = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        peak = std::max(peak, std::abs(static_cast<int>(static_cast<int16_t>(
                                  static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)))));
    EXPECT_GT(bytes.size(), 44100u * 4u) << "at least a second of output";
    EXPECT_GT(peak, 1000);
}

TEST(ClientStartup, ADummyAudioDriverRunsSilentAndSaysSoOnce)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeSampleInstall(layout, error)) << error;

    const ClientRun run = runClient(layout, true);

    EXPECT_EQ(run.exitCode, 0) << run.errors;
    const size_t said = run.log.find("No sound device");
    ASSERT_NE(said, std::string::npos) << run.log;
    EXPECT_EQ(run.log.find("No sound device", said + 1), std::string::npos);
    EXPECT_EQ(run.errors.find("DirectSound Error"), std::string::npos) << run.errors;
}

/** A sample install whose kz.cfg asks for the intro. */
void writeInstallShowingTheIntro(const sampleinstall::Layout& layout)
{
    std::string error;
    ASSERT_TRUE(sampleinstall::writeSampleInstall(layout, error)) << error;
    std::string config = readFile(layout.install / "kz.cfg");
    const size_t at = config.find("ShowIntroAnim=off");
    ASSERT_NE(at, std::string::npos);
    config.replace(at, 17, "ShowIntroAnim=on");
    ASSERT_TRUE(sampleinstall::writeWholeFile(layout.install / "kz.cfg", config, error)) << error;
}

TEST(ClientStartup, ShowIntroAnimPlaysTheIntroMovieBeforeTheGame)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    writeInstallShowingTheIntro(layout);

    const ClientRun run = runClient(layout, true);

    EXPECT_EQ(run.exitCode, 0) << run.errors;
    const size_t playing = run.log.find("PlayMovie: playing " + (layout.install / "music" / "intro.wve").string());
    ASSERT_NE(playing, std::string::npos) << run.log;
    const size_t ended = run.log.find("intro.wve ended after ", playing);
    ASSERT_NE(ended, std::string::npos) << run.log;
    // Every one of the 45 frames was shown, and the game started after the movie.
    EXPECT_GE(std::stoi(run.log.substr(ended + 22)), 45) << run.log;
    EXPECT_NE(run.log.find("WinMain: just before main program loop.", ended), std::string::npos) << run.log;
    EXPECT_EQ(run.log.find("the movie stops here"), std::string::npos) << run.log; // no damaged chunk
    EXPECT_EQ(run.log.find("PlayMpegMovie"), std::string::npos) << run.log;       // one intro only
}

TEST(ClientStartup, AnMpegIntroPlaysThroughTheMpegDecoder)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    writeInstallShowingTheIntro(layout);
    std::filesystem::remove(layout.install / "music" / "intro.wve");
    const std::string clip = (layout.install / "music" / "intro.mpg").string();
    ASSERT_TRUE(testsupport::writeMpeg1Clip(clip, 640, 480, 50, 25));

    const ClientRun run = runClient(layout, true);

    EXPECT_EQ(run.exitCode, 0) << run.errors;
    const size_t ended = run.log.find("PlayMpegMovie: " + clip + " ended after 50 pictures.");
    ASSERT_NE(ended, std::string::npos) << run.log;
    EXPECT_EQ(run.log.find("PlayMovie: playing"), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("WinMain: just before main program loop.", ended), std::string::npos) << run.log;
}

TEST(ClientStartup, MissingInstallKeyEndsWithCodeOneAndTheReinstallMessage)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    // Installed with its data files, but without the key that names the install folder.
    ASSERT_TRUE(sampleinstall::writeSampleInstall(layout, error)) << error;
    std::filesystem::remove(layout.config / "registry.ini");

    const ClientRun run = runClient(layout);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.log.find("Tavorn Vevovo does not appear to be installed correctly on your system. Please "
                           "re-install KZ by running the setup.exe program located on your KZ CD-ROM"),
              std::string::npos)
        << run.log;
    EXPECT_EQ(run.log.find("CVersionManager::startup"), std::string::npos) << run.log;
}

TEST(ClientStartup, ASecondCopyIsRefusedWhileTheFirstRuns)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeSampleInstall(layout, error)) << error;

    HeadlessClient first(layout);
    ASSERT_TRUE(first.started());
    first.waitForLog("WinMain: just before main program loop.", std::chrono::milliseconds(20));
    ASSERT_TRUE(first.running());

    const ClientRun second = runClient(layout, false, "KZReport1.log", "second-stderr.txt");

    EXPECT_EQ(second.exitCode, 0);
    EXPECT_NE(second.errors.find("Another copy of KZ is already running!"), std::string::npos) << second.errors;
    EXPECT_EQ(second.log.find("MemoryManager::started"), std::string::npos) << second.log;
    EXPECT_NE(second.log.find("reached winmain!"), std::string::npos) << second.log;
    // The first copy's log is still its own: nothing of the second in it, nothing cut.
    const std::string firstLog = readFile(layout.install / "KZReport0.log");
    EXPECT_EQ(firstLog.find('\0'), std::string::npos);
    EXPECT_EQ(firstLog.rfind("KZReport::message: KZReport: created file 'KZReport0.log' for writing.", 0), 0u)
        << firstLog;
    EXPECT_NE(firstLog.find("WinMain: just before main program loop."), std::string::npos) << firstLog;
    EXPECT_EQ(first.stop(), 0);
}

TEST(ClientStartup, AClientOrPatcherHoldingItsNameEndsTheStartUpWithCodeOne)
{
    struct Case {
        const char* heldName;
        const char* message;
    } const cases[] = {
        {"KzClientApp", "ERROR: Another instance of KZ is already running."},
        {"KzPatchApp", "ERROR: An instance of KZ Patch is already running."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.heldName);
        testsupport::TempDir dir;
        const sampleinstall::Layout layout(dir.path());
        std::string error;
        ASSERT_TRUE(sampleinstall::writeSampleInstall(layout, error)) << error;
        ScopedEnv runtime("KZ_RUNTIME_DIR", layout.run.string());
        bool taken = false;
        const auto held = platform::NamedInstance::create(c.heldName, &taken);
        ASSERT_TRUE(held && held->holdsName());

        const ClientRun run = runClient(layout);

        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
        // The managers had started (configuration read), but the process ends without its exit list.
        EXPECT_NE(run.log.find("CWinApp::startup(): begin."), std::string::npos) << run.log;
        EXPECT_EQ(run.log.find("CApp::shutdown: begin."), std::string::npos) << run.log;
        EXPECT_EQ(run.log.find("WinMain: just before main program loop."), std::string::npos) << run.log;
    }
}

} // namespace
