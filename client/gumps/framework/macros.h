/** @file Macros: key names, macros.txt read and written, and the running macro advanced one action per tick. */
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CGump;

/** The key names and virtual keys of scan codes 0 to 88. */
namespace macro_keys {
inline constexpr int kScanCodes = 89;
/** The virtual key of a scan code (0 for none). */
uint32_t VirtualKeyOf(int scanCode);
/** The built-in name of a scan code (empty for none). */
const char* BuiltInName(int scanCode);
} // namespace macro_keys

enum MacroActionType : int32_t {
    MA_None = 0, MA_Say, MA_Emote, MA_Whisper, MA_Yell, MA_Walk, MA_WarPeace, MA_Paste, MA_Open, MA_Close,
    MA_Minimize, MA_Maximize, MA_OpenDoor, MA_UseSkill, MA_LastSkill, MA_CastSpell, MA_LastSpell, MA_LastObject,
    MA_Bow, MA_Salute, MA_QuitGame, MA_AllNames, MA_LastTarget, MA_TargetSelf, MA_ArmDisarm, MA_WaitForTarg,
    MA_TargetNext, MA_AttackLast, MA_Delay, MA_CircleTrans, MA_Command, MA_CloseGumps, MA_AlwaysRun,
    MA_SaveDesktop, MA_KillGumpOpen, MA_WresDisarm, MA_WresStun, MA_Count
};

struct MacroAction {
    int32_t type = MA_None;
    int32_t number = 0;
    std::string text;
};

struct Macro {
    static constexpr size_t kMaxActions = 10;
    uint32_t key = 0;
    /** The scan code shifted left by 16, as a key message carries it. */
    uint32_t keyData = 0;
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    std::vector<MacroAction> actions;
};

/** The name of an action type as macros.txt writes it ("" for none). */
const char* MacroActionName(int32_t type);
/** Fills an action from one line of macros.txt. */
void ParseMacroAction(std::string_view line, MacroAction& action);
/** The argument text SaveMacros writes after an action's name. */
std::string MacroActionArgument(const MacroAction& action);

/**
 * What the actions do in the world and the windows. The default sends what it can on the game
 * connection (text commands, extended commands) and works the gump manager; what needs the world
 * (walking, targets, hands, the mobile list) does nothing until the world installs its own host.
 */
class MacroHost {
public:
    virtual ~MacroHost() = default;
    virtual bool InGame();
    /** Speech of that mode through the rate limit of the game tick. */
    virtual void Speak(int mode, const std::string& text);
    virtual void Walk(int direction) { (void)direction; }
    virtual void ToggleWarMode();
    virtual void Paste();
    virtual void OpenWindow(int window);
    /** The window's gump (first match in the top-level list from the front), or null. */
    virtual CGump* FindWindow(int window);
    /** Text command (packet 0x12) of that type. */
    virtual void TextCommand(int type, const std::string& text);
    /** -1 when none. */
    virtual int LastSkill() { return -1; }
    virtual int LastSpell() { return -1; }
    virtual void UseLastObject() {}
    virtual void QuitGame() {}
    virtual void AllNames() {}
    virtual bool TargetCursorUp();
    virtual void TargetLast() {}
    virtual void TargetSelf() {}
    /** Moves the item of that layer: 0 armed from memory, 1 put away, 2 nothing to arm. */
    virtual int ArmDisarm(int layer) { (void)layer; return 2; }
    virtual void TargetNext() {}
    virtual void AttackLast() {}
    virtual void ToggleSeeThroughCircle() {}
    virtual void CloseGumps();
    virtual void ToggleAlwaysRun();
    virtual void SaveDesktop();
    virtual void ClearDesktopQueue();
    /** Extended command (packet 0xBF) with that sub-command and no data. */
    virtual void ExtendedCommand(int sub);
    virtual void SystemMessage(const std::string& text);
};

/** Installs the host; null puts back the default one. */
void SetMacroHost(MacroHost* host);
MacroHost& macroHost();

/** The skill and spell names macros refer to (the skill table; spell names up to their "("). */
std::vector<std::string>& MacroSkillNames();
std::vector<std::string>& MacroSpellNames();

/** The loaded macros, the key name table, and the run state. */
struct MacroState {
    std::array<std::string, macro_keys::kScanCodes> keyNames;
    std::vector<Macro> macros;
    const Macro* running = nullptr;
    size_t next = 0;
    int failures = 0;
    bool waitingForTarget = false;
    int waitCount = 0;
    bool delaying = false;
    int delayCount = 0;
    int delayLimit = 0;
};
MacroState& Macros();

/** Reads keynames.txt and macros.txt texts (for the loader and tests). */
void ReadKeyNames(const std::string* text);
void ReadMacros(const std::string& text);
/** The text SaveMacros writes. */
std::string WriteMacros();
