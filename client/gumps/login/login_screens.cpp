/** @file The main menu, the account login, the shard screen and the character screen. */
#include "client/gumps/login/login_screens.h"

#include "client/core/app.h"
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/hw_profile.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/core/player_files.h"
#include "client/data/font_manager.h"
#include "client/data/gump_art.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/mouse_manager.h"
#include "client/gumps/framework/thumb_gump.h"
#include "client/gumps/framework/toggle_control_gump.h"
#include "client/gumps/login/login_flow.h"
#include "client/net/client_sock.h"
#include "client/net/login_lists.h"
#include "client/net/packet_builders.h"
#include "client/net/packet_table.h"
#include "client/net/server_sessions.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

uint32_t tickNow()
{
    return platform::current().clock->tickCount();
}


} // namespace

// ---- Main menu ------------------------------------------------------------------------------

CMainMenuGump::CMainMenuGump() : CLoginScreenGump("MainMenu gump", 5500)
{
    g_bInGame = false;
    if (configHooks().setPlaySize)
        configHooks().setPlaySize(640, 480);
    CGumpManager::ResetDC();
    GumpBitmap& bitmap = Bitmap();
    TileArtInto(bitmap, 3604);
    DrawArtInto(bitmap, 5500, 0, 0);
    DrawArtInto(bitmap, 5536, 0, 4);

    auto* login = new CAcctLoginGump();
    loginState().acctLogin = login;
    if (loginState().accountName[0] != 0)
        login->account->SetText(loginState().accountName);
    if (RememberAcctPW != 0)
        login->password->SetText(loginState().password);
    login->AttachToParent(this);
    AddLoginScreenButtons(this);
    loginState().mainMenu = this;
    Redraw();
}

CMainMenuGump::~CMainMenuGump()
{
    if (loginState().mainMenu == this)
        loginState().mainMenu = nullptr;
}

void CMainMenuGump::OnMouseOver(int, int)
{
    MouseManager::SetCursor(MouseManager::kNormalCursor);
}

// ---- Account login --------------------------------------------------------------------------

CAcctLoginGump::CAcctLoginGump() : CLoginScreenGump("AcctLogin gump", 1040)
{
    GumpBitmap& bitmap = Bitmap();
    DrawFrameInto(bitmap, 5054, 128, 288, 451, 157);
    DrawArtInto(bitmap, 1418, 286, 45);
    DrawTextInto(bitmap, 2, 847, 250, 303, "Log in to Tavorn Vevovo");
    char version[96];
    std::snprintf(version, sizeof version, "KZ Version %s.", CVersionManager::GetVersionString());
    DrawTextInto(bitmap, 9, 846, 283, 453, version);
    DrawTextInto(bitmap, 2, 847, 180, 343, "Account Name");
    account = new CInputControlGump(328, 343, this, 210, 30, CInputControlGump::ModeText, 16, 5, 847, 1, 0, 0);
    account->toolTipOverride = 100009;
    DrawTextInto(bitmap, 2, 847, 180, 383, "Password");
    password = new CInputControlGump(328, 383, this, 210, 30, CInputControlGump::ModeText, 16, 5, 847, 1, 0, 0);
    password->password = 1;
    password->toolTipOverride = 100010;
    password->SetHighlighted(1);

    const bool remember = RememberAcctPW != 0;
    if (remember) {
        PasswordNoStore = 0;
    } else {
        PasswordNoStore = 1;
        RememberAcctPW = 0;
    }
    DrawTextInto(bitmap, 9, remember ? 902 : 995, 348, 419, "Save Password");
    savePassword = new CToggleControlGump(328, 417, this, 210, 211, 9, 902, nullptr, remember ? 1 : 0, 210, 211);
    savePassword->disabled = remember ? 0 : 1;
    savePassword->toolTipOverride = 1053;
    savePassword->Redraw();
    if (!remember) {
        // The no-store flag is set: these writes remove the three lines.
        saveConfigDirectiveMainFile(CFG_RememberAcctPW, "no");
        saveConfigDirectiveMainFile(CFG_AcctPassword, "");
        saveConfigDirectiveMainFile(CFG_NumPassTries, "-1");
    }
    arrow = AddArtButton(this, 610, 445, 5540, 5541, 5542, kArrow, 100008);
    AddLoginScreenButtons(this);
    CGumpManager::SetFocus(password);
}

