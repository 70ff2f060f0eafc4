/** @file The movie player: for now the least the application core asks of it. */
#pragma once

#include "client/core/media_services.h"

#include <string>

/** Plays a movie file; returns when it ends or windowHook (called between frames) answers 1. */
void PlayMovie(const std::string& path, const std::function<int()>& windowHook);
/** The movie player as the application core calls it; installed by the start-up. */
MoviePlayerServices& moviePlayerServices();
