/** @file The login flow's state: the screens the client keeps, the lists the login server sent, the values of a new character. */
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CGump;
class CMainMenuGump;
class CAcctLoginGump;
class CLoginGump;
class CProfessionGump;
class CCharCreationGump;
class CCityChoiceGump;

/** One shard of the shard list, in the order the login server gave. */
struct ScreenShard {
    int id = 0;
    std::string name;  // at most 15 characters; empty = no name
    char status = 0;
    uint8_t sortKey1 = 0;
    uint8_t sortKey2 = 0;
    uint16_t ping = 0;
    uint32_t address = 0;
    /** Colour of the list row (995 marks a shard whose index reads negative); 0 = default. */
    uint16_t colour = 0;
};

/** One character of the character list. */
struct ScreenCharacter {
    std::string name;      // empty = free slot
    std::string password;  // the character's password text
    uint16_t values[2] = {};
};

/** The lists of the login server's answers, as the login screens read them. */
struct LoginScreenLists {
    std::vector<ScreenShard> shards;
    ScreenCharacter characters[5];
    /** The start-location table: one index byte per city; absent when no city list came. */
    bool haveCities = false;
    std::vector<uint8_t> cityIndexes;
};
LoginScreenLists& screenLists();

/** What the account login, the character screens and the create step keep (main thread only). */
struct LoginState {
    char accountName[32] = {};
    char password[32] = {};
    /** The pending progress gump or message gump of the login flow; null when none. */
    CGump* pending = nullptr;
    CMainMenuGump* mainMenu = nullptr;
    CAcctLoginGump* acctLogin = nullptr;
    CLoginGump* characterScreen = nullptr;
    CProfessionGump* profession = nullptr;
    CCharCreationGump* creation = nullptr;
    CCityChoiceGump* city = nullptr;
    /** Set by the login list handlers while a login screen waits for them. */
    int holdFlag = 0;
    int chosenShard = -1;
    /** The character being played or made, and its slot key. */
    char characterName[32] = {};
    char characterPassword[32] = {};
    int loginSlot = 0;
    /** The value pair the play and create packets carry. */
    uint16_t valuePair[2] = {};
    /** The relayed-to-game-server flag and the pending character text of the login progress. */
    int relayed = 0;
    std::string pendingCharacterText;
    /** Set by the button without a profession: every start city is offered. */
    int allCities = 0;
    /** The character names of the slots the create step fills (30 bytes each). */
    char slotNames[5][30] = {};
};
LoginState& loginState();

/** The values of a new character gathered by the creation screens, in the order the create packet carries them. */
struct NewCharacter {
    uint8_t sex = 0;
    uint8_t strength = 0, dexterity = 0, intelligence = 0;
    uint8_t skill[3] = {};
    uint8_t skillValue[3] = {};
    uint16_t skinHue = 0, hairItem = 0, hairHue = 0, facialHairItem = 0, facialHairHue = 0;
    uint16_t shirtHue = 0, pantsHue = 0;
    uint8_t startLocation = 255;
    uint8_t slot = 0;
};
NewCharacter& newCharacter();

/** Empties the state, the lists and the new character (start-up; tests). */
void ResetLoginState();
/** Forgets the pending character text and the relayed flag. */
void ResetLoginProgress();
