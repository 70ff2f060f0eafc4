/** @file The login screens as the login list handlers see them. */
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/message_gumps.h"
#include "client/gumps/login/creation_screens.h"
#include "client/gumps/login/login_flow.h"
#include "client/gumps/login/login_screens.h"
#include "client/net/login_lists.h"

#include <algorithm>

namespace {

std::function<void()>& worldEntryHandler()
{
    static std::function<void()> handler;
    return handler;
}

CGump* ownerOf(LoginGump gump)
{
    switch (gump) {
    case LoginGump::AccountLogin:
        return loginState().acctLogin;
    case LoginGump::Characters:
        return loginState().characterScreen;
    case LoginGump::ShardList:
        break;
    }
    return nullptr;
}

/** The shards in the order the handler sorted them, each with the id and colour of its list row. */
void takeShards()
{
    const LoginLists& lists = TheLoginLists();
    std::vector<ScreenShard> shards;
    auto take = [&](const ShardEntry& entry) {
        ScreenShard shard;
        shard.id = entry.listId;
        shard.name = entry.name;
        shard.colour = static_cast<uint16_t>(entry.listValue);
        // The wire carries no sort bytes and no status: they keep their defaults.
        shards.push_back(std::move(shard));
    };
    if (lists.shardOrder.size() == lists.shards.size()) {
        for (size_t at : lists.shardOrder)
            if (at < lists.shards.size())
                take(lists.shards[at]);
    } else {
        for (const ShardEntry& entry : lists.shards)
            take(entry);
    }
    screenLists().shards = std::move(shards);
}

/** The character slots and the start cities; the per-character values are not on the wire (0). */
void takeCharacters()
{
    const LoginLists& lists = TheLoginLists();
    for (size_t i = 0; i < 5; ++i) {
        screenLists().characters[i].name = lists.characters[i].name;
        screenLists().characters[i].password = lists.characters[i].password;
        screenLists().characters[i].values[0] = 0;
        screenLists().characters[i].values[1] = 0;
    }
    screenLists().haveCities = lists.cityListArrived;
    screenLists().cityIndexes.clear();
    for (const StartCity& city : lists.cities)
        screenLists().cityIndexes.push_back(city.index);
}

void closeGump(CGump* gump)
{
    if (gump != nullptr && IsLiveGump(gump))
        CGumpManager::DestroyGump(gump);
}

class LoginScreens final : public LoginScreenServices {
public:
    void ShowWaiting(const char* text) override { ShowLoginMessage(text, nullptr, 0); }
    void CloseWaiting() override { ClosePendingLoginGump(); }
    void SetHold(LoginGump, bool hold) override { loginState().holdFlag = hold ? 1 : 0; }
    void ShowMessage(const char* text, LoginGump owner, bool closing) override
    {
        CGump* gump = ownerOf(owner);
        if (gump != nullptr)
            gump->visible = 0;
        ShowLoginMessage(text, gump, 1, closing ? 1 : 0);
    }
    void ShowShards() override
    {
        takeShards();
        OpenShardScreen();
    }
    bool CharacterGumpOpen() override { return loginState().characterScreen != nullptr; }
    void CloseCharacterGump() override
    {
        closeGump(loginState().characterScreen);
        loginState().characterScreen = nullptr;
    }
    void ShowCharacters() override
    {
        takeCharacters();
        if (loginState().characterScreen != nullptr)
            RefreshCharacterScreen();
        else
            OpenCharacterScreen();
    }
    void StartCharacterCreation() override
    {
        takeCharacters();
        OpenCharacterScreen();
    }
    void RemoveCharacter(int32_t slot) override
    {
        CLoginGump* screen = loginState().characterScreen;
        if (screen == nullptr)
            return;
        screen->RemoveCharacter(slot);
        screen->SelectSlot(std::max(screen->selected - 1, 0));
    }
    void EnterOnCharacterGump() override
    {
        if (CLoginGump* screen = loginState().characterScreen)
            screen->OnChildEnter();
    }
    void CloseLoginFlowGumps(bool) override { ClosePendingLoginGump(); }
    void CloseLoginProgress() override { ClosePendingLoginGump(); }
    void EnteredWorld() override
    {
        CloseLoginScreens();
        if (worldEntryHandler())
            worldEntryHandler()();
    }
};

} // namespace

void CloseLoginScreens()
{
    LoginState& state = loginState();
    ClosePendingLoginGump();
    CGump* screens[] = {state.mainMenu, state.characterScreen, state.profession, state.creation, state.city};
    for (CGump* gump : screens)
        closeGump(gump);
    for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
        if (dynamic_cast<CThalMapGump*>(g) != nullptr)
            closeGump(g);
    state.mainMenu = nullptr;
    state.acctLogin = nullptr;
    state.characterScreen = nullptr;
    state.profession = nullptr;
    state.creation = nullptr;
    state.city = nullptr;
}

void SetWorldEntryHandler(std::function<void()> handler)
{
    worldEntryHandler() = std::move(handler);
}

void InstallLoginScreens()
{
    static LoginScreens screens;
    SetLoginScreenServices(&screens);
    CWaitingGump::SetOkHandler(&MessageGumpOkCallback);
}
