/** @file The login flow's state. */
#include "client/gumps/login/login_state.h"

LoginScreenLists& screenLists()
{
    static LoginScreenLists lists;
    return lists;
}

LoginState& loginState()
{
    static LoginState state;
    return state;
}

NewCharacter& newCharacter()
{
    static NewCharacter values;
    return values;
}

void ResetLoginState()
{
    screenLists() = LoginScreenLists{};
    loginState() = LoginState{};
    newCharacter() = NewCharacter{};
}

void ResetLoginProgress()
{
    loginState().pendingCharacterText.clear();
    loginState().relayed = 0;
}
