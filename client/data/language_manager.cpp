/** @file LanguageManager and LanguageSection: language list, section files and their lookups. */
#include "client/data/language_manager.h"

#include "client/data/translation_link.h"

#include "client/core/config_files.h"
#include "client/core/file_manager.h"
#include "client/core/iff.h"
#include "client/core/kz_report.h"
#include "client/core/memory_manager.h"

#include "platform/keystore/key_store.h"
#include "platform/platform.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr IffTag kData = MakeIffTag('D', 'A', 'T', 'A');
constexpr IffTag kLang = MakeIffTag('L', 'A', 'N', 'G');
constexpr IffTag kWin3 = MakeIffTag('W', 'I', 'N', '3');
constexpr IffTag kCode = MakeIffTag('C', 'O', 'D', 'E');
constexpr IffTag kInfo = MakeIffTag('I', 'N', 'F', 'O');
constexpr IffTag kText = MakeIffTag('T', 'E', 'X', 'T');
constexpr IffTag kColr = MakeIffTag('C', 'O', 'L', 'R');
constexpr IffTag kFont = MakeIffTag('F', 'O', 'N', 'T');
constexpr IffTag kPosn = MakeIffTag('P', 'O', 'S', 'N');
constexpr IffTag kTime = MakeIffTag('T', 'I', 'M', 'E');
constexpr IffTag kTkey = MakeIffTag('T', 'K', 'E', 'Y');

constexpr const char* kDefaultCode = "enu";

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/** Warns about an entry the reader has no use for and moves past it. */
void skipUnexpected(Iff& iff, const char* context)
{
    iff.reportError(context, "Ignoring Unexpected FORM or CHUNK.", false);
    if (iff.isForm()) {
        iff.enterForm();
        iff.exitForm();
    } else {
        iff.enterChunk(iff.getCurrentTag());
        iff.exitChunk(0, false);
    }
}

/**
 * Walks what is left of the open FORM: nested FORMs are skipped with a warning, a zero tag
 * (nothing readable left) ends the walk with one, and every chunk goes to readChunk(tag),
 * which enters and leaves it.
 */
template <class ReadChunk>
void walkEntries(Iff& iff, const char* context, ReadChunk&& readChunk)
{
    while (iff.charsLeft() > 0) {
        const IffTag tag = iff.getCurrentTag();
        if (tag == 0) {
            iff.reportError(context, "Very Strange Error. Maybe Premature EOF?", false);
            return;
        }
        if (iff.isForm())
            skipUnexpected(iff, context);
        else
            readChunk(tag);
    }
}

/** A buffer from FileManager::load, given back with MemoryManager::FreeMem whatever happens. */
struct LoadedFile {
    unsigned char* data = nullptr;
    int32_t size = 0;
    ~LoadedFile()
    {
        if (data)
            MemoryManager::FreeMem(data);
    }
    bool load(const std::string& name)
    {
        size = FileManager::load(name.c_str(), &data);
        return size > 0 && data;
    }
};

struct ManagerState {
    bool started = false;
    std::deque<std::unique_ptr<LanguageCode>> codes; // newest first
    LanguageCode* defaultCode = nullptr;
    LanguageCode* current = nullptr;
    char userCode[4] = {};
    std::deque<std::unique_ptr<LanguageSection>> sections; // newest first
};

ManagerState& state()
{
    static ManagerState s;
    return s;
}

LanguageCode* findCode(const char* code)
{
    if (!code)
        return nullptr;
    for (const auto& c : state().codes)
        if (asciiEqualIgnoringCase(c->code, code, 3))
            return c.get();
    return nullptr;
}

LanguageSection* findLoaded(const char* path, const char* code, const char* name)
{
    for (const auto& s : state().sections)
        if (asciiEqualIgnoringCase(s->fileName().c_str(), path) &&
            asciiEqualIgnoringCase(s->languageCode(), code, 3) && asciiEqualIgnoringCase(s->sectionName(), name))
            return s.get();
    return nullptr;
}

