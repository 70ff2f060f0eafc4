/** @file The weather shown over the game area: rain drops and snow flakes as picture gumps, the weather's system messages and sounds, and its step in the game tick. */
#include "client/gumps/game/weather_display.h"

#include "client/core/app.h"
#include "client/data/gump_art.h"
#include "client/data/span_routines.h"
#include "client/gumps/framework/art_frame.h"
#include "client/gumps/framework/gump_manager.h"
#include "client/render/graphic_manager.h"
#include "client/render/text_manager.h"
#include "client/world/weather_manager.h"

#include <array>
#include <map>

namespace {

constexpr int kSize = CWeatherParticleGump::kSize;

/** A drop is a short streak falling down and to the left, in a pale blue-grey. */
std::array<uint16_t, kSize * kSize> rainPicture()
{
    const uint16_t c = GraphicManager::PackColor(150, 170, 210);
    return {0, 0, c, //
            0, c, 0, //
            c, 0, 0};
}

class WeatherGumps final : public WeatherServices {
public:
    void AddSystemMessage(const char* text, uint16_t hue, int32_t font) override
    {
        TextManager::AddSystemMessage(hue, font, text);
    }
    void PlaySound(int32_t id) override
    {
        if (weatherSoundHooks().play)
            weatherSoundHooks().play(id);
    }
    void PlaySoundAt(int32_t id, int32_t x, int32_t y, float volume) override
    {
        if (weatherSoundHooks().playAt)
            weatherSoundHooks().playAt(id, x, y, volume);
    }
    /** Particles are placed relative to the game area, so the window starts at its corner. */
    WeatherRect PlayWindow() override
    {
        return {0, 0, GraphicManager::GetPlayWidth(), GraphicManager::GetPlayHeight()};
    }
    bool HasSnowArt() override { return GumpArtExtent(CWeatherParticleGump::kSnowPresentArt).w > 0; }
    int32_t CreateParticle(bool snow, int32_t x, int32_t y) override
    {
        const int32_t handle = nextHandle_;
        nextHandle_ = nextHandle_ == INT32_MAX ? 0 : nextHandle_ + 1;
        auto* gump = new CWeatherParticleGump(handle, snow, x, y);
        gump->AttachToParent(nullptr);
        CGumpManager::AddDirty(gump->ScreenRect());
        particles_[handle] = gump;
        return handle;
    }
    bool ParticleInList(int32_t handle) override
    {
        const CWeatherParticleGump* gump = find(handle);
        return gump != nullptr && !gump->closing && gump->Parent() == nullptr;
    }
    void MoveParticle(int32_t handle, int32_t x, int32_t y) override
    {
        if (CWeatherParticleGump* gump = find(handle))
            gump->MoveBy(x - gump->x, y - gump->y, true, nullptr, false);
    }
    void RedrawSnowPicture(int32_t handle) override
    {
        if (CWeatherParticleGump* gump = find(handle))
            gump->RedrawSnow();
    }
    void DeleteParticle(int32_t handle) override
    {
        CWeatherParticleGump* gump = find(handle);
        if (gump == nullptr)
            return;
        particles_.erase(handle);
        if (!gump->closing) {
            CGumpManager::AddDirty(gump->ScreenRect());
            CGumpManager::DestroyGump(gump);
        }
    }

    /** The gump of a handle is going: its handle no longer names it. */
    void Forget(int32_t handle) { particles_.erase(handle); }

private:
    CWeatherParticleGump* find(int32_t handle)
    {
        const auto it = particles_.find(handle);
        return it != particles_.end() ? it->second : nullptr;
    }

    std::map<int32_t, CWeatherParticleGump*> particles_;
    int32_t nextHandle_ = 0;
};

WeatherGumps g_weather;
bool g_installed = false;

} // namespace

CWeatherParticleGump::CWeatherParticleGump(int32_t handle0, bool snow, int x0, int y0)
    : CDumbGump(x0, y0, 0, kSize, kSize, 0, snow ? nullptr : rainPicture().data(), snow ? kSnowArt : -1),
      handle(handle0)
{
    name = snow ? "snow flake" : "rain drop";
}

CWeatherParticleGump::~CWeatherParticleGump()
{
    g_weather.Forget(handle);
}

void CWeatherParticleGump::RedrawSnow()
{
    GumpBitmap* frame = MakeFrame(0, kSize, kSize);
    DrawGumpArtClipped(CopySpan, kSnowArt, ClipRect{0, 0, kSize, kSize}, 0, 0, frame->pixels.data(), frame->stride(),
                       kSize);
    CGumpManager::AddDirty(ScreenRect());
}

WeatherSoundHooks& weatherSoundHooks()
{
    static WeatherSoundHooks hooks;
    return hooks;
}

void InstallWeatherDisplay(bool on)
{
    if (on == g_installed)
        return;
    g_installed = on;
    if (on) {
        WeatherManager::SetServices(&g_weather);
        TickHooks().weatherUpdate = [] {
            // Out of the world (logged out, back at the menus) the weather has stopped: its
            // particles would fall over the login screens otherwise.
            if (!g_bInGame && WeatherManager::State().state != WeatherState::kNone)
                WeatherManager::Stop();
            WeatherManager::Update();
        };
        return;
    }
    TickHooks().weatherUpdate = nullptr;
    WeatherManager::Stop();
    WeatherManager::SetServices(nullptr);
}
