/** @file The scripted shard: login and game roles answering from a table of steps, the walk and speech answers, the client's packets checked. */
#include "tests/support/scripted_shard.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace testsupport {

namespace {

constexpr uint32_t kOpening = 0xEDEDEDED;
constexpr size_t kMapBlockSize = 196;
constexpr uint32_t kMapBlocksPerColumn = 512; // map 0 is 4096 cells high
constexpr size_t kLandGroupSize = 4 + 32 * 26;
constexpr uint32_t kImpassable = 0x40;

uint32_t be32(const Bytes& p, size_t at)
{
    return static_cast<uint32_t>(p[at]) << 24 | static_cast<uint32_t>(p[at + 1]) << 16 |
           static_cast<uint32_t>(p[at + 2]) << 8 | p[at + 3];
}
uint16_t be16(const Bytes& p, size_t at)
{
    return static_cast<uint16_t>(p[at] << 8 | p[at + 1]);
}
/** A zero-padded field as text: up to its first zero or its end. */
std::string field(const Bytes& p, size_t at, size_t width)
{
    std::string out;
    for (size_t i = at; i < at + width && i < p.size() && p[i] != 0; ++i)
        out.push_back(static_cast<char>(p[i]));
    return out;
}
std::string hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/** The fixed length of a client packet id by the protocol's table; 0 for variable. */
long fixedLength(uint8_t id)
{
    const uint8_t probe[3] = {id, 0, 0};
    const long length = PacketLengthAt(probe, 1);
    return length;
}

} // namespace

// ---- Packets --------------------------------------------------------------------------------

ServerPacket& ServerPacket::u8(uint32_t value)
{
    body_.push_back(static_cast<uint8_t>(value));
    return *this;
}
ServerPacket& ServerPacket::u16(uint32_t value)
{
    return u8(value >> 8).u8(value);
}
ServerPacket& ServerPacket::u32(uint32_t value)
{
    return u16(value >> 16).u16(value);
}
ServerPacket& ServerPacket::text(const std::string& value, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        body_.push_back(i < value.size() ? static_cast<uint8_t>(value[i]) : 0);
    return *this;
}
ServerPacket& ServerPacket::text0(const std::string& value)
{
    body_.insert(body_.end(), value.begin(), value.end());
    body_.push_back(0);
    return *this;
}
ServerPacket& ServerPacket::bytes(const Bytes& value)
{
    body_.insert(body_.end(), value.begin(), value.end());
    return *this;
}

std::vector<ShardObject> DefaultShardObjects(const ShardSettings& s)
{
    std::vector<ShardObject> objects;
    ShardObject backpack;
    backpack.serial = 0x40000001;
    backpack.graphic = 0x0E75;
    backpack.x = static_cast<uint16_t>(s.startX + 1);
    backpack.y = s.startY;
    // Sent in this order, the coins arrive last and head the backpack's list.
    backpack.contents.push_back({0x40000005, 0x0F0E, 0, 100, 90, 1, 0});  // a bottle
    backpack.contents.push_back({0x40000006, 0x0F10, 0, 130, 110, 1, 0}); // a gem
    backpack.contents.push_back({0x40000002, 0x0EED, 0, 60, 80, 120, 0}); // a stack of coins
    objects.push_back(backpack);
    ShardObject lamp;
    lamp.serial = 0x40000003;
    lamp.graphic = 0x0A22;
    lamp.x = s.startX;
    lamp.y = static_cast<uint16_t>(s.startY + 2);
    lamp.hue = 0x0021;
    objects.push_back(lamp);
    ShardObject mobile;
    mobile.serial = 0x00000202;
    mobile.graphic = 400;
    mobile.mobile = true;
    mobile.x = static_cast<uint16_t>(s.startX + 2);
    mobile.y = static_cast<uint16_t>(s.startY + 1);
    mobile.hue = 0x83EA;
    mobile.contents.push_back({0x40000004, 0x1517, 5, 0, 0}); // a shirt worn on layer 5
    objects.push_back(mobile);
    return objects;
}

Bytes ScriptedShard::ShardListPacket() const
{
    ServerPacket p(0xA8);
    p.u8(0x5D).u16(static_cast<uint32_t>(settings_.shards.size()));
    for (size_t i = 0; i < settings_.shards.size(); ++i)
        p.u16(static_cast<uint32_t>(i)).text(settings_.shards[i].name, 32).u8(0).u8(static_cast<uint8_t>(settings_.shards[i].timeZone)).u32(0x7F000001);
    return p.done();
}

