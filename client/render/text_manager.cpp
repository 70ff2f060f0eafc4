/** @file The text manager: the journal of the last 100 lines seen, its log file, and system messages in the world view. */
#include "client/render/text_manager.h"

#include "client/core/config_store.h"
#include "client/core/kz_report.h"
#include "client/data/font_manager.h"
#include "client/data/unicode_font.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct JournalState {
    JournalEntry* oldest = nullptr;
    JournalEntry* newest = nullptr;
    int32_t count = 0;
    uint8_t prefixMode = 1;
    std::string speakerName;
    bool suppressed = false;
    std::FILE* log = nullptr;
    std::vector<JournalView*> views;
    TextManager::BarkMaker barkMaker;
};

JournalState& state()
{
    static JournalState s;
    return s;
}

void freeAll()
{
    JournalState& s = state();
    for (JournalEntry* e = s.oldest; e != nullptr;) {
        JournalEntry* next = e->next;
        delete e;
        e = next;
    }
    s.oldest = s.newest = nullptr;
    s.count = 0;
}

/** Drops the oldest line; open windows showing from it show from the next one. */
void dropOldest()
{
    JournalState& s = state();
    JournalEntry* old = s.oldest;
    if (old == nullptr) return;
    for (JournalView* view : s.views)
        if (view->FirstShown() == old) view->SetFirstShown(old->next);
    s.oldest = old->next;
    if (s.oldest != nullptr) s.oldest->previous = nullptr;
    else s.newest = nullptr;
    delete old;
    --s.count;
}

int32_t append(JournalEntry* entry)
{
    JournalState& s = state();
    if (s.count >= TextManager::kMaxLines) dropOldest();
    entry->previous = s.newest;
    if (s.newest != nullptr) s.newest->next = entry;
    else s.oldest = entry;
    s.newest = entry;
    return ++s.count;
}

/** The log file, opened on the first line that is written; null when logging is off or it cannot open. */
std::FILE* logFile()
{
    JournalState& s = state();
    if (SaveJournal == 0 || JournalSaveFile[0] == '\0') return nullptr;
    if (s.log == nullptr) s.log = std::fopen(JournalSaveFile, "a+");
    return s.log;
}

void writeUnits(std::FILE* f, const std::u16string& units)
{
    std::vector<uint8_t> bytes;
    bytes.reserve((units.size() + 2) * 2);
    auto put = [&bytes](char16_t u) {
        bytes.push_back(static_cast<uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    };
    for (char16_t u : units) put(u);
    put(0x000A);
    put(0x000D);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fflush(f);
}

void writeNarrow(std::FILE* f, const std::string& text)
{
    std::fprintf(f, "%s\n", text.c_str());
    std::fflush(f);
}

void logLine(const JournalEntry& entry)
{
    std::FILE* f = logFile();
    if (f == nullptr) return;
    if (entry.wide == 0) {
        if (JournalSaveUnicode != 0) writeUnits(f, std::u16string(entry.text.begin(), entry.text.end()));
        else writeNarrow(f, entry.text);
        return;
    }
    if (JournalSaveUnicode != 0) {
        writeUnits(f, entry.wideText);
        return;
    }
    std::string ascii;
    for (char16_t u : entry.wideText)
        if (u < 128) ascii.push_back(static_cast<char>(u));
    writeNarrow(f, ascii);
}

void refreshViews()
{
    // A copy: a window may close itself while it redraws.
    const std::vector<JournalView*> views = state().views;
    for (JournalView* view : views) {
        if (!view->Held()) view->ScrollToEnd();
        view->SyncThumb();
        view->Redraw();
    }
}

int32_t addEntry(JournalEntry* entry)
{
    const int32_t count = append(entry);
    logLine(*entry);
    refreshViews();
    return count;
}

class TextManagerServices final : public TextServices {
public:
    void AddSystemMessage(int32_t hue, int32_t font, const char* text) override
    {
        TextManager::AddSystemMessage(hue, font, text);
    }
    void AddJournalLine(const char* text, int32_t hue) override { TextManager::AddJournalLine(text, hue); }
    void AddUnicodeJournalLine(const char16_t* text, int32_t hue) override
    {
        TextManager::AddUnicodeJournalLine(text, hue);
    }
    void SetJournalSuppressed(bool on) override { TextManager::SetSuppressed(on); }
};

} // namespace

void TextManager::startup()
{
    KZReport::message("TextManager::startup: begin.\n");
    freeAll();
    JournalState& s = state();
    s.prefixMode = 1;
    s.speakerName.clear();
    s.suppressed = false;
}

void TextManager::shutdown()
{
    freeAll();
    JournalState& s = state();
    if (s.log != nullptr) std::fclose(s.log);
    s.log = nullptr;
}

int32_t TextManager::AddJournalLine(const char* text, int32_t hue)
{
    JournalState& s = state();
    if (s.suppressed || text == nullptr) return s.count;
    auto* entry = new JournalEntry;
    entry->text = text;
    int32_t width = 0;
    int32_t height = 0;
    int32_t baseline = 0;
    FontManager::GetStringExtent(9, text, &width, &height, &baseline);
    entry->height = height;
    entry->hue = hue;
    entry->huePassed = hue;
    return addEntry(entry);
}

int32_t TextManager::AddUnicodeJournalLine(const char16_t* text, int32_t hue)
{
    JournalState& s = state();
    if (s.suppressed || text == nullptr) return s.count;
    auto* entry = new JournalEntry;
    entry->wideText = text;
    entry->wide = 1;
    int32_t width = 0;
    int32_t height = 0;
    int32_t third = 0;
    UnicodeCalcInfo(text, &width, &height, &third);
    entry->height = height;
    entry->hue = hue;
    entry->huePassed = hue;
    return addEntry(entry);
}

CGump* TextManager::AddSystemMessage(int32_t hue, int32_t font, const char* text)
{
    if (FontManager::IsFontLoaded(font) == 0) return nullptr;
    JournalState& s = state();
    s.prefixMode = 1;
    if (!s.barkMaker) {
        // Without the overhead texts the line still reaches the journal.
        AddJournalLine(text, hue);
        return nullptr;
    }
    return s.barkMaker(text, hue, font);
}

const JournalEntry* TextManager::Oldest() { return state().oldest; }
const JournalEntry* TextManager::Newest() { return state().newest; }
int32_t TextManager::Count() { return state().count; }

void TextManager::RegisterJournalView(JournalView* view)
{
    std::vector<JournalView*>& views = state().views;
    if (std::find(views.begin(), views.end(), view) == views.end()) views.push_back(view);
}

void TextManager::UnregisterJournalView(JournalView* view)
{
    std::vector<JournalView*>& views = state().views;
    views.erase(std::remove(views.begin(), views.end(), view), views.end());
}

uint8_t& TextManager::PrefixMode() { return state().prefixMode; }
std::string& TextManager::SpeakerName() { return state().speakerName; }
void TextManager::SetSuppressed(bool on) { state().suppressed = on; }
void TextManager::SetBarkMaker(BarkMaker maker) { state().barkMaker = std::move(maker); }

TextServices& TextManager::services()
{
    static TextManagerServices instance;
    return instance;
}
