/** @file Music: MIDI songs by number, random play in peace and war, fades between songs, and the next song in sequence. */
#pragma once

#include "client/core/media_services.h"
#include "platform/audio/midi.h"

#include <cstdint>
#include <string>

// Every call is for the main thread. The songs play on the MIDI player installed by
// SetSequencer; without one every song fails to open and the game runs without music.
namespace MusicManager {

inline constexpr int kSongCount = 49;
/** Songs started less than this long ago keep playing unless a request forces a change. */
inline constexpr uint32_t kSongGuardMs = 10000;
/** Game ticks between two looks at what should be playing. */
inline constexpr int kPollTicks = 36;
inline constexpr int kFadeStep = 10;

/** The song file of a number, or null outside 0..48. */
const char* SongFile(int song);

/** Takes the Music switch and the MusicVol volume and clears the state. */
void CMusicManager();
/** The MIDI player the songs play on (not owned; null for none). */
void SetSequencer(platform::MidiPlayer* player);
/** Closes the song. */
void shutdown();

/** 1 when the song plays, is kept, or music is off; 0 when it could not start. */
int PlaySong(int song, int mayClose, int force);
int StartSongFile(const std::string& fileName, int mayClose);
/** "music\" + file under the install folder, else under the data-source folder; empty when in neither. */
std::string FindSongFile(const std::string& fileName);
void Stop();
void SetVolume(int volume);
void Enable(int on);
bool IsEnabled();
/** Every game tick: random play and the fade of a pending change. */
void Update();
/** The song in sequence after the one that ended. */
void PlayNextSong();
/**
 * A song ended by itself (the player's end notice, delivered on the main thread): the finished
 * song is closed, then the next one in sequence is asked for.
 */
void SongEnded();

/** The state, for tests and the credits. */
struct State {
    bool open = false;
    int currentSong = 0;
    int nextSong = 0;
    uint32_t startTime = 0;
    int pollCountdown = 0;
    bool changePending = false;
    std::string pendingName;
    int fadeAmount = 0;
    bool volumeApplied = false;
};
const State& CurrentState();

/** The sound font the synthesiser loads: the key store's SoundFont value, else Debian's General MIDI font. */
std::string SoundFontPath();

/** The manager as the application core calls it; installed by the start-up. */
MusicServices& services();

} // namespace MusicManager
