/** @file The game-phase handlers' state and the installed window and effect services. */
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
GameEffectServices g_defaultEffects;
GameEffectServices* g_effects = &g_defaultEffects;

} // namespace

void SetGameWindowServices(GameWindowServices* services)
{
    g_windows = services != nullptr ? services : &g_defaultWindows;
}

GameWindowServices& gameWindows()
{
    return *g_windows;
}

void SetGameEffectServices(GameEffectServices* services)
{
    g_effects = services != nullptr ? services : &g_defaultEffects;
}

GameEffectServices& gameEffects()
{
    return *g_effects;
}
