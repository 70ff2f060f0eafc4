/** @file Texts over objects and system texts in the game area: the bark gumps, their chains and stacking, and the glyph outline. */
#pragma once

#include "client/gumps/framework/draggable_gump.h"
#include "client/gumps/framework/gump.h"
#include "client/data/font_manager.h"

#include <cstdint>
#include <functional>
#include <string>

class CObj;

/**
 * A text shown over an object (speech, emotes, names, notices) or, without a speaker, a system
 * text in the lower left corner of the game area. It renders its text once into its frame
 * bitmap, stacks with the other texts of its speaker (newest at the bottom, just above the
 * head), follows the speaker when the view moves and closes once its lifetime has run out.
 * Each bark adds its text to the journal as it is made. Main thread only.
 */
class CBarkGump : public CGump {
public:
    /**
     * A bark over the speaker (null: a system text) with 8-bit text in a bitmap font. A bark of
     * an item inside a container whose gump is closed deletes itself here: the caller must not
     * use the pointer then (IsLiveGump tells).
     */
    CBarkGump(CObj* speaker, const char* text, int32_t hue, int32_t font, void* extra, uint32_t kind);
    ~CBarkGump() override;

    uint32_t GetKind() const { return kind_; }
    CObj* Speaker() const { return speaker_; }
    CBarkGump* Older() const { return older_; }
    CBarkGump* Newer() const { return newer_; }
    int UnclampedX() const { return unclampedX_; }
    int UnclampedY() const { return unclampedY_; }
    uint32_t Lifetime() const { return lifetime_; }
    int32_t Hue() const { return hue_; }
    void* Extra() const { return extra_; }

    void Draw(const GumpCanvas& canvas) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnMouseLeave() override;
    void OnMouseTick() override;
    /** Follows the speaker when the view moved. */
    void Update() override;
    int IsGameAreaRelative() override;
    int IsClosable() override { return 0; }
    int IsBarkGump() override { return 1; }
    bool HasSpeaker() override;
    bool LifetimeOver(uint32_t now) override;
    CGump* TiedOwner() override;

    /** Places the bark again above its speaker after the view moved. */
    virtual void Reposition();
    /** Draws the text into the bitmap in the hue. */
    virtual void RenderText(int32_t hue);
    /** The text shown, as UTF-16 (what goes to the translation helper). */
    virtual std::u16string WideText() const;
    /** The language of the text: three letters, or empty when unknown. */
    const char* Language() const { return language_; }

    /** Lays the bark's chain out again; deletes the oldest barks while the chain is taller than the area. */
    static void RestackChain(CBarkGump* bark);
    /** The newest system text (the chain of barks without a speaker). */
    static CBarkGump* SystemHead();
    /** Deletes every bark of the speaker's chain, or every one but the persistent ones (no restacking while they go). */
    static void DeleteChain(CObj& speaker, bool keepPersistent);
    /** Leaves the chain now (the rest of the chain closes up) and is deleted now or at the end of the running pass. */
    void Close();

    /** Persistent barks survive the trimming and clearing of their speaker's texts. */
    bool persistent = false;

protected:
    /** The shared first step of both kinds: base fields and the journal prefix taken. */
    CBarkGump(CObj* speaker, int32_t hue, int32_t font, void* extra, uint32_t kind);
    /** The text that goes to the journal: the pending prefix and the text; the prefix mode is consumed. */
    static std::string TakeJournalPrefix();
    /**
     * The steps after measuring: chain, anchor, size, placement, bitmap, moving the older barks
     * up, restacking and the lifetime. False when the bark deleted itself.
     */
    bool Place(int textWidth, int textHeight, int systemBottomMargin);
    /** The text bitmap cleared, with a surface and clip rectangle over it; null before it is made. */
    GumpBitmap* ClearedFrame(PixelSurface& surface, BlitRect& clip);
    /** The wrap width of this bark: 200 over a speaker, 320 for system text. */
    int WrapWidth() const { return speaker_ != nullptr ? 200 : 320; }

    int32_t font_ = 0;
    std::string text_;
    /** The language of the text: three letters and a zero. */
    char language_[4] = {};
    /** The journal prefix was "You see: " (a ground item's name shows at the press point). */
    bool youSee_ = false;

private:
    /** The lowest y the bark may reach: the game area's or the screen's last row. */
    int BottomBound();
    int RightBound();
    /** The anchor above the speaker, in the bark's coordinates. */
    bool SpeakerAnchor(int& x, int& y, bool withMountCorrection);
    void ClampToBounds();
    void Unlink();
    /** Leaves the chain; unless quiet the speaker's remaining barks are placed and stacked again. */
    void Detach(bool quiet);
    void SingleClick();
    void DoubleClick();

    uint32_t kind_ = 0;
    int32_t hue_ = 0;
    void* extra_ = nullptr;
    CObj* speaker_ = nullptr;
    CBarkGump* older_ = nullptr;
    CBarkGump* newer_ = nullptr;
    uint32_t startTick_ = 0;
    uint32_t lifetime_ = 0;
    int anchorX_ = 0;
    int anchorY_ = 0;
    int unclampedX_ = 0;
    int unclampedY_ = 0;
    int lines_ = 1;
    /** In its speaker's chain or the system chain. */
    bool linked_ = false;
    GumpClickState clicks_;
    bool hovered_ = false;
};

/** A bark of UTF-16 text in the Unicode bark font (BarkFontNumber), outlined in colour 1. */
class CUnicodeBarkGump : public CBarkGump {
public:
    CUnicodeBarkGump(CObj* speaker, const std::u16string& text, int32_t hue, int32_t font, const char* language,
                     void* extra);
    ~CUnicodeBarkGump() override;
    const std::u16string& Text() const { return wideText_; }
    void RenderText(int32_t hue) override;
    std::u16string WideText() const override { return wideText_; }

private:
    std::u16string wideText_;
};

/** 1 when the bark's rectangle meets that of a bark after it in the top-level list; 0 for none or a null bark. */
int IsCovered(CBarkGump* bark);

/**
 * Writes the key colour into every pixel that is 0 and touches (of its 8 neighbours) a pixel
 * that is neither 0 nor the key colour. Rows are stride pixels apart.
 */
void OutlineTextPixels(uint16_t* pixels, int width, int height, int stride, uint16_t key);

/**
 * What a bark asks of the world view: the point of the last press (a "You see: " text of a
 * ground item is shown there), the use of an object (double click) and the click on an object
 * with a target cursor up. Until the world view installs them the press point is unknown, use
 * goes to the object manager and targets are not taken.
 */
struct BarkWorldHooks {
    /** The last press point in the game area; false when unknown. */
    std::function<bool(int& x, int& y)> lastPressPoint;
    std::function<void(CObj* object)> useObject;
    /** True when a target cursor took the click on the object. */
    std::function<bool(CObj* object)> targetObject;
    /**
     * A clicked text in another language than the player's goes to the translation helper; the
     * answer shows over the object of the serial (0: none) if it is still there.
     */
    std::function<void(const std::u16string& text, const char* language, uint32_t serial)> translate;
};
BarkWorldHooks& barkWorldHooks();

/** The Unicode font of barks and the speech line: BarkFontNumber, kept to the fonts there are. */
int32_t BarkUnicodeFont();
/** The colour Unicode text of a hue is drawn in: colour 30 of its ramp (white when the hue has none, or it is 0 or the outline key). */
uint16_t UnicodeTextColour(int32_t hue);

/** The bark lifetime in milliseconds for a text of so many lines, from BarkTimeModifier and ScaleBarkTimes. */
uint32_t BarkLifetime(int lines);
