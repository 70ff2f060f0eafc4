/** @file Graphic effects: missiles, animations fixed at a place or on an object, lightning; their per-tick update and drawing. */
#include "client/render/effects.h"

#include "client/render/draw_grid.h"
#include "client/render/effect_sequence.h"
#include "client/render/sprite_blits.h"
#include "client/render/startup_tables.h"

#include "client/data/anim_data.h"
#include "client/data/art_blit.h"
#include "client/data/art_image.h"
#include "client/data/gump_art.h"
#include "client/data/map_manager.h"
#include "client/data/span_routines.h"
#include "client/world/object_manager.h"
#include "client/world/tile_data.h"
#include "client/world/world_objects.h"
#include "client/world/world_random.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint16_t kLightningFirst = 20000;
constexpr uint16_t kLightningLast = 20009;
constexpr int32_t kArrivalReach = 24;

struct EffectState {
    std::vector<MissileEffect*> live;
    EffectMaker maker;
    platform::Random* random = nullptr;
    bool destroyingAll = false;
};

EffectState& effects()
{
    static EffectState s;
    return s;
}

MissileEffect* newEffect()
{
    EffectState& s = effects();
    return s.maker ? s.maker() : new MissileEffect();
}

/** The heading of a screen step in 256 steps to a turn (the float product truncated). */
uint8_t headingAngle(double stepX, double stepY)
{
    const float radians = static_cast<float>(std::atan2(stepY, stepX));
    const auto steps = static_cast<int32_t>(radians * 128.0f * 0.31831724770174946f);
    return static_cast<uint8_t>(steps - 128);
}

CObj* findObject(uint32_t serial) { return serial != 0 ? CObjectManager::FindObject(serial) : nullptr; }

/** An object lists itself again, so that the drawing of its attached effects is redone. */
void relist(CObj* object)
{
    if (object == nullptr || object->inList == 0) return;
    object->RemoveFromDrawList();
    object->AddToDrawList();
}

/** The frames of graphic g: an animation-data record, or g .. g + the tile data's frame count - 1. */
void chooseGraphics(MissileEffect& e, uint16_t g, bool single)
{
    e.baseGraphic = g;
    const AnimTileRecord& record = animCrap::Record(g);
    if (record.count != 0) {
        e.animData = true;
        e.animFrame = 0;
        e.currentGraphic = static_cast<uint16_t>(g + record.offsets[0]);
        e.firstGraphic = e.lastGraphic = e.currentGraphic;
        e.frameInterval = record.delay;
        return;
    }
    const int32_t frames = single ? 1 : std::max<int32_t>(1, TileData::Item(g).quality);
    e.firstGraphic = g;
    e.lastGraphic = static_cast<uint16_t>(g + frames - 1);
    e.currentGraphic = g;
}

/** The map position of an object when one is named, else of the given location. */
void mapPoint(const CObj* object, int32_t x, int32_t y, int32_t z, int32_t& outX, int32_t& outY, int32_t& outZ)
{
    outX = object != nullptr ? object->locX : x;
    outY = object != nullptr ? object->locY : y;
    outZ = object != nullptr ? object->z : z;
}

void listDrawItem(MissileEffect& e, double x, double y, double zz)
{
    e.drawItem = std::make_unique<CMissileDrawItem>(e);
    e.drawItem->SetMapPosition(x, y, zz);
    e.drawItem->AddToDrawList();
}

void finishMade(MissileEffect* e, const EffectRequest& r, bool hued)
{
    e->hue = hued ? r.hue : 0;
    e->renderMode = hued ? r.renderMode : 0;
    effects().live.push_back(e);
}

