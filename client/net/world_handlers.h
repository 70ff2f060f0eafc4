/** @file Server packet handlers of speech, entering the world and world objects; the Unicode speech packets; the player's walk services. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CMobile;

// ---- Globals the handlers write ---------------------------------------------------------------

/** The player's serial (login confirm). */
extern uint32_t PlayerSerial;
/** The four map-extent values of the login confirm and 0x76. */
extern uint16_t MapExtents[4];
/** The global light level (0x4F). */
extern uint8_t GlobalLightLevel;
/** While set, the stored global light level is 0. */
extern bool GlobalLightOverride;
/** Allows season 4 to be taken (the season itself is the seasonal art's SeasonValue). */
extern bool AllowSeasonFour;
/** Cleared by 0x28, 0x29 and by 0x1D for the object the player's first equipment reference points to. */
extern int32_t SharedReferenceFlag;
/** The world was entered (login confirm on the active connection). */
extern bool WorldEntered;

int32_t GetFeatureFlag();
void SetFeatureFlag(int32_t flag);

/**
 * What the world handlers ask of the game screen. The game gumps and the renderer install theirs;
 * the defaults do nothing. Main thread only.
 */
class GameScreenServices {
public:
    virtual ~GameScreenServices() = default;
    /** Title of the main window after the login confirm. */
    virtual void SetTitle(const char* text);
    /** The light level changed (the light code is told and the view redrawn). */
    virtual void LightChanged(int32_t /*level*/) {}
    /** A mobile's status flags changed (its status gumps refresh). */
    virtual void StatusFlagsChanged(CMobile& /*mobile*/) {}
    /** The status gump of the mobile is open (0x78 then asks for its status). */
    virtual bool StatusGumpOpen(uint32_t /*serial*/) { return false; }
    /** A help text window for an object at the pointer (0xB7). */
    virtual void ShowHelpText(uint32_t /*serial*/, const std::u16string& /*text*/) {}
    /** The pointer arrow (0xBA). */
    virtual void PointerArrow(bool /*show*/, uint16_t /*x*/, uint16_t /*y*/) {}
    /** The map item gump of a map object (0x90). */
    virtual void OpenMapGump(uint32_t /*serial*/, const uint16_t /*values*/[7]) {}
    /** A container's gump redraws after its contents arrived (0x3C). */
    virtual void ContainerContentsArrived(uint32_t /*serial*/) {}
};
void SetGameScreenServices(GameScreenServices* services);
GameScreenServices& gameScreen();

// ---- Speech -----------------------------------------------------------------------------------

/** The shared speech display of 0xAE, 0xC1 and 0xCC. */
void DisplayUnicodeSpeech(uint32_t serial, uint16_t graphic, uint8_t type, uint16_t hue, uint16_t font,
                          const char* language, const std::string& name, const std::u16string& text);
/** The display of 8-bit speech (0x1C). */
void DisplaySpeech(uint32_t serial, uint16_t graphic, uint8_t type, uint16_t hue, uint16_t font,
                   const std::string& name, const std::string& text);
/** A system line of UTF-16 text; records the last speaker as kind 1. */
void AddSystemUnicodeText(uint16_t hue, uint16_t font, const std::u16string& text, const char* language);
/** Builds and sends 0xAD: an emote (mode 2) wrapped in '*', with the emote or the speech hue and font. */
void SendUnicodeSpeechText(const std::u16string& text, uint8_t mode);
/** Rate-limited sending: over the limit the notice shows and the text waits. */
void SpeakUnicode(const std::u16string& text, uint8_t mode);

// ---- Handlers and installation ----------------------------------------------------------------

void HandleObjectInfo(const uint8_t* packet, size_t length);      // 0x1A
void HandleLoginConfirm(const uint8_t* packet, size_t length);    // 0x1B
void HandleSpeech(const uint8_t* packet, size_t length);          // 0x1C
void HandleDeleteObject(const uint8_t* packet, size_t length);    // 0x1D
void HandlePlayerUpdate(const uint8_t* packet, size_t length);    // 0x20
void HandleMoveReject(const uint8_t* packet, size_t length);      // 0x21
void HandleMoveAck(const uint8_t* packet, size_t length);         // 0x22
void HandleOpenContainer(const uint8_t* packet, size_t length);   // 0x24
void HandleContainerItem(const uint8_t* packet, size_t length);   // 0x25
void HandlePickUpRejected(const uint8_t* packet, size_t length);  // 0x27
void HandleGroup(const uint8_t* packet, size_t length);           // 0x39
void HandleContainerContents(const uint8_t* packet, size_t length); // 0x3C
void HandleGlobalLight(const uint8_t* packet, size_t length);     // 0x4F
void HandleId76(const uint8_t* packet, size_t length);            // 0x76
void HandleMobileMoving(const uint8_t* packet, size_t length);    // 0x77
void HandleMobileIncoming(const uint8_t* packet, size_t length);  // 0x78
void HandleCorpseEquipment(const uint8_t* packet, size_t length); // 0x89
void HandleMapDetails(const uint8_t* packet, size_t length);      // 0x90
void HandleMovePlayer(const uint8_t* packet, size_t length);      // 0x97
void HandleUnicodeSpeech(const uint8_t* packet, size_t length);   // 0xAE
void HandleHelpText(const uint8_t* packet, size_t length);        // 0xB7
void HandleFeatureFlags(const uint8_t* packet, size_t length);    // 0xB9
void HandlePointerArrow(const uint8_t* packet, size_t length);    // 0xBA
void HandleSeason(const uint8_t* packet, size_t length);          // 0xBC
void HandleClientVersion(const uint8_t* packet, size_t length);   // 0xBD
void HandleVersionQuery(const uint8_t* packet, size_t length);    // 0xBE
void HandleLocalizedMessage(const uint8_t* packet, size_t length); // 0xC1
void HandleIdC4(const uint8_t* packet, size_t length);            // 0xC4
void HandleLocalizedMessageAffix(const uint8_t* packet, size_t length); // 0xCC

/** Installs the world handlers, the speech sender of the core and the player's walk services. */
void InstallWorldHandlers();
/** Forgets the globals above (tests; a new login). */
void ResetWorldHandlerState();
