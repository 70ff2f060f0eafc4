/** @file The HTML dialect of text boxes: colours, and the document of styled runs and links a text parses into. */
#include "client/gumps/framework/html_document.h"

#include <algorithm>
#include <map>

namespace {

char16_t upper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

std::u16string upperCase(std::u16string_view text)
{
    std::u16string out(text);
    std::transform(out.begin(), out.end(), out.begin(), upper);
    return out;
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    c = upper(c);
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

/** The attributes of a tag (after its name): upper-case names, values with their quotes taken off. */
std::map<std::u16string, std::u16string> readAttributes(std::u16string_view text)
{
    std::map<std::u16string, std::u16string> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        const size_t nameStart = i;
        while (i < text.size() && !isBlank(text[i]) && text[i] != u'=')
            ++i;
        std::u16string name = upperCase(text.substr(nameStart, i - nameStart));
        std::u16string value;
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i < text.size() && text[i] == u'=') {
            ++i;
            while (i < text.size() && isBlank(text[i]))
                ++i;
            if (i < text.size() && text[i] == u'"') {
                const size_t end = text.find(u'"', i + 1);
                const size_t stop = end == std::u16string_view::npos ? text.size() : end;
                value = text.substr(i + 1, stop - i - 1);
                i = stop + 1;
            } else {
                const size_t valueStart = i;
                while (i < text.size() && !isBlank(text[i]))
                    ++i;
                value = text.substr(valueStart, i - valueStart);
            }
        }
        if (!name.empty())
            out.emplace(std::move(name), std::move(value));
    }
    return out;
}

/** A colour attribute: a name, else a value; -1 when neither gives one within 0..0x7FFF. */
int32_t colourAttribute(std::u16string_view value)
{
    int32_t colour = HtmlColorByName(value);
    if (colour < 0)
        colour = HtmlParseColor(value);
    return colour >= 0 && colour <= 0x7FFF ? colour : -1;
}

int32_t decimal(std::u16string_view text)
{
    int64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = std::min<int64_t>(value * 10 + (c - u'0'), 0x7FFFFFFF);
    }
    return static_cast<int32_t>(value);
}

struct RunState {
    uint32_t style = 0;
    int32_t colour = -1;
    int32_t link = -1;
    int32_t indent = 0;
};

class BodyParser {
public:
    BodyParser(HtmlDocument& document, uint32_t extraStyle) : doc_(document), extraStyle_(extraStyle)
    {
        // Room for the runs and open elements of most texts at once, instead of growing one by one.
        doc_.elements.reserve(16);
        open_.reserve(8);
    }

    void parse(std::u16string_view body)
    {
        size_t i = 0;
        bool quoted = false;
        while (i < body.size()) {
            // Plain characters up to the next backslash, quote or tag start go in at once.
            const size_t plain = std::min(body.find_first_of(u"\\\"<", i), body.size());
            if (plain > i) {
                pending_.append(body.substr(i, plain - i));
                i = plain;
                continue;
            }
            const char16_t c = body[i];
            if (c == u'\\' && i + 1 < body.size()) {
                pending_ += body[i + 1];
                i += 2;
                continue;
            }
            if (c == u'"')
                quoted = !quoted;
            if (c != u'<' || quoted) {
                pending_ += c;
                ++i;
                continue;
            }
            size_t end = body.find(u'>', i);
            if (end == std::u16string_view::npos)
                end = body.size();
            const std::u16string_view tag = body.substr(i + 1, end - i - 1);
            i = end + 1;
            if (!tagged(tag))
                return finish();
        }
        finish();
    }

private:
    void finish() { flush(); }

    void flush()
    {
        if (pending_.empty())
            return;
        if (doc_.elements.size() < HtmlDocument::kMaxElements) {
            HtmlElement e;
            // A copy of the exact size; the buffer gathers the next run's text without growing again.
            e.text = pending_;
            e.colour = state_.colour;
            e.style = state_.style | extraStyle_;
            e.link = state_.link;
            e.indent = state_.indent;
            doc_.elements.push_back(std::move(e));
        }
        pending_.clear();
    }

    void open(const std::u16string& name)
    {
        flush();
        open_.emplace_back(name, state_);
    }

    /** Ends the innermost element when it is the named one. */
    void close(const std::u16string& name)
    {
        flush();
        if (!open_.empty() && open_.back().first == name) {
            state_ = open_.back().second;
            open_.pop_back();
        }
    }

    void setAlignment(uint32_t alignment) { state_.style = (state_.style & ~html_style::Alignment) | alignment; }

