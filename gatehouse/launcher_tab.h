/** @file The launcher's one page: the account list, the account fields, and Launch. */
#pragma once

#include "gatehouse/config_files.h"
#include "platform/forms/forms.h"

#include <string>

namespace platform {
class Clock;
class KeyStore;
class ProcessLauncher;
}

namespace gatehouse {

/** Key of the client's installation; its ExePath value names the client program. */
inline constexpr const char* kClientInstallKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Worlds Vevovo\\Tavorn Vevovo\\1.0";
/** Parent key of the accounts: one subkey per account, named by the account's display name. */
inline constexpr const char* kAccountsKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillfen\\Steward Tools\\Accounts";
/** File name of the client program in its folder. */
inline constexpr const char* kClientProgram = "client";

/** What the launcher works with; every reference outlives the page. */
struct GatehouseServices {
    platform::forms::FormKit& forms;
    platform::KeyStore& keys;
    platform::ProcessLauncher& processes;
    platform::Clock& clock;
    FileOps& files;
};

/**
 * The page. Idle: the list is usable and the fields are read-only copies of the selected
 * account. New or Edit opens the fields; Done stores the account, Cancel drops the changes.
 * Edit, Delete and Launch are usable only while an account is selected.
 */
class CLauncherTab {
public:
    CLauncherTab(platform::forms::Window& window, platform::forms::Container& page, GatehouseServices& services);

    /** Reads the client folder, shows the default client and lists the stored accounts. */
    void OnInitDialog();
    /** Shows the selected account in the fields (or empties them). */
    void OnSelchangeList();
    void OnNew();
    void OnEdit();
    void OnDone();
    void OnCancel();
    void OnDelete();
    void OnBrowse();
    void OnLaunch();

    /** The client's folder with its trailing separator; empty when the install key is missing. */
    const std::string& clientDirectory() const { return clientDirectory_; }

private:
    void refresh();
    void setFieldsEnabled(bool nameToo, bool enabled);
    void enableSelectionButtons();
    void message(const std::string& text, platform::forms::MessageIcon icon);

    platform::forms::Window& window_;
    GatehouseServices& services_;
    platform::forms::ListBox* list_;
    platform::forms::Button* launch_;
    platform::forms::Button* new_;
    platform::forms::Button* delete_;
    platform::forms::Button* edit_;
    platform::forms::Entry* name_;
    platform::forms::Entry* ip_;
    platform::forms::Entry* port_;
    platform::forms::Entry* account_;
    platform::forms::Entry* password_;
    platform::forms::Entry* client_;
    platform::forms::Button* browse_;
    platform::forms::Button* done_;
    platform::forms::Button* cancel_;
    platform::forms::Label* defaultClient_;
    bool editing_ = false;
    std::string clientDirectory_;
};

} // namespace gatehouse
