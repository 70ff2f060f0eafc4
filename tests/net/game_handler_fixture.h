/** @file The game-phase handler tests' set-up: the test world with its player, recording windows, effects, sound, music and connection, and a packet writer. */
#pragma once

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/effect_services.h"
#include "client/core/gump_services.h"
#include "client/core/media_services.h"
#include "client/net/game_handlers.h"
#include "client/net/game_services.h"
#include "client/net/packet_dispatch.h"
#include "client/net/packet_table.h"
#include "client/net/server_sessions.h"
#include "client/data/data_settings.h"
#include "client/data/def_tables.h"
#include "tests/support/temp_dir.h"
#include "tests/world/world_test_fixture.h"

#include <map>
#include <memory>

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace gametest {

using Bytes = std::vector<uint8_t>;
using testsupport::kPlayerSerial;

/** Writes a server packet field by field; a variable id gets its length at bytes 1-2 from done(). */
class Pkt {
public:
    explicit Pkt(uint8_t id)
    {
        bytes_.push_back(id);
        if (IsVariableLengthId(id))
            bytes_.insert(bytes_.end(), {0, 0});
    }
    Pkt& u8(uint32_t v)
    {
        bytes_.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Pkt& u16(uint32_t v) { return u8(v >> 8).u8(v); }
    Pkt& u32(uint32_t v) { return u16(v >> 16).u16(v); }
    /** The text's bytes, then zeros to the width (no terminator when it fills the field). */
    Pkt& field(const std::string& text, size_t width)
    {
        for (size_t i = 0; i < width; ++i)
            u8(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
        return *this;
    }
    Pkt& text0(const std::string& text) { return field(text, text.size() + 1); }
    Pkt& raw(const std::string& text) { return field(text, text.size()); }
    Pkt& utf16z(const std::u16string& text)
    {
        for (char16_t c : text)
            u16(c);
        return u16(0);
    }
    Pkt& zeros(size_t n) { return field("", n); }
    Bytes done() const
    {
        Bytes out = bytes_;
        if (IsVariableLengthId(out[0])) {
            out[1] = static_cast<uint8_t>(out.size() >> 8);
            out[2] = static_cast<uint8_t>(out.size());
        }
        return out;
    }
    operator Bytes() const { return done(); }

private:
    Bytes bytes_;
};

/** Every window call as one line of text, in order. */
class RecordingWindows final : public GameWindowServices {
public:
    std::vector<std::string> calls;
    BookWindow book;
    bool courseOpen = true;
    bool paperdollOpens = true;

    void UpdateTargetMarkers(uint32_t serial, uint16_t maxHits, uint16_t hits) override
    {
        add("markers %x %u/%u", serial, hits, maxHits);
    }
    void CloseAllTargetMarkers() override { add("close markers"); }
    void ShowStatusBlock(const StatusBlock& b, bool rename) override
    {
        add("status %x '%s' %u/%u str %u gold %u%s", b.serial, b.name, b.hits, b.maxHits, b.strength, b.gold,
            rename ? " rename" : "");
    }
    void SetShopGold(uint16_t gold) override { add("shop gold %u", gold); }
    void UpdateStatusBar(uint32_t serial, StatusPairKind kind, const StatusPairs& p) override
    {
        add("bar %x kind %d %u/%u %u/%u %u/%u", serial, static_cast<int>(kind), p.hits, p.maxHits, p.mana, p.maxMana,
            p.stamina, p.maxStamina);
    }
    void ShowCombatantMarker(uint32_t serial) override { add("combatant marker %x", serial); }
    void ShowLastTargetMarker(uint32_t serial) override { add("last target marker %x", serial); }
    void WarModeChanged(bool war) override { add("war %d", war ? 1 : 0); }
    void CloseClosableGumps() override { add("close closable"); }
    void CloseModalMessage() override { add("close modal"); }
    void CloseDragGump() override { add("close drag"); }
    void DeleteAllTexts() override { add("delete texts"); }
    void SendMessengerMail(const std::u16string& a, const std::u16string& n, const std::u16string& s,
                           const std::u16string& b) override
    {
        add("mail %s|%s|%s|%s", narrow(a).c_str(), narrow(n).c_str(), narrow(s).c_str(), narrow(b).c_str());
    }
    void ShowItemProperties(const ItemProperties& p) override
    {
        std::string list;
        for (const auto& [number, value] : p.properties)
            list += " " + std::to_string(number) + "=" + std::to_string(value);
        add("properties %x title %u%s crafter '%s'%s", p.serial, p.title, list.c_str(), p.crafter.c_str(),
            p.identified ? "" : " unidentified");
    }
    void ShowPartyMemberBar(size_t index, uint32_t serial) override { add("party bar %zu %x", index, serial); }
    void ClosePartyMemberBar(uint32_t serial) override { add("close party bar %x", serial); }
    void PartyLeaderChanged(bool leader) override { add("leader %d", leader ? 1 : 0); }
    void ShowPartyMessage(const std::u16string& text, int32_t colour) override
    {
        add("party message '%s' colour %d", narrow(text).c_str(), colour);
    }
    void OpenObjectPicker(const PickerMenu& m) override { add("object picker %s", describe(m).c_str()); }
    void OpenStringPicker(const PickerMenu& m) override { add("string picker %s", describe(m).c_str()); }
    void OpenHuePicker(uint32_t serial, uint16_t value, uint16_t graphic) override
    {
        add("hue picker %x %u %u", serial, value, graphic);
    }
    void OpenStringQuery(const StringQuery& q) override
    {
        add("query %x %u '%s' buttons %u kind %u limit %u '%s'", q.serial, q.queryId, q.question.c_str(), q.buttons,
            q.entryKind, q.editLimit, q.description.c_str());
    }
    void NameAnswered(uint32_t serial, const std::string& name) override { add("name %x '%s'", serial, name.c_str()); }
    BookWindow FindBook(uint32_t) override { return book; }
    void ShowBookHeader(uint32_t serial, const std::string& title, const std::string& author, uint16_t pages,
                        bool writable, uint8_t flag) override
    {
        add("book %x '%s' '%s' pages %u writable %d flag %u", serial, title.c_str(), author.c_str(), pages,
            writable ? 1 : 0, flag);
    }
    void SetBookPage(uint32_t serial, int32_t slot, const std::vector<std::string>& lines) override
    {
        std::string all;
        for (const std::string& line : lines)
            all += "|" + line;
        add("page %x slot %d lines %zu %s", serial, slot, lines.size(), all.c_str());
    }
    void RedrawBook(uint32_t serial) override { add("redraw book %x", serial); }
    void OpenBoard(uint32_t serial, const std::string& name) override { add("board %x '%s'", serial, name.c_str()); }
    void AddBoardMessageLine(const BoardMessage& m) override
    {
        add("board line %x msg %x parent %x '%s' '%s' '%s'", m.board, m.message, m.parent, m.poster.c_str(),
            m.subject.c_str(), m.time.c_str());
    }
    void ShowBoardMessage(const BoardMessage& m) override
    {
        add("board message %x request %x '%s' body %u/%u pairs %zu lines %zu", m.message, m.requestSerial,
            m.poster.c_str(), m.bodyGraphic, m.bodyHue, m.pairs.size(), m.lines.size());
    }
    bool OpenPaperdoll(uint32_t serial, const std::string& title, uint8_t flags, bool player, bool beside) override
    {
        add("paperdoll %x '%s' flags %u player %d beside %d", serial, title.c_str(), flags, player ? 1 : 0,
            beside ? 1 : 0);
        return paperdollOpens;
    }
    void OpenSign(uint32_t serial, uint16_t art, const std::string& first, const std::string& second) override
    {
        add("sign %x art %u '%s' '%s'", serial, art, first.c_str(), second.c_str());
    }
    bool CourseOpen(uint32_t) override { return courseOpen; }
    void RedrawCourse(uint32_t serial) override { add("redraw course %x", serial); }
    void SetCourseEditable(uint32_t serial, bool editable) override { add("course %x editable %d", serial, editable ? 1 : 0); }
    void OpenTrade(uint32_t partner, uint32_t first, uint32_t second, const std::string& name) override
    {
        add("trade %x %x %x '%s'", partner, first, second, name.c_str());
    }
    void CloseTrade(uint32_t container) override { add("close trade %x", container); }
    void UpdateTrade(uint32_t container, bool first, bool second) override
    {
        add("update trade %x %d %d", container, first ? 1 : 0, second ? 1 : 0);
    }
    void OpenSellWindow(uint32_t vendor, const std::vector<SellRecord>& records) override
    {
        std::string all;
        for (const SellRecord& s : records)
            all += " " + std::to_string(s.graphic) + "/" + std::to_string(s.hue) + "/" + s.name;
        add("sell %x%s", vendor, all.c_str());
    }
    void ShopPurchaseAccepted(uint32_t vendor) override { add("purchase accepted %x", vendor); }
    void CloseShops(uint32_t vendor) override
    {
        add("close shops %x server %d", vendor, Game().serverClosingShop ? 1 : 0);
    }
    void ReportSkillChange(size_t index, uint16_t value) override { add("skill change %zu %u", index, value); }
    void OpenPendingSkillWindow() override { add("pending skill window"); }
    void SkillRowChanged(int32_t index) override { add("skill row %d", index); }
    void ShowOtherSkills(const std::vector<std::pair<size_t, SkillValue>>& rows) override
    {
        add("other skills %zu", rows.size());
    }

    static std::string narrow(const std::u16string& text)
    {
        std::string out;
        for (char16_t c : text)
            out.push_back(c < 128 ? static_cast<char>(c) : '?');
        return out;
    }

private:
    static std::string describe(const PickerMenu& m)
    {
        std::string all = std::to_string(m.menuId) + " '" + m.question + "'";
        for (const auto& e : m.entries)
            all += " " + std::to_string(e.graphic) + ":" + e.text;
        return all;
    }
    __attribute__((format(printf, 2, 3))) void add(const char* format, ...)
    {
        char line[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        calls.emplace_back(line);
    }
};

/** Effects as lines of text; a sequence recorder that counts its sound nodes. */
class RecordingEffects final : public EffectServices, public GameRenderServices {
public:
    void CreateEffectBasic(const EffectRequest& e) override { effects.push_back(describe("basic", e)); }
    void CreateEffect(const EffectRequest& e) override { effects.push_back(describe("effect", e)); }
    void CreateMovingItemEffect(const EffectRequest& e) override { effects.push_back(describe("moving", e)); }
    bool IsRecordingSequence() override { return recording; }
    bool StartSequenceRecording() override
    {
        if (recording)
            return false;
        recording = true;
        sounds.clear();
        return true;
    }
    bool StopSequenceRecording(uint8_t repeat) override
    {
        if (!recording)
            return false;
        recording = false;
        sequences.push_back(std::to_string(sounds.size()) + " sounds x" + std::to_string(repeat));
        return true;
    }
    void RecordSound(uint16_t sound, uint16_t x, uint16_t y, uint16_t z) override
    {
        sounds.push_back(std::to_string(sound) + "@" + std::to_string(x) + "," + std::to_string(y) + "," +
                         std::to_string(z));
    }
    void RecordAnimation(const AnimationStep& a) override
    {
        animations.push_back(std::to_string(a.serial) + " " + std::to_string(a.action) + "/" + std::to_string(a.frames) +
                             "/" + std::to_string(a.value3) + "/" + std::to_string(a.value4) + "/" +
                             std::to_string(a.reverse) + "/" + std::to_string(a.value6));
    }
    void StartDeathFade() override { ++deathFades; }
    void UpdateArt(const uint8_t*, int32_t id, int32_t length, int32_t extra) override
    {
        art.push_back(std::to_string(id) + "/" + std::to_string(length) + "/" + std::to_string(extra));
    }
    static std::string describe(const char* kind, const EffectRequest& e)
    {
        char line[200];
        std::snprintf(line, sizeof line, "%s type %u src %x dst %x graphic %u at %d,%d,%d to %d,%d,%d speed %u hue %u mode %u",
                      kind, e.type, e.sourceSerial, e.targetSerial, e.graphic, e.sourceX, e.sourceY, e.sourceZ,
                      e.targetX, e.targetY, e.targetZ, e.speed, e.hue, e.renderMode);
        return line;
    }
    std::vector<std::string> effects, sequences, sounds, animations, art;
    bool recording = false;
    int deathFades = 0;
};

/** System messages go into the window log, in its order. */
class RecordingText final : public TextServices {
public:
    explicit RecordingText(std::vector<std::string>& log) : log_(log) {}
    void AddSystemMessage(int32_t hue, int32_t font, const char* text) override
    {
        log_.push_back(std::string("message ") + text + " hue " + std::to_string(hue) + " font " + std::to_string(font));
    }

private:
    std::vector<std::string>& log_;
};

class RecordingSound final : public SoundServices {
public:
    void PlaySoundAt(int sound, int x, int y, int z) override
    {
        played.push_back(std::to_string(sound) + "@" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(z));
    }
    void SetLoopSound(int sound) override { loops.push_back(sound); }
    std::vector<std::string> played;
    std::vector<int> loops;
};

class RecordingMusic final : public MusicServices {
public:
    void PlaySong(int song, int mayClose, int force) override
    {
        songs.push_back(std::to_string(song) + "/" + std::to_string(mayClose) + "/" + std::to_string(force));
    }
    std::vector<std::string> songs;
};

class RecordingMessageGumps final : public GumpManagerServices {
public:
    CGump* ShowMessageGump(const char* text, CGump*, int, int, int) override
    {
        messages.emplace_back(text);
        return nullptr;
    }
    void OnServerGumpPacket(const uint8_t* bytes, size_t length) override { serverGumps.emplace_back(bytes, bytes + length); }
    void CloseGenericGumps(uint32_t gumpId, uint32_t button) override
    {
        closed.push_back(std::to_string(gumpId) + "/" + std::to_string(button));
    }
    std::vector<std::string> messages;
    std::vector<Bytes> serverGumps;
    std::vector<std::string> closed;
};

class RecordingConnection final : public CPacketSink {
public:
    bool SendPacket(const uint8_t* bytes, size_t length) override
    {
        sent.emplace_back(bytes, bytes + length);
        return true;
    }
    bool PastLoginPhase() const override { return pastLogin; }
    std::vector<Bytes> sent;
    bool pastLogin = true;
};

/** The recording windows, effects, texts, sound, music and message gumps, installed while it lives. */
struct RecordingGameServices {
    RecordingGameServices()
    {
        SetGameWindowServices(&windows);
        SetEffectServices(&effects);
        SetGameRenderServices(&effects);
        SetTextServices(&textLog);
        SetSoundServices(&sound);
        SetMusicServices(&music);
        SetGumpServices(&messageGumps);
    }
    ~RecordingGameServices()
    {
        SetGumpServices(nullptr);
        SetMusicServices(nullptr);
        SetSoundServices(nullptr);
        SetTextServices(nullptr);
        SetGameRenderServices(nullptr);
        SetEffectServices(nullptr);
        SetGameWindowServices(nullptr);
    }
    RecordingGameServices(const RecordingGameServices&) = delete;
    RecordingGameServices& operator=(const RecordingGameServices&) = delete;

    RecordingWindows windows;
    RecordingEffects effects;
    RecordingText textLog{windows.calls};
    RecordingSound sound;
    RecordingMusic music;
    RecordingMessageGumps messageGumps;
};

/** The test world with its player (serial 1) and the handlers installed over recording services. */
class GameHandlerTest : public testsupport::WorldTest, protected RecordingGameServices {
protected:
    GameHandlerTest()
    {
        ResetGameState();
        ResetPacketHandlers();
        InstallGameHandlers();
        SetMainConnection(&connection);
        ClearServerSessions();
        SetCurrentServerSession(nullptr);
    }
    ~GameHandlerTest() override
    {
        SetMainConnection(nullptr);
        DefTables::Unload();
        ResetPacketHandlers();
        ResetGameState();
        ResetConfigStore();
        g_bTargetMode = false;
    }

    /** Hands the packet to its id's handler from a buffer of exactly its size. */
    static void dispatch(const Bytes& packet)
    {
        auto copy = std::make_unique<uint8_t[]>(packet.size());
        std::copy(packet.begin(), packet.end(), copy.get());
        PacketHandler handler = GetPacketHandler(packet[0]);
        ASSERT_NE(handler, nullptr);
        handler(copy.get(), packet.size());
    }
    /** Every prefix shorter than the packet (a truncated variable packet keeps its claimed length). */
    static void dispatchEveryPrefix(const Bytes& packet)
    {
        for (size_t n = 0; n + 1 < packet.size(); ++n) {
            const Bytes prefix(packet.begin(), packet.begin() + static_cast<long>(n) + 1);
            dispatch(prefix);
        }
    }

    /** The nine remap tables, empty but for the texts given. */
    void loadDefTables(const std::map<std::string, std::string>& texts)
    {
        defDir = std::make_unique<testsupport::TempDir>();
        for (const char* n : {"sound.def", "music.def", "anim1.def", "anim2.def", "anim3.def", "anim4.def", "art.def",
                              "body.def", "corpse.def"}) {
            auto it = texts.find(n);
            defDir->write(n, it != texts.end() ? it->second : "");
        }
        const std::string before = kzdata::dataSettings().hdPath;
        kzdata::dataSettings().hdPath = defDir->path().string();
        ASSERT_TRUE(DefTables::Load());
        kzdata::dataSettings().hdPath = before;
    }

    CMobile* addMobile(uint32_t serial, int x = 101, int y = 100)
    {
        return dynamic_cast<CMobile*>(CObjectManager::HandleMove(mobile(serial, 400, x, y)));
    }
    CDynamicObj* addItem(uint32_t serial, uint16_t graphic, int x = 101, int y = 101)
    {
        ObjectRecord r = item(0, graphic, x, y);
        r.serial = serial;
        return CObjectManager::HandleMove(r);
    }

    RecordingConnection connection;
    std::unique_ptr<testsupport::TempDir> defDir;
};

inline std::string hex(const Bytes& bytes)
{
    std::string out;
    char two[4];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02X", b);
        out += two;
    }
    return out;
}

} // namespace gametest
