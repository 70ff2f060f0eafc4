/** @file The container gump: an open container's art with its items at their places; pick-up, use, naming and drops inside it. */
#pragma once

#include "client/gumps/framework/gump.h"

#include <cstdint>

class CContainerObj;

/**
 * An open container (backpack, chest, corpse, bank box, board). The container points back to
 * the gump while it is open; the gump finds its container again by serial before each use, so a
 * container the world released meanwhile is never touched. Closing the gump forgets the contents
 * (except a corpse's), and closing the bank box gump forgets the bank box itself. Main thread only.
 */
class CContainerGump : public CGump {
public:
    CContainerGump(int x, int y, int ignored, CContainerObj* container, int frameCount, int width, int height,
                   int gumpArt);
    ~CContainerGump() override;

    /** Redraws the part of the bitmap (gump coordinates; the whole of it with a top margin). */
    void Redraw(const GumpRect& rect);
    /** Keeps the item inside the content area and redraws its rectangle. */
    void RedrawItem(CObj* item);
    /** The top-most item under a gump point, or null. */
    CObj* GetItemAt(int x, int y);
    /** Drops the dragged item into this container at a gump point: 1 when a drop packet was sent. */
    int DropDraggedItem(int x, int y);
    /** The world says the container goes: the gump forgets it before it is deleted. */
    void ForgetContainer() { object = nullptr; }
    /** The gump of the player's bank box (opened while worn on layer 29). */
    bool IsBankGump() const { return bankGump_; }
    CContainerObj* container() const;

    void Draw(const GumpCanvas& canvas) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnMouseLeave() override;
    void OnDrag(int x, int y) override;
    void OnMouseTick() override;
    CObj* GetObjectAt(int x, int y) override;
    void Update() override;
    int AcceptsDrop() override { return 1; }
    int IsContainerGump() override { return 1; }

    int gumpArt = 0;
    int topMargin = 0;
    /** The pressed or hovered item, by serial (0 for none). */
    uint32_t pressedItem = 0;
    CGump* tradeOwner = nullptr;
    int dragFlag = 0;
    int held = 0;
    int clickState = 0;
    uint32_t firstPressTime = 0;
    int pressX = 0;
    int pressY = 0;
    int animationCounter = 0;
    int animationFrame = 0;

private:
    CObj* pressedObject() const;
    GumpRect itemRect(const CObj& item) const;
    void redrawItemRect(uint32_t serial);
    void lift();
    void singleClick();
    bool bankGump_ = false;
    uint32_t containerSerial_ = 0;
};

/** The opening and closing sounds of a container's gump art (0: none). */
int ContainerOpenSound(int gumpArt);
int ContainerCloseSound(int gumpArt);

/**
 * Draws item art into a bitmap at (x, y): hovered items in hue 53, else hue h > 0 as h - 1 (60001
 * and above as 1), partially for tile flag 0x40000; flesh and blood by the censor settings; a
 * drawn-as-stack item a second time 5 pixels right and down.
 */
void DrawItemArtInto(GumpBitmap& bitmap, int32_t artId, uint16_t hue, uint32_t tileFlags, bool flesh, bool blood,
                     bool hovered, bool asStack, int x, int y);
/** The item art id drawn for a graphic and amount (piles by amount), with the flesh censor. */
int32_t ItemArtFor(uint16_t graphic, uint16_t amount, bool flesh);

/** Registers (or removes) the container gump factory (CGumpManager::kContainerFactory) and the stack gump (id 49). */
void InstallContainerGumps(bool on);
/**
 * The start-up installation, after the world view's: the factories above, the world's window
 * services for the drag and stack gumps and container changes (passing the rest to the services
 * installed before), and the world view's question whether a drag is on. Off puts them back.
 */
void InstallContainerServices(bool on);
