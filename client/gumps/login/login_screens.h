/** @file The login screens: main menu, account login, the shard list and map, the character screen and its questions. */
#pragma once

#include "client/gumps/login/login_state.h"
#include "client/gumps/login/login_widgets.h"

#include <string>
#include <vector>

class CToggleControlGump;

/** The first screen: background art, the account login gump as its child, six standard buttons. */
class CMainMenuGump : public CLoginScreenGump {
public:
    CMainMenuGump();
    ~CMainMenuGump() override;
    void OnMouseOver(int x, int y) override;
};

/** Account name, password, "Save Password" and the arrow that runs the login step. */
class CAcctLoginGump : public CLoginScreenGump {
public:
    enum { kArrow = 1 };
    CAcctLoginGump();
    ~CAcctLoginGump() override;

    bool HitTest(int x, int y) override;
    void OnChildTab() override;
    void OnChildEnter() override;
    void OnChildEscape() override;
    void OnChildPress(CGump* child) override;
    void Update() override;
    void HandleButtonPress(int id) override;
    int IsAcctLoginGump() override { return 1; }

    CInputControlGump* account = nullptr;
    CInputControlGump* password = nullptr;
    CToggleControlGump* savePassword = nullptr;
    CButtonGump* arrow = nullptr;
};

/** A scrolling list of up to 100 entries; with sort buttons it is the shard list. */
class CScrollChoiceGump : public CGump {
public:
    struct Entry {
        int id = 0;
        std::string text;
        uint16_t colour = 0;
    };
    enum { kUp = 1, kDown, kSort1, kSort2, kSort3 };

    CScrollChoiceGump(CGump* owner, int frameArt, int x, int y, int width, int height, int ownerValue, int sortButtons,
                      int wideText);
    ~CScrollChoiceGump() override;

    void AddItem(int id, const char* text, uint16_t colour);
    void RenderList();
    /** Rebuilds the list from the shard table in the order of sort key 1-3. */
    void SortBy(int key);

    bool HitTest(int x, int y) override;
    void OnMouseOver(int x, int y) override;
    void OnMouseLeave() override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseTick() override;
    void OnThumbMove(int position, int range, CGump* thumb) override;
    void HandleButtonPress(int id) override;

    /** The row under a point of the gump, or -1. */
    int RowAt(int x, int y) const;
    /** Chooses entry index (the press and the tick call this). */
    virtual void Choose(int index);

    std::vector<Entry> entries;
    int firstVisible = 0;
    int hoverRow = -1;
    int listLeft = 0, listTop = 0, listRight = 0, listBottom = 0;
    int columnX = 0, columnTop = 0, columnBottom = 0;
    int font = 5;
    CGump* owner = nullptr;
    int frameArt = 0;
    int ownerValue = 0;
    int sortButtons = 0;
    int wideText = 0;
    std::string caption;
    int markedIds[3] = {-1, -1, -1};
    CInputControlGump* target = nullptr;
    int noChoice = 1;
    int closeAllowed = 0;
    int pressed = 0;
    uint32_t clickTime = 0;
    int clickCount = 0;
    int pressX = 0, pressY = 0;
    int tickParity = 0;
};

/** The shard choice screen. */
class CThalMapGump : public CLoginScreenGump {
public:
    enum { kChoose = 1, kArrow, kBack };
    CThalMapGump();
    ~CThalMapGump() override;
    CScrollChoiceGump* GetShardList() { return list; }
    void OnChildEnter() override;
    void HandleButtonPress(int id) override;
    void DrawShardName();

    int currentShard = -1;
    char shardName[32] = {};
    CScrollChoiceGump* list = nullptr;
};

/** The name the shard table gives id, or null when it has none. */
const ScreenShard* FindShard(int id);
/** Chooses a shard: the configuration, the select packet, and the map gump closes. */
void SelectShard(int id);

/** The character screen: five slots, new, delete, play and back. */
class CLoginGump : public CLoginScreenGump {
public:
    enum { kNew = 1, kDelete, kArrow, kBack };
    CLoginGump();
    ~CLoginGump() override;

    void AddCharacter(const char* name, int key);
    void RemoveCharacter(int key);
    void SelectSlot(int slot);
    void PlaySelected();
    void DeleteSelected();

    void OnMouseOver(int x, int y) override;
    void OnChildEnter() override;
    void OnChildEscape() override;
    void OnChildPress(CGump* child) override;
    void OnChildDoubleClick(CGump* child) override;
    void HandleButtonPress(int id) override;

    int selected = 0;
    int count = 0;
    int keys[5] = {-1, -1, -1, -1, -1};
    CInputControlGump* slots[5] = {};
};

/** Asks for a character's password before playing it. */
class CPlayCharGump : public CGump {
public:
    enum { kOk = 1, kCancel };
    explicit CPlayCharGump(const char* characterName);
    ~CPlayCharGump() override;
    bool HitTest(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnChildEnter() override;
    void OnChildEscape() override;
    void HandleButtonPress(int id) override;

    CInputControlGump* password = nullptr;
};

/** "Permanently delete %s?" with yes and no. */
class CDeleteCharGump : public CGump {
public:
    enum { kYes = 1, kNo };
    explicit CDeleteCharGump(const char* characterName);
    ~CDeleteCharGump() override;
    bool HitTest(int x, int y) override;
    void HandleButtonPress(int id) override;
};