Bytes ScriptedShard::CharacterListPacket() const
{
    ServerPacket p(0xA9);
    p.u8(static_cast<uint32_t>(settings_.characters.size()));
    for (size_t slot = 0; slot < 5; ++slot)
        p.text(slot < settings_.characters.size() ? settings_.characters[slot] : "", 30).text("", 30);
    p.u8(static_cast<uint32_t>(settings_.cities.size()));
    for (size_t i = 0; i < settings_.cities.size(); ++i)
        p.u8(static_cast<uint32_t>(i)).text(settings_.cities[i].city, 31).text(settings_.cities[i].area, 31);
    return p.done();
}

Bytes ScriptedShard::RelayPacket() const
{
    const uint16_t port = settings_.relayToLoginServer ? login_.port() : game_.port();
    return ServerPacket(0x8C).u32(0x7F000001).u16(port).u32(settings_.relayKey).done();
}

Bytes ScriptedShard::LoginConfirmPacket() const
{
    ServerPacket p(0x1B);
    p.u32(settings_.playerSerial).u32(0).u16(settings_.body).u16(settings_.startX).u16(settings_.startY);
    p.u16(static_cast<uint16_t>(static_cast<int16_t>(LandZ(settings_.startX, settings_.startY))));
    p.u8(settings_.startDirection).u8(0).u32(0xFFFFFFFF);
    p.u16(0).u16(0).u16(6144).u16(4096);
    p.bytes(Bytes(6, 0));
    return p.done();
}

std::vector<Bytes> ScriptedShard::WorldPackets() const
{
    std::vector<Bytes> out;
    // The player: graphic, hue, flags, position, direction and height.
    out.push_back(ServerPacket(0x20)
                      .u32(settings_.playerSerial).u16(settings_.body).u8(0).u16(0x83EA).u8(0)
                      .u16(settings_.startX).u16(settings_.startY).u16(0).u8(settings_.startDirection)
                      .u8(static_cast<uint8_t>(LandZ(settings_.startX, settings_.startY)))
                      .done());
    for (const ShardObject& object : settings_.objects) {
        const int8_t z = LandZ(object.x, object.y);
        if (object.mobile) {
            ServerPacket p(0x78);
            p.u32(object.serial).u16(object.graphic).u16(object.x).u16(object.y).u8(static_cast<uint8_t>(z));
            p.u8(2).u16(object.hue).u8(0).u8(1);
            for (const ShardObject::Content& worn : object.contents)
                p.u32(worn.serial).u16(worn.graphic).u8(worn.layer);
            p.u32(0);
            out.push_back(p.done());
            continue;
        }
        // Object information with every optional field that applies.
        ServerPacket p(0x1A);
        const bool amount = object.amount != 1;
        p.u32(object.serial | (amount ? 0x80000000u : 0)).u16(object.graphic);
        if (amount)
            p.u16(object.amount);
        p.u16(object.x).u16(static_cast<uint32_t>(object.y) | (object.hue != 0 ? 0x8000u : 0));
        p.u8(static_cast<uint8_t>(z));
        if (object.hue != 0)
            p.u16(object.hue);
        out.push_back(p.done());
        for (const ShardObject::Content& item : object.contents)
            out.push_back(ContainerItemPacket({item.serial, item.graphic, item.amount, item.hue, item.x, item.y, 0,
                                               object.serial}));
    }
    out.push_back(ServerPacket(0x4F).u8(0).done());
    return out;
}

Bytes ScriptedShard::LoginRejectedPacket(uint8_t reason)
{
    return ServerPacket(0x82).u8(reason).done();
}

Bytes ScriptedShard::LoginCompletePacket()
{
    return ServerPacket(0x55).done();
}

Bytes ScriptedShard::UnicodeSpeechPacket(uint32_t serial, uint16_t graphic, uint8_t type, uint16_t hue, uint16_t font,
                                         const std::string& language, const std::string& name,
                                         const std::u16string& text)
{
    ServerPacket p(0xAE);
    p.u32(serial).u16(graphic).u8(type).u16(hue).u16(font).text(language, 4).text(name, 30);
    for (char16_t unit : text)
        p.u16(unit);
    p.u16(0);
    return p.done();
}