CAcctLoginGump::~CAcctLoginGump()
{
    if (loginState().acctLogin == this)
        loginState().acctLogin = nullptr;
}

bool CAcctLoginGump::HitTest(int px, int py)
{
    return px >= 0 && py >= 0 && px < width && py < height;
}

void CAcctLoginGump::OnChildTab()
{
    CInputControlGump* next = CGumpManager::Focus() == account ? password : account;
    CInputControlGump* other = next == account ? password : account;
    CGumpManager::KillFocus();
    other->SetHighlighted(0);
    next->SetHighlighted(1);
    CGumpManager::SetFocus(next);
}

void CAcctLoginGump::OnChildEnter()
{
    RunLoginStep(this);
}

void CAcctLoginGump::OnChildEscape()
{
    ReturnToMainMenu(this);
}

void CAcctLoginGump::OnChildPress(CGump* child)
{
    if (child != account && child != password)
        return;
    auto* field = static_cast<CInputControlGump*>(child);
    CInputControlGump* other = field == account ? password : account;
    other->SetHighlighted(0);
    field->SetHighlighted(1);
}

void CAcctLoginGump::Update()
{
    arrow->hoverArt = !account->Text().empty() && !password->Text().empty() ? 5541 : 0;
    CLoginScreenGump::Update();
}

void CAcctLoginGump::HandleButtonPress(int id)
{
    if (id == kArrow)
        RunLoginStep(this);
    else
        CLoginScreenGump::HandleButtonPress(id);
}

// ---- Shard list -----------------------------------------------------------------------------

CScrollChoiceGump::CScrollChoiceGump(CGump* ownerGump, int frame, int x0, int y0, int w, int h, int value, int sort,
                                     int wide)
{
    name = "ScrollChoice gump";
    x = x0;
    y = y0;
    width = w;
    height = h;
    owner = ownerGump;
    frameArt = frame;
    ownerValue = value;
    sortButtons = sort;
    wideText = wide;
    if (sort != 0) {
        listLeft = 74, listTop = 10, listRight = w - 30, listBottom = h - 67;
        columnX = w - 19, columnTop = 1, columnBottom = h - 68;
    } else {
        listLeft = 20, listTop = 10, listRight = w - 20, listBottom = h - 30;
        columnX = w - 19, columnTop = 1, columnBottom = h - 20;
    }
    SetFrameCount(1);
    MakeFrame(0, w, h);
    auto* up = new CButtonGump(columnX - 1, columnTop, this, CButtonGump::Repeat, 0, &CGump::ForwardButtonPress, 250,
                               251, 0);
    up->buttonId = kUp;
    up->reportId = 1;
    auto* down = new CButtonGump(columnX - 1, columnBottom, this, CButtonGump::Repeat, 0, &CGump::ForwardButtonPress,
                                 252, 253, 0);
    down->buttonId = kDown;
    down->reportId = 1;
    new CThumbGump(columnX, columnTop + 21, this, 1, std::max(columnBottom - 21, columnTop + 21), 254);
    if (sort != 0) {
        AddArtButton(this, 80, h - 40, 2363, 2365, 2364, kSort1, 100060);
        AddArtButton(this, 188, h - 40, 2366, 2368, 2367, kSort2, 100059);
        AddArtButton(this, 296, h - 40, 2369, 2371, 2370, kSort3, 100058);
    }
    if (ownerGump != nullptr)
        AttachToParent(ownerGump);
}

CScrollChoiceGump::~CScrollChoiceGump() = default;

void CScrollChoiceGump::AddItem(int id, const char* text, uint16_t colour)
{
    if (entries.size() >= 100)
        return;
    Entry entry;
    entry.id = id;
    entry.text = std::string(text != nullptr ? text : "").substr(0, 79);
    entry.colour = colour;
    entries.push_back(std::move(entry));
}

