/** @file Start of the account launcher: opens its window on the display and runs it until it is closed. */
#include "gatehouse/gatehouse_ps.h"
#include "platform/forms/gtk_forms.h"
#include "platform/platform.h"

#include <cstdio>

int main()
{
    auto forms = platform::forms::makeGtkFormKit();
    if (!forms) {
        std::fprintf(stderr, "gatehouse: cannot open the display\n");
        return 1;
    }
    platform::Platform& system = platform::current();
    gatehouse::RealFileOps files;
    gatehouse::GatehouseServices services{*forms, *system.keyStore, *system.processes, *system.clock, files};
    gatehouse::CGatehousePS sheet(services);
    sheet.run();
    return 0;
}
