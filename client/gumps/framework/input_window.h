/** @file The typed-input line: editing, speech modes, sending as speech, party line, prompt answer or connection command; the key walk; the macro keys and the help request. */
#pragma once

#include "client/core/input_services.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/**
 * Where the typed line is shown: the speech input gump of the game screen. Installed by the
 * in-game windows; without one the line is edited and sent but not shown.
 */
class InputLineDisplay {
public:
    virtual ~InputLineDisplay() = default;
    virtual void Show(const char* text, int32_t hue, int32_t font) = 0;
    virtual void ShowUnicode(const char16_t* text, int32_t hue) = 0;
    /** The game screen is left: the shown line goes. */
    virtual void Close() = 0;
};
/** Null removes the display. */
void SetInputLineDisplay(InputLineDisplay* display);

/** The typed command words: the first word of a line, lower-cased, and its number. */
struct TypedCommand {
    std::string_view word;
    int number;
};
/** The 34 words (shared with the world's speech command parser). */
extern const TypedCommand TypedCommands[34];
/** The number of a word (compared without case), or -1. */
int FindTypedCommand(std::string_view word);
/** The same for a word of the typed line; a unit past 127 is in no command word. */
int FindTypedCommand(std::u16string_view word);

/**
 * The single typed-input line at the bottom of the game screen. It receives the keyboard when
 * no gump has the focus: printable characters edit the line, Enter sends it (as speech in the
 * chosen mode, a party line, the answer to a server prompt or a connection command), the
 * cursor-block keys walk and Ctrl+Q recalls the last line. The line holds at most 128
 * characters, 16-bit while UnicodeSpeech is on. Main thread only.
 */
class CInputWindow final : public InputLineServices {
public:
    static constexpr size_t kMaxLine = 128;
    static constexpr int kMaxWidth = 600;
    static constexpr int kInputFont = 3;

    enum Mode : uint8_t { Say = 0, Broadcast = 1, Emote = 2, Command = 5, Whisper = 8, Yell = 9, Party = 11 };

    CInputWindow();

    /** Gives the system keyboard focus to the main window. */
    void SetFocus();
    /** True when the line took the key. */
    bool OnKeyDown(uint32_t virtualKey, uint32_t flags) override;
    void OnChar(uint16_t character) override;
    void SetSpeechMode(uint8_t mode);
    /** Redraws the shown line: the mode's prefix, the line and the caret. */
    void Refresh();
    /** Answers the open server prompt (send 0: cancelled) and empties the line. */
    void ReplyToPrompt(int send, const char* text) override;
    bool PromptOpen() const override;
    /** Sends the line to the party (or to one member, or runs a party command word). */
    void SendPartyLine();
    /** A connection command of command mode; true when it took the line. */
    bool DoSessionCommand();

    uint8_t SpeechMode() const { return mode_; }
    const std::u16string& Line() const { return line_; }
    /** The shown text of the last refresh (prefix, line and caret) and its hue. */
    const std::u16string& ShownText() const { return shown_; }
    int32_t ShownHue() const { return shownHue_; }
    /** Shows the words and arguments of party commands as system texts. */
    bool echoPartyCommands = false;
    /** The '+' and '-' characters still to be swallowed. */
    int swallowCount = 0;

private:
    void Send();
    void Speak(const std::u16string& text, uint8_t mode);
    void Clear();
    bool Fits(char16_t character) const;
    /** Appends the mode's prefix; true when it is a tell's (the member number is not shown). */
    bool AppendPrefix(std::u16string& out) const;
    int32_t ModeHue() const;

    std::u16string line_;
    uint8_t mode_ = Say;
    std::u16string lastLine_;
    uint8_t lastMode_ = Say;
    bool swallowNext_ = false;
    std::u16string shown_;
    int32_t shownHue_ = 0;
};

/** The one input line; created by the start-up, deleted by the exit sequence. */
extern CInputWindow* g_pInputWindow;

/** The macro keys in the order the window procedure searches them. */
extern std::vector<MacroKey> MacroKeyList;
/** Counted down by the game tick while non-zero. */
extern int MacroWaitCounter;

namespace CApp {
void LoadMacros();
void SaveMacros();
void FreeMacros();
void StartMacro(int index);
void UpdateMacro();
/** The macros as the application core calls them; installed by the start-up. */
MacroServices& macroServices();
} // namespace CApp

/** Sends the help request (0x9B with an empty text) on the game connection. */
void SendHelpRequest();
