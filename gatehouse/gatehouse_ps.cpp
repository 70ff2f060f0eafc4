/** @file The launcher's window. */
#include "gatehouse/gatehouse_ps.h"

#include "platform/forms/forms.h"

namespace gatehouse {

CGatehousePS::CGatehousePS(GatehouseServices& services) : services_(services)
{
    window_ = services.forms.createWindow({"gatehouse", false, false});
    page_ = std::make_unique<CLauncherTab>(*window_, window_->addPage("Launcher"), services);
    auto& buttons = window_->body().addRow();
    auto& ok = buttons.addButton("OK", "sheet OK");
    auto& cancel = buttons.addButton("Cancel", "sheet Cancel");
    buttons.addButton("Help", "sheet Help"); // there is no help text to show
    ok.onClick([this] { window_->close(); });
    cancel.onClick([this] { window_->close(); });
    // The close button acts as OK.
    window_->onCloseRequest([this] { window_->close(); });
    page_->OnInitDialog();
}

CGatehousePS::~CGatehousePS()
{
    page_.reset();
}

void CGatehousePS::run()
{
    services_.forms.run(*window_);
}

} // namespace gatehouse
