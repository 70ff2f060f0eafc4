/** @file Start of the settings editor: the main form, then the hidden information box; runs until the main form closes. */
#include "cfgtool/info_form.h"
#include "cfgtool/main_form.h"
#include "platform/forms/gtk_forms.h"
#include "platform/platform.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main()
{
    auto forms = platform::forms::makeGtkFormKit();
    if (!forms) {
        std::fprintf(stderr, "cfgtool: cannot open the display\n");
        return 1;
    }
    std::error_code ec;
    std::string startFolder = std::filesystem::current_path(ec).string();
    if (!startFolder.empty() && startFolder.back() != '/')
        startFolder += '/';

    cfgtool::EditorServices services{*forms, *platform::current().processes, startFolder};
    cfgtool::TForm1 main(services);
    cfgtool::TForm2 info(*forms, *platform::current().processes, main);
    main.setInfoBox(&info);
    main.FormCreate();
    forms->run(main.window());
    return 0;
}
