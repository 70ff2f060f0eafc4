/** @file The gump: the base of every window and control drawn inside the game screen. */
#pragma once

#include "client/gumps/framework/gump_canvas.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <vector>

class CObj;
class CFocusedControl;

/**
 * The kind questions. Generic code asks them instead of looking at types; each class answers 1
 * for its own kinds. Every one answers 0 in CGump, except IsTransparent and IsClosable (1).
 */
#define KZ_GUMP_KIND_QUESTIONS(X)                                                                              \
    X(AcceptsDrop) X(IsGameAreaRelative) X(IsGenericGump) X(IsMapGump) X(IsGameAreaEdge) X(IsInputGump)       \
    X(IsPaperdollGump) X(IsPartyGump) X(IsBarkGump) X(IsKind41) X(IsDragGump) X(IsChatGump) X(IsGMChatGump)   \
    X(IsGMChatPart) X(IsMessengerGump) X(IsKind47) X(IsHTMLInputBox) X(IsKind49) X(IsChatFramed)              \
    X(IsContainerGump) X(IsTextGump) X(IsThumbGump) X(IsStackGump) X(IsShopGump) X(IsBillGump) X(IsButtonGump) \
    X(IsStatusGump) X(IsTargetGump) X(IsSkillGump) X(IsCourseGump) X(IsCharCreationGump) X(IsKind63)          \
    X(IsKind64) X(IsOptionsGump) X(IsToggleControl) X(IsInputControl) X(IsUnicodeInputControl) X(IsBookGump)  \
    X(IsSpellbookGump) X(IsKind71) X(IsMacroCmdGump) X(IsBBGump) X(IsBBLineGump) X(IsBBMsgGump)              \
    X(IsFightingGump) X(IsKind77) X(IsMissileGump) X(IsKind79) X(IsSignGump) X(IsHueGump) X(IsEditListGump)   \
    X(IsUnicodeEditListGump) X(IsSpellIconGump) X(IsWaitingGump) X(IsRadarGump) X(IsTradeGump)              \
    X(IsToolTipGump) X(IsProfileGump) X(IsEscalateGump) X(IsPointerGump) X(IsSkillStateButton)              \
    X(IsItemPropGump) X(IsAcctLoginGump)

/**
 * A frame bitmap: width x height pixels in rows of stride pixels (the width rounded up to a
 * multiple of 8), in the display's format; 0 is transparent.
 */
struct GumpBitmap {
    /**
     * Hands out zeroed memory and leaves elements made without a value as they are, so a new
     * bitmap's pixels are blank after one pass. Pixels are only ever made in fresh memory (a
     * bitmap never shrinks and grows again), where they are 0.
     */
    template <class T>
    struct ZeroedAllocator {
        using value_type = T;
        ZeroedAllocator() = default;
        template <class U>
        ZeroedAllocator(const ZeroedAllocator<U>&) noexcept
        {
        }
        T* allocate(std::size_t n)
        {
            void* p = std::calloc(n, sizeof(T));
            if (p == nullptr && n != 0)
                throw std::bad_alloc();
            return static_cast<T*>(p);
        }
        void deallocate(T* p, std::size_t) noexcept { std::free(p); }
        template <class U>
        void construct(U*) noexcept
        {
        }
        template <class U, class... Args>
        void construct(U* p, Args&&... args)
        {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
        template <class U>
        bool operator==(const ZeroedAllocator<U>&) const noexcept
        {
            return true;
        }
    };

    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<uint16_t, ZeroedAllocator<uint16_t>> pixels;

    GumpBitmap() = default;
    GumpBitmap(int w, int h);
    int stride() const { return (width + 7) & ~7; }
    /** Every pixel back to 0 (transparent). */
    void clear();
    uint16_t pixel(int x, int y) const { return pixels[static_cast<size_t>(y) * stride() + x]; }
    uint16_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * stride(); }
};

/** One entry of a gump's frame table: a word for the class's own use and the bitmap (or none). */
struct GumpFrame {
    uint32_t tag = 0;
    std::unique_ptr<GumpBitmap> bitmap;
};

