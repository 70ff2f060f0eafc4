/** @file Macros: key names, macros.txt read and written, and the running macro advanced one action per tick. */
#include "client/gumps/framework/macros.h"

#include "client/core/app.h"
#include "client/core/config_files.h"
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_window.h"
#include "platform/window/virtual_keys.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vk = platform::vk;

namespace {

struct ScanKey {
    uint32_t key;
    const char* name;
};

// Scan codes 0 to 88 of the PC keyboard: the virtual key each gives, and its name.
constexpr ScanKey kScanKeys[macro_keys::kScanCodes] = {
    {0, ""}, {vk::Escape, "Esc"}, {'1', "1"}, {'2', "2"}, {'3', "3"}, {'4', "4"}, {'5', "5"}, {'6', "6"},
    {'7', "7"}, {'8', "8"}, {'9', "9"}, {'0', "0"}, {vk::OemMinus, "-"}, {vk::OemPlus, "="}, {vk::Back, "Backspace"},
    {vk::Tab, "Tab"}, {'Q', "Q"}, {'W', "W"}, {'E', "E"}, {'R', "R"}, {'T', "T"}, {'Y', "Y"}, {'U', "U"}, {'I', "I"},
    {'O', "O"}, {'P', "P"}, {vk::Oem4, "["}, {vk::Oem6, "]"}, {vk::Return, "Enter"}, {vk::Control, "Ctrl"},
    {'A', "A"}, {'S', "S"}, {'D', "D"}, {'F', "F"}, {'G', "G"}, {'H', "H"}, {'J', "J"}, {'K', "K"}, {'L', "L"},
    {vk::Oem1, ";"}, {vk::Oem7, "'"}, {vk::Oem3, "`"}, {vk::Shift, "Shift"}, {vk::Oem5, "\\"}, {'Z', "Z"},
    {'X', "X"}, {'C', "C"}, {'V', "V"}, {'B', "B"}, {'N', "N"}, {'M', "M"}, {vk::OemComma, ","},
    {vk::OemPeriod, "."}, {vk::Oem2, "/"}, {vk::Shift, "Right Shift"}, {vk::Multiply, "Num *"}, {vk::Menu, "Alt"},
    {vk::Space, "Space"}, {vk::Capital, "Caps Lock"}, {vk::F1, "F1"}, {vk::F1 + 1, "F2"}, {vk::F1 + 2, "F3"},
    {vk::F1 + 3, "F4"}, {vk::F1 + 4, "F5"}, {vk::F1 + 5, "F6"}, {vk::F1 + 6, "F7"}, {vk::F1 + 7, "F8"},
    {vk::F1 + 8, "F9"}, {vk::F1 + 9, "F10"}, {vk::NumLock, "Pause"}, {vk::Scroll, "Scroll Lock"},
    {vk::Home, "Num 7"}, {vk::Up, "Num 8"}, {vk::Prior, "Num 9"}, {vk::Subtract, "Num -"}, {vk::Left, "Num 4"},
    {vk::Clear, "Num 5"}, {vk::Right, "Num 6"}, {vk::Add, "Num +"}, {vk::End, "Num 1"}, {vk::Down, "Num 2"},
    {vk::Next, "Num 3"}, {vk::Insert, "Num 0"}, {vk::Delete, "Num Del"}, {vk::Snapshot, "Sys Req"}, {0, ""},
    {0xE2, "\\"}, {vk::F1 + 10, "F11"}, {vk::F1 + 11, "F12"},
};

constexpr const char* kActionNames[MA_Count] = {
    "",           "Say",        "Emote",      "Whisper",     "Yell",         "Walk",        "War/Peace",
    "Paste",      "Open",       "Close",      "Minimize",    "Maximize",     "OpenDoor",    "UseSkill",
    "LastSkill",  "CastSpell",  "LastSpell",  "LastObject",  "Bow",          "Salute",      "QuitGame",
    "AllNames",   "LastTarget", "TargetSelf", "Arm/Disarm",  "WaitForTarg",  "TargetNext",  "AttackLast",
    "Delay",      "CircleTrans", "Command",   "CloseGumps",  "AlwaysRun",    "SaveDesktop", "KillGumpOpen",
    "WresDisarm", "WresStun",
};
constexpr const char* kDirections[8] = {"NW", "N", "NE", "E", "SE", "S", "SW", "W"};
constexpr const char* kWindows[10] = {"Configuration", "Paperdoll", "Status",   "Journal", "Skills",
                                      "Spellbook",     "Chat",      "Backpack", "Overview", "Mail"};
constexpr size_t kMaxText = 127;
constexpr int kArmPause = 22;
constexpr int kMaxFailures = 10;
constexpr int kTargetWait = 100;

std::vector<std::string> words(std::string_view line)
{
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            out.emplace_back(line.substr(start, i - start));
    }
    return out;
}

