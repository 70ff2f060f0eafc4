/** @file The HTML text box: a document of styled runs and links drawn in a frame, scrolled, selected, edited and followed. */
#include "client/gumps/framework/html_box.h"

#include "client/core/main_window.h"
#include "client/core/shared_functions.h"
#include "client/gumps/framework/art_frame.h"
#include "client/data/gump_art.h"
#include "client/data/span_routines.h"
#include "client/data/unicode_font.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/gump_pixels.h"
#include "client/gumps/framework/mouse_manager.h"
#include "platform/window/window.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kVisitedRing = 500;
constexpr uint16_t kDot = u'.';

uint16_t invertedPixel(uint16_t p)
{
    return p == 0 ? 1 : static_cast<uint16_t>(~p & 0x7FFF);
}

void invertRect(GumpBitmap& bitmap, int left, int top, int right, int bottom)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min<int>(right, bitmap.width);
    bottom = std::min<int>(bottom, bitmap.height);
    for (int y = top; y < bottom; ++y) {
        uint16_t* row = bitmap.row(y);
        for (int x = left; x < right; ++x)
            row[x] = invertedPixel(row[x]);
    }
}

bool isBreak(const std::u16string& text, size_t i)
{
    return text[i] == u' ' || (i > 0 && UnicodeCanBreakBetween(text[i - 1], text[i]));
}

/**
 * The width of the word that starts at i (the blank in front of it included), from the advances of
 * the text's characters and whether a line may break before each.
 */
int wordWidth(const std::u16string& text, const std::vector<int>& advances, const std::vector<uint8_t>& breaks, size_t i)
{
    int width = 0;
    if (text[i] == u' ')
        width += advances[i++];
    for (size_t k = i; k < text.size(); ++k) {
        if (text[k] == u' ' || text[k] == u'\n' || (k > i && breaks[k] != 0))
            break;
        width += advances[k];
    }
    return width;
}

/**
 * Scratch of the layout, shared by every box (one box is laid out at a time): the advances of a
 * run's characters and whether a line may break before each.
 */
struct LayoutScratch {
    std::vector<int> advances;
    std::vector<uint8_t> breaks;
};

LayoutScratch& layoutScratch()
{
    static auto* scratch = new LayoutScratch();
    return *scratch;
}

} // namespace

HtmlBoxHooks& HtmlHooks()
{
    static HtmlBoxHooks hooks;
    return hooks;
}

std::vector<std::u16string>& HtmlVisitedAddresses()
{
    static std::vector<std::u16string> visited;
    return visited;
}

std::u16string& HtmlClipboard()
{
    static std::u16string clipboard;
    return clipboard;
}

HtmlScrollBar::HtmlScrollBar()
{
    name = "HTMLBox scroll bar";
    width = GumpArtExtent(HTMLBox::kScrollBarArt).w;
}

void HtmlScrollBar::SetPosition(int newPosition, int newRange)
{
    position = newPosition;
    range = newRange;
}

HTMLBox::HTMLBox(CGump* parent, int boxId, uint32_t flags, bool tab, bool attach)
{
    name = "HTMLBox framedata";
    id = boxId;
    flags_ = flags;
    tabToParent = tab;
    width = height = 1;
    frameArt_ = (flags & 0x2001) != 0 ? 3000 : 3500;
    document_.flags = flags;
    MakeFrame(0, 1, 1);
    if ((flags & html_flags::NoScrollBar) == 0) {
        scrollBar_ = new HtmlScrollBar();
        scrollBar_->AttachToParent(this);
    }
    if (attach && parent != nullptr)
        AttachToParent(parent);
}

HTMLBox::~HTMLBox()
{
    // Boxes come and go with their windows: the next box laid out takes over the buffers of the
    // layout instead of growing its own.
    SpareLayout& spare = spareLayout();
    if (pieces_.capacity() > spare.pieces.capacity()) {
        spare.pieces = std::move(pieces_);
        spare.lines = std::move(lines_);
        spare.text = std::move(pieceText_);
        spare.advances = std::move(pieceAdvances_);
    }
}

