/** @file Sound effects: eight streamed channels, sounds placed in the world, and the looping background sound with its fades. */
#include "client/media/sound_manager.h"

#include "client/media/player_place.h"
#include "client/media/stream_buf.h"

#include "client/core/config_store.h"
#include "client/core/kz_report.h"
#include "client/data/def_tables.h"
#include "platform/message_box/message_box.h"
#include "platform/random/random.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

namespace {

constexpr int32_t kIdleSound = 0xffff;
constexpr int32_t kFadeStep = 20;
constexpr float kHearingRange = 18.0f;

const SoundManager::LoopState kLoopAtRest{0, -1, -10000};

struct SoundState {
    platform::AudioDevice* device = nullptr;
    bool primary = false;
    uint8_t on = 0;
    int32_t volume = 255;
    std::array<std::unique_ptr<CStreamBuf>, SoundManager::kChannels> channels;
    SoundManager::LoopState current{0, -1, SoundManager::kQuietest};
    SoundManager::LoopState fading = kLoopAtRest;
};

SoundState g_sound;

class CoreSoundServices final : public SoundServices {
public:
    void Update() override { SoundManager::Update(); }
    void Enable(int on) override { SoundManager::Enable(on); }
    void PlaySoundAt(int sound, int x, int y, int /*z*/) override
    {
        SoundManager::PlaySoundAt(sound, MapPoint{x, y}, 1.0f, 0, 0, 0);
    }
    void SetLoopSound(int sound) override { SoundManager::SetLoopSound(sound); }
};

platform::AudioBuffer* bufferOf(int channel)
{
    if (channel < 0 || channel >= SoundManager::kChannels || g_sound.channels[static_cast<size_t>(channel)] == nullptr)
        return nullptr;
    return g_sound.channels[static_cast<size_t>(channel)]->buffer();
}

float masterOf(int channel)
{
    return g_sound.channels[static_cast<size_t>(channel)]->masterFactor;
}

/** Sets a channel's volume from a level on the -2500..0 scale. */
void setChannelLevel(int channel, int32_t level)
{
    if (platform::AudioBuffer* buffer = bufferOf(channel))
        buffer->setVolume(CStreamBuf::ScaledVolume(level, masterOf(channel)));
}

/** Every channel gets the master factor volume / 255 and is rescaled from its present volume. */
void rescaleChannels()
{
    for (int i = 0; i < SoundManager::kChannels; ++i) {
        CStreamBuf* channel = g_sound.channels[static_cast<size_t>(i)].get();
        if (channel == nullptr || channel->buffer() == nullptr)
            continue;
        channel->masterFactor = static_cast<float>(g_sound.volume) / 255.0f;
        int32_t present = 0;
        channel->buffer()->volume(present);
        channel->buffer()->setVolume(CStreamBuf::ScaledVolume(present, channel->masterFactor));
    }
}

void startPrimary()
{
    const platform::AudioResult result = g_sound.device->startPrimary();
    if (result != platform::AudioResult::Ok)
        ReportDirectSoundError("Failed to start playing primary buffer", result, "");
}

/** Silences a channel for good: a stopped buffer would only be started again by its refill. */
void stopChannel(int channel)
{
    if (channel >= 0 && channel < SoundManager::kChannels && g_sound.channels[static_cast<size_t>(channel)] != nullptr)
        g_sound.channels[static_cast<size_t>(channel)]->Stop();
}

class FootstepSounds final : public WorldSoundServices {
public:
    void PlaySound(int32_t sound) override { SoundManager::PlaySound(sound, 0, -1000, 0, kStepVariation, 1); }
    void PlaySoundAt(int32_t sound, int32_t x, int32_t y) override
    {
        SoundManager::PlaySoundAt(sound, MapPoint{x, y}, 1.0f, 0, kStepVariation, 1);
    }
    bool FootstepsOn() override { return Footsteps != 0; }

private:
    static constexpr int32_t kStepVariation = 14;
};

} // namespace