std::string joined(const std::vector<std::string>& w, size_t from)
{
    std::string out;
    for (size_t i = from; i < w.size(); ++i) {
        if (!out.empty())
            out += ' ';
        out += w[i];
    }
    return out;
}

/** Lines ended by CR, LF, CR LF or LF CR. */
std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    // Room for every line at once: a file of many short lines would otherwise regrow the list again and again.
    out.reserve(1 + static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; })));
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find_first_of("\r\n", i);
        if (end == std::string::npos) {
            out.push_back(text.substr(i));
            break;
        }
        out.push_back(text.substr(i, end - i));
        const char first = text[end++];
        if (end < text.size() && (text[end] == '\r' || text[end] == '\n') && text[end] != first)
            ++end;
        i = end;
    }
    return out;
}

std::string spellName(const std::string& name)
{
    std::string out = name.substr(0, name.find('('));
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

MacroHost*& installedHost()
{
    static MacroHost* host = nullptr;
    return host;
}

void sendTextCommand(int type, const std::string& text)
{
    CPacketSink* connection = MainConnection();
    if (connection == nullptr)
        return;
    std::vector<uint8_t> packet{0x12, 0, 0, static_cast<uint8_t>(type)};
    packet.insert(packet.end(), text.begin(), text.end());
    packet.push_back(0);
    packet[1] = static_cast<uint8_t>(packet.size() >> 8);
    packet[2] = static_cast<uint8_t>(packet.size());
    connection->SendPacket(packet.data(), packet.size());
}

/** The macro's file: the character's copy when there is one, else the client folder's. */
std::string macroFile(bool forWriting)
{
    std::string path;
    if (BuildCharacterFilePath("macros.txt", path) && (forWriting || ReadConfigFile(path, "r")))
        return path;
    return "macros.txt";
}

} // namespace

namespace macro_keys {
uint32_t VirtualKeyOf(int scanCode)
{
    return scanCode >= 0 && scanCode < kScanCodes ? kScanKeys[scanCode].key : 0;
}
const char* BuiltInName(int scanCode)
{
    return scanCode >= 0 && scanCode < kScanCodes ? kScanKeys[scanCode].name : "";
}
} // namespace macro_keys

const char* MacroActionName(int32_t type)
{
    return type >= 0 && type < MA_Count ? kActionNames[type] : "";
}

std::vector<std::string>& MacroSkillNames()
{
    static std::vector<std::string> names;
    return names;
}

std::vector<std::string>& MacroSpellNames()
{
    static std::vector<std::string> names;
    return names;
}

