/** @file The gump test harness: in-memory art, fixed-width fonts, gump texts, a fake clock and packet sink, the back buffer, and an event driver through the real window procedure. */
#pragma once

#include "client/core/app.h"
#include "client/gumps/framework/gump_canvas.h"
#include "platform/platform.h"
#include "platform/window/null_window.h"
#include "tests/core/report_sandbox.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

/** A plain image: width x height 5-5-5 pixels, row by row, 0 transparent. */
struct TestImage {
    int width = 0;
    int height = 0;
    std::vector<uint16_t> pixels;

    /** Every pixel the same colour. */
    static TestImage solid(int width, int height, uint16_t colour);
    /** A solid image with a transparent hole: the pixels of the hole rectangle are 0. */
    TestImage& hole(int left, int top, int right, int bottom);
    TestImage& set(int x, int y, uint16_t colour);
};

/** Records every packet sent on it as bytes. */
class FakePacketSink final : public CPacketSink {
public:
    bool SendPacket(const uint8_t* bytes, size_t length) override
    {
        packets.emplace_back(bytes, bytes + length);
        return true;
    }
    bool PastLoginPhase() const override { return pastLogin; }

    std::vector<std::vector<uint8_t>> packets;
    bool pastLogin = true;
};

/**
 * Everything a gump test stands on, made by the constructor and put back by the destructor:
 * a report sandbox (working folder, recorded message boxes), null platform twins with a manual
 * clock, an install folder whose gump art, static art (cursor images), fonts and gump texts are
 * given in memory before start(), a null window as the main window with a back buffer of the
 * chosen size, the fake packet sink as the main connection, and the real gump and mouse managers
 * installed into the core. The player is in the game world (g_bInGame) unless told otherwise.
 */
class GumpHarness {
public:
    GumpHarness();
    ~GumpHarness();
    GumpHarness(const GumpHarness&) = delete;
    GumpHarness& operator=(const GumpHarness&) = delete;

    // Before start().
    void addGumpArt(int id, const TestImage& image);
    /** Static art (an item graphic): the cursor images are static art 24659-24697. */
    void addStaticArt(int graphic, const TestImage& image);
    /** The 39 cursor images: each w x h of its own colour, the hot spot marked at (hotX, hotY). */
    void addCursorArt(int width, int height, int hotX, int hotY);
    /** Font slots 0..count-1: every character a glyph of width x height (vertical offset 0). */
    void useFixedWidthFonts(int width, int height, int count = 4);
    /** One gump text section ("gt_0000" ... "tooltips") in the user's language. */
    void addGumpTexts(const std::string& section, const std::vector<std::u16string>& texts);
    /** Writes the install, starts the data cache, fonts, languages, the window, the back buffer and the managers. */
    void start(int screenWidth = 640, int screenHeight = 480);

    platform::ManualClock& clock() { return platform_.clock(); }
    platform::NullWindow& window() { return window_; }
    FakePacketSink& packets() { return sink_; }
    ReportSandbox& sandbox() { return sandbox_; }
    std::string log() const { return sandbox_.read("KZReport0.log"); }
    /** How often a text appears in the report log. */
    size_t logCount(const std::string& text) const;

    /** The back-buffer pixel at a screen position (through the ring's offset). */
    uint16_t pixel(int x, int y) const;
    /** The pixel of the last presented frame. */
    uint16_t framePixel(int x, int y) const;
    /** The last presented frame's pixels inside r, row by row. */
    std::vector<uint16_t> framePixels(const GumpRect& r) const;
    /** A whole-screen draw with the last flag: gumps drawn, frame presented, back buffer restored. */
    void drawFrame();
    /** Fills the back buffer (the world view as the renderer left it). */
    void fillWorld(uint16_t colour);

private:
    struct Install;

    ReportSandbox sandbox_;
    platform::ScopedPlatform platform_;
    platform::NullWindow window_;
    FakePacketSink sink_;
    std::unique_ptr<Install> install_;
    bool started_ = false;
};

/**
 * Sends input as the system would: each event is a window message handed to the real window
 * procedure, and pass() runs the interface pass of the game tick (mouse update, gump update)
 * after moving the clock.
 */
class GumpEventDriver {
public:
    explicit GumpEventDriver(GumpHarness& harness) : harness_(harness) {}

    void move(int x, int y);
    void leftDown(int x, int y);
    void leftUp(int x, int y);
    void rightDown(int x, int y);
    void rightUp(int x, int y);
    /** Down and up at one place. */
    void click(int x, int y);
    void rightClick(int x, int y);
    /** A left press at from, moves in steps of at most 2 pixels with a pass after each, release at to. */
    void drag(int fromX, int fromY, int toX, int toY);
    void keyDown(uint32_t virtualKey, bool ctrl = false, bool shift = false, bool alt = false);
    void typeChar(uint16_t character);
    /** Moves the clock by ms, then one interface pass. */
    void pass(uint32_t ms = 33);

private:
    void send(int kind, int x, int y);
    GumpHarness& harness_;
};

} // namespace testsupport