// ---- The script -----------------------------------------------------------------------------

std::vector<ScriptedShard::Step> ScriptedShard::DefaultScript()
{
    using R = Role;
    std::vector<Step> steps;
    steps.push_back({"account-login", R::Login, 0x80, [](ScriptedShard& shard, const Bytes& p) {
                         const ShardSettings& s = shard.settings();
                         if (shard.settings().refuseLogin >= 0) {
                             shard.repeatStep();
                             return std::vector<Bytes>{LoginRejectedPacket(static_cast<uint8_t>(s.refuseLogin))};
                         }
                         if (field(p, 1, 30) != s.account || field(p, 31, 30) != s.password) {
                             shard.repeatStep();
                             return std::vector<Bytes>{LoginRejectedPacket(0)};
                         }
                         return std::vector<Bytes>{shard.ShardListPacket()};
                     }});
    steps.push_back({"select-shard", R::Login, 0xA0, [](ScriptedShard& shard, const Bytes& p) {
                         if (be16(p, 1) >= shard.settings().shards.size())
                             shard.fail("select server: index " + std::to_string(be16(p, 1)) + " was not listed");
                         return std::vector<Bytes>{shard.RelayPacket()};
                     }});
    steps.push_back({"game-login", R::Game, 0x91, [](ScriptedShard& shard, const Bytes& p) {
                         const ShardSettings& s = shard.settings();
                         if (be32(p, 1) != s.relayKey)
                             shard.fail("game login: relay key " + hex(be32(p, 1)));
                         if (field(p, 5, 30) != s.account || field(p, 35, 30) != s.password)
                             shard.fail("game login: account or password differ from the account login");
                         return std::vector<Bytes>{shard.CharacterListPacket()};
                     }});
    steps.push_back({"play-character", R::Game, 0x5D, [](ScriptedShard& shard, const Bytes& p) {
                         const ShardSettings& s = shard.settings();
                         if (be32(p, 1) != kOpening)
                             shard.fail("play character: opening " + hex(be32(p, 1)));
                         const uint32_t slot = be32(p, 65);
                         if (slot >= s.characters.size() || field(p, 5, 30) != s.characters[slot])
                             shard.fail("play character: '" + field(p, 5, 30) + "' is not in slot " + std::to_string(slot));
                         std::vector<Bytes> out{shard.LoginConfirmPacket()};
                         for (Bytes& packet : shard.WorldPackets())
                             out.push_back(std::move(packet));
                         out.push_back(LoginCompletePacket());
                         return out;
                     }});
    steps.push_back({"status-request", R::Game, 0x34, [](ScriptedShard& shard, const Bytes& p) {
                         if (be32(p, 1) != kOpening || p[5] != 5 || be32(p, 6) != shard.settings().playerSerial)
                             shard.fail("enter world: the status request is not type 5 for the player");
                         return std::vector<Bytes>{};
                     }});
    steps.push_back({"client-version", R::Game, 0xBD, [](ScriptedShard& shard, const Bytes& p) {
                         if (p.size() < 4 || p.back() != 0)
                             shard.fail("enter world: the version text has no terminator");
                         return std::vector<Bytes>{};
                     }});
    steps.push_back({"play-size", R::Game, 0xBF, [](ScriptedShard& shard, const Bytes& p) {
                         if (p.size() != 13 || be16(p, 3) != 5)
                             shard.fail("enter world: expected the play size (0xBF 5, 13 bytes)");
                         return std::vector<Bytes>{};
                     }});
    steps.push_back({"language", R::Game, 0xBF, [](ScriptedShard& shard, const Bytes& p) {
                         if (p.size() != 9 || be16(p, 3) != 11 || p[8] != 0)
                             shard.fail("enter world: expected the language (0xBF 11, 9 bytes)");
                         return std::vector<Bytes>{};
                     }});
    return steps;
}

ScriptedShard::Step ScriptedShard::CreateCharacterStep()
{
    return {"create-character", Role::Game, 0x00, [](ScriptedShard& shard, const Bytes& p) {
                if (p.size() != 104 || be32(p, 1) != kOpening)
                    shard.fail("create character: not 104 bytes opened with 0xEDEDEDED");
                const std::string name = field(p, 10, 30);
                if (name.size() < 2)
                    shard.fail("create character: the name '" + name + "' is too short");
                const uint8_t slot = p[91];
                if (slot > 4 || slot != shard.settings_.characters.size())
                    shard.fail("create character: slot " + std::to_string(slot) + " is not the first free one");
                shard.created_.push_back(name);
                shard.settings_.characters.push_back(name);
                std::vector<Bytes> out{shard.LoginConfirmPacket()};
                for (Bytes& packet : shard.WorldPackets())
                    out.push_back(std::move(packet));
                out.push_back(LoginCompletePacket());
                return out;
            }};
}

