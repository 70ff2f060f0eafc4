/** @file The 8-bit text field and picking a mobile into it. */
#include "client/gumps/framework/input_control.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/data/font_manager.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/gump_drawing.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/net/game_handlers_common.h"
#include "client/net/game_state.h"
#include "client/net/packet_builders.h"
#include "client/render/text_manager.h"
#include "client/world/world_objects.h"
#include "platform/platform.h"

#include <algorithm>
#include <charconv>
#include <cstring>

WorldTargetCallback g_worldTargetCallback = nullptr;
int g_worldTargetKind = 0;

namespace {

constexpr int kCaretColour = 902;
constexpr uint16_t kWindows1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

CInputControlGump* g_pendingPick = nullptr;

BlitRect wholeOf(const GumpBitmap& bitmap)
{
    return {0, 0, bitmap.width, bitmap.height};
}

bool isAsciiLetterOrDigit(int c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

uint32_t now()
{
    return platform::current().clock->tickCount();
}

} // namespace

int EightBitCodeOfTypedChar(uint16_t unit)
{
    if (UnicodeSpeech != 0)
        return unit <= 0xFF ? unit : -1;
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] != 0 && kWindows1252High[i] == unit)
            return 0x80 + i;
    return -1;
}

// ---- Construction -----------------------------------------------------------------------------

void CInputControlGump::init(int x0, int y0, int mode0, int limit0, int font0, int colour0, int editable0,
                             int dropDownLook0)
{
    name = "InputControl gump";
    x = x0;
    y = y0;
    mode = mode0;
    font = font0;
    colour = colour0;
    editable = editable0;
    dropDownLook = dropDownLook0;
    SetLimit(limit0);
    caret = numeric() ? 1 : 0;
}

CInputControlGump::CInputControlGump(int x0, int y0, CGump* owner, int w, int h, int mode0, int limit0, int font0,
                                     int colour0, int editable0, int dropDownLook0, int barBackground0)
{
    init(x0, y0, mode0, limit0, font0, colour0, editable0, dropDownLook0);
    width = std::max(w, 1);
    height = std::max(h, 1);
    barBackground = barBackground0;
    noBackground = 1;
    promisePicture();
    RedrawLater();
    if (owner != nullptr)
        AttachToParent(owner);
}

CInputControlGump::CInputControlGump(int x0, int y0, CGump* owner, Art art, int mode0, int limit0, int font0,
                                     int colour0, int editable0, int dropDownLook0, int w)
{
    init(x0, y0, mode0, limit0, font0, colour0, editable0, dropDownLook0);
    artId = art.background;
    readOnlyArt = art.readOnly;
    int32_t artWidth = 0, artHeight = 0;
    GetGumpArtSize(art.background, &artWidth, &artHeight);
    width = std::max<int>(artWidth, 1);
    height = std::max<int>(artHeight, 0) + 1;
    if (w != 0) {
        width = std::max(w, 1);
        barBackground = 1;
    }
    promisePicture();
    RedrawLater();
    if (owner != nullptr)
        AttachToParent(owner);
}

CInputControlGump::~CInputControlGump()
{
    // The keyboard focus is dropped by the base destructor.
    if (g_pendingPick == this)
        g_pendingPick = nullptr;
}

int CInputControlGump::Length() const
{
    return static_cast<int>(strnlen(text, kTextSize - 1));
}

void CInputControlGump::SetLimit(int newLimit)
{
    // The text never outgrows its buffer, whatever limit a caller (or a server) asks for.
    limit_ = numeric() ? std::max(newLimit, 0) : std::clamp(newLimit, 0, kTextSize - 1);
}

void CInputControlGump::SetText(const std::string& value0)
{
    const size_t room = static_cast<size_t>(numeric() ? kTextSize - 1 : limit_);
    const size_t n = std::min(value0.size(), room);
    std::memcpy(text, value0.data(), n);
    text[n] = 0;
    caret = Length();
    firstShown = 0;
    RedrawLater();
}

void CInputControlGump::SetHighlighted(int on)
{
    highlighted = on;
    Redraw();
}

bool CInputControlGump::Focused() const
{
    return CGumpManager::Focus() == this;
}

// ---- Drawing ----------------------------------------------------------------------------------

std::string CInputControlGump::shown() const
{
    char s[kTextSize + 1];
    return std::string(s, static_cast<size_t>(shownInto(s)));
}

int CInputControlGump::shownInto(char* out) const
{
    if (numeric()) {
        // An int takes at most 11 characters, well inside the text's room.
        const auto end = std::to_chars(out, out + kTextSize, value).ptr;
        *end = 0;
        return static_cast<int>(end - out);
    }
    const int n = Length();
    shownTextInto(out, n);
    return n;
}

