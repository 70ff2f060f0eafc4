/** @file The steps of the login flow. */
#include "client/gumps/login/login_flow.h"

#include "client/core/app.h"
#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/core/player_files.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/toggle_control_gump.h"
#include "client/gumps/login/creation_screens.h"
#include "client/gumps/login/login_screens.h"
#include "client/net/client_sock.h"
#include "client/net/login_lists.h"
#include "client/net/packet_builders.h"
#include "client/net/packet_table.h"
#include "client/net/server_sessions.h"

#include <cstdio>
#include <cstring>

void SendOnMainConnection(const uint8_t* packet)
{
    if (CPacketSink* main = MainConnection())
        main->SendPacket(packet, PacketTableLength(packet[0]));
}

namespace {

/** Opens a fresh main menu at the top level, deleting the current one (and the caller with it). */
void freshMainMenu(CGump* caller)
{
    CGump* menu = loginState().mainMenu;
    if (caller != nullptr && caller != menu && !(menu != nullptr && caller->IsDescendantOf(menu)))
        CGumpManager::DestroyGump(caller);
    if (menu != nullptr)
        CGumpManager::DestroyGump(menu);
    loginState().mainMenu = nullptr;
    loginState().acctLogin = nullptr;
    (new CMainMenuGump())->AttachToParent(nullptr);
}

} // namespace

CGump* ShowLoginMessage(const char* text, CGump* owner, int okButton, int returnToMainMenu)
{
    ClosePendingLoginGump();
    KZReport::message("Login screens: %s\n", text);
    CGump* gump = CGumpManager::ShowMessageGump(text, owner, okButton, returnToMainMenu, 0);
    loginState().pending = gump;
    return gump;
}

void ClosePendingLoginGump()
{
    CGump* pending = loginState().pending;
    loginState().pending = nullptr;
    if (pending != nullptr && IsLiveGump(pending))
        CGumpManager::DestroyGump(pending);
}

void MessageGumpOkCallback(CGump* message, CGump* owner, int returnToMainMenu)
{
    if (owner != nullptr && IsLiveGump(owner))
        owner->visible = 1;
    if (loginState().pending == message)
        loginState().pending = nullptr;
    if (returnToMainMenu != 0) {
        if (message != nullptr && IsLiveGump(message))
            CGumpManager::DestroyGump(message);
        LogoutToMainMenu();
    } else if (message != nullptr && IsLiveGump(message)) {
        CGumpManager::DestroyGump(message);
    }
}

bool ConnectWithProgress(CGump* owner)
{
    ShowLoginMessage("Connecting... ", loginState().mainMenu, 0);
    // The connect blocks: this is the last frame until it returns.
    CGumpManager::DrawAllGumps(0, 0, 640, 480, 1);
    const int connected = ConnectToLoginServer();
    ClosePendingLoginGump();
    if (connected == 0) {
        if (owner != nullptr)
            owner->visible = 0;
        ShowLoginMessage("Couldn't connect to Tavorn Vevovo.  Please try again in a few moments.", owner, 1);
        return false;
    }
    return true;
}

void RunLoginStep(CAcctLoginGump* gump)
{
    LoginState& state = loginState();
    AcctLastName[0] = 0;
    CopyConfigText(state.accountName, gump->account->Text().c_str());
    CopyConfigText(state.password, gump->password->Text().c_str());
    const bool ticked = gump->savePassword->ticked != 0;
    const bool save = ticked && PasswordNoStore == 0;
    RememberAcctPW = save ? 1 : 0;
    PasswordNoStore = save ? 0 : 1;
    GlobalQueue = 0;
    saveConfigDirective(CFG_GlobalQueue, "off");

    CClientSock* main = ActiveConnection();
    if (main == nullptr || !main->HasSocket()) {
        gump->visible = 0;
        if (!ConnectWithProgress(gump))
            return;
    }
    CopyConfigText(AcctID, state.accountName);
    CopyConfigText(AcctPassword, state.password);
    SendAccountLoginWithProgress(state.accountName, state.password);
    saveConfigDirective(CFG_AcctID, state.accountName);
    if (PasswordNoStore != 0) {
        RememberAcctPW = 0;
        saveConfigDirective(CFG_RememberAcctPW, "no");
        saveConfigDirective(CFG_AcctPassword, "");
    } else if (save) {
        char stored[32];
        CopyConfigText(stored, state.password);
        EncodeStoredPassword(stored);
        saveConfigDirective(CFG_RememberAcctPW, "yes");
        saveConfigDirective(CFG_AcctPassword, stored);
    } else {
        saveConfigDirective(CFG_RememberAcctPW, "no");
        saveConfigDirective(CFG_AcctPassword, "");
    }
    RememberAcctPW = ticked ? 1 : 0;
    gump->visible = 0;
}

void ReturnToMainMenu(CGump* caller)
{
    freshMainMenu(caller);
    ResetLoginProgress();
    if (CClientSock* main = ActiveConnection())
        main->Close();
    SetMainWindowTitle("");
}