MissileEffect* makeMoving(const EffectRequest& r, bool hued)
{
    CObj* source = findObject(r.sourceSerial);
    CObj* target = findObject(r.targetSerial);
    int32_t sx = 0, sy = 0, sz = 0, tx = 0, ty = 0, tz = 0;
    mapPoint(source, r.sourceX, r.sourceY, r.sourceZ, sx, sy, sz);
    mapPoint(target, r.targetX, r.targetY, r.targetZ, tx, ty, tz);

    MissileEffect* e = newEffect();
    int32_t startX = 0, startY = 0;
    EffectScreenPoint(sx, sy, sz, false, startX, startY);
    EffectScreenPoint(tx, ty, tz, false, e->targetScreenX, e->targetScreenY);
    const double dx = e->targetScreenX - startX;
    const double dy = e->targetScreenY - startY;
    const auto distance = static_cast<int32_t>(std::sqrt(dx * dx + dy * dy));
    const int32_t n = distance / (2 * r.speed + 10);
    e->ticksLeft = n + 1;
    // Nearer than one step: the missile stays where it starts and arrives on its first tick.
    e->stepX = n > 0 ? dx / n : 0.0;
    e->stepY = n > 0 ? dy / n : 0.0;
    e->posX = e->screenX = startX;
    e->posY = e->screenY = startY;
    e->rotate = r.fixedDirection == 0;
    e->angle = e->rotate ? headingAngle(e->stepX, e->stepY) : 0;
    e->screenSpeed = (r.speed + 3) * 2;
    e->frameInterval = 1;
    e->explode = r.explode != 0;
    e->targetSerial = target != nullptr ? r.targetSerial : 0;
    e->targetMapX = tx;
    e->targetMapY = ty;
    e->targetMapZ = tz;
    chooseGraphics(*e, r.graphic, r.fixedDirection != 0);
    listDrawItem(*e, sx, sy, sz);
    if (n > 0) {
        e->drawItem->stepX = static_cast<double>(tx - sx) / n;
        e->drawItem->stepY = static_cast<double>(ty - sy) / n;
        e->drawItem->stepZ = static_cast<double>(tz - sz) / n;
    }
    finishMade(e, r, hued);
    return e;
}

MissileEffect* makeFixed(const EffectRequest& r, bool hued, CObj* on)
{
    MissileEffect* e = newEffect();
    e->fixed = true;
    // A duration of 0 would count down through the byte's wrap: it ends on the first tick too.
    e->ticksLeft = std::max<int32_t>(1, r.duration);
    // Speeds of 11 and up would give no interval or wrap it: one tick is the shortest.
    e->frameInterval = std::max<int32_t>(1, 11 - r.speed);
    e->reverse = r.option1 != 0;
    e->pingPong = r.option2 != 0;
    chooseGraphics(*e, r.graphic, false);
    if (on != nullptr) {
        e->attachedSerial = r.sourceSerial;
        finishMade(e, r, hued);
        relist(on);
        return e;
    }
    EffectScreenPoint(r.sourceX, r.sourceY, r.sourceZ, false, e->screenX, e->screenY);
    e->posX = e->screenX;
    e->posY = e->screenY;
    listDrawItem(*e, r.sourceX, r.sourceY, r.sourceZ);
    finishMade(e, r, hued);
    return e;
}

MissileEffect* makeLightning(int32_t x, int32_t y, int32_t z, bool randomFirst)
{
    MissileEffect* e = newEffect();
    e->fixed = true;
    e->lightning = true;
    e->randomFrames = true;
    e->ticksLeft = 6;
    e->frameInterval = 1;
    e->firstGraphic = kLightningFirst;
    e->lastGraphic = kLightningLast;
    e->currentGraphic = randomFirst
                            ? static_cast<uint16_t>(kLightningFirst + RandomBelow(effects().random, 10))
                            : kLightningFirst;
    EffectScreenPoint(x, y, z, true, e->screenX, e->screenY);
    e->posX = e->screenX;
    e->posY = e->screenY;
    listDrawItem(*e, x, y, z);
    effects().live.push_back(e);
    return e;
}

/** The node kind a request is recorded as; -1 when the request makes nothing. */
int32_t nodeKindOf(const EffectRequest& r, bool hued)
{
    int32_t basic = -1;
    switch (r.type) {
    case 0: {
        const bool fromObject = r.sourceSerial != 0;
        const bool toObject = r.targetSerial != 0;
        basic = fromObject ? (toObject ? 6 : 5) : (toObject ? 4 : 3);
        break;
    }
    case 1: basic = r.sourceSerial != 0 ? 2 : -1; break;
    case 2: basic = 0; break;
    case 3: basic = r.sourceSerial != 0 ? 1 : -1; break;
    default: break;
    }
    if (basic < 0) return -1;
    return hued ? basic + kNodeHuedFirst : basic;
}