HTMLBox::SpareLayout& HTMLBox::spareLayout()
{
    // Never destroyed: boxes may go while the program ends.
    static auto* spare = new SpareLayout();
    return *spare;
}

std::u16string& HTMLBox::editText()
{
    if (document_.elements.empty())
        document_.elements.emplace_back();
    return document_.elements.front().text;
}

std::u16string HTMLBox::Text() const
{
    return document_.elements.empty() ? std::u16string() : document_.elements.front().text;
}

bool HTMLBox::shiftHeld() const
{
    platform::Window* window = MainWindow();
    return window != nullptr && window->modifiers().shift;
}

void HTMLBox::BeginEdit()
{
    if (clearOnFirstEdit != 0) {
        editText().clear();
        clearOnFirstEdit = 0;
    }
    caret_ = selectionEnd_ = 0;
    Redraw();
    CGumpManager::SetFocus(this);
}

void HTMLBox::SetText(std::u16string_view text, int32_t textColour)
{
    document_ = ParseHtmlDocument(text, flags_, textColour);
    scrollRange_ = 100;
    scrollPosition_ = 0;
    if (caret_ >= 0)
        caret_ = selectionEnd_ = std::min<int>(caret_, static_cast<int>(Text().size()));
    Redraw();
}

void HTMLBox::ResizeTo(const GumpRect& rect)
{
    x = rect.left;
    y = rect.top;
    width = std::max(rect.width(), 1);
    height = std::max(rect.height(), 1);
    area_ = {0, 0, width, height};
    if ((flags_ & html_flags::NoFrame) == 0) {
        area_.left = GumpArtExtent(frameArt_).w;
        area_.top = GumpArtExtent(frameArt_).h;
        area_.right = width - GumpArtExtent(frameArt_ + 8).w;
        area_.bottom = height - GumpArtExtent(frameArt_ + 8).h;
    }
    if (scrollBar_ != nullptr) {
        area_.right -= scrollBar_->width;
        scrollBar_->x = width - scrollBar_->width;
        scrollBar_->y = 0;
        scrollBar_->height = height;
    }
    area_.right = std::max(area_.right, area_.left);
    area_.bottom = std::max(area_.bottom, area_.top);
    Redraw();
}

bool HTMLBox::drawFrame(GumpBitmap& bitmap)
{
    return DrawArtFrame(bitmap, frameArt_, 0, 0, width, height, CopySpan);
}

