/** @file The desktop file: which windows were open and where, written on the way out and read back after login. */
#include "client/gumps/framework/desktop.h"

#include "client/core/app.h"
#include "client/core/byte_reader.h"
#include "client/core/config_files.h"
#include "client/core/config_io.h"
#include "client/core/config_store.h"
#include "client/core/display_mode.h"
#include "client/core/main_window.h"
#include "client/core/kz_report.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_window.h"
#include "client/gumps/framework/macros.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr uint32_t kQueueTicks = 3;

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

DesktopHost*& installedHost()
{
    static DesktopHost* host = nullptr;
    return host;
}

void send(std::initializer_list<uint8_t> bytes)
{
    CPacketSink* connection = MainConnection();
    if (connection == nullptr)
        return;
    const std::vector<uint8_t> packet(bytes);
    connection->SendPacket(packet.data(), packet.size());
}

uint8_t byteOf(uint32_t v, int shift)
{
    return static_cast<uint8_t>(v >> shift);
}

std::string slotFile(int slot)
{
    return "desktop.kz" + std::to_string(slot + 1);
}

DesktopEntry* entryOf(uint32_t serial)
{
    for (DesktopEntry& e : Desktop().table)
        if ((e.kind == 3 || e.kind == 5) && e.serial == serial)
            return &e;
    return nullptr;
}

void addEntry(const DesktopEntry& entry)
{
    // The table holds 50 entries: later records are read but not remembered.
    if (Desktop().table.size() < DesktopState::kMaxEntries)
        Desktop().table.push_back(entry);
}

void queue(uint32_t serial)
{
    DesktopState& s = Desktop();
    if (std::find(s.queue.begin(), s.queue.end(), serial) == s.queue.end())
        s.queue.push_back(serial);
    s.restoreDone = false;
}

void place(CGump* gump, int64_t px, int64_t py, bool minimize)
{
    if (gump == nullptr)
        return;
    gump->MoveBy(static_cast<int>(px) - gump->x, static_cast<int>(py) - gump->y, true, nullptr, true);
    if (minimize)
        gump->Minimize();
}

} // namespace

std::vector<int> DesktopFieldWidths(uint8_t kind)
{
    switch (kind) {
    case 0:
    case 1:
    case 6:
    case 7:
    case 8:
    case 15: return {4, 4, 1};
    case 2:
    case 4: return {4, 4, 1, 2, 2};
    case 3: return {4, 4, 4, 1};
    case 5: return {4, 4, 1, 1, 4};
    case 9: return {4, 4};
    case 10: return {4, 4, 4, 4, 4, 4, 4, 4};
    case 11:
    case 12:
    case 13:
    case 14: return {4, 4, 4, 4, 4, 4};
    case 16: return {4, 4, 4, 4, 4, 4, 1};
    default: return {};
    }
}

std::optional<DesktopFile> ReadDesktopFile(const std::vector<uint8_t>& bytes, std::string* why)
{
    ByteReader reader(bytes.data(), bytes.size());
    DesktopFile file;
    file.serial = reader.u32le();
    if (!reader.ok()) {
        if (why != nullptr)
            *why = "shorter than its serial";
        return std::nullopt;
    }
    while (reader.remaining() > 0) {
        DesktopRecord record;
        record.kind = reader.u8();
        const std::vector<int> widths = DesktopFieldWidths(record.kind);
        for (size_t i = 0; i < widths.size(); ++i)
            record.v[i] = widths[i] == 4 ? reader.s32le() : widths[i] == 2 ? reader.u16le() : reader.u8();
        if (!reader.ok()) {
            if (why != nullptr)
                *why = "record of kind " + std::to_string(record.kind) + " cut short";
            break;
        }
        file.records.push_back(record);
    }
    return file;
}

std::vector<uint8_t> WriteDesktopFile(const DesktopFile& file)
{
    std::vector<uint8_t> out;
    auto put = [&](uint32_t v, int width) {
        for (int i = 0; i < width; ++i)
            out.push_back(byteOf(v, 8 * i));
    };
    put(file.serial, 4);
    for (const DesktopRecord& r : file.records) {
        put(r.kind, 1);
        const std::vector<int> widths = DesktopFieldWidths(r.kind);
        for (size_t i = 0; i < widths.size(); ++i)
            put(static_cast<uint32_t>(r.v[i]), widths[i]);
    }
    return out;
}

// The default host.

void DesktopHost::SendUse(uint32_t serial)
{
    send({0x06, byteOf(serial, 24), byteOf(serial, 16), byteOf(serial, 8), byteOf(serial, 0)});
}

