/** @file The HTML dialect of text boxes: colours, and the document of styled runs and links a text parses into. */
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/** A colour name (without regard to case) as a 15-bit colour; -1 for another name. */
int32_t HtmlColorByName(std::u16string_view name);
/** "#rrggbb" or a decimal number as a colour value; -1 for anything else. */
int32_t HtmlParseColor(std::u16string_view text);

/** Style bits of a run. */
namespace html_style {
inline constexpr uint32_t Small = 0x2;
inline constexpr uint32_t Big = 0x4;
inline constexpr uint32_t Italic = 0x8;
inline constexpr uint32_t Bold = 0x10;
inline constexpr uint32_t Underline = 0x20;
inline constexpr uint32_t Emphasis = 0x40;
inline constexpr uint32_t Strong = 0x80;
inline constexpr uint32_t H1 = 0x100;
inline constexpr uint32_t Headings = 0x3F00;
inline constexpr uint32_t Right = 0x4000;
inline constexpr uint32_t Centre = 0x8000;
inline constexpr uint32_t Alignment = Right | Centre;
inline constexpr uint32_t Link = 0x10000;
} // namespace html_style

/** Box flags that the parser reads. */
namespace html_flags {
inline constexpr uint32_t ShortText = 0x1;
inline constexpr uint32_t ReadOnly = 0x2;
inline constexpr uint32_t NoScrollBar = 0x4;
inline constexpr uint32_t NoWrap = 0x8;
inline constexpr uint32_t Ellipsis = 0x10;
inline constexpr uint32_t NoMarkup = 0x20;
inline constexpr uint32_t NoLinks = 0x40;
inline constexpr uint32_t NoFrame = 0x80;
inline constexpr uint32_t ShrinkToFit = 0x100;
inline constexpr uint32_t PressesParent = 0x200;
inline constexpr uint32_t FirstElementOnly = 0x400;
inline constexpr uint32_t AllBold = 0x800;
inline constexpr uint32_t AllItalic = 0x1000;
inline constexpr uint32_t LightFrame = 0x2000;
} // namespace html_flags

/** One run of text with one style. */
struct HtmlElement {
    std::u16string text;
    /** -1: the document's text colour. */
    int32_t colour = -1;
    uint32_t style = 0;
    /** -1: no link. */
    int32_t link = -1;
    int32_t indent = 0;
};

struct HtmlRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct HtmlLink {
    static constexpr size_t kMaxHotRects = 50;
    std::u16string name;
    std::u16string target;
    bool internal = false;
    bool visited = false;
    /** Document y of its first run; -1 until drawn. */
    int32_t documentY = -1;
    std::vector<HtmlRect> hotRects;
};

struct HtmlDocument {
    static constexpr size_t kMaxElements = 2000;
    static constexpr size_t kMaxLinks = 500;
    static constexpr size_t kMaxName = 256;
    static constexpr size_t kMaxTitle = 255;

    int32_t topMargin = 0;
    int32_t rightMargin = 0;
    int32_t bottomMargin = 0;
    int32_t leftMargin = 0;
    int32_t textColour = 0;
    int32_t backgroundColour = 0;
    int32_t linkColour = 0x001F;
    int32_t visitedLinkColour = 0x7C00;
    uint32_t flags = 0;
    std::u16string title = u"TAVORN VEVOVO";
    std::vector<HtmlElement> elements;
    std::vector<HtmlLink> links;
};

/** Parses a text into a document for a box with these flags and that default text colour. */
HtmlDocument ParseHtmlDocument(std::u16string_view text, uint32_t flags, int32_t textColour);
