/** @file The animated-tile table from animdata.mul and the per-tick advance of animated objects. */
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr int32_t kAnimRecords = 16384;
inline constexpr int32_t kAnimGroups = kAnimRecords / 8;
inline constexpr uint8_t kDefaultAnimInterval = 8;

/** How an item graphic cycles: frame offsets added to the graphic, and its pace. */
struct AnimTileRecord {
    std::array<int8_t, 64> offsets{};
    uint8_t current = 0;
    uint8_t count = 0; // 0: not animated
    uint8_t interval = kDefaultAnimInterval;
    uint8_t delay = 0;
    uint32_t stamp = 0; // counter value of the last advance
};

/** What the animation pass needs of a placed world object whose tile is animated. */
class AnimatedObject {
public:
    virtual ~AnimatedObject() = default;
    /** The object's validity word check; an invalid object ends the pass. */
    virtual bool isValidObject() const = 0;
    virtual bool IsHidden() const = 0;
    virtual uint16_t animGraphic() const = 0;
    virtual void removeFromDrawList() = 0;
    virtual void setGraphicOffset(int8_t offset) = 0;
    virtual void addToDrawList() = 0;
};

class animCrap {
public:
    /** Resets the table and reads animdata.mul from the install folder; absent: defaults only. */
    static void LoadAnimData();
    /** The same from a file image; a short image leaves the remaining records at their defaults. */
    static void LoadAnimDataFrom(const uint8_t* data, size_t size);
    /** Replaces group g (records 8g .. 8g + 7) from a 4-byte header and 8 records of 68 bytes. */
    static void ApplyGroup(int32_t group, const uint8_t* payload);

    /** Advances the tick counter and every listed object due on this tick. */
    static void Update();

    static const AnimTileRecord& Record(uint16_t graphic);
    static uint32_t Counter();

    /** The animated-object list; objects take themselves off before they go away. */
    static void AddObject(AnimatedObject* object);
    static void RemoveObject(AnimatedObject* object);
    static void ClearObjects();
};