ScriptedShard::ScriptedShard(ShardSettings settings)
    : settings_(std::move(settings)), login_(settings_.loginPort), game_(settings_.gamePort)
{
    loadMap();
    restart();
}

ScriptedShard::~ScriptedShard() = default;

void ScriptedShard::restart()
{
    std::vector<Step> script = DefaultScript();
    // An account without characters makes one: the create request takes the play request's place.
    if (settings_.characters.empty())
        for (Step& step : script)
            if (step.name == "play-character")
                step = CreateCharacterStep();
    steps_.assign(script.begin(), script.end());
    stepsRun_.clear();
    gameOnLogin_ = false;
    gameSeen_ = false;
    inWorld_ = false;
    x_ = settings_.startX;
    y_ = settings_.startY;
    z_ = LandZ(x_, y_);
    facing_ = settings_.startDirection;
    expectedSequence_ = 0;
    walkKeys_.clear();
    resetItems();
}

void ScriptedShard::append(std::vector<Step> steps)
{
    steps_.insert(steps_.end(), steps.begin(), steps.end());
}

void ScriptedShard::insertAfter(const std::string& name, std::vector<Step> steps)
{
    auto at = std::find_if(steps_.begin(), steps_.end(), [&](const Step& s) { return s.name == name; });
    if (at == steps_.end()) {
        append(std::move(steps));
        return;
    }
    steps_.insert(at + 1, steps.begin(), steps.end());
}

std::string ScriptedShard::nextStep() const
{
    return steps_.empty() ? std::string() : steps_.front().name;
}

void ScriptedShard::giveWalkKeys(const std::vector<uint32_t>& keys)
{
    walkKeys_.insert(walkKeys_.end(), keys.begin(), keys.end());
}

bool ScriptedShard::gameConnected() const
{
    return gameOnLogin_ ? login_.connected() : game_.connected();
}

LoopbackServer& ScriptedShard::connectionOf(Role role)
{
    return role == Role::Login || gameOnLogin_ ? login_ : game_;
}

void ScriptedShard::send(Role role, const std::vector<Bytes>& packets)
{
    for (const Bytes& packet : packets)
        connectionOf(role).send(packet);
}

// ---- The map --------------------------------------------------------------------------------

void ScriptedShard::loadMap()
{
    if (settings_.installFolder.empty())
        return;
    map_ = readFile(settings_.installFolder + "/map0.mul");
    mapColumns_ = static_cast<uint32_t>(map_.size() / (kMapBlockSize * kMapBlocksPerColumn));
    const Bytes tiles = readFile(settings_.installFolder + "/tiledata.mul");
    // Land entries: 512 groups of a header and 32 entries {u32 flags, u16 texture, 20-byte name}.
    landFlags_.assign(0x4000, 0);
    for (size_t tile = 0; tile < 0x4000; ++tile) {
        const size_t at = tile / 32 * kLandGroupSize + 4 + tile % 32 * 26;
        if (at + 4 <= tiles.size())
            landFlags_[tile] = (tiles[at] & kImpassable) != 0 ? 1 : 0;
    }
}

int8_t ScriptedShard::LandZ(uint16_t x, uint16_t y) const
{
    if (map_.empty() || x / 8u >= mapColumns_ || y / 8u >= kMapBlocksPerColumn)
        return 0;
    const size_t at = (static_cast<size_t>(x / 8u) * kMapBlocksPerColumn + y / 8u) * kMapBlockSize + 4 +
                      (static_cast<size_t>(y % 8u) * 8 + x % 8u) * 3;
    return at + 3 <= map_.size() ? static_cast<int8_t>(map_[at + 2]) : 0;
}

