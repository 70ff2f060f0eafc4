/** @file Lights: the light files, the darkness of the time of day, and the monochrome and coloured light passes over a dirty rectangle. */
#pragma once

#include "client/data/art_blit.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class CDrawItem;
class CObj;
class CMobile;

/** One light sprite: brightness values (0..31) row by row. */
struct LightSprite {
    const int8_t* values = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

/**
 * The light files: lightidx.mul (12 bytes an entry: offset, length, width, height) and light.mul
 * (width x height signed bytes an entry), mapped at start-up until shutdown. An entry is used
 * only when its data lies inside light.mul and holds width x height bytes; a damaged entry is
 * logged once and gives no light.
 */
class thelightthingie {
public:
    /** Maps both files from the install folder; a missing file leaves the world without lights (logged). */
    static void startup();
    static void shutdown();
    /** Serves the two files from memory instead (tests, fuzzing); the bytes must outlive their use. */
    static void UseFiles(const uint8_t* index, size_t indexSize, const uint8_t* data, size_t dataSize);
    /** The sprite of a light id 0..99; false for another id, an entry without data or a damaged one. */
    static bool GetLight(int32_t id, LightSprite& out);
};

/** The light levels and the passes. Main thread only. */
namespace Lights {

/** Global light level L (0 daylight .. 31 black) and personal light P; the darkness is L - P. */
extern int32_t globalLevel;
extern int32_t personalLevel;

/** The ambient darkness 0..31 from L, P, DarkNights and whether the player is a ghost (then 0). */
int32_t AmbientLevel();

/** Where a light source's light stands and which light it is; false when it gives none. */
struct Placement {
    const CDrawItem* standsAt = nullptr;
    int32_t id = -1;
    /** The sprite's box in play-area pixels. */
    BlitRect box;
    int32_t width = 0;
    int32_t height = 0;
};
bool PlaceLight(const CObj& source, bool colored, Placement& out);

/** The colour code of a light by graphic (0 white, else 1, 2, 6, 30, 31, 40, 60, 61 or 62). */
int32_t LightColor(int32_t graphic);

/** The passes over one rectangle of play-area pixels of the current blit target. */
void DrawLightsMono(const BlitRect& rect);
void DrawLightsColored(const BlitRect& rect);
/** The pass the configuration asks for (ColoredLighting); nothing at all while there is no darkness and no light. */
void DrawLights(const BlitRect& rect);

/** Marks dirty the box the object's light covers; nothing for an id above 99. */
void InvalidateLightArea(const CObj& object);
/** Marks dirty the lights a listed mobile wears or carries in its first 26 layers. */
void InvalidateMobileLights(const CMobile& mobile);

} // namespace Lights
