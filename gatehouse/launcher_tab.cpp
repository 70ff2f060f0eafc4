/** @file The launcher's page: account handling and the launch of the client. */
#include "gatehouse/launcher_tab.h"

#include "gatehouse/password_codec.h"
#include "platform/clock/clock.h"
#include "platform/fs/path.h"
#include "platform/keystore/key_store.h"
#include "platform/process/process.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace gatehouse {

using platform::forms::ListBox;
using platform::forms::MessageButtons;
using platform::forms::MessageIcon;
using platform::forms::MessageResult;

namespace {

constexpr const char* kCaption = "gatehouse";

std::string accountKey(const std::string& name)
{
    return std::string(kAccountsKey) + "\\" + name;
}

bool writeWholeFile(const std::string& path, const std::string& bytes, bool& opened)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    opened = f != nullptr;
    if (f == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

/** A regular file of sensible size only: a kz.cfg that is a device or pipe is not read without end. */
bool readWholeFile(const std::string& path, std::string& out)
{
    const auto bytes = platform::readWholeFile(path, platform::kMaxConfigFileBytes);
    if (!bytes)
        return false;
    out.assign(bytes->begin(), bytes->end());
    return true;
}

} // namespace

CLauncherTab::CLauncherTab(platform::forms::Window& window, platform::forms::Container& page,
                           GatehouseServices& services)
    : window_(window), services_(services)
{
    auto& columns = page.addRow();
    auto& accounts = columns.addGroup("Accounts");
    list_ = &accounts.addListBox("accounts");
    auto& listButtons = accounts.addRow();
    new_ = &listButtons.addButton("New");
    edit_ = &listButtons.addButton("Edit");
    delete_ = &listButtons.addButton("Delete");
    launch_ = &listButtons.addButton("Launch");

    auto& fields = columns.addGroup("");
    name_ = &fields.addEntry("Name");
    ip_ = &fields.addEntry("IP");
    port_ = &fields.addEntry("Port");
    account_ = &fields.addEntry("Account");
    password_ = &fields.addEntry("Password");
    password_->setPassword(true);
    auto& clientRow = fields.addRow();
    client_ = &clientRow.addEntry("Client");
    browse_ = &clientRow.addButton("Browse");
    auto& editButtons = fields.addRow();
    done_ = &editButtons.addButton("Done");
    cancel_ = &editButtons.addButton("Cancel");

    defaultClient_ = &page.addGroup("Default Client").addLabel("", "Default Client");

    list_->onSelectionChange([this] { OnSelchangeList(); });
    new_->onClick([this] { OnNew(); });
    edit_->onClick([this] { OnEdit(); });
    delete_->onClick([this] { OnDelete(); });
    launch_->onClick([this] { OnLaunch(); });
    browse_->onClick([this] { OnBrowse(); });
    done_->onClick([this] { OnDone(); });
    cancel_->onClick([this] { OnCancel(); });

    for (platform::forms::Button* b : {launch_, delete_, edit_, browse_, done_, cancel_})
        b->setEnabled(false);
    setFieldsEnabled(true, false);
}

void CLauncherTab::OnInitDialog()
{
    clientDirectory_.clear();
    if (auto path = services_.keys.getString(kClientInstallKey, "ExePath")) {
        // The folder part, separator kept; an install written on another system may use "\".
        const size_t cut = path->find_last_of("/\\");
        if (cut != std::string::npos)
            clientDirectory_ = path->substr(0, cut + 1);
    }
    defaultClient_->setText(clientDirectory_ + kClientProgram);
    for (const std::string& name : services_.keys.subKeys(kAccountsKey))
        list_->add(name);
}

void CLauncherTab::refresh()
{
    enableSelectionButtons();
    const int selected = list_->selected();
    if (selected == ListBox::kNone) {
        for (auto* e : {name_, ip_, port_, account_, password_, client_})
            e->setText("");
        return;
    }
    const std::string name = list_->textAt(selected);
    const std::string key = accountKey(name);
    auto& keys = services_.keys;
    if (!keys.keyExists(key))
        return;
    name_->setText(name);
    if (auto v = keys.getString(key, "Account"))
        account_->setText(*v);
    if (auto v = keys.getString(key, "IPAddress"))
        ip_->setText(*v);
    if (auto v = keys.getString(key, "Password"))
        password_->setText(ScramblePassword(*v));
    if (auto v = keys.getString(key, "Port"))
        port_->setText(*v);
    client_->setText(keys.getString(key, "Client").value_or(""));
}

void CLauncherTab::enableSelectionButtons()
{
    // Without a selection these would act on empty fields: Launch would write an empty server.
    const bool any = list_->selected() != ListBox::kNone;
    edit_->setEnabled(any);
    delete_->setEnabled(any);
    launch_->setEnabled(any);
}

void CLauncherTab::setFieldsEnabled(bool nameToo, bool enabled)
{
    if (nameToo)
        name_->setEnabled(enabled);
    for (auto* e : {ip_, port_, account_, password_, client_})
        e->setEnabled(enabled);
}

void CLauncherTab::message(const std::string& text, MessageIcon icon)
{
    services_.forms.messageBox(&window_, text, kCaption, MessageButtons::Ok, icon);
}

void CLauncherTab::OnSelchangeList()
{
    refresh();
}

void CLauncherTab::OnNew()
{
    list_->setSelected(ListBox::kNone);
    refresh();
    setFieldsEnabled(true, true);
    cancel_->setEnabled(true);
    done_->setEnabled(true);
    browse_->setEnabled(true);
    new_->setEnabled(false);
}

void CLauncherTab::OnEdit()
{
    setFieldsEnabled(false, true);
    cancel_->setEnabled(true);
    done_->setEnabled(true);
    browse_->setEnabled(true);
    for (platform::forms::Button* b : {new_, edit_, delete_, launch_})
        b->setEnabled(false);
    list_->setEnabled(false);
    editing_ = true;
}

void CLauncherTab::OnDone()
{
    const std::string name = name_->text();
    const std::string account = account_->text();
    const std::string ip = ip_->text();
    const std::string port = port_->text();
    const std::string client = client_->text();
    list_->setEnabled(true);
    new_->setEnabled(true);
    enableSelectionButtons();
    const std::string scrambled = ScramblePassword(password_->text());

    if (!editing_) {
        // An empty name would be the accounts key itself, and a "\" would make a key below another.
        if (name.empty() || name.find('\\') != std::string::npos) {
            message("Please enter a name for this account (without \"\\\").", MessageIcon::Exclamation);
            return;
        }
        if (list_->find(name) != ListBox::kNone) {
            message("An account with this name already exists.  Please choose another name.",
                    MessageIcon::Exclamation);
            return;
        }
    }

    auto& keys = services_.keys;
    const std::string key = accountKey(name);
    if (!keys.createKey(key)) {
        message("Error saving this account in the registry.", MessageIcon::Stop);
    } else {
        bool ok = keys.setString(key, "Account", account);
        ok = keys.setString(key, "IPAddress", ip) && ok;
        ok = keys.setString(key, "Password", scrambled) && ok;
        ok = keys.setString(key, "Port", port) && ok;
        ok = keys.setString(key, "Client", client) && ok;
        if (!ok)
            message("Error saving this account in the registry.", MessageIcon::Stop);
    }
    if (!editing_)
        list_->setSelected(list_->add(name));

    editing_ = false;
    refresh();
    setFieldsEnabled(true, false);
    cancel_->setEnabled(false);
    done_->setEnabled(false);
    browse_->setEnabled(false);
    new_->setEnabled(true);
}

void CLauncherTab::OnCancel()
{
    refresh();
    setFieldsEnabled(true, false);
    cancel_->setEnabled(false);
    done_->setEnabled(false);
    browse_->setEnabled(false);
    editing_ = false;
    list_->setEnabled(true);
    new_->setEnabled(true);
    enableSelectionButtons();
}

void CLauncherTab::OnDelete()
{
    const int selected = list_->selected();
    if (selected == ListBox::kNone)
        return;
    const std::string name = list_->textAt(selected);
    if (services_.forms.messageBox(&window_, "Are you sure you wish to delete the account \"" + name + "\"?",
                                   kCaption, MessageButtons::OkCancel, MessageIcon::Question) != MessageResult::Ok)
        return;
    services_.keys.removeKey(accountKey(name));
    list_->removeAt(selected);
    refresh();
}

void CLauncherTab::OnBrowse()
{
    std::error_code ec;
    const std::filesystem::path remembered = std::filesystem::current_path(ec);
    platform::forms::FileDialogOptions options;
    options.title = "Open";
    options.filters.push_back({"Executable Files", {}});
    if (auto path = services_.forms.openFile(&window_, options))
        client_->setText(*path);
    if (!ec)
        std::filesystem::current_path(remembered, ec);
}

void CLauncherTab::OnLaunch()
{
    const std::string name = name_->text();
    const std::string account = account_->text();
    const std::string port = port_->text();
    const std::string ip = ip_->text();
    const std::string password = password_->text();
    const std::string& dir = clientDirectory_;

    // A login.cfg cut short (a full disk) would send the client to no server: it fails like one
    // that cannot be opened.
    bool opened = false;
    if (!writeWholeFile(dir + "login.cfg", LoginConfigText(name, ip, port), opened)) {
        message("Could not open login.cfg file for writing.", MessageIcon::Exclamation);
        return;
    }

    // A kz.cfg that is a link stays one: the file it leads to is the one replaced, from a
    // temporary file in that file's folder (a rename cannot carry it to another file system).
    const std::string named = dir + "kz.cfg";
    const std::string target = platform::followLinks(named).value_or(named);
    std::string old;
    if (!readWholeFile(target, old)) {
        message("Could not open kz.cfg file from reading.", MessageIcon::Exclamation);
        return;
    }

    const std::string temporary = target.substr(0, target.find_last_of('/') + 1) + "kz.caliper";
    if (!writeWholeFile(temporary, RewriteKzConfig(old, name, account, EncodeConfigPassword(password)), opened)) {
        // A temporary file cut short (a full disk) must never replace the client's settings.
        if (opened)
            std::remove(temporary.c_str());
        message("Could not open temporary file for writing.", MessageIcon::Exclamation);
        return;
    }

    ReplaceContext context{services_.files, services_.clock, services_.forms, &window_};
    ReplaceConfigFile(temporary, target, context);

    std::string program = client_->text().empty() ? dir + kClientProgram : client_->text();
    if (program.find('/') == std::string::npos)
        program = "./" + program; // a bare name means the file in the client's folder, not a PATH search
    // The client runs on its own: a signal meant for the launcher's group does not end it.
    services_.processes.spawn({program}, dir, platform::SpawnOptions{.newProcessGroup = true});
}

} // namespace gatehouse