void HTMLBox::layOut()
{
    paintedFrom_ = {};
    if (pieces_.capacity() == 0) {
        SpareLayout& spare = spareLayout();
        std::swap(pieces_, spare.pieces);
        std::swap(lines_, spare.lines);
        std::swap(pieceText_, spare.text);
        std::swap(pieceAdvances_, spare.advances);
    }
    pieces_.clear();
    lines_.clear();
    pieceText_.clear();
    pieceAdvances_.clear();
    const int rightEdge = area_.width() - document_.rightMargin;
    const bool wrap = (flags_ & (html_flags::ShortText | html_flags::NoWrap | html_flags::Ellipsis)) == 0;
    const size_t count = (flags_ & html_flags::FirstElementOnly) != 0 ? std::min<size_t>(document_.elements.size(), 1)
                                                                       : document_.elements.size();
    int line = 0;
    int at = 0;
    auto newLine = [&](int indent, uint32_t style) {
        lines_.push_back({document_.leftMargin + indent, 0, 0, style});
        line = static_cast<int>(lines_.size()) - 1;
        at = lines_.back().indentLeft;
    };
    newLine(document_.elements.empty() ? 0 : document_.elements.front().indent,
            document_.elements.empty() ? 0 : document_.elements.front().style);
    for (size_t e = 0; e < count; ++e) {
        const HtmlElement& element = document_.elements[e];
        uint32_t style = element.style;
        if ((flags_ & html_flags::ShrinkToFit) != 0) {
            UnicodeSetStyle(style);
            const int fullWidth = UnicodeGetStringWidth(element.text.c_str());
            UnicodeRestoreStyle();
            if (at + fullWidth > rightEdge && (style & html_style::Big) != 0) {
                style &= ~html_style::Big;
                UnicodeSetStyle(style);
                const int smaller = UnicodeGetStringWidth(element.text.c_str());
                UnicodeRestoreStyle();
                if (at + smaller > rightEdge)
                    style |= html_style::Small;
            } else if (at + fullWidth > rightEdge) {
                style |= html_style::Small;
            }
        }
        UnicodeSetStyle(style);
        if (pieces_.empty() || lines_[static_cast<size_t>(line)].width == 0)
            lines_[static_cast<size_t>(line)].style = style;
        // The advance of each character, and when wrapping whether a line may break before it, found once.
        const size_t length = element.text.size();
        std::vector<int>& advances = layoutScratch().advances;
        std::vector<uint8_t>& breaks = layoutScratch().breaks;
        advances.resize(length);
        UnicodeGetCharWidths(element.text.data(), length, advances.data());
        breaks.assign(wrap ? length : 0, 0);
        for (size_t i = 0; i < breaks.size(); ++i)
            breaks[i] = isBreak(element.text, i) ? 1 : 0;
        Piece* piece = nullptr;
        auto startPiece = [&]() {
            if (!pieces_.empty())
                endPiece();
            pieces_.push_back({static_cast<int>(e), 0, static_cast<int>(pieceText_.size()), 0, at, line, style});
            piece = &pieces_.back();
        };
        startPiece();
        bool cut = false;
        for (size_t i = 0; i < element.text.size(); ++i) {
            const char16_t c = element.text[i];
            if (c == u'\n') {
                newLine(element.indent, style);
                cut = false;
                startPiece();
                continue;
            }
            if (cut)
                continue;
            if (c == u'\r') {
                startPiece();
                continue;
            }
            const int advance = advances[i];
            if (wrap && at > lines_[static_cast<size_t>(line)].indentLeft && breaks[i] != 0 &&
                at + wordWidth(element.text, advances, breaks, i) > rightEdge) {
                newLine(element.indent, style);
                startPiece();
                if (c == u' ')
                    continue;
            }
            if ((flags_ & html_flags::Ellipsis) != 0 && at + advance > rightEdge) {
                const int dot = UnicodeGetCharWidth(kDot);
                // The piece being filled is the last one: its characters end the shared buffers.
                while (piece->length > 0 && at + 3 * dot > rightEdge) {
                    at -= pieceAdvances_.back();
                    pieceAdvances_.pop_back();
                    pieceText_.pop_back();
                    --piece->length;
                }
                for (int d = 0; d < 3 && at + dot <= rightEdge; ++d) {
                    pieceText_.push_back(kDot);
                    pieceAdvances_.push_back(-1 - dot); // a dot of its own: no character of the run
                    ++piece->length;
                    at += dot;
                }
                cut = true;
                lines_[static_cast<size_t>(line)].width = at - lines_[static_cast<size_t>(line)].indentLeft;
                continue;
            }
            if (piece->length == 0)
                piece->first = static_cast<int>(i);
            pieceText_.push_back(c);
            pieceAdvances_.push_back(advance);
            ++piece->length;
            at += advance;
            lines_[static_cast<size_t>(line)].width = at - lines_[static_cast<size_t>(line)].indentLeft;
        }
        UnicodeRestoreStyle();
    }
    if (!pieces_.empty())
        endPiece();
    std::erase_if(pieces_, [](const Piece& p) { return p.length == 0; });
    for (size_t l = 0; l < lines_.size(); ++l) {
        Line& ln = lines_[l];
        const int free = rightEdge - ln.indentLeft - ln.width;
        if (free > 0 && (ln.style & html_style::Centre) != 0)
            ln.offset = free / 2;
        else if (free > 0 && (ln.style & html_style::Right) != 0)
            ln.offset = free;
    }
    contentHeight_ = document_.bottomMargin + document_.topMargin +
                     (static_cast<int>(lines_.size()) - 1) * kLineHeight + kLineHeight;
}