void DesktopHost::SendStatusRequest(int type, uint32_t serial)
{
    send({0x34, 0xED, 0xED, 0xED, 0xED, static_cast<uint8_t>(type), byteOf(serial, 24), byteOf(serial, 16),
          byteOf(serial, 8), byteOf(serial, 0)});
}

void DesktopHost::SendOpenChat()
{
    send({0xB5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
}

void DesktopHost::PlaceGameWindow(int, int, int left, int top, int w, int h, bool)
{
    // The sizes come from a file: only the client's own screen sizes are taken.
    if (!((w == 640 && h == 480) || (w == 800 && h == 600))) {
        KZReport::warning("CGumpManager::LoadDesktop: a game window of %d x %d is not a size the client shows; the "
                          "window stays as it is.\n",
                          w, h);
        return;
    }
    if (FullScreen == 0)
        SetMainWindowPos(std::max(left, 0), std::max(top, 0), w, h);
}

bool DesktopHost::GameConnected()
{
    return MainConnection() != nullptr;
}

bool DesktopHost::InGame()
{
    return g_bInGame;
}

void DesktopHost::GameWindowPlacement(int& areaX, int& areaY, int& left, int& top, int& w, int& h, bool& maximized)
{
    const GumpRect area = CGumpManager::GameArea();
    areaX = area.left;
    areaY = area.top;
    GetMainWindowPos(left, top);
    w = ScreenWidth;
    h = ScreenHeight;
    maximized = false;
}

bool DesktopHost::Describe(CGump* gump, DesktopRecord& r)
{
    r.v[0] = gump->minimized != 0 ? gump->normalX : gump->x;
    r.v[1] = gump->minimized != 0 ? gump->normalY : gump->y;
    const int64_t minimized = gump->minimized != 0 ? 1 : 0;
    if (gump->IsStatusGump() != 0) {
        r.kind = 1;
        r.v[2] = minimized;
    } else if (gump->IsOptionsGump() != 0) {
        r.kind = 6;
        r.v[2] = minimized;
    } else if (gump->IsFightingGump() != 0) {
        r.kind = 7;
        r.v[2] = minimized;
    } else if (gump->IsRadarGump() != 0) {
        r.kind = 15;
        r.v[2] = gump->artId == 5010 ? 1 : 0;
    } else if (gump->IsSkillGump() != 0 || gump->IsTextGump() != 0) {
        r.kind = gump->IsSkillGump() != 0 ? 4 : 2;
        r.v[2] = minimized;
        r.v[3] = gump->width;
        r.v[4] = gump->height;
    } else {
        return false;
    }
    return true;
}

void SetDesktopHost(DesktopHost* host)
{
    installedHost() = host;
}

DesktopHost& desktopHost()
{
    static DesktopHost fallback;
    return installedHost() != nullptr ? *installedHost() : fallback;
}

DesktopState& Desktop()
{
    static DesktopState state;
    return state;
}

// The manager's operations.

int CGumpManager::LoadDesktop(const std::vector<uint8_t>& bytes, bool newbie)
{
    DesktopHost& host = desktopHost();
    DesktopState& s = Desktop();
    std::string why;
    const std::optional<DesktopFile> file = ReadDesktopFile(bytes, &why);
    if (!file) {
        KZReport::warning("CGumpManager::LoadDesktop: the desktop file is damaged (%s); nothing restored.\n", why.c_str());
        return 0;
    }
    if (!why.empty())
        KZReport::warning("CGumpManager::LoadDesktop: the desktop file is damaged (%s); the rest is not read.\n",
                          why.c_str());
    const uint32_t player = host.PlayerSerial();
    if (file->serial != player && !newbie)
        return 0;
    s.newbie = newbie;
    s.restorePending = true;
    s.table.clear();
    const bool ghost = host.PlayerIsGhost();
    for (const DesktopRecord& r : file->records) {
        const auto& v = r.v;
        switch (r.kind) {
        case 0:
            if (ghost)
                break;
            addEntry({0, player, static_cast<uint8_t>(v[2]), 0, 0, 0, static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1])});
            host.SendUse(player | 0x80000000u);
            break;
        case 1:
            host.OpenStatusBar(static_cast<int>(v[0]), static_cast<int>(v[1]), v[2] == 1);
            host.SendStatusRequest(4, player);
            break;
        case 2: {
            CGump* journal = OpenGump(nullptr, 7, nullptr, 0, 0);
            if (journal == nullptr) {
                KZReport::message("CGumpManager::LoadDesktop, case 'DSK_TEXT': Prevented client crash by testing for "
                                  "return value from 'CGumpManager::OpenGump(NULL,7,NULL,FALSE);'. It is NULL!\n");
                break;
            }
            journal->Resize(static_cast<int>(v[3]), static_cast<int>(v[4]), 0);
            place(journal, v[0], v[1], v[2] == 1);
            break;
        }
        case 3: {
            uint32_t serial = static_cast<uint32_t>(v[2]);
            if (newbie) {
                serial = host.BackpackSerial();
                if (serial == 0)
                    break;
            }
            addEntry({3, serial, static_cast<uint8_t>(v[3]), 0, 0, 0, static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1])});
            if (!ghost) {
                queue(serial);
                s.backpackSeen = false;
            }
            break;
        }
        case 4:
            addEntry({4, 0, static_cast<uint8_t>(v[2]), 0, static_cast<uint16_t>(v[3]), static_cast<uint16_t>(v[4]),
                      static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1])});
            host.SendStatusRequest(5, player);
            host.OpenSkillWindowWhenListArrives();
            break;
        case 5:
            addEntry({5, static_cast<uint32_t>(v[4]), static_cast<uint8_t>(v[2]), static_cast<uint8_t>(v[3]), 0, 0,
                      static_cast<int16_t>(v[0]), static_cast<int16_t>(v[1])});
            if (!ghost)
                queue(static_cast<uint32_t>(v[4]));
            break;
        case 6: {
            CGump* options = OpenGump(nullptr, 5000, nullptr, 0, 0);
            if (options == nullptr) {
                KZReport::message("CGumpManager::LoadDesktop, case 'DSK_CLIENTCFG': Prevented client crash by testing "
                                  "for return value from 'CGumpManager::OpenGump(NULL,5000,NULL,FALSE);'. It is NULL!\n");
                break;
            }
            place(options, v[0], v[1], v[2] == 1);
            break;
        }
        case 7: host.OpenFightingStyle(static_cast<int>(v[0]), static_cast<int>(v[1]), v[2] == 1); break;
        case 8: host.OpenSpellIcon(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2])); break;
        case 9: s.objectText = {static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1])}; break;
        case 10:
            for (size_t i = 0; i < 8; ++i)
                s.chat[i] = static_cast<int32_t>(v[i]);
            if (v[7] == 1 && !host.ChatWindowOpen() && host.GameConnected())
                host.SendOpenChat();
            break;
        case 12:
        case 13:
        case 14: {
            auto& remembered = r.kind == 12 ? s.gmChat : r.kind == 13 ? s.webPage : s.mailbox;
            for (size_t i = 0; i < 6; ++i)
                remembered[i] = static_cast<int32_t>(v[i]);
            if (r.kind != 12 && v[5] == 1 && host.MessageConnected())
                r.kind == 13 ? host.OpenWebPageWindow() : host.OpenMailboxWindow();
            break;
        }
        case 15: place(OpenGump(nullptr, v[2] == 1 ? 5010 : 5011, nullptr, 0, 0), v[0], v[1], false); break;
        case 11:
        case 16:
            host.PlaceGameWindow(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
                                 static_cast<int>(v[3]), static_cast<int>(v[4]), static_cast<int>(v[5]),
                                 r.kind == 16 && v[6] == 1);
            break;
        default: break;
        }
    }
    if (s.table.empty())
        s.restorePending = false;
    return static_cast<int>(s.table.size());
}

