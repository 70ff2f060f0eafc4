/** @file The speech display of the game screen: the text manager's system texts, the handlers' speech and the world's overhead texts shown as bark gumps, and the typed line shown in its gump. */
#pragma once

#include "client/core/unicode_string.h"

#include <cstdint>

/**
 * Installs (true) or removes (false) the bark maker of the text manager, the speech display of
 * the packet handlers, the world's overhead messages, the core's system-text hook and the
 * display of the typed input line. Main thread only.
 */
void InstallSpeechDisplay(bool on);

/**
 * The translation helper's answer to a clicked text: shown in hue 53 over the object whose
 * serial the request carried as its value, when that object is still there.
 */
void ShowClickedTranslation(void* userData, int32_t serial, const WideChar* prefix, const WideChar* text);