void HTMLBox::endPiece()
{
    pieceText_.push_back(u'\0');
    pieceAdvances_.push_back(0);
}

void HTMLBox::drawText(GumpBitmap& bitmap)
{
    const PixelSurface surface{bitmap.pixels.data(), bitmap.stride(), bitmap.width, bitmap.height};
    const BlitRect clip{area_.left, area_.top, area_.right, area_.bottom};
    // A box not yet given its size has an empty text area: its pieces are placed (the links take
    // their places) but no character can show.
    const bool drawable = area_.left < area_.right && area_.top < area_.bottom;
    const int top = area_.top + document_.topMargin - scrollPosition_;
    for (HtmlLink& link : document_.links)
        link.hotRects.clear();
    coloursFromVisitedList_ = false;
    const int selectionFirst = std::min(caret_, selectionEnd_);
    const int selectionLast = std::max(caret_, selectionEnd_) - 1;
    for (const Piece& piece : pieces_) {
        const HtmlElement& element = document_.elements[static_cast<size_t>(piece.element)];
        const int px = area_.left + piece.x + lines_[static_cast<size_t>(piece.line)].offset;
        const int py = top + piece.line * kLineHeight;
        int32_t colour = element.colour >= 0 ? element.colour : document_.textColour;
        HtmlLink* link = nullptr;
        if (element.link >= 0 && static_cast<size_t>(element.link) < document_.links.size()) {
            link = &document_.links[static_cast<size_t>(element.link)];
            if (!link->target.empty()) {
                const auto& visited = HtmlVisitedAddresses();
                coloursFromVisitedList_ = coloursFromVisitedList_ || !link->visited;
                const bool seen = link->visited || std::find(visited.begin(), visited.end(), link->target) != visited.end();
                colour = seen ? document_.visitedLinkColour : document_.linkColour;
            }
        }
        const int* advances = pieceAdvances_.data() + piece.start;
        int pieceWidth = 0;
        for (int k = 0; k < piece.length; ++k)
            pieceWidth += advances[k] >= 0 ? advances[k] : -1 - advances[k];
        // The selection of the first run: inverted cells, half-bright characters.
        int first = 0, last = -1;
        if (piece.element == 0 && caret_ >= 0 && selectionEnd_ >= 0 && selectionFirst <= selectionLast) {
            int cx = px;
            for (int k = 0; k < piece.length; ++k) {
                const int a = advances[k];
                const int w = a >= 0 ? a : -1 - a;
                const int source = piece.first + k;
                if (a >= 0 && source >= selectionFirst && source <= selectionLast) {
                    invertRect(bitmap, cx, std::max(py, area_.top), cx + w, std::min(py + kLineHeight, area_.bottom));
                    inked_.add(std::max(py, area_.top), std::min(py + kLineHeight, area_.bottom));
                    if (last < 0)
                        first = k;
                    last = k;
                }
                cx += w;
            }
        }
        if (drawable) {
            UnicodeSetStyle(piece.style);
            const uint16_t ink = static_cast<uint16_t>(colour);
            UnicodeDrawStringHighlighted(surface, pieceText_.c_str() + piece.start, px, py, ink, clip,
                                         static_cast<uint16_t>((ink >> 1) & 0x3DEF), first, last, &inked_);
            UnicodeRestoreStyle();
        }
        if (link != nullptr) {
            if (link->hotRects.size() < HtmlLink::kMaxHotRects)
                link->hotRects.push_back({px, py, px + pieceWidth, py + kLineHeight});
            if (link->documentY < 0)
                link->documentY = document_.topMargin + piece.line * kLineHeight;
        }
    }
    if (caret_ >= 0 && caret_ == selectionEnd_ && !readOnly()) {
        int cx = 0, cy = 0;
        characterPoint(caret_, cx, cy);
        if (cx >= area_.left && cx < area_.right) {
            invertRect(bitmap, cx, std::max(cy, area_.top), cx + 1, std::min(cy + kLineHeight, area_.bottom));
            inked_.add(std::max(cy, area_.top), std::min(cy + kLineHeight, area_.bottom));
        }
    }
}

