/** @file The .def remap tables: an id to a list of alternates and one number, read from text files. */
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct DefEntry {
    std::vector<uint16_t> alternates;
    int32_t number = 0;
};

/** Parses one line; false for comments, empty and invalid lines. */
bool ParseDefLine(const char* line, uint16_t& id, DefEntry& entry);

class DefTable {
public:
    /** Reads the file; false when it cannot be opened. Invalid lines are skipped. */
    bool Load(const std::string& path);
    /** Adds the lines of a text held in memory (lines end at '\n'; longer than 254 characters they split). */
    void LoadText(const std::string& text);

    /** One of the id's alternates, picked with the shared generator seeded with seed; else the id. */
    uint16_t PickAlternate(uint16_t id, uint32_t seed) const;
    /** The id's entry, or null. */
    const DefEntry* Find(uint16_t id) const;

    const std::string& FileName() const { return fileName_; }
    int32_t ValidLines() const { return validLines_; }

private:
    void addLine(const char* line);

    std::unordered_map<uint16_t, DefEntry> entries_{100};
    std::string fileName_;
    int32_t validLines_ = 0;
};

/** The nine tables, in load order. */
enum DefTableId : int32_t {
    DEF_SOUND = 0,
    DEF_MUSIC,
    DEF_ANIM1,
    DEF_ANIM2,
    DEF_ANIM3,
    DEF_ANIM4,
    DEF_ART,
    DEF_BODY,
    DEF_CORPSE,
    DEF_TABLE_COUNT
};

class DefTables {
public:
    /** Reads the nine files from the install folder; a file that cannot be opened ends the program. */
    static bool Load();
    static void Unload();
    /** The table, or null before Load. */
    static const DefTable* Get(DefTableId id);
    static const char* FileName(DefTableId id);
};