void CScrollChoiceGump::RenderList()
{
    GumpBitmap* bitmap = Frame(0);
    if (bitmap == nullptr)
        return;
    std::fill(bitmap->pixels.begin(), bitmap->pixels.end(), 0);
    DrawFrameInto(*bitmap, frameArt, 0, 0, width - 20, sortButtons != 0 ? height - 45 : height);
    // The scroll column: top cap, repeated middle, bottom piece ending at the down button.
    DrawArtInto(*bitmap, 257, columnX, columnTop);
    int32_t mw = 0, mh = 0;
    GetGumpArtSize(256, &mw, &mh);
    for (int yy = columnTop + 21; mh > 0 && yy < columnBottom; yy += mh)
        DrawArtInto(*bitmap, 256, columnX, yy);
    int32_t bw = 0, bh = 0;
    GetGumpArtSize(255, &bw, &bh);
    DrawArtInto(*bitmap, 255, columnX, columnBottom - bh);
    if (!caption.empty())
        DrawWrappedTextInto(*bitmap, 6, 0, 28, height - 88, width - 40, caption.c_str());
    if (sortButtons != 0)
        DrawTextInto(*bitmap, 9, 1153, 0, height - 40, "Sort by:");
    int32_t rw = 0, rowHeight = 0, baseline = 0;
    FontManager::GetStringExtent(font, "Aq", &rw, &rowHeight, &baseline);
    if (rowHeight <= 0)
        rowHeight = 1;
    int yy = listTop;
    for (int i = firstVisible; i < static_cast<int>(entries.size()) && yy + rowHeight <= listBottom; ++i) {
        const Entry& entry = entries[static_cast<size_t>(i)];
        if (sortButtons != 0) {
            static constexpr int kMarkArt[3] = {2360, 2361, 2362};
            static constexpr int kMarkX[3] = {26, 40, 54};
            for (int k = 0; k < 3; ++k)
                if (markedIds[k] == entry.id)
                    DrawArtInto(*bitmap, kMarkArt[k], kMarkX[k], yy);
        }
        const int colour = i == hoverRow ? 53 : entry.colour != 0 ? entry.colour : 902;
        // Cut with "..." to the list's width.
        std::string shown = entry.text;
        const int room = listRight - listLeft;
        if (FontManager::GetStringWidthN(font, static_cast<int32_t>(shown.size()), shown.c_str()) > room) {
            while (!shown.empty() &&
                   FontManager::GetStringWidthN(font, static_cast<int32_t>(shown.size() + 3), (shown + "...").c_str()) >
                       room)
                shown.pop_back();
            shown += "...";
        }
        DrawTextInto(*bitmap, font, colour, listLeft, yy, shown.c_str());
        yy += rowHeight;
    }
    CGumpManager::AddDirty(ScreenRect());
}

int CScrollChoiceGump::RowAt(int px, int py) const
{
    if (px < listLeft || px >= listRight || py < listTop || py >= listBottom)
        return -1;
    int32_t rw = 0, rowHeight = 0, baseline = 0;
    FontManager::GetStringExtent(font, "Aq", &rw, &rowHeight, &baseline);
    if (rowHeight <= 0)
        return -1;
    const int row = firstVisible + (py - listTop) / rowHeight;
    return row < static_cast<int>(entries.size()) ? row : -1;
}

bool CScrollChoiceGump::HitTest(int px, int py)
{
    return visible != 0 && px >= 0 && py >= 0 && px < width && py < height;
}

void CScrollChoiceGump::OnMouseOver(int px, int py)
{
    const int row = RowAt(px, py);
    if (row != hoverRow) {
        hoverRow = row;
        RenderList();
    }
    MouseManager::SetCursor(MouseManager::kNormalCursor);
}

void CScrollChoiceGump::OnMouseLeave()
{
    if (hoverRow != -1) {
        hoverRow = -1;
        RenderList();
    }
    CGump::OnMouseLeave();
}

void CScrollChoiceGump::OnLButtonDown(int px, int py)
{
    const uint32_t now = tickNow();
    clickCount = pressed != 0 && now - clickTime < MouseManager::DoubleClickTime() ? 2 : 1;
    clickTime = now;
    pressed = 1;
    pressX = px;
    pressY = py;
    tickParity = 0;
    const int row = RowAt(px, py);
    if (row >= 0)
        Choose(row);
}

void CScrollChoiceGump::OnLButtonUp(int, int)
{
    pressed = 0;
    if (MouseManager::Capture() == this)
        MouseManager::SetCapture(nullptr);
}

void CScrollChoiceGump::OnRButtonUp(int px, int py)
{
    OnLButtonUp(px, py);
    if (closeAllowed != 0) {
        noChoice = 1;
        CGumpManager::DestroyGump(this);
    }
}

void CScrollChoiceGump::OnMouseTick()
{
    if (pressed == 0 || closing)
        return;
    if (++tickParity % 2 != 0)
        return;
    const int row = RowAt(pressX, pressY);
    if (row >= 0)
        Choose(row);
}