MissileEffect* createOrRecord(const EffectRequest& r, bool hued)
{
    if (Sequences::IsRecording()) {
        const int32_t kind = nodeKindOf(r, hued);
        if (kind >= 0) {
            SequenceNode node;
            node.kind = kind;
            node.effect = r;
            if (!hued) node.effect.hue = node.effect.renderMode = 0;
            Sequences::Record(node);
        }
        return nullptr;
    }
    return MakeEffect(r, hued);
}

} // namespace

// ---- The draw item ----

void CMissileDrawItem::SetMapPosition(double x, double y, double zz)
{
    mapX = x;
    mapY = y;
    mapZ = zz;
    locX = static_cast<int16_t>(x);
    locY = static_cast<int16_t>(y);
    z = static_cast<int16_t>(zz);
}

void CMissileDrawItem::Advance()
{
    RemoveFromDrawList();
    SetMapPosition(mapX + stepX, mapY + stepY, mapZ + stepZ);
    AddToDrawList();
}

void CMissileDrawItem::CalcScreenRect() { rect = owner_.ScreenRect(); }

void CMissileDrawItem::DrawClip(const WorldRect& clip) { owner_.Draw(rect, clip); }

// ---- The effect ----

MissileEffect::MissileEffect() = default;

MissileEffect::~MissileEffect()
{
    // Deleted without ending (the gump list went): the follow-up is dropped, never played.
    if (!ended_) End(false);
}

void MissileEffect::Dispose() { delete this; }

void MissileEffect::End(bool playFollowUp)
{
    if (ended_) return;
    ended_ = true;
    std::vector<MissileEffect*>& live = effects().live;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    drawItem.reset();
    if (attachedSerial != 0) relist(findObject(attachedSerial));
    const uint32_t sequence = followUp;
    followUp = 0;
    if (sequence != 0) {
        if (playFollowUp) Sequences::Advance(sequence);
        else Sequences::Abandon(sequence);
    }
}

void MissileEffect::Tick()
{
    if (ended_) return;
    if (!fixed) {
        tickMoving();
        if (ended_) {
            Dispose();
            return;
        }
    }
    const uint16_t before = currentGraphic;
    stepFrame();
    if (fixed) {
        if (--ticksLeft <= 0) {
            End(true);
            Dispose();
            return;
        }
        if (currentGraphic == before) return;
        if (attachedSerial != 0) relist(findObject(attachedSerial));
        else if (drawItem) {
            drawItem->RemoveFromDrawList();
            drawItem->AddToDrawList();
        }
        return;
    }
    if (drawItem) drawItem->Advance();
}

void MissileEffect::tickMoving()
{
    const uint32_t savedHue = hue;
    const uint32_t savedMode = renderMode;
    auto explodeAt = [&](uint16_t graphic, uint8_t duration, int32_t x, int32_t y, int32_t zz) {
        EffectRequest blast;
        blast.type = 2;
        blast.graphic = graphic;
        blast.speed = 10;
        blast.duration = duration;
        blast.sourceX = x;
        blast.sourceY = y;
        blast.sourceZ = zz;
        blast.hue = savedHue;
        blast.renderMode = savedMode;
        MakeEffect(blast, true);
    };

    if (targetSerial != 0) {
        if (CObj* target = findObject(targetSerial)) {
            if (target->locX != targetMapX || target->locY != targetMapY || target->z != targetMapZ) {
                targetMapX = target->locX;
                targetMapY = target->locY;
                targetMapZ = target->z;
                int32_t cx = 0;
                int32_t cy = 0;
                target->GetRectCentre(cx, cy);
                targetScreenX = cx - DrawGrid::scrollX;
                targetScreenY = cy - DrawGrid::scrollY;
                const double dx = targetScreenX - posX;
                const double dy = targetScreenY - posY;
                const double length = std::sqrt(dx * dx + dy * dy);
                if (length > 0) {
                    stepX = dx / length * screenSpeed;
                    stepY = dy / length * screenSpeed;
                    if (drawItem) {
                        const double share = screenSpeed / length;
                        drawItem->stepX = (targetMapX - drawItem->mapX) * share;
                        drawItem->stepY = (targetMapY - drawItem->mapY) * share;
                        drawItem->stepZ = (targetMapZ - drawItem->mapZ) * share;
                    }
                    if (rotate) angle = headingAngle(stepX, stepY);
                }
            }
        }
        const double dx = targetScreenX - posX;
        const double dy = targetScreenY - posY;
        // Within reach, or about to pass the point: a fast missile would otherwise overshoot
        // the reach on every tick and fly on for ever.
        const bool within = std::abs(dx) <= kArrivalReach && std::abs(dy) <= kArrivalReach;
        const double stepSquared = stepX * stepX + stepY * stepY;
        const double reach = 2.0 * kArrivalReach;
        const bool passing = stepSquared > reach * reach && dx * dx + dy * dy <= stepSquared;
        // Started nearer than one step and not re-aimed since: it would never move.
        const bool still = stepSquared == 0.0;
        if (within || passing || still) {
            if (explode) explodeAt(14027, 9, targetMapX, targetMapY, targetMapZ + 1);
            End(true);
            return;
        }
        posX += stepX;
        posY += stepY;
        screenX = static_cast<int32_t>(posX);
        screenY = static_cast<int32_t>(posY);
        return;
    }

    posX += stepX;
    posY += stepY;
    screenX = static_cast<int32_t>(posX);
    screenY = static_cast<int32_t>(posY);
    if (--ticksLeft <= 0) {
        if (explode) explodeAt(14001, 13, targetMapX, targetMapY, targetMapZ);
        End(true);
    }
}

