/** @file The game-phase handlers' state and the installed window and render services. */
#include "client/net/game_services.h"
#include "client/net/game_state.h"

PartyMember* PartyState::find(uint32_t serial)
{
    if (serial == 0)
        return nullptr;
    for (PartyMember& member : members)
        if (member.serial == serial)
            return &member;
    return nullptr;
}

void PartyState::clear()
{
    members = {};
}

GameState& Game()
{
    static GameState state;
    return state;
}

void ResetGameState()
{
    Game() = GameState{};
}

namespace {

GameWindowServices g_defaultWindows;
GameWindowServices* g_windows = &g_defaultWindows;
GameRenderServices g_defaultRender;
GameRenderServices* g_render = &g_defaultRender;

} // namespace

void SetGameWindowServices(GameWindowServices* services)
{
    g_windows = services != nullptr ? services : &g_defaultWindows;
}

GameWindowServices& gameWindows()
{
    return *g_windows;
}

void SetGameRenderServices(GameRenderServices* services)
{
    g_render = services != nullptr ? services : &g_defaultRender;
}

GameRenderServices& gameRender()
{
    return *g_render;
}
