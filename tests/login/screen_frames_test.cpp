/** @file The first frame of every login screen, pinned by its checksum (a mismatch writes the frame as PNG). */
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/login/creation_screens.h"
#include "tests/login/login_test_fixture.h"
#include "tests/support/movie_fixtures.h"

#include <functional>

namespace logintest {
namespace {

class ScreenFrames : public LoginScreensTest {};

TEST_F(ScreenFrames, EveryScreenShowsItsFirstFrame)
{
    harness.sandbox().dir().write("hd/prof.txt", sampleinstall::sampleProfessionFile());
    ScreenShard shard;
    shard.id = 1;
    shard.name = "Sample Shard";
    screenLists().shards = {shard};
    screenLists().characters[0].name = "Rowan";
    struct Screen {
        const char* name;
        std::function<void()> open;
        uint64_t checksum;
    };
    const Screen screens[] = {
        {"login_shards", [] { OpenShardScreen(); }, 0x5cf2e667d826b03bull},
        {"login_characters", [] { OpenCharacterScreen(); }, 0x19f0957a1701e913ull},
        {"login_professions", [] { NewCharacterCallback(nullptr); }, 0x640d529967830cb3ull},
        {"login_warrior", [] { loginState().profession->ChooseButton(1); }, 0xe0e33408de0a3f8full},
        {"login_appearance", [] { loginState().profession->HandleButtonPress(CProfessionGump::kArrow); }, 0x905b51671ed92145ull},
        {"login_city", [] {
             loginState().creation->nameField->SetText("Rowan");
             loginState().creation->NameCheck();
         }, 0xa54f861204e6d2c4ull},
    };
    for (const Screen& screen : screens) {
        screen.open();
        driver.pass();
        harness.drawFrame();
        EXPECT_EQ(testsupport::checkGoldenFrame(screen.name, harness.window().lastFrame(), 640, 480, false,
                                                screen.checksum),
                  "");
    }
}

} // namespace
} // namespace logintest
