/** @file The server-described gump: a layout of pictures, texts, entries, buttons, switches, frames and HTML boxes on pages, and its reply. */
#include "client/gumps/framework/generic_gump.h"

#include "client/core/app.h"
#include "client/core/kz_report.h"
#include "client/data/art_image.h"
#include "client/data/def_tables.h"
#include "client/data/gump_art.h"
#include "client/data/hue_manager.h"
#include "client/data/language_manager.h"
#include "client/data/span_routines.h"
#include "client/data/unicode_font.h"
#include "client/gumps/framework/art_frame.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/gump_pixels.h"
#include "client/gumps/framework/html_box.h"
#include "client/gumps/framework/message_gumps.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/framework/server_gump_packet.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

namespace {

/**
 * The decimal numbers at the start of a record's arguments, as many as there are up to the most
 * any record takes: a record is only ever asked whether it has its count and for those numbers.
 */
struct Numbers {
    static constexpr size_t kMost = 7;
    int64_t values[kMost] = {};
    size_t count = 0;

    size_t size() const { return count; }
    int64_t operator[](size_t i) const { return values[i]; }
};

Numbers numbers(std::string_view text)
{
    Numbers out;
    size_t i = 0;
    while (i < text.size() && out.count < Numbers::kMost) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        if (i >= text.size())
            break;
        int64_t value = 0;
        const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
        if (ec != std::errc() || (end != text.data() + text.size() && !std::isspace(static_cast<unsigned char>(*end))))
            break;
        out.values[out.count++] = value;
        i = static_cast<size_t>(end - text.data());
    }
    return out;
}

void be16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void be32(std::vector<uint8_t>& out, uint32_t v)
{
    be16(out, v >> 16);
    be16(out, v);
}

template <class F>
void forEachElement(const std::vector<std::unique_ptr<GenericElement>>& list, const F& f)
{
    // Children first, then the element itself: the order of the reply.
    for (const auto& e : list) {
        forEachElement(e->children, f);
        f(*e);
    }
}

std::vector<GenericGump*>& openGenericGumps()
{
    static std::vector<GenericGump*> open;
    return open;
}

void layOutHtmlBox(HTMLBox& box, const GenericElement& e, int32_t textColour)
{
    box.SetText(e.text, textColour);
    box.ResizeTo({e.x, e.y, e.x + e.width, e.y + e.height});
}

HtmlBoxLayout g_htmlBoxLayout = &layOutHtmlBox;

} // namespace

void SetHtmlBoxLayout(HtmlBoxLayout layout)
{
    g_htmlBoxLayout = layout != nullptr ? layout : &layOutHtmlBox;
}

GenericGump::GenericGump(const ServerGumpDescription& description)
{
    name = "generic gump";
    serial = description.serial;
    gumpId = description.gumpId;
    x = description.x;
    y = description.y;
    parse(description);
    if (!Failed())
        Layout();
    openGenericGumps().push_back(this);
}

GenericGump::~GenericGump()
{
    std::erase(openGenericGumps(), this);
}

bool GenericGump::fail(const std::string& why)
{
    if (error_.empty())
        error_ = why;
    return false;
}

void GenericGump::parse(const ServerGumpDescription& description)
{
    const std::string& layout = description.layout;
    size_t at = 0;
    while ((at = layout.find('{', at)) != std::string::npos) {
        size_t end = layout.find('}', at + 1);
        std::string_view record(layout.data() + at + 1, (end == std::string::npos ? layout.size() : end) - at - 1);
        at = end == std::string::npos ? layout.size() : end + 1;
        while (!record.empty() && std::isspace(static_cast<unsigned char>(record.front())))
            record.remove_prefix(1);
        while (!record.empty() && std::isspace(static_cast<unsigned char>(record.back())))
            record.remove_suffix(1);
        if (record.size() > kMaxRecord)
            return (void)fail("a record longer than " + std::to_string(kMaxRecord) + " characters");
        if (!parseRecord(record, description.lines))
            return;
    }
}