void ParseMacroAction(std::string_view line, MacroAction& action)
{
    action = {};
    const std::vector<std::string> w = words(line);
    if (w.empty())
        return;
    for (int32_t t = 1; t < MA_Count; ++t)
        if (w[0] == kActionNames[t])
            action.type = t;
    const std::string rest = joined(w, 1);
    switch (action.type) {
    case MA_Say:
    case MA_Emote:
    case MA_Whisper:
    case MA_Yell:
    case MA_Delay:
        action.text = rest.substr(0, kMaxText);
        // A cut that ends in a blank would not read back as itself.
        while (!action.text.empty() && action.text.back() == ' ')
            action.text.pop_back();
        break;
    case MA_Walk:
        for (int d = 0; d < 8; ++d)
            if (rest == kDirections[d])
                action.number = d;
        break;
    case MA_Open:
    case MA_Close:
    case MA_Minimize:
    case MA_Maximize:
        for (int i = 0; i < 10; ++i)
            if (rest == kWindows[i]) {
                action.number = i;
                break;
            }
        break;
    case MA_UseSkill: {
        const auto& skills = MacroSkillNames();
        for (size_t i = 0; i < skills.size(); ++i)
            if (skills[i] == rest) {
                action.number = static_cast<int32_t>(i);
                break;
            }
        break;
    }
    case MA_CastSpell: {
        const auto& spells = MacroSpellNames();
        for (size_t i = 0; i < spells.size(); ++i)
            if (spellName(spells[i]) == rest) {
                action.number = static_cast<int32_t>(i);
                break;
            }
        break;
    }
    case MA_ArmDisarm:
        action.number = rest.size() == 8 && std::equal(rest.begin(), rest.end(), "lefthand", [](char a, char b) {
                            return std::tolower(static_cast<unsigned char>(a)) == b;
                        })
                            ? 1
                            : 2;
        break;
    default:
        break;
    }
}

std::string MacroActionArgument(const MacroAction& a)
{
    switch (a.type) {
    case MA_Say:
    case MA_Emote:
    case MA_Whisper:
    case MA_Yell:
    case MA_Delay:
        return a.text;
    case MA_Walk:
        return a.number >= 0 && a.number < 8 ? kDirections[a.number] : "";
    case MA_Open:
    case MA_Close:
    case MA_Minimize:
    case MA_Maximize:
        return a.number >= 0 && a.number < 10 ? kWindows[a.number] : "";
    case MA_UseSkill:
        return a.number >= 0 && static_cast<size_t>(a.number) < MacroSkillNames().size()
                   ? MacroSkillNames()[static_cast<size_t>(a.number)]
                   : "";
    case MA_CastSpell:
        return a.number >= 0 && static_cast<size_t>(a.number) < MacroSpellNames().size()
                   ? spellName(MacroSpellNames()[static_cast<size_t>(a.number)])
                   : "";
    case MA_ArmDisarm:
        return a.number == 1 ? "LeftHand" : "RightHand";
    default:
        return "";
    }
}

MacroState& Macros()
{
    static MacroState state;
    return state;
}

void ReadKeyNames(const std::string* text)
{
    MacroState& s = Macros();
    // Without the file the built-in names stand in, so that saved macros load again.
    for (int i = 0; i < macro_keys::kScanCodes; ++i)
        s.keyNames[static_cast<size_t>(i)] = text == nullptr ? macro_keys::BuiltInName(i) : "";
    if (text == nullptr)
        return;
    const std::vector<std::string> all = lines(*text);
    for (size_t i = 0; i < all.size() && i < s.keyNames.size(); ++i)
        s.keyNames[i] = all[i];
}

