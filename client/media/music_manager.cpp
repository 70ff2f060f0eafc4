/** @file Music: MIDI songs by number, random play in peace and war, fades between songs, and the next song in sequence. */
#include "client/media/music_manager.h"

#include "client/media/mouse_timer_hold.h"
#include "client/media/player_place.h"

#include "client/core/app.h"
#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/core/main_loop.h"
#include "client/data/def_tables.h"
#include "platform/fs/path.h"
#include "platform/keystore/key_store.h"
#include "platform/platform.h"
#include "platform/random/random.h"

#include <algorithm>

namespace {

constexpr const char* kSongFiles[MusicManager::kSongCount] = {
    // 0-8: peaceful songs for random play
    "oldqel01.mid", "create1.mid", "dragflit.mid", "oldqel02.mid", "oldqel03.mid", "oldqel04.mid", "oldqel05.mid",
    "oldqel06.mid", "stones2.mid",
    // 9-24
    "dizivud1.mid", "dizivud2.mid", "bucsden.mid", "jhelom.mid", "lbcastle.mid", "linelle.mid", "magincia.mid",
    "minoc.mid", "ocllo.mid", "samlethe.mid", "serpents.mid", "skarabra.mid", "trinsic.mid", "vesper.mid", "wind.mid",
    "viz.mid",
    // 25-37
    "cave01.mid", "dungeon9.mid", "forest_a.mid", "intown01.mid", "jungle_a.mid", "mountn_a.mid", "plains_a.mid",
    "sailing.mid", "swamp_a.mid", "tavern01.mid", "tavern02.mid", "tavern03.mid", "tavern04.mid",
    // 38-40: combat songs
    "combat1.mid", "combat2.mid", "combat3.mid",
    // 41-48
    "approach.mid", "death.mid", "victory.mid", "btcastle.mid", "nujelm.mid", "dungeon2.mid", "cove.mid",
    "roverozi.mid"};

constexpr int kFirstCombatSong = 38;
constexpr int kLastCombatSong = 40;
constexpr int kPeacefulSongs = 9;

struct MusicState {
    uint8_t on = 0;
    int volume = 255;
    platform::MidiPlayer* player = nullptr;
    MusicManager::State s;
};

MusicState g_music;

class CoreMusicServices final : public MusicServices {
public:
    void Update() override { MusicManager::Update(); }
    void Enable(int on) override { MusicManager::Enable(on); }
    bool IsEnabled() const override { return MusicManager::IsEnabled(); }
    void PlayNextSong() override { MusicManager::SongEnded(); }
    void PlaySong(int song, int mayClose, int force) override { MusicManager::PlaySong(song, mayClose, force); }
};

uint32_t now()
{
    return platform::current().clock->tickCount();
}

bool playing()
{
    return g_music.s.open && g_music.player != nullptr && g_music.player->isPlaying();
}

void closeSong()
{
    if (g_music.s.open && g_music.player != nullptr)
        g_music.player->close();
    g_music.s.open = false;
}

void setMidiVolume(int level)
{
    if (g_music.player != nullptr)
        g_music.player->setVolume(std::clamp(level, 0, 255));
}

bool playerExists()
{
    MapPoint at{0, 0};
    return PlayerPlace(at);
}

bool combatMusicWanted()
{
    return PlayerInWarMode() && CombatMusic != 0;
}

} // namespace