void MissileEffect::stepFrame()
{
    if (++frameTick < frameInterval) return;
    frameTick = 0;
    if (animData) {
        const AnimTileRecord& record = animCrap::Record(baseGraphic);
        if (record.count == 0) return;
        animFrame = (animFrame + 1) % record.count;
        currentGraphic = static_cast<uint16_t>(baseGraphic + record.offsets[static_cast<size_t>(animFrame)]);
        frameInterval = record.interval;
        return;
    }
    if (randomFrames) {
        currentGraphic = static_cast<uint16_t>(firstGraphic + RandomBelow(effects().random, lastGraphic - firstGraphic + 1));
        return;
    }
    if (firstGraphic == lastGraphic) return;
    if (reverse) {
        if (currentGraphic <= firstGraphic) {
            if (pingPong) {
                reverse = false;
                currentGraphic = static_cast<uint16_t>(firstGraphic + 1);
            } else {
                currentGraphic = lastGraphic;
            }
        } else {
            --currentGraphic;
        }
        return;
    }
    if (currentGraphic >= lastGraphic) {
        if (pingPong) {
            reverse = true;
            currentGraphic = static_cast<uint16_t>(lastGraphic - 1);
        } else {
            currentGraphic = firstGraphic;
        }
    } else {
        ++currentGraphic;
    }
}

void MissileEffect::Shift(int32_t dx, int32_t dy)
{
    screenX += dx;
    screenY += dy;
    posX += dx;
    posY += dy;
    targetScreenX += dx;
    targetScreenY += dy;
}

namespace {

/** The frame size of an effect graphic: gump art for lightning, item art otherwise. */
void frameSize(uint16_t graphic, int32_t& width, int32_t& height)
{
    width = height = 0;
    if (graphic >= kLightningFirst && graphic <= kLightningLast) {
        GetGumpArtSize(graphic, &width, &height);
        return;
    }
    if (const ArtImage* image = GetArtImage(graphic + 0x4000)) {
        width = image->width;
        height = image->height;
    }
}

} // namespace

WorldRect MissileEffect::ScreenRect() const
{
    int32_t width = 0;
    int32_t height = 0;
    frameSize(currentGraphic, width, height);
    BlitRect r;
    r.left = screenX - width / 2;
    r.right = r.left + width;
    r.top = screenY - height;
    r.bottom = screenY;
    if (angle != 0) GetRotatedBounds(angle, r);
    return {r.left + DrawGrid::scrollX, r.top + DrawGrid::scrollY, r.right + DrawGrid::scrollX,
            r.bottom + DrawGrid::scrollY};
}

void MissileEffect::Draw(const WorldRect& rect, const WorldRect& clip) const
{
    DrawEffectArt(currentGraphic, angle, rect, clip, hue, renderMode);
}

void EffectScreenPoint(int32_t x, int32_t y, int32_t z, bool lightning, int32_t& sx, int32_t& sy)
{
    sx = (x - y + MapManager::MapWidth()) * 22 - DrawGrid::scrollX;
    sy = (x + y) * 22 - z * 4 - DrawGrid::scrollY + (lightning ? 0 : 43);
}

