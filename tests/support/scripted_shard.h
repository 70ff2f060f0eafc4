/** @file A scripted shard on loopback: a login server and a game server that answer from a table of steps and check what the client sends. */
#pragma once

#include "tests/support/loopback_server.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

// The shard is written from the protocol, apart from the client's code: it answers from its own
// table of steps and its own reading of the install's map, and it records every client packet
// that breaks the protocol in failures(). A test (or the development program) calls pump() in
// a loop beside the client's poll; nothing blocks for long.

namespace testsupport {

/** Big-endian packet assembly for the server side. */
class ServerPacket {
public:
    explicit ServerPacket(uint8_t id) : id_(id) {}
    ServerPacket& u8(uint32_t value);
    ServerPacket& u16(uint32_t value);
    ServerPacket& u32(uint32_t value);
    /** A text in a field of `width` bytes, zero-padded (cut to the field). */
    ServerPacket& text(const std::string& value, size_t width);
    /** A text and its terminator. */
    ServerPacket& text0(const std::string& value);
    ServerPacket& bytes(const Bytes& value);
    /** The packet with its header (a variable id gets its length). */
    Bytes done() const { return MakePacket(id_, body_); }

private:
    uint8_t id_;
    Bytes body_;
};

/** One object the shard places in the world after the login confirm. */
struct ShardObject {
    uint32_t serial = 0;
    uint16_t graphic = 0;
    uint16_t x = 0, y = 0;
    uint16_t hue = 0;
    uint16_t amount = 1;
    /** A mobile (sent with 0x78) instead of an item (0x1A). */
    bool mobile = false;
    /** Items carried: worn on a layer (mobiles), or put into this item with 0x25. */
    struct Content {
        uint32_t serial = 0;
        uint16_t graphic = 0;
        uint8_t layer = 0;
        uint16_t x = 0, y = 0;
        uint16_t amount = 1;
        uint16_t hue = 0;
    };
    std::vector<Content> contents;
};

/** What the shard serves. Defaults: one account, two shards, one character, the player at 30, 24. */
struct ShardSettings {
    std::string account = "tester";
    std::string password = "secret";
    struct Shard {
        std::string name;
        int8_t timeZone = 0;
    };
    std::vector<Shard> shards = {{"Brindle", 0}, {"Farwater", 0}};
    std::vector<std::string> characters = {"Tessa"};
    struct City {
        std::string city, area;
    };
    std::vector<City> cities = {{"Brindle", "The Green"}, {"Farwater", "The Docks"}};
    /** The key the relay hands over; the game connection's seed must be it. */
    uint32_t relayKey = 0x5EED1234;
    /** Relay to the login server's own address and port: the client reuses its connection. */
    bool relayToLoginServer = false;
    /** When set, every account login is refused with this reason (0x82). */
    int refuseLogin = -1;

    uint32_t playerSerial = 0x00000101;
    uint16_t body = 400;
    uint16_t startX = 30, startY = 24;
    uint8_t startDirection = 0;
    std::vector<ShardObject> objects;
    /** Cells the shard refuses to enter (besides impassable land and the map's edge). */
    std::set<std::pair<uint16_t, uint16_t>> blocked;
    /** The install whose map0.mul and tiledata.mul give heights and impassable land; empty: a flat open map. */
    std::string installFolder;
    /** A mobile of the objects that answers every line the player says ("name: " and the line); 0: none. */
    uint32_t answeringMobile = 0;
    std::string answeringName = "Bram";
    /** Once the game connection ends, the shard waits for the next login (the development program). */
    bool serveAgain = false;
    /** Ports to listen on; 0 takes a free one. */
    uint16_t loginPort = 0;
    uint16_t gamePort = 0;
};

/** The objects a fresh shard places: a backpack with a few items and a stack of coins, a lamp, a mobile wearing a shirt. */
std::vector<ShardObject> DefaultShardObjects(const ShardSettings& settings);

class ScriptedShard {
public:
    enum class Role { Login, Game };

    /**
     * One step of the script: waits for a client packet of id `expect` on the connection of its
     * role (a negative id: runs as soon as it is reached) and answers with the packets `answer`
     * returns. Steps run in order; a packet that a later step of the same role expects, arriving
     * before its step, is a failure.
     */
    struct Step {
        std::string name;
        Role role = Role::Game;
        int expect = -1;
        std::function<std::vector<Bytes>(ScriptedShard& shard, const Bytes& packet)> answer;
    };

    explicit ScriptedShard(ShardSettings settings = {});
    ~ScriptedShard();
    ScriptedShard(const ScriptedShard&) = delete;
    ScriptedShard& operator=(const ScriptedShard&) = delete;

    uint16_t loginPort() const { return login_.port(); }
    uint16_t gamePort() const { return game_.port(); }
    const ShardSettings& settings() const { return settings_; }

    /** One round: accepts and seeds connections, reads, runs the script and the standing answers, writes. */
    void pump();