/** Searches for the given code, then (unless default-only) the user code and the default code. */
LanguageSection* findSection(const char* path, const char* code, const char* name, bool defaultOnly)
{
    if (LanguageSection* s = findLoaded(path, code, name))
        return s;
    if (defaultOnly)
        return nullptr;
    if (LanguageSection* s = findLoaded(path, state().userCode, name))
        return s;
    if (state().defaultCode)
        return findLoaded(path, state().defaultCode->code, name);
    return nullptr;
}

} // namespace

bool asciiEqualIgnoringCase(const char* a, const char* b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
        if (a[i] == '\0')
            return true;
    }
    return true;
}

void copyLanguageCode(char out[4], const char* code)
{
    size_t i = 0;
    for (; code && i < 3 && code[i] != '\0'; ++i)
        out[i] = code[i];
    for (; i < 4; ++i)
        out[i] = '\0';
}

// ---- LanguageSection ---------------------------------------------------------------------

/** Walks one section file; every failure of the file's structure is fatal through the Iff report. */
class LanguageSection::Reader {
public:
    Reader(LanguageSection& section, Iff& iff, size_t fileSize) : s_(section), iff_(iff), fileSize_(fileSize) {}

    void read()
    {
        iff_.enterForm(kData);
        iff_.enterForm(kLang);
        readInfo();
        walkEntries(iff_, "LanguageSection::load:", [this](IffTag tag) {
            switch (tag) {
            case kText: readText(); break;
            case kColr: readTable(kColr, 3); break;
            case kFont: readTable(kFont, 1); break;
            case kPosn: readTable(kPosn, 2); break;
            case kTime: readTable(kTime, 2); break;
            case kTkey: readKeys(); break;
            default: skipUnexpected(iff_, "LanguageSection::load:"); break;
            }
        });
        iff_.exitForm(kLang);
        iff_.exitForm(kData);
    }

private:
    void readInfo()
    {
        iff_.enterChunk(kInfo);
        iff_.readString(s_.languageCode_, sizeof s_.languageCode_);
        s_.charSize_ = iff_.readInt32(false);
        s_.info1_ = iff_.readInt32(false);
        iff_.readString(s_.sectionName_, sizeof s_.sectionName_);
        s_.info2_ = iff_.readInt32(false);
        s_.count_ = iff_.readInt32(false);
        if (iff_.charsLeft() != 0)
            iff_.reportError("LanguageSection::load:", "Extra data in CHUNK INFO.", true);
        if (s_.charSize_ != 1 && s_.charSize_ != 2)
            iff_.reportError("LanguageSection::load:", "Illegal character size.", true);
        if (s_.count_ <= 0)
            iff_.reportError("LanguageSection::load:", "stringCount <= 0.", true);
        // Every string takes at least its terminator in TEXT, so a count beyond what the whole
        // buffer could hold is a damaged file; refusing it keeps the tables below in proportion.
        if (static_cast<size_t>(s_.count_) > fileSize_)
            iff_.reportError("LanguageSection::load:", "stringCount larger than the file.", true);
        iff_.exitChunk(kInfo, false);
        s_.strings_.clear();
        s_.strings_.resize(static_cast<size_t>(s_.count_));
    }

    void readText()
    {
        iff_.enterChunk(kText);
        const unsigned char* p = iff_.getCurrentData();
        const size_t left = iff_.charsLeft();
        const size_t unit = static_cast<size_t>(s_.charSize_);
        size_t at = 0;
        std::u16string text;
        for (int32_t i = 0; i < s_.count_; ++i) {
            text.clear();
            for (;;) {
                if (at + unit > left)
                    iff_.reportError("LanguageSection::loadText:", "NOT ENOUGH DATA! Check string count.", true);
                const char16_t c = unit == 1 ? p[at] : static_cast<char16_t>(p[at] | p[at + 1] << 8);
                at += unit;
                if (c == 0)
                    break;
                text.push_back(c);
            }
            s_.strings_[static_cast<size_t>(i)] = std::make_unique<CUnicodeString>(text.c_str());
        }
        if (at != left)
            iff_.reportError("LanguageSection::loadText:", "TOO MUCH DATA! Check string count.", true);
        iff_.exitChunk(kText, false);
    }

