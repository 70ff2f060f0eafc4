/** @file The gump base: construction and destruction, the tree, placement, hit tests, drawing, minimizing. */
#include "client/gumps/framework/gump.h"

#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/kz_report.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

/**
 * The live gumps: an open-addressed table of their addresses (linear probing, at most half
 * full, deletion by shifting the rest of a run back). Fields of lists and text boxes come and
 * go with every key; one is born without allocating and looked up by a slot or two.
 */
class GumpSet {
public:
    bool contains(const CGump* gump) const
    {
        if (slots_.empty())
            return false;
        for (size_t i = home(gump);; i = next(i)) {
            if (slots_[i] == gump)
                return true;
            if (slots_[i] == nullptr)
                return false;
        }
    }
    void insert(const CGump* gump)
    {
        if ((count_ + 1) * 2 > slots_.size())
            grow();
        size_t i = home(gump);
        for (; slots_[i] != nullptr; i = next(i))
            if (slots_[i] == gump)
                return;
        slots_[i] = gump;
        ++count_;
    }
    void erase(const CGump* gump)
    {
        if (slots_.empty())
            return;
        size_t hole = home(gump);
        for (; slots_[hole] != gump; hole = next(hole))
            if (slots_[hole] == nullptr)
                return;
        // Each later entry of the run moves into the hole unless its home lies after the hole
        // (cyclically, up to the entry itself): probing from its home must still reach it.
        for (size_t j = next(hole); slots_[j] != nullptr; j = next(j)) {
            const size_t h = home(slots_[j]);
            const bool homeAfterHole = hole < j ? (h > hole && h <= j) : (h > hole || h <= j);
            if (!homeAfterHole) {
                slots_[hole] = slots_[j];
                hole = j;
            }
        }
        slots_[hole] = nullptr;
        --count_;
    }

private:
    size_t next(size_t i) const { return (i + 1) & (slots_.size() - 1); }
    size_t home(const CGump* gump) const
    {
        // Fibonacci hashing: the high bits of the address times 2^64 / phi.
        return static_cast<size_t>((static_cast<uint64_t>(reinterpret_cast<uintptr_t>(gump)) * 0x9E3779B97F4A7C15ull) >>
                                   shift_);
    }
    void grow()
    {
        std::vector<const CGump*> old = std::move(slots_);
        const size_t size = old.empty() ? 256 : old.size() * 2;
        slots_.assign(size, nullptr);
        shift_ = 64 - std::countr_zero(size);
        count_ = 0;
        for (const CGump* gump : old)
            if (gump != nullptr)
                insert(gump);
    }

    std::vector<const CGump*> slots_;
    size_t count_ = 0;
    int shift_ = 64;
};

GumpSet& liveGumps()
{
    static GumpSet live;
    return live;
}

struct SlotPosition {
    int x, y;
};

std::vector<SlotPosition>& slotList()
{
    static std::vector<SlotPosition> slots;
    return slots;
}

} // namespace

bool IsLiveGump(const CGump* gump)
{
    return gump != nullptr && liveGumps().contains(gump);
}

bool TakeMinimizedSlot(int& x, int& y)
{
    if (ScreenWidth <= 128)
        return false;
    auto& slots = slotList();
    for (int sx = 16; sx < ScreenWidth - 112; sx += 96)
        for (int sy = 16; sy < ScreenHeight - 80; sy += 64) {
            const bool taken =
                std::any_of(slots.begin(), slots.end(), [&](const SlotPosition& s) { return s.x == sx && s.y == sy; });
            if (!taken) {
                if (slots.size() == slots.capacity())
                    slots.reserve(slots.size() + 8);
                slots.push_back({sx, sy});
                x = sx;
                y = sy;
                return true;
            }
        }
    return false;
}

void ReleaseMinimizedSlot(int x, int y)
{
    auto& slots = slotList();
    const auto it = std::find_if(slots.begin(), slots.end(), [&](const SlotPosition& s) { return s.x == x && s.y == y; });
    if (it != slots.end())
        slots.erase(it);
}

