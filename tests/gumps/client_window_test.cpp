/** @file End to end: the main loop takes the options key, the core opens the window through the registry, the game tick draws and presents it; and the sample install carries the cursors and the controls' art. */
#include "client/core/app.h"
#include "client/core/display_mode.h"
#include "client/core/main_loop.h"
#include "client/data/art_image.h"
#include "client/data/gump_art.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "platform/window/virtual_keys.h"
#include "tests/gumps/recording_gump.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/gump_harness.h"
#include "tests/support/temp_dir.h"
#include "tools/sample_install/write_data_files.h"

#include <gtest/gtest.h>

namespace {

using testsupport::GumpHarness;
using testsupport::TestImage;
using Kind = platform::WindowMessage::Kind;

/** The options window as the registry makes it: the art of its id. */
class OptionsWindow : public testsupport::RecordingGump {
public:
    explicit OptionsWindow(const GumpOpenRequest& r) : RecordingGump(r.x, r.y, r.artWidth, r.artHeight, 0)
    {
        artId = r.gumpId;
        AttachToParent(nullptr);
    }
    int IsOptionsGump() override { return 1; }
};

TEST(ClientWindow, TheOptionsKeyOpensTheRegisteredWindowAndTheNextFrameShowsIt)
{
    constexpr uint16_t kPanel = 0x2D6B;
    GumpHarness harness;
    harness.addGumpArt(5000, TestImage::solid(300, 200, kPanel));
    harness.addGumpArt(5001, TestImage::solid(20, 20, kPanel));
    harness.addCursorArt(8, 8, 0, 0);
    harness.start();
    harness.fillWorld(0x0001);
    ResetGameTickState();
    int made = 0;
    CGumpManager::RegisterGumpFactory(5000, [&made](const GumpOpenRequest& r) {
        ++made;
        return new OptionsWindow(r);
    });

    platform::WindowMessage key = platform::WindowMessage::of(Kind::KeyDown);
    key.key = 'O';
    key.ctrl = key.shift = true;
    harness.window().postMessage(key);
    MainLoopHooks hooks;
    hooks.gameTick = [&harness](int skipDraw) {
        GameTick(skipDraw);
        if (harness.window().presentCount() > 0) {
            platform::WindowMessage quit = platform::WindowMessage::of(Kind::Quit);
            harness.window().postMessage(quit);
        }
    };
    EXPECT_EQ(RunMainLoop(harness.window(), harness.clock(), hooks), 0);

    EXPECT_EQ(made, 1);
    ASSERT_NE(CGumpManager::First(), nullptr);
    EXPECT_EQ(CGumpManager::First()->IsOptionsGump(), 1);
    EXPECT_EQ(harness.framePixel(150, 100), kPanel);
    EXPECT_EQ(harness.framePixel(350, 300), 0x0001);
    EXPECT_EQ(harness.pixel(150, 100), 0x0001); // the back buffer holds the world again
    CGumpManager::UnregisterGumpFactory(5000);
}

TEST(ClientWindow, TheSampleInstallHasEveryCursorWithItsHotSpotAndTheControlsArt)
{
    testsupport::TempDir dir;
    const sampleinstall::Layout layout(dir.path());
    std::string error;
    ASSERT_TRUE(sampleinstall::writeInstallFolders(layout, error)) << error;
    ASSERT_TRUE(sampleinstall::writeDataFiles(layout, error)) << error;
    ClearArtImageCache();
    {
        testsupport::ScopedDataCache cache(layout.install);
        MouseManager::startup();
        MouseManager::LoadCursors();
        MouseManager::EnableSoftwareCursor(1);
        EXPECT_TRUE(MouseManager::services().DrawsCursor());
        for (int art = 24659; art <= 24697; ++art)
            EXPECT_NE(GetArtImage(0x4000 + art), nullptr) << art;
        int x = 0, y = 0;
        MouseManager::HotSpot(MouseManager::kNormalCursor, x, y);
        EXPECT_EQ(x, 1);
        EXPECT_EQ(y, 1);
        MouseManager::HotSpot(2, x, y); // a walk arrow: the centre
        EXPECT_EQ(x, 12);
        EXPECT_EQ(y, 12);
        for (int id : {210, 211, 5540, 5541, 5542, 2117, 2118}) {
            int32_t w = 0, h = 0;
            GetGumpArtSize(id, &w, &h);
            EXPECT_GT(w, 0) << id;
        }
        MouseManager::shutdown();
    }
    ClearArtImageCache();
}

} // namespace
