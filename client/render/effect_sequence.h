/** @file Replayed sequences: effects, sounds and mobile animations recorded at the server's request and played back as a chain. */
#pragma once

#include "client/core/effect_services.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

/** The node kinds: 0-6 the basic effects, 7 and 16 mobile animations, 8 a sound, 9-15 the hued effects. */
enum SequenceNodeKind : int32_t {
    kNodeFixedAtLocation = 0,
    kNodeFixedOnObject = 1,
    kNodeLightning = 2,
    kNodeLocationToLocation = 3,
    kNodeLocationToObject = 4,
    kNodeObjectToLocation = 5,
    kNodeObjectToObject = 6,
    kNodeAnimation = 7,
    kNodeSound = 8,
    kNodeHuedFirst = 9,
    kNodeHuedLast = 15,
    kNodeAnimationSecond = 16,
};

/** A sound step: the sound and the map position it is played at. */
struct SoundStep {
    uint16_t sound = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t z = 0;
};

/** One step: its kind and a copy of the creator's arguments (objects by serial). */
struct SequenceNode {
    int32_t kind = 0;
    EffectRequest effect;
    SoundStep sound;
    AnimationStep animation;
};

/**
 * A recorded chain. Each node starts when the one before it ends (an effect or animation ends,
 * a sound at once); at the end of the list the repeat count goes down and the chain starts
 * again at its head, or the sequence is deleted when the count reaches 0. Sequences are kept by
 * id; whatever plays a node holds the id, so a sequence whose pending step is destroyed without
 * ending (a map change, a mobile gone) is dropped instead of followed.
 */
class CSequence {
public:
    /** At most this many nodes are recorded; later ones are dropped. */
    static constexpr size_t kMaxNodes = 256;

    CSequence();
    ~CSequence();

    void Append(const SequenceNode& node);
    /** Plays node index (a node whose objects are gone is skipped to the next one). */
    void Play(size_t index);
    /** Moves on to the next node and plays it (end of list: repeat or delete). */
    void Advance();

    uint32_t id = 0;
    std::vector<SequenceNode> nodes;
    size_t current = 0;
    uint8_t repeatCount = 0;
};

/** The replay's outside needs; the defaults play nothing. */
struct SequenceHooks {
    /** A recorded sound, played at its map position. */
    std::function<void(const SoundStep& sound)> playSound;
};
SequenceHooks& sequenceHooks();

namespace Sequences {

bool IsRecording();
/** Packet value 0; false when already recording. */
bool StartRecording();
/** Packet value n > 0; false when not recording. */
bool StopRecording(uint8_t repeat);
/** Appends to the sequence being recorded (nothing when not recording). */
void Record(const SequenceNode& node);
/** The live sequence of an id, or null. */
CSequence* Find(uint32_t id);
/** Moves the sequence on after its pending step ended. */
void Advance(uint32_t id);
/** Drops a sequence whose pending step went away without ending. */
void Abandon(uint32_t id);
/** A replayed mobile animation ended. */
void AnimationEnded(uint32_t serial);
/** How many sequences are alive (the recording one included). */
size_t LiveCount();
/** Deletes every sequence and stops recording (shutdown and tests). */
void Reset();

} // namespace Sequences