void HTMLBox::Redraw()
{
    layOut();
    paint();
}

void HTMLBox::paint()
{
    // The bitmap is kept while the box keeps its size (scrolling redraws it at every step).
    GumpBitmap* bitmap = Frame(0);
    if (bitmap != nullptr && (bitmap->width != width || bitmap->height != height))
        bitmap = nullptr;
    frameIndex = 0;
    // A bitmap painted from this very state (a scroll step that left the position where it was)
    // already shows it; the scroll bar and the dirty rectangle are told as after any paint.
    if (bitmap == nullptr || paintState(bitmap) != paintedFrom_)
        paintBitmap(bitmap);
    scrollRange_ = std::max(contentHeight_ - area_.height(), 1);
    if (scrollBar_ != nullptr)
        scrollBar_->SetPosition(scrollPosition_, scrollRange_);
    int sx = 0, sy = 0;
    GumpToScreenCoords(sx, sy);
    CGumpManager::AddDirty({sx, sy, sx + width, sy + height});
}

void HTMLBox::paintBitmap(GumpBitmap* bitmap)
{
    if (bitmap == nullptr) {
        bitmap = MakeFrame(0, width, height);
    } else if (bitmap != inkedBitmap_) {
        bitmap->clear();
    } else {
        // Only the rows the last paint may have written hold anything.
        const int top = std::max(inked_.top, 0);
        const int bottom = std::min<int>(inked_.bottom, bitmap->height);
        if (top < bottom)
            std::memset(bitmap->row(top), 0, static_cast<size_t>(bottom - top) * bitmap->stride() * sizeof(uint16_t));
    }
    inked_ = {};
    inkedBitmap_ = bitmap;
    // The bitmap is blank here: a blank background needs no filling.
    if ((flags_ & html_flags::NoFrame) == 0) {
        if (drawFrame(*bitmap))
            inked_.add(0, height);
    } else if (static_cast<uint16_t>(document_.backgroundColour) != 0) {
        FillPixelRect(*bitmap, area_.left, area_.top, area_.right, area_.bottom,
                      static_cast<uint16_t>(document_.backgroundColour));
        inked_.add(area_.top, area_.bottom);
    }
    drawText(*bitmap);
    if (inverted != 0) {
        invertRect(*bitmap, area_.left, area_.top, area_.right, area_.bottom);
        inked_.add(area_.top, area_.bottom);
    }
    paintedFrom_ = coloursFromVisitedList_ ? PaintedFrom{} : paintState(bitmap);
}

HTMLBox::PaintedFrom HTMLBox::paintState(const GumpBitmap* bitmap) const
{
    return {bitmap, scrollPosition_, caret_, selectionEnd_, UnicodeGetSpaceWidth(), UnicodeGetCompactSpacing(), inverted};
}

void HTMLBox::SetScroll(int position, int range)
{
    const int64_t at = range > 0 ? static_cast<int64_t>(position) * scrollRange_ / range : 0;
    scrollPosition_ = static_cast<int>(std::clamp<int64_t>(at, 0, scrollRange_));
    paint();
}

void HTMLBox::ScrollBy(bool down)
{
    scrollPosition_ = std::clamp(scrollPosition_ + (down ? kScrollStep : -kScrollStep), 0, scrollRange_);
    paint();
}

int HTMLBox::characterAt(int px, int py) const
{
    const int length = static_cast<int>(Text().size());
    if (lines_.empty())
        return 0;
    const int docY = py - area_.top + scrollPosition_ - document_.topMargin;
    const int line = std::clamp(docY < 0 ? 0 : docY / kLineHeight, 0, static_cast<int>(lines_.size()) - 1);
    int best = -1;
    for (const Piece& piece : pieces_) {
        if (piece.element != 0 || piece.line != line)
            continue;
        int cx = area_.left + piece.x + lines_[static_cast<size_t>(line)].offset;
        const int* advances = pieceAdvances_.data() + piece.start;
        for (int k = 0; k < piece.length; ++k) {
            if (advances[k] < 0)
                continue;
            if (px < cx + advances[k] / 2)
                return piece.first + k;
            cx += advances[k];
            best = piece.first + k + 1;
        }
    }
    if (best >= 0)
        return best;
    // An empty line: the place after the line break that starts it.
    int breaks = 0;
    const std::u16string text = Text();
    for (int i = 0; i < length; ++i)
        if (text[static_cast<size_t>(i)] == u'\n' && ++breaks == line)
            return i + 1;
    return length;
}

