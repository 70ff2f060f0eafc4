/** @file The intro movie as the application core plays it. */
#pragma once

namespace movie {
class MovieSoundDevice;
} // namespace movie
namespace platform {
class Clock;
class MpegMovie;
} // namespace platform

using movie::MovieSoundDevice;

/** The device movies play their sound on; null plays them on the simulated clock. */
void SetMovieSoundDevice(MovieSoundDevice* device);
/** The clock of the intro (null: the system clock). A manual clock runs the sound passes inline. */
void SetIntroMovieClock(platform::Clock* clock);
/** The decoder of standard MPEG movies (not owned); null skips them. */
void SetIntroMpegMovie(platform::MpegMovie* decoder);