void ResetMinimizedSlots()
{
    slotList().clear();
}

CGump::CGump()
{
    liveGumps().insert(this);
}

CGump::CGump(int x0, int y0, int /*ignored*/, CObj* shown, int frameCount, int w, int h) : CGump()
{
    x = x0;
    y = y0;
    object = shown;
    width = w;
    height = h;
    SetFrameCount(frameCount);
}

CGump::~CGump()
{
    if (inSlotList_)
        ReleaseMinimizedSlot(slotX, slotY);
    CGumpManager::ForgetDyingGump(this);
    // Children go front to back with the deletion flag set (losing the focus does not finish
    // their editing); a child may delete its siblings.
    const bool wasDeleting = CGumpManager::SetDeleting(true);
    while (firstChild_ != nullptr) {
        CGump* child = firstChild_;
        delete child;
    }
    CGumpManager::SetDeleting(wasDeleting);
    Unlink();
    frames_.clear();
    liveGumps().erase(this);
}

void CGump::Unlink()
{
    if (prev_ != nullptr)
        prev_->next_ = next_;
    else if (parent_ != nullptr)
        parent_->firstChild_ = next_;
    else if (CGumpManager::First() == this)
        CGumpManager::SetListEnds(next_, CGumpManager::Last());
    if (next_ != nullptr)
        next_->prev_ = prev_;
    else if (parent_ != nullptr)
        parent_->lastChild_ = prev_;
    else if (CGumpManager::Last() == this)
        CGumpManager::SetListEnds(CGumpManager::First(), prev_);
    next_ = prev_ = nullptr;
    parent_ = nullptr;
}

void CGump::AttachToParent(CGump* parent)
{
    Unlink();
    parent_ = parent;
    CGump* first = parent != nullptr ? parent->firstChild_ : CGumpManager::First();
    next_ = first;
    prev_ = nullptr;
    if (first != nullptr)
        first->prev_ = this;
    if (parent != nullptr) {
        parent->firstChild_ = this;
        if (parent->lastChild_ == nullptr)
            parent->lastChild_ = this;
    } else {
        CGumpManager::SetListEnds(this, CGumpManager::Last() != nullptr ? CGumpManager::Last() : this);
    }
}

bool CGump::IsDescendantOf(const CGump* ancestor) const
{
    for (const CGump* g = parent_; g != nullptr; g = g->parent_)
        if (g == ancestor)
            return true;
    return false;
}

void CGump::SetFrameCount(int count)
{
    frames_.resize(static_cast<size_t>(std::max(count, 0)));
}

GumpBitmap* CGump::MakeFrame(int index, int w, int h)
{
    if (index < 0)
        return nullptr;
    if (static_cast<size_t>(index) >= frames_.size())
        SetFrameCount(index + 1);
    frames_[static_cast<size_t>(index)].bitmap = std::make_unique<GumpBitmap>(w, h);
    return frames_[static_cast<size_t>(index)].bitmap.get();
}

GumpBitmap* CGump::Frame(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= frames_.size())
        return nullptr;
    return frames_[static_cast<size_t>(index)].bitmap.get();
}

// Coordinates.

namespace {

/**
 * Sums the positions up the chain; the game-area corner once when any gump there asks for it.
 * Only the gump asked about is looked up: the parents of a live gump are live, as a gump deletes
 * its children before it goes and a child leaves its parent's list only by unlinking.
 */
void chainOffset(const CGump* gump, int& dx, int& dy, const char* walk, bool knownLive = false)
{
    if (!knownLive && gump != nullptr && !IsLiveGump(gump)) {
        KZReport::error("CGump::%s: either pointer 'pGump' is not valid, or the data it points to is not valid. "
                        "breaking out of loop.\n",
                        walk);
        return;
    }
    bool gameArea = false;
    for (const CGump* g = gump; g != nullptr; g = g->Parent()) {
        dx += g->x;
        dy += g->y;
        if (!gameArea && const_cast<CGump*>(g)->IsGameAreaRelative())
            gameArea = true;
    }
    if (gameArea) {
        const GumpRect area = CGumpManager::GameArea();
        dx += area.left;
        dy += area.top;
    }
}

} // namespace