void HTMLBox::characterPoint(int index, int& px, int& py) const
{
    const int top = area_.top + document_.topMargin - scrollPosition_;
    for (const Piece& piece : pieces_) {
        if (piece.element != 0)
            continue;
        int cx = area_.left + piece.x + lines_[static_cast<size_t>(piece.line)].offset;
        const int* advances = pieceAdvances_.data() + piece.start;
        for (int k = 0; k < piece.length; ++k) {
            if (advances[k] >= 0 && piece.first + k == index) {
                px = cx;
                py = top + piece.line * kLineHeight;
                return;
            }
            cx += advances[k] >= 0 ? advances[k] : -1 - advances[k];
        }
    }
    // After the last character: the end of its line, or the start of the line a break opens.
    const std::u16string text = Text();
    int line = 0;
    for (int i = 0; i < index && i < static_cast<int>(text.size()); ++i)
        if (text[static_cast<size_t>(i)] == u'\n')
            ++line;
    line = std::min(line, static_cast<int>(lines_.size()) - 1);
    px = area_.left + document_.leftMargin;
    if (line >= 0) {
        px = area_.left + lines_[static_cast<size_t>(line)].indentLeft + lines_[static_cast<size_t>(line)].offset;
        if (index > 0 && text[static_cast<size_t>(index - 1)] != u'\n')
            px += lines_[static_cast<size_t>(line)].width;
    }
    py = top + std::max(line, 0) * kLineHeight;
}

void HTMLBox::keepCaretInView()
{
    if (caret_ < 0)
        return;
    int cx = 0, cy = 0;
    characterPoint(selectionEnd_ >= 0 ? selectionEnd_ : caret_, cx, cy);
    int scroll = scrollPosition_;
    if (cy < area_.top)
        scroll -= area_.top - cy;
    else if (cy + kLineHeight > area_.bottom)
        scroll += cy + kLineHeight - area_.bottom;
    if (scroll != scrollPosition_) {
        scrollRange_ = std::max(contentHeight_ - area_.height(), 1);
        scrollPosition_ = std::clamp(scroll, 0, scrollRange_);
        paint();
    }
}

void HTMLBox::changed()
{
    Redraw();
    keepCaretInView();
}

void HTMLBox::placeCaret(int index, bool extend)
{
    index = std::clamp(index, 0, static_cast<int>(Text().size()));
    if (extend)
        selectionEnd_ = index;
    else
        caret_ = selectionEnd_ = index;
    changed();
}

void HTMLBox::deleteSelection()
{
    std::u16string& text = editText();
    const int first = std::clamp(std::min(caret_, selectionEnd_), 0, static_cast<int>(text.size()));
    const int last = std::clamp(std::max(caret_, selectionEnd_), 0, static_cast<int>(text.size()));
    text.erase(static_cast<size_t>(first), static_cast<size_t>(last - first));
    caret_ = selectionEnd_ = first;
}

void HTMLBox::replaceSelection(std::u16string_view with)
{
    const size_t limit = (flags_ & html_flags::ShortText) != 0 ? kMaxShortText : kMaxText;
    if (Text().size() > limit)
        return;
    deleteSelection();
    std::u16string& text = editText();
    text.insert(static_cast<size_t>(caret_), with);
    caret_ = selectionEnd_ = caret_ + static_cast<int>(with.size());
    changed();
}

