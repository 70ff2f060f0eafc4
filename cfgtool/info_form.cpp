/** @file The settings editor's information box and links. */
#include "cfgtool/info_form.h"

#include "cfgtool/main_form.h"
#include "platform/process/process.h"

namespace cfgtool {

namespace {
constexpr const char* kHomePage = "https://kz.example.org/cfgtool/";
constexpr const char* kInfoPage = "https://kz.example.org/";
constexpr const char* kMailAddress = "cfgtool@kz.example.org";
} // namespace

bool TGoToWeb::OpenUrl()
{
    return processes_.spawn({"xdg-open", Url}, "").has_value();
}

bool TGoToWeb::SendMail()
{
    return processes_.spawn({"xdg-open", "mailto:" + EMail + "?subject=" + EMailSubject}, "").has_value();
}

TForm2::TForm2(platform::forms::FormKit& forms, platform::ProcessLauncher& processes, TForm1& main)
    : main_(main), homePage_(processes), infoPage_(processes), mail_(processes)
{
    homePage_.Url = kHomePage;
    infoPage_.Url = kInfoPage;
    mail_.EMail = kMailAddress;
    for (TGoToWeb* link : {&homePage_, &infoPage_, &mail_})
        link->BrowserState = TGoToWeb::gwMaximized;

    window_ = forms.createWindow({"Information:", false, true});
    auto& page = window_->body();
    auto& contact = page.addGroup("For comments / bugs:");
    auto& mailRow = contact.addRow();
    mailRow.addLabel("E-mail address:");
    mailRow.addLink(kMailAddress, "mail link").onClick([this] { Label9Click(); });
    auto& icq = contact.addEntry("ICQ #:", "ICQ");
    icq.setText("000000");
    icq.setReadOnly(true);
    auto& homeRow = contact.addRow();
    homeRow.addLabel("Editor Homepage:");
    homeRow.addLink(kHomePage, "home page link").onClick([this] { Label6Click(); });

    auto& about = page.addGroup("Information:");
    about.addLabel("cfgtool edits the settings file kz.cfg of the game client.", "about 1");
    about.addLabel("Changes are written to kz.cfg only when you save.", "about 2");
    about.addLink(kInfoPage, "information link").onClick([this] { Label8Click(); });

    page.addButton("Close").onClick([this] { BitBtn2Click(); });
    // Closing the box by its own close button must give the main form its input back too.
    window_->onCloseRequest([this] { BitBtn2Click(); });
}

void TForm2::BitBtn2Click()
{
    main_.window().setEnabled(true);
    window_->hide();
}

void TForm2::Label6Click()
{
    homePage_.OpenUrl();
}

void TForm2::Label8Click()
{
    infoPage_.OpenUrl();
}

void TForm2::Label9Click()
{
    mail_.SendMail();
}

} // namespace cfgtool
