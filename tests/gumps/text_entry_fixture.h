/** @file What the text entry tests share: a window that records the slots its fields call, fonts, the art of fields and lists. */
#pragma once

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_control.h"
#include "client/render/text_manager.h"
#include "tests/gumps/recording_gump.h"
#include "tests/support/gump_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testsupport {

/** A recording window that also logs Tab, Enter, Escape, drop-down, child press and double click. */
class FieldWindow : public RecordingGump {
public:
    using RecordingGump::RecordingGump;
    void OnChildTab() override { events.push_back("tab"); }
    void OnChildEnter() override { events.push_back("enter"); }
    void OnChildEscape() override { events.push_back("escape"); }
    void OnDropDown(CGump*) override { events.push_back("drop-down"); }
    void OnChildPress(CGump*) override { events.push_back("press"); }
    void OnChildDoubleClick(CGump*) override { events.push_back("double-click"); }
};

/**
 * Fixed-width fonts of 6 x 8 pixels, a 300 x 200 window at (100, 100), and the art the fields
 * and lists use. System messages are recorded instead of shown.
 */
class TextEntryTest : public ::testing::Test {
protected:
    static constexpr int kGlyphWidth = 6;
    static constexpr int kWindowX = 100;
    static constexpr int kWindowY = 100;

    void SetUp() override
    {
        addArt();
        harness.useFixedWidthFonts(kGlyphWidth, 8);
        harness.start();
        window = new FieldWindow(kWindowX, kWindowY, 300, 200, 0x0101);
        TextManager::SetBarkMaker([this](const char* text, int32_t, int32_t) {
            systemMessages.emplace_back(text);
            return nullptr;
        });
        UnicodeSpeech = 0;
        g_bTargetMode = false;
    }
    void TearDown() override
    {
        TextManager::SetBarkMaker(nullptr);
        CGumpManager::WorldHooks().isMobile = nullptr;
        g_worldTargetCallback = nullptr;
        UnicodeSpeech = 0;
    }
    /** Art the tests add before the harness starts. */
    virtual void addArt() {}

    /** A text field of width x 16 at (10, 10) of the window, without background. */
    CInputControlGump* field(int w = 120, int mode = CInputControlGump::ModeText, int limit = 30)
    {
        return new CInputControlGump(10, 10, window, w, 16, mode, limit, 1, 902, 1, 0, 0);
    }
    /** Clicks the field at x pixels from its left edge (it takes the focus). */
    void clickField(CInputControlGump* f, int x = 1)
    {
        int sx = x, sy = 4;
        f->GumpToScreenCoords(sx, sy);
        driver.click(sx, sy);
    }
    void type(const std::string& text)
    {
        for (unsigned char c : text)
            driver.typeChar(c);
    }
    std::vector<std::string> take() { return window->take(); }

    GumpHarness harness;
    GumpEventDriver driver{harness};
    FieldWindow* window = nullptr;
    std::vector<std::string> systemMessages;
};

} // namespace testsupport