void CInputControlGump::shownTextInto(char* out, int n) const
{
    if (password != 0)
        std::memset(out, '*', static_cast<size_t>(n));
    else
        std::memcpy(out, text, static_cast<size_t>(n));
    out[n] = 0;
}

int CInputControlGump::shownWidth(int from, int count) const
{
    char s[kTextSize + 1];
    return widthIn(s, shownInto(s), from, count);
}

int CInputControlGump::widthIn(const char* s, int n, int from, int count) const
{
    from = std::clamp(from, 0, n);
    count = std::clamp(count, 0, n - from);
    return FontManager::GetStringWidthN(font, count, s + from);
}

bool CInputControlGump::HitTest(int px, int py)
{
    return visible != 0 && px >= 0 && py >= 0 && px < pictureWidth_ && py < pictureHeight_;
}

void CInputControlGump::PaintBackground(GumpBitmap& bitmap)
{
    bitmap.clear();
    if (noBackground != 0)
        return;
    int art = artId;
    if (highlighted != 0 && highlightArt != 0)
        art = highlightArt;
    else if (hovered != 0 && hoverArt != 0)
        art = hoverArt;
    else if (Length() == 0 && emptyArt != 0)
        art = emptyArt;
    else if (readOnly != 0)
        art = readOnlyArt;
    if (barBackground != 0) {
        DrawGumpArtBar(art, bitmap);
    } else {
        DrawGumpArtAt(art, bitmap, 0, 0);
    }
}

void CInputControlGump::PaintText(GumpBitmap& bitmap)
{
    const PixelSurface surface = BitmapSurface(bitmap);
    const BlitRect area{leftMargin, topMargin, width - leftMargin, height - topMargin};
    const BlitRect whole = wholeOf(bitmap);
    const int hue = TextColour();
    const std::string s = shown();
    const bool focused = Focused();
    const int first = std::clamp(firstShown, 0, static_cast<int>(s.size()));
    auto caretAt = [&](int cx, int cy) { FontManager::DrawString(cx, cy + 2, font, kCaretColour, "_", surface, whole); };
    auto oneLine = [&]() { FontManager::DrawString(leftMargin, topMargin, font, hue, s.c_str() + first, surface, area); };

    if (numeric()) {
        if (focused) {
            oneLine();
            caretAt(leftMargin + shownWidth(first, caret - first), topMargin);
            return;
        }
        int textX = leftMargin;
        if (dropDownLook != 0)
            textX = (width - FontManager::GetStringWidthN(font, static_cast<int32_t>(s.size()), s.c_str())) / 2;
        FontManager::DrawString(textX, topMargin, font, hue, s.c_str(), surface, area);
        return;
    }
    if (focused) {
        if (multiLine != 0 && password == 0) {
            FontManager::DrawstringBuf(leftMargin, topMargin, font, hue, s.c_str(), width - 2 * leftMargin, surface, area,
                                       0, 0, 0);
            int32_t cx = 0, cy = 0;
            FontManager::GetStringWrapEndXY(font, caret, s.c_str(), width - 2 * leftMargin, &cx, &cy);
            caretAt(leftMargin + cx, topMargin + cy);
        } else {
            oneLine();
            caretAt(leftMargin + shownWidth(first, caret - first), topMargin);
        }
        return;
    }
    if (dropDownLook != 0) {
        const int textWidth = FontManager::GetStringWidthN(font, static_cast<int32_t>(s.size()), s.c_str());
        const bool fitsIn = readOnly != 0 ? textWidth < width - 2 * leftMargin : textWidth + 2 * leftMargin < width;
        if (fitsIn)
            FontManager::DrawString((width - textWidth) / 2, topMargin, font, hue, s.c_str(), surface, area);
        else
            FontManager::DrawStringBufEllips(leftMargin, topMargin, font, hue, s.c_str(), surface, area);
        if (readOnly == 0) {
            if (artId == 2445)
                DrawGumpArtAt(2437, bitmap, width - leftMargin - 11, topMargin + 2);
            else if (artId == 2446)
                DrawGumpArtAt(2437, bitmap, width - leftMargin - 15, topMargin + 2);
            else
                DrawGumpArtAt(5009, bitmap, width - leftMargin - 9, 1);
        }
        return;
    }
    if (multiLine != 0)
        FontManager::DrawstringBuf(leftMargin, topMargin, font, hue, s.c_str(), width - 2 * leftMargin, surface, area, 0,
                                   0, 0);
    else
        oneLine();
}

