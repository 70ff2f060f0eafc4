/** @file Replayed sequences: effects, sounds and mobile animations recorded at the server's request and played back as a chain. */
#include "client/render/effect_sequence.h"

#include "client/render/effects.h"

#include "client/core/kz_report.h"
#include "client/world/object_manager.h"
#include "client/world/world_objects.h"
#include "client/world/world_services.h"

#include <map>
#include <unordered_map>

namespace {

struct SequenceState {
    std::map<uint32_t, std::unique_ptr<CSequence>> live;
    uint32_t nextId = 1;
    /** The sequence being recorded, 0 while not recording. */
    uint32_t recording = 0;
    /** Mobiles playing a replayed animation, and the sequence each one moves on. */
    std::unordered_map<uint32_t, uint32_t> animations;
    bool capLogged = false;
    SequenceHooks hooks;
};

SequenceState& sequences()
{
    static SequenceState s;
    return s;
}

CMobile* findMobile(uint32_t serial)
{
    CDynamicObj* object = serial != 0 ? CObjectManager::FindObject(serial) : nullptr;
    return object != nullptr && object->IsMobile() != 0 ? static_cast<CMobile*>(object) : nullptr;
}

/** Every object an effect node names is still a mobile of the world. */
bool objectsPresent(const SequenceNode& node)
{
    const EffectRequest& r = node.effect;
    if (r.sourceSerial != 0 && findMobile(r.sourceSerial) == nullptr) return false;
    if (r.targetSerial != 0 && findMobile(r.targetSerial) == nullptr) return false;
    return true;
}

bool isEffectKind(int32_t kind) { return (kind >= 0 && kind <= 6) || (kind >= kNodeHuedFirst && kind <= kNodeHuedLast); }

void deleteSequence(uint32_t id)
{
    SequenceState& s = sequences();
    for (auto it = s.animations.begin(); it != s.animations.end();) {
        if (it->second == id) it = s.animations.erase(it);
        else ++it;
    }
    s.live.erase(id);
}

/**
 * Plays from node index on: nodes that finish at once (sounds, skipped nodes) lead straight to
 * the next one, a node that starts an effect or an animation waits for its end. The loop ends
 * because every pass over the list counts the repeat count down.
 */
void run(uint32_t id, size_t index)
{
    SequenceState& s = sequences();
    for (;;) {
        CSequence* seq = Sequences::Find(id);
        if (seq == nullptr) return;
        if (index >= seq->nodes.size()) {
            if (seq->repeatCount <= 1 || seq->nodes.empty()) {
                deleteSequence(id);
                return;
            }
            --seq->repeatCount;
            index = 0;
        }
        seq->current = index;
        const SequenceNode node = seq->nodes[index];
        if (isEffectKind(node.kind)) {
            if (objectsPresent(node)) {
                if (MissileEffect* e = MakeEffect(node.effect, node.kind >= kNodeHuedFirst)) {
                    e->followUp = id;
                    return;
                }
            }
        } else if (node.kind == kNodeSound) {
            if (s.hooks.playSound) s.hooks.playSound(node.sound);
            else worldSound().PlaySoundAt(node.sound.sound, node.sound.x, node.sound.y);
        } else if (node.kind == kNodeAnimation || node.kind == kNodeAnimationSecond) {
            if (CMobile* mobile = findMobile(node.animation.serial)) {
                const AnimationStep& a = node.animation;
                s.animations[a.serial] = id;
                // Started as a live request would be, but never recorded again.
                const uint32_t recording = s.recording;
                s.recording = 0;
                mobile->SetAnimation(a.action, a.frames, a.value3, a.value4, a.reverse, a.value6);
                s.recording = recording;
                return;
            }
        }
        ++index;
    }
}

} // namespace

CSequence::CSequence() { KZReport::message("CSequence::CSequence(): begin.\n"); }

CSequence::~CSequence() = default;

void CSequence::Append(const SequenceNode& node)
{
    if (nodes.size() >= kMaxNodes) {
        if (!sequences().capLogged) KZReport::message("CSequence::Append: more than %zu nodes, the rest dropped.\n", kMaxNodes);
        sequences().capLogged = true;
        return;
    }
    nodes.push_back(node);
}

void CSequence::Play(size_t index) { run(id, index); }

void CSequence::Advance() { run(id, current + 1); }

SequenceHooks& sequenceHooks() { return sequences().hooks; }

namespace Sequences {

bool IsRecording() { return sequences().recording != 0; }

bool StartRecording()
{
    SequenceState& s = sequences();
    if (s.recording != 0) return false;
    auto seq = std::make_unique<CSequence>();
    seq->id = s.nextId++;
    if (s.nextId == 0) s.nextId = 1;
    s.recording = seq->id;
    s.live[seq->id] = std::move(seq);
    return true;
}

bool StopRecording(uint8_t repeat)
{
    SequenceState& s = sequences();
    if (s.recording == 0) return false;
    const uint32_t id = s.recording;
    s.recording = 0;
    CSequence* seq = Find(id);
    if (seq == nullptr) return true;
    seq->repeatCount = repeat;
    if (seq->nodes.empty()) {
        deleteSequence(id);
        return true;
    }
    seq->Play(0);
    return true;
}

void Record(const SequenceNode& node)
{
    if (CSequence* seq = Find(sequences().recording)) seq->Append(node);
}

CSequence* Find(uint32_t id)
{
    SequenceState& s = sequences();
    const auto it = s.live.find(id);
    return it != s.live.end() ? it->second.get() : nullptr;
}

void Advance(uint32_t id)
{
    if (CSequence* seq = Find(id)) seq->Advance();
}

void Abandon(uint32_t id)
{
    if (id != sequences().recording) deleteSequence(id);
}

void AnimationEnded(uint32_t serial)
{
    SequenceState& s = sequences();
    const auto it = s.animations.find(serial);
    if (it == s.animations.end()) return;
    const uint32_t id = it->second;
    s.animations.erase(it);
    Advance(id);
}

size_t LiveCount() { return sequences().live.size(); }

void Reset()
{
    SequenceState& s = sequences();
    s.live.clear();
    s.animations.clear();
    s.recording = 0;
    s.capLogged = false;
}

} // namespace Sequences
