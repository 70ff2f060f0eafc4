/** @file The steps of the login flow that the screens and the login list handlers share. */
#pragma once

#include <cstdint>
#include <functional>

class CGump;
class CAcctLoginGump;

/**
 * Shows a progress or message gump of the login flow through the gump manager's message gump:
 * the previous pending gump is closed first and the new one becomes the pending gump. okButton 0
 * makes a progress gump. Returns it (null when no message gump can be made).
 */
CGump* ShowLoginMessage(const char* text, CGump* owner, int okButton, int returnToMainMenu = 0);
/** Closes the pending progress or message gump, when there is one. */
void ClosePendingLoginGump();
/**
 * The OK of a login message: the owner becomes visible again, the pending pointer is cleared
 * when it was this message, and a message flagged to return to the main menu logs out to it.
 * The message gump itself is closed unless it returns to the main menu (the logout closes it).
 */
void MessageGumpOkCallback(CGump* message, CGump* owner, int returnToMainMenu);

/** The login step of the account login gump (arrow button, Enter). */
void RunLoginStep(CAcctLoginGump* loginGump);
/** "Connecting... ", a connect to a login server, and on failure the message owned by owner; true when connected. */
bool ConnectWithProgress(CGump* owner);
/** Escape and the back buttons: deletes the calling gump and opens a fresh main menu, closing the connection. */
void ReturnToMainMenu(CGump* caller);
/** Every server connection is closed, the world is reset and a fresh main menu opens. */
void LogoutToMainMenu();
/** The replay-intro button: closes the connection, plays the intro, then a fresh main menu. */
void ReplayIntro(CGump* caller);
/** Makes the first main menu at start-up, attached at the top level. */
void CreateStartupGumps();
/** Makes the login screens what the login list handlers open and close. */
void InstallLoginScreens();
/** The world was entered: every login screen and the pending progress gump close. */
void CloseLoginScreens();
/** What runs once the login screens closed at world entry (the in-game windows take over); null: nothing. */
void SetWorldEntryHandler(std::function<void()> handler);

/** Sends a fixed-length packet on the main connection. */
void SendOnMainConnection(const uint8_t* packet);
/** Sends the account login (0x80) with "Verifying Account..." shown. */
void SendAccountLoginWithProgress(const char* account, const char* password);
/** Sends the new character (0x00) gathered by the creation screens. */
void RequestCreateCharacter();

/** Opens the shard choice screen for the shard list (the shard-list handler calls this). */
void OpenShardScreen();
/**
 * Opens the character screen for the character list (the character-list handler calls this);
 * with no character at all it goes straight to character creation.
 */
void OpenCharacterScreen();
/** Refills the open character screen from the lists (after a delete). */
void RefreshCharacterScreen();
/** Opens the profession gump, the first creation screen (the new-character button). */
void NewCharacterCallback(CGump* caller);