void CGumpManager::RestoreDesktop()
{
    CApp::LoadMacros();
    std::string path;
    const int slot = desktopHost().CharacterSlot();
    std::optional<std::string> bytes;
    if (BuildCharacterFilePath("desktop.kzs", path))
        bytes = ReadConfigFile(path, "rb");
    if (!bytes && slot >= 0 && slot <= 4)
        bytes = ReadConfigFile(slotFile(slot), "rb");
    bool newbie = false;
    if (!bytes) {
        bytes = ReadConfigFile("desktop.nwb", "rb");
        newbie = bytes.has_value();
        if (newbie)
            NewbieDesktop = 1;
    }
    if (bytes)
        LoadDesktop(std::vector<uint8_t>(bytes->begin(), bytes->end()), newbie);
}

std::vector<uint8_t> CGumpManager::BuildDesktop()
{
    DesktopHost& host = desktopHost();
    DesktopState& s = Desktop();
    DesktopFile file;
    file.serial = host.PlayerSerial();
    struct Held {
        CGump* gump;
        DesktopRecord record;
    };
    std::vector<Held> containers;
    for (CGump* g = First(); g != nullptr; g = g->NextSibling()) {
        if (g->closing)
            continue;
        DesktopRecord r;
        if (!host.Describe(g, r))
            continue;
        if (r.kind == 3 || r.kind == 5)
            containers.push_back({g, r});
        else if (r.kind != 10)
            file.records.push_back(r);
        if (r.kind == 12 || r.kind == 13 || r.kind == 14) {
            auto& remembered = r.kind == 12 ? s.gmChat : r.kind == 13 ? s.webPage : s.mailbox;
            for (size_t i = 0; i < 6; ++i)
                remembered[i] = static_cast<int32_t>(r.v[i]);
        } else if (r.kind == 10) {
            for (size_t i = 0; i < 8; ++i)
                s.chat[i] = static_cast<int32_t>(r.v[i]);
        }
    }
    DesktopRecord chat;
    chat.kind = 10;
    for (size_t i = 0; i < 8; ++i)
        chat.v[i] = s.chat[i];
    file.records.push_back(chat);
    DesktopRecord game;
    game.kind = 16;
    int ax = 0, ay = 0, left = 0, top = 0, w = 0, h = 0;
    bool maximized = false;
    host.GameWindowPlacement(ax, ay, left, top, w, h, maximized);
    game.v = {ax, ay, left, top, w, h, maximized ? 1 : 0, 0};
    file.records.push_back(game);
    // Containers and spellbooks by depth, outer ones first; a depth without a container ends it.
    for (int depth = 1; !containers.empty(); ++depth) {
        bool container = false;
        for (const Held& held : containers) {
            const uint32_t serial = static_cast<uint32_t>(held.record.kind == 3 ? held.record.v[2] : held.record.v[4]);
            if (host.NestingDepth(serial) != depth)
                continue;
            file.records.push_back(held.record);
            container = container || held.record.kind == 3;
        }
        if (!container)
            break;
    }
    DesktopRecord objectText;
    objectText.kind = 9;
    objectText.v[0] = s.objectText[0];
    objectText.v[1] = s.objectText[1];
    file.records.push_back(objectText);
    return WriteDesktopFile(file);
}