const char* DirectSoundErrorName(platform::AudioResult result)
{
    switch (result) {
    case platform::AudioResult::Generic: return "(DSERR_GENERIC)";
    case platform::AudioResult::InvalidParam: return "(DSERR_INVALIDPARAM)";
    case platform::AudioResult::InvalidCall: return "(DSERR_INVALIDCALL)";
    case platform::AudioResult::OutOfMemory: return "(DSERR_OUTOFMEMORY)";
    case platform::AudioResult::BadFormat: return "(DSERR_BADFORMAT)";
    case platform::AudioResult::NoDriver: return "(DSERR_NODRIVER)";
    case platform::AudioResult::BufferLost: return "(DSERR_BUFFERLOST)";
    case platform::AudioResult::Ok: break;
    }
    return "";
}

void ReportDirectSoundError(const char* message, platform::AudioResult result, const char* extra)
{
    const std::string text = std::string(message) + " " + DirectSoundErrorName(result) + " " + extra;
    platform::showMessageBox("DirectSound Error", text);
}

namespace SoundManager {

void CSoundManager()
{
    KZReport::message("SoundManager::CSoundManager(): begin.\n");
    g_sound.current = LoopState{0, -1, kQuietest};
    g_sound.fading = kLoopAtRest;
    g_sound.on = Sound;
    g_sound.volume = std::clamp<int32_t>(SoundVol, 0, 255);
}

void InitDirectSound(platform::AudioDevice* device)
{
    g_sound.device = device;
    if (device == nullptr)
        return;
    g_sound.primary = true;
    for (auto& channel : g_sound.channels)
        channel = std::make_unique<CStreamBuf>(*device);
    if (g_sound.on != 0) {
        rescaleChannels();
        startPrimary();
    }
}

void shutdown()
{
    if (g_sound.primary) {
        for (auto& channel : g_sound.channels)
            channel.reset();
        g_sound.device->stopPrimary();
    }
    g_sound.primary = false;
    g_sound.device = nullptr;
}

void SetVolume(int32_t volume)
{
    g_sound.volume = std::clamp<int32_t>(volume, 0, 255);
    if (g_sound.primary)
        rescaleChannels();
}

void Enable(int32_t on)
{
    g_sound.on = on != 0 ? 1 : 0;
    if (!g_sound.primary)
        return;
    if (on != 0) {
        rescaleChannels();
        startPrimary();
        LoopState& current = g_sound.current;
        if (current.sound != 0 && current.sound != kIdleSound && current.channel == -1)
            current.channel = PlaySound(current.sound, 0, current.level, 1, 0, 0);
        return;
    }
    stopChannel(g_sound.fading.channel);
    g_sound.fading = kLoopAtRest;
    g_sound.current.level = kQuietest;
    // Paused, not ended: the refill starts every channel again once sound is back on.
    for (int i = 0; i < kChannels; ++i)
        if (platform::AudioBuffer* buffer = bufferOf(i))
            buffer->stop();
    g_sound.device->stopPrimary();
}

bool IsEnabled()
{
    return g_sound.on != 0;
}

int32_t PlaySound(int32_t sound, int32_t pan, int32_t volume, int32_t loop, int32_t pitchVariation, int32_t restart)
{
    if (const DefTable* table = DefTables::Get(DEF_SOUND))
        if (sound >= 0 && sound <= 0xffff && table->Find(static_cast<uint16_t>(sound)) != nullptr)
            sound = table->PickAlternate(static_cast<uint16_t>(sound), 0);
    if (g_sound.on == 0 || sound < 0 || sound >= kSoundCount || !g_sound.primary)
        return -1;
    if (restart == 0)
        for (int i = 0; i < kChannels; ++i)
            if (g_sound.channels[static_cast<size_t>(i)] != nullptr &&
                g_sound.channels[static_cast<size_t>(i)]->soundNumber == static_cast<uint32_t>(sound))
                return i;

    int chosen = -1;
    for (int i = 0; i < kChannels && chosen < 0; ++i)
        if (bufferOf(i) != nullptr && g_sound.channels[static_cast<size_t>(i)]->soundNumber == CStreamBuf::kIdle)
            chosen = i;
    if (chosen < 0) {
        // The quietest channel, not the looping sound's; the last of equally quiet ones.
        int32_t lowest = 0;
        for (int i = 0; i < kChannels; ++i) {
            platform::AudioBuffer* buffer = bufferOf(i);
            if (buffer == nullptr || i == g_sound.current.channel)
                continue;
            int32_t level = 0;
            buffer->volume(level);
            if (level <= lowest) {
                lowest = level;
                chosen = i;
            }
        }
    }
    if (chosen < 0)
        return -1;

    int32_t offset = -1;
    int32_t length = 0;
    if (!soundRecords().IndexRecord(sound, offset, length) || offset == -1 ||
        length <= static_cast<int32_t>(CStreamBuf::kRecordHeaderBytes))
        return -1;

    uint32_t frequency = 0;
    if (pitchVariation > 0) {
        const int r = platform::rand() % pitchVariation;
        int32_t delta = static_cast<int32_t>(r * 0.01 * CStreamBuf::kSampleRate);
        if (platform::rand() % 2 == 0)
            delta = -delta;
        frequency = static_cast<uint32_t>(
            std::max<int32_t>(static_cast<int32_t>(CStreamBuf::kSampleRate) + delta, platform::kAudioFrequencyMin));
    }
    g_sound.channels[static_cast<size_t>(chosen)]->Play(sound, pan, volume, loop, frequency);
    return chosen;
}

int32_t PlaySoundAt(int32_t sound, MapPoint position, float volumeFactor, int32_t loop, int32_t pitchVariation,
                    int32_t restart)
{
    MapPoint player = position;
    PlayerPlace(player);
    const float distance = static_cast<float>(MapManager::GetDistance(position, player));
    const int32_t volume = static_cast<int32_t>(std::min(distance / kHearingRange, 1.0f) * volumeFactor * -2500.0f);
    const float across = static_cast<float>((position.x - position.y) - (player.x - player.y));
    const float offset = std::clamp(across / 2.0f / kHearingRange, -1.0f, 1.0f);
    int32_t pan = static_cast<int32_t>(offset * 2500.0f);
    if (ReverseSpeakers != 0)
        pan = -pan;
    return PlaySound(sound, pan, volume, loop, pitchVariation, restart);
}

void PlaySoundIfOn(int32_t sound, int32_t pan, int32_t volume)
{
    if (g_sound.on != 0)
        PlaySound(sound, pan, volume, 0, 0, 0);
}

void SetLoopSound(int32_t sound)
{
    LoopState& current = g_sound.current;
    LoopState& fading = g_sound.fading;
    if (sound == current.sound)
        return;
    if (sound == fading.sound && sound != 0 && sound != kIdleSound && fading.channel != -1) {
        std::swap(current, fading);
        return;
    }
    fading = current;
    current = LoopState{sound, -1, kQuietest};
    if (sound == 0 || sound == kIdleSound)
        return;
    current.channel = PlaySound(sound, 0, kQuietest, 1, 0, 0);
    if (current.channel == fading.channel)
        fading = kLoopAtRest;
}

void Update()
{
    if (g_sound.on == 0 || !g_sound.primary)
        return;
    for (auto& channel : g_sound.channels)
        if (channel != nullptr)
            channel->Update();

    LoopState& fading = g_sound.fading;
    if (fading.sound != 0 && fading.channel != -1) {
        fading.level -= kFadeStep;
        if (fading.level > kQuietest) {
            setChannelLevel(fading.channel, fading.level);
        } else {
            stopChannel(fading.channel);
            fading = kLoopAtRest;
        }
    }
    LoopState& current = g_sound.current;
    if (current.channel != -1) {
        current.level = std::min(current.level + kFadeStep, kLoopCeiling);
        setChannelLevel(current.channel, current.level);
    }
}

platform::AudioDevice* Device()
{
    return g_sound.device;
}

CStreamBuf* Channel(int index)
{
    if (index < 0 || index >= kChannels)
        return nullptr;
    return g_sound.channels[static_cast<size_t>(index)].get();
}

const LoopState& CurrentLoop()
{
    return g_sound.current;
}

const LoopState& FadingLoop()
{
    return g_sound.fading;
}

SoundServices& services()
{
    static CoreSoundServices services;
    return services;
}

WorldSoundServices& worldSounds()
{
    static FootstepSounds sounds;
    return sounds;
}

} // namespace SoundManager