void CScrollChoiceGump::OnThumbMove(int position, int range, CGump*)
{
    if (range <= 0 || entries.empty())
        return;
    firstVisible = std::min(position * static_cast<int>(entries.size()) / range, static_cast<int>(entries.size()) - 1);
    RenderList();
}

void CScrollChoiceGump::HandleButtonPress(int id)
{
    switch (id) {
    case kUp:
        firstVisible = std::max(firstVisible - 1, 0);
        break;
    case kDown:
        firstVisible = std::min(firstVisible + 1, std::max(static_cast<int>(entries.size()) - 1, 0));
        break;
    case kSort1:
    case kSort2:
    case kSort3:
        SortBy(id - kSort1 + 1);
        break;
    default:
        return;
    }
    RenderList();
}

void CScrollChoiceGump::SortBy(int key)
{
    std::vector<ScreenShard> shards = screenLists().shards;
    if (key == 3)
        KZReport::message("Shard ping times are not measured; the ping order is the list's order.\n");
    auto keyOf = [key](const ScreenShard& s) -> int { return key == 1 ? s.sortKey1 : key == 2 ? s.sortKey2 : s.ping; };
    // A selection sort over the table order; shards of status '2' are never picked and so end last.
    for (size_t i = 0; i + 1 < shards.size(); ++i) {
        size_t best = shards.size();
        for (size_t j = i; j < shards.size(); ++j) {
            if (shards[j].status == '2')
                continue;
            if (best == shards.size() || keyOf(shards[j]) < keyOf(shards[best]))
                best = j;
        }
        if (best != shards.size())
            std::swap(shards[i], shards[best]);
    }
    entries.clear();
    for (const ScreenShard& shard : shards)
        AddItem(shard.id, shard.name.empty() ? "Unknown Server" : shard.name.c_str(), 0);
    markedIds[key - 1] = entries.empty() ? -1 : entries.front().id;
    firstVisible = 0;
}

void CScrollChoiceGump::Choose(int index)
{
    if (index < 0 || index >= static_cast<int>(entries.size()))
        return;
    const Entry entry = entries[static_cast<size_t>(index)];
    if (target != nullptr) {
        target->value = entry.id;
        target->SetText(entry.text);
        if (CGump* targetOwner = target->Parent())
            targetOwner->OnChildChanged(target);
        CGumpManager::DestroyGump(this);
        return;
    }
    noChoice = 0;
    SelectShard(entry.id);
}

// ---- Shard screen ---------------------------------------------------------------------------

const ScreenShard* FindShard(int id)
{
    for (const ScreenShard& shard : screenLists().shards)
        if (shard.id == id && !shard.name.empty())
            return &shard;
    return nullptr;
}

CThalMapGump::CThalMapGump() : CLoginScreenGump("ThalMap gump", 5528)
{
    CGumpManager::SetFocus(this);
    const std::vector<ScreenShard>& shards = screenLists().shards;
    if (FindShard(LastServerID) != nullptr)
        currentShard = LastServerID;
    else if (!shards.empty())
        currentShard = shards.front().id;
    if (const ScreenShard* shard = FindShard(currentShard))
        CopyConfigText(shardName, shard->name.c_str());
    GumpBitmap& bitmap = Bitmap();
    TileArtInto(bitmap, 3604);
    DrawArtInto(bitmap, 5536, 0, 4);
    DrawArtInto(bitmap, 1417, 150, 390);
    DrawTextInto(bitmap, 9, 1153, 230, 60, "Select which shard to play on:");
    list = new CScrollChoiceGump(this, 3500, 150, 90, 400, 316, 0, 1, 0);
    list->closeAllowed = 0;
    AddArtButton(this, 160, 400, 5608, 5609, 5610, kChoose, 100015);
    AddArtButton(this, 610, 445, 5540, 5541, 5542, kArrow, 100019);
    AddArtButton(this, 586, 445, 5537, 5538, 5539, kBack, 100018);
    DrawShardName();
}

CThalMapGump::~CThalMapGump() = default;

void CThalMapGump::DrawShardName()
{
    GumpBitmap& bitmap = Bitmap();
    FillInto(bitmap, 240, 418, 160, 30, 0);
    DrawTextInto(bitmap, 9, 1153, 240, 418, shardName);
    Redraw();
}

void CThalMapGump::OnChildEnter()
{
    HandleButtonPress(kArrow);
}