void ReadMacros(const std::string& text)
{
    MacroState& s = Macros();
    s.macros.clear();
    s.running = nullptr;
    s.delaying = s.waitingForTarget = false;
    bool skipping = false;
    Macro* current = nullptr;
    for (const std::string& line : lines(text)) {
        if (line.empty())
            continue;
        if (line[0] == '#') {
            skipping = false;
            current = nullptr;
            continue;
        }
        if (skipping)
            continue;
        if (current != nullptr) {
            // Room for ten actions: further lines are dropped.
            if (current->actions.size() < Macro::kMaxActions) {
                MacroAction action;
                ParseMacroAction(line, action);
                current->actions.push_back(std::move(action));
            }
            continue;
        }
        // A header: the key name, then Ctrl, Alt and Shift as 0 or 1.
        const size_t size = line.size();
        const bool header = size >= 6 && line[size - 6] == ' ' && line[size - 4] == ' ' && line[size - 2] == ' ' &&
                            (line[size - 5] == '0' || line[size - 5] == '1') &&
                            (line[size - 3] == '0' || line[size - 3] == '1') &&
                            (line[size - 1] == '0' || line[size - 1] == '1');
        const std::string name = header ? line.substr(0, size - 6) : std::string();
        int scan = -1;
        for (int i = 0; header && i < macro_keys::kScanCodes; ++i)
            if (!s.keyNames[static_cast<size_t>(i)].empty() && s.keyNames[static_cast<size_t>(i)] == name) {
                scan = i;
                break;
            }
        if (scan < 0) {
            skipping = true;
            continue;
        }
        Macro m;
        m.key = macro_keys::VirtualKeyOf(scan);
        m.keyData = static_cast<uint32_t>(scan) << 16;
        m.ctrl = line[size - 5] == '1';
        m.alt = line[size - 3] == '1';
        m.shift = line[size - 1] == '1';
        s.macros.push_back(std::move(m));
        current = &s.macros.back();
    }
    MacroKeyList.clear();
    for (size_t i = 0; i < s.macros.size(); ++i) {
        const Macro& m = s.macros[i];
        MacroKeyList.push_back({m.key, m.ctrl, m.alt, m.shift, static_cast<int>(i)});
    }
}

std::string WriteMacros()
{
    MacroState& s = Macros();
    std::string out;
    for (const Macro& m : s.macros) {
        const int scan = static_cast<int>(m.keyData >> 16);
        std::string name = scan < macro_keys::kScanCodes ? s.keyNames[static_cast<size_t>(scan)] : "";
        if (name.empty())
            name = macro_keys::BuiltInName(scan < macro_keys::kScanCodes ? scan : 0);
        name = name.substr(0, 20);
        out += name + " " + (m.ctrl ? "1" : "0") + " " + (m.alt ? "1" : "0") + " " + (m.shift ? "1" : "0") + "\n";
        for (const MacroAction& a : m.actions)
            out += std::string(MacroActionName(a.type)) + " " + MacroActionArgument(a) + "\n";
        out += "########\n";
    }
    return out;
}

// The host.

bool MacroHost::InGame()
{
    return g_bInGame;
}

void MacroHost::Speak(int mode, const std::string& text)
{
    QueueSpeech(text.c_str(), static_cast<int32_t>(text.size()), mode);
}

void MacroHost::ToggleWarMode()
{
    RequestWarMode(-1);
}

void MacroHost::Paste()
{
    PasteClipboardText();
}

void MacroHost::OpenWindow(int window)
{
    switch (window) {
    case 0:
        CGumpManager::OpenGump(nullptr, 5000, nullptr, 0, 0);
        break;
    case 3:
        CGumpManager::OpenGump(nullptr, 7, nullptr, 0, 0);
        break;
    case 5:
        TextCommand(67, "");
        break;
    case 8:
        CGumpManager::OpenGump(nullptr, 5010, nullptr, 0, 0);
        break;
    default:
        // Paperdoll, status, skills, chat, backpack and mail need the world and the chat windows.
        break;
    }
}

CGump* MacroHost::FindWindow(int window)
{
    for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling()) {
        if (g->closing)
            continue;
        const bool match = (window == 0 && g->IsOptionsGump() != 0) || (window == 1 && g->IsPaperdollGump() != 0) ||
                           (window == 2 && g->IsStatusGump() != 0) || (window == 3 && g->IsTextGump() != 0) ||
                           (window == 4 && g->IsSkillGump() != 0) || (window == 5 && g->IsSpellbookGump() != 0) ||
                           (window == 6 && g->IsChatGump() != 0) || (window == 7 && g->IsContainerGump() != 0) ||
                           (window == 8 && g->IsRadarGump() != 0) || (window == 9 && g->IsHTMLInputBox() != 0);
        if (match)
            return g;
    }
    return nullptr;
}

