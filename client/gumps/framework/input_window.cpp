/** @file The typed-input line: editing, speech modes, sending as speech, party line, prompt answer or connection command; the key walk; the macro keys and the help request. */
#include "client/gumps/framework/input_window.h"

#include "client/gumps/framework/gump_manager.h"
#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/kz_report.h"
#include "client/core/main_window.h"
#include "client/core/player_files.h"
#include "client/core/shared_functions.h"
#include "client/data/font_manager.h"
#include "client/data/language_manager.h"
#include "client/data/unicode_font.h"
#include "client/net/game_handlers.h"
#include "client/net/game_handlers_common.h"
#include "client/net/game_state.h"
#include "client/net/packet_builders.h"
#include "client/net/server_sessions.h"
#include "client/net/world_handlers.h"
#include "client/render/text_manager.h"
#include "client/world/object_manager.h"
#include "client/world/walk.h"
#include "client/world/world_objects.h"
#include "platform/window/virtual_keys.h"
#include "platform/window/window.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <type_traits>

CInputWindow* g_pInputWindow = nullptr;
std::vector<MacroKey> MacroKeyList;
int MacroWaitCounter = 0;

const TypedCommand TypedCommands[34] = {
    {"who", 10},      {"where", 11},    {"query", 20},     {"action", 199},    {"fullscreen", 201},
    {"helpme", 202},  {"version", 203}, {"a", 204},        {"con", 216},       {"sw", 217},
    {"next", 218},    {"done", 219},    {"rem", 220},      {"add", 221},       {"quit", 222},
    {"accept", 223},  {"decline", 224}, {" ", 225},        {"list", 226},      {"1", 227},
    {"2", 228},       {"3", 229},       {"4", 230},        {"5", 231},         {"6", 232},
    {"7", 233},       {"8", 234},       {"9", 235},        {"10", 236},        {"transworld", 237},
    {"dis", 238},     {"exportcliloctiledata", 240},       {"exporttiledataadvanced", 241},
    {"count", 242},
};

namespace {

constexpr uint16_t kCommandBody = 987;
constexpr int32_t kSystemHue = 995;
constexpr int32_t kPartyHue = 1153;
constexpr int32_t kNoticeHue = 946;
constexpr int32_t kNoticeFont = 3;
constexpr uint32_t kRepeatFlag = 0x40000000;

InputLineDisplay* g_display = nullptr;

class CoreMacroServices final : public MacroServices {
public:
    void LoadMacros() override { CApp::LoadMacros(); }
    void FreeMacros() override { CApp::FreeMacros(); }
    std::span<const MacroKey> MacroKeys() const override { return MacroKeyList; }
    void StartMacro(int index) override { CApp::StartMacro(index); }
    void UpdateMacro() override { CApp::UpdateMacro(); }
    void CountDownMacroWait() override
    {
        if (MacroWaitCounter != 0)
            --MacroWaitCounter;
    }
};

std::u16string widen(const std::string& text)
{
    std::u16string out;
    for (char c : text)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
}

std::string narrow(const std::u16string& text)
{
    std::string out;
    for (char16_t unit : text)
        out.push_back(unit < 256 ? static_cast<char>(unit) : '?');
    return out;
}

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

/** The first word (up to the first space) and the rest after that space. */
void splitFirstWord(const std::u16string& line, std::u16string& word, std::u16string& rest)
{
    const size_t space = line.find(u' ');
    word = line.substr(0, space);
    rest = space == std::u16string::npos ? std::u16string() : line.substr(space + 1);
}

bool playerIsCommandBody()
{
    const CPlayerMobile* player = World().player;
    return player != nullptr && player->graphic == kCommandBody;
}

bool inParty()
{
    for (const PartyMember& m : Game().party.members)
        if (m.serial != 0)
            return true;
    return false;
}

void systemText(const std::string& text)
{
    TextManager::AddSystemMessage(kNoticeHue, kNoticeFont, text.c_str());
}

/** The walk of a cursor key: following stops, then one step (running while Ctrl is held). */
void keyWalk(int direction, uint32_t flags)
{
    CPlayerMobile* player = World().player;
    if (player == nullptr)
        return;
    if (player->following != 0) {
        player->following = 0;
        player->AddOverheadMessage("Stopped following.", CurrentSpeechHue, kNoticeFont);
    }
    // A held key asks again only once the steps already asked for are on screen.
    if ((flags & kRepeatFlag) != 0 && Walk::State().animated < Walk::State().count)
        return;
    const platform::Window* window = MainWindow();
    const bool run = window != nullptr && window->modifiers().ctrl;
    RequestWalk(direction + 1, run ? 1 : 0, true);
}

} // namespace

