/** @file The gump test harness. */
#include "tests/support/gump_harness.h"

#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/file_manager.h"
#include "client/core/gump_services.h"
#include "client/core/main_window.h"
#include "client/core/mouse_services.h"
#include "client/data/art_image.h"
#include "client/data/data_files.h"
#include "client/data/font_manager.h"
#include "client/data/language_manager.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/gump_canvas.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "tests/support/art_builder.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/font_builder.h"
#include "tools/formats/language_formats.h"

#include <algorithm>
#include <filesystem>

namespace testsupport {

using Kind = platform::WindowMessage::Kind;

TestImage TestImage::solid(int width, int height, uint16_t colour)
{
    TestImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height, colour);
    return image;
}

TestImage& TestImage::hole(int left, int top, int right, int bottom)
{
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, width); ++x)
            pixels[static_cast<size_t>(y) * width + x] = 0;
    return *this;
}

TestImage& TestImage::set(int x, int y, uint16_t colour)
{
    pixels[static_cast<size_t>(y) * width + x] = colour;
    return *this;
}

struct GumpHarness::Install {
    explicit Install(const std::filesystem::path& folder) : data(folder) {}
    DataInstall data;
    std::unique_ptr<ScopedDataCache> cache;
    std::map<std::string, std::vector<std::u16string>> texts;
    std::vector<uint8_t> fonts;
};

GumpHarness::GumpHarness()
{
    ResetConfigStore();
    g_bInGame = true;
    const std::filesystem::path hd = sandbox_.dir().path() / "hd";
    std::filesystem::create_directories(hd);
    install_ = std::make_unique<Install>(hd);
    platform_.keyStore().setString(FileManager::INSTALL_KEY, "ExePath", (hd / "client").string());
    platform_.keyStore().setString("intl", "sLanguage", "enu");
    window_.setDesktop({1024, 768, 32});
}

GumpHarness::~GumpHarness()
{
    if (started_) {
        CGumpManager::shutdown();
        MouseManager::shutdown();
        SetGumpServices(nullptr);
        SetMouseServices(nullptr);
        ReleaseMainWindow();
        DeleteMouseTimerLock();
        DeleteBackBufferBitmap();
        ViewBufferOffset = 0;
        FontManager::unloadFonts();
        ClearArtImageCache();
        LanguageManager::shutdown();
        FileManager::shutdown();
    }
    install_->cache.reset();
    SetMainConnection(nullptr);
    g_bInGame = false;
    ResetConfigStore();
}

void GumpHarness::addGumpArt(int id, const TestImage& image)
{
    const formats::GumpArt art = formats::encodeGumpArt(static_cast<uint32_t>(image.width),
                                                        static_cast<uint32_t>(image.height), image.pixels);
    install_->data.indexed(FILE_GUMPART).add(static_cast<uint32_t>(id), art.data, art.extra);
}

void GumpHarness::addStaticArt(int graphic, const TestImage& image)
{
    install_->data.indexed(FILE_ART).add(static_cast<uint32_t>(0x4000 + graphic),
                                         buildArtRecordFromBitmap(static_cast<uint16_t>(image.width),
                                                                  static_cast<uint16_t>(image.height), image.pixels));
}

void GumpHarness::addCursorArt(int width, int height, int hotX, int hotY)
{
    for (int i = 0; i < 39; ++i) {
        TestImage image = TestImage::solid(width, height, static_cast<uint16_t>(0x0400 + i));
        // The mark pixels name the hot spot: the top row's first 992 and the left column's first 992.
        image.set(hotX, 0, 992).set(0, hotY, 992);
        addStaticArt(24659 + i, image);
    }
}

void GumpHarness::useFixedWidthFonts(int width, int height, int count)
{
    std::vector<std::optional<AsciiFontSpec>> slots;
    for (int i = 0; i < count; ++i)
        slots.emplace_back(blockFont(static_cast<uint8_t>(width), static_cast<uint8_t>(height), 0));
    install_->fonts = buildFontsMul(slots);
}

void GumpHarness::addGumpTexts(const std::string& section, const std::vector<std::u16string>& texts)
{
    install_->texts[section] = texts;
}