bool ScriptedShard::Walkable(uint16_t x, uint16_t y) const
{
    if (settings_.blocked.count({x, y}) != 0)
        return false;
    if (map_.empty())
        return true;
    if (x / 8u >= mapColumns_ || y / 8u >= kMapBlocksPerColumn)
        return false;
    const size_t at = (static_cast<size_t>(x / 8u) * kMapBlocksPerColumn + y / 8u) * kMapBlockSize + 4 +
                      (static_cast<size_t>(y % 8u) * 8 + x % 8u) * 3;
    if (at + 3 > map_.size())
        return false;
    const uint16_t tile = static_cast<uint16_t>(map_[at] | map_[at + 1] << 8) & 0x3FFF;
    return landFlags_.empty() || landFlags_[tile] == 0;
}

// ---- The rounds -----------------------------------------------------------------------------

void ScriptedShard::acceptConnections()
{
    if (!login_.connected() && login_.accept(0)) {
        ++loginAccepts_;
        login_.setPhase(LoopbackServer::Phase::Login);
        if (!login_.readSeed())
            fail("login connection: no seed");
        else if (login_.seed() == 0)
            fail("login connection: a seed of 0");
    }
    if (!game_.connected() && game_.accept(0)) {
        ++gameAccepts_;
        game_.setPhase(LoopbackServer::Phase::Login);
        if (!game_.readSeed())
            fail("game connection: no seed");
        else if (game_.seed() != settings_.relayKey)
            fail("game connection: the seed " + hex(game_.seed()) + " is not the relay key");
        // The client enciphers from its first packet (the game login) on.
        game_.setPhase(LoopbackServer::Phase::Game);
        gameSeen_ = true;
    }
}

void ScriptedShard::pump()
{
    acceptConnections();
    readRole(Role::Login);
    if (!gameOnLogin_)
        readRole(Role::Game);
    runImmediateSteps();
    login_.flush();
    game_.flush();
    // After the relay to the login server's own address the same connection carries the game.
    if (!gameOnLogin_ && settings_.relayToLoginServer &&
        std::find(stepsRun_.begin(), stepsRun_.end(), "select-shard") != stepsRun_.end() && login_.outgoing().empty()) {
        gameOnLogin_ = true;
        gameSeen_ = true;
        login_.setPhase(LoopbackServer::Phase::Game);
    }
    // The development program serves one login after another: a finished game, or a login that
    // ended before its relay, starts the script again.
    if (settings_.serveAgain && !login_.connected() && !stepsRun_.empty() && (gameSeen_ ? !gameConnected() : true))
        restart();
}

void ScriptedShard::readRole(Role role)
{
    LoopbackServer& connection = role == Role::Login ? login_ : game_;
    if (!connection.connected())
        return;
    const bool open = connection.pump();
    const Role as = role == Role::Login && gameOnLogin_ ? Role::Game : role;
    while (!connection.received().empty()) {
        const Bytes packet = connection.received().front();
        connection.received().pop_front();
        handle(as, packet);
    }
    if (!open)
        connection.close();
}

void ScriptedShard::handle(Role role, const Bytes& packet)
{
    received_.emplace_back(role, packet);
    checkPacket(role, packet);
    if (!runScriptStep(role, packet))
        standingAnswer(role, packet);
}

void ScriptedShard::runImmediateSteps()
{
    while (!steps_.empty() && steps_.front().expect < 0) {
        const Step step = steps_.front();
        steps_.pop_front();
        stepsRun_.push_back(step.name);
        send(step.role, step.answer(*this, Bytes{}));
    }
}

bool ScriptedShard::runScriptStep(Role role, const Bytes& packet)
{
    runImmediateSteps();
    if (steps_.empty())
        return false;
    const Step& step = steps_.front();
    if (step.role == role && step.expect == packet[0]) {
        const Step taken = step;
        repeat_ = false;
        send(role, taken.answer(*this, packet));
        stepsRun_.push_back(taken.name);
        if (!repeat_)
            steps_.pop_front();
        if (taken.name == "play-character")
            inWorld_ = true;
        runImmediateSteps();
        return true;
    }
    // A packet that a later step waits for has come too early.
    for (const Step& later : steps_)
        if (later.role == role && later.expect == packet[0]) {
            fail("packet 0x" + hex(packet[0]).substr(2) + " came before step '" + step.name + "'");
            return true;
        }
    return false;
}

