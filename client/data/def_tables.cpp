/** @file The .def remap tables. */
#include "client/data/def_tables.h"

#include "client/core/kz_report.h"
#include "client/data/data_settings.h"
#include "platform/fs/path.h"
#include "platform/message_box/message_box.h"
#include "platform/random/random.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Line buffer of 255 bytes: at most 254 characters per read, a longer line continues as a new one.
constexpr int kLineBuffer = 255;

const char* const kDefFiles[DEF_TABLE_COUNT] = {"sound.def", "music.def", "anim1.def", "anim2.def", "anim3.def",
                                                "anim4.def", "art.def",   "body.def",  "corpse.def"};

std::array<std::unique_ptr<DefTable>, DEF_TABLE_COUNT> g_tables;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

/** A decimal with an optional sign, as a 16-bit conversion reads it; false when no digit. */
bool readShort(const char*& p, uint16_t& out)
{
    const char* q = p;
    if (*q == '-' || *q == '+') ++q;
    if (!isDigit(*q)) return false;
    char* end = nullptr;
    const long v = std::strtol(p, &end, 10);
    out = static_cast<uint16_t>(static_cast<unsigned long>(v));
    p = end;
    return true;
}

} // namespace

bool ParseDefLine(const char* line, uint16_t& id, DefEntry& entry)
{
    const char* p = line;
    while (isBlank(*p)) ++p;
    if (*p == 0 || *p == '#') return false;
    if (!readShort(p, id)) return false;

    p = std::strchr(p, '{');
    if (p == nullptr) return false;
    ++p;
    entry = DefEntry{};
    for (;;) {
        while (*p != 0 && *p != '}' && !isDigit(*p)) ++p;
        if (*p == 0) return false;
        if (*p == '}') break;
        uint16_t alt = 0;
        readShort(p, alt);
        entry.alternates.push_back(alt);
    }
    ++p;
    while (*p != 0 && !isDigit(*p) && *p != '-') ++p;
    if (*p == 0) return false;
    char* end = nullptr;
    const long number = std::strtol(p, &end, 10);
    if (end == p) return false;
    entry.number = static_cast<int32_t>(number);
    p = end;
    while (isBlank(*p)) ++p;
    return *p == 0 || *p == '#';
}

void DefTable::addLine(const char* line)
{
    uint16_t id = 0;
    DefEntry entry;
    if (!ParseDefLine(line, id, entry)) return;
    ++validLines_;
    entries_.emplace(id, std::move(entry)); // the first line for an id wins
}

bool DefTable::Load(const std::string& path)
{
    fileName_ = path;
    std::FILE* f = platform::openFile(path, "r");
    if (f == nullptr) return false;
    char buffer[kLineBuffer];
    while (std::fgets(buffer, sizeof buffer, f) != nullptr) addLine(buffer);
    std::fclose(f);
    return true;
}

void DefTable::LoadText(const std::string& text)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        const size_t n = std::min<size_t>(end - at, kLineBuffer - 1);
        addLine(text.substr(at, n).c_str());
        at += n;
    }
}

uint16_t DefTable::PickAlternate(uint16_t id, uint32_t seed) const
{
    const DefEntry* e = Find(id);
    if (e == nullptr || e->alternates.empty()) return id;
    platform::srand(seed);
    return e->alternates[static_cast<size_t>(platform::rand()) % e->alternates.size()];
}

const DefEntry* DefTable::Find(uint16_t id) const
{
    const auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

bool DefTables::Load()
{
    for (int32_t i = 0; i < DEF_TABLE_COUNT; ++i) {
        auto table = std::make_unique<DefTable>();
        const std::string path = kzdata::DataPath(kDefFiles[i]);
        // A folder or device of that name is no table: missing like an absent file.
        if (!platform::isRegularFile(path) || !table->Load(path)) {
            KZReport::error("DefTables::Load: cannot open '%s'.\n", path.c_str());
            platform::showMessageBox("KZ",
                                     std::string("The data file '") + kDefFiles[i] + "' is missing or unreadable (" +
                                         path + "). Please reinstall KZ.",
                                     platform::BoxIcon::Error);
            kzdata::EndProgram(1);
            return false;
        }
        if (platform::fileSize(path).value_or(0) == 0)
            KZReport::warning("DefTables::Load: '%s' is empty; nothing is remapped through it.\n", path.c_str());
        g_tables[static_cast<size_t>(i)] = std::move(table);
    }
    return true;
}

void DefTables::Unload()
{
    for (auto& t : g_tables) t.reset();
}

const DefTable* DefTables::Get(DefTableId id)
{
    if (id < 0 || id >= DEF_TABLE_COUNT) return nullptr;
    return g_tables[static_cast<size_t>(id)].get();
}

const char* DefTables::FileName(DefTableId id)
{
    if (id < 0 || id >= DEF_TABLE_COUNT) return "";
    return kDefFiles[id];
}