void CThalMapGump::HandleButtonPress(int id)
{
    switch (id) {
    case kChoose:
    case kArrow:
        if (FindShard(currentShard) != nullptr) {
            list->noChoice = 0;
            SelectShard(currentShard);
        }
        break;
    case kBack:
        ReturnToMainMenu(this);
        break;
    default:
        CLoginScreenGump::HandleButtonPress(id);
    }
}

void SelectShard(int id)
{
    const ScreenShard* shard = FindShard(id);
    CopyConfigText(ShardName, shard != nullptr ? shard->name.c_str() : "");
    char text[16];
    std::snprintf(text, sizeof text, "%d", id);
    LastServerID = id;
    saveConfigDirective(CFG_LastServerID, text);
    SendSelectServer(static_cast<uint16_t>(id));
    loginState().chosenShard = id;
    ShowLoginMessage("Connecting... ", nullptr, 0);
    // The map gump goes with its list.
    for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling()) {
        if (auto* map = dynamic_cast<CThalMapGump*>(g)) {
            if (map->list != nullptr)
                map->list->noChoice = 0;
            CGumpManager::DestroyGump(map);
            break;
        }
    }
}

// ---- Character screen -----------------------------------------------------------------------

namespace {
int frameW()
{
    int32_t w = 0, h = 0;
    GetGumpArtSize(2600, &w, &h);
    return w;
}
int frameH()
{
    int32_t w = 0, h = 0;
    GetGumpArtSize(2600, &w, &h);
    return h;
}
} // namespace

CLoginGump::CLoginGump() : CLoginScreenGump("Login gump", 1100)
{
    const int w = frameW(), h = frameH();
    GumpBitmap& bitmap = Bitmap();
    TileArtInto(bitmap, 3604);
    DrawArtInto(bitmap, 5536, 0, 4);
    DrawFrameInto(bitmap, 2600, 160, 70, 2 * w + 320, 2 * h + 255);
    DrawTextInto(bitmap, 2, 847, w + 220, h + 60, "Character Selection");
    selected = std::clamp(DefaultChar, 0, 4);
    static constexpr int kSlotY[5] = {150, 190, 230, 270, 310};
    for (int i = 0; i < 5; ++i) {
        slots[i] = new CInputControlGump(w + 180, kSlotY[i], this, 280, 30, CInputControlGump::ModeText, 30, 5, 902, 0, 0, 0);
        slots[i]->toolTipOverride = 100023;
        slots[i]->leftMargin = i == 3 ? 11 : 22;
        slots[i]->SetHighlighted(i == selected ? 1 : 0);
    }
    AddArtButton(this, w + 180, 350, 5533, 5534, 5535, kNew, 100025);
    AddArtButton(this, w + 398, 350, 5530, 5531, 5532, kDelete, 100024);
    AddArtButton(this, 610, 445, 5540, 5541, 5542, kArrow, 100027);
    AddArtButton(this, 586, 445, 5537, 5538, 5539, kBack, 100026);
    AddLoginScreenButtons(this);
    loginState().characterScreen = this;
}

CLoginGump::~CLoginGump()
{
    if (loginState().characterScreen == this)
        loginState().characterScreen = nullptr;
}

void CLoginGump::AddCharacter(const char* characterName, int key)
{
    if (characterName == nullptr || characterName[0] == 0 || count >= 5)
        return;
    CInputControlGump* slot = slots[count];
    slot->SetText(characterName);
    slot->toolTipOverride = 100022;
    keys[count] = key;
    ++count;
}

void CLoginGump::RemoveCharacter(int key)
{
    int at = -1;
    for (int i = 0; i < count; ++i)
        if (keys[i] == key)
            at = i;
    if (at < 0)
        return;
    for (int i = at; i + 1 < count; ++i) {
        slots[i]->SetText(slots[i + 1]->Text());
        keys[i] = keys[i + 1];
        slots[i]->toolTipOverride = 100022;
    }
    CInputControlGump* last = slots[count - 1];
    last->SetText("");
    last->toolTipOverride = 100023;
    keys[count - 1] = -1;
    --count;
}

void CLoginGump::SelectSlot(int slot)
{
    if (slot < 0 || slot > 4)
        return;
    slots[selected]->SetHighlighted(0);
    selected = slot;
    slots[selected]->SetHighlighted(1);
}

void CLoginGump::OnMouseOver(int, int)
{
    for (CInputControlGump* slot : slots)
        slot->Redraw();
    MouseManager::SetCursor(MouseManager::kNormalCursor);
}

