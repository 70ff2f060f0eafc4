/** @file What the game-phase packet handlers ask of the windows and the renderer above the network. */
#pragma once

#include "client/net/game_state.h"

#include <cstdint>
#include <string>
#include <vector>

/** The six values of a mobile's three bars. */
struct StatusPairs {
    uint16_t hits = 0, maxHits = 0, mana = 0, maxMana = 0, stamina = 0, maxStamina = 0;
};
/** Which pairs a packet carried: all three (0x2D) or one (0xA1, 0xA2, 0xA3). */
enum class StatusPairKind : uint8_t { All, Hits, Mana, Stamina };

/** One item property list (0xBF sub-command 0x10). */
struct ItemProperties {
    uint32_t serial = 0;
    uint32_t title = 0;
    std::vector<std::pair<uint32_t, uint16_t>> properties;
    std::string crafter;
    bool hasCrafter = false;
    bool identified = true;
};

/** An object or string picker (0x7C). */
struct PickerMenu {
    uint32_t serial = 0;
    uint16_t menuId = 0;
    std::string question;
    struct Entry {
        uint16_t graphic = 0;
        uint16_t hue = 0;
        std::string text;
    };
    std::vector<Entry> entries;
};

/** A text query window (0xAB). */
struct StringQuery {
    uint32_t serial = 0;
    uint16_t queryId = 0;
    std::string question;
    uint8_t buttons = 0;
    uint8_t entryKind = 0;
    uint32_t editLimit = 0;
    std::string description;
};

/** What the handlers know of an open book window. */
struct BookWindow {
    bool open = false;
    bool writable = false;
    int32_t firstHeldPage = 1;
    int32_t heldPages = 0;
    int32_t currentPage = 1;
};

/** A board message line (0x71 sub-command 1) or the head of a message body (sub-command 2). */
struct BoardMessage {
    uint32_t board = 0;
    uint32_t message = 0;
    uint32_t parent = 0;
    /** Cut to 31, 79 and 79 characters. */
    std::string poster, subject, time;
    uint16_t bodyGraphic = 0, bodyHue = 0;
    std::vector<std::pair<uint16_t, uint16_t>> pairs;
    /** At most 80 lines. */
    std::vector<std::string> lines;
    uint32_t requestSerial = 0;
};

/** One entry of a vendor's sell list (0x9E), after the art remap. */
struct SellRecord {
    uint32_t serial = 0;
    uint16_t graphic = 0, hue = 0, amount = 0, price = 0;
    std::string name;
};

/**
 * The windows as the handlers see them: status bars, target markers, the party and its chat,
 * pickers, books, boards, paperdolls, trade, shop and skill windows. The defaults do nothing and
 * answer "none", which is what the handlers need without windows (tools, tests). Objects are
 * named by serial, never by pointer. Main thread only.
 */
class GameWindowServices {
public:
    virtual ~GameWindowServices() = default;

    // Status bars and markers.
    /** Target markers following the mobile take its maximum and current hits. */
    virtual void UpdateTargetMarkers(uint32_t /*serial*/, uint16_t /*maxHits*/, uint16_t /*hits*/) {}
    virtual void CloseAllTargetMarkers() {}
    /** Status bars of the object copy the block; rename opens the name field; all four flags redraw. */
    virtual void ShowStatusBlock(const StatusBlock& /*block*/, bool /*rename*/) {}
    /** Shop windows of the player take the gold. */
    virtual void SetShopGold(uint16_t /*gold*/) {}
    /** The first status bar of the mobile takes the pairs and redraws what changed. */
    virtual void UpdateStatusBar(uint32_t /*serial*/, StatusPairKind /*kind*/, const StatusPairs& /*pairs*/) {}
    virtual void ShowCombatantMarker(uint32_t /*serial*/) {}
    virtual void ShowLastTargetMarker(uint32_t /*serial*/) {}
    /** The war and peace button follows the mode. */
    virtual void WarModeChanged(bool /*war*/) {}

    // The death screen.
    virtual void CloseClosableGumps() {}
    virtual void CloseModalMessage() {}
    virtual void CloseDragGump() {}
    /** Every overhead text of every object and every system text. */
    virtual void DeleteAllTexts() {}

    // Extended commands and the party.
    virtual void SendMessengerMail(const std::u16string& /*address*/, const std::u16string& /*name*/,
                                   const std::u16string& /*subject*/, const std::u16string& /*body*/)
    {
    }
    virtual void ShowItemProperties(const ItemProperties& /*properties*/) {}
    /** Member i of the list: its bar gets the party button, or a bar opens in the member's place. */
    virtual void ShowPartyMemberBar(size_t /*index*/, uint32_t /*serial*/) {}
    virtual void ClosePartyMemberBar(uint32_t /*serial*/) {}
    /** The party window gets (leader) or loses its member and party buttons. */
    virtual void PartyLeaderChanged(bool /*leader*/) {}
    /** A party line: the chat window appends it and a bark shows it in the colour. */
    virtual void ShowPartyMessage(const std::u16string& /*text*/, int32_t /*colour*/) {}