void CInputControlGump::paint()
{
    stale_ = false;
    GumpBitmap* bitmap = Frame(0);
    if (bitmap == nullptr || bitmap->width != width || bitmap->height != height)
        bitmap = MakeFrame(0, width, height);
    pictureWidth_ = bitmap->width;
    pictureHeight_ = bitmap->height;
    PaintBackground(*bitmap);
    PaintText(*bitmap);
    PaintOver(*bitmap);
}

void CInputControlGump::Redraw()
{
    paint();
    CGumpManager::AddDirty(ScreenRect());
}

void CInputControlGump::promisePicture()
{
    // Most fields are painted before they are seen; many (the rows of a list being typed into)
    // are closed unseen. The bitmap waits for the first painting, which makes it at the size
    // the field has then (the size given here unless it was changed in between); the frame
    // table itself is made with it.
    pictureWidth_ = static_cast<uint16_t>(std::clamp(width, 0, 0xFFFF));
    pictureHeight_ = static_cast<uint16_t>(std::clamp(height, 0, 0xFFFF));
}

void CInputControlGump::RedrawLater()
{
    // Runs at least once for every kept key: the picture's size is the one kept with the field,
    // not looked up in the frame table.
    if (pictureWidth_ != width || pictureHeight_ != height) {
        // The hit test reads the bitmap's size: a resized field gets its new bitmap at once.
        Redraw();
        return;
    }
    stale_ = true;
    CGumpManager::AddDirty(OwnScreenRect());
}

const GumpBitmap* CInputControlGump::Picture()
{
    if (stale_)
        paint();
    return Frame(0);
}

void CInputControlGump::Draw(const GumpCanvas& canvas)
{
    if (stale_ && visible != 0 && !closing)
        paint();
    CGump::Draw(canvas);
}

void CInputControlGump::EndEditOnFocusLoss()
{
    if (artId == 2444)
        artId = 2443;
    RedrawLater();
}

// ---- Keys -------------------------------------------------------------------------------------

bool CInputControlGump::acceptsCharacter(int code) const
{
    if (FontManager::HasGlyph(font, code) == 0)
        return false;
    if (lettersAndDigitsOnly != 0 && !isAsciiLetterOrDigit(code))
        return false;
    if (nameCharactersOnly != 0 && !isAsciiLetterOrDigit(code) && code != ' ' && code != '\'' && code != '-' &&
        code != '.')
        return false;
    return true;
}

bool CInputControlGump::backspace()
{
    if (numeric()) {
        const int before = value;
        value /= 10;
        if (caret > 1)
            --caret;
        return value != before;
    }
    const int length = Length();
    caret = std::clamp(caret, 0, length);
    if (caret == 0)
        return false;
    std::memmove(text + caret - 1, text + caret, static_cast<size_t>(length - caret + 1));
    --caret;
    return true;
}

bool CInputControlGump::fits(int n) const
{
    // The text as shown with the caret's "_" after it must fit.
    char probe[kTextSize + 2];
    shownTextInto(probe, n);
    probe[n] = '_';
    probe[n + 1] = 0;
    if (multiLine == 0)
        return FontManager::GetStringWidthN(font, n + 1, probe) < width - 6;
    // Its wrapped lines must be less tall than the field. They are measured one by one as the
    // wrap cuts them (one scan gives a line's end and its height), and the measure stops as soon
    // as they are too tall.
    const int fontShown = font;
    const int wrapWidth = width - 6;
    const int fieldHeight = height;
    int32_t total = 0;
    for (const char* rest = probe;;) {
        int32_t lineHeight = 0;
        const int32_t end = FontManager::FindWrapPointAndHeight(fontShown, rest, wrapWidth, &lineHeight);
        if (end < 0) // all of the rest fits on the line, or not even its first character does: the last line
            return total + lineHeight < fieldHeight;
        total += lineHeight;
        if (total >= fieldHeight)
            return false;
        rest += end + 1;
        if (*rest == ' ')
            ++rest;
    }
}

void CInputControlGump::keepCaretShown(int length)
{
    // Runs for every character typed, so each member is read once.
    const int to = caret;
    int from = firstShown;
    if (from >= to)
        return;
    if (from < 0 || to > length) {
        // A range reaching outside the text is measured as clamped, step by step.
        char s[kTextSize + 1];
        const int n = shownInto(s);
        while (firstShown < caret && widthIn(s, n, firstShown, caret - firstShown) >= width - 12)
            ++firstShown;
        return;
    }
    // The shown text is the text itself or as many stars, measured where it is. Widths add up
    // character by character: one measure, then one character off per step.
    const int fontShown = font;
    const int room = width - 12;
    const bool stars = password != 0;
    const int starWidth = stars ? FontManager::GetCharWidth(fontShown, '*') : 0;
    int shownUpToCaret = stars ? starWidth * (to - from) : FontManager::GetStringWidthN(fontShown, to - from, text + from);
    while (from < to && shownUpToCaret >= room) {
        shownUpToCaret -= stars ? starWidth : FontManager::GetCharWidth(fontShown, static_cast<unsigned char>(text[from]));
        ++from;
    }
    firstShown = from;
}