void CLoginGump::OnChildEnter()
{
    PlaySelected();
}

void CLoginGump::OnChildEscape()
{
    CGumpManager::DestroyGump(this);
    loginState().characterScreen = nullptr;
    if (CClientSock* main = ActiveConnection()) {
        uint8_t packet[8];
        BuildDisconnectPacket(packet);
        SendOnMainConnection(packet);
        main->SetBlocking();
        main->Flush();
        main->SetNonBlocking();
    }
    if (CGump* menu = loginState().mainMenu)
        CGumpManager::DestroyGump(menu);
    loginState().mainMenu = nullptr;
    (new CMainMenuGump())->AttachToParent(nullptr);
    ResetLoginProgress();
    if (CClientSock* main = ActiveConnection())
        main->Close();
    SetMainWindowTitle("");
}

void CLoginGump::OnChildPress(CGump* child)
{
    for (int i = 0; i < 5; ++i)
        if (slots[i] == child)
            SelectSlot(i);
}

void CLoginGump::OnChildDoubleClick(CGump* child)
{
    OnChildPress(child);
    if (!slots[selected]->Text().empty())
        PlaySelected();
    else
        NewCharacterCallback(this);
}

void CLoginGump::HandleButtonPress(int id)
{
    switch (id) {
    case kNew:
        NewCharacterCallback(this);
        break;
    case kDelete:
        DeleteSelected();
        break;
    case kArrow:
        PlaySelected();
        break;
    case kBack:
        if (CClientSock* main = ActiveConnection())
            main->Close();
        if (ConnectWithProgress(this))
            SendAccountLoginWithProgress(loginState().accountName, loginState().password);
        break;
    default:
        CLoginScreenGump::HandleButtonPress(id);
    }
}

namespace {

/** Step 3 of playing: the name and slot are recorded and the play request goes out. */
void playCharacter(CLoginGump* screen, const char* password)
{
    const int slot = screen->selected;
    const std::string characterName = screen->slots[slot]->Text();
    LoginState& state = loginState();
    CopyConfigText(state.characterName, characterName.c_str());
    CopyConfigText(PlayerName, characterName.c_str());
    state.loginSlot = screen->keys[slot];
    char text[16];
    std::snprintf(text, sizeof text, "%d", slot);
    DefaultChar = slot;
    saveConfigDirective(CFG_PlayerName, characterName.c_str());
    saveConfigDirective(CFG_DefaultChar, text);
    saveConfigDirectiveMainFile(CFG_PlayerName, characterName.c_str());
    saveConfigDirectiveMainFile(CFG_DefaultChar, text);
    const int key = state.loginSlot;
    if (key >= 0 && key < 5) {
        state.valuePair[0] = screenLists().characters[key].values[0];
        state.valuePair[1] = screenLists().characters[key].values[1];
    }
    screen->visible = 0;
    SendPlayCharacter(characterName.c_str(), password, static_cast<uint32_t>(key));
}

} // namespace

void CLoginGump::PlaySelected()
{
    if (slots[selected]->Text().empty()) {
        visible = 0;
        ShowLoginMessage("No character to login with.", this, 1);
        return;
    }
    const int key = keys[selected];
    if (key >= 0 && key < 5 && !screenLists().characters[key].password.empty()) {
        visible = 0;
        (new CPlayCharGump(slots[selected]->Text().c_str()))->AttachToParent(nullptr);
        return;
    }
    playCharacter(this, "");
}

void CLoginGump::DeleteSelected()
{
    if (slots[selected]->Text().empty()) {
        ShowLoginMessage("No character to delete.", this, 1);
        return;
    }
    visible = 0;
    (new CDeleteCharGump(slots[selected]->Text().c_str()))->AttachToParent(nullptr);
}

// ---- Questions ------------------------------------------------------------------------------

