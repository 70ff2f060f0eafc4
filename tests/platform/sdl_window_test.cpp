/** @file Tests of the SDL window backend under SDL's dummy video driver, and of its key table. */
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_window.h"
#include "platform/window/utf16_text.h"
#include "platform/window/virtual_keys.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace {

using Kind = platform::WindowMessage::Kind;
namespace vk = platform::vk;

TEST(SdlKeyTable, GivesTheVirtualKeyCodes)
{
    const struct {
        SDL_Keycode sdl;
        uint32_t virtualKey;
    } cases[] = {
        {SDLK_BACKSPACE, 0x08}, {SDLK_TAB, 0x09},      {SDLK_RETURN, 0x0D},    {SDLK_KP_ENTER, 0x0D},
        {SDLK_ESCAPE, 0x1B},    {SDLK_SPACE, 0x20},    {SDLK_PAGEUP, 0x21},    {SDLK_PAGEDOWN, 0x22},
        {SDLK_END, 0x23},       {SDLK_HOME, 0x24},     {SDLK_LEFT, 0x25},      {SDLK_UP, 0x26},
        {SDLK_RIGHT, 0x27},     {SDLK_DOWN, 0x28},     {SDLK_INSERT, 0x2D},    {SDLK_DELETE, 0x2E},
        {SDLK_0, 0x30},         {SDLK_9, 0x39},        {SDLK_a, 0x41},         {SDLK_z, 0x5A},
        {SDLK_KP_0, 0x60},      {SDLK_KP_9, 0x69},     {SDLK_KP_MULTIPLY, 0x6A}, {SDLK_KP_PLUS, 0x6B},
        {SDLK_KP_MINUS, 0x6D},  {SDLK_KP_PERIOD, 0x6E}, {SDLK_KP_DIVIDE, 0x6F}, {SDLK_F1, 0x70},
        {SDLK_F12, 0x7B},       {SDLK_F24, 0x87},      {SDLK_LSHIFT, 0x10},    {SDLK_RCTRL, 0x11},
        {SDLK_LALT, 0x12},      {SDLK_CAPSLOCK, 0x14}, {SDLK_NUMLOCKCLEAR, 0x90}, {SDLK_SCROLLLOCK, 0x91},
        {SDLK_SEMICOLON, 0xBA}, {SDLK_EQUALS, 0xBB},   {SDLK_COMMA, 0xBC},     {SDLK_MINUS, 0xBD},
        {SDLK_PERIOD, 0xBE},    {SDLK_SLASH, 0xBF},    {SDLK_BACKQUOTE, 0xC0}, {SDLK_LEFTBRACKET, 0xDB},
        {SDLK_BACKSLASH, 0xDC}, {SDLK_RIGHTBRACKET, 0xDD}, {SDLK_QUOTE, 0xDE}, {SDLK_UNKNOWN, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::virtualKeyFromSdl(c.sdl), c.virtualKey) << SDL_GetKeyName(c.sdl);

    // One entry per SDL key, and every letter and digit of the keyboard is there.
    std::set<SDL_Keycode> seen;
    for (const platform::SdlKeyMapping& m : platform::sdlKeyTable())
        EXPECT_TRUE(seen.insert(m.sdl).second) << "twice: " << SDL_GetKeyName(m.sdl);
    for (SDL_Keycode k = SDLK_a; k <= SDLK_z; ++k)
        EXPECT_EQ(platform::virtualKeyFromSdl(k), static_cast<uint32_t>('A' + (k - SDLK_a)));
}

TEST(Utf16Text, DecodesWellFormedSequencesAndSkipsBrokenBytes)
{
    using Units = std::vector<uint16_t>;
    const struct {
        const char* name;
        std::string_view text;
        Units units;
    } cases[] = {
        {"plain", "ab", {'a', 'b'}},
        {"two, three and four bytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", {0xE9, 0x20AC, 0xD83D, 0xDE00}},
        {"a sequence cut by the end", "a\xE2\x82", {'a'}},
        {"a bad continuation byte is read again as a lead", "\xC3" "A", {'A'}},
        {"stray continuation and invalid bytes", "\x80x\xFFy", {'x', 'y'}},
        {"beyond the last code point", "\xF4\x90\x80\x80z", {'z'}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::utf16FromUtf8(c.text), c.units) << c.name;
}

class SdlWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_TRUE(window_.open("test", 64, 48)) << SDL_GetError();
    }

    std::vector<platform::WindowMessage> drain()
    {
        std::vector<platform::WindowMessage> out;
        platform::WindowMessage m;
        while (window_.pollMessage(m))
            out.push_back(m);
        return out;
    }

    static void pushKey(SDL_Keycode key, Uint16 mod = 0)
    {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = key;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }

    static void pushText(const char* text)
    {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.type = SDL_TEXTINPUT;
        std::strncpy(e.text.text, text, sizeof e.text.text - 1);
        SDL_PushEvent(&e);
    }

    platform::SdlWindow window_;
};

TEST_F(SdlWindowTest, KeysAndTextBecomeKeyAndCharacterMessages)
{
    drain();
    pushKey(SDLK_BACKSPACE);
    pushKey(SDLK_a, KMOD_LCTRL);
    pushText("\xC3\xA9!");
    const auto messages = drain();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0].kind, Kind::KeyDown);
    EXPECT_EQ(messages[0].key, vk::Back);
    EXPECT_EQ(messages[1].kind, Kind::Char); // SDL types nothing for Backspace
    EXPECT_EQ(messages[1].character, 8);
    EXPECT_EQ(messages[2].key, static_cast<uint32_t>('A'));
    EXPECT_TRUE(messages[2].ctrl);
    EXPECT_EQ(messages[3].character, 0xE9);
    EXPECT_EQ(messages[4].character, '!');
}

TEST_F(SdlWindowTest, AltKeysAreSystemKeysAndTheirCharacterCanBeDropped)
{
    drain();
    pushKey(SDLK_q, KMOD_LALT);
    pushText("q");
    pushText("w");
    platform::WindowMessage m;
    ASSERT_TRUE(window_.pollMessage(m));
    EXPECT_EQ(m.kind, Kind::SysKeyDown);
    window_.dropNextChar();
    ASSERT_TRUE(window_.pollMessage(m));
    EXPECT_EQ(m.character, 'w');
}

TEST_F(SdlWindowTest, PostedMessagesArriveFromAnyThreadInOrder)
{
    drain();
    std::thread poster([this] {
        platform::WindowMessage m = platform::WindowMessage::of(Kind::MusicNotify);
        window_.postMessage(m);
        m.kind = Kind::Command;
        m.command = 40089;
        window_.postMessage(m);
    });
    poster.join();
    const auto messages = drain();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].kind, Kind::MusicNotify);
    EXPECT_EQ(messages[1].command, 40089u);
}

TEST_F(SdlWindowTest, FramesArePresentedAndUnknownModesAreRefused)
{
    EXPECT_GE(window_.desktop().bitsPerPixel, 16);
    ASSERT_TRUE(window_.configureSurface(64, 48, platform::PixelLayout::Rgb555));
    platform::FrameSurface surface;
    ASSERT_TRUE(window_.lockSurface(surface));
    EXPECT_GE(surface.pitchPixels, 64);
    surface.pixels[0] = 0x7FFF;
    window_.presentSurface();

    platform::PixelLayout layout;
    EXPECT_FALSE(window_.enterFullScreen(123, 45, layout));
    EXPECT_FALSE(window_.isFullScreen());

    window_.destroy();
    EXPECT_FALSE(window_.isOpen());
    const auto messages = drain();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().kind, Kind::Destroy);
}

} // namespace
