/** @file The text manager: the journal of the last 100 lines seen, its log file, and system messages in the world view. */
#pragma once

#include "client/core/effect_services.h"

#include <cstdint>
#include <functional>
#include <string>

class CGump;

/** One journal line; the journal owns it. */
struct JournalEntry {
    /** The 8-bit text (narrow lines) or the 16-bit text (wide lines). */
    std::string text;
    std::u16string wideText;
    int32_t hue = 0;
    /** The measured height: font 9 for 8-bit lines, the Unicode measure for 16-bit lines. */
    int32_t height = 0;
    int32_t huePassed = 0;
    uint8_t wide = 0;
    int32_t extra = 0;
    /** The next newer line (null for the newest) and the next older one (null for the oldest). */
    JournalEntry* next = nullptr;
    JournalEntry* previous = nullptr;
};

/**
 * A journal window as the text manager sees it. The window registers itself while it is open;
 * the text manager moves its first shown line when that line is dropped and scrolls it to the
 * end after each new line.
 */
class JournalView {
public:
    virtual ~JournalView() = default;
    virtual const JournalEntry* FirstShown() const = 0;
    virtual void SetFirstShown(const JournalEntry* entry) = 0;
    /** The hold control is set: the window keeps its place when lines come. */
    virtual bool Held() const = 0;
    virtual void ScrollToEnd() = 0;
    /** Places the scroll thumb from the scroll position. */
    virtual void SyncThumb() = 0;
    virtual void Redraw() = 0;
};

/**
 * The journal holds at most 100 lines, oldest first, for the whole run (it is never cleared
 * between logins). With SaveJournal on and JournalSaveFile set, every line is also appended to
 * that file, opened once in "a+" mode and kept open: an 8-bit line in 8-bit mode ends in a lone
 * LF; in 16-bit mode (JournalSaveUnicode) each line is little-endian 16-bit units followed by
 * the units 0x000A then 0x000D (the bytes 0A 00 0D 00). Main thread only.
 */
class TextManager {
public:
    static constexpr int32_t kMaxLines = 100;

    /** Logs the start; empty journal, prefix mode 1, no stored speaker name. */
    static void startup();
    /** Frees every line and closes the log file. */
    static void shutdown();

    /** Records an 8-bit line, writes it to the log and refreshes the journal windows; returns the count. */
    static int32_t AddJournalLine(const char* text, int32_t hue);
    static int32_t AddUnicodeJournalLine(const char16_t* text, int32_t hue);
    /**
     * A system message: null (nothing shown) when the font is not loaded; otherwise prefix mode 1
     * and an overhead text without a speaker, made by the installed bark maker (which records
     * the line in the journal); returns it.
     */
    static CGump* AddSystemMessage(int32_t hue, int32_t font, const char* text);

    static const JournalEntry* Oldest();
    static const JournalEntry* Newest();
    static int32_t Count();

    static void RegisterJournalView(JournalView* view);
    static void UnregisterJournalView(JournalView* view);

    /** The journal prefix shared with the overhead texts: 1 none, 2 "name: ", 3 "You see: ". */
    static uint8_t& PrefixMode();
    static std::string& SpeakerName();
    /** While set, no line is recorded. */
    static void SetSuppressed(bool on);

    /** Makes the overhead text of a system message (no speaker, kind 0); installed by the gump side. */
    using BarkMaker = std::function<CGump*(const char* text, int32_t hue, int32_t font)>;
    static void SetBarkMaker(BarkMaker maker);

    /** The text manager as the other subsystems call it. */
    static TextServices& services();
};