    /** COLR, FONT, POSN, TIME: per string `perString` int32 values. */
    void readTable(IffTag tag, int perString)
    {
        iff_.enterChunk(tag);
        const size_t n = static_cast<size_t>(s_.count_);
        // A table too short for the count fails at its first missing value, before any allocation.
        if (iff_.charsLeft() / 4 < n * static_cast<size_t>(perString))
            iff_.reportError("int Iff::readInt32", "At end of CHUNK. Not enough data ?", true);
        switch (tag) {
        case kColr:
            s_.colours_.assign(n, 0);
            for (size_t i = 0; i < n; ++i) {
                const uint32_t r = static_cast<uint32_t>(iff_.readInt32(false));
                const uint32_t g = static_cast<uint32_t>(iff_.readInt32(false));
                const uint32_t b = static_cast<uint32_t>(iff_.readInt32(false));
                s_.colours_[i] = r * 65536u + g * 256u + b;
            }
            break;
        case kFont:
            s_.fonts_.assign(n, 0);
            for (size_t i = 0; i < n; ++i)
                s_.fonts_[i] = iff_.readInt32(false);
            break;
        case kPosn:
            s_.xs_.assign(n, 0);
            s_.ys_.assign(n, 0);
            for (size_t i = 0; i < n; ++i) {
                s_.xs_[i] = iff_.readInt32(false);
                s_.ys_[i] = iff_.readInt32(false);
            }
            break;
        default:
            s_.frameStarts_.assign(n, 0);
            s_.frameEnds_.assign(n, 0);
            for (size_t i = 0; i < n; ++i) {
                s_.frameStarts_[i] = iff_.readInt32(false);
                s_.frameEnds_[i] = iff_.readInt32(false);
            }
            break;
        }
        iff_.exitChunk(tag, true);
    }

    void readKeys()
    {
        iff_.enterChunk(kTkey);
        s_.keys_.clear();
        s_.hasKeys_ = true;
        for (int32_t r = 0; r < s_.count_; ++r) {
            KeyRecord record;
            record.index = iff_.readInt32(false);
            const int32_t n = iff_.readInt32(false);
            for (int32_t k = 0; k < n; ++k) {
                const int32_t key = iff_.readInt32(false);
                if (record.keys.size() < kMaxKeysPerString)
                    record.keys.push_back(key);
            }
            if (record.index >= 0 && record.index < s_.count_)
                s_.keys_.push_back(std::move(record));
        }
        iff_.exitChunk(kTkey, true);
    }

    LanguageSection& s_;
    Iff& iff_;
    size_t fileSize_;
};

LanguageSection::LanguageSection() = default;
LanguageSection::~LanguageSection() = default;

bool LanguageSection::loadFromMemory(const unsigned char* data, size_t size, const char* fileName)
{
    Iff iff(data, size);
    iff.setFileName(fileName);
    Reader reader(*this, iff, size);
    reader.read();
    loaded_ = true;
    return true;
}

bool LanguageSection::load(const char* path, const char* languageCode, const char* sectionName)
{
    (void)sectionName;
    fileName_ = path ? path : "";
    const char* codes[3] = {languageCode, state().userCode, state().defaultCode ? state().defaultCode->code : nullptr};
    for (size_t c = 0; c < 3; ++c) {
        char shortCode[4];
        copyLanguageCode(shortCode, codes[c]);
        // The same code twice names the same files: no need to try them again.
        if (shortCode[0] == '\0' || (c > 0 && asciiEqualIgnoringCase(shortCode, codes[0] ? codes[0] : "", 3)) ||
            (c > 1 && asciiEqualIgnoringCase(shortCode, codes[1], 3)))
            continue;
        for (const char* folder : {"", "language\\"}) {
            const std::string name = std::string(folder) + fileName_ + "." + shortCode;
            LoadedFile file;
            if (!file.load(name))
                continue;
            if (loadFromMemory(file.data, static_cast<size_t>(file.size), name.c_str()))
                return true;
        }
    }
    KZReport::warning("LanguageSection::load: cannot load from file '%s'.\n", fileName_.c_str());
    return false;
}