void LogoutToMainMenu()
{
    for (const auto& session : ServerSessions()) {
        if (session->connection == nullptr)
            continue;
        uint8_t packet[8];
        BuildDisconnectPacket(packet);
        session->connection->SendPacket(packet, PacketTableLength(packet[0]));
        ReleaseConnection(session->connection);
    }
    ClearServerSessions();
    g_bInGame = false;
    ResetLoginProgress();
    if (CGump* pending = loginState().pending; pending != nullptr && IsLiveGump(pending))
        pending->visible = 0;
    SetActiveConnection(CreateConnection());
    CGumpManager::CloseWorldGumps();
    SetMainWindowTitle("");
    ShardName[0] = 0;
    loginState().characterName[0] = 0;
    freshMainMenu(nullptr);
}

void ReplayIntro(CGump* caller)
{
    if (CClientSock* main = ActiveConnection()) {
        uint8_t packet[8];
        BuildDisconnectPacket(packet);
        SendOnMainConnection(packet);
        ReleaseConnection(main);
    }
    g_bInGame = false;
    ResetLoginProgress();
    SetActiveConnection(CreateConnection());
    CGump* menu = loginState().mainMenu;
    if (caller != nullptr && caller != menu && !(menu != nullptr && caller->IsDescendantOf(menu)))
        CGumpManager::DestroyGump(caller);
    if (menu != nullptr)
        CGumpManager::DestroyGump(menu);
    loginState().mainMenu = nullptr;
    loginState().acctLogin = nullptr;
    PlayIntroMovie();
    (new CMainMenuGump())->AttachToParent(nullptr);
}

void CreateStartupGumps()
{
    if (loginState().mainMenu != nullptr)
        return;
    (new CMainMenuGump())->AttachToParent(nullptr);
}

void SendAccountLoginWithProgress(const char* account, const char* password)
{
    ShowLoginMessage("Verifying Account...", nullptr, 0);
    SendAccountLogin(account, password, NextLoginKey);
}

void RequestCreateCharacter()
{
    const NewCharacter& c = newCharacter();
    CreateCharacterFields fields;
    fields.name = loginState().characterName;
    fields.password = loginState().characterPassword;
    fields.sex = c.sex;
    fields.strength = c.strength;
    fields.dexterity = c.dexterity;
    fields.intelligence = c.intelligence;
    for (int i = 0; i < 3; ++i) {
        fields.skill[i] = c.skill[i];
        fields.skillValue[i] = c.skillValue[i];
    }
    fields.skinHue = c.skinHue;
    fields.hairItem = c.hairItem;
    fields.hairHue = c.hairHue;
    fields.facialHairItem = c.facialHairItem;
    fields.facialHairHue = c.facialHairHue;
    fields.startLocation = c.startLocation;
    fields.slot = c.slot;
    fields.shirtHue = c.shirtHue;
    fields.pantsHue = c.pantsHue;
    fields.pair[0] = loginState().valuePair[0];
    fields.pair[1] = loginState().valuePair[1];
    SendCreateCharacter(fields);
}

void OpenShardScreen()
{
    ClosePendingLoginGump();
    if (CLoginGump* screen = loginState().characterScreen) {
        CGumpManager::DestroyGump(screen);
        loginState().characterScreen = nullptr;
    }
    loginState().holdFlag = 0;
    auto* map = new CThalMapGump();
    for (const ScreenShard& shard : screenLists().shards)
        map->list->AddItem(shard.id, shard.name.empty() ? "Unknown Server" : shard.name.c_str(), shard.colour);
    map->list->RenderList();
    map->AttachToParent(nullptr);
    AddLoginScreenButtons(map);
}

namespace {

void fillCharacterScreen(CLoginGump* screen)
{
    for (int i = 0; i < 5; ++i) {
        screen->slots[i]->SetText("");
        screen->slots[i]->toolTipOverride = 100023;
        screen->keys[i] = -1;
    }
    screen->count = 0;
    for (int i = 0; i < 5; ++i)
        screen->AddCharacter(screenLists().characters[i].name.c_str(), i);
}

} // namespace

void OpenCharacterScreen()
{
    ClosePendingLoginGump();
    if (CLoginGump* old = loginState().characterScreen)
        CGumpManager::DestroyGump(old);
    auto* screen = new CLoginGump();
    fillCharacterScreen(screen);
    loginState().holdFlag = 0;
    screen->AttachToParent(nullptr);
    if (screen->count == 0)
        NewCharacterCallback(screen);
}

void RefreshCharacterScreen()
{
    CLoginGump* screen = loginState().characterScreen;
    if (screen == nullptr)
        return;
    fillCharacterScreen(screen);
    ClosePendingLoginGump();
    screen->visible = 1;
    loginState().holdFlag = 1;
}

void NewCharacterCallback(CGump*)
{
    CLoginGump* screen = loginState().characterScreen;
    if (screen != nullptr && screen->count >= 5) {
        ShowLoginMessage("You already have 5 characters.", nullptr, 1);
        return;
    }
    if (screen != nullptr)
        screen->visible = 0;
    if (CProfessionGump* profession = loginState().profession) {
        profession->visible = 1;
        return;
    }
    (new CProfessionGump())->AttachToParent(nullptr);
}