GenericElement* GenericGump::findGroup(int group)
{
    GenericElement* found = nullptr;
    auto search = [&](auto& self, std::vector<std::unique_ptr<GenericElement>>& list) -> void {
        for (auto& e : list) {
            if (found != nullptr)
                return;
            if (e->group == group) {
                found = e.get();
                return;
            }
            self(self, e->children);
        }
    };
    search(search, elements_);
    return found;
}

GenericElement* GenericGump::add(std::unique_ptr<GenericElement> element)
{
    element->page = layoutPage_;
    if (element->type != GenericElement::Group)
        element->group = currentGroup_;
    element->state = element->type == GenericElement::CheckBox || element->type == GenericElement::Radio ? element->value : 0;
    GenericElement* raw = element.get();
    if (currentGroup_ == 0) {
        elements_.push_back(std::move(element));
    } else {
        GenericElement* parent = findGroup(currentGroup_);
        if (parent == nullptr)
            return nullptr;
        raw->parent = parent;
        parent->children.push_back(std::move(element));
    }
    ++elementCount_;
    return raw;
}

bool GenericGump::parseRecord(std::string_view record, const std::vector<std::u16string>& lines)
{
    const size_t blank = record.find_first_of(" \t\r\n");
    std::string keyword(record.substr(0, blank));
    std::transform(keyword.begin(), keyword.end(), keyword.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    // Compared as a view: lengths first, so most keywords are told apart without reading a character.
    const std::string_view word = keyword;
    const Numbers n = numbers(blank == std::string_view::npos ? std::string_view() : record.substr(blank + 1));
    struct Takes {
        std::string_view keyword;
        size_t count;
    };
    static constexpr Takes kTakes[] = {{"page", 1},     {"group", 1},       {"gumppic", 3},   {"tilepic", 3},
                                       {"text", 4},     {"croppedtext", 6}, {"textentry", 7}, {"radio", 6},
                                       {"button", 7},   {"checkbox", 6},    {"resizepic", 5}, {"htmlgump", 7},
                                       {"xmfhtmlgump", 7}};
    static_assert(std::all_of(std::begin(kTakes), std::end(kTakes), [](const Takes& t) { return t.count <= Numbers::kMost; }));
    for (const Takes& t : kTakes)
        if (n.size() < t.count && word == t.keyword)
            return fail("'" + keyword + "' with " + std::to_string(n.size()) + " numbers");
    if (elementCount_ >= kMaxElements)
        return fail("more than " + std::to_string(kMaxElements) + " elements");
    auto number = [&](size_t i) { return static_cast<int>(std::clamp<int64_t>(n[i], INT32_MIN, INT32_MAX)); };
    // A number with a margin added, held at the ends of the range as the number itself is.
    auto numberPlus = [&](size_t i, int margin) {
        return static_cast<int>(std::clamp<int64_t>(int64_t{number(i)} + margin, INT32_MIN, INT32_MAX));
    };
    auto line = [&](size_t i, std::u16string& out) {
        if (n[i] < 0 || static_cast<size_t>(n[i]) >= lines.size())
            return fail("text line " + std::to_string(n[i]) + " of " + std::to_string(lines.size()));
        out = lines[static_cast<size_t>(n[i])];
        return true;
    };
    auto placed = [&](GenericElement& e) {
        if (std::abs(static_cast<int64_t>(e.x)) > kMaxExtent || std::abs(static_cast<int64_t>(e.y)) > kMaxExtent ||
            e.width < 0 || e.height < 0 || e.width > kMaxExtent || e.height > kMaxExtent)
            return fail("'" + keyword + "' outside the gump's bounds");
        return true;
    };
    auto make = [&](GenericElement::Type type, int ex, int ey) {
        auto e = std::make_unique<GenericElement>();
        e->type = type;
        e->x = ex;
        e->y = ey;
        return e;
    };
    if (word == "page") {
        layoutPage_ = number(0);
    } else if (word == "nodispose") {
        disposable = 0;
    } else if (word == "nomove") {
        movable = 0;
    } else if (word == "noclose") {
        closable = 0;
    } else if (word == "group") {
        const int group = number(0);
        if (currentGroup_ == 0 || findGroup(currentGroup_) != nullptr) {
            if (++depth_ > kMaxDepth)
                return fail("groups nested deeper than " + std::to_string(kMaxDepth));
            auto e = make(GenericElement::Group, 0, 0);
            e->group = group;
            add(std::move(e));
        }
        currentGroup_ = group;
    } else if (word == "gumppic" || word == "tilepic") {
        auto e = make(word == "gumppic" ? GenericElement::Picture : GenericElement::ItemPicture, number(0), number(1));
        e->art = number(2);
        if (e->type == GenericElement::Picture) {
            const ArtSize s = GumpArtExtent(e->art);
            e->width = s.w;
            e->height = s.h;
        } else {
            e->art &= 0x3FFF;
            const DefTable* remap = DefTables::Get(DEF_ART);
            const uint16_t key = static_cast<uint16_t>(e->art + 0x4000);
            if (remap != nullptr && remap->Find(key) != nullptr)
                e->art = (remap->PickAlternate(key, 0) - 0x4000) & 0x3FFF;
            if (const ArtImage* image = GetArtImage(e->art + 0x4000)) {
                e->width = image->width;
                e->height = image->height;
            }
        }
        if (!placed(*e))
            return false;
        add(std::move(e));
    } else if (word == "text" || word == "croppedtext" || word == "textentry") {
        auto e = make(word == "text" ? GenericElement::Text
                                     : word == "croppedtext" ? GenericElement::CroppedText : GenericElement::TextEntry,
                      number(0), number(1));
        size_t lineAt = 3;
        if (e->type == GenericElement::Text) {
            e->art = number(2);
        } else {
            e->width = numberPlus(2, 2);
            e->height = numberPlus(3, 2);
            e->art = number(4);
            lineAt = 5;
            if (e->type == GenericElement::TextEntry) {
                e->id = static_cast<uint32_t>(n[5]);
                lineAt = 6;
            }
        }
        if (!line(lineAt, e->text))
            return false;
        if (e->type == GenericElement::TextEntry && e->text.size() > kMaxEntryText)
            e->text.resize(kMaxEntryText);
        if (e->type == GenericElement::Text) {
            int32_t w = 0, h = 0, third = 0;
            UnicodeCalcInfo(e->text.c_str(), &w, &h, &third);
            e->width = w + 2;
            e->height = h + 2;
        }
        if (!placed(*e))
            return false;
        add(std::move(e));
    } else if (word == "radio" || word == "checkbox" || word == "button") {
        auto e = make(word == "radio" ? GenericElement::Radio
                                      : word == "checkbox" ? GenericElement::CheckBox : GenericElement::Button,
                      number(0), number(1));
        e->art = number(2);
        e->secondArt = number(3);
        const ArtSize s = GumpArtExtent(e->art);
        e->width = s.w;
        e->height = s.h;
        if (e->type == GenericElement::Button) {
            const int reply = number(4);
            e->value = number(5);
            e->id = static_cast<uint32_t>(n[6]);
            e->flags = (reply != 0 ? 1 : 0) | (e->value != 0 ? 2 : 0);
        } else {
            e->value = number(4) != 0 ? 1 : 0;
            e->id = static_cast<uint32_t>(n[5]);
        }
        if (!placed(*e))
            return false;
        add(std::move(e));
    } else if (word == "resizepic") {
        auto e = make(GenericElement::Frame, number(0), number(1));
        e->art = number(2);
        e->width = number(3);
        e->height = number(4);
        if (!placed(*e))
            return false;
        if (static_cast<int64_t>(e->width) * e->height > kMaxFramePixels)
            return fail("a framed background of " + std::to_string(e->width) + " x " + std::to_string(e->height));
        add(std::move(e));
    } else if (word == "htmlgump" || word == "xmfhtmlgump") {
        auto e = make(GenericElement::HtmlBox, number(0), number(1));
        e->width = number(2);
        e->height = number(3);
        if (word == "htmlgump") {
            if (!line(4, e->text))
                return false;
        } else {
            const CUnicodeString text = GetClilocString(number(4));
            const WideChar* buffer = text.GetStringBuffer();
            e->text = buffer != nullptr ? std::u16string(buffer) : std::u16string();
            if (e->text.size() > 1023)
                e->text.resize(1023);
        }
        if (!placed(*e))
            return false;
        const int background = number(5), scrollbar = number(6);
        GenericElement* made = add(std::move(e));
        if (made != nullptr) {
            const uint32_t flags = (background != 0 ? 0x2002u : 0x2082u) | (scrollbar == 0 ? 4u : 0u);
            made->html = new HTMLBox(this, 0, flags, false, true);
            g_htmlBoxLayout(*made->html, *made, scrollbar != 0 && background == 0 ? 0x7BDE : 1);
        }
    }
    return true;
}

bool GenericGump::shown(const GenericElement& e) const
{
    const int shownPage = e.parent != nullptr ? e.parent->currentPage : currentPage;
    return e.page == 0 || e.page == shownPage;
}

namespace {

/** How far an element reaches into the gump's bitmap: its right and bottom edges, kept inside the bitmap's bounds. */
std::pair<int, int> reachOf(const GenericElement& e)
{
    return {std::clamp(e.x + e.width, 1, GenericGump::kMaxExtent * 2), std::clamp(e.y + e.height, 1, GenericGump::kMaxExtent * 2)};
}

/**
 * A cropped text's text: as it is when it fits in `inside` pixels, else cut by as many characters as
 * keep the cut text and "..." narrower than that, at least to nothing, with "..." after it. Text
 * after a zero character is neither measured nor drawn.
 */
std::u16string croppedText(const std::u16string& text, int inside)
{
    const size_t shown = std::min(text.find(u'\0'), text.size());
    // widths[k]: the width of the first k characters.
    std::vector<int32_t> widths(shown + 1, 0);
    for (size_t k = 0; k < shown; ++k)
        widths[k + 1] = widths[k] + UnicodeGetCharWidth(text[k]);
    if (widths[shown] <= inside)
        return text;
    const int32_t dots = UnicodeGetStringWidth(u"...");
    // A cut that still holds the zero character measures up to it, without the dots.
    size_t keep = text.size();
    while (keep > 0 && (keep > shown ? widths[shown] : widths[keep] + dots) >= inside)
        --keep;
    return text.substr(0, keep) + u"...";
}

} // namespace

void GenericGump::drawElement(const GenericElement& e, int reachedW, int reachedH)
{
    GumpBitmap* bitmap = Frame(0);
    const int w = e.width, h = e.height;
    switch (e.type) {
    case GenericElement::Picture:
    case GenericElement::Button:
    case GenericElement::CheckBox:
    case GenericElement::Radio: {
        // Art drawn past the reached width went into the row padding of the bitmap of that time,
        // which is kept only when the bitmap has its full size already.
        const bool full = reachedW == bitmap->width && reachedH == bitmap->height;
        DrawGumpArtClipped(CopySpanTransparent, e.state != 0 ? e.secondArt : e.art,
                           ClipRect{0, 0, full ? bitmap->stride() : reachedW, reachedH}, e.x, e.y,
                           bitmap->pixels.data(), bitmap->stride(), bitmap->height);
        break;
    }
    case GenericElement::ItemPicture: {
        int art = e.art;
        int hue = 0;
        const DefTable* remap = DefTables::Get(DEF_ART);
        if (const DefEntry* entry = remap != nullptr ? remap->Find(static_cast<uint16_t>(art + 0x4000)) : nullptr) {
            art = (remap->PickAlternate(static_cast<uint16_t>(art + 0x4000), 0) - 0x4000) & 0x3FFF;
            hue = entry->number;
        }
        const ArtImage* image = GetArtImage(art + 0x4000);
        if (image == nullptr)
            break;
        const auto scratch = BlankPixels(w, h);
        if (hue != 0)
            setSpanHue(hue);
        for (int row = 0; row < std::min(h, image->height); ++row)
            for (uint32_t r = image->rowStart[static_cast<size_t>(row)]; r < image->rowStart[static_cast<size_t>(row) + 1]; ++r) {
                const ArtRun& run = image->runs[r];
                const int count = std::min<int>(run.count, w - run.x);
                if (count > 0)
                    (hue != 0 ? HueSpan : CopySpan)(&scratch[static_cast<size_t>(row) * w + run.x], &image->pixels[run.pixel], count);
            }
        CopyNonZeroPixels(*bitmap, reachedW, reachedH, scratch.get(), w, w, h, e.x, e.y);
        break;
    }
    case GenericElement::Frame: {
        // Transparent pieces over what is drawn already, inside the element and what the gump had reached.
        const ClipRect within{e.x, e.y, std::min(e.x + w, reachedW), std::min(e.y + h, reachedH)};
        DrawArtFrame(*bitmap, e.art, e.x, e.y, w, h, CopySpanTransparent, &within);
        break;
    }
    case GenericElement::Text:
    case GenericElement::CroppedText:
    case GenericElement::TextEntry: {
        std::u16string text = e.type == GenericElement::CroppedText ? croppedText(e.text, w - 2) : e.text;
        if (e.type == GenericElement::TextEntry && e.state != 0)
            text += u"_";
        // The text and its outline are drawn in an image of the element's size, pen at (1, 1);
        // only the part where ink can fall, one pixel of outline around it, is made and walked.
        const uint16_t colour = HueTextColour(e.art);
        const BlitRect ink = UnicodeGetStringInk(text.c_str(), 1, 1, colour);
        const int left = std::max(ink.left, 1) - 1, top = std::max(ink.top, 1) - 1;
        const int right = std::min(ink.right, w - 1) + 1, bottom = std::min(ink.bottom, h - 1) + 1;
        if (ink.left >= ink.right || left >= right || top >= bottom)
            break;
        const int sw = right - left, sh = bottom - top;
        const auto scratch = BlankPixels(sw, sh);
        const PixelSurface surface{scratch.get(), sw, sw, sh};
        UnicodeDrawString(surface, text.c_str(), 1 - left, 1 - top, colour, BlitRect{0, 0, sw, sh});
        OutlineDrawnPixels(scratch.get(), sw, sh);
        CopyNonZeroPixels(*bitmap, reachedW, reachedH, scratch.get(), sw, sw, sh, e.x + left, e.y + top);
        break;
    }
    default:
        break;
    }
}

void GenericGump::layoutList(const std::vector<std::unique_ptr<GenericElement>>& list, int listPage,
                             std::vector<const GenericElement*>& toDraw)
{
    for (const auto& e : list) {
        const bool show = e->page == 0 || e->page == listPage;
        if (e->type == GenericElement::HtmlBox) {
            if (e->html != nullptr)
                e->html->visible = show ? 1 : 0;
            continue;
        }
        if (e->type == GenericElement::Group) {
            if (show)
                layoutList(e->children, e->currentPage, toDraw);
            else
                forEachElement(e->children, [](const GenericElement& c) {
                    if (c.html != nullptr)
                        c.html->visible = 0;
                });
            continue;
        }
        if (show && e->width > 0 && e->height > 0)
            toDraw.push_back(e.get());
    }
}

void GenericGump::Layout()
{
    std::vector<const GenericElement*> toDraw;
    layoutList(elements_, currentPage, toDraw);
    // The bitmap is made once, as large as the shown elements reach; each element is drawn
    // clipped to what it and the elements before it reach, as if the bitmap grew element by element.
    int fullW = 1, fullH = 1;
    for (const GenericElement* e : toDraw) {
        const auto [reachW, reachH] = reachOf(*e);
        fullW = std::max(fullW, reachW);
        fullH = std::max(fullH, reachH);
    }
    MakeFrame(0, fullW, fullH);
    frameIndex = 0;
    int reachedW = 1, reachedH = 1;
    for (const GenericElement* e : toDraw) {
        const auto [reachW, reachH] = reachOf(*e);
        reachedW = std::max(reachedW, reachW);
        reachedH = std::max(reachedH, reachH);
        drawElement(*e, reachedW, reachedH);
    }
    width = Frame(0)->width;
    height = Frame(0)->height;
    int sx = 0, sy = 0;
    GumpToScreenCoords(sx, sy);
    CGumpManager::AddDirty({sx, sy, sx + width, sy + height});
}

std::vector<uint8_t> GenericGump::BuildReply(uint32_t buttonId) const
{
    std::vector<uint32_t> switches;
    std::vector<const GenericElement*> entries;
    forEachElement(elements_, [&](const GenericElement& e) {
        if ((e.type == GenericElement::CheckBox || e.type == GenericElement::Radio) && e.state != 0)
            switches.push_back(e.id);
        if (e.type == GenericElement::TextEntry)
            entries.push_back(&e);
    });
    std::vector<uint8_t> out{0xB1, 0, 0};
    be32(out, serial);
    be32(out, gumpId);
    be32(out, buttonId);
    be32(out, static_cast<uint32_t>(switches.size()));
    for (uint32_t s : switches)
        be32(out, s);
    be32(out, static_cast<uint32_t>(entries.size()));
    for (const GenericElement* e : entries) {
        const size_t count = std::min(e->text.size(), kMaxEntryText);
        be16(out, e->id);
        be16(out, static_cast<uint32_t>(count));
        for (size_t i = 0; i < count; ++i)
            be16(out, e->text[i]);
    }
    // A reply that does not fit the length field is cut to nothing but its head.
    if (out.size() > 0xFFFF)
        out.resize(19);
    out[1] = static_cast<uint8_t>(out.size() >> 8);
    out[2] = static_cast<uint8_t>(out.size());
    return out;
}

void GenericGump::SendReply(uint32_t buttonId)
{
    CPacketSink* connection = MainConnection();
    if (serial == 0 || connection == nullptr)
        return;
    const std::vector<uint8_t> reply = BuildReply(buttonId);
    connection->SendPacket(reply.data(), reply.size());
}

void GenericGump::closeWithReply(uint32_t buttonId)
{
    SendReply(buttonId);
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    CGumpManager::DestroyGump(this);
}

bool GenericGump::CloseById(uint32_t id, uint32_t buttonId)
{
    if (id != gumpId || closing)
        return false;
    closeWithReply(buttonId);
    return true;
}

GenericElement* GenericGump::hitIn(GenericElement& e, int px, int py)
{
    if (!shown(e))
        return nullptr;
    // Children before their parent; the last child that hits wins.
    GenericElement* hit = nullptr;
    for (auto& child : e.children)
        if (GenericElement* h = hitIn(*child, px, py))
            hit = h;
    if (hit != nullptr)
        return hit;
    return e.type != GenericElement::Group && e.contains(px, py) ? &e : nullptr;
}

bool GenericGump::HitTest(int px, int py)
{
    for (auto& e : elements_)
        if (hitIn(*e, px, py) != nullptr)
            return true;
    return false;
}

void GenericGump::OnLButtonDown(int px, int py)
{
    BringToFront(true);
    pressed_ = true;
    pressX_ = px;
    pressY_ = py;
    bool changed = false;
    for (auto& top : elements_) {
        GenericElement* e = hitIn(*top, px, py);
        if (e == nullptr)
            continue;
        switch (e->type) {
        case GenericElement::Button:
            pressedElement_ = e;
            e->state = 1;
            changed = true;
            break;
        case GenericElement::CheckBox:
        case GenericElement::Radio:
            pressedElement_ = e;
            break;
        case GenericElement::TextEntry:
            if (activeEntry_ != nullptr && activeEntry_ != e)
                activeEntry_->state = 0;
            CGumpManager::SetFocus(this);
            activeEntry_ = e;
            e->state = 1;
            changed = true;
            break;
        default:
            break;
        }
    }
    if (changed)
        Layout();
}

void GenericGump::OnLButtonUp(int px, int py)
{
    pressed_ = false;
    GenericElement* element = pressedElement_;
    pressedElement_ = nullptr;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    GenericElement* hit = nullptr;
    for (auto& top : elements_)
        if (GenericElement* h = hitIn(*top, pressX_, pressY_))
            hit = h;
    if (element != nullptr && element->type == GenericElement::Button)
        element->state = 0;
    if (hit != nullptr && hit == element && hit->contains(px, py)) {
        switch (hit->type) {
        case GenericElement::Button:
            if ((hit->flags & 1) != 0) {
                closeWithReply(hit->id);
                return;
            }
            if ((hit->flags & 2) != 0) {
                if (hit->parent != nullptr)
                    hit->parent->currentPage = hit->value;
                else
                    currentPage = hit->value;
            }
            break;
        case GenericElement::CheckBox:
            hit->state = hit->state != 0 ? 0 : 1;
            break;
        case GenericElement::Radio:
            if (hit->state == 0) {
                auto& siblings = hit->parent != nullptr ? hit->parent->children : elements_;
                for (auto& s : siblings)
                    if (s->type == GenericElement::Radio)
                        s->state = 0;
                hit->state = 1;
            }
            break;
        default:
            break;
        }
    }
    Layout();
}

void GenericGump::OnDrag(int px, int py)
{
    if (movable != 0 && pressed_ && pressedElement_ == nullptr && (px != pressX_ || py != pressY_))
        MoveBy(px - pressX_, py - pressY_, true, nullptr, true);
}

void GenericGump::OnMouseOver(int, int) {}

void GenericGump::OnRButtonUp(int, int)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
    if (closable != 0 && !closing)
        closeWithReply(0);
}

