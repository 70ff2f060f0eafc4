/** @file What the packet handlers and the world ask of the graphic effects, the sequence recorder and the journal. */
#pragma once

#include <cstdint>

/**
 * One effect request as the effect packets carry it. Objects are named by serial, 0 for none;
 * the caller passes 0 for a serial that names no mobile, so the effect uses the location.
 * Coordinates are map cells and z units.
 */
struct EffectRequest {
    /** 0 moving, 1 lightning on an object, 2 fixed at a location, 3 fixed on an object. */
    uint8_t type = 0;
    uint32_t sourceSerial = 0;
    uint32_t targetSerial = 0;
    uint16_t graphic = 0;
    int32_t sourceX = 0;
    int32_t sourceY = 0;
    int32_t sourceZ = 0;
    int32_t targetX = 0;
    int32_t targetY = 0;
    int32_t targetZ = 0;
    /** The six parameter bytes of the packet, in their order. */
    uint8_t speed = 0;
    uint8_t duration = 0;
    uint8_t option1 = 0;        // reverse
    uint8_t option2 = 0;        // ping-pong
    uint8_t fixedDirection = 0; // never turned to the heading, one graphic while moving
    uint8_t explode = 0;        // explodes on arrival
    /** The hued and particle packets only; 0 for the basic packet. */
    uint32_t hue = 0;
    uint32_t renderMode = 0;
};

/** The six values of a mobile animation (CMobile::SetAnimation's arguments). */
struct AnimationStep {
    uint32_t serial = 0;
    int32_t action = 0;
    int32_t frames = 0;
    int32_t value3 = 0;
    int32_t value4 = 0;
    int32_t reverse = 0;
    int32_t value6 = 0;
};

/**
 * Graphic effects and the effect sequence recorder. The renderer installs its own at start-up;
 * until then (and in the tests of the lower folders) nothing is shown, nothing is recorded and
 * recording never starts. Main thread only.
 */
class EffectServices {
public:
    virtual ~EffectServices() = default;
    /** 0xC0 and 0xC7 (hue and render mode taken). While recording the request becomes a node. */
    virtual void CreateEffect(const EffectRequest& /*request*/) {}
    /** 0x70: as CreateEffect with hue and render mode 0. */
    virtual void CreateEffectBasic(const EffectRequest& /*request*/) {}
    /**
     * 0x23: a moving item from the source (serial or location) to the target (serial or
     * location); the speed, direction and explode fields are set here (5, fixed, none).
     */
    virtual void CreateMovingItemEffect(const EffectRequest& /*request*/) {}
    /** The weather's lightning strike at a map position. */
    virtual void InitWeatherParticle(int32_t /*x*/, int32_t /*y*/, int32_t /*z*/) {}
    /** The view scrolled by (dx, dy) pixels: every flying effect moves with it. */
    virtual void ShiftMissileGumps(int32_t /*dx*/, int32_t /*dy*/) {}
    /** The map changed: every effect goes, and no follow-up sequence starts. */
    virtual void DestroyMissileGumps() {}

    /** True while the server has the client record a sequence (0x7B value 0 .. value n). */
    virtual bool IsRecordingSequence() { return false; }
    /** 0x7B value 0: starts recording; false (nothing changes) when already recording. */
    virtual bool StartSequenceRecording() { return false; }
    /**
     * 0x7B value n > 0: stops recording and replays the sequence n times (an empty one is
     * deleted at once); false (nothing changes) when not recording.
     */
    virtual bool StopSequenceRecording(uint8_t /*repeat*/) { return false; }
    /** A sound node (packet 0x54 while recording): the sound at a map position. */
    virtual void RecordSound(uint16_t /*sound*/, uint16_t /*x*/, uint16_t /*y*/, uint16_t /*z*/) {}
    /** A mobile animation node (CMobile::SetAnimation while recording). */
    virtual void RecordAnimation(const AnimationStep& /*step*/) {}
    /**
     * A mobile's replayed animation ended (the animated list): the sequence that started it
     * moves on to its next node. Nothing when the mobile plays no replayed animation.
     */
    virtual void SequenceAnimationEnded(uint32_t /*serial*/) {}
};

/** Installs the effects; null puts back the ones that do nothing. */
void SetEffectServices(EffectServices* services);
EffectServices& effectServices();

/**
 * The journal and system messages as every subsystem sees them. The renderer's text manager
 * installs its own at start-up; until then nothing is shown or kept.
 */
class TextServices {
public:
    virtual ~TextServices() = default;
    /** A system message in the world view (recorded in the journal); nothing when the font is not loaded. */
    virtual void AddSystemMessage(int32_t /*hue*/, int32_t /*font*/, const char* /*text*/) {}
    virtual void AddJournalLine(const char* /*text*/, int32_t /*hue*/) {}
    /** A line of 16-bit units, ended by a 0 unit. */
    virtual void AddUnicodeJournalLine(const char16_t* /*text*/, int32_t /*hue*/) {}
    /** While set, no line is recorded (the object manager re-creating an object's stored texts). */
    virtual void SetJournalSuppressed(bool /*on*/) {}
};

void SetTextServices(TextServices* services);
TextServices& textServices();
