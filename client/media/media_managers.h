/** @file The movie player as the application core reaches it. */
#pragma once

#include "client/core/media_services.h"

#include <string>

/**
 * Plays a movie file on the display window, centred, in the surface's pixel layout, with sound
 * and the "intro" subtitles; windowHook runs after every frame and answers 1 to stop.
 */
void PlayMovie(const std::string& path, const std::function<int()>& windowHook);
/**
 * Plays a standard MPEG movie with the installed decoder (none: skipped with a log line): each
 * picture cut to its centred 640 x 480 and shown at the window's top-left corner, at the
 * stream's own rate; windowHook runs after every picture and answers 1 to stop.
 */
void PlayMpegMovie(const std::string& path, const std::function<int()>& windowHook);
/** The movie player as the application core calls it; installed by the start-up. */
MoviePlayerServices& moviePlayerServices();
