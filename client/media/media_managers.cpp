/** @file Music and the movie player: for now the least the application core asks of them. */
#include "client/media/media_managers.h"

#include "client/core/config_store.h"

namespace {

bool g_music = false;

class CoreMusicServices final : public MusicServices {
public:
    void Update() override { MusicManager::Update(); }
    void Enable(int on) override { MusicManager::Enable(on); }
    bool IsEnabled() const override { return MusicManager::IsEnabled(); }
    void PlayNextSong() override { MusicManager::PlayNextSong(); }
};

class CoreMoviePlayer final : public MoviePlayerServices {
public:
    void PlayMovie(const std::string& path, const std::function<int()>& windowHook) override
    {
        ::PlayMovie(path, windowHook);
    }
    void PlayMpegMovie(const std::string& path, const std::function<int()>& windowHook) override
    {
        ::PlayMpegMovie(path, windowHook);
    }
};

} // namespace

namespace MusicManager {

void CMusicManager()
{
    g_music = Music != 0;
}

void shutdown() {}
void PlaySong(int, int, int) {}
void Update() {}

void Enable(int on)
{
    g_music = on != 0;
}

bool IsEnabled()
{
    return g_music;
}

void PlayNextSong() {}

MusicServices& services()
{
    static CoreMusicServices services;
    return services;
}

} // namespace MusicManager

MoviePlayerServices& moviePlayerServices()
{
    static CoreMoviePlayer player;
    return player;
}