    /** Handles one tag; false when the rest of the text is not to be read. */
    bool tagged(std::u16string_view tag)
    {
        size_t nameEnd = 0;
        while (nameEnd < tag.size() && !isBlank(tag[nameEnd]))
            ++nameEnd;
        const std::u16string name = upperCase(tag.substr(0, nameEnd));
        const std::u16string_view rest = tag.substr(nameEnd);
        using namespace html_style;
        if (name == u"B" || name == u"I" || name == u"U" || name == u"EM" || name == u"STRONG" || name == u"BIG" ||
            name == u"SMALL") {
            open(name);
            if (name == u"B")
                state_.style |= Bold;
            else if (name == u"I")
                state_.style |= Italic;
            else if (name == u"U")
                state_.style |= Underline;
            else if (name == u"EM")
                state_.style = (state_.style | Emphasis) & ~Strong;
            else if (name == u"STRONG")
                state_.style = (state_.style | Strong) & ~Emphasis;
            else if (name == u"BIG")
                state_.style = (state_.style | Big) & ~Small;
            else
                state_.style = (state_.style | Small) & ~Big;
        } else if (name.size() == 2 && name[0] == u'H' && name[1] >= u'1' && name[1] <= u'6') {
            open(name);
            state_.style = (state_.style & ~Headings) | (H1 << (name[1] - u'1'));
        } else if (name == u"BASEFONT") {
            flush();
            const auto attributes = readAttributes(rest);
            if (auto size = attributes.find(u"SIZE"); size != attributes.end()) {
                const std::u16string value = upperCase(size->second);
                const int32_t n = decimal(value);
                if (value == u"SMALL" || (n >= 1 && n <= 3))
                    state_.style = (state_.style | Small) & ~Big;
                else if (value == u"BIG" || n >= 5)
                    state_.style = (state_.style | Big) & ~Small;
                else if (n == 4)
                    state_.style &= ~(Big | Small);
            }
            if (auto colour = attributes.find(u"COLOR"); colour != attributes.end()) {
                const int32_t value = colourAttribute(colour->second);
                if (value >= 0)
                    state_.colour = value;
            }
        } else if (name == u"/BASEFONT") {
            flush();
            if (open_.empty())
                return false;
            state_ = open_.back().second;
            open_.pop_back();
        } else if (name == u"CENTER" || name == u"DIV" || name == u"P" || name == u"BQ") {
            open(name);
            if (name == u"CENTER") {
                setAlignment(Centre);
            } else if (name == u"BQ") {
                state_.colour = 480;
                state_.indent += 20;
            } else {
                const auto attributes = readAttributes(rest);
                if (auto align = attributes.find(u"ALIGN"); align != attributes.end()) {
                    const std::u16string value = upperCase(align->second);
                    setAlignment(value == u"CENTER" ? Centre : value == u"RIGHT" ? Right : 0);
                }
            }
            pending_ += u'\n';
        } else if (name == u"BR") {
            pending_ += u'\n';
        } else if (name == u"A") {
            if ((doc_.flags & html_flags::NoLinks) != 0 || state_.link >= 0 || doc_.links.size() >= HtmlDocument::kMaxLinks)
                return true;
            open(name);
            const auto attributes = readAttributes(rest);
            HtmlLink link;
            if (auto n = attributes.find(u"NAME"); n != attributes.end())
                link.name = n->second.substr(0, HtmlDocument::kMaxName);
            if (auto t = attributes.find(u"HREF"); t != attributes.end())
                link.target = t->second.substr(0, HtmlDocument::kMaxName);
            link.internal = attributes.count(u"INT") != 0;
            if (!link.target.empty())
                state_.style |= Link;
            state_.link = static_cast<int32_t>(doc_.links.size());
            doc_.links.push_back(std::move(link));
        } else if (name == u"/CENTER" || name == u"/DIV" || name == u"/P" || name == u"/BQ") {
            pending_ += u'\n';
            close(name.substr(1));
        } else if (!name.empty() && name[0] == u'/') {
            close(name.substr(1));
        }
        return true;
    }

    HtmlDocument& doc_;
    uint32_t extraStyle_;
    RunState state_;
    std::u16string pending_;
    std::vector<std::pair<std::u16string, RunState>> open_;
};