namespace {

/**
 * Compared in place, without a lower-cased copy: the party line asks at every key. The words
 * are ASCII, so a unit past 127 (or a byte of another code page) matches none.
 */
template <class Char>
int findTypedCommand(std::basic_string_view<Char> word)
{
    for (const TypedCommand& c : TypedCommands) {
        if (c.word.size() != word.size())
            continue;
        size_t i = 0;
        for (; i < word.size(); ++i) {
            const auto unit = static_cast<std::make_unsigned_t<Char>>(word[i]);
            if (unit > 127 || std::tolower(static_cast<int>(unit)) != c.word[i])
                break;
        }
        if (i == word.size())
            return c.number;
    }
    return -1;
}

} // namespace

int FindTypedCommand(std::string_view word)
{
    return findTypedCommand(word);
}

int FindTypedCommand(std::u16string_view word)
{
    return findTypedCommand(word);
}

void SetInputLineDisplay(InputLineDisplay* display)
{
    g_display = display;
}

CInputWindow::CInputWindow()
{
    KZReport::message("CInputWindow::CInputWindow(): begin.\n");
}

void CInputWindow::SetFocus()
{
    // The main window holds the system keyboard whenever it is active; keys reach this line
    // through the window procedure while no gump has the focus, so there is nothing to ask.
}

bool CInputWindow::PromptOpen() const
{
    return Game().prompt.active;
}

bool CInputWindow::OnKeyDown(uint32_t virtualKey, uint32_t flags)
{
    namespace vk = platform::vk;
    const platform::Window* window = MainWindow();
    const platform::KeyModifiers mods = window != nullptr ? window->modifiers() : platform::KeyModifiers{};
    if (mods.alt && (virtualKey == 0x73 || virtualKey == vk::Tab))
        return false;
    if (!g_bInGame || CGumpManager::Modal() != nullptr || !line_.empty())
        return true;
    static constexpr struct {
        uint32_t key;
        int direction;
    } kWalkKeys[] = {{vk::Prior, 1}, {vk::Next, 3}, {vk::End, 5}, {vk::Home, 7},
                     {vk::Left, 6},  {vk::Up, 0},   {vk::Right, 2}, {vk::Down, 4}};
    for (const auto& k : kWalkKeys)
        if (k.key == virtualKey) {
            keyWalk(k.direction, flags);
            return true;
        }
    if (mods.ctrl && virtualKey == 'Q') {
        line_ = lastLine_;
        mode_ = lastMode_;
        swallowNext_ = true;
        Refresh();
        return true;
    }
    return false;
}

bool CInputWindow::Fits(char16_t character) const
{
    if (line_.size() >= kMaxLine)
        return false;
    // The width of the line with the character is the line's width and the character's (the
    // line holds no character below 32), so the line is not copied for each key.
    if (UnicodeSpeech != 0) {
        if (!UnicodeFontsLoaded())
            return false;
        const int32_t saved = UnicodeGetFont();
        UnicodeSetFont(std::clamp<int32_t>(BarkFontNumber, 0, kUnicodeFontCount - 1));
        const char16_t alone[2] = {character, 0};
        const bool fits = UnicodeHasGlyph(character) &&
                          UnicodeGetStringWidth(line_.c_str()) + UnicodeGetStringWidth(alone) < kMaxWidth;
        UnicodeSetFont(saved);
        return fits;
    }
    if (character > 255 || FontManager::HasGlyph(kInputFont, character) == 0)
        return false;
    // The line as the 8-bit font draws it (no unit is 0; those past 255 show as '?').
    char bytes[kMaxLine];
    for (size_t i = 0; i < line_.size(); ++i)
        bytes[i] = line_[i] < 256 ? static_cast<char>(line_[i]) : '?';
    return FontManager::GetStringWidthN(kInputFont, static_cast<int32_t>(line_.size()), bytes) +
               FontManager::GetCharWidth(kInputFont, character) <
           kMaxWidth;
}