void MacroHost::TextCommand(int type, const std::string& text)
{
    sendTextCommand(type, text);
}

bool MacroHost::TargetCursorUp()
{
    return g_bTargetMode;
}

void MacroHost::CloseGumps()
{
    CGumpManager::CloseAllClosableGumps();
}

void MacroHost::ToggleAlwaysRun()
{
    AlwaysRun = AlwaysRun != 0 ? 0 : 1;
    SystemMessage(AlwaysRun != 0 ? "Always Run is now on." : "Always Run is now off.");
}

void MacroHost::SaveDesktop()
{
    CGumpManager::SaveDesktop();
}

void MacroHost::ClearDesktopQueue()
{
    CGumpManager::ClearDesktopQueue();
}

void MacroHost::ExtendedCommand(int sub)
{
    CPacketSink* connection = MainConnection();
    if (connection == nullptr)
        return;
    const uint8_t packet[5] = {0xBF, 0, 5, 0, static_cast<uint8_t>(sub)};
    connection->SendPacket(packet, sizeof packet);
}

void MacroHost::SystemMessage(const std::string& text)
{
    KZReport::message("%s\n", text.c_str());
}

void SetMacroHost(MacroHost* host)
{
    installedHost() = host;
}

MacroHost& macroHost()
{
    static MacroHost fallback;
    return installedHost() != nullptr ? *installedHost() : fallback;
}

// Running.

namespace {

/** Runs one action; false when it failed and is to be tried again next tick. */
bool runAction(const MacroAction& a)
{
    MacroHost& host = macroHost();
    MacroState& s = Macros();
    const bool outside = a.type == MA_Paste || a.type == MA_Delay || a.type == MA_CircleTrans || a.type == MA_CloseGumps;
    if (!outside && !host.InGame())
        return true;
    switch (a.type) {
    case MA_Say: host.Speak(0, a.text); break;
    case MA_Emote: host.Speak(2, a.text); break;
    case MA_Whisper: host.Speak(8, a.text); break;
    case MA_Yell: host.Speak(9, a.text); break;
    case MA_Walk: host.Walk(a.number); break;
    case MA_WarPeace: host.ToggleWarMode(); break;
    case MA_Paste: host.Paste(); break;
    case MA_Open: host.OpenWindow(a.number); break;
    case MA_Close:
        if (CGump* g = host.FindWindow(a.number))
            CGumpManager::DestroyGump(g);
        break;
    case MA_Minimize:
        if (CGump* g = host.FindWindow(a.number))
            g->Minimize();
        break;
    case MA_Maximize:
        if (CGump* g = host.FindWindow(a.number))
            g->Restore();
        break;
    case MA_OpenDoor: host.TextCommand(88, ""); break;
    case MA_UseSkill: host.TextCommand(36, std::to_string(a.number) + " 0"); break;
    case MA_LastSkill:
        if (host.LastSkill() >= 0)
            host.TextCommand(36, std::to_string(host.LastSkill()) + " 0");
        break;
    case MA_CastSpell: host.TextCommand(86, std::to_string(a.number + 1)); break;
    case MA_LastSpell:
        if (host.LastSpell() >= 0)
            host.TextCommand(86, std::to_string(host.LastSpell() + 1));
        break;
    case MA_LastObject: host.UseLastObject(); break;
    case MA_Bow: host.TextCommand(199, "bow"); break;
    case MA_Salute: host.TextCommand(199, "salute"); break;
    case MA_QuitGame:
        if (CGumpManager::Modal() == nullptr)
            host.QuitGame();
        break;
    case MA_AllNames: host.AllNames(); break;
    case MA_LastTarget:
        if (!host.TargetCursorUp())
            return false;
        host.TargetLast();
        break;
    case MA_TargetSelf:
        if (host.TargetCursorUp())
            host.TargetSelf();
        break;
    case MA_ArmDisarm:
        if (MacroWaitCounter != 0) {
            host.SystemMessage("You must wait to perform another action.");
            break;
        }
        MacroWaitCounter = kArmPause;
        if (a.number != 1 && a.number != 2) {
            host.SystemMessage("You must select the right or left arm in the macro options.");
            break;
        }
        if (host.ArmDisarm(a.number == 1 ? 2 : 1) == 2)
            host.SystemMessage("You must first disarm a weapon in order to arm one.");
        break;
    case MA_WaitForTarg:
        s.waitingForTarget = true;
        s.waitCount = 0;
        break;
    case MA_TargetNext: host.TargetNext(); break;
    case MA_AttackLast: host.AttackLast(); break;
    case MA_Delay:
        s.delaying = true;
        s.delayCount = 0;
        s.delayLimit = std::atoi(a.text.c_str());
        break;
    case MA_CircleTrans: host.ToggleSeeThroughCircle(); break;
    case MA_CloseGumps: host.CloseGumps(); break;
    case MA_AlwaysRun: host.ToggleAlwaysRun(); break;
    case MA_SaveDesktop:
        host.SaveDesktop();
        host.SystemMessage("Done saving desktop.");
        break;
    case MA_KillGumpOpen:
        host.ClearDesktopQueue();
        host.SystemMessage("Cancelled opening containers.");
        break;
    case MA_WresDisarm: host.ExtendedCommand(9); break;
    case MA_WresStun: host.ExtendedCommand(10); break;
    default: break;
    }
    return true;
}

} // namespace

