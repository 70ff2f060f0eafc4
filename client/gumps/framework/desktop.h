/** @file The desktop file: which windows were open and where, written on the way out and read back after login. */
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class CGump;

/** One record: its kind and its fields in file order (integers widened). */
struct DesktopRecord {
    uint8_t kind = 0;
    std::array<int64_t, 8> v{};
};

struct DesktopFile {
    uint32_t serial = 0;
    std::vector<DesktopRecord> records;
};

/** The field widths of a kind's payload in bytes (kinds above 16 have none). */
std::vector<int> DesktopFieldWidths(uint8_t kind);
/**
 * Reads a desktop file: the serial, then records to the end. A record whose payload is cut
 * short ends the reading (the records before it stand); nullopt when even the serial is missing.
 */
std::optional<DesktopFile> ReadDesktopFile(const std::vector<uint8_t>& bytes, std::string* why);
std::vector<uint8_t> WriteDesktopFile(const DesktopFile& file);

/**
 * What the desktop asks of the world and the windows that are not the framework's own. The
 * default knows no player and no objects and sends its requests on the game connection.
 */
class DesktopHost {
public:
    virtual ~DesktopHost() = default;
    virtual uint32_t PlayerSerial() { return 0; }
    virtual bool PlayerIsGhost() { return false; }
    virtual uint32_t BackpackSerial() { return 0; }
    virtual bool ObjectExists(uint32_t) { return false; }
    virtual bool InPossessions(uint32_t) { return false; }
    /** The parents above an object (1 for the backpack the player wears). */
    virtual int NestingDepth(uint32_t) { return 0; }
    virtual int CharacterSlot() { return 0; }
    /** Packet 0x06. */
    virtual void SendUse(uint32_t serial);
    /** Packet 0x34. */
    virtual void SendStatusRequest(int type, uint32_t serial);
    /** Packet 0xB5 with an empty name. */
    virtual void SendOpenChat();
    virtual void OpenStatusBar(int, int, bool) {}
    virtual void OpenFightingStyle(int, int, bool) {}
    virtual void OpenSpellIcon(int, int, int) {}
    virtual void OpenSkillWindowWhenListArrives() {}
    virtual void OpenWebPageWindow() {}
    virtual void OpenMailboxWindow() {}
    virtual bool ChatWindowOpen() { return false; }
    virtual bool GameConnected();
    virtual bool MessageConnected() { return false; }
    /** What a top-level gump writes: false for nothing. Containers and spellbooks give their serial in v[2] / v[4]. */
    virtual bool Describe(CGump* gump, DesktopRecord& record);
    /** The skill groups and the options, saved with the desktop. */
    virtual void SaveRelated() {}
    /**
     * The game window: area corner, main window rectangle, maximized (kinds 11 and 16). The
     * default places a window of a size the client shows (640 x 480 or 800 x 600) and keeps
     * the window as it is for any other size.
     */
    virtual void PlaceGameWindow(int areaX, int areaY, int left, int top, int width, int height, bool maximized);
    virtual void GameWindowPlacement(int& areaX, int& areaY, int& left, int& top, int& width, int& height,
                                     bool& maximized);
    virtual bool InGame();
};

void SetDesktopHost(DesktopHost* host);
DesktopHost& desktopHost();

/** The restore table entry of a container, spellbook, skill or paperdoll record. */
struct DesktopEntry {
    uint8_t kind = 0;
    uint32_t serial = 0;
    uint8_t minimized = 0;
    uint8_t spellbook = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    int32_t x = 0;
    int32_t y = 0;
};

struct DesktopState {
    static constexpr size_t kMaxEntries = 50;
    std::vector<DesktopEntry> table;
    std::deque<uint32_t> queue;
    uint32_t lastRequestTick = 0;
    bool restoreDone = true;
    bool restorePending = false;
    bool backpackSeen = false;
    bool newbie = false;
    /** The remembered places of windows opened later: object text, chat, GM chat, web page, mailbox. */
    std::array<int32_t, 2> objectText{};
    std::array<int32_t, 8> chat{};
    std::array<int32_t, 6> gmChat{};
    std::array<int32_t, 6> webPage{};
    std::array<int32_t, 6> mailbox{};
};
DesktopState& Desktop();