void CInputWindow::OnChar(uint16_t character)
{
    if (!g_bInGame)
        return;
    if (swallowNext_) {
        swallowNext_ = false;
        return;
    }
    const char16_t c = static_cast<char16_t>(character);
    if (c == 8) {
        if (!line_.empty())
            line_.pop_back();
        if (line_.empty())
            mode_ = Say;
    } else if (c == 13 || c == 10) {
        if (line_.empty())
            return;
        Send();
    } else if (c == u' ' && line_.size() == 1 &&
               (line_[0] == u'!' || line_[0] == u'\'' || line_[0] == u':' || line_[0] == u';')) {
        switch (line_[0]) {
        case u'!': mode_ = Yell; break;
        case u':': mode_ = Emote; break;
        case u';': mode_ = Whisper; break;
        default: mode_ = Say; break;
        }
        line_.clear();
    } else if (c == u'/' && line_.empty()) {
        mode_ = Party;
    } else if ((c == u'.' || c == u'=') && line_.empty() && playerIsCommandBody()) {
        mode_ = Command;
    } else if ((c == u'+' || c == u'-') && swallowCount > 0) {
        --swallowCount;
        return;
    } else if (c < 32 || !Fits(c)) {
        return;
    } else {
        line_.push_back(c);
    }
    Refresh();
}

void CInputWindow::Send()
{
    lastLine_ = line_;
    lastMode_ = mode_;
    if (Game().prompt.active) {
        const std::string text = narrow(line_);
        if (UnicodeSpeech != 0 && Game().prompt.unicode)
            ReplyToPrompt(1, nullptr);
        else
            ReplyToPrompt(1, text.c_str());
        return;
    }
    if (mode_ == Party) {
        SendPartyLine();
    } else if (mode_ == Command) {
        if (!playerIsCommandBody()) {
            // The body changed since the mode was chosen: nothing is sent.
        } else if (!DoSessionCommand()) {
            Speak(u"=" + line_, Say);
        }
    } else {
        Speak(line_, mode_);
    }
    Clear();
}

void CInputWindow::Speak(const std::u16string& text, uint8_t mode)
{
    if (UnicodeSpeech != 0) {
        SpeakUnicode(text, mode);
        return;
    }
    const std::string bytes = narrow(text);
    SendSpeechRateLimited(bytes.c_str(), static_cast<int32_t>(bytes.size()), mode);
}

void CInputWindow::Clear()
{
    line_.clear();
    mode_ = Say;
    Refresh();
}

void CInputWindow::SetSpeechMode(uint8_t mode)
{
    mode_ = mode;
    Refresh();
}

bool CInputWindow::AppendPrefix(std::u16string& out) const
{
    switch (mode_) {
    case Broadcast: out += u"Broadcast: "; return false;
    case Emote: out += u"Emote: "; return false;
    case Command: out += u"C: "; return false;
    case Whisper: out += u"Whisper: "; return false;
    case Yell: out += u"Yell: "; return false;
    case Party: {
        const size_t space = line_.find(u' ');
        const int number =
            space != std::u16string::npos ? FindTypedCommand(std::u16string_view(line_).substr(0, space)) : -1;
        if (number >= 227 && number <= 236) {
            const PartyMember& m = Game().party.members[static_cast<size_t>(number - 227)];
            if (m.serial != 0) {
                out += u"Tell [";
                out += widen(std::string(m.name, strnlen(m.name, sizeof m.name)));
                out += u"]: ";
                return true;
            }
        }
        out += u"Party: ";
        return false;
    }
    default: return false;
    }
}

int32_t CInputWindow::ModeHue() const
{
    switch (mode_) {
    case Broadcast:
    case Command: return kSystemHue;
    case Emote: return CurrentEmoteHue;
    case Party: return kPartyHue;
    default: return CurrentSpeechHue;
    }
}

void CInputWindow::Refresh()
{
    // Made again in place: the shown text keeps its storage from key to key.
    shown_.clear();
    if (AppendPrefix(shown_)) {
        // A tell shows the words after the member number.
        shown_.append(line_, line_.find(u' ') + 1);
    } else {
        shown_ += line_;
    }
    if (CGumpManager::Focus() == nullptr)
        shown_ += u'_';
    shownHue_ = ModeHue();
    if (g_display == nullptr || !g_bInGame)
        return;
    if (UnicodeSpeech != 0) {
        g_display->ShowUnicode(shown_.c_str(), shownHue_);
    } else {
        const std::string bytes = narrow(shown_);
        g_display->Show(bytes.c_str(), shownHue_, kInputFont);
    }
}