    /** The default script: account login to the end of the enter-world packets. */
    static std::vector<Step> DefaultScript();
    /**
     * The step that takes a new character (0x00, 104 bytes) in place of the play request, for an
     * account without characters: the character joins the account and enters the world.
     */
    static Step CreateCharacterStep();
    /** The new characters the shard accepted, by name, in order. */
    const std::vector<std::string>& created() const { return created_; }
    /** Adds steps at the end of the script. */
    void append(std::vector<Step> steps);
    /** Adds steps right after the named one (at the end when no step has that name). */
    void insertAfter(const std::string& name, std::vector<Step> steps);
    /** The step that has not run yet ("" once the script is done). */
    std::string nextStep() const;
    bool scriptDone() const { return steps_.empty(); }
    /** The steps that have run, by name, in order. */
    const std::vector<std::string>& stepsRun() const { return stepsRun_; }
    /** Keeps the running step for another packet (a refused login may be tried again). */
    void repeatStep() { repeat_ = true; }

    /** Queues packets on a role's connection outside the script. */
    void send(Role role, const std::vector<Bytes>& packets);
    /** Every client packet read, with its role, oldest first. */
    const std::vector<std::pair<Role, Bytes>>& received() const { return received_; }
    /** What the client sent that the protocol does not allow; empty while all is well. */
    const std::vector<std::string>& failures() const { return failures_; }
    void fail(const std::string& what) { failures_.push_back(what); }

    /** The player as the shard sees it. */
    uint16_t playerX() const { return x_; }
    uint16_t playerY() const { return y_; }
    int8_t playerZ() const { return z_; }
    int stepsAccepted() const { return accepted_; }
    int stepsRejected() const { return rejected_; }
    int speechEchoed() const { return echoed_; }
    /** Walk keys handed to the client; a move request must carry the oldest unused one (0 without keys). */
    void giveWalkKeys(const std::vector<uint32_t>& keys);
    bool gameConnected() const;
    bool loginConnected() const { return login_.connected(); }
    /** Connections accepted so far on the login and the game port. */
    int loginConnections() const { return loginAccepts_; }
    int gameConnections() const { return gameAccepts_; }

    /**
     * An item as the shard keeps it: in the world (container 0), in a container, or on the
     * pointer (lifted). Use (0x06) opens a container, pick-up (0x07) lifts (splitting a stack),
     * drop (0x08) and equip (0x13) place the lifted item, each answered as a server would.
     */
    struct Item {
        uint32_t serial = 0;
        uint16_t graphic = 0;
        uint16_t amount = 1;
        uint16_t hue = 0;
        uint16_t x = 0, y = 0;
        int8_t z = 0;
        uint32_t container = 0;
    };
    /** The item of a serial, or null. */
    const Item* item(uint32_t serial) const;
    /** The lifted item's serial, or 0. */
    uint32_t lifted() const { return lifted_; }
    /** The items of a container, in the order the shard sends them. */
    std::vector<Item> contentsOf(uint32_t container) const;
    /** The gump art a container opens with (0: the graphic is no container). */
    static uint16_t ContainerGump(uint16_t graphic);
    static Bytes ContainerItemPacket(const Item& item);

    /** The land height of a cell (0 on a flat map or off the map). */
    int8_t LandZ(uint16_t x, uint16_t y) const;
    /** Whether the shard lets the player stand on a cell. */
    bool Walkable(uint16_t x, uint16_t y) const;

    // The server packets the script sends, laid out from the protocol.
    Bytes ShardListPacket() const;
    Bytes CharacterListPacket() const;
    Bytes RelayPacket() const;
    Bytes LoginConfirmPacket() const;
    std::vector<Bytes> WorldPackets() const;
    static Bytes LoginRejectedPacket(uint8_t reason);
    static Bytes LoginCompletePacket();
    /** 0xAE from a speaker: type, hue, font, language and the UTF-16 units (zero unit added). */
    static Bytes UnicodeSpeechPacket(uint32_t serial, uint16_t graphic, uint8_t type, uint16_t hue, uint16_t font,
                                     const std::string& language, const std::string& name,
                                     const std::u16string& text);

private:
    LoopbackServer& connectionOf(Role role);
    void acceptConnections();
    void readRole(Role role);
    void handle(Role role, const Bytes& packet);
    bool runScriptStep(Role role, const Bytes& packet);
    void runImmediateSteps();
    void standingAnswer(Role role, const Bytes& packet);
    void checkPacket(Role role, const Bytes& packet);
    void handleMoveRequest(const Bytes& packet);
    void handleSpeech(const Bytes& packet);
    void handleUse(const Bytes& packet);
    void handlePickUp(const Bytes& packet);
    void handleDrop(const Bytes& packet);
    void handleEquip(const Bytes& packet);
    void resetItems();
    void restart();
    void loadMap();

    ShardSettings settings_;
    std::vector<std::string> created_;
    LoopbackServer login_;
    LoopbackServer game_;
    bool gameOnLogin_ = false;
    bool gameSeen_ = false;
    int loginAccepts_ = 0;
    int gameAccepts_ = 0;
    std::deque<Step> steps_;
    std::vector<std::string> stepsRun_;
    bool repeat_ = false;
    std::vector<std::pair<Role, Bytes>> received_;
    std::vector<std::string> failures_;

    bool inWorld_ = false;
    uint16_t x_ = 0, y_ = 0;
    int8_t z_ = 0;
    uint8_t facing_ = 0;
    int expectedSequence_ = 0;
    std::deque<uint32_t> walkKeys_;
    int accepted_ = 0, rejected_ = 0, echoed_ = 0;
    std::vector<Item> items_;
    uint32_t lifted_ = 0;
    uint32_t nextSerial_ = 0x40001000;

    Bytes map_;
    Bytes landFlags_;
    uint32_t mapColumns_ = 0;
};

} // namespace testsupport
