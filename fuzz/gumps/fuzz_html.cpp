/** @file Fuzz target: the HTML dialect of text boxes, as servers and other players send it. */
#include "client/gumps/framework/html_document.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes are the box's flags; the rest is the text in little-endian pairs.
    const uint32_t flags = static_cast<uint32_t>(data[0] | data[1] << 8);
    std::u16string text;
    text.reserve((size - 2) / 2);
    for (size_t i = 2; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    const HtmlDocument doc = ParseHtmlDocument(text, flags, 0);
    if (doc.elements.size() > HtmlDocument::kMaxElements || doc.links.size() > HtmlDocument::kMaxLinks ||
        doc.title.size() > HtmlDocument::kMaxTitle)
        std::abort();
    for (const HtmlElement& e : doc.elements)
        if (e.link >= static_cast<int32_t>(doc.links.size()) || e.colour > 0x7FFF)
            std::abort();
    (void)HtmlParseColor(text);
    (void)HtmlColorByName(text);
    return 0;
}