bool CInputControlGump::insert(int code, int length)
{
    if (numeric()) {
        if (mode != ModeNumber || code < '0' || code > '9')
            return false;
        const int64_t next = static_cast<int64_t>(value) * 10 + (code - '0');
        if (next > limit_)
            return false;
        value = static_cast<int>(next);
        caret = std::min(caret + 1, static_cast<int>(shown().size()));
        return true;
    }
    if (length >= limit_ || !acceptsCharacter(code))
        return false;
    // Every typed character passes here (a paste into a full field refuses hundreds), so the
    // caret and the flags are read once.
    const int at = std::clamp(caret, 0, length);
    std::memmove(text + at + 1, text + at, static_cast<size_t>(length - at + 1));
    text[at] = static_cast<char>(code);
    caret = at + 1;
    const bool stops = stopWhenFull != 0;
    if (!stops)
        keepCaretShown(length + 1);
    if ((stops || multiLine != 0) && !fits(length + 1)) {
        // Taken out again as a backspace would: the caret goes back before it.
        std::memmove(text + at, text + at + 1, static_cast<size_t>(length - at + 1));
        caret = at;
        return false;
    }
    return true;
}

void CInputControlGump::changed()
{
    RedrawLater();
    if (CGump* owner = Parent())
        owner->OnChildChanged(this);
}

void CInputControlGump::OnChar(uint16_t character)
{
    if (readOnly != 0)
        return;
    bool edited = false;
    bool moved0 = false;
    const int length = Length();
    switch (character) {
    case 9:
        if (CGump* owner = Parent())
            owner->OnChildTab();
        return;
    case 13:
        if (CGump* owner = Parent())
            owner->OnChildEnter();
        return;
    case 27:
        if (CGump* owner = Parent())
            owner->OnChildEscape();
        return;
    case 8:
        edited = backspace();
        break;
    case kKeyDelete:
        if (numeric()) {
            edited = backspace();
        } else if (caret < length) {
            ++caret;
            edited = backspace();
        }
        break;
    case kKeyEnd:
        if (!numeric())
            caret = length;
        else if (mode == ModeNumber)
            caret = static_cast<int>(shown().size());
        moved0 = true;
        break;
    case kKeyHome:
        if (mode == ModeText) {
            caret = 0;
            firstShown = 0;
            moved0 = true;
        }
        break;
    case kKeyLeft:
        if (mode == ModeText && caret > 0) {
            --caret;
            moved0 = true;
        }
        break;
    case kKeyRight:
        if (mode == ModeText && caret < length) {
            ++caret;
            moved0 = true;
        }
        break;
    default:
        if (character >= kSpecialKeyBase && character <= kSpecialKeyBase + 0xFF)
            return; // other special keys (arrows up and down, pages, Insert) do nothing here
        if (const int code = EightBitCodeOfTypedChar(character); code >= 0)
            edited = insert(code, length);
        break;
    }
    // A caret left of the first shown character scrolls back by 8 at a time, not below 0.
    while (caret < firstShown)
        firstShown = std::max(firstShown - 8, 0);
    if (edited)
        changed();
    else if (moved0)
        RedrawLater();
}

// ---- Mouse ------------------------------------------------------------------------------------

void CInputControlGump::placeCaret(int px, int py)
{
    if (numeric()) {
        caret = static_cast<int>(shown().size());
        return;
    }
    if (multiLine != 0 && password == 0) {
        caret = std::clamp(FontManager::GetWrapIndexAtXY(font, text, width - 6, px, py), 0, Length());
        return;
    }
    const std::string s = shown();
    int n = 0, reached = 0;
    for (size_t i = static_cast<size_t>(std::clamp(firstShown, 0, static_cast<int>(s.size()))); i < s.size(); ++i) {
        reached += FontManager::GetCharWidth(font, static_cast<unsigned char>(s[i]));
        if (reached >= px - 1)
            break;
        ++n;
    }
    caret = std::min(firstShown + n, Length());
}