const CUnicodeString* LanguageSection::getStr(int32_t number, bool quiet) const
{
    if (hasKeys_) {
        for (const KeyRecord& record : keys_)
            for (int32_t key : record.keys)
                if (key == number)
                    return strings_[static_cast<size_t>(record.index)].get();
        if (!quiet)
            KZReport::error("LanguageSection::getStr:string number (%d) is NULL !\n", number);
        return nullptr;
    }
    if (number < 0 || number >= count_ || static_cast<size_t>(number) >= strings_.size()) {
        if (!quiet) {
            KZReport::error("FILE:%s, Function:LanguageSection::getStr: given string number (%d) out of range (0-%d)\n",
                            "LanguageSection", number, count_ - 1);
            KZReport::error("FILE:%s, Function:LanguageSection::getStr: string number (%d) is NULL !\n",
                            "LanguageSection", number);
            KZReport::error("LanguageSection::getStr:string number (%d) is NULL !\n", number);
        }
        return nullptr;
    }
    const CUnicodeString* s = strings_[static_cast<size_t>(number)].get();
    if (!s && !quiet) {
        KZReport::error("FILE:%s, Function:LanguageSection::getStr: string number (%d) is NULL !\n", "LanguageSection",
                        number);
        KZReport::error("LanguageSection::getStr:string number (%d) is NULL !\n", number);
    }
    return s;
}

const CUnicodeString* LanguageSection::getStrForFrame(int32_t frame, int32_t& index) const
{
    index = -1;
    if (frameStarts_.empty()) {
        KZReport::error("FILE:%s, Function:LanguageSection::getStrForFrame: no frame timing information\n",
                        "LanguageSection");
        return nullptr;
    }
    for (size_t i = 0; i < frameStarts_.size(); ++i) {
        if (frameStarts_[i] <= frame && frame <= frameEnds_[i]) {
            index = static_cast<int32_t>(i);
            return strings_[i].get();
        }
    }
    return nullptr;
}

// ---- LanguageManager ---------------------------------------------------------------------

void LanguageManager::startup()
{
    ManagerState& s = state();
    if (s.started)
        return;
    // Leftovers of a start-up that a fatal report cut short.
    s.sections.clear();
    s.codes.clear();
    s.current = nullptr;
    std::memset(s.userCode, 0, sizeof s.userCode);
    auto defaultCode = std::make_unique<LanguageCode>();
    copyLanguageCode(defaultCode->code, kDefaultCode);
    defaultCode->id = 101;
    defaultCode->languageName = "English";
    defaultCode->countryName = "United States";
    s.defaultCode = defaultCode.get();
    s.codes.push_front(std::move(defaultCode));

    loadLanguageCodes();
    setLanguageDefaults();

    char configured[64] = {};
    if (getKZCfgDirective(CFG_UserLanguageCodeString, configured, sizeof configured) && configured[0] != '\0') {
        setUserLanguageCodeString(configured);
        setLanguageDefaults();
    }

    LanguageTranslationServer::install();
    LanguageTranslationServer::setUserLanguageCode(s.userCode);

    KZReport::print("LanguageManager::findSupportedLanguages.\n");
    preLoad();
    KZReport::print("LanguageManager::startup: user language set to '%s'.\n", s.userCode);
    s.started = true;
}

void LanguageManager::shutdown()
{
    ManagerState& s = state();
    if (!s.started)
        return;
    LanguageTranslationServer::uninstall();
    s.sections.clear();
    s.codes.clear();
    s.defaultCode = nullptr;
    s.current = nullptr;
    std::memset(s.userCode, 0, sizeof s.userCode);
    s.started = false;
}

bool LanguageManager::isStarted()
{
    return state().started;
}

void LanguageManager::loadLanguageCodes()
{
    ManagerState& s = state();
    LoadedFile file;
    std::string name = "language\\langcode.iff";
    if (!file.load(name)) {
        name = "langcode.iff";
        file.load(name);
    }
    if (file.size <= 0 || !file.data) {
        KZReport::warning("LanguageManager::loadLanguageCodes: file 'langcode.iff'. no bytes read.\n");
    } else {
        KZReport::print("LanguageManager::loadLanguageCodes: loaded %d bytes from file 'langcode.iff'.\n", file.size);
        for (auto& code : readLanguageCodes(file.data, static_cast<size_t>(file.size), name.c_str()))
            s.codes.push_front(std::move(code));
    }
    KZReport::print("LanguageManager::loadLanguageCodes: loaded language codes.\n");
}