void CGump::GumpToScreenCoords(int& px, int& py) const
{
    int dx = 0, dy = 0;
    chainOffset(this, dx, dy, "GumpToScreenCoords");
    px += dx;
    py += dy;
}

void CGump::ScreenToGumpCoords(int& px, int& py) const
{
    int dx = 0, dy = 0;
    chainOffset(this, dx, dy, "ScreenToGumpCoords");
    px -= dx;
    py -= dy;
}

GumpRect CGump::ScreenRect() const
{
    int left = 0, top = 0;
    GumpToScreenCoords(left, top);
    return rectAt(left, top);
}

GumpRect CGump::OwnScreenRect() const
{
    int left = 0, top = 0;
    chainOffset(this, left, top, "GumpToScreenCoords", true);
    return rectAt(left, top);
}

GumpRect CGump::rectAt(int left, int top) const
{
    // Every dirty mark passes here: the minimized flag is read once.
    if (minimized != 0)
        return {left, top, left + minimizedWidth, top + minimizedHeight};
    return {left, top, left + width, top + height};
}

// Hit tests.

bool CGump::HitTest(int px, int py)
{
    if (px < 0 || py < 0)
        return false;
    if (artId >= 0) {
        int32_t w = 0, h = 0;
        GetGumpArtSize(artId, &w, &h);
        return px < w && py < h && GetGumpArtPixel(artId, px, py) != 0;
    }
    if (px >= width || py >= height)
        return false;
    if (IsTransparent() == 0)
        return true;
    GumpBitmap* frame = Frame(frameIndex);
    if (frame == nullptr || px >= frame->width || py >= frame->height)
        return false;
    return frame->pixel(px, py) != 0;
}

CGump* CGump::GetGumpAt(int px, int py, CGump* excluded)
{
    if (!HitTest(px, py))
        return nullptr;
    int sx = px, sy = py;
    GumpToScreenCoords(sx, sy);
    for (CGump* child = firstChild_; child != nullptr; child = child->next_) {
        if (!IsLiveGump(child)) {
            KZReport::error("CGump::GetGumpAt: either pointer 'pGump' is not valid, or the data it points to is not "
                            "valid. returning FALSE.\n");
            return nullptr;
        }
        if (child->visible == 0 || child->closing)
            continue;
        if (child->IsButtonGump() != 0 && child->ActiveState() != minimized)
            continue;
        if (child->page != 0 && child->page != page)
            continue;
        int cx = sx, cy = sy;
        child->ScreenToGumpCoords(cx, cy);
        if (child != excluded && child->HitTest(cx, cy))
            return child->GetGumpAt(cx, cy, nullptr);
    }
    return this;
}

// Drawing.

void CGump::SaveBackground(const GumpCanvas& canvas)
{
    if (visible == 0 || closing)
        return;
    const GumpRect own = ScreenRect();
    CGumpManager::SaveRect(canvas, own);
    drawn = 1;
    // Children reaching outside the gump keep their own pixels too.
    for (CGump* child = lastChild_; child != nullptr; child = child->prev_) {
        const GumpRect rect = child->ScreenRect();
        if (rect.intersect(own).left != rect.left || rect.intersect(own).right != rect.right ||
            rect.intersect(own).top != rect.top || rect.intersect(own).bottom != rect.bottom || rect.empty())
            child->SaveBackground(canvas);
    }
}