void CInputControlGump::OnLButtonDown(int px, int py)
{
    if (CGump* owner = Parent()) {
        owner->BringToFront(false);
        owner->OnChildPress(this);
        if (!IsLiveGump(this))
            return;
    }
    if (editable != 0 && readOnly == 0) {
        CGumpManager::SetFocus(this);
        placeCaret(px, py);
        Redraw();
    } else if (mode == ModeDropDown && readOnly == 0) {
        if (CGump* owner = Parent())
            owner->OnDropDown(this);
        if (!IsLiveGump(this))
            return;
    }
    if (clickState == 1) {
        clickState = 2;
    } else {
        clickState = 1;
        clickTime = now();
    }
    grabX = px;
    grabY = py;
    pressed = 1;
}

void CInputControlGump::OnLButtonUp(int, int)
{
    pressed = 0;
    if (moved != 0) {
        moved = 0;
        clickState = 0;
    } else if (clickState == 2) {
        clickState = 0;
        if (pickMobile != 0 && !g_bTargetMode) {
            TextManager::AddSystemMessage(0, 3, "Select a player.");
            g_pendingPick = this;
            EnterTargetMode();
            g_worldTargetKind = 2;
            g_worldTargetCallback = &CInputControlGump::PickCallback;
        }
        if (MouseManager::Capture() == this)
            MouseManager::SetCapture(nullptr);
        if (CGump* owner = Parent())
            owner->OnChildDoubleClick(this);
        return;
    }
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CInputControlGump::OnRButtonUp(int px, int py)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    if (CGump* owner = Parent())
        owner->OnRButtonUp(px + x, py + y);
}

void CInputControlGump::OnMouseTick()
{
    if (clickState == 1 && now() - clickTime > MouseManager::DoubleClickTime()) {
        clickState = 0;
        if (pressed != 0)
            moved = 1;
    }
}

void CInputControlGump::OnMouseOver(int px, int py)
{
    CGump::OnMouseOver(px, py);
    if (hovered == 0) {
        hovered = 1;
        if (ShowsHover())
            Redraw();
    }
}

void CInputControlGump::OnMouseLeave()
{
    hovered = 0;
    if (ShowsHover())
        Redraw();
}

// ---- Picking a mobile -------------------------------------------------------------------------

CInputControlGump* CInputControlGump::PendingPickField()
{
    return g_pendingPick;
}

void CInputControlGump::PickCallback(CObj* object)
{
    const auto& isMobile = CGumpManager::WorldHooks().isMobile;
    CInputControlGump* field = g_pendingPick != nullptr && IsLiveGump(g_pendingPick) ? g_pendingPick : nullptr;
    if (object != nullptr && isMobile && isMobile(object)) {
        if (field != nullptr) {
            const uint32_t serial = object->GetSerial();
            field->value = static_cast<int>(serial);
            field->SetText("(mobile)");
            Game().nameRequest = serial;
            uint8_t packet[16];
            BuildNameRequestPacket(packet, serial);
            gamepackets::sendBuilt(packet);
            field->changed();
        }
    } else {
        TextManager::AddSystemMessage(0, 3, "Not a mobile.");
    }
    if (g_worldTargetCallback == &CInputControlGump::PickCallback)
        g_worldTargetCallback = nullptr;
    CancelTargetMode();
}

void CInputControlGump::TakePickedName(const std::string& name0)
{
    CInputControlGump* field = g_pendingPick;
    g_pendingPick = nullptr;
    if (field == nullptr || !IsLiveGump(field))
        return;
    field->SetText(name0);
}

// ---- The login look ---------------------------------------------------------------------------

CLoginInputControlGump::CLoginInputControlGump(int x0, int y0, CGump* owner, int w, int h, int mode0, int limit0,
                                               int font0, int colour0, int editable0, int dropDownLook0,
                                               int barBackground0)
    : CInputControlGump(x0, y0, owner, w, h, mode0, limit0, font0, colour0, editable0, dropDownLook0, barBackground0)
{
    RedrawLater();
}

int CLoginInputControlGump::TextColour() const
{
    if (highlighted != 0 && highlightColour != 0)
        return highlightColour;
    if (hovered != 0 && hoverColour != 0)
        return hoverColour;
    return colour;
}

void CLoginInputControlGump::PaintBackground(GumpBitmap& bitmap)
{
    bitmap.clear();
    DrawGumpArtFrame(3000, bitmap, 0);
}

void CLoginInputControlGump::PaintOver(GumpBitmap& bitmap)
{
    if (iconArt < 0)
        return;
    int32_t w = 0, h = 0;
    GetGumpArtSize(iconArt, &w, &h);
    DrawGumpArtAt(iconArt, bitmap, width - w - 3, 2);
}
