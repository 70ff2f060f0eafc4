/** @file The sign and the hue picker opened by server packets, and the name of a mobile picked for a field. */
#include "client/gumps/game/game_windows.h"

#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/hue_gumps.h"
#include "client/gumps/framework/input_control.h"
#include "client/gumps/framework/message_gumps.h"
#include "client/net/game_services.h"
#include "client/world/object_manager.h"

namespace {

class GameWindowGumps final : public GameWindowServices {
public:
    GameWindowServices* previous = nullptr;

    void OpenSign(uint32_t serial, uint16_t art, const std::string& first, const std::string&) override
    {
        CObj* object = serial != 0 ? CObjectManager::FindObject(serial) : nullptr;
        if (serial != 0)
            // One sign per object: a second packet for it changes nothing.
            for (CGump* g = CGumpManager::First(); g != nullptr; g = g->NextSibling())
                if (g->IsSignGump() != 0 && !g->closing && g->object != nullptr && g->object == object)
                    return;
        auto* sign = new CSignGump(100, 100, art, 0, first.c_str(), object);
        sign->AttachToParent(nullptr);
    }
    void OpenHuePicker(uint32_t serial, uint16_t value, uint16_t graphic) override
    {
        CHueGump::OpenForItem(serial, value, graphic);
    }
    /** The name of a mobile picked for a field comes back into the field. */
    void NameAnswered(uint32_t, const std::string& name) override { CInputControlGump::TakePickedName(name); }
};

GameWindowGumps g_windows;
bool g_installed = false;

} // namespace

void InstallGameWindows(bool on)
{
    if (on == g_installed)
        return;
    g_installed = on;
    if (on) {
        g_windows.previous = &gameWindows();
        SetGameWindowServices(&g_windows);
    } else {
        SetGameWindowServices(g_windows.previous);
        g_windows.previous = nullptr;
    }
}