CPlayCharGump::CPlayCharGump(const char* characterName)
{
    name = "PlayChar gump";
    x = 121;
    y = 102;
    int32_t w = 0, h = 0;
    GetGumpArtSize(1140, &w, &h);
    width = std::max<int>(w, 1);
    height = std::max<int>(h, 1);
    SetFrameCount(1);
    GumpBitmap* bitmap = MakeFrame(0, width, height);
    DrawArtInto(*bitmap, 1140, 0, 0);
    char text[96];
    std::snprintf(text, sizeof text, "Play as %s?", characterName);
    DrawWrappedTextInto(*bitmap, 2, 902, 60, 50, std::max(width - 120, 1), text);
    DrawTextInto(*bitmap, 2, 902, 60, 105, "Password");
    DrawArtInto(*bitmap, 1141, 60, 130);
    int32_t fw = 0, fh = 0;
    GetGumpArtSize(1141, &fw, &fh);
    password = new CInputControlGump(60, 130, this, std::max<int>(fw, 150), std::max<int>(fh, 24), CInputControlGump::ModeText, 30, 1, 902, 1, 0, 0);
    password->password = 1;
    password->SetHighlighted(1);
    AddArtButton(this, 117, 190, 1147, 1149, 1148, kOk);
    AddArtButton(this, 204, 190, 1144, 1146, 1145, kCancel);
    CGumpManager::SetFocus(password);
}

CPlayCharGump::~CPlayCharGump()
{
    if (CLoginGump* screen = loginState().characterScreen)
        screen->visible = 1;
}

bool CPlayCharGump::HitTest(int px, int py)
{
    return visible != 0 && px >= 0 && py >= 0 && px < width && py < height;
}

void CPlayCharGump::OnRButtonUp(int, int)
{
    CGumpManager::DestroyGump(this);
}

void CPlayCharGump::OnChildEnter()
{
    HandleButtonPress(kOk);
}

void CPlayCharGump::OnChildEscape()
{
    CGumpManager::DestroyGump(this);
}

void CPlayCharGump::HandleButtonPress(int id)
{
    if (id == kCancel) {
        CGumpManager::DestroyGump(this);
        return;
    }
    if (id != kOk)
        return;
    CLoginGump* screen = loginState().characterScreen;
    if (screen == nullptr || screen->slots[screen->selected]->Text().empty()) {
        ShowLoginMessage("No character to login with.", screen, 1);
        return;
    }
    const std::string typed = password->Text();
    CopyConfigText(loginState().characterPassword, typed.c_str());
    CGumpManager::DestroyGump(this);
    playCharacter(screen, typed.c_str());
}

CDeleteCharGump::CDeleteCharGump(const char* characterName)
{
    name = "DeleteChar gump";
    const int w = frameW(), h = frameH();
    width = 2 * w + 268;
    height = 2 * h + 124;
    x = (640 - width) / 2;
    y = (480 - height) / 2;
    SetFrameCount(1);
    GumpBitmap* bitmap = MakeFrame(0, width, height);
    DrawFrameInto(*bitmap, 2600, 0, 0, width, height);
    char text[96];
    std::snprintf(text, sizeof text, "Permanently delete %s?", characterName);
    DrawWrappedTextInto(*bitmap, 2, 902, 60, 50, std::max(width - 120, 1), text);
    int32_t bw = 0, bh = 0;
    GetGumpArtSize(1150, &bw, &bh);
    const int t = (width - 4 * bw) / 2;
    AddArtButton(this, t, height - 2 * bh, 1153, 1154, 1155, kYes);
    AddArtButton(this, t + 3 * bw, height - 2 * bh, 1150, 1151, 1152, kNo);
}

CDeleteCharGump::~CDeleteCharGump()
{
    if (CLoginGump* screen = loginState().characterScreen)
        screen->visible = 1;
}

bool CDeleteCharGump::HitTest(int px, int py)
{
    return visible != 0 && px >= 0 && py >= 0 && px < width && py < height;
}

void CDeleteCharGump::HandleButtonPress(int id)
{
    if (id == kNo) {
        CGumpManager::DestroyGump(this);
        return;
    }
    if (id != kYes)
        return;
    CLoginGump* screen = loginState().characterScreen;
    if (screen == nullptr || screen->slots[screen->selected]->Text().empty()) {
        ShowLoginMessage("No character to delete.", screen, 1);
        CGumpManager::DestroyGump(this);
        return;
    }
    const int key = screen->keys[screen->selected];
    CGumpManager::DestroyGump(this);
    screen->visible = 0;
    ShowLoginMessage("Deleting character... ", screen, 0);
    uint8_t packet[64];
    // The question asks for no password: the character's own password text goes in its field.
    BuildDeleteCharacterPacket(packet, static_cast<uint32_t>(key),
                               key >= 0 && key < 5 ? screenLists().characters[key].password.c_str() : "");
    SendOnMainConnection(packet);
}
