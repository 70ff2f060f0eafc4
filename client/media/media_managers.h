/** @file Music, sound and the movie player as the application core sees them. */
#pragma once

#include <string>

// Only what the application core calls until the audio subsystem brings the real players:
// the switches and the requests are kept so that menus, the tick and the intro behave.
namespace MusicManager {
/** Takes the Music setting as the music switch. */
void CMusicManager();
void shutdown();
void PlaySong(int song, int restart, int force);
void Update();
void Enable(int on);
bool IsEnabled();
/** The music device finished a song. */
void PlayNextSong();
int LastSong();
int SongsAdvanced();
} // namespace MusicManager

namespace SoundManager {
/** Takes the Sound setting as the sound switch. */
void CSoundManager();
void shutdown();
void InitDirectSound();
void Update();
void Enable(int on);
bool IsEnabled();
int Updates();
} // namespace SoundManager

/** Plays a movie file; returns when it ends or the user stops it. */
void PlayMovie(const std::string& path);