void DrawEffectArt(uint16_t graphic, uint8_t angle, const WorldRect& rect, const WorldRect& clip, uint32_t hue,
                   uint32_t renderMode)
{
    // The world is drawn in play-area pixels: the rectangles come in world pixels.
    const WorldRect r{rect.left - DrawGrid::scrollX, rect.top - DrawGrid::scrollY, rect.right - DrawGrid::scrollX,
                      rect.bottom - DrawGrid::scrollY};
    const BlitRect c{clip.left - DrawGrid::scrollX, clip.top - DrawGrid::scrollY, clip.right - DrawGrid::scrollX,
                     clip.bottom - DrawGrid::scrollY};
    const bool plain = IsPlainBlendMode(static_cast<int32_t>(renderMode));
    const int32_t hueIndex = hue != 0 ? static_cast<int32_t>(hue) - 1 : -1;
    if (graphic >= kLightningFirst && graphic <= kLightningLast) {
        int32_t width = 0;
        int32_t height = 0;
        GetGumpArtSize(graphic, &width, &height);
        const int32_t x = (r.left + r.right - width) / 2;
        const int32_t y = (r.top + r.bottom - height) / 2;
        const BlitRect t = GetBlitTargetRect();
        const ClipRect gumpClip{std::max(c.left, t.left), std::max(c.top, t.top), std::min(c.right, t.right),
                                std::min(c.bottom, t.bottom)};
        if (GetBlitTarget() == nullptr || gumpClip.left >= gumpClip.right || gumpClip.top >= gumpClip.bottom) return;
        DrawGumpArtClipped(CopySpanTransparent, graphic, gumpClip, x, y, GetBlitTarget(), GetBlitPitch(), t.bottom);
        return;
    }
    const ArtImage* image = GetArtImage(graphic + 0x4000);
    if (image == nullptr) return;
    const int32_t x = (r.left + r.right - image->width) / 2;
    const int32_t y = (r.top + r.bottom - image->height) / 2;
    if (!plain) SetBlendMode(static_cast<int32_t>(renderMode));
    if (angle != 0) {
        RotatedPixel kind = RotatedPixel::Copy;
        if (hueIndex >= 0) kind = plain ? RotatedPixel::HuedGrey : RotatedPixel::HuedBlend;
        else if (!plain) kind = RotatedPixel::Blend;
        BlitRotated(kind, image, c, x, y, angle, hueIndex);
        return;
    }
    SpanRoutine span = CopySpan;
    if (hueIndex >= 0) {
        setSpanHue(hueIndex);
        span = plain ? hueSpanByGreen : hueBlendSpan;
    } else if (!plain) {
        span = blendSpan;
    }
    BlitArtClipped(span, image, c, x, y);
}

// ---- Creation and the list ----

void SetEffectMaker(EffectMaker maker) { effects().maker = std::move(maker); }
void SetEffectRandom(platform::Random* random) { effects().random = random; }

MissileEffect* MakeEffect(const EffectRequest& r, bool hued)
{
    if (effects().destroyingAll) return nullptr;
    switch (r.type) {
    case 0: return makeMoving(r, hued);
    case 1: {
        CObj* on = findObject(r.sourceSerial);
        if (on == nullptr) return nullptr;
        MissileEffect* e = makeLightning(on->locX, on->locY, on->z, false);
        e->hue = hued ? r.hue : 0;
        e->renderMode = hued ? r.renderMode : 0;
        return e;
    }
    case 2: return makeFixed(r, hued, nullptr);
    case 3: {
        CObj* on = findObject(r.sourceSerial);
        return on != nullptr ? makeFixed(r, hued, on) : nullptr;
    }
    default: return nullptr;
    }
}

MissileEffect* CreateEffect(const EffectRequest& request) { return createOrRecord(request, true); }
MissileEffect* CreateEffectBasic(const EffectRequest& request) { return createOrRecord(request, false); }

MissileEffect* CreateMovingItemEffect(const EffectRequest& request)
{
    EffectRequest r = request;
    r.type = 0;
    r.sourceSerial = r.targetSerial = 0;
    return createOrRecord(r, false);
}

MissileEffect* CreateMovingItemEffectToObject(const EffectRequest& request)
{
    EffectRequest r = request;
    r.type = 0;
    r.sourceSerial = 0;
    return createOrRecord(r, false);
}