void HTMLBox::OnChar(uint16_t c)
{
    platform::KeyModifiers mods;
    if (platform::Window* window = MainWindow())
        mods = window->modifiers();
    const bool extend = mods.shift && !mods.ctrl && !mods.alt;
    const bool editing = caret_ >= 0 && selectionEnd_ >= 0 && !readOnly();
    const bool lines = (flags_ & (html_flags::ShortText | html_flags::ReadOnly)) == 0;
    const int length = static_cast<int>(Text().size());
    switch (c) {
    case 27:
        if (CGumpManager::Focus() == this)
            CGumpManager::KillFocus();
        caret_ = selectionEnd_ = -1;
        Redraw();
        return;
    case 8:
        if (!editing)
            return;
        if (caret_ != selectionEnd_) {
            deleteSelection();
        } else if (caret_ > 0) {
            editText().erase(static_cast<size_t>(caret_ - 1), 1);
            caret_ = selectionEnd_ = caret_ - 1;
        }
        changed();
        return;
    case 9:
        if (readOnly())
            return;
        if (tabToParent && Parent() != nullptr)
            Parent()->OnChildTab();
        else if (editing)
            replaceSelection(u"    ");
        return;
    case 13:
        if (editing && lines)
            replaceSelection(u"\n");
        return;
    case 0xE023:
    case 0xE024:
        if (editing)
            placeCaret(c == 0xE023 ? length : 0, extend);
        return;
    case 0xE025:
    case 0xE027:
        if (editing)
            placeCaret((extend ? selectionEnd_ : caret_) + (c == 0xE025 ? -1 : 1), extend);
        return;
    case 0xE026:
    case 0xE028: {
        if (!editing || !lines)
            return;
        int cx = 0, cy = 0;
        characterPoint(extend ? selectionEnd_ : caret_, cx, cy);
        cy += c == 0xE026 ? -kLineHeight : kLineHeight;
        if (cy + scrollPosition_ < area_.top + document_.topMargin)
            return;
        placeCaret(characterAt(cx, cy), extend);
        return;
    }
    case 0xE02D:
        if (editing && mods.shift)
            replaceSelection(HtmlClipboard());
        return;
    case 0xE02E:
        if (!editing)
            return;
        if (caret_ != selectionEnd_) {
            if (mods.shift) {
                const int first = std::min(caret_, selectionEnd_);
                HtmlClipboard() = Text().substr(static_cast<size_t>(first),
                                                static_cast<size_t>(std::abs(caret_ - selectionEnd_)));
            }
            deleteSelection();
        } else if (caret_ < length) {
            editText().erase(static_cast<size_t>(caret_), 1);
        }
        changed();
        return;
    default:
        break;
    }
    if (c < 32 || c >= 0xE000 || !editing)
        return;
    if (c != u' ' && !UnicodeHasGlyph(c))
        return;
    const char16_t one[1] = {static_cast<char16_t>(c)};
    replaceSelection(std::u16string_view(one, 1));
}

void HTMLBox::passToTextParent(bool down, int px, int py)
{
    CGump* parent = Parent();
    if (parent == nullptr || parent->IsChatFramed() == 0)
        return;
    if (down)
        parent->OnLButtonDown(px + x, py + y);
    else
        parent->OnLButtonUp(px + x, py + y);
}

void HTMLBox::OnLButtonDown(int px, int py)
{
    pressX_ = px;
    pressY_ = py;
    MouseManager::SetCapture(this);
    if (resizable != 0 && shiftHeld()) {
        resizing_ = true;
    } else if (movesByDrag != 0) {
        moving_ = true;
    } else if (!readOnly() && inTextArea(px, py)) {
        if (clearOnFirstEdit != 0) {
            editText().clear();
            clearOnFirstEdit = 0;
            Redraw();
        }
        caret_ = selectionEnd_ = characterAt(px, py);
        Redraw();
        CGumpManager::SetFocus(this);
    }
    if ((flags_ & html_flags::PressesParent) != 0 && inTextArea(px, py) && Parent() != nullptr) {
        Parent()->lastPressedId = id;
        Parent()->HandleButtonPress(id);
    }
    passToTextParent(true, px, py);
}

