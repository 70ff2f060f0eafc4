/** @file What the world asks of the container windows: the drag gump at a pick-up, the stack gump, content changes and closing a container's gump. */
#include "client/gumps/game/container_gump.h"
#include "client/gumps/game/drag_gump.h"

#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/game/world_view.h"
#include "client/world/object_manager.h"
#include "client/world/world_objects.h"
#include "client/world/world_services.h"

#include <cstdint>
#include <vector>

namespace {

/** Takes the container and drag calls of the world's window services; the rest goes on. */
class ContainerWorldServices final : public ForwardingWorldGumpServices {
public:
    void DeleteGump(CGump* gump) override
    {
        if (gump != nullptr && IsLiveGump(gump) && gump->IsContainerGump() != 0) {
            // The container is going: the gump must not touch it again, even if it is
            // deleted later in the pass.
            static_cast<CContainerGump*>(gump)->ForgetContainer();
            CGumpManager::DestroyGump(gump);
            return;
        }
        next->DeleteGump(gump);
    }
    void ContentsChanged(CContainerObj& container, CObj* item) override
    {
        CGump* gump = container.openGump;
        if (gump != nullptr && IsLiveGump(gump) && gump->IsContainerGump() != 0 && !gump->closing) {
            auto* open = static_cast<CContainerGump*>(gump);
            // An item that left is no longer in the list: the whole gump is drawn again.
            if (item != nullptr && item->parent == &container)
                open->RedrawItem(item);
            else
                open->Redraw({0, 0, open->width, open->height});
            return;
        }
        next->ContentsChanged(container, item);
    }
    void CreateDragGump() override
    {
        if (CDragGump* old = CDragGump::Current())
            old->End();
        new CDragGump();
    }
    bool OpenStackGump(CObj& object) override
    {
        return CGumpManager::OpenGump(&object, 49, nullptr, 0, 0) != nullptr;
    }
    void CloseContainersOutOfReach() override
    {
        // Collected first: closing one gump may take others (its texts) with it.
        std::vector<CGump*> going;
        for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling()) {
            if (g->IsContainerGump() == 0 || g->closing)
                continue;
            auto* open = static_cast<CContainerGump*>(g);
            const CContainerObj* container = open->container();
            if (open->IsBankGump() || container == nullptr || !IsObjectInReach(container))
                going.push_back(open);
        }
        for (CGump* g : going)
            if (IsLiveGump(g) && !g->closing)
                CGumpManager::DestroyGump(g);
        next->CloseContainersOutOfReach();
    }
};

ContainerWorldServices g_worldServices;
bool g_installed = false;

} // namespace

void InstallContainerServices(bool on)
{
    if (on == g_installed)
        return;
    g_installed = on;
    InstallContainerGumps(on);
    if (on) {
        g_worldServices.next = &worldGumps();
        SetWorldGumpServices(&g_worldServices);
        worldViewHooks().dragging = [] { return CDragGump::Lifting(); };
    } else {
        SetWorldGumpServices(g_worldServices.next);
        worldViewHooks().dragging = nullptr;
        g_worldServices.next = nullptr;
    }
}
