/** @file The profession tree of prof.txt, the skill names it uses, and the slider groups whose values keep a fixed sum. */
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/** One Begin ... End block of prof.txt. */
struct ProfessionRecord {
    std::string name;
    std::string trueName;
    int descriptionId = 0;
    int gumpArt = 0;
    bool category = false;
    bool topLevel = false;
    int16_t strength = 0, dexterity = 0, intelligence = 0;
    std::vector<std::pair<int, int>> skills;  // (skill index, value)
    std::vector<std::string> children;
    /** Index of the category whose children list names this record, or -1. */
    int parent = -1;
};

/** The 49 skill names prof.txt may use; index by position. */
extern const char* const kProfessionSkillNames[49];
/** The index of a skill name (without regard to case), or -1. */
int ProfessionSkillIndex(std::string_view name);

/** Reads prof.txt text into records in file order and links each to the last category naming it. */
std::vector<ProfessionRecord> ParseProfessions(std::string_view text);
/** The record of a name (exact), or -1. */
int FindProfession(const std::vector<ProfessionRecord>& records, const std::string& name);

/** One slider's range and value. */
struct SliderValue {
    int minimum = 0;
    int maximum = 0;
    int value = 0;
};

/**
 * Rebalances a group of three sliders after slider moved changed, so that the values add up to
 * total again: the difference is taken half from each other slider (in group order), a shortfall
 * below a minimum moving to the other one; two passes, then a sum still below floorTotal is made
 * up by the first other slider with room for all of it.
 */
void RebalanceSliders(SliderValue (&sliders)[3], int moved, int total, int floorTotal);