void ScriptedShard::standingAnswer(Role role, const Bytes& packet)
{
    switch (packet[0]) {
    case 0x02:
        if (role == Role::Game && inWorld_)
            handleMoveRequest(packet);
        else
            fail("a move request before the player is in the world");
        return;
    case 0xAD:
        if (role == Role::Game && inWorld_)
            handleSpeech(packet);
        else
            fail("speech before the player is in the world");
        return;
    case 0x06:
    case 0x07:
    case 0x08:
    case 0x13:
        if (role != Role::Game || !inWorld_) {
            fail("an item request before the player is in the world: " + hex(packet[0]));
            return;
        }
        if (packet[0] == 0x06)
            handleUse(packet);
        else if (packet[0] == 0x07)
            handlePickUp(packet);
        else if (packet[0] == 0x08)
            handleDrop(packet);
        else
            handleEquip(packet);
        return;
    case 0x73: // keep-alive: the same byte comes back
        send(role, {ServerPacket(0x73).u8(packet[1]).done()});
        return;
    default: // the rest is recorded for the test (received())
        return;
    }
}

void ScriptedShard::checkPacket(Role role, const Bytes& packet)
{
    const long fixed = fixedLength(packet[0]);
    if (fixed < 0) {
        fail("an id past the packet table: " + hex(packet[0]));
        return;
    }
    if (fixed == 0 && (packet.size() < 3 || be16(packet, 1) != packet.size()))
        fail("a variable-length packet whose length field disagrees: " + hex(packet[0]));
    switch (packet[0]) {
    case 0x80:
    case 0xA0:
    case 0xA4:
        if (role != Role::Login)
            fail("a login packet on the game connection: " + hex(packet[0]));
        break;
    case 0x91:
    case 0x5D:
    case 0x00:
        if (role != Role::Game)
            fail("a game login packet on the login connection: " + hex(packet[0]));
        break;
    case 0xAD:
        // Mode, hue, font, language, then UTF-16 units ending in a zero unit; the keyword form
        // (mode bits 0xC0) carries packed keyword ids and UTF-8 text ending in a zero byte.
        if (packet.size() >= 4 && (packet[3] & 0xC0) == 0xC0) {
            if (packet.size() < 16 || packet[packet.size() - 1] != 0)
                fail("keyword speech without its ids and a terminated text");
        } else if (packet.size() < 14 || (packet.size() - 12) % 2 != 0 || packet[packet.size() - 1] != 0 ||
            packet[packet.size() - 2] != 0)
            fail("speech without whole units and a zero unit");
        break;
    default: break;
    }
}

void ScriptedShard::handleMoveRequest(const Bytes& packet)
{
    const uint8_t direction = packet[1] & 7;
    const uint8_t sequence = packet[2];
    const uint32_t key = be32(packet, 3);
    if (sequence != expectedSequence_)
        fail("move request: sequence " + std::to_string(sequence) + ", expected " + std::to_string(expectedSequence_));
    const uint32_t wanted = walkKeys_.empty() ? 0 : walkKeys_.front();
    if (key != wanted)
        fail("move request: walk key " + hex(key) + ", expected " + hex(wanted));
    if (!walkKeys_.empty())
        walkKeys_.pop_front();
    expectedSequence_ = sequence == 255 ? 1 : sequence + 1;
    if (direction != facing_) { // a turn on the spot
        facing_ = direction;
        ++accepted_;
        send(Role::Game, {ServerPacket(0x22).u8(sequence).u8(1).done()});
        return;
    }
    static const int dx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    static const int dy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    const int nx = x_ + dx[direction], ny = y_ + dy[direction];
    if (nx < 0 || ny < 0 || !Walkable(static_cast<uint16_t>(nx), static_cast<uint16_t>(ny))) {
        ++rejected_;
        expectedSequence_ = 0;
        send(Role::Game,
             {ServerPacket(0x21).u8(sequence).u16(x_).u16(y_).u8(facing_).u8(static_cast<uint8_t>(z_)).done()});
        return;
    }
    x_ = static_cast<uint16_t>(nx);
    y_ = static_cast<uint16_t>(ny);
    z_ = LandZ(x_, y_);
    ++accepted_;
    send(Role::Game, {ServerPacket(0x22).u8(sequence).u8(1).done()});
}

