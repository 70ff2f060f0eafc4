/** @file Texts over objects and system texts in the game area: the bark gumps, their chains and stacking, and the glyph outline. */
#include "client/gumps/game/bark_gump.h"

#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/kz_report.h"
#include "client/data/font_manager.h"
#include "client/data/hue_manager.h"
#include "client/data/language_manager.h"
#include "client/data/unicode_font.h"
#include "client/render/draw_grid.h"
#include "client/render/text_manager.h"
#include "client/world/object_manager.h"
#include "client/world/world_objects.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstring>

namespace {

CBarkGump* g_systemHead = nullptr;

constexpr int32_t kHoverHue = 53;

uint32_t tickNow()
{
    return platform::current().clock->tickCount();
}

void playSize(int& width, int& height)
{
    width = 640;
    height = 480;
    GetPlaySize(width, height);
}

bool isItemInContainer(const CObj* speaker)
{
    return speaker != nullptr && speaker->parent != nullptr && speaker->parent->IsMobile() == 0;
}

bool isMobileOrCorpse(const CObj* object)
{
    return object != nullptr && (object->IsMobile() != 0 || object->IsCorpse() != 0);
}

/** Deletes a bark now, or at the end of the running pass (hidden until then). */
void destroyBark(CBarkGump* bark)
{
    CGumpManager::DestroyGump(bark);
}

} // namespace

BarkWorldHooks& barkWorldHooks()
{
    static BarkWorldHooks hooks;
    return hooks;
}

int32_t BarkUnicodeFont()
{
    return std::clamp<int32_t>(BarkFontNumber, 0, kUnicodeFontCount - 1);
}

uint16_t UnicodeTextColour(int32_t hue)
{
    const HueEntry* entry = HueManager::GetHue(hue);
    const uint16_t colour = entry != nullptr ? entry->colors[30] : 0;
    return colour == 0 || colour == 1 ? uint16_t{0x7FFF} : colour;
}

uint32_t BarkLifetime(int lines)
{
    const int64_t base = static_cast<int64_t>(BarkTimeModifier) * 4000 / 100;
    const int64_t total = ScaleBarkTimes != 0 ? base * std::max(lines, 1) : base;
    return static_cast<uint32_t>(std::max<int64_t>(total, 0));
}

void OutlineTextPixels(uint16_t* pixels, int width, int height, int stride, uint16_t key)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint16_t p = pixels[y * stride + x];
            if (p == 0 || p == key)
                continue;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= width || ny >= height)
                        continue;
                    uint16_t& n = pixels[ny * stride + nx];
                    if (n == 0)
                        n = key;
                }
        }
}

int IsCovered(CBarkGump* bark)
{
    if (bark == nullptr) {
        KZReport::message("IsCovered: pBark == NULL\n");
        return 0;
    }
    const GumpRect mine = bark->ScreenRect();
    for (CGump* g = bark->NextSibling(); g != nullptr; g = g->NextSibling())
        if (g->IsBarkGump() != 0 && !g->closing && !g->ScreenRect().intersect(mine).empty())
            return 1;
    return 0;
}

// ---- Construction ---------------------------------------------------------------------------

CBarkGump::CBarkGump(CObj* speaker, int32_t hue, int32_t font, void* extra, uint32_t kind)
    : font_(font), kind_(kind), hue_(hue), extra_(extra), speaker_(speaker)
{
    name = "bark gump";
    SetFrameCount(1);
}

CBarkGump::CBarkGump(CObj* speaker, const char* text, int32_t hue, int32_t font, void* extra, uint32_t kind)
    : CBarkGump(speaker, hue, font, extra, kind)
{
    text_ = text != nullptr ? text : "";
    const bool youSee = TextManager::PrefixMode() == 3;
    const std::string line = TakeJournalPrefix() + text_;
    TextManager::AddJournalLine(line.c_str(), hue);
    const char* language = LanguageManager::getUserLanguageCode();
    if (language != nullptr)
        std::strncpy(language_, language, 3);
    youSee_ = youSee;
    int32_t widest = 0, total = 0, baseline = 0;
    FontManager::CalcInfoWrap(font_, text_.empty() ? " " : text_.c_str(), WrapWidth(), &widest, &total, &baseline, 0);
    Place(widest, total, 45);
}

std::string CBarkGump::TakeJournalPrefix()
{
    std::string prefix;
    if (TextManager::PrefixMode() == 2)
        prefix = TextManager::SpeakerName() + ": ";
    else if (TextManager::PrefixMode() == 3)
        prefix = "You see: ";
    TextManager::PrefixMode() = 1;
    TextManager::SpeakerName().clear();
    return prefix;
}

