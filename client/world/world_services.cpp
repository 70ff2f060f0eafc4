/** @file The installed services of the higher subsystems as the world sees them, and their defaults. */
#include "client/world/world_draw_services.h"
#include "client/world/world_services.h"

#include "client/data/map_manager.h"

void WorldDrawServices::CalcScreenRect(CDrawItem& item)
{
    const int32_t x = (item.locX - item.locY + MapManager::MapWidth()) * 22;
    const int32_t y = (item.locX + item.locY) * 22 - item.z * 4;
    item.rect = {x, y, x + 44, y + 44};
}

namespace {

template <class Service>
class Slot {
public:
    void install(Service* service) { installed_ = service != nullptr ? service : &fallback_; }
    Service& get() { return *installed_; }

private:
    Service fallback_;
    Service* installed_ = &fallback_;
};

template <class Service>
Slot<Service>& slot()
{
    static Slot<Service> instance;
    return instance;
}

} // namespace

void SetWorldDrawServices(WorldDrawServices* services) { slot<WorldDrawServices>().install(services); }
WorldDrawServices& worldDraw() { return slot<WorldDrawServices>().get(); }
void SetWorldGumpServices(WorldGumpServices* services) { slot<WorldGumpServices>().install(services); }
WorldGumpServices& worldGumps() { return slot<WorldGumpServices>().get(); }
void SetOverheadMessageServices(OverheadMessageServices* services) { slot<OverheadMessageServices>().install(services); }
OverheadMessageServices& overheadMessages() { return slot<OverheadMessageServices>().get(); }

void WorldGumpServices::TrimOverheadMessages(CObj& object) { overheadMessages().TrimOverheadMessages(object); }
void WorldGumpServices::ClearOverheadMessages(CObj& object) { overheadMessages().ClearOverheadMessages(object); }
void WorldGumpServices::DeleteAllOverheadMessages(CObj& object) { overheadMessages().DeleteAllOverheadMessages(object); }
void WorldGumpServices::AddOverheadMessage(CObj& object, const char* text, int32_t hue, int32_t font)
{
    overheadMessages().AddOverheadMessage(object, text, hue, font);
}
void WorldGumpServices::RepositionOverheadMessages(CObj& object) { overheadMessages().RepositionOverheadMessages(object); }
void SetWorldNetServices(WorldNetServices* services) { slot<WorldNetServices>().install(services); }
WorldNetServices& worldNet() { return slot<WorldNetServices>().get(); }
void SetWorldSoundServices(WorldSoundServices* services) { slot<WorldSoundServices>().install(services); }
WorldSoundServices& worldSound() { return slot<WorldSoundServices>().get(); }
