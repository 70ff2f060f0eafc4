/** @file The object manager: the world's object lists and tile data, look-up by serial, object records from the server, movement, pick-up and use. */
#pragma once

#include "client/world/object_lists.h"
#include "client/world/world_objects.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>

/** An object record of the server (packets 0x1A, 0x77, 0x78), decoded by the packet handlers. */
struct ObjectRecord {
    uint32_t serial = 0;
    /** 0x4000 and above: a multi with id graphic - 0x4000. */
    uint16_t graphic = 0;
    int8_t graphicOffset = 0;
    uint16_t amount = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    int8_t z = 0;
    /** For mobiles bit 7 = running. */
    uint8_t direction = 0;
    uint16_t hue = 0;
    uint8_t statusFlags = 0;
};

/** An item inside a container (packets 0x25, 0x3C). */
struct ContainerItemRecord {
    uint32_t serial = 0;
    uint16_t graphic = 0;
    int8_t graphicOffset = 0;
    uint16_t amount = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint32_t container = 0;
    uint16_t hue = 0;
};

/** What a pick-up remembers until the server answers: serials only, never pointers. */
struct PickUpRecord {
    uint32_t serial = 0xffffffff;
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    uint16_t graphic = 0;
    uint16_t displayGraphic = 0;
    int8_t graphicOffset = 0;
    uint16_t hue = 0;
    uint16_t displayHue = 0;
    uint16_t amount = 0;
    uint8_t statusFlags = 0;
    uint32_t tileFlags = 0;
    /** The mobile it was worn on and its layer (1..29), or 0, 0. */
    uint32_t wornOn = 0;
    int32_t layer = 0;
    /** The container it was in, or 0. */
    uint32_t container = 0;
};

/** The world's objects; one instance, reached through World(). Main thread only. */
struct WorldState {
    CPlayerMobile* player = nullptr;
    /** Every object with a serial, newest first. */
    List<CDynamicObj> objects;
    /** Every object placed in the world, in placing order. */
    List<CObj> world;
    List<CMobile> mobiles;
    List<CObj> lights;
    List<CObj> foliage;
    List<CObj> multiComponents;
    List<CPreviewObj> preview;
    /** The look-up by serial: the newest object of each serial. */
    std::unordered_map<uint32_t, CDynamicObj*> bySerial;
    PickUpRecord pickUp;
    bool pickUpPending = false;
    /** The remembered object (cleared when it dies) and the last used object. */
    CDynamicObj* remembered = nullptr;
    uint32_t lastUsedSerial = 0;
    uint16_t lastUsedGraphic = 0;
    uint32_t opponentSerial = 0;
    /** The game clock in milliseconds, and the random source of the idle animations. */
    std::function<uint32_t()> clock;
    std::function<uint32_t()> random;
    /** The line-of-sight test of the reach check, from the player's z + 12; without one the sight is clear. */
    std::function<bool(const CPlayerMobile&, const CObj&)> lineOfSight;
};
WorldState& World();

/** Milliseconds of the game clock (0 without one). */
uint32_t WorldNow();

namespace CObjectManager {

/** Clears every list, loads tiledata.mul, clears the pick-up state. */
void startup();
/** Releases every object (the player too) and clears the lists (shutdown and tests). */
void shutdown();
/** Reads tiledata.mul through the file manager; a missing file is logged and leaves the tables empty. */
bool LoadTileData();
/** Write-back of one group from the server (group < 512 land, 512..1023 item); other groups are ignored. */
bool SetItemTileData(int32_t group, const uint8_t* data, size_t size);
bool SetLandTileData(int32_t group, const uint8_t* data, size_t size);

/** The player when its serial matches, else the object with this serial; null when absent. */
CDynamicObj* FindObject(uint32_t serial);
/** Creates or updates an object from a record; returns it, or null when it left at once (out of range). */
CDynamicObj* HandleMove(const ObjectRecord& record);
/** Creates an item inside a container; null when the container is unknown or the record is refused. */
CDynamicObj* HandleContainerItem(const ContainerItemRecord& record);
/**
 * The object of this serial, or a new one of the kind its serial and graphic make (mobile,
 * corpse, container, map or plain item) with the hue, not yet placed anywhere (worn items).
 */
CDynamicObj* FindOrMakeObject(uint32_t serial, uint16_t graphic, uint16_t hue);
/** Releases the object with this serial (packet 0x1D); false when absent or it is the player. */
bool DeleteObject(uint32_t serial);
/** The world reset: everything but the player. */
void DeleteAllButPlayer();
/** The per-tick movement and range check. */
void UpdateMovement();
/** Picks an item up (amount 0: the whole stack, or the stack gump for a stack of 2 or more). */
void GetObject(CObj* object, uint16_t amount);
/** Uses an object with a serial. */
void DoubleClick(CObj* object);
/** The world object under a point of the play area, or null (a pick that is no valid object is logged). */
CObj* GetObjAtScreenLoc(int32_t x, int32_t y);
/** The last-placed world object at (x, y) whose [z, z + height) holds z. */
CObj* FindObjectSpanningZ(int32_t x, int32_t y, int32_t zz);
/** The highest top of the land and the unhidden objects of a cell. */
int32_t GetHighestZAt(int32_t x, int32_t y);

bool IsContainerGraphic(int32_t graphic);
bool IsMapGraphic(int32_t graphic);
bool IsPileGraphic(int32_t graphic);
bool IsSpellScrollGraphic(int32_t graphic);

/** Makes the player (the start-up code): the object manager's player pointer. */
CPlayerMobile* CreatePlayer(uint32_t serial, uint16_t body);

} // namespace CObjectManager

/**
 * The server's status flags of an object: a mobile other than the player turning grey (bit 7) loses
 * its gumps; bit 6 is a mobile's war mode (never for a ghost).
 */
void SetStatusFlags(CObj* object, uint8_t flags);

/** Within reach: within 3 cells of the player (the object or its outermost holder) and in its line of sight. */
bool IsObjectInReach(const CObj* object);

/** Dying mobiles and their corpses. */
void AddDeathLink(uint32_t corpseSerial, uint32_t markedSerial, uint32_t direction, uint32_t flag);
CObj* FindDyingMobileCorpse(uint32_t markedSerial);
bool IsDeathLinked(uint32_t corpseSerial, uint32_t markedSerial);
void RemoveDeathLink(uint32_t corpseSerial, uint32_t markedSerial, bool keepMobile);
size_t DeathLinkCount();
