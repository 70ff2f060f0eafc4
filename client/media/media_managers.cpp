/** @file Music, sound and the movie player as the application core sees them. */
#include "client/media/media_managers.h"

#include "client/core/config_store.h"

namespace {
bool g_music = false;
bool g_sound = false;
int g_lastSong = -1;
int g_advanced = 0;
int g_soundUpdates = 0;
} // namespace

namespace MusicManager {

void CMusicManager()
{
    g_music = Music != 0;
    g_lastSong = -1;
    g_advanced = 0;
}

void shutdown() {}

void PlaySong(int song, int, int)
{
    if (g_music)
        g_lastSong = song;
}

void Update() {}

void Enable(int on)
{
    g_music = on != 0;
}

bool IsEnabled()
{
    return g_music;
}

void PlayNextSong()
{
    ++g_advanced;
}

int LastSong()
{
    return g_lastSong;
}

int SongsAdvanced()
{
    return g_advanced;
}

} // namespace MusicManager

namespace SoundManager {

void CSoundManager()
{
    g_sound = Sound != 0;
    g_soundUpdates = 0;
}

void shutdown() {}
void InitDirectSound() {}

void Update()
{
    ++g_soundUpdates;
}

void Enable(int on)
{
    g_sound = on != 0;
}

bool IsEnabled()
{
    return g_sound;
}

int Updates()
{
    return g_soundUpdates;
}

} // namespace SoundManager

void PlayMovie(const std::string&) {}
