/** @file The settings editor's information box and its web and mail links. */
#pragma once

#include "platform/forms/forms.h"

#include <memory>
#include <string>

namespace platform {
class ProcessLauncher;
}

namespace cfgtool {

class TForm1;

/**
 * Opens a web page or a new mail in the user's programs, through xdg-open with the address as
 * one argument. The desktop decides how the browser window shows, so BrowserState has no effect.
 */
class TGoToWeb {
public:
    enum TBrowserState { gwNormal, gwMaximized };

    explicit TGoToWeb(platform::ProcessLauncher& processes) : processes_(processes) {}

    std::string Url;
    std::string EMail;
    std::string EMailSubject;
    TBrowserState BrowserState = gwNormal;

    /** True when the opener was started. */
    bool OpenUrl();
    bool SendMail();

private:
    platform::ProcessLauncher& processes_;
};

/** The tool window "Information:"; shown by the main form's Info button, which disables the main form meanwhile. */
class TForm2 {
public:
    TForm2(platform::forms::FormKit& forms, platform::ProcessLauncher& processes, TForm1& main);

    platform::forms::Window& window() { return *window_; }
    /** Closes the box (its button or its close button) and gives the main form back its input. */
    void BitBtn2Click();
    void Label6Click(); ///< home page
    void Label8Click(); ///< the information link
    void Label9Click(); ///< mail

private:
    TForm1& main_;
    std::unique_ptr<platform::forms::Window> window_;
    TGoToWeb homePage_;
    TGoToWeb infoPage_;
    TGoToWeb mail_;
};

} // namespace cfgtool