void ScriptedShard::handleSpeech(const Bytes& packet)
{
    const uint8_t mode = packet[3] & 0x3F;
    const uint16_t hue = be16(packet, 4), font = be16(packet, 6);
    const std::string language = field(packet, 8, 4);
    std::u16string text;
    if ((packet[3] & 0xC0) == 0xC0 && packet.size() >= 14) {
        // Keyword form: the count and ids as 12-bit values, two in three bytes, then the UTF-8 text.
        const size_t values = (static_cast<size_t>(packet[12]) << 4 | packet[13] >> 4) + 1;
        const size_t at = 12 + values / 2 * 3 + values % 2 * 2;
        for (size_t i = at; i < packet.size() && packet[i] != 0;) {
            const uint8_t b = packet[i];
            const size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : 3;
            char16_t unit = n == 1 ? b : n == 2 ? (b & 0x1F) : (b & 0x0F);
            for (size_t k = 1; k < n && i + k < packet.size(); ++k)
                unit = static_cast<char16_t>(unit << 6 | (packet[i + k] & 0x3F));
            text.push_back(unit);
            i += n;
        }
    } else {
        for (size_t at = 12; at + 1 < packet.size(); at += 2) {
            const char16_t unit = static_cast<char16_t>(be16(packet, at));
            if (unit == 0)
                break;
            text.push_back(unit);
        }
    }
    const std::string name = settings_.characters.empty() ? std::string() : settings_.characters.front();
    ++echoed_;
    send(Role::Game, {UnicodeSpeechPacket(settings_.playerSerial, settings_.body, mode, hue, font, language, name, text)});
    for (const ShardObject& object : settings_.objects)
        if (object.mobile && object.serial == settings_.answeringMobile) {
            const std::u16string heard(name.begin(), name.end());
            send(Role::Game, {UnicodeSpeechPacket(object.serial, object.graphic, 0, 0x0035, font, language,
                                                  settings_.answeringName, heard + u" said: " + text)});
        }
}

// ---- Items: opening containers, lifting, dropping --------------------------------------------

uint16_t ScriptedShard::ContainerGump(uint16_t graphic)
{
    switch (graphic) {
    case 0x0E75: return 60; // backpack
    case 0x0E76: return 61; // bag
    default: return 0;
    }
}

Bytes ScriptedShard::ContainerItemPacket(const Item& item)
{
    return ServerPacket(0x25)
        .u32(item.serial).u16(item.graphic).u8(0).u16(item.amount).u16(item.x).u16(item.y)
        .u32(item.container).u16(item.hue)
        .done();
}

void ScriptedShard::resetItems()
{
    items_.clear();
    lifted_ = 0;
    for (const ShardObject& object : settings_.objects) {
        if (object.mobile)
            continue;
        items_.push_back({object.serial, object.graphic, object.amount, object.hue, object.x, object.y,
                          LandZ(object.x, object.y), 0});
        for (const ShardObject::Content& c : object.contents)
            items_.push_back({c.serial, c.graphic, c.amount, c.hue, c.x, c.y, 0, object.serial});
    }
}

const ScriptedShard::Item* ScriptedShard::item(uint32_t serial) const
{
    for (const Item& i : items_)
        if (i.serial == serial)
            return &i;
    return nullptr;
}

std::vector<ScriptedShard::Item> ScriptedShard::contentsOf(uint32_t container) const
{
    std::vector<Item> out;
    for (const Item& i : items_)
        if (i.container == container && i.serial != lifted_)
            out.push_back(i);
    return out;
}

void ScriptedShard::handleUse(const Bytes& packet)
{
    const uint32_t serial = be32(packet, 1) & 0x7FFFFFFF;
    const Item* used = item(serial);
    if (used == nullptr || serial == lifted_)
        return; // mobiles and unknown objects: nothing to open
    const uint16_t gump = ContainerGump(used->graphic);
    if (gump == 0)
        return;
    std::vector<Bytes> out{ServerPacket(0x24).u32(serial).u16(gump).done()};
    const std::vector<Item> inside = contentsOf(serial);
    ServerPacket contents(0x3C);
    contents.u16(static_cast<uint32_t>(inside.size()));
    for (const Item& i : inside)
        contents.u32(i.serial).u16(i.graphic).u8(0).u16(i.amount).u16(i.x).u16(i.y).u32(i.container).u16(i.hue);
    out.push_back(contents.done());
    send(Role::Game, out);
}