void CGumpManager::SaveDesktop()
{
    char option[16] = {};
    if (getKZCfgDirective(CFG_SaveDesktop, option, sizeof option) &&
        (equalsNoCase(option, "off") || equalsNoCase(option, "no") || std::strcmp(option, "0") == 0))
        return;
    DesktopHost& host = desktopHost();
    CApp::SaveMacros();
    host.SaveRelated();
    const std::vector<uint8_t> bytes = BuildDesktop();
    const std::string_view data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string path;
    if (BuildCharacterFilePath("desktop.kzs", path)) {
        const std::string folder = path.substr(0, path.rfind('/'));
        if (!MakeConfigFolders(folder))
            KZReport::message("Could not create directory: %s\n:", folder.c_str());
        else if (ReplaceConfigFileBytes(path, data))
            return;
        else
            KZReport::message("Could not open file for writing: %s\n:", path.c_str());
    }
    const int slot = host.CharacterSlot();
    if (slot < 0 || slot > 4)
        return;
    if (!ReplaceConfigFileBytes(slotFile(slot), data))
        KZReport::message("Could not open file for writing: %s\n:", slotFile(slot).c_str());
}

void CGumpManager::ClearDesktopQueue()
{
    Desktop().queue.clear();
    Desktop().restoreDone = true;
}

void CGumpManager::ProcessDesktopQueue()
{
    DesktopState& s = Desktop();
    DesktopHost& host = desktopHost();
    if (GameTickCount - s.lastRequestTick < kQueueTicks)
        return;
    s.lastRequestTick = GameTickCount;
    if (!host.InGame()) {
        ClearDesktopQueue();
        return;
    }
    if (s.queue.empty())
        return;
    const uint32_t serial = s.queue.front();
    if (!host.ObjectExists(serial)) {
        s.queue.pop_front();
    } else if (s.backpackSeen && serial != host.BackpackSerial() && !host.InPossessions(serial)) {
        s.queue.pop_front();
    } else if (host.InPossessions(serial)) {
        host.SendUse(serial);
    } else {
        s.queue.pop_front();
    }
    if (s.queue.empty())
        s.restoreDone = true;
}

void CGumpManager::ApplyDesktopPosition(uint32_t serial, CGump* container, CGump* spellbook)
{
    DesktopState& s = Desktop();
    if (serial == desktopHost().BackpackSerial())
        s.backpackSeen = true;
    const auto at = std::find(s.queue.begin(), s.queue.end(), serial);
    if (at == s.queue.end())
        return;
    s.queue.erase(at);
    if (s.queue.empty())
        s.restoreDone = true;
    const DesktopEntry* entry = entryOf(serial);
    CGump* gump = spellbook != nullptr ? spellbook : container;
    if (gump == nullptr)
        return;
    if (s.newbie && spellbook == nullptr) {
        gump->PlaceBesideGameArea();
        gump->ClampToScreen();
        return;
    }
    if (entry != nullptr)
        place(gump, entry->x, entry->y, entry->minimized == 1);
}
