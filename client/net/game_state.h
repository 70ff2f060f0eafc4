/** @file What the game-phase packet handlers keep: status block, combat, party, targets and prompts, boards, skills and the clock. */
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

/** The last mobile status received (0x11), copied whole into the status bar of that mobile. */
struct StatusBlock {
    uint32_t serial = 0;
    /** At most 29 characters and the terminator. */
    char name[30] = {};
    uint8_t extra = 0;
    uint16_t strength = 0, dexterity = 0, intelligence = 0;
    uint16_t hits = 0, maxHits = 0;
    uint16_t stamina = 0, maxStamina = 0, mana = 0, maxMana = 0;
    uint32_t gold = 0;
    uint16_t armour = 0;
    uint16_t weight = 0;
};

/** One party member: serial 0 marks an empty entry. Entry 0 is the leader. */
struct PartyMember {
    uint32_t serial = 0;
    char name[30] = {};
};

struct PartyState {
    static constexpr size_t kMembers = 10;
    std::array<PartyMember, kMembers> members{};
    uint32_t inviter = 0;
    bool invitationPending = false;
    uint8_t lootPermission = 0;
    bool leader = false;

    /** The entry of the serial, or null (serial 0 never matches). */
    PartyMember* find(uint32_t serial);
    void clear();
};

/** Kind of the last target. */
enum class LastTargetKind : uint8_t { None = 0, Object = 1, Location = 2, StaticTile = 3 };

struct TargetState {
    /** The pending request's id, the flag echoed in the answer and the cursor type. */
    uint32_t targetId = 0;
    uint8_t cursorFlag = 0;
    uint8_t cursorType = 0;
    /** Set while a click is answered with a target answer (0x6C). */
    bool answersClicks = false;
    LastTargetKind lastKind = LastTargetKind::None;
    uint32_t lastSerial = 0;
    int32_t lastX = 0, lastY = 0, lastZ = 0;
    uint16_t lastGraphic = 0;
};

struct PromptState {
    bool active = false;
    bool unicode = false;
    uint32_t serial = 0;
    uint32_t promptId = 0;
};

/** One row of the skill table. */
struct SkillValue {
    uint16_t value = 0;
    uint16_t base = 0;
    uint8_t lock = 0;
};
struct SkillName {
    uint8_t used = 0;
    /** At most 79 characters and the terminator. */
    char name[80] = {};
};

struct SkillTables {
    static constexpr size_t kSkills = 50;
    std::array<SkillValue, kSkills> values{};
    std::array<SkillName, kSkills> names{};
    size_t nameCount = 0;
};

/** Everything the game-phase handlers keep; one instance, main thread only. */
struct GameState {
    StatusBlock status;
    /** The mobile the player fights (0 none), the serial it turns to face, its attack target. */
    uint32_t combatant = 0;
    uint32_t faceSerial = 0;
    uint32_t attackTarget = 0;
    bool following = false;
    /** The overhead speaker label of the follow messages. */
    std::string speakerLabel = "YOU";
    bool dead = false;

    PartyState party;
    /** The current map index on the main connection. */
    uint8_t mapIndex = 0;

    TargetState target;
    PromptState prompt;
    /** The mobile whose name the client asked for (0x98); 0 when no request is open. */
    uint32_t nameRequest = 0;

    /** The board message asked for last and whether its answer is awaited. */
    uint32_t boardRequest = 0;
    bool boardRequestPending = false;
    /** The next paperdoll opens beside the game area. */
    bool placePaperdollBeside = false;

    SkillTables skills;
    /** Set while a buy result closes shop windows: their closing comes from the server. */
    bool serverClosingShop = false;

    uint8_t hour = 0, minute = 0, second = 0;
};

GameState& Game();
/** Back to the start (a new game connection; tests). */
void ResetGameState();
