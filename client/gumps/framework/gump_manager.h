/** @file The gump manager: the top-level list and z-order, focus, modal gump, hit tests, the frame's draw passes, opening by id. */
#pragma once

#include "client/core/gump_services.h"
#include "client/gumps/framework/gump.h"

#include <functional>
#include <string>

class CUnicodeString;

/** What a window factory gets: the request of OpenGump and the place the manager chose. */
struct GumpOpenRequest {
    CObj* object = nullptr;
    int gumpId = 0;
    /** The art size of the id (0 x 0 when it has no art). */
    int artWidth = 0;
    int artHeight = 0;
    /** The default place of the id's window. */
    int x = 0;
    int y = 0;
    int statusFlag = 0;
};
using GumpFactory = std::function<CGump*(const GumpOpenRequest&)>;

/**
 * Answers the framework needs of the world's objects. The world installs them; until then no
 * object is a mobile, a corpse or a container and objects keep no gump pointers.
 */
struct GumpWorldHooks {
    std::function<bool(CObj*)> isMobile;
    std::function<bool(CObj*)> isCorpse;
    std::function<bool(CObj*)> isContainer;
    /** The object that holds an item (a mobile or a container), or null. */
    std::function<CObj*(CObj*)> parentOf;
    /** The object forgets the dying gump wherever it points to it (its gump, its open container gump). */
    std::function<void(CObj*, CGump*)> forgetGump;
};

/**
 * The one gump manager (process-wide, main thread only). The top-level list is the z-order:
 * first = front-most. Loops over the list that may delete gumps keep the next gump in one of two
 * saved-next pointers, which a dying gump advances; a gump closed with DestroyGump while a pass
 * or an input event runs is hidden at once and deleted when the pass ends.
 */
class CGumpManager {
public:
    /** Window factories: OpenGump asks them by id; the container factory serves container openings. */
    static constexpr int kContainerFactory = -1;

    static void startup();
    static void shutdown();
    static void ResetDC();

    static CGump* First();
    static CGump* Last();
    /** The front-most gump at the screen point (the modal gump's tree only, while one is set). */
    static CGump* GetGumpAt(int x, int y, CGump* excluded, int speechFlag);

    /**
     * Draws every gump into the rectangle of the back buffer: background save, draw; with the
     * last flag the frame is presented and the saved pixels are put back, so that the back buffer
     * again holds the world alone.
     */
    static void DrawAllGumps(int left, int top, int right, int bottom, int lastPass);
    /** The interface pass: timed gumps expire, then every top-level gump's Update. */
    static void Update();
    static void UpdateBarks();

    static void SetFocus(CGump* gump);
    static void KillFocus();
    static CGump* Focus();
    static void SetModal(CGump* gump);
    static CGump* Modal();
    /** The gump under the pointer since the last mouse update. */
    static CGump* mouseonGump;
    /** The popup help gump, or null. */
    static CGump* helpTextGump;

    /** Opens (or raises) the window of an id; null when none can be made. */
    static CGump* OpenGump(CObj* object, int gumpId, CGump* parent, int containerFlag, int statusFlag);
    static void RegisterGumpFactory(int gumpId, GumpFactory factory);
    static void UnregisterGumpFactory(int gumpId);
    static CGump* FindGumpForObject(CObj* object, int wantPaperdoll, int wantShop, CGump* start, int wantStatus);
    static CGump* FindGumpOfContainer(CObj* item);

    /** Closes a gump: deleted now, or hidden and deleted at the end of the running pass. */
    static void DestroyGump(CGump* gump);
    static void CloseClosableGumps();
    static void CloseAllClosableGumps();
    static void CloseWorldGumps();
    /** The gump CloseClosableGumps spares. */
    static void SetKeptGump(CGump* gump);

    /** The message gump: made by the installed factory, modal and at the front. Null without one. */
    static CGump* ShowMessageGump(const char* text, CGump* owner, int okButton, int flag, int unicode);
    using MessageGumpFactory = std::function<CGump*(const char* text, CGump* owner, int okButton, int flag, int unicode)>;
    static void SetMessageGumpFactory(MessageGumpFactory factory);
    /** Makes the frame's tooltip gump for a text; null for none. The manager places it. */
    using ToolTipFactory = std::function<CGump*(const CUnicodeString& text)>;
    static void SetToolTipFactory(ToolTipFactory factory);

    /** The text of a gump text id, or null. */
    static const CUnicodeString* GetGumpText(int id);
    static int GetContainerGumpId(int graphic);
    static GumpRect GetContainerContentRect(int gumpId);

    /** The game area on the screen (the renderer sets it); the screen at the play size until then. */
    static GumpRect GameArea();
    static void SetGameArea(const GumpRect& area);
    static GumpWorldHooks& WorldHooks();

    // The desktop: which windows were open and where (desktop.cpp).
    /** Writes the macros, the related settings and the desktop file (when desktop saving is on). */
    static void SaveDesktop();
    /** The bytes of the desktop file for the present windows. */
    static std::vector<uint8_t> BuildDesktop();
    /** After login: the macros and the desktop file of the character, slot or new player. */
    static void RestoreDesktop();
    /** Applies a desktop file; the number of restore-table entries. */
    static int LoadDesktop(const std::vector<uint8_t>& bytes, bool newbie);
    static void ClearDesktopQueue();
    /** Every game tick: the next open request of the restored containers and spellbooks. */
    static void ProcessDesktopQueue();
    /** A container or spellbook opened: a queued one gets its saved place. */
    static void ApplyDesktopPosition(uint32_t serial, CGump* container, CGump* spellbook);
    static bool DesktopQueueStopped() { return false; }

    /** The focused text control, or null. */
    static CFocusedControl* FocusedControl();

    /** The manager as the application core calls it; installed by the start-up. */
    static GumpManagerServices& services();

    // For the gumps.
    /** Keeps the back-buffer pixels of rect (inside the canvas) in the save buffer. */
    static void SaveRect(const GumpCanvas& canvas, const GumpRect& rect);
    /** Marks a screen area for redrawing (the renderer's dirty rectangles; gathered here until it lands). */
    static void AddDirty(const GumpRect& rect);
    /** The area marked since the last call, and clears it. */
    static GumpRect TakeDirty();
    /** Saved rectangles waiting to be put back (for tests). */
    static size_t SavedRectCount();

    /** Runs while a pass or an input event works on the gumps; closings wait until the outermost ends. */
    class PassGuard {
    public:
        PassGuard();
        ~PassGuard();
        PassGuard(const PassGuard&) = delete;
        PassGuard& operator=(const PassGuard&) = delete;
    };

private:
    friend class CGump;
    static void SetListEnds(CGump* first, CGump* last);
    /** Removes a dying gump from every pointer the framework keeps. */
    static void ForgetDyingGump(CGump* gump);
    /** Sets the deletion flag; returns its previous value. */
    static bool SetDeleting(bool on);
    static void DrawPiece(const GumpCanvas& canvas);
    static void PresentAndRestore();
    static void BuildToolTip();
};