bool CBarkGump::Place(int textWidth, int textHeight, int systemBottomMargin)
{
    int w = std::max(textWidth, 1), h = std::max(textHeight, 1);
    int ax = 0, ay = 0;
    const bool inContainer = isItemInContainer(speaker_);
    if (speaker_ != nullptr) {
        older_ = speaker_->overheadMessages;
        if (older_ != nullptr)
            older_->newer_ = this;
        speaker_->overheadMessages = this;
        linked_ = true;
        if (inContainer) {
            CGump* container = CGumpManager::FindGumpOfContainer(speaker_);
            if (container == nullptr) {
                AttachToParent(nullptr);
                Close();
                return false;
            }
            ax = container->grabX;
            ay = container->grabY;
            container->GumpToScreenCoords(ax, ay);
        } else {
            SpeakerAnchor(ax, ay, speaker_->IsMobile() != 0);
            int px = 0, py = 0;
            if (youSee_ && speaker_->IsMobile() == 0 && speaker_->IsCorpse() == 0 && barkWorldHooks().lastPressPoint &&
                barkWorldHooks().lastPressPoint(px, py)) {
                ax = px;
                ay = py;
            }
        }
    } else {
        older_ = g_systemHead;
        if (older_ != nullptr)
            older_->newer_ = this;
        g_systemHead = this;
        linked_ = true;
        int pw = 0, ph = 0;
        playSize(pw, ph);
        ax = 0;
        ay = std::min(ph, ScreenHeight) - systemBottomMargin;
    }
    anchorX_ = ax;
    anchorY_ = ay;
    width = w;
    height = h;
    lines_ = std::max(h / 15, 1);

    const int right = RightBound(), bottom = BottomBound();
    int px = ax, py = ay;
    if (speaker_ != nullptr)
        px -= w / 2;
    unclampedX_ = px;
    if (px + w > right)
        px = right - w;
    if (px < 0)
        px = 0;
    py -= h;
    unclampedY_ = py;
    if (ay > bottom)
        py = bottom - h;
    if (py < 0)
        py = 0;
    x = px;
    y = py;

    MakeFrame(0, w, h);
    RenderText(hue_);

    for (CBarkGump* b = older_; b != nullptr; b = b->older_) {
        b->unclampedY_ -= h;
        b->y = std::min(std::max(b->unclampedY_, 0), bottom + 1 - b->height);
    }
    AttachToParent(nullptr);
    RestackChain(this);
    startTick_ = tickNow();
    lifetime_ = BarkLifetime(lines_);
    return true;
}

CBarkGump::~CBarkGump()
{
    Detach(false);
}

void CBarkGump::Close()
{
    Detach(false);
    destroyBark(this);
}

void CBarkGump::Detach(bool quiet)
{
    if (!linked_)
        return;
    CObj* speaker = speaker_;
    Unlink();
    // A bark out of its chain is on its way out; its speaker may go first (the object is deleted).
    speaker_ = nullptr;
    if (quiet || speaker == nullptr || speaker->overheadMessages == nullptr)
        return;
    for (CBarkGump* b = speaker->overheadMessages; b != nullptr; b = b->older_)
        b->Reposition();
    RestackChain(speaker->overheadMessages);
}

void CBarkGump::Unlink()
{
    if (!linked_)
        return;
    linked_ = false;
    if (newer_ != nullptr)
        newer_->older_ = older_;
    else if (speaker_ != nullptr)
        speaker_->overheadMessages = older_;
    else
        g_systemHead = older_;
    if (older_ != nullptr)
        older_->newer_ = newer_;
    older_ = newer_ = nullptr;
}

CBarkGump* CBarkGump::SystemHead()
{
    return g_systemHead;
}

void CBarkGump::DeleteChain(CObj& speaker, bool keepPersistent)
{
    for (CBarkGump* b = speaker.overheadMessages; b != nullptr;) {
        CBarkGump* older = b->older_;
        if (!keepPersistent || !b->persistent) {
            b->Detach(true);
            destroyBark(b);
        }
        b = older;
    }
}

// ---- Placement ------------------------------------------------------------------------------

int CBarkGump::IsGameAreaRelative()
{
    return isItemInContainer(speaker_) ? 0 : 1;
}

int CBarkGump::BottomBound()
{
    if (IsGameAreaRelative() == 0)
        return ScreenHeight - 1;
    int w = 0, h = 0;
    playSize(w, h);
    return h - 1;
}