/**
 * The base of every gump. A gump is a rectangle at a position relative to its parent (top-level
 * gumps: relative to the screen, or to the game area when they answer IsGameAreaRelative), with
 * frame bitmaps or a gump art id, and a tree of children (first = front-most). CGumpManager owns
 * the top-level gumps, a parent owns its children; deleting a gump deletes its children and
 * removes it from every pointer the framework keeps (focus, modal, capture, the gump under the
 * pointer, running iterations). Main thread only.
 */
class CGump {
public:
    static constexpr int kNoToolTipOverride = -123;

    /** The plain gump: frameCount empty frames of width x height; art id -1. */
    CGump(int x, int y, int ignored, CObj* object, int frameCount, int width, int height);
    virtual ~CGump();
    CGump(const CGump&) = delete;
    CGump& operator=(const CGump&) = delete;

    // Slots 1-29.
    /** The front-most live gump of this tree at (x, y) in this gump's coordinates, skipping excluded. */
    virtual CGump* GetGumpAt(int x, int y, CGump* excluded);
    /** Keeps the back-buffer pixels under the gump (inside the canvas) for the end of the frame. */
    virtual void SaveBackground(const GumpCanvas& canvas);
    /** Draws the gump (its frame or art), then its children from the back to the front. */
    virtual void Draw(const GumpCanvas& canvas);
    virtual bool HitTest(int x, int y);
    virtual void OnLButtonDown(int x, int y);
    virtual void OnLButtonUp(int x, int y);
    virtual void OnRButtonDown(int x, int y);
    virtual void OnRButtonUp(int x, int y);
    /** Asks the mouse manager for the normal pointer. */
    virtual void OnMouseOver(int x, int y);
    /** Asks for cursor kind 0. */
    virtual void OnMouseLeave();
    virtual void OnDrag(int x, int y);
    virtual void OnMouseTick();
    virtual void OnThumbMove(int position, int range, CGump* thumb);
    virtual void OnThumbRelease(int position, int range, CGump* thumb);
    virtual void Resize(int width, int height, int flag);
    virtual CObj* GetObjectAt(int x, int y);
    virtual void OnChar(uint16_t character);
    virtual void OnChildChanged(CGump* child);
    virtual void OnChildTab();
    virtual void OnChildEnter();
    virtual void OnChildEscape();
    virtual void OnChildPress(CGump* child);
    virtual void OnChildDoubleClick(CGump* child);
    /** Once per interface pass, from CGumpManager::Update. */
    virtual void Update();
    virtual void OnDropDown(CGump* child);
    /** The tooltip override unless it is -123, else the art id. */
    virtual int GetToolTipId(int x, int y);
    virtual void HandleButtonPress(int buttonId);

#define KZ_DECLARE_KIND(name) virtual int name();
    KZ_GUMP_KIND_QUESTIONS(KZ_DECLARE_KIND)
#undef KZ_DECLARE_KIND
    virtual int IsTransparent();
    virtual int IsClosable();

    // Operations the framework asks of some kinds.
    /** Ends editing when the gump loses the keyboard focus (text fields and the windows that hold them). */
    virtual void EndEditOnFocusLoss() {}
    /** The text control the window procedure types into while this gump has the focus, or null. */
    virtual CFocusedControl* AsFocusedControl() { return nullptr; }
    /** A gump that keeps a pointer to other gumps (a message gump's owner) forgets the dying one. */
    virtual void ForgetGump(CGump* /*dying*/) {}
    /** For bark gumps: the gump whose moves and raises it follows, or null. */
    virtual CGump* TiedOwner() { return nullptr; }
    /** For bark gumps: a mobile or corpse speaks it (a left click may take it). */
    virtual bool HasSpeaker() { return false; }
    /** For timed gumps (barks): true once their lifetime has run out at tick now. */
    virtual bool LifetimeOver(uint32_t /*now*/) { return false; }
    /** For buttons: the parent's minimized state in which the button is live (0 normal, 1 minimized). */
    virtual int ActiveState() { return 0; }
    /** Status bars refresh their bar display before a frame is shown. */
    virtual void BeforePresent() {}

