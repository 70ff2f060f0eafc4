/** @file The profession tree and the slider groups. */
#include "client/gumps/login/profession_data.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

const char* const kProfessionSkillNames[49] = {
    "Alchemy", "Anatomy", "AnimalLore", "ItemID", "ArmsLore", "Parrying", "Begging", "Blacksmith", "Bowcraft",
    "Peacemaking", "Camping", "Carpentry", "Cartography", "Cooking", "DetectHidden", "Enticement",
    "EvaluateIntelligence", "Healing", "Fishing", "ForensicEvaluation", "Herding", "Hiding", "Provocation",
    "Inscription", "Lockpicking", "Magery", "ResistingSpells", "Tactics", "Snooping", "Musicianship", "Poisoning",
    "Archery", "SpiritSpeak", "Stealing", "Tailoring", "AnimalTaming", "TasteIdentification", "Tinkering", "Tracking",
    "Veterinary", "Swordsmanship", "MaceFighting", "Fencing", "Wrestling", "Lumberjacking", "Mining", "Meditation",
    "Stealth", "Disarm"};

namespace {

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

/** Splits off the next token: delimiters skipped first, then the token up to the next delimiter. */
std::string_view nextToken(std::string_view& rest, std::string_view delimiters)
{
    const size_t start = rest.find_first_not_of(delimiters);
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const size_t end = std::min(rest.find_first_of(delimiters), rest.size());
    const std::string_view token = rest.substr(0, end);
    rest.remove_prefix(end);
    return token;
}

int toInt(std::string_view token)
{
    return std::atoi(std::string(token).c_str());
}

constexpr std::string_view kBlank = " \t\n\r";

} // namespace

int ProfessionSkillIndex(std::string_view name)
{
    for (int i = 0; i < 49; ++i)
        if (equalNoCase(name, kProfessionSkillNames[i]))
            return i;
    return -1;
}

std::vector<ProfessionRecord> ParseProfessions(std::string_view text)
{
    std::vector<ProfessionRecord> records;
    ProfessionRecord current;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // Lines are read 254 characters at a time.
        line = line.substr(0, 254);
        if (line.find("Begin") != std::string_view::npos) {
            current = ProfessionRecord{};
            continue;
        }
        if (line.find("End") != std::string_view::npos) {
            records.push_back(current);
            continue;
        }
        std::string_view rest = line;
        const std::string_view keyword = nextToken(rest, kBlank);
        if (keyword.empty())
            continue;
        if (equalNoCase(keyword, "Name")) {
            current.name = std::string(nextToken(rest, " \t\n\r\"")).substr(0, 127);
        } else if (equalNoCase(keyword, "TrueName")) {
            const size_t open = rest.find('"');
            std::string_view value = open == std::string_view::npos ? rest : rest.substr(open + 1);
            value = value.substr(0, value.find('"'));
            current.trueName = std::string(value).substr(0, 127);
        } else if (equalNoCase(keyword, "Desc")) {
            current.descriptionId = toInt(nextToken(rest, kBlank));
        } else if (equalNoCase(keyword, "TopLevel")) {
            current.topLevel = equalNoCase(nextToken(rest, kBlank), "true");
        } else if (equalNoCase(keyword, "Gump")) {
            current.gumpArt = toInt(nextToken(rest, kBlank));
        } else if (equalNoCase(keyword, "Type")) {
            current.category = equalNoCase(nextToken(rest, kBlank), "Category");
        } else if (equalNoCase(keyword, "Children")) {
            for (std::string_view child = nextToken(rest, " ,.\t\"\n\r"); !child.empty();
                 child = nextToken(rest, " ,.\t\"\n\r"))
                current.children.emplace_back(child);
        } else if (equalNoCase(keyword, "Skill")) {
            const std::string_view skill = nextToken(rest, " \t\n\r,");
            const std::string_view value = nextToken(rest, " \t\n\r,");
            current.skills.emplace_back(ProfessionSkillIndex(skill), toInt(value));
        } else if (equalNoCase(keyword, "Stat")) {
            const std::string_view stat = nextToken(rest, " \t\n\r,");
            const auto value = static_cast<int16_t>(toInt(nextToken(rest, " \t\n\r,")));
            if (equalNoCase(stat, "Str"))
                current.strength = value;
            else if (equalNoCase(stat, "Dex"))
                current.dexterity = value;
            else if (equalNoCase(stat, "Int"))
                current.intelligence = value;
        }
    }
    for (size_t c = 0; c < records.size(); ++c) {
        if (!records[c].category)
            continue;
        for (const std::string& child : records[c].children) {
            const int at = FindProfession(records, child);
            if (at >= 0)
                records[static_cast<size_t>(at)].parent = static_cast<int>(c);
        }
    }
    return records;
}

int FindProfession(const std::vector<ProfessionRecord>& records, const std::string& name)
{
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].name == name)
            return static_cast<int>(i);
    return -1;
}

void RebalanceSliders(SliderValue (&s)[3], int moved, int total, int floorTotal)
{
    int others[2];
    int n = 0;
    for (int i = 0; i < 3; ++i)
        if (i != moved)
            others[n++] = i;
    SliderValue& a = s[others[0]];
    SliderValue& b = s[others[1]];
    auto sum = [&] { return s[0].value + s[1].value + s[2].value; };
    for (int pass = 0; pass < 2; ++pass) {
        if (sum() == total)
            continue;
        const int x = sum() - total;
        int ta = x / 2;
        int tb = x - ta;
        if (a.value - ta < a.minimum) {
            const int shortfall = a.minimum - (a.value - ta);
            ta -= shortfall;
            tb += shortfall;
        }
        if (b.value - tb < b.minimum) {
            const int shortfall = b.minimum - (b.value - tb);
            tb -= shortfall;
            ta += shortfall;
        }
        a.value = std::clamp(a.value - ta, a.minimum, a.maximum);
        b.value = std::clamp(b.value - tb, b.minimum, b.maximum);
    }
    const int missing = floorTotal - sum();
    if (missing > 0) {
        if (a.maximum - a.value >= missing)
            a.value += missing;
        else if (b.maximum - b.value >= missing)
            b.value += missing;
    }
}