int CBarkGump::RightBound()
{
    if (IsGameAreaRelative() == 0)
        return ScreenWidth - 1;
    int w = 0, h = 0;
    playSize(w, h);
    return w - 1;
}

bool CBarkGump::SpeakerAnchor(int& ax, int& ay, bool withMountCorrection)
{
    (void)withMountCorrection; // mounted sprites report their full height in their rectangle
    if (speaker_ == nullptr)
        return false;
    const WorldRect& r = speaker_->rect;
    ax = (r.left + r.right) / 2 - DrawGrid::scrollX;
    ay = r.top - DrawGrid::scrollY + 4;
    return true;
}

void CBarkGump::ClampToBounds()
{
    const int right = RightBound(), bottom = BottomBound();
    int px = unclampedX_, py = unclampedY_;
    if (px + width > right)
        px = right - width;
    if (px < 0)
        px = 0;
    if (py + height > bottom + 1)
        py = bottom + 1 - height;
    if (py < 0)
        py = 0;
    x = px;
    y = py;
}

void CBarkGump::Reposition()
{
    if (speaker_ == nullptr || speaker_->IsPlayer() != 0 || isItemInContainer(speaker_))
        return;
    int ax = 0, ay = 0;
    SpeakerAnchor(ax, ay, false);
    if (ax == anchorX_ && ay == anchorY_)
        return;
    CGumpManager::AddDirty(ScreenRect());
    unclampedX_ += ax - anchorX_;
    unclampedY_ += ay - anchorY_;
    anchorX_ = ax;
    anchorY_ = ay;
    ClampToBounds();
    CGumpManager::AddDirty(ScreenRect());
}

void CBarkGump::Update()
{
    Reposition();
}

void CBarkGump::RestackChain(CBarkGump* bark)
{
    if (bark == nullptr)
        return;
    CBarkGump* newest = bark;
    while (newest->newer_ != nullptr)
        newest = newest->newer_;
    CBarkGump* oldest = newest;
    int sum = 0;
    for (CBarkGump* b = newest; b != nullptr; b = b->older_) {
        sum += b->height;
        oldest = b;
    }
    const int bound = bark->BottomBound();
    while (sum > bound && oldest != bark && oldest != nullptr) {
        CBarkGump* next = oldest->newer_;
        sum -= oldest->height;
        oldest->Detach(true);
        destroyBark(oldest);
        oldest = next;
    }
    if (oldest == nullptr)
        return;
    if (oldest->unclampedY_ < 0) {
        oldest->y = 0;
        for (CBarkGump* b = oldest->newer_; b != nullptr; b = b->newer_)
            b->y = b->older_->y + b->older_->height;
        return;
    }
    if (newest->unclampedY_ + newest->height > bound + 1) {
        newest->y = bound + 1 - newest->height;
        for (CBarkGump* b = newest->older_; b != nullptr; b = b->older_)
            b->y = b->newer_->y - b->height;
    }
}

CGump* CBarkGump::TiedOwner()
{
    return isItemInContainer(speaker_) ? CGumpManager::FindGumpOfContainer(speaker_) : nullptr;
}

bool CBarkGump::HasSpeaker()
{
    return isMobileOrCorpse(speaker_);
}

bool CBarkGump::LifetimeOver(uint32_t now)
{
    return now - startTick_ > lifetime_;
}

// ---- Drawing --------------------------------------------------------------------------------

GumpBitmap* CBarkGump::ClearedFrame(PixelSurface& surface, BlitRect& clip)
{
    GumpBitmap* frame = Frame(0);
    if (frame == nullptr)
        return nullptr;
    std::fill(frame->pixels.begin(), frame->pixels.end(), uint16_t{0});
    surface = PixelSurface{frame->pixels.data(), frame->stride(), frame->width, frame->height};
    clip = BlitRect{0, 0, frame->width, frame->height};
    return frame;
}

void CBarkGump::RenderText(int32_t hue)
{
    PixelSurface surface;
    BlitRect clip;
    if (ClearedFrame(surface, clip) == nullptr)
        return;
    FontManager::DrawstringBuf(0, 0, font_, hue, text_.empty() ? " " : text_.c_str(), WrapWidth(), surface, clip, 0, 0,
                               0);
    CGumpManager::AddDirty(ScreenRect());
}