void CGump::DrawOwnImage(const GumpCanvas& canvas)
{
    int left = 0, top = 0;
    GumpToScreenCoords(left, top);
    const CombineFunc combine = IsTransparent() != 0 ? CopySpanTransparent : CopySpan;
    if (artId >= 0) {
        int32_t w = 0, h = 0;
        GetGumpArtSize(artId, &w, &h);
        if (w <= 0 || h <= 0) {
            // Missing art: the gump is drawn as absent.
            if (!artMissingLogged_)
                KZReport::warning("CGump::Draw: gump art %d of a '%s' is missing; not drawn.\n", artId, name);
            artMissingLogged_ = true;
            return;
        }
        canvas.drawArt(combine, artId, left, top);
        return;
    }
    GumpBitmap* frame = Frame(frameIndex);
    if (frame != nullptr)
        canvas.drawImage(combine, frame->pixels.data(), std::min<int>(frame->width, width),
                         std::min<int>(frame->height, height), frame->stride(), left, top);
}

void CGump::Draw(const GumpCanvas& canvas)
{
    if (visible == 0 || closing)
        return;
    if (!ScreenRect().intersect(canvas.clip).empty())
        DrawOwnImage(canvas);
    for (CGump* child = lastChild_; child != nullptr; child = child->prev_) {
        if (child->page != 0 && child->page != page)
            continue;
        if (child->IsButtonGump() != 0 && child->ActiveState() != minimized)
            continue;
        child->Draw(canvas);
    }
}

// Slots that do nothing in the base.

void CGump::OnLButtonDown(int, int) {}

// A gump that took the capture with a press and does nothing with it lets it go on the release,
// so that later presses reach the gumps under the pointer again.
void CGump::OnLButtonUp(int, int)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CGump::OnRButtonDown(int, int) {}