    // Pickers and queries.
    virtual void OpenObjectPicker(const PickerMenu& /*menu*/) {}
    virtual void OpenStringPicker(const PickerMenu& /*menu*/) {}
    /** Keeps an open hue picker of the serial on screen, or opens one. */
    virtual void OpenHuePicker(uint32_t /*serial*/, uint16_t /*value*/, uint16_t /*graphic*/) {}
    virtual void OpenStringQuery(const StringQuery& /*query*/) {}
    /** The window that asked for a mobile's name takes the answer. */
    virtual void NameAnswered(uint32_t /*serial*/, const std::string& /*name*/) {}

    // Books, boards, paperdolls, signs, map courses.
    virtual BookWindow FindBook(uint32_t /*serial*/) { return {}; }
    /** Updates an open book's title and author, or opens the book. */
    virtual void ShowBookHeader(uint32_t /*serial*/, const std::string& /*title*/, const std::string& /*author*/,
                                uint16_t /*pages*/, bool /*writable*/, uint8_t /*flag*/)
    {
    }
    /** Slot of the open book takes the lines (at most 20, each at most 79 characters). */
    virtual void SetBookPage(uint32_t /*serial*/, int32_t /*slot*/, const std::vector<std::string>& /*lines*/) {}
    virtual void RedrawBook(uint32_t /*serial*/) {}
    /** Raises the open board windows of the serial, or opens one. */
    virtual void OpenBoard(uint32_t /*serial*/, const std::string& /*name*/) {}
    virtual void AddBoardMessageLine(const BoardMessage& /*line*/) {}
    virtual void ShowBoardMessage(const BoardMessage& /*message*/) {}
    /**
     * Raises the open paperdoll of the mobile, or opens one (beside the game area when asked);
     * true when a new one opened.
     */
    virtual bool OpenPaperdoll(uint32_t /*serial*/, const std::string& /*title*/, uint8_t /*flags*/, bool /*player*/,
                               bool /*besideGameArea*/)
    {
        return false;
    }
    /** Nothing when a sign of the (nonzero) serial is open. */
    virtual void OpenSign(uint32_t /*serial*/, uint16_t /*art*/, const std::string& /*first*/, const std::string& /*second*/) {}
    virtual bool CourseOpen(uint32_t /*serial*/) { return false; }
    virtual void RedrawCourse(uint32_t /*serial*/) {}
    virtual void SetCourseEditable(uint32_t /*serial*/, bool /*editable*/) {}

    // Trade, shop and skills.
    virtual void OpenTrade(uint32_t /*partner*/, uint32_t /*first*/, uint32_t /*second*/, const std::string& /*name*/) {}
    /** The trade window of the container closes. */
    virtual void CloseTrade(uint32_t /*container*/) {}
    virtual void UpdateTrade(uint32_t /*container*/, bool /*firstChecked*/, bool /*secondChecked*/) {}
    /** Closes the vendor's first shop window, opens the sell window and raises its bill. */
    virtual void OpenSellWindow(uint32_t /*vendor*/, const std::vector<SellRecord>& /*records*/) {}
    /** Every shop window of the vendor clears its choice and redraws list and bill. */
    virtual void ShopPurchaseAccepted(uint32_t /*vendor*/) {}
    virtual void CloseShops(uint32_t /*vendor*/) {}
    /** The skill gain message. */
    virtual void ReportSkillChange(size_t /*index*/, uint16_t /*value*/) {}
    /** When a list is awaited for it, raises or opens the skill window. */
    virtual void OpenPendingSkillWindow() {}
    /** The open skill window shows the player's own row (or redraws every row with index -1). */
    virtual void SkillRowChanged(int32_t /*index*/) {}
    /** A second window with another character's skills. */
    virtual void ShowOtherSkills(const std::vector<std::pair<size_t, SkillValue>>& /*rows*/) {}
};

/** The renderer's side of the handlers: the death fade and server-sent art. The defaults do nothing. */
class GameRenderServices {
public:
    virtual ~GameRenderServices() = default;
    /** The player died: the view darkens and shows "You are dead.". */
    virtual void StartDeathFade() {}
    /** A server-sent art image (null: none) replaces the installed one. */
    virtual void UpdateArt(const uint8_t* /*image*/, int32_t /*id*/, int32_t /*length*/, int32_t /*extra*/) {}
};

/** Each installer takes null to put back the defaults. */
void SetGameWindowServices(GameWindowServices* services);
GameWindowServices& gameWindows();
void SetGameRenderServices(GameRenderServices* services);
GameRenderServices& gameRender();
