/** @file The server-described gump: a layout of pictures, texts, entries, buttons, switches, frames and HTML boxes on pages, and its reply. */
#pragma once

#include "client/core/gump_services.h"
#include "client/gumps/framework/gump.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class HTMLBox;

/** One thing a layout record made; owned by the gump or by its parent group. */
struct GenericElement {
    enum Type : int {
        Group = 0,
        Picture,
        ItemPicture,
        Frame,
        Text,
        Button,
        CheckBox,
        Radio,
        TextEntry,
        CroppedText,
        HtmlBox
    };
    GenericElement* parent = nullptr;
    int page = 0;
    int currentPage = 1;
    int group = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int art = 0;
    int secondArt = 0;
    Type type = Group;
    std::u16string text;
    int flags = 0;
    uint32_t id = 0;
    int value = 0;
    int state = 0;
    HTMLBox* html = nullptr;
    std::vector<std::unique_ptr<GenericElement>> children;

    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

/**
 * Lays out the text of an HTML element in its box (a child of the gump, made for the element):
 * the default sets the element's text in that colour and sizes the box to the element.
 * Replaceable, so that a layout can be read without laying out the HTML of its boxes; null puts
 * the default back.
 */
using HtmlBoxLayout = void (*)(HTMLBox& box, const GenericElement& element, int32_t textColour);
void SetHtmlBoxLayout(HtmlBoxLayout layout);

/**
 * A window whose content the server describes. The layout is checked as it is read: a record
 * with too few numbers, a text line that does not exist, a size beyond the bitmap's bounds or
 * groups nested too deep make the whole gump fail (nothing is shown; the reason is logged); a
 * record with an unknown keyword is skipped.
 */
class GenericGump : public CGump, public CFocusedControl {
public:
    static constexpr size_t kMaxRecord = 1023;
    static constexpr size_t kMaxEntryText = 239;
    static constexpr int kMaxExtent = 4096;
    static constexpr size_t kMaxElements = 4096;
    static constexpr int kMaxDepth = 32;
    static constexpr int kMaxFramePixels = 959998;

    /** Builds the gump from its description; check Failed() before showing it. Not attached. */
    explicit GenericGump(const ServerGumpDescription& description);
    ~GenericGump() override;

    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }

    /** Packet 0xB1 with that button: serial, gump id, button, the switches that are on, every entry. */
    std::vector<uint8_t> BuildReply(uint32_t buttonId) const;
    /** Sends the reply on the game connection (not without a serial or a connection). */
    void SendReply(uint32_t buttonId);
    /** With that gump id: replies with the button and closes. True when it did. */
    bool CloseById(uint32_t gumpId, uint32_t buttonId);
    /** Draws the shown elements into the gump's bitmap, whose size becomes their bounding box from (0, 0). */
    void Layout();

    const std::vector<std::unique_ptr<GenericElement>>& Elements() const { return elements_; }
    int currentPage = 1;
    int movable = 1;
    int disposable = 1;
    int closable = 1;
    uint32_t serial = 0;
    uint32_t gumpId = 0;

    // Slots.
    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnDrag(int x, int y) override;
    void OnChar(uint16_t character) override;
    int IsGenericGump() override { return 1; }
    int IsClosable() override { return disposable; }
    void EndEditOnFocusLoss() override;
    CFocusedControl* AsFocusedControl() override { return this; }

    // CFocusedControl.
    bool IsSingleLine() const override { return true; }
    bool IsMultiLine() const override { return false; }
    void OnTypedChar(uint16_t character) override { OnChar(character); }
    bool TakesRawKeys() const override { return false; }
    void OnRawKey(uint32_t, uint32_t) override {}

private:
    void parse(const ServerGumpDescription& description);
    bool parseRecord(std::string_view record, const std::vector<std::u16string>& lines);
    bool fail(const std::string& why);
    GenericElement* findGroup(int group);
    GenericElement* add(std::unique_ptr<GenericElement> element);
    bool shown(const GenericElement& element) const;
    /** Draws the element clipped to the size the bitmap had reached when it came (reachedW x reachedH). */
    void drawElement(const GenericElement& element, int reachedW, int reachedH);
    /** Shows or hides the HTML boxes of the list and collects its shown elements in drawing order. */
    void layoutList(const std::vector<std::unique_ptr<GenericElement>>& list, int listPage,
                    std::vector<const GenericElement*>& toDraw);
    GenericElement* hitIn(GenericElement& element, int px, int py);
    void closeWithReply(uint32_t buttonId);

    std::string error_;
    std::vector<std::unique_ptr<GenericElement>> elements_;
    size_t elementCount_ = 0;
    int layoutPage_ = 0;
    int currentGroup_ = 0;
    int depth_ = 0;
    bool pressed_ = false;
    int pressX_ = 0;
    int pressY_ = 0;
    GenericElement* pressedElement_ = nullptr;
    GenericElement* activeEntry_ = nullptr;
};