void CBarkGump::Draw(const GumpCanvas& canvas)
{
    if (visible == 0 || closing)
        return;
    GumpBitmap* frame = Frame(0);
    if (frame == nullptr)
        return;
    const GumpRect screen = ScreenRect();
    const GumpRect r = screen.intersect(canvas.clip);
    if (r.empty())
        return;
    if (IsCovered(this) != 0) {
        for (int row = r.top; row < r.bottom; ++row)
            BlendSpanHalf(canvas.at(r.left, row), frame->row(row - screen.top) + (r.left - screen.left), r.width());
        return;
    }
    canvas.drawImage(IsTransparent() != 0 ? CopySpanTransparent : CopySpan, frame->pixels.data(),
                     std::min<int>(frame->width, width), std::min<int>(frame->height, height), frame->stride(),
                     screen.left, screen.top);
}

// ---- Mouse ----------------------------------------------------------------------------------

void CBarkGump::OnMouseOver(int, int)
{
    if (CGumpManager::First() != this)
        BringToFront(true);
    if (!hovered_ && HasSpeaker() && IsItemPropGump() == 0) {
        hovered_ = true;
        RenderText(kHoverHue);
    }
}

void CBarkGump::OnMouseLeave()
{
    if (hovered_) {
        hovered_ = false;
        RenderText(hue_);
    }
}

void CBarkGump::OnLButtonDown(int px, int py)
{
    if (clicks_.press(px, py, tickNow(), MouseManager::DoubleClickTime()) == GumpClickState::Event::DoubleClick)
        DoubleClick();
}

void CBarkGump::OnMouseTick()
{
    if (clicks_.tick(tickNow(), MouseManager::DoubleClickTime()) == GumpClickState::Event::SingleClick)
        SingleClick();
}

void CBarkGump::OnLButtonUp(int, int)
{
    clicks_.release();
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CBarkGump::OnRButtonUp(int, int)
{
    Close();
}

void CBarkGump::DoubleClick()
{
    if (!isMobileOrCorpse(speaker_))
        return;
    if (barkWorldHooks().useObject)
        barkWorldHooks().useObject(speaker_);
    else
        CObjectManager::DoubleClick(speaker_);
}

void CBarkGump::SingleClick()
{
    if (isMobileOrCorpse(speaker_) && barkWorldHooks().targetObject)
        barkWorldHooks().targetObject(speaker_);
    if (barkWorldHooks().translate)
        barkWorldHooks().translate(WideText(), language_, speaker_ != nullptr ? speaker_->GetSerial() : 0);
}

std::u16string CBarkGump::WideText() const
{
    std::u16string wide;
    for (char c : text_)
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return wide;
}

// ---- The Unicode twin -----------------------------------------------------------------------

CUnicodeBarkGump::CUnicodeBarkGump(CObj* speaker, const std::u16string& text, int32_t hue, int32_t font,
                                   const char* language, void* extra)
    : CBarkGump(speaker, hue, font, extra, 0), wideText_(text)
{
    name = "unicode bark gump";
    const bool youSee = TextManager::PrefixMode() == 3;
    const std::string prefix = TakeJournalPrefix();
    std::u16string line;
    for (char c : prefix)
        line.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    line += wideText_;
    TextManager::AddUnicodeJournalLine(line.c_str(), hue);
    if (language != nullptr)
        std::strncpy(language_, language, 3);
    youSee_ = youSee;
    const int32_t saved = UnicodeGetFont();
    UnicodeSetFont(BarkUnicodeFont());
    int32_t widest = 0, total = 0, third = 0;
    const std::u16string measured = wideText_.empty() ? std::u16string(u" ") : wideText_;
    UnicodeCalcInfoWrap(measured.c_str(), WrapWidth(), &widest, &total, &third);
    UnicodeSetFont(saved);
    Place(widest + 2, total + 2, 48);
}

CUnicodeBarkGump::~CUnicodeBarkGump() = default;

void CUnicodeBarkGump::RenderText(int32_t hue)
{
    PixelSurface surface;
    BlitRect clip;
    GumpBitmap* frame = ClearedFrame(surface, clip);
    if (frame == nullptr)
        return;
    const int32_t saved = UnicodeGetFont();
    UnicodeSetFont(BarkUnicodeFont());
    const std::u16string shown = wideText_.empty() ? std::u16string(u" ") : wideText_;
    UnicodeDrawStringWrapped(surface, WrapWidth(), shown.c_str(), 1, 1, UnicodeTextColour(hue), clip, false);
    UnicodeSetFont(saved);
    OutlineTextPixels(frame->pixels.data(), frame->width, frame->height, frame->stride(), 1);
    CGumpManager::AddDirty(ScreenRect());
}
