/** @file The world view: the invisible window over the game area that turns mouse input on the world into game actions. */
#pragma once

#include "client/gumps/framework/gump.h"

#include <cstdint>
#include <functional>

class CDrawItem;
class CObj;
class CMobile;
class CDynamicObj;

/**
 * What the world view asks of windows that live elsewhere (InstallWorldView installs the ones it
 * knows). An empty one is gone without: no status bar is dragged off a mobile, no question is
 * asked and the questioned action is not taken, nothing counts as being dragged.
 */
struct WorldViewHooks {
    /**
     * The status bar of a mobile for a drag-off: the open one, or a new one attached at the top
     * level; null when none can be made.
     */
    std::function<CGump*(CMobile& mobile)> statusBarFor;
    /** A yes/no question; exactly one of the answers runs later (or none when it is closed otherwise). */
    std::function<void(const char* question, std::function<void()> yes, std::function<void()> no)> askYesNo;
    /** True while an item is being dragged (no second item is lifted then). */
    std::function<bool()> dragging;
};
WorldViewHooks& worldViewHooks();

/**
 * The single world view gump. It covers the game area at the back of the gump list for the whole
 * run: a left click names (0x09) or answers a target cursor, a double click uses, a press held
 * or moved lifts the object under it (or drags a status bar off a mobile), the right button held
 * walks toward the pointer and a quick double right click walks a computed path there. It tracks
 * the mobile and the liftable object under the pointer for the renderer's highlight, by serial.
 * Positions are relative to the game area. Main thread only.
 */
class CMapGump : public CGump {
public:
    CMapGump();
    ~CMapGump() override;

    bool HitTest(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonDown(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnMouseLeave() override;
    void OnDrag(int x, int y) override;
    void OnMouseTick() override;
    /** Popup help: asks the server for the help text of the object with a serial under the point. */
    CObj* GetObjectAt(int x, int y) override;
    int AcceptsDrop() override { return 1; }
    int IsGameAreaRelative() override { return 1; }
    int IsMapGump() override { return 1; }
    int IsClosable() override { return 0; }
    /** Keeps the framework's game area on the renderer's corner and play size. */
    void Update() override;

    // The actions.
    void SingleClickAt(int x, int y);
    void UseObject(CObj* thing);
    void StartDragAt(int x, int y);
    void PathfindTo(int x, int y);

    /** The mobile and the liftable object under the pointer (null when none, or gone). */
    CMobile* OnMobile() const;
    CDynamicObj* OnObj() const;
    /** The object of a press forgets it: a picked-up item, or an object that went away. */
    void ForgetObject(uint32_t serial);
    void ClearPendingObject() { pendingSerial_ = 0; }
    /** Stops tracking the mobile under the pointer (the criminal warning took the click). */
    void ClearOnMobile() { setOnMobile(0); }

    int LeftState() const { return leftState_; }
    int RightState() const { return rightState_; }
    /** The last press or drag point (game-area coordinates). */
    int LastPointerX() const { return lastX_; }
    int LastPointerY() const { return lastY_; }

private:
    void setOnMobile(uint32_t serial);
    void setOnObj(uint32_t serial);

    uint32_t pendingSerial_ = 0;
    bool dragStarted_ = false;
    bool leftHeld_ = false;
    bool dragTried_ = false;
    uint32_t firstClickTime_ = 0;
    int leftState_ = 0;
    bool rightHeld_ = false;
    bool walkPending_ = false;
    uint32_t rightPressTime_ = 0;
    int rightState_ = 0;
    int rightX_ = 0;
    int rightY_ = 0;
    int lastX_ = 0;
    int lastY_ = 0;
    /** The tracked objects, by serial: a stale one is found gone instead of read freed. */
    uint32_t onMobile_ = 0;
    uint32_t onObj_ = 0;
};

/** The world view, or null before it is made. */
CMapGump* MapGump();

/** Once per world pass: the next step of the path made by a double right click. */
void StepAlongPath();

/**
 * One step toward a screen direction code (0 = up, clockwise): following stops first ("Stopped
 * following." over the player when it was on); the step is requested only when no earlier one
 * waits to be shown. run 1 runs, 0 walks, -1 asks the walk's services where the pointer is.
 */
bool RequestMouseWalkStep(int directionCode, int run);

/**
 * A target cursor is up and a click in the world, on a text over an object or in a container
 * answers it: the server's target request, or a pick the client itself asked for (a field that
 * picks a mobile installs its own target callback).
 */
bool TargetCursorUp();
/** The target callback gets the object: the client's own pick when one waits, else the server's answer. */
void CallTargetCallback(CDrawItem* picked);
/**
 * A click answers the target cursor with the picked item. With NotorietyQuery on, a server target
 * that harms an innocent mobile (check kind 1) or helps a criminal, enemy or murderer (kind 2)
 * asks first: the target mode ends and the criminal warning decides.
 */
void AnswerTarget(CDrawItem* picked);

/** The two yes/no warnings of the world view (by serial; the object is looked up again on Yes). */
void ShowTargetCriminalWarning(uint32_t serial);
void ShowAttackWarning(uint32_t serial);
/** The attack warning's wording: set until any mobile shows a highlight value of 100 or more. */
extern bool OldNotorietyMode;

/**
 * One of the four strips around the game area (0 top, 1 bottom, 2 left, 3 right) while window
 * resizing is allowed: gump art 2700 tiled across, 2701 tiled down. Dragging a strip moves the
 * game area with the pointer, never past an edge of the screen. Positions are relative to the
 * game area.
 */
class GameAreaEdgeGump : public CGump {
public:
    explicit GameAreaEdgeGump(int which);
    ~GameAreaEdgeGump() override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnDrag(int x, int y) override;
    int IsGameAreaRelative() override { return 1; }
    int IsGameAreaEdge() override { return 1; }
    int IsTransparent() override { return 0; }
    int IsClosable() override { return 0; }

    const int which;
    int dragging = 0;
    /** The pointer's offset from the game area's corner at the press. */
    int grabOffsetX = 0;
    int grabOffsetY = 0;
};

/** The four edges (top, bottom, left, right), or nulls when none are made. */
GameAreaEdgeGump* GameAreaEdge(int which);
void CreateGameAreaEdgeGumps();
/** The game area changed size: the edges are made again for it. */
void RebuildGameAreaEdgeGumps();
