/** @file What the application core asks of music, sound and the movie player. */
#pragma once

#include <functional>
#include <string>

/**
 * Music as the game tick, the menu commands and the intro see it. The audio subsystem installs
 * its player when the music manager is made; until then music is off and does nothing.
 * Main thread only.
 */
class MusicServices {
public:
    virtual ~MusicServices() = default;
    /** Every world pass. */
    virtual void Update() {}
    virtual void Enable(int /*on*/) {}
    virtual bool IsEnabled() const { return false; }
    /** The music device finished a song. */
    virtual void PlayNextSong() {}
    /** Plays a song by number (restart when it plays already and mayClose is set; force even in peace). */
    virtual void PlaySong(int /*song*/, int /*mayClose*/, int /*force*/) {}
};

/** Sound as the main loop, the game tick and the menu commands see it. Main thread only. */
class SoundServices {
public:
    virtual ~SoundServices() = default;
    /** After every window message, in every idle pass and in every world pass. */
    virtual void Update() {}
    virtual void Enable(int /*on*/) {}
    /** A sound at a place of the world, once, at full volume. */
    virtual void PlaySoundAt(int /*sound*/, int /*x*/, int /*y*/, int /*z*/) {}
    /** Switches the looping background sound (0 and 0xFFFF: none). */
    virtual void SetLoopSound(int /*sound*/) {}
};

/** The movie player of the intro. */
class MoviePlayerServices {
public:
    virtual ~MoviePlayerServices() = default;
    /**
     * Plays a movie file; returns when it ends or the user stops it. Between frames the player
     * calls windowHook, which handles one waiting window message and answers 1 to stop.
     */
    virtual void PlayMovie(const std::string& /*path*/, const std::function<int()>& /*windowHook*/) {}
    /** Plays a standard MPEG movie (the intro's .mpg) the same way; it has no subtitles. */
    virtual void PlayMpegMovie(const std::string& /*path*/, const std::function<int()>& /*windowHook*/) {}
};

/** Each installer takes null to put back the one that does nothing. */
void SetMusicServices(MusicServices* services);
MusicServices& musicManager();
void SetSoundServices(SoundServices* services);
SoundServices& soundManager();
void SetMoviePlayer(MoviePlayerServices* player);
MoviePlayerServices& moviePlayer();