void GumpHarness::start(int screenWidth, int screenHeight)
{
    const std::filesystem::path hd = install_->data.folder();
    install_->data.write();
    for (const auto& [name, strings] : install_->texts) {
        formats::LanguageSectionSpec spec;
        spec.sectionName = name;
        spec.strings = strings;
        spec.charSize = 2;
        sandbox_.dir().write("hd/language/" + name + ".enu", formats::encodeLanguageSection(spec));
    }
    FileManager::startup();
    ClearArtImageCache(); // images kept from another install
    install_->cache = std::make_unique<ScopedDataCache>(hd);
    if (!install_->fonts.empty())
        FontManager::loadFontsFrom(install_->fonts.data(), install_->fonts.size());
    LanguageManager::startup();

    MouseManager::startup();
    SetMouseServices(&MouseManager::services());
    CGumpManager::startup();
    SetGumpServices(&CGumpManager::services());
    MouseManager::LoadCursors();
    MouseManager::EnableSoftwareCursor(1);
    CreateMainWindow(window_);
    ScreenWidth = screenWidth;
    ScreenHeight = screenHeight;
    RecreateBackBuffer();
    CGumpManager::ResetDC();
    SetMainConnection(&sink_);
    started_ = true;
}

size_t GumpHarness::logCount(const std::string& text) const
{
    const std::string all = log();
    size_t count = 0;
    for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
        ++count;
    return count;
}

uint16_t GumpHarness::pixel(int x, int y) const
{
    uint16_t value = 0;
    BackBufferView::current().forEachPiece({x, y, x + 1, y + 1}, [&](const GumpCanvas& c) { value = *c.at(x, y); });
    return value;
}

uint16_t GumpHarness::framePixel(int x, int y) const
{
    const std::vector<uint16_t>& frame = window_.lastFrame();
    const size_t at = static_cast<size_t>(y) * static_cast<size_t>(window_.surfaceWidth()) + static_cast<size_t>(x);
    return at < frame.size() ? frame[at] : 0;
}

std::vector<uint16_t> GumpHarness::framePixels(const GumpRect& r) const
{
    std::vector<uint16_t> pixels;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            pixels.push_back(framePixel(x, y));
    return pixels;
}

void GumpHarness::drawFrame()
{
    gumpManager().DrawAllGumps(0, 0, ScreenWidth, ScreenHeight, 1);
}

void GumpHarness::fillWorld(uint16_t colour)
{
    std::fill(BackBuffer.begin(), BackBuffer.end(), colour);
}

void GumpEventDriver::send(int kind, int x, int y)
{
    platform::WindowMessage m = platform::WindowMessage::of(static_cast<Kind>(kind));
    m.x = x;
    m.y = y;
    harness_.window().setPointer(x, y);
    MainWndProc(m);
}

void GumpEventDriver::move(int x, int y)
{
    send(static_cast<int>(Kind::MouseMove), x, y);
}

void GumpEventDriver::leftDown(int x, int y)
{
    send(static_cast<int>(Kind::LButtonDown), x, y);
}

void GumpEventDriver::leftUp(int x, int y)
{
    send(static_cast<int>(Kind::LButtonUp), x, y);
}

void GumpEventDriver::rightDown(int x, int y)
{
    send(static_cast<int>(Kind::RButtonDown), x, y);
}

void GumpEventDriver::rightUp(int x, int y)
{
    send(static_cast<int>(Kind::RButtonUp), x, y);
}

void GumpEventDriver::click(int x, int y)
{
    move(x, y);
    leftDown(x, y);
    leftUp(x, y);
}

void GumpEventDriver::rightClick(int x, int y)
{
    move(x, y);
    rightDown(x, y);
    rightUp(x, y);
}

void GumpEventDriver::drag(int fromX, int fromY, int toX, int toY)
{
    move(fromX, fromY);
    leftDown(fromX, fromY);
    int x = fromX, y = fromY;
    while (x != toX || y != toY) {
        x += std::clamp(toX - x, -2, 2);
        y += std::clamp(toY - y, -2, 2);
        move(x, y);
        pass(1);
    }
    leftUp(toX, toY);
}

void GumpEventDriver::keyDown(uint32_t virtualKey, bool ctrl, bool shift, bool alt)
{
    platform::WindowMessage m = platform::WindowMessage::of(alt ? Kind::SysKeyDown : Kind::KeyDown);
    m.key = virtualKey;
    m.ctrl = ctrl;
    m.shift = shift;
    m.alt = alt;
    MainWndProc(m);
}

void GumpEventDriver::typeChar(uint16_t character)
{
    platform::WindowMessage m = platform::WindowMessage::of(Kind::Char);
    m.character = character;
    MainWndProc(m);
}

void GumpEventDriver::pass(uint32_t ms)
{
    harness_.clock().advance(ms);
    mouseManager().Update();
    gumpManager().Update();
}

} // namespace testsupport