std::vector<std::unique_ptr<LanguageCode>> LanguageManager::readLanguageCodes(const unsigned char* data, size_t size,
                                                                              const char* fileName)
{
    std::vector<std::unique_ptr<LanguageCode>> codes;
    Iff iff(data, size);
    iff.setFileName(fileName);
    iff.enterForm(kData);
    iff.enterForm(kLang);
    iff.enterForm(kWin3);
    walkEntries(iff, "LanguageManager::loadLanguageCodes:", [&](IffTag tag) {
        if (tag != kCode) {
            skipUnexpected(iff, "LanguageManager::loadLanguageCodes:");
            return;
        }
        iff.enterChunk(tag);
        if (iff.charsLeft() >= 1025) {
            iff.reportError("LanguageManager::loadLanguageCodes:", "Ignoring Unusually large CHUNK CODE.", false);
        } else {
            char buffer[1024];
            auto code = std::make_unique<LanguageCode>();
            iff.readString(buffer, sizeof buffer);
            for (size_t i = 0; i < 3 && buffer[i] != '\0'; ++i)
                code->code[i] = lowerAscii(buffer[i]);
            const uint8_t id = static_cast<uint8_t>(iff.readInt32(false) & 0xFF);
            code->id = id == '?' ? 0 : id;
            iff.readString(buffer, sizeof buffer);
            code->languageName = buffer;
            iff.readString(buffer, sizeof buffer);
            code->countryName = buffer;
            codes.push_back(std::move(code));
        }
        iff.exitChunk(tag, false);
    });
    iff.exitForm(kWin3);
    iff.exitForm(kLang);
    iff.exitForm(kData);
    return codes;
}

void LanguageManager::setUserLanguageCodeString(const char* code)
{
    copyLanguageCode(state().userCode, code);
    KZReport::print("LanguageManager::setUserLanguageCodeString: userLanguageCodeString='%s'.\n", state().userCode);
}

void LanguageManager::setLanguageDefaults()
{
    ManagerState& s = state();
    KZReport::print("LanguageManager::setLanguageDefaults: start...\n");
    if (s.userCode[0] == '\0') {
        std::string profile = systemLanguageString();
        if (profile.empty()) {
            if (!s.defaultCode)
                KZReport::fatal("LanguageManager::setLanguageDefaults: shouldn't really be here. perhaps "
                                "'defaultLanguageCode' was not set?\n");
            profile = s.defaultCode->code;
        }
        setUserLanguageCodeString(profile.c_str());
    }
    s.current = findCode(s.userCode);
    if (!s.current) {
        KZReport::warning("LanguageManager::setLanguageDefaults: Your O.S. is currently running in a language not "
                          "supported by the Translation Server. Text may not be translated for you.\n");
        setUserLanguageCodeString(kDefaultCode);
        s.current = findCode(s.userCode);
    }
    KZReport::print("LanguageManager::setLanguageDefaults: stop...\n");
}

void LanguageManager::preLoad()
{
    KZReport::print("LanguageManager::preLoad.\n");
    KZReport::print("LanguageManager::preLoad: user language set to '%s'.\n", state().userCode);
    static const char* const kSections[] = {"intro",   "gt_0000", "gt_1010", "gt_2000",  "gt_2310", "gt_2400",
                                            "gt_5000", "gt_5400", "skilname", "chat",   "options"};
    for (const char* name : kSections)
        loadSection(name, state().userCode, name);
}

LanguageSection* LanguageManager::loadSection(const char* path, const char* languageCode, const char* sectionName,
                                              bool force, bool report, bool defaultOnly)
{
    ManagerState& s = state();
    char code[4];
    copyLanguageCode(code, languageCode);
    if (force) {
        KZReport::warning("LanguageManager::loadSection: forcing load of section '%s' from file '%s'\n", sectionName,
                          path);
        if (LanguageSection* old = findSection(path, code, sectionName, false)) {
            for (auto it = s.sections.begin(); it != s.sections.end(); ++it) {
                if (it->get() == old) {
                    s.sections.erase(it);
                    break;
                }
            }
        }
    }
    if (LanguageSection* found = findSection(path, code, sectionName, defaultOnly))
        return found;

    auto section = std::make_unique<LanguageSection>();
    if (section->load(path, code, sectionName)) {
        // A default-only search can miss a section that a fallback file already gave: the load
        // then reads that same file again. Keep the one already listed, so that repeated look-ups
        // of a missing number do not pile up copies of the file.
        if (LanguageSection* same = findLoaded(path, section->languageCode(), section->sectionName()))
            return same;
        LanguageSection* loaded = section.get();
        s.sections.push_front(std::move(section));
        return loaded;
    }
    if (report) {
        char text[1024];
        std::snprintf(text, sizeof text, "no section <%s> found for language <%s> in file <%s>.\n", sectionName,
                      s.userCode, path);
        KZReport::fatal("LanguageManager::loadSection: %s\n", text);
    }
    return nullptr;
}