void CInputWindow::ReplyToPrompt(int send, const char* text)
{
    PromptState& prompt = Game().prompt;
    uint8_t buffer[kMaxPacketSize];
    if (prompt.unicode) {
        std::u16string reply = text != nullptr ? widen(text) : line_;
        if (reply.size() > 254)
            reply.resize(254);
        char language[4] = {};
        if (const char* code = LanguageManager::getUserLanguageCode())
            std::strncpy(language, code, 3);
        BuildUnicodePromptReplyPacket(buffer, prompt.serial, prompt.promptId, static_cast<uint32_t>(send), language,
                                      reply.c_str(), reply.size());
    } else {
        // The 8-bit reply carries no characters of 128 and above.
        std::string reply;
        for (const char* p = text != nullptr ? text : ""; *p != 0; ++p)
            if (static_cast<unsigned char>(*p) < 128)
                reply.push_back(*p);
        if (reply.size() > 254)
            reply.resize(254);
        BuildPromptReplyPacket(buffer, prompt.serial, prompt.promptId, static_cast<uint32_t>(send), reply.c_str());
    }
    gamepackets::sendBuilt(buffer);
    prompt.active = false;
    prompt.unicode = false;
    line_.clear();
    mode_ = Say;
    Refresh();
}

void CInputWindow::SendPartyLine()
{
    std::u16string wordWide, rest;
    splitFirstWord(line_, wordWide, rest);
    const std::string word = lower(narrow(wordWide));
    const int number = FindTypedCommand(word);
    PartyState& party = Game().party;
    if (number >= 0 && echoPartyCommands)
        systemText(word + " " + narrow(rest));
    const CPlayerMobile* player = World().player;
    switch (number) {
    case 220:
        if (inParty())
            SendPartyRemoveMember(0);
        else
            systemText("You are not in a party.");
        return;
    case 221:
        if (!g_bTargetMode)
            SendPartyAddMember(0);
        return;
    case 222:
        SendPartyRemoveMember(player != nullptr ? player->GetSerial() : 0);
        return;
    case 223:
        if (party.invitationPending) {
            party.invitationPending = false;
            SendPartyAcceptInvite(party.inviter);
        } else {
            systemText(inParty() ? "You have already joined the party." : "No one has invited you to be in a party.");
        }
        return;
    case 224:
        if (party.invitationPending)
            SendPartyDeclineInvite(party.inviter);
        else
            systemText(inParty() ? "Too late to decline, you are already in the party. Try /quit."
                                 : "No one has invited you to be in a party.");
        party.invitationPending = false;
        return;
    default: break;
    }
    if (number >= 227 && number <= 236) {
        const PartyMember& m = party.members[static_cast<size_t>(number - 227)];
        if (!inParty())
            systemText("Note to self: " + narrow(rest));
        else if (m.serial != 0)
            SendPartyMessageMember(m.serial, rest);
        return;
    }
    if (inParty())
        SendPartyMessageAll(line_);
    else
        systemText("Note to self: " + narrow(line_));
}

bool CInputWindow::DoSessionCommand()
{
    std::u16string wordWide, rest;
    splitFirstWord(line_, wordWide, rest);
    const std::string word = lower(narrow(wordWide));
    if (word == "next") {
        const std::string text = narrow(rest);
        uint8_t buffer[kMaxPacketSize];
        BuildTextCommandPacket(buffer, 218, text.c_str(), text.size());
        gamepackets::sendBuilt(buffer);
        return true;
    }
    if (word == "con") {
        const std::string name = narrow(rest);
        OpenServerSessionByName(name.c_str());
        return true;
    }
    if (word == "dis") {
        MarkServerSessionClosed();
        return true;
    }
    if (word == "sw") {
        SwitchServerSession(-1);
        return true;
    }
    return false;
}

namespace CApp {

MacroServices& macroServices()
{
    static CoreMacroServices services;
    return services;
}

} // namespace CApp

void SendHelpRequest()
{
    uint8_t buffer[kMaxPacketSize];
    BuildHelpRequestPacket(buffer, 0, "");
    gamepackets::sendBuilt(buffer);
}
