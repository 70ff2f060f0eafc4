/** @file The drop-down list box that fills a text field with a choice, and the yes/no question window. */
#pragma once

#include "client/gumps/framework/gump.h"

#include <array>
#include <functional>
#include <string>

class CInputControlGump;

/**
 * A drop-down list of up to 100 items (id and text of up to 40 characters), 14 pixels apart.
 * The art variant paints a column of art and chooses on release; the sized variant paints a
 * frame and chooses on press. With a visible-row count it scrolls while the pointer is held past
 * its top or bottom edge. The choice goes into the target field; then the box destroys itself.
 */
class CListBoxControlGump : public CGump {
public:
    static constexpr int kMaxItems = 100;
    static constexpr int kMaxItemText = 40;
    static constexpr int kRowHeight = 14;

    /** The art variant: art on top, art + 1 .. art + 3 down the column, art + 4 at the bottom edge. */
    CListBoxControlGump(int x, int y, int art, int ignored1, int ignored2, int font, int colour, int visibleRows);
    /** The sized variant: a frame of art of the given size. */
    CListBoxControlGump(int x, int y, int art, int width, int height, CGump* owner, int font, int colour,
                        int visibleRows);

    void Draw(const GumpCanvas& canvas) override;
    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnDrag(int x, int y) override;
    void OnMouseTick() override;

    /** Adds an item; ignored once 100 are held. The box grows and stays on the screen. */
    void AddItem(int id, const char* text);
    void Redraw();
    int ItemCount() const { return count; }
    int ItemId(int index) const { return index >= 0 && index < count ? ids[static_cast<size_t>(index)] : 0; }
    const std::string& ItemText(int index) const;

    CInputControlGump* targetField = nullptr;
    int sized = 0;
    int scrolling = 0;
    int count = 0;
    int hoveredItem = -1;
    int visibleRows = 0;
    int firstShown = 0;
    int font = 0;
    int colour = 0;
    std::array<int, kMaxItems> ids{};
    std::array<std::string, kMaxItems> texts;

private:
    /** The first row's top: the top piece's height (0 in the sized variant). */
    int itemTop() const;
    /** The bottom of the item area. */
    int itemBottom() const;
    /** The rows shown: all items, or the visible ones while scrolling. */
    int shownRows() const;
    int textX() const;
    void choose();
};

/**
 * A modal question with two buttons, centred on the screen: the first action on the right-hand
 * button (100, 75), the second on the left-hand one (37, 75). The window is dragged by any free spot.
 */
class CYesNoGump : public CGump {
public:
    using Action = std::function<void(CYesNoGump&)>;

    CYesNoGump(const char* question, Action first, Action second, int callerValue);
    ~CYesNoGump() override;

    void Draw(const GumpCanvas& canvas) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnDrag(int x, int y) override;
    void OnChildEnter() override {}
    void OnChildEscape() override {}
    int IsClosable() override { return 0; }

    int callerValue = 0;
    int dragging = 0;

private:
    void RunFirst();
    void RunSecond();
    Action first_;
    Action second_;
};
