/** @file The login lists (shards, characters, start cities), the login screens' service interface, the relay and the login notices. */
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CreateCharacterFields;
struct HWProfile;

// ---- The login lists ------------------------------------------------------------------------
//
// Plain tables rebuilt by each list packet and read by the login screens. Every text is cut to
// its field and ends at its end (no padding). Main thread only.

/** One shard of the last shard list. */
struct ShardEntry {
    /** At most 15 characters; empty when the server gave none (the screens show "Unknown Server"). */
    std::string name;
    /** The index the select-server request sends back (0xA8: the entry's u16; 0x81: its value byte). */
    uint16_t index = 0;
    /** The byte kept per shard (0xA8) or the value byte (0x81). */
    uint8_t value = 0;
    /** Hours from UTC; 50 marks a shard the sort never moves forward. */
    int8_t timeZone = 0;
    /** The u32 kept per shard (0xA8; 0 for 0x81). */
    uint32_t extra = 0;
    /** Distance in hours from the local time zone (the sort key). */
    uint8_t distance = 0;
    /**
     * The (id, value) pair of the shard's item in the list window: (index, 0); when the index's
     * low byte is negative as a signed byte, (minus that byte, 995).
     */
    int32_t listId = 0;
    int32_t listValue = 0;
};

struct CharacterSlot {
    std::string name;     // at most 29 characters; empty slot: empty name
    std::string password; // at most 29 characters
};

/** One start city: its index byte as received and "city: area". */
struct StartCity {
    uint8_t index = 0;
    std::string city; // at most 30 characters
    std::string area; // at most 30 characters
    std::string text; // "city: area"
};

struct LoginLists {
    /** The shards as received. */
    std::vector<ShardEntry> shards;
    /** The order the shard window lists them in: positions in `shards`, nearest time zone first. */
    std::vector<size_t> shardOrder;
    /** The shard window is the sorted choice list of 0x81 (caption kShardChoiceCaption) rather than the shard map. */
    bool shardChoice = false;
    std::array<CharacterSlot, 5> characters{};
    /** The count byte the server sent (not checked against the named slots). */
    uint8_t characterCount = 0;
    /** The start cities in the order the creation screen offers them. */
    std::vector<StartCity> cities;
    /** False until a city list arrived: the start location sent is then 255. */
    bool cityListArrived = false;
};
LoginLists& TheLoginLists();
void ResetLoginLists();

inline constexpr const char* kShardChoiceCaption = "Sorted by time zone.  Best service likely with first selection.";

/** The shard's distance in hours from the local time zone (both in hours from UTC), kept as a byte. */
uint8_t ShardDistance(int32_t shardTimeZone, int32_t localTimeZone);
/**
 * Sorts `order` (positions into shards) by distance: for each position from the first, the
 * remaining shard nearest in time swaps into it; ties keep the earlier shard; a shard whose
 * `skip` flag is set (time zone 50) is never picked.
 */
void SortShardOrder(const std::vector<ShardEntry>& shards, const std::vector<bool>& skip, std::vector<size_t>& order);

/** The hardware survey records match: processor type, clocks within a quarter, memory, drive, bias and texts. */
bool HWProfilesMatch(const HWProfile& stored, const HWProfile& current);

// ---- The relay state ------------------------------------------------------------------------

/** Set once the client has sent the game login (0x91) on a game server. */
extern int32_t Relayed;

// ---- The login screens ----------------------------------------------------------------------

enum class LoginGump { AccountLogin, ShardList, Characters };

/**
 * What the login handlers ask of the login screens. The login screens install theirs; until
 * then (and in tests without screens) every call does nothing and every question answers "no".
 */
class LoginScreenServices {
public:
    virtual ~LoginScreenServices() = default;
    /** The login-flow senders: the progress gump replaced by a centred waiting gump with the text. */
    virtual void ShowWaiting(const char* /*text*/) {}
    virtual void CloseWaiting() {}
    /** The hold flag of a login gump. */
    virtual void SetHold(LoginGump /*gump*/, bool /*hold*/) {}
    /** A message gump with an OK button owned by the gump; `closing` is its second flag. */
    virtual void ShowMessage(const char* /*text*/, LoginGump /*owner*/, bool /*closing*/) {}
    /** Opens the shard window and fills it from TheLoginLists() in shardOrder. */
    virtual void ShowShards() {}
    virtual bool CharacterGumpOpen() { return false; }
    virtual void CloseCharacterGump() {}
    /** Creates (or refreshes) the character selection gump from TheLoginLists() and attaches it. */
    virtual void ShowCharacters() {}
    /** No character to choose: character creation starts. */
    virtual void StartCharacterCreation() {}
    /** Removes the slot from the character gump (the selection moves one up, not below 0). */
    virtual void RemoveCharacter(int32_t /*slot*/) {}
    /** The character gump gets an Enter as if the player pressed it (autoLogIn). */
    virtual void EnterOnCharacterGump() {}
    /** Closes the waiting and progress gumps of the login screens (and, with `more`, the two of reason 5). */
    virtual void CloseLoginFlowGumps(bool /*more*/) {}
    virtual void CloseLoginProgress() {}
    /** When a waiting message is open its button re-applies the settings; false when none is open. */
    virtual bool ReloadOnWaitingMessage() { return false; }
    /** The tips window with its lines (tip: kind 0). */
    virtual void ShowTips(const std::vector<std::string>& /*lines*/, bool /*tip*/) {}
    /** The world was entered: the "Connection lost" notice and the login-phase gumps close. */
    virtual void EnteredWorld() {}
};
void SetLoginScreenServices(LoginScreenServices* services);
LoginScreenServices& loginScreens();

// ---- Handlers and senders -------------------------------------------------------------------

void HandleServerList(const uint8_t* packet, size_t length);            // 0xA8
void HandleCharacterList(const uint8_t* packet, size_t length);         // 0xA9
void HandleCharacterAndServerList(const uint8_t* packet, size_t length); // 0x81
void HandleCharacterListUpdate(const uint8_t* packet, size_t length);   // 0x86
void HandleLoginRejected(const uint8_t* packet, size_t length);         // 0x82
void HandleCharacterError(const uint8_t* packet, size_t length);        // 0x85
void HandlePopupMessage(const uint8_t* packet, size_t length);          // 0x53
void HandleRelay(const uint8_t* packet, size_t length);                 // 0x8C
void HandleLoginComplete(const uint8_t* packet, size_t length);         // 0x55
void HandleMapReportRequest(const uint8_t* packet, size_t length);      // 0xC6
void HandleOpenWebPage(const uint8_t* packet, size_t length);           // 0xA5
void HandleTipNotice(const uint8_t* packet, size_t length);             // 0xA6

/** The texts of the refusals, by reason. */
const char* LoginRejectedText(uint8_t reason);  // 0x82; null for 254
const char* CharacterErrorText(uint8_t reason); // 0x85

/** Breaks a tip text into lines of at most 214 pixels in font 6 (carriage returns end lines). */
std::vector<std::string> SplitTipLines(const std::string& text);

/** Installs the handlers of the login lists, the relay and the notices. */
void InstallLoginHandlers();

/** "Entering Thalmere...", the login counter stepped and saved, and 0x5D. */
void SendPlayCharacter(const char* name, const char* password, uint32_t slot);
/** "Creating character... ", the login counter stepped and saved, and 0x00. */
void SendCreateCharacter(const CreateCharacterFields& fields);
/** Select server (0xA0) on the main connection. */
void SendSelectServer(uint16_t index);