    // Tree.
    /** Inserts the gump as the front-most child of parent, or at the front of the top-level list. */
    void AttachToParent(CGump* parent);
    CGump* Parent() const { return parent_; }
    CGump* FirstChild() const { return firstChild_; }
    CGump* LastChild() const { return lastChild_; }
    CGump* NextSibling() const { return next_; }
    CGump* PrevSibling() const { return prev_; }
    /** True for the parent itself and every gump above this one. */
    bool IsDescendantOf(const CGump* ancestor) const;

    // Placement.
    void GumpToScreenCoords(int& x, int& y) const;
    void ScreenToGumpCoords(int& x, int& y) const;
    /** The screen rectangle: the minimized size while minimized. */
    GumpRect ScreenRect() const;
    /** The screen rectangle with every child's. */
    GumpRect TreeRect() const;
    void BringToFront(bool keepFocus);
    /** Moves by (dx, dy) with the children and tied barks; the dirty area is added to *accumulator when given. */
    void MoveBy(int dx, int dy, bool top, GumpRect* accumulator, bool keepOnScreen);
    void ClampToScreen();
    void PlaceBesideGameArea();
    void Minimize();
    void Restore();
    /** The button callback most windows use: HandleButtonPress with the last pressed id. */
    void ForwardButtonPress();

    // Frames.
    /** Makes frame index a width x height bitmap (cleared) and returns it. */
    GumpBitmap* MakeFrame(int index, int width, int height);
    GumpBitmap* Frame(int index);
    void SetFrameCount(int count);
    int FrameCount() const { return static_cast<int>(frames_.size()); }

    // Fields (public, as derived classes and the manager read and set them freely).
    const char* name = "normal gump";
    int lastPressedId = 0;
    int childPressFlag = 0;
    int frameIndex = 0;
    int width = 0;
    int height = 0;
    int minimizedWidth = 0;
    int minimizedHeight = 0;
    int x = 0;
    int y = 0;
    CObj* object = nullptr;
    int artId = -1;
    uint8_t page = 0;
    int drawn = 0;
    int minimized = 0;
    int visible = 1;
    int grabX = 0;
    int grabY = 0;
    int normalX = 0;
    int normalY = 0;
    int minimizedX = 0;
    int minimizedY = 0;
    int slotX = 0;
    int slotY = 0;
    int toolTipOverride = kNoToolTipOverride;
    /** Set while the gump waits to be deleted at the end of the present pass. */
    bool closing = false;

protected:
    /** The base construction every derived class starts from (InitDefaults): nothing set but the defaults. */
    CGump();
    /** Draws the present frame bitmap or the art, transparent where IsTransparent answers 1. */
    void DrawOwnImage(const GumpCanvas& canvas);
    /** ScreenRect for a gump's own member functions, which run on a live gump: it is not looked up. */
    GumpRect OwnScreenRect() const;

private:
    friend class CGumpManager;
    void Unlink();
    bool HoldsSlot() const;
    /** The screen rectangle with its top-left corner at (left, top). */
    GumpRect rectAt(int left, int top) const;

    std::vector<GumpFrame> frames_;
    CGump* next_ = nullptr;
    CGump* prev_ = nullptr;
    CGump* firstChild_ = nullptr;
    CGump* lastChild_ = nullptr;
    CGump* parent_ = nullptr;
    bool inSlotList_ = false;
    bool artMissingLogged_ = false;
};

/** True while the gump exists (constructed and not yet destroyed). */
bool IsLiveGump(const CGump* gump);

/** The minimized-gump grid: 96 x 64 cells from (16, 16), column by column. */
bool TakeMinimizedSlot(int& x, int& y);
void ReleaseMinimizedSlot(int x, int y);
/** Empties the grid (start-up and tests). */
void ResetMinimizedSlots();