void HTMLBox::OnDrag(int px, int py)
{
    const bool shift = shiftHeld();
    if (resizing_ && !shift) {
        resizing_ = false;
        moving_ = true;
    } else if (moving_ && shift && resizable != 0) {
        moving_ = false;
        resizing_ = true;
    }
    if (moving_) {
        if (px != pressX_ || py != pressY_)
            MoveBy(px - pressX_, py - pressY_, Parent() == nullptr, nullptr, true);
        return;
    }
    if (resizing_) {
        const int newWidth = width + px - pressX_;
        const int newHeight = height + py - pressY_;
        if (newWidth >= kMinSize && newHeight >= kMinSize && (newWidth != width || newHeight != height)) {
            ResizeTo({x, y, x + newWidth, y + newHeight});
            pressX_ = px;
            pressY_ = py;
            if (HtmlHooks().rememberPlacement)
                HtmlHooks().rememberPlacement(this);
        }
        return;
    }
    if (!readOnly() && caret_ >= 0 && inTextArea(px, py)) {
        const int at = characterAt(px, py);
        if (at != selectionEnd_) {
            selectionEnd_ = at;
            Redraw();
        }
    }
}

void HTMLBox::OnLButtonUp(int px, int py)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    const bool moved = moving_;
    moving_ = resizing_ = false;
    if (moved) {
        if (HtmlHooks().rememberPlacement)
            HtmlHooks().rememberPlacement(this);
    } else if ((flags_ & (html_flags::NoMarkup | html_flags::NoLinks)) == 0) {
        followLink(px, py);
    }
    if (IsLiveGump(this))
        passToTextParent(false, px, py);
}

void HTMLBox::followLink(int px, int py)
{
    HtmlLink* hit = nullptr;
    for (HtmlLink& link : document_.links) {
        for (const HtmlRect& r : link.hotRects)
            if (px >= r.left && px < r.right && py >= r.top && py < r.bottom) {
                hit = &link;
                break;
            }
        if (hit != nullptr)
            break;
    }
    if (hit == nullptr || hit->target.empty())
        return;
    hit->visited = true;
    if (hit->target[0] == u'#') {
        const std::u16string anchor = hit->target.substr(1);
        for (const HtmlLink& link : document_.links) {
            if (link.name.size() != anchor.size() ||
                !std::equal(link.name.begin(), link.name.end(), anchor.begin(), [](char16_t a, char16_t b) {
                    auto up = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
                    return up(a) == up(b);
                }))
                continue;
            if (link.documentY >= 0)
                scrollPosition_ = std::clamp(link.documentY, 0, scrollRange_);
            break;
        }
        paint();
        return;
    }
    const std::u16string target = hit->target;
    const bool internal = hit->internal;
    auto& visited = HtmlVisitedAddresses();
    if (visited.size() >= kVisitedRing)
        visited.erase(visited.begin());
    visited.push_back(target);
    caret_ = selectionEnd_ = -1;
    Redraw();
    if (internal) {
        if (HtmlHooks().sendMessageCommand)
            HtmlHooks().sendMessageCommand(1, target);
        return;
    }
    std::string address;
    for (char16_t c : target)
        address.push_back(static_cast<char>(c & 0xFF));
    if (HtmlHooks().openWebPage) {
        HtmlHooks().openWebPage(address);
    } else {
        LeaveFullScreen();
        OpenWebPage(address.c_str());
    }
}

void HTMLBox::OnRButtonDown(int px, int py)
{
    if (gmMenu != 0 && HtmlHooks().gmContextMenu)
        HtmlHooks().gmContextMenu(this, px, py);
}

void HTMLBox::OnRButtonUp(int px, int py)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    if (Parent() != nullptr)
        Parent()->OnRButtonUp(px + x, py + y);
}

void HTMLBox::OnMouseOver(int, int) {}

void HTMLBox::OnMouseTick()
{
    if (Parent() != nullptr)
        Parent()->OnMouseTick();
}
