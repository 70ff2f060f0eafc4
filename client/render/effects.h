/** @file Graphic effects: missiles, animations fixed at a place or on an object, lightning; their per-tick update and drawing. */
#pragma once

#include "client/core/effect_services.h"
#include "client/world/draw_item.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class MissileEffect;
class CObj;
namespace platform {
class Random;
}

/** The draw item that puts an effect into the draw grid; the effect owns it. Never picked. */
class CMissileDrawItem final : public CDrawItem {
public:
    explicit CMissileDrawItem(MissileEffect& owner) : owner_(owner) {}
    /** The effect owns the item: a purge of its cell only unlinks it. */
    void Release() override {}
    void DrawClip(const WorldRect& clip) override;
    void CalcScreenRect() override;
    int IsEffect() const override { return 1; }
    /** Places the item at a map point (integer position truncated from the doubles). */
    void SetMapPosition(double x, double y, double zz);
    /** Moves by the map step and lists the item again. */
    void Advance();

    double mapX = 0;
    double mapY = 0;
    double mapZ = 0;
    double stepX = 0;
    double stepY = 0;
    double stepZ = 0;

private:
    MissileEffect& owner_;
};

/**
 * One effect. It lives from its creation to its end on arrival, at the end of its ticks or by
 * DestroyMissileGumps; the gump list ticks it through CMissileGump, which derives from it. It
 * names objects by serial only: a followed object that goes away leaves the missile flying to
 * the last place it was seen, an object carrying an effect is looked up for each redraw.
 */
class MissileEffect {
public:
    MissileEffect();
    virtual ~MissileEffect();
    MissileEffect(const MissileEffect&) = delete;
    MissileEffect& operator=(const MissileEffect&) = delete;

    /** The per-tick update; the effect may end (and be disposed of) inside it. */
    void Tick();
    /** Adds a view scroll to the screen positions. */
    void Shift(int32_t dx, int32_t dy);
    /** Ends the effect at once; with playFollowUp its follow-up sequence moves on. */
    void End(bool playFollowUp);
    bool Ended() const { return ended_; }
    /** The effect's screen rectangle (world pixels) from its current frame. */
    WorldRect ScreenRect() const;
    /** Draws the current frame centred on rect (world pixels) inside the clip. */
    void Draw(const WorldRect& rect, const WorldRect& clip) const;

    uint32_t hue = 0;
    uint32_t renderMode = 0;
    int32_t screenX = 0;
    int32_t screenY = 0;
    double posX = 0;
    double posY = 0;
    int32_t targetScreenX = 0;
    int32_t targetScreenY = 0;
    int32_t targetMapX = 0;
    int32_t targetMapY = 0;
    int32_t targetMapZ = 0;
    double stepX = 0;
    double stepY = 0;
    /** The object followed (moving effects), 0 for a location. */
    uint32_t targetSerial = 0;
    /** The object the effect is drawn on (no draw item then), 0 for none. */
    uint32_t attachedSerial = 0;
    std::unique_ptr<CMissileDrawItem> drawItem;
    uint8_t angle = 0;
    int32_t ticksLeft = 0;
    int32_t frameInterval = 1;
    int32_t frameTick = 0;
    int32_t screenSpeed = 0;
    uint16_t firstGraphic = 0;
    uint16_t lastGraphic = 0;
    uint16_t currentGraphic = 0;
    /** The animation record's frame shown (animation-data effects). */
    int32_t animFrame = 0;
    uint16_t baseGraphic = 0;
    bool fixed = false;
    bool reverse = false;
    bool pingPong = false;
    bool animData = false;
    bool randomFrames = false;
    bool explode = false;
    bool rotate = false;
    /** Lightning frames are gump art drawn without the + 43 of other effects. */
    bool lightning = false;
    /** The sequence that moves on when the effect ends normally; 0 for none. */
    uint32_t followUp = 0;

    /** Hands the ended effect back to its holder: the base deletes it. */
    virtual void Dispose();

private:
    void tickMoving();
    void stepFrame();
    bool ended_ = false;
};

/** Makes the effect objects: the gump side installs one that attaches a CMissileGump to the gump list. */
using EffectMaker = std::function<MissileEffect*()>;
void SetEffectMaker(EffectMaker maker);
/** The random source of the lightning frames; null uses the shared one. */
void SetEffectRandom(platform::Random* random);

/**
 * The creators; each returns the effect made, or null (a type that makes nothing, an object a
 * type needs is absent, the request was recorded into a sequence, or every effect is being
 * destroyed).
 */
MissileEffect* CreateEffect(const EffectRequest& request);
MissileEffect* CreateEffectBasic(const EffectRequest& request);
MissileEffect* CreateMovingItemEffect(const EffectRequest& request);
MissileEffect* CreateMovingItemEffectToObject(const EffectRequest& request);
MissileEffect* CreateMovingItemEffectFromObject(const EffectRequest& request);
MissileEffect* CreateMovingItemEffectObjects(const EffectRequest& request);
/** Lightning at a map position (the weather's strike): a random first frame. */
MissileEffect* InitWeatherParticle(int32_t x, int32_t y, int32_t z);
/** Builds an effect as a live request would, never recording it (the replay). */
MissileEffect* MakeEffect(const EffectRequest& request, bool hued);

void ShiftMissileGumps(int32_t dx, int32_t dy);
/** Ends every effect; no follow-up sequence moves on and no effect starts meanwhile. */
void DestroyMissileGumps();
/** The live effects, oldest first. */
const std::vector<MissileEffect*>& LiveEffects();
/** Ticks every effect alive now (the gump list does it through the gumps; tests and tools here). */
void TickEffects();
/** The effects drawn on an object. */
std::vector<MissileEffect*> AttachedEffects(uint32_t serial);
/** Widens a rectangle by half the excess, on each side, of every frame on the object that is wider or taller. */
void WidenForAttachedEffects(uint32_t serial, int32_t& left, int32_t& top, int32_t& right, int32_t& bottom);

/** The screen point of a map point: + 43 below for effects, none for lightning. */
void EffectScreenPoint(int32_t x, int32_t y, int32_t z, bool lightning, int32_t& sx, int32_t& sy);

/**
 * Draws one effect frame: the item art of graphic + 0x4000 (gump art for lightning frames)
 * centred on rect, turned by a non-zero angle, with the span routine of the hue and mode.
 */
void DrawEffectArt(uint16_t graphic, uint8_t angle, const WorldRect& rect, const WorldRect& clip, uint32_t hue,
                   uint32_t renderMode);

/** The effects and the sequence recorder as the packet handlers call them. */
EffectServices& effectServicesOfRenderer();
