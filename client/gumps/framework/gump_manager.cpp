/** @file The gump manager as the application core sees it. */
#include "client/gumps/framework/gump_manager.h"

#include "client/core/main_window.h"

namespace {

CGumpManager::Calls g_calls;
CFocusedControl* g_focused = nullptr;

} // namespace

void CGumpManager::startup()
{
    g_focused = nullptr;
}

void CGumpManager::shutdown()
{
    g_focused = nullptr;
}

void CGumpManager::Update()
{
    ++g_calls.updates;
}

void CGumpManager::DrawAllGumps(int, int, int, int, int)
{
    ++g_calls.draws;
    PresentFrame();
}

void CGumpManager::ResetDC()
{
    ++g_calls.resetDCs;
}

void CGumpManager::SaveDesktop()
{
    ++g_calls.desktopSaves;
}

void CGumpManager::ProcessDesktopQueue()
{
    ++g_calls.desktopQueueSteps;
}

bool CGumpManager::DesktopQueueStopped()
{
    return false;
}

CGump* CGumpManager::OpenGump(CObj*, int gumpId, CGump*, int)
{
    g_calls.lastOpenedGump = gumpId;
    return nullptr;
}

CGump* CGumpManager::ShowMessageGump(const char* text, CGump*, int, int, int)
{
    g_calls.lastMessage = text != nullptr ? text : "";
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

const CGumpManager::Calls& CGumpManager::calls()
{
    return g_calls;
}

void CGumpManager::resetCalls()
{
    g_calls = Calls{};
}
