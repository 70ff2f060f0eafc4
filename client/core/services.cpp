/** @file The installed services of the higher subsystems, and the do-nothing ones the core starts with. */
#include "client/core/effect_services.h"
#include "client/core/gump_services.h"
#include "client/core/input_services.h"
#include "client/core/media_services.h"
#include "client/core/mouse_services.h"
#include "client/core/net_services.h"

#include <atomic>

namespace {

/**
 * One installed service: the default when none is installed. Atomic because the mouse timer
 * thread reads the mouse manager while the main thread may install it.
 */
template <class Service>
class Slot {
public:
    void install(Service* service) { installed_.store(service != nullptr ? service : &fallback_); }
    Service& get() { return *installed_.load(); }

private:
    Service fallback_;
    std::atomic<Service*> installed_{&fallback_};
};

/** Made on first use, so a call during static start-up still finds the default. */
template <class Service>
Slot<Service>& slot()
{
    static Slot<Service> instance;
    return instance;
}

} // namespace

void SetGumpServices(GumpManagerServices* services) { slot<GumpManagerServices>().install(services); }
GumpManagerServices& gumpManager() { return slot<GumpManagerServices>().get(); }
void SetInputLineServices(InputLineServices* services) { slot<InputLineServices>().install(services); }
InputLineServices& inputLine() { return slot<InputLineServices>().get(); }
void SetMacroServices(MacroServices* services) { slot<MacroServices>().install(services); }
MacroServices& macros() { return slot<MacroServices>().get(); }
void SetMouseServices(MouseServices* services) { slot<MouseServices>().install(services); }
MouseServices& mouseManager() { return slot<MouseServices>().get(); }
void SetMusicServices(MusicServices* services) { slot<MusicServices>().install(services); }
MusicServices& musicManager() { return slot<MusicServices>().get(); }
void SetSoundServices(SoundServices* services) { slot<SoundServices>().install(services); }
SoundServices& soundManager() { return slot<SoundServices>().get(); }
void SetMoviePlayer(MoviePlayerServices* player) { slot<MoviePlayerServices>().install(player); }
MoviePlayerServices& moviePlayer() { return slot<MoviePlayerServices>().get(); }
void SetNetServices(NetServices* services) { slot<NetServices>().install(services); }
NetServices& netServices() { return slot<NetServices>().get(); }
void SetEffectServices(EffectServices* services) { slot<EffectServices>().install(services); }
EffectServices& effectServices() { return slot<EffectServices>().get(); }
void SetTextServices(TextServices* services) { slot<TextServices>().install(services); }
TextServices& textServices() { return slot<TextServices>().get(); }