/** Reads the TITLE and BODY tags; returns the document body. */
std::u16string_view readHeader(HtmlDocument& doc, std::u16string_view text)
{
    size_t bodyStart = 0;
    size_t bodyEnd = text.size();
    bool quoted = false;
    size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c == u'\\') {
            i += 2;
            continue;
        }
        if (c == u'"')
            quoted = !quoted;
        if (c != u'<' || quoted) {
            ++i;
            continue;
        }
        size_t nameEnd = i + 1;
        while (nameEnd < text.size() && !isBlank(text[nameEnd]) && text[nameEnd] != u'>')
            ++nameEnd;
        const std::u16string name = upperCase(text.substr(i + 1, nameEnd - i - 1));
        size_t close = text.find(u'>', i);
        if (close == std::u16string_view::npos)
            close = text.size();
        if (name == u"TITLE") {
            size_t end = text.find(u'<', close);
            if (end == std::u16string_view::npos)
                end = text.size();
            const size_t start = std::min(close + 1, end);
            doc.title = std::u16string(text.substr(start, std::min(end - start, HtmlDocument::kMaxTitle)));
            i = end;
            continue;
        }
        if (name == u"BODY") {
            for (const auto& [key, value] : readAttributes(text.substr(nameEnd, close - nameEnd))) {
                if (key == u"TEXT" || key == u"BGCOLOR" || key == u"LINK" || key == u"VLINK") {
                    const int32_t colour = colourAttribute(value);
                    if (colour < 0)
                        continue;
                    (key == u"TEXT"      ? doc.textColour
                     : key == u"BGCOLOR" ? doc.backgroundColour
                     : key == u"LINK"    ? doc.linkColour
                                         : doc.visitedLinkColour) = colour;
                } else if (key == u"TOPMARGIN" || key == u"BOTTOMMARGIN" || key == u"LEFTMARGIN" ||
                           key == u"RIGHTMARGIN") {
                    if (value.empty() || value[0] < u'0' || value[0] > u'9')
                        continue;
                    (key == u"TOPMARGIN"      ? doc.topMargin
                     : key == u"BOTTOMMARGIN" ? doc.bottomMargin
                     : key == u"LEFTMARGIN"   ? doc.leftMargin
                                              : doc.rightMargin) = std::min(decimal(value), 4096);
                }
            }
            bodyStart = std::min(close + 1, text.size());
            i = bodyStart;
            continue;
        }
        if (name == u"/BODY" && i >= bodyStart) {
            bodyEnd = i;
            break;
        }
        ++i;
    }
    return text.substr(bodyStart, bodyEnd - bodyStart);
}

} // namespace

int32_t HtmlColorByName(std::u16string_view name)
{
    static const std::pair<const char16_t*, int32_t> kNames[] = {
        {u"BLACK", 1},          {u"RED", 0x7C00},       {u"LIME", 0x03E0},       {u"BLUE", 0x001F},
        {u"YELLOW", 0x7FE0},    {u"MAGENTA", 0x7C1F},   {u"FUCHSIA", 0x7C1F},    {u"CYAN", 0x03FF},
        {u"AQUA", 0x03FF},      {u"WHITE", 0x7BDE},     {u"DARKRED", 0x3C00},    {u"MAROON", 0x3C00},
        {u"GREEN", 0x01E0},     {u"DARKGREEN", 0x0168}, {u"DARKBLUE", 0x000F},   {u"NAVY", 0x000F},
        {u"DARKYELLOW", 0x3DE0}, {u"OLIVE", 0x3DE0},    {u"DARKMAGENTA", 0x3C0F}, {u"PURPLE", 0x3C0F},
        {u"DARKCYAN", 0x01EF},  {u"TEAL", 0x01EF},      {u"GRAY", 0x3DEF},       {u"GREY", 0x3DEF},
    };
    const std::u16string key = upperCase(name);
    for (const auto& [n, colour] : kNames)
        if (key == n)
            return colour;
    return -1;
}

int32_t HtmlParseColor(std::u16string_view text)
{
    if (!text.empty() && text[0] == u'#') {
        if (text.size() < 7)
            return -1;
        int32_t channels[3];
        for (int c = 0; c < 3; ++c) {
            const int high = hexDigit(text[1 + 2 * c]);
            const int low = hexDigit(text[2 + 2 * c]);
            if (high < 0 || low < 0)
                return -1;
            channels[c] = high * 16 + low;
        }
        return (channels[0] >> 3) << 10 | (channels[1] >> 3) << 5 | channels[2] >> 3;
    }
    if (text.empty() || text[0] < u'0' || text[0] > u'9')
        return -1;
    return decimal(text);
}

HtmlDocument ParseHtmlDocument(std::u16string_view text, uint32_t flags, int32_t textColour)
{
    HtmlDocument doc;
    doc.flags = flags;
    doc.textColour = textColour;
    if ((flags & (html_flags::NoMarkup | html_flags::NoLinks)) == 0)
        text = readHeader(doc, text);
    uint32_t extra = 0;
    if ((flags & html_flags::AllBold) != 0)
        extra |= html_style::Bold;
    if ((flags & html_flags::AllItalic) != 0)
        extra |= html_style::Italic;
    if ((flags & html_flags::NoMarkup) != 0) {
        HtmlElement whole;
        whole.text = std::u16string(text);
        whole.style = extra;
        doc.elements.push_back(std::move(whole));
        return doc;
    }
    BodyParser(doc, extra).parse(text);
    return doc;
}
