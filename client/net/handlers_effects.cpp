/** @file Handlers of graphic effects, sound and music, personal light, weather, the game clock and effect sequences. */
#include "client/net/game_handlers.h"
#include "client/net/game_handlers_common.h"
#include "client/net/game_services.h"

#include "client/core/effect_services.h"
#include "client/core/gump_services.h"
#include "client/core/media_services.h"
#include "client/data/def_tables.h"
#include "client/world/object_manager.h"
#include "client/world/weather_manager.h"

using namespace gamepackets;

namespace {

constexpr uint16_t kLastSound = 1146;

/** The record common to the effect packets; false when the packet is short. */
bool readEffect(ByteReader& r, EffectRequest& e)
{
    e.type = r.u8();
    const uint32_t source = r.u32be();
    const uint32_t target = r.u32be();
    e.graphic = r.u16be();
    e.sourceX = r.u16be();
    e.sourceY = r.u16be();
    e.sourceZ = r.s8();
    e.targetX = r.u16be();
    e.targetY = r.u16be();
    e.targetZ = r.s8();
    e.speed = r.u8();
    e.duration = r.u8();
    e.option1 = r.u8();
    e.option2 = r.u8();
    e.fixedDirection = r.u8();
    e.explode = r.u8();
    // A serial that names no mobile turns the effect into one at the packet's location.
    e.sourceSerial = findMobile(source) != nullptr ? source : 0;
    e.targetSerial = findMobile(target) != nullptr ? target : 0;
    return r.ok();
}

} // namespace

void HandleGraphicEffect(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    EffectRequest e;
    if (!readEffect(r, e))
        return drop(packet, length, "short");
    effectServices().CreateEffectBasic(e);
}

void HandleItemMove(const uint8_t* packet, size_t length)
{
    ByteReader r = payload(packet, length);
    EffectRequest e;
    const uint16_t graphic = r.u16be();
    const uint8_t offset = r.u8();
    r.skip(4);
    const uint32_t source = r.u32be();
    e.sourceX = r.u16be();
    e.sourceY = r.u16be();
    e.sourceZ = r.s8();
    const uint32_t target = r.u32be();
    e.targetX = r.u16be();
    e.targetY = r.u16be();
    e.targetZ = r.s8();
    if (!r.ok())
        return drop(packet, length, "short");
    e.graphic = static_cast<uint16_t>(graphic + offset);
    // Only a serial that names a mobile makes the flight start or end on an object.
    e.sourceSerial = source != 0 && findMobile(source) != nullptr ? source : 0;
    e.targetSerial = target != 0 && findMobile(target) != nullptr ? target : 0;
    effectServices().CreateMovingItemEffect(e);
}

namespace {

/** 0xC0 and 0xC7: the record, the hue and the render mode, then bytes the client does not use. */
void huedEffect(const uint8_t* packet, size_t length, size_t unused, uint16_t firstGraphic)
{
    ByteReader r = payload(packet, length);
    EffectRequest e;
    readEffect(r, e);
    e.hue = r.u32be();
    e.renderMode = r.u32be();
    r.skip(unused);
    if (!r.ok())
        return drop(packet, length, "short");
    if (e.graphic >= firstGraphic)
        effectServices().CreateEffect(e);
}

} // namespace

void HandleHuedEffect(const uint8_t* packet, size_t length)
{
    huedEffect(packet, length, 0, 0);
}

void HandleParticleEffect(const uint8_t* packet, size_t length)
{
    // Three u16, a u32 and three bytes follow unused; graphics 0 and 1 make no effect here.
    huedEffect(packet, length, 13, 2);
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
    if (effectServices().IsRecordingSequence()) {
        effectServices().RecordSound(sound, x, y, z);
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
    if (value == 0) {
        if (!effectServices().StartSequenceRecording())
            gumpManager().ShowMessageGump("already sequencing!", nullptr, 0, 0, 0);
        return;
    }
    if (!effectServices().StopSequenceRecording(value))
        gumpManager().ShowMessageGump("not sequencing!", nullptr, 0, 0, 0);
}