const LanguageCode* LanguageManager::getCurrentLanguage()
{
    return state().current;
}

const char* LanguageManager::getUserLanguageCode()
{
    return state().userCode;
}

uint8_t LanguageManager::getLanguageId(const char* code)
{
    ManagerState& s = state();
    if (!code)
        return s.current ? s.current->id : 0;
    if (const LanguageCode* c = findCode(code))
        return c->id;
    return s.defaultCode ? s.defaultCode->id : 101;
}

const char* LanguageManager::getLanguageName()
{
    ManagerState& s = state();
    if (const LanguageCode* c = findCode(s.userCode))
        return c->languageName.c_str();
    if (s.defaultCode)
        return s.defaultCode->languageName.c_str();
    KZReport::fatal("LanguageManager::getLanguageName: cannot get language name. would be returning NULL.\n");
}

const char* LanguageManager::getDefaultFileExtension()
{
    if (!state().defaultCode)
        KZReport::fatal("LanguageManager::getDefaultFileExtension: shouldn't really be here. perhaps "
                        "'defaultLanguageCode' was not set?\n");
    return state().defaultCode->code;
}

std::vector<const LanguageCode*> LanguageManager::languages()
{
    std::vector<const LanguageCode*> out;
    for (const auto& c : state().codes)
        out.push_back(c.get());
    return out;
}

size_t LanguageManager::loadedSectionCount()
{
    return state().sections.size();
}

// ---- the system's language ---------------------------------------------------------------

std::string languageCodeForLocale(const std::string& locale)
{
    // "ll_TT.charset@modifier": the language and the territory decide.
    const std::string base = locale.substr(0, locale.find_first_of(".@"));
    const std::string language = base.substr(0, base.find('_'));
    const std::string territory = base.find('_') == std::string::npos ? "" : base.substr(base.find('_') + 1);
    struct Row {
        const char* language;
        const char* territory; // "" matches any
        const char* code;
    };
    static const Row kRows[] = {
        {"en", "GB", "eng"}, {"en", "AU", "ena"}, {"en", "CA", "enc"}, {"en", "", "enu"},
        {"de", "AT", "dea"}, {"de", "CH", "des"}, {"de", "", "deu"},   {"fr", "CA", "frc"},
        {"fr", "BE", "frb"}, {"fr", "CH", "frs"}, {"fr", "", "fra"},   {"es", "", "esp"},
        {"it", "", "ita"},   {"ja", "", "jpn"},   {"ko", "", "kor"},   {"zh", "TW", "cht"},
        {"zh", "HK", "cht"}, {"zh", "", "chs"},   {"pt", "BR", "ptb"}, {"pt", "", "ptg"},
        {"nl", "", "nld"},   {"sv", "", "sve"},   {"da", "", "dan"},   {"fi", "", "fin"},
        {"nb", "", "nor"},   {"no", "", "nor"},   {"pl", "", "plk"},   {"cs", "", "csy"},
        {"hu", "", "hun"},   {"ru", "", "rus"},   {"tr", "", "trk"},   {"el", "", "ell"},
    };
    for (const Row& row : kRows)
        if (language == row.language && (row.territory[0] == '\0' || territory == row.territory))
            return row.code;
    return "";
}

std::string systemLanguageString()
{
    if (platform::KeyStore* keys = platform::current().keyStore) {
        if (const auto stored = keys->getString("intl", "sLanguage"); stored && !stored->empty())
            return *stored;
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && value[0] != '\0')
            return languageCodeForLocale(value).empty() ? "default" : languageCodeForLocale(value);
    }
    return "default";
}