void ScriptedShard::handlePickUp(const Bytes& packet)
{
    const uint32_t serial = be32(packet, 1);
    const uint16_t amount = be16(packet, 5);
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Item& i) { return i.serial == serial; });
    // Reason 0: the item cannot be lifted (unknown, or something is on the pointer already).
    if (it == items_.end() || lifted_ != 0 || amount > it->amount) {
        send(Role::Game, {ServerPacket(0x27).u8(0).done()});
        return;
    }
    lifted_ = serial;
    if (amount == 0 || amount == it->amount)
        return;
    // A split: the rest stays where it was as a new item.
    Item rest = *it;
    rest.serial = nextSerial_++;
    rest.amount = static_cast<uint16_t>(it->amount - amount);
    it->amount = amount;
    items_.push_back(rest);
    if (rest.container != 0)
        send(Role::Game, {ContainerItemPacket(rest)});
    else
        send(Role::Game, {ServerPacket(0x1A)
                              .u32(rest.serial | 0x80000000u).u16(rest.graphic).u16(rest.amount).u16(rest.x)
                              .u16(rest.y).u8(static_cast<uint8_t>(rest.z)).done()});
}

void ScriptedShard::handleDrop(const Bytes& packet)
{
    const uint32_t serial = be32(packet, 1);
    const uint16_t x = be16(packet, 5), y = be16(packet, 7);
    const int8_t z = static_cast<int8_t>(packet[9]);
    const uint32_t target = be32(packet, 10);
    if (serial != lifted_ || lifted_ == 0) {
        fail("a drop of an item that was not lifted: " + hex(serial));
        return;
    }
    lifted_ = 0;
    auto find = [&](uint32_t s) {
        return std::find_if(items_.begin(), items_.end(), [&](const Item& i) { return i.serial == s; });
    };
    auto dropped = find(serial);
    if (dropped == items_.end())
        return;
    if (target == 0xFFFFFFFF) {
        dropped->container = 0;
        dropped->x = x;
        dropped->y = y;
        dropped->z = z;
        ServerPacket p(0x1A);
        p.u32(dropped->serial | (dropped->amount != 1 ? 0x80000000u : 0)).u16(dropped->graphic);
        if (dropped->amount != 1)
            p.u16(dropped->amount);
        p.u16(x).u16(y).u8(static_cast<uint8_t>(z));
        send(Role::Game, {p.done()});
        return;
    }
    auto onto = find(target);
    if (onto == items_.end() || onto == dropped) {
        // A mobile or nothing the shard knows: the item is given away.
        const uint32_t gone = dropped->serial;
        items_.erase(dropped);
        send(Role::Game, {ServerPacket(0x1D).u32(gone).done()});
        return;
    }
    if (ContainerGump(onto->graphic) != 0) {
        dropped->container = onto->serial;
        dropped->x = x == 0xFFFF ? 50 : x;
        dropped->y = y == 0xFFFF ? 70 : y;
        dropped->z = 0;
        send(Role::Game, {ContainerItemPacket(*dropped)});
        return;
    }
    if (onto->graphic == dropped->graphic && onto->hue == dropped->hue) {
        // Joined to the stack: the dropped item is gone and the stack shows its new amount.
        onto->amount = static_cast<uint16_t>(onto->amount + dropped->amount);
        const Item joined = *onto;
        const uint32_t gone = dropped->serial;
        items_.erase(dropped);
        send(Role::Game, {ServerPacket(0x1D).u32(gone).done()});
        if (joined.container != 0)
            send(Role::Game, {ContainerItemPacket(joined)});
        return;
    }
    // Not a container nor a stack: it lands beside the target, in the same place.
    dropped->container = onto->container;
    dropped->x = onto->x;
    dropped->y = onto->y;
    dropped->z = onto->z;
    if (dropped->container != 0)
        send(Role::Game, {ContainerItemPacket(*dropped)});
}

void ScriptedShard::handleEquip(const Bytes& packet)
{
    const uint32_t serial = be32(packet, 1);
    if (serial != lifted_ || lifted_ == 0) {
        fail("an equip of an item that was not lifted: " + hex(serial));
        return;
    }
    lifted_ = 0;
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Item& i) { return i.serial == serial; });
    if (it == items_.end())
        return;
    const Item worn = *it;
    items_.erase(it);
    // The item is worn: the wearer's equipment update.
    send(Role::Game, {ServerPacket(0x2E).u32(worn.serial).u16(worn.graphic).u8(0).u8(packet[5]).u32(be32(packet, 6))
                          .u16(worn.hue).done()});
}

} // namespace testsupport
