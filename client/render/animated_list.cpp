/** @file The mobiles playing an action animation, stepped frame by frame; and the angle conversion of the moving effects. */
#include "client/render/animated_list.h"

#include "client/core/effect_services.h"
#include "client/world/object_manager.h"
#include "client/world/world_objects.h"

#include <algorithm>

namespace {

std::vector<CMobile*>& entries()
{
    static std::vector<CMobile*> list;
    return list;
}

/**
 * Mobiles whose animation ended since the last step. A replayed sequence moves on from the
 * step, never from inside the removal, which may run while the mobile is being destroyed.
 */
std::vector<uint32_t>& ended()
{
    static std::vector<uint32_t> serials;
    return serials;
}

void moveSequencesOn()
{
    std::vector<uint32_t> serials;
    serials.swap(ended());
    for (const uint32_t serial : serials) effectServices().SequenceAnimationEnded(serial);
}

/** A frame change: out of the grid, the change, the tick counter cleared, back into the grid. */
template <class Change>
void changeFrame(CMobile& m, Change change)
{
    const bool listed = m.inList != 0;
    if (listed) m.RemoveFromDrawList();
    change();
    m.anim.ticks = 0;
    if (listed) m.AddToDrawList();
}

} // namespace

namespace AnimatedList {

void Add(CMobile& mobile)
{
    if (mobile.anim.listMark != -1) return;
    entries().push_back(&mobile);
    mobile.anim.listMark = 1;
}

int Remove(CMobile& mobile, bool keep)
{
    const bool deathPending = mobile.dying != 0;
    if (mobile.anim.listMark != -1) {
        if (mobile.inList != 0) {
            mobile.RemoveFromDrawList();
            mobile.playingAction = 0;
            mobile.AddToDrawList();
        } else {
            mobile.playingAction = 0;
        }
        auto& list = entries();
        list.erase(std::remove(list.begin(), list.end(), &mobile), list.end());
        mobile.anim.listMark = -1;
        ended().push_back(mobile.serial);
    }
    mobile.dying = 0;
    if (deathPending && mobile.IsPlayer() == 0) {
        // Last: without the keep flag this releases the mobile.
        RemoveDeathLink(0, mobile.serial, keep);
        return 1;
    }
    return 0;
}

void Update()
{
    // A step may remove its own entry (or, through a released mobile, others): walk a copy and
    // skip entries that left the list meanwhile.
    const std::vector<CMobile*> snapshot = entries();
    for (CMobile* m : snapshot) {
        const auto& list = entries();
        if (std::find(list.begin(), list.end(), m) == list.end()) continue;
        const uint16_t before = m->anim.ticks++;
        if (m->anim.delay < before) Step(*m);
    }
    moveSequencesOn();
}

void Step(CMobile& m)
{
    auto& a = m.anim;
    const int32_t frames = a.frames;
    const int32_t frame = m.frameCounter;
    if (a.backwards != 0) {
        if (frame > 0 && frame <= frames) {
            changeFrame(m, [&] { --m.frameCounter; });
        } else if (a.passIndex != 0) {
            changeFrame(m, [&] {
                --a.passIndex;
                m.frameCounter = static_cast<uint16_t>(frames - 1);
            });
        } else if (a.reverse != 0) {
            changeFrame(m, [&] {
                a.backwards = 0;
                a.reverse = 0;
                ++m.frameCounter;
            });
        } else {
            Remove(m, false);
        }
        return;
    }
    if (frame < frames - 1) {
        changeFrame(m, [&] { ++m.frameCounter; });
    } else if (a.passCount != a.passIndex + 1) {
        changeFrame(m, [&] {
            ++a.passIndex;
            m.frameCounter = 0;
        });
    } else if (a.reverse != 0) {
        changeFrame(m, [&] {
            a.backwards = 1;
            a.reverse = 0;
            --m.frameCounter;
        });
    } else {
        Remove(m, false);
    }
}

const std::vector<CMobile*>& Entries()
{
    return entries();
}

void Clear()
{
    for (CMobile* m : entries()) m->anim.listMark = -1;
    entries().clear();
    ended().clear();
}

} // namespace AnimatedList

int32_t RadiansToAngle256(float radians)
{
    const float scaled = radians * 128.0f;
    return static_cast<int32_t>(static_cast<double>(scaled) * 0.31831724770174946);
}