namespace MusicManager {

const char* SongFile(int song)
{
    return song >= 0 && song < kSongCount ? kSongFiles[song] : nullptr;
}

void CMusicManager()
{
    KZReport::message("MusicManager::CMusicManager(): begin.\n");
    g_music.volume = std::clamp<int32_t>(MusicVol, 0, 255);
    g_music.on = Music;
    closeSong();
    g_music.s = State{};
    platform::srand(now());
}

void SetSequencer(platform::MidiPlayer* player)
{
    closeSong();
    g_music.player = player;
}

void shutdown()
{
    closeSong();
}

int PlaySong(int song, int mayClose, int force)
{
    if (const DefTable* table = DefTables::Get(DEF_MUSIC))
        if (song >= 0 && song <= 0xffff && table->Find(static_cast<uint16_t>(song)) != nullptr)
            song = table->PickAlternate(static_cast<uint16_t>(song), 0);
    if (ShuttingDown != 0) {
        KZReport::error("MusicManager::PlaySong: 'shutdownSequenceStarted'. program would probably crash if we did not "
                        "'return FALSE'!");
        return 0;
    }
    if (playing() && force == 0 && now() - g_music.s.startTime < kSongGuardMs)
        return 1;
    if (song < 0 || song >= kSongCount)
        return 0;
    if (g_music.on == 0 || song == g_music.s.currentSong)
        return 1;
    int r = 0;
    {
        MouseTimerHold hold;
        r = StartSongFile(kSongFiles[song], mayClose);
    }
    if (r == 0)
        return 0;
    if (!g_music.s.volumeApplied) {
        g_music.s.volumeApplied = true;
        g_music.volume = std::clamp<int32_t>(MusicVol, 0, 255);
        setMidiVolume(g_music.volume - g_music.s.fadeAmount);
    }
    g_music.s.currentSong = song;
    g_music.s.startTime = now();
    return r;
}

int StartSongFile(const std::string& fileName, int mayClose)
{
    if (g_music.on == 0)
        return 1;
    if (playing() || g_music.s.changePending) {
        // The fade in Update ends the playing song; a later request replaces an earlier one.
        g_music.s.changePending = true;
        g_music.s.pendingName = fileName;
        return 1;
    }
    if (g_music.s.open) {
        if (mayClose == 0)
            return 0;
        closeSong();
    }
    const std::string path = FindSongFile(fileName);
    if (g_music.player == nullptr || path.empty() || !g_music.player->open(path))
        return 0;
    g_music.s.open = true;
    if (!g_music.player->play()) {
        closeSong();
        return 0;
    }
    return 1;
}

std::string FindSongFile(const std::string& fileName)
{
    // The player gets the file's name as it is on disk, whatever separators and case were asked for.
    const std::string relative = "music\\" + fileName;
    // Both paths come back in one static buffer: each is copied before the next is asked for.
    std::string path = BuildDataPath(relative.c_str());
    if (!platform::fileExists(path))
        path = CApp::get_CDpath(relative.c_str());
    if (!platform::fileExists(path))
        return "";
    return platform::resolveCase(path).value_or("");
}

void Stop()
{
    closeSong();
}

void SetVolume(int volume)
{
    g_music.volume = std::clamp(volume, 0, 255);
    setMidiVolume(g_music.volume - g_music.s.fadeAmount);
}

void Enable(int on)
{
    g_music.on = on != 0 ? 1 : 0;
    if (on == 0)
        closeSong();
}

bool IsEnabled()
{
    return g_music.on != 0;
}

void Update()
{
    State& s = g_music.s;
    if (--s.pollCountdown <= 0) {
        s.pollCountdown = kPollTicks;
        if (g_music.on != 0 && playerExists()) {
            const bool nowPlaying = playing();
            const bool combat = nowPlaying && s.currentSong >= kFirstCombatSong && s.currentSong <= kLastCombatSong;
            if (combatMusicWanted()) {
                if (!combat)
                    PlaySong(kFirstCombatSong + platform::rand() % 3, 1, 1);
            } else if (combat) {
                PlaySong(platform::rand() % kPeacefulSongs, 1, 1);
            } else if (!nowPlaying) {
                PlaySong(platform::rand() % kPeacefulSongs, 0, 0);
            }
        }
    }
    if (!s.changePending)
        return;
    s.fadeAmount += kFadeStep;
    if (g_music.volume - s.fadeAmount >= 0 && playing()) {
        setMidiVolume(g_music.volume - s.fadeAmount);
        return;
    }
    s.fadeAmount = 0;
    setMidiVolume(g_music.volume);
    s.changePending = false;
    closeSong();
    const std::string pending = s.pendingName;
    s.pendingName.clear();
    StartSongFile(pending, 1);
}

void PlayNextSong()
{
    State& s = g_music.s;
    if (PlaySong(s.nextSong, 0, 0) == 0)
        return;
    ++s.nextSong;
    if (playerExists()) {
        if (combatMusicWanted()) {
            if (s.nextSong > kLastCombatSong)
                s.nextSong = kFirstCombatSong;
        } else if (s.nextSong >= kPeacefulSongs) {
            s.nextSong = 0;
        }
    } else if (s.nextSong >= kSongCount) {
        s.nextSong = 0;
    }
}

void SongEnded()
{
    // The finished song leaves its player open but silent; closed, it no longer stands in the
    // way of the next one. A song started since the notice was sent is left playing.
    if (g_music.s.open && !playing())
        closeSong();
    PlayNextSong();
}

const State& CurrentState()
{
    return g_music.s;
}

std::string SoundFontPath()
{
    if (platform::KeyStore* keys = platform::current().keyStore)
        if (auto value = keys->getString(FileManager::INSTALL_KEY, "SoundFont"); value && !value->empty())
            return *value;
    return platform::kDefaultSoundFont;
}

MusicServices& services()
{
    static CoreMusicServices services;
    return services;
}

} // namespace MusicManager
