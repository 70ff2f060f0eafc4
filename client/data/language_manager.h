/** @file Localized strings: the available languages, the loaded string sections and the numbered server texts. */
#pragma once

#include "client/core/unicode_string.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

/** One available language. */
struct LanguageCode {
    char code[4] = {};        // three letters, lower-cased, NUL-terminated
    uint8_t id = 0;           // the language number ('?' in the file is stored as 0)
    std::string languageName;
    std::string countryName;
};

/**
 * One file of numbered strings with its optional per-string tables. Owned by LanguageManager's
 * list once loaded. Every count and index read from the file is checked: the tables hold exactly
 * getCount() entries, INFO strings are cut at 511 characters, a string keeps at most 1000 keys,
 * and key records naming a string outside the section are ignored.
 */
class LanguageSection {
public:
    static constexpr size_t kInfoTextSize = 512;
    static constexpr size_t kMaxKeysPerString = 1000;

    struct KeyRecord {
        int32_t index = 0;
        std::vector<int32_t> keys;
    };

    LanguageSection();
    ~LanguageSection();
    LanguageSection(const LanguageSection&) = delete;
    LanguageSection& operator=(const LanguageSection&) = delete;

    /**
     * Reads the first of path.code, language\path.code, then the same with the user code and the
     * default code, that loads. False (with a warning) when none does. A damaged file ends the
     * program through the fatal report.
     */
    bool load(const char* path, const char* languageCode, const char* sectionName);
    /** The string of a number (through the key table when the section has one), or null. */
    const CUnicodeString* getStr(int32_t number, bool quiet = false) const;
    /** The first string whose frame range holds the frame, with its index; null and -1 when none. */
    const CUnicodeString* getStrForFrame(int32_t frame, int32_t& index) const;
    int32_t getCount() const { return count_; }

    bool isLoaded() const { return loaded_; }
    const std::string& fileName() const { return fileName_; }
    const char* languageCode() const { return languageCode_; }
    const char* sectionName() const { return sectionName_; }
    int32_t charSize() const { return charSize_; }
    /** Per-string tables; empty when the file has no such chunk. */
    const std::vector<uint32_t>& colours() const { return colours_; }
    const std::vector<int32_t>& fonts() const { return fonts_; }
    const std::vector<int32_t>& xs() const { return xs_; }
    const std::vector<int32_t>& ys() const { return ys_; }
    const std::vector<int32_t>& frameStarts() const { return frameStarts_; }
    const std::vector<int32_t>& frameEnds() const { return frameEnds_; }
    const std::vector<KeyRecord>& keyRecords() const { return keys_; }
    bool hasKeyTable() const { return hasKeys_; }

    /** Reads a whole section file already in memory (fatal when it is damaged); true once read. */
    bool loadFromMemory(const unsigned char* data, size_t size, const char* fileName);

private:
    class Reader;

    bool loaded_ = false;
    std::string fileName_;
    char languageCode_[kInfoTextSize] = {};
    char sectionName_[kInfoTextSize] = {};
    int32_t charSize_ = 1;
    int32_t info1_ = 0;
    int32_t info2_ = 0;
    int32_t count_ = 0;
    std::vector<std::unique_ptr<CUnicodeString>> strings_;
    std::vector<uint32_t> colours_;
    std::vector<int32_t> fonts_;
    std::vector<int32_t> xs_, ys_;
    std::vector<int32_t> frameStarts_, frameEnds_;
    std::vector<KeyRecord> keys_;
    bool hasKeys_ = false;
};

/**
 * The languages the client knows and the sections loaded so far; one process-wide state.
 * Started once at start-up (main thread); lookups are for the main thread only.
 */
class LanguageManager {
public:
    static void startup();
    static void shutdown();
    static bool isStarted();

    /**
     * The section of path, language code (first 3 characters) and name, loaded when not yet in
     * the list. Force reloads it; report makes a missing section fatal; default-only limits the
     * search of loaded sections to the given code.
     */
    static LanguageSection* loadSection(const char* path, const char* languageCode, const char* sectionName,
                                        bool force = false, bool report = false, bool defaultOnly = false);
    static void preLoad();

    static const LanguageCode* getCurrentLanguage();
    static const char* getUserLanguageCode();
    static uint8_t getLanguageId(const char* code);
    static const char* getLanguageName();
    static const char* getDefaultFileExtension();

    /** Picks the user language from the code set so far, the system's language or the default. */
    static void setLanguageDefaults();
    /** Sets the user code (first 3 characters) and logs it. */
    static void setUserLanguageCodeString(const char* code);
    static void loadLanguageCodes();
    /**
     * The CODE records of a language list already in memory, in file order; unexpected parts are
     * skipped with a warning, a damaged tree is fatal.
     */
    static std::vector<std::unique_ptr<LanguageCode>> readLanguageCodes(const unsigned char* data, size_t size,
                                                                        const char* fileName);

    /** Every known language, newest first (the built-in default is last). */
    static std::vector<const LanguageCode*> languages();
    static size_t loadedSectionCount();
};

/**
 * The language the system names for this user, as the 3-letter code of the language list:
 * the key store value "sLanguage" of the key "intl" when set, else the first of LC_ALL,
 * LC_MESSAGES and LANG that is set, mapped by languageCodeForLocale. "default" when neither
 * says anything.
 */
std::string systemLanguageString();
/** "de_DE.UTF-8" -> "deu", "en_GB" -> "eng", "pt_BR" -> "ptb"; "" for C, POSIX and unknown languages. */
std::string languageCodeForLocale(const std::string& locale);

/** The first three characters of a language code and a NUL (an empty code for null). */
void copyLanguageCode(char out[4], const char* code);
/** Equal but for the case of A-Z, comparing at most n characters (or up to the NUL). */
bool asciiEqualIgnoringCase(const char* a, const char* b, size_t n = static_cast<size_t>(-1));

/** The numbered server text N in the user's language, or an error text followed by N. */
CUnicodeString GetClilocString(int32_t number);
/** Section path and entry of a number: cliloc-1 below 1,000,000, else cliloc%2.2d. */
void ClilocLocation(int32_t number, std::string& section, int32_t& entry);
/** Fills ~n~ tokens of the template with tab-separated fields of args and ~#N~ with numbered texts. */
void FormatClilocArgs(CUnicodeString& text, const WideChar* args, int32_t number);