MissileEffect* CreateMovingItemEffectFromObject(const EffectRequest& request)
{
    EffectRequest r = request;
    r.type = 0;
    r.targetSerial = 0;
    return createOrRecord(r, false);
}

MissileEffect* CreateMovingItemEffectObjects(const EffectRequest& request)
{
    EffectRequest r = request;
    r.type = 0;
    return createOrRecord(r, false);
}

MissileEffect* InitWeatherParticle(int32_t x, int32_t y, int32_t z)
{
    if (effects().destroyingAll) return nullptr;
    return makeLightning(x, y, z, true);
}

void ShiftMissileGumps(int32_t dx, int32_t dy)
{
    for (MissileEffect* e : effects().live) e->Shift(dx, dy);
}

void DestroyMissileGumps()
{
    EffectState& s = effects();
    s.destroyingAll = true;
    while (!s.live.empty()) {
        MissileEffect* e = s.live.back();
        e->End(false);
        e->Dispose();
    }
    s.destroyingAll = false;
}

const std::vector<MissileEffect*>& LiveEffects() { return effects().live; }

void TickEffects()
{
    const std::vector<MissileEffect*> now = effects().live;
    for (MissileEffect* e : now) {
        const std::vector<MissileEffect*>& live = effects().live;
        if (std::find(live.begin(), live.end(), e) != live.end()) e->Tick();
    }
}

std::vector<MissileEffect*> AttachedEffects(uint32_t serial)
{
    std::vector<MissileEffect*> out;
    if (serial == 0) return out;
    for (MissileEffect* e : effects().live)
        if (e->attachedSerial == serial) out.push_back(e);
    return out;
}

void WidenForAttachedEffects(uint32_t serial, int32_t& left, int32_t& top, int32_t& right, int32_t& bottom)
{
    for (const MissileEffect* effect : AttachedEffects(serial)) {
        const ArtImage* art = GetArtImage(effect->currentGraphic + 0x4000);
        if (art == nullptr) continue;
        const int32_t extraX = art->width - (right - left);
        const int32_t extraY = art->height - (bottom - top);
        if (extraX > 0) {
            left -= extraX / 2;
            right += extraX / 2;
        }
        if (extraY > 0) {
            top -= extraY / 2;
            bottom += extraY / 2;
        }
    }
}

namespace {

class RendererEffectServices final : public EffectServices {
public:
    void CreateEffect(const EffectRequest& request) override { ::CreateEffect(request); }
    void CreateEffectBasic(const EffectRequest& request) override { ::CreateEffectBasic(request); }
    void CreateMovingItemEffect(const EffectRequest& moving) override
    {
        // The item flies at speed 5, never turned, and does not explode.
        EffectRequest request = moving;
        request.speed = 5;
        request.fixedDirection = 1;
        request.explode = 0;
        const bool from = request.sourceSerial != 0;
        const bool to = request.targetSerial != 0;
        if (from && to) CreateMovingItemEffectObjects(request);
        else if (from) CreateMovingItemEffectFromObject(request);
        else if (to) CreateMovingItemEffectToObject(request);
        else ::CreateMovingItemEffect(request);
    }
    void InitWeatherParticle(int32_t x, int32_t y, int32_t z) override { ::InitWeatherParticle(x, y, z); }
    void ShiftMissileGumps(int32_t dx, int32_t dy) override { ::ShiftMissileGumps(dx, dy); }
    void DestroyMissileGumps() override { ::DestroyMissileGumps(); }
    bool IsRecordingSequence() override { return Sequences::IsRecording(); }
    bool StartSequenceRecording() override { return Sequences::StartRecording(); }
    bool StopSequenceRecording(uint8_t repeat) override { return Sequences::StopRecording(repeat); }
    void RecordSound(uint16_t sound, uint16_t x, uint16_t y, uint16_t z) override
    {
        SequenceNode node;
        node.kind = kNodeSound;
        node.sound = {sound, x, y, z};
        Sequences::Record(node);
    }
    void RecordAnimation(const AnimationStep& step) override
    {
        SequenceNode node;
        node.kind = kNodeAnimation;
        node.animation = step;
        Sequences::Record(node);
    }
    void SequenceAnimationEnded(uint32_t serial) override { Sequences::AnimationEnded(serial); }
};

} // namespace

EffectServices& effectServicesOfRenderer()
{
    static RendererEffectServices instance;
    return instance;
}