void CGump::OnRButtonUp(int, int)
{
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CGump::OnMouseOver(int, int)
{
    MouseManager::SetCursor(MouseManager::kNormalCursor);
}

void CGump::OnMouseLeave()
{
    MouseManager::SetCursor(0);
}

void CGump::OnDrag(int, int) {}
void CGump::OnMouseTick() {}
void CGump::OnThumbMove(int, int, CGump*) {}
void CGump::OnThumbRelease(int, int, CGump*) {}
void CGump::Resize(int, int, int) {}
CObj* CGump::GetObjectAt(int, int) { return nullptr; }
void CGump::OnChar(uint16_t) {}
void CGump::OnChildChanged(CGump*) {}
void CGump::OnChildTab() {}
void CGump::OnChildEnter() {}
void CGump::OnChildEscape() {}
void CGump::OnChildPress(CGump*) {}
void CGump::OnChildDoubleClick(CGump*) {}
void CGump::Update() {}
void CGump::OnDropDown(CGump*) {}

int CGump::GetToolTipId(int, int)
{
    return toolTipOverride != kNoToolTipOverride ? toolTipOverride : artId;
}

void CGump::HandleButtonPress(int) {}

#define KZ_DEFINE_KIND(kind) \
    int CGump::kind() { return 0; }
KZ_GUMP_KIND_QUESTIONS(KZ_DEFINE_KIND)
#undef KZ_DEFINE_KIND

int CGump::IsTransparent()
{
    return 1;
}

int CGump::IsClosable()
{
    return 1;
}

void CGump::ForwardButtonPress()
{
    HandleButtonPress(lastPressedId);
}

// Placement.

void CGump::BringToFront(bool keepFocus)
{
    if (IsCharCreationGump() != 0)
        return;
    // The focus stays when it lies within this gump (itself, a child, or deeper).
    CGump* focus = CGumpManager::Focus();
    if (!keepFocus && focus != nullptr && focus != this && !focus->IsDescendantOf(this))
        CGumpManager::KillFocus();
    const bool first = parent_ != nullptr ? parent_->firstChild_ == this : CGumpManager::First() == this;
    if (!first)
        AttachToParent(parent_);
    GumpRect dirty = ScreenRect();
    // Top-level barks tied to this gump are behind it now: they come forward too.
    if (IsBarkGump() == 0 && parent_ == nullptr) {
        for (CGump* g = next_; g != nullptr;) {
            CGump* nextGump = g->next_;
            if (g->IsBarkGump() != 0 && g->TiedOwner() == this) {
                g->BringToFront(false);
                dirty = dirty.unite(g->ScreenRect());
            }
            g = nextGump;
        }
    }
    CGumpManager::AddDirty(dirty);
}

GumpRect CGump::TreeRect() const
{
    GumpRect rect = ScreenRect();
    for (CGump* child = firstChild_; child != nullptr; child = child->next_)
        rect = rect.unite(child->TreeRect());
    return rect;
}

void CGump::MoveBy(int dx, int dy, bool top, GumpRect* accumulator, bool keepOnScreen)
{
    GumpRect dirty = TreeRect();
    const int oldX = x;
    const int oldY = y;
    if (top) {
        const int w = minimized != 0 ? minimizedWidth : width;
        const int h = minimized != 0 ? minimizedHeight : height;
        x += dx;
        y += dy;
        if (keepOnScreen) {
            // At least 50 pixels (or the whole gump when smaller) stay on the screen.
            const int keepW = std::min(w, 50);
            const int keepH = std::min(h, 50);
            x = std::clamp(x, keepW - w, std::max(keepW - w, ScreenWidth - keepW));
            y = std::clamp(y, keepH - h, std::max(keepH - h, ScreenHeight - keepH));
        }
    }
    // Children sit relative to this gump and follow by themselves; tied barks move by the same step.
    if (IsBarkGump() == 0 && (x != oldX || y != oldY)) {
        for (CGump* g = CGumpManager::First(); g != nullptr; g = g->next_)
            if (g->IsBarkGump() != 0 && g->TiedOwner() == this) {
                dirty = dirty.unite(g->ScreenRect());
                g->x += x - oldX;
                g->y += y - oldY;
                dirty = dirty.unite(g->ScreenRect());
            }
    }
    dirty = dirty.unite(TreeRect());
    if (accumulator != nullptr)
        *accumulator = accumulator->unite(dirty);
    else
        CGumpManager::AddDirty(dirty);
}

void CGump::ClampToScreen()
{
    int w = 0, h = 0;
    if (IsOptionsGump() != 0 || IsPartyGump() != 0) {
        w = 500;
        h = 400;
    } else if (IsHueGump() != 0) {
        w = 290;
        h = 170;
    } else if (IsChatGump() != 0) {
        w = 300;
        h = 200;
    } else if (artId >= 0) {
        GetGumpArtSize(artId, &w, &h);
    } else {
        w = width; // drawn from frames: its own size
        h = height;
    }
    if (x < 0)
        x = 0;
    else if (x + w > ScreenWidth)
        x = ScreenWidth - w;
    if (y < 0)
        y = 0;
    else if (y + h > ScreenHeight)
        y = ScreenHeight - h;
}

void CGump::PlaceBesideGameArea()
{
    const GumpRect area = CGumpManager::GameArea();
    int w = 0, h = 0;
    GetGumpArtSize(artId, &w, &h);
    if (area.bottom - h / 2 - y + 5 < area.right - w / 2 - x + 5)
        y = area.bottom + 5;
    else
        x = area.right + 5;
    ClampToScreen();
}

bool CGump::HoldsSlot() const
{
    return slotX != 0 || slotY != 0;
}

void CGump::Minimize()
{
    if (!HoldsSlot() && AutoArrangeMinimized != 0) {
        int sx = 0, sy = 0;
        if (TakeMinimizedSlot(sx, sy)) {
            slotX = minimizedX = sx;
            slotY = minimizedY = sy;
            inSlotList_ = true;
        } else {
            minimizedX = minimizedY = 0;
        }
    }
    normalX = x;
    normalY = y;
    GumpRect dirty = ScreenRect();
    x = minimizedX;
    y = minimizedY;
    minimized = 1;
    CGumpManager::AddDirty(dirty.unite(ScreenRect()));
}

void CGump::Restore()
{
    GumpRect dirty = ScreenRect();
    minimizedX = x;
    minimizedY = y;
    x = normalX;
    y = normalY;
    minimized = 0;
    if (inSlotList_) {
        ReleaseMinimizedSlot(slotX, slotY);
        inSlotList_ = false;
    }
    CGumpManager::AddDirty(dirty.unite(ScreenRect()));
}
