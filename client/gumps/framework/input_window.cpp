/** @file The typed-input line, the macro keys and the help request as the application core sees them. */
#include "client/gumps/framework/input_window.h"

CInputWindow* g_pInputWindow = nullptr;
std::vector<MacroKey> MacroKeyList;
int MacroWaitCounter = 0;

namespace {
int g_lastMacro = -1;
} // namespace

bool CInputWindow::OnKeyDown(uint32_t, uint32_t)
{
    return false;
}

void CInputWindow::OnChar(uint16_t character)
{
    typed_.push_back(character);
}

void CInputWindow::ReplyToPrompt(int, const char*)
{
    promptOpen_ = false;
}

namespace CApp {

void LoadMacros() {}

void FreeMacros()
{
    MacroKeyList.clear();
}

void StartMacro(int index)
{
    g_lastMacro = index;
}

void UpdateMacro() {}

int LastStartedMacro()
{
    return g_lastMacro;
}

} // namespace CApp

void SendHelpRequest() {}
