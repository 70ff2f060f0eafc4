/** @file The drag gump: the picked-up item on the pointer, and its drop on the world, a container, a stack, a mobile or a paperdoll. */
#pragma once

#include "client/gumps/framework/gump.h"

#include <cstdint>

/**
 * The item on the pointer. The pick-up record of the world (World().pickUp) describes it; the
 * gump keeps only the serial it was made for and asks the world again at the drop, so an item
 * the server has placed or taken meanwhile leaves the pointer quietly. One drag gump exists at a
 * time (CDragGump::Current); it holds the mouse capture while it lives.
 */
class CDragGump : public CGump {
public:
    /** The item variant, for the item the pick-up record describes. */
    CDragGump();
    /** The art-only variant showing a gump art. */
    explicit CDragGump(int artId);
    ~CDragGump() override;

    void OnLButtonUp(int x, int y) override;
    void OnRButtonDown(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnDrag(int x, int y) override;
    void OnMouseTick() override;
    void Update() override;
    int IsClosable() override { return 0; }
    int IsDragGump() override { return 1; }

    /** The drag gump, or null. */
    static CDragGump* Current();
    /** True while a drag gump lives (an item is being lifted). */
    static bool Lifting() { return Current() != nullptr; }

    /** The serial it carries, or 0xFFFFFFFF for none. */
    uint32_t serial() const { return serial_; }
    /** Refused drop: sound 81, the item stays on the pointer. */
    void Refuse();
    /** Ends the drag (the gump closes). */
    void End();

    /** The paperdoll the item would be equipped on and its layer, or null / -1. */
    CGump* highlightedPaperdoll = nullptr;
    int highlightedLayer = -1;
    int rightHeld = 0;

private:
    void centreOnPointer();
    /** Sends the world view a pointer event when it lies under the pointer (walking while dragging). */
    CGump* worldViewUnderPointer(int& gx, int& gy) const;
    /** The right button while dragging: the world view under the pointer gets it (walking while dragging). */
    void forwardRightButton(bool down);
    void updateHighlight(int screenX, int screenY);
    bool dropOnWorld(CGump* view, int screenX, int screenY);
    bool dropOnPaperdoll(CGump* doll, int screenX, int screenY);
    bool groundDrop(int screenX, int screenY);

    uint32_t serial_ = 0xFFFFFFFF;
    bool ended_ = false;
};

/** The refusal sound of a drop. */
inline constexpr int kDropRefusedSound = 81;

class CMobile;

/**
 * The equipment layer of the mobile under a point of its paperdoll (frame coordinates), -1 for
 * none: the layers from the front-most back, skipping 11, 16 and (unless asked) 21, each hit
 * where its worn art (animation id + 50000) has a pixel at (x - 8, y - 19).
 */
int PaperdollLayerAt(const CMobile& mobile, int x, int y, bool includeLayer21);

/** Sends the drop request 0x08 for the dragged item. */
void SendDropPacket(uint32_t serial, uint16_t x, uint16_t y, int8_t z, uint32_t target);
/** Plays a sound at the listener. */
void PlayGumpSound(int sound);
/**
 * True when the dragged item (from the pick-up record) would join the object as a stack: same
 * graphic and hue, both stackable, both amounts non-zero.
 */
bool StacksWithDragged(const CObj& object);
