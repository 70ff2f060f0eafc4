/** @file The launcher's window: one page with OK, Cancel and Help below it. */
#pragma once

#include "gatehouse/launcher_tab.h"

#include <memory>

namespace gatehouse {

/** The sheet titled "gatehouse"; closing it by its close button is the same as OK. */
class CGatehousePS {
public:
    explicit CGatehousePS(GatehouseServices& services);
    ~CGatehousePS();

    platform::forms::Window& window() { return *window_; }
    CLauncherTab& page() { return *page_; }
    /** Shows the sheet and returns when it is closed. */
    void run();

private:
    GatehouseServices& services_;
    std::unique_ptr<platform::forms::Window> window_;
    std::unique_ptr<CLauncherTab> page_;
};

} // namespace gatehouse
