/** @file The gump manager: for now the least the application core asks of it. */
#include "client/gumps/framework/gump_manager.h"

#include "client/core/main_window.h"
#include "client/gumps/framework/input_window.h"

namespace {

CFocusedControl* g_focused = nullptr;

class CoreGumpServices final : public GumpManagerServices {
public:
    void Update() override { CGumpManager::Update(); }
    void DrawAllGumps(int left, int top, int right, int bottom, int lastPass) override
    {
        CGumpManager::DrawAllGumps(left, top, right, bottom, lastPass);
    }
    void ResetDC() override { CGumpManager::ResetDC(); }
    void SaveDesktop() override { CGumpManager::SaveDesktop(); }
    void ProcessDesktopQueue() override { CGumpManager::ProcessDesktopQueue(); }
    bool DesktopQueueStopped() override { return CGumpManager::DesktopQueueStopped(); }
    CGump* OpenGump(CObj* object, int gumpId, CGump* parent, int flag) override
    {
        return CGumpManager::OpenGump(object, gumpId, parent, flag);
    }
    CGump* ShowMessageGump(const char* text, CGump* owner, int okButton, int flag, int unicode) override
    {
        return CGumpManager::ShowMessageGump(text, owner, okButton, flag, unicode);
    }
    CFocusedControl* FocusedControl() override { return CGumpManager::FocusedControl(); }
    void SendHelpRequest() override { ::SendHelpRequest(); }
};

} // namespace

void CGumpManager::startup()
{
    g_focused = nullptr;
}

void CGumpManager::shutdown()
{
    g_focused = nullptr;
}

void CGumpManager::Update() {}

void CGumpManager::DrawAllGumps(int, int, int, int, int)
{
    PresentFrame();
}

void CGumpManager::ResetDC() {}
void CGumpManager::SaveDesktop() {}
void CGumpManager::ProcessDesktopQueue() {}

bool CGumpManager::DesktopQueueStopped()
{
    return false;
}

CGump* CGumpManager::OpenGump(CObj*, int, CGump*, int)
{
    return nullptr;
}

CGump* CGumpManager::ShowMessageGump(const char*, CGump*, int, int, int)
{
    return nullptr;
}

CFocusedControl* CGumpManager::FocusedControl()
{
    return g_focused;
}

void CGumpManager::SetFocusedControl(CFocusedControl* control)
{
    g_focused = control;
}

GumpManagerServices& CGumpManager::services()
{
    static CoreGumpServices services;
    return services;
}