namespace CApp {

void LoadMacros()
{
    const std::optional<std::string> names = ReadConfigFile("keynames.txt", "r");
    ReadKeyNames(names ? &*names : nullptr);
    const std::optional<std::string> text = ReadConfigFile(macroFile(false), "r");
    ReadMacros(text ? *text : std::string());
}

void SaveMacros()
{
    const std::string path = macroFile(true);
    if (path != "macros.txt") {
        std::string folder = path.substr(0, path.rfind('/'));
        MakeConfigFolders(folder);
    }
    if (!ReplaceConfigFileBytes(path, WriteMacros()))
        KZReport::message("CApp::SaveMacros: cannot open file 'macros.txt' for writing.\n");
}

void FreeMacros()
{
    Macros().macros.clear();
    Macros().running = nullptr;
    for (std::string& name : Macros().keyNames)
        name.clear();
    MacroKeyList.clear();
}

void StartMacro(int index)
{
    MacroState& s = Macros();
    if (s.running != nullptr) {
        s.delaying = false;
        s.waitingForTarget = false;
        return;
    }
    if (index < 0 || static_cast<size_t>(index) >= s.macros.size())
        return;
    s.running = &s.macros[static_cast<size_t>(index)];
    s.next = 0;
    s.delaying = s.waitingForTarget = false;
    // Each run counts its own failures.
    s.failures = 0;
}

void UpdateMacro()
{
    MacroState& s = Macros();
    if (s.running == nullptr)
        return;
    if (s.delaying) {
        if (++s.delayCount > s.delayLimit)
            s.delaying = false;
        return;
    }
    if (s.waitingForTarget) {
        if (++s.waitCount >= kTargetWait || macroHost().TargetCursorUp())
            s.waitingForTarget = false;
        return;
    }
    if (s.next >= s.running->actions.size()) {
        s.running = nullptr;
        return;
    }
    if (runAction(s.running->actions[s.next])) {
        ++s.next;
    } else if (++s.failures > kMaxFailures) {
        s.failures = 0;
        s.running = nullptr;
        return;
    }
    if (s.running != nullptr && s.next >= s.running->actions.size() && !s.delaying && !s.waitingForTarget)
        s.running = nullptr;
}

} // namespace CApp
