/** @file The typed-input line, the macro keys and the help request: for now the least the application core asks of them. */
#include "client/gumps/framework/input_window.h"

CInputWindow* g_pInputWindow = nullptr;
std::vector<MacroKey> MacroKeyList;
int MacroWaitCounter = 0;

namespace {

class CoreMacroServices final : public MacroServices {
public:
    void LoadMacros() override { CApp::LoadMacros(); }
    void FreeMacros() override { CApp::FreeMacros(); }
    std::span<const MacroKey> MacroKeys() const override { return MacroKeyList; }
    void StartMacro(int index) override { CApp::StartMacro(index); }
    void UpdateMacro() override { CApp::UpdateMacro(); }
    void CountDownMacroWait() override
    {
        if (MacroWaitCounter != 0)
            --MacroWaitCounter;
    }
};

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

MacroServices& macroServices()
{
    static CoreMacroServices services;
    return services;
}

} // namespace CApp

void SendHelpRequest() {}