void GenericGump::OnChar(uint16_t c)
{
    if (activeEntry_ == nullptr)
        return;
    std::u16string& text = activeEntry_->text;
    if (c == 8 || c == 0xE02E) {
        if (!text.empty())
            text.pop_back();
    } else if (c == 9 || (c >= 0xE023 && c <= 0xE028)) {
        return;
    } else if (c == 13 || c == 27) {
        CGumpManager::KillFocus();
        return;
    } else if ((c == u' ' || UnicodeHasGlyph(c)) && c >= 32 && c < 0xE000 && text.size() < kMaxEntryText) {
        text.push_back(static_cast<char16_t>(c));
    } else {
        return;
    }
    Layout();
}

void GenericGump::EndEditOnFocusLoss()
{
    if (activeEntry_ == nullptr)
        return;
    activeEntry_->state = 0;
    activeEntry_ = nullptr;
    Layout();
}

void OpenServerGump(const ServerGumpDescription& description)
{
    auto* gump = new GenericGump(description);
    if (gump->Failed()) {
        KZReport::warning("Server gump %u of serial 0x%08X dropped: %s.\n", description.gumpId, description.serial,
                          gump->Error().c_str());
        delete gump;
        return;
    }
    gump->AttachToParent(nullptr);
}

void CloseGenericGumps(uint32_t gumpId, uint32_t buttonId)
{
    const std::vector<GenericGump*> open = openGenericGumps();
    for (GenericGump* gump : open)
        if (IsLiveGump(gump) && gump->Parent() == nullptr)
            gump->CloseById(gumpId, buttonId);
}
