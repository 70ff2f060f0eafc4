/** @file Handlers of graphic effects, sound and music, personal light, weather, the game clock and effect sequences. */
#include "client/net/game_handlers.h"
#include "client/net/game_handlers_common.h"
#include "client/net/game_services.h"

#include "client/core/gump_services.h"
#include "client/core/media_services.h"
#include "client/data/def_tables.h"
#include "client/world/object_manager.h"
#include "client/world/weather_manager.h"

using namespace gamepackets;

namespace {

constexpr uint16_t kLastSound = 1146;
constexpr uint8_t kSoundNode = 8;

/** The record common to the effect packets; false when the packet is short. */
bool readEffect(ByteReader& r, EffectRecord& e)
{
    e.type = r.u8();
    const uint32_t source = r.u32be();
    const uint32_t target = r.u32be();
    e.graphic = r.u16be();
    const uint16_t sx = r.u16be(), sy = r.u16be();
    e.sourceZ = r.s8();
    const uint16_t tx = r.u16be(), ty = r.u16be();
    e.targetZ = r.s8();
    for (uint8_t& p : e.params)
        p = r.u8();
    // A serial that names no mobile turns the effect into one at the packet's location.
    e.source = findMobile(source) != nullptr ? source : 0;
    e.target = findMobile(target) != nullptr ? target : 0;
    e.sourceXY = static_cast<uint32_t>(sy) << 16 | sx;
    e.targetXY = static_cast<uint32_t>(ty) << 16 | tx;
    return r.ok();
}

void putU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

} // namespace

void HandleGraphicEffect(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    EffectRecord e;
    if (!readEffect(r, e))
        return drop(packet, length, "short");
    gameEffects().CreateEffectBasic(e);
}

void HandleHuedEffect(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    EffectRecord e;
    readEffect(r, e);
    e.hue = r.u32be();
    e.renderMode = r.u32be();
    if (!r.ok())
        return drop(packet, length, "short");
    gameEffects().CreateEffect(e);
}

void HandleParticleEffect(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    EffectRecord e;
    readEffect(r, e);
    e.hue = r.u32be();
    e.renderMode = r.u32be();
    r.skip(13); // three u16, a u32 and three bytes the client does not use
    if (!r.ok())
        return drop(packet, length, "short");
    if (e.graphic <= 1)
        return;
    gameEffects().CreateEffect(e);
}

void HandlePlaySound(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t mode = r.u8();
    uint16_t sound = r.u16be();
    r.u16be();
    const uint16_t x = r.u16be(), y = r.u16be(), z = r.u16be();
    if (!r.ok())
        return drop(packet, length, "short");
    if (mode == 0) {
        soundManager().SetLoopSound(sound);
        return;
    }
    const DefTable* remap = DefTables::Get(DEF_SOUND);
    if (remap != nullptr && remap->Find(sound) != nullptr)
        sound = remap->PickAlternate(sound, 0);
    if (sound > kLastSound)
        return;
    SequenceState& sequence = Game().sequence;
    if (sequence.recording) {
        SequenceNode node;
        node.kind = kSoundNode;
        for (uint16_t v : {sound, x, y, z})
            putU16(node.data, v);
        sequence.nodes.push_back(std::move(node));
        return;
    }
    soundManager().PlaySoundAt(sound, x, y, z);
}

void HandlePlayMusic(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint16_t song = r.u16be();
    if (!r.ok())
        return drop(packet, length, "short");
    musicManager().PlaySong(song, 1, 0);
}

void HandlePersonalLight(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint32_t serial = r.u32be();
    const uint8_t level = r.u8();
    if (!r.ok())
        return drop(packet, length, "short");
    if (CMobile* mobile = findMobile(serial))
        mobile->SetPersonalLight(level);
}

void HandleWeather(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t type = r.u8();
    const uint8_t count = r.u8();
    const int8_t temperature = r.s8();
    if (!r.ok())
        return drop(packet, length, "short");
    WeatherManager::HandleWeather(type, count, temperature);
}

void HandleGameTime(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t hour = r.u8(), minute = r.u8(), second = r.u8();
    if (!r.ok())
        return drop(packet, length, "short");
    GameState& g = Game();
    g.hour = hour;
    g.minute = minute;
    g.second = second;
}

void HandleSequence(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    const uint8_t value = r.u8();
    if (!r.ok())
        return drop(packet, length, "short");
    SequenceState& sequence = Game().sequence;
    if (value == 0) {
        if (sequence.recording) {
            gumpManager().ShowMessageGump("already sequencing!", nullptr, 0, 0, 0);
            return;
        }
        sequence = SequenceState{};
        sequence.recording = true;
        return;
    }
    if (!sequence.recording) {
        gumpManager().ShowMessageGump("not sequencing!", nullptr, 0, 0, 0);
        return;
    }
    sequence.recording = false;
    sequence.playCount = value;
    if (!sequence.nodes.empty())
        gameEffects().PlaySequence(sequence.nodes, value);
    sequence.nodes.clear();
}
