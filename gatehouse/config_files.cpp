/** @file What the launcher writes for the client. */
#include "gatehouse/config_files.h"

#include "platform/clock/clock.h"
#include "platform/forms/forms.h"

#include <array>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace gatehouse {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kCaption = "gatehouse";

bool isComment(std::string_view line)
{
    const size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == ';';
}

bool isAccountLine(std::string_view line)
{
    // Matched anywhere in the line and with case, as the launcher always has: these are the
    // lines it writes itself at the end.
    static constexpr std::array<std::string_view, 4> kAccountKeys = {"SavePassword=", "AcctID=", "AcctPassword=",
                                                                     "RememberAcctPW"};
    for (std::string_view key : kAccountKeys)
        if (line.find(key) != std::string_view::npos)
            return true;
    return false;
}

} // namespace

std::string LoginConfigText(const std::string& name, const std::string& ip, const std::string& port)
{
    std::string out = "; login.cfg file for the " + name + " server";
    out += kEol;
    out += "LoginServer=" + ip + "," + port;
    out += kEol;
    return out;
}

std::string RewriteKzConfig(const std::string& oldContent, const std::string& name, const std::string& account,
                            const std::string& encodedPassword)
{
    std::string out = "; KZ.CFG for the " + name + " server";
    out += kEol;
    std::string_view rest = oldContent;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (isComment(line) || isAccountLine(line))
            continue;
        out += line;
        out += kEol;
    }
    out += "SavePassword=on";
    out += kEol;
    out += "AcctID=" + account;
    out += kEol;
    out += "AcctPassword=" + encodedPassword;
    out += kEol;
    out += "RememberAcctPW=on";
    out += kEol;
    return out;
}

bool RealFileOps::rename(const std::string& from, const std::string& to, std::string& error)
{
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    if (ec)
        error = ec.message();
    return !ec;
}

std::string BackupStamp(long long wallSeconds)
{
    const std::time_t t = static_cast<std::time_t>(wallSeconds);
    std::tm local{};
    if (const std::tm* tm = std::localtime(&t))
        local = *tm;
    char text[32];
    const size_t n = std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
    return std::string(text, n);
}

bool ReplaceConfigFile(const std::string& temporary, const std::string& target, ReplaceContext& context)
{
    using platform::forms::MessageButtons;
    using platform::forms::MessageIcon;
    using platform::forms::MessageResult;

    std::string error;
    for (int attempt = 1; attempt <= 5; ++attempt) {
        if (context.files.rename(temporary, target, error))
            return true;
        if (attempt < 5)
            context.clock.sleep(500);
    }

    std::string text = "An exception occured while moving files.\n\n" + error +
                       "\n\nThis typically is caused by the Talquin server having the file locked open.\n"
                       "Caliper tries to pause the Talquin server before doing this, but failed.\n";
    text += "Make sure Caliper is able to connect to the Talquin server with the Remote Console\n"
            "or pause the Talquin server manually before attempting a save.\n";
    text += "\n\nCaliper can attempt to rename the existing file, and move in the new file.\nWould you like to try this?";
    if (context.forms.messageBox(context.parent, text, std::string(kCaption), MessageButtons::YesNo,
                                 MessageIcon::Question) != MessageResult::Yes)
        return false;

    const std::string backup = target + "." + BackupStamp(context.clock.wallTime());
    bool moved = context.files.rename(target, backup, error);
    if (moved && !context.files.rename(temporary, target, error)) {
        // Never leave the client without its settings: put the old file back.
        std::string ignored;
        context.files.rename(backup, target, ignored);
        moved = false;
    }
    if (!moved) {
        context.forms.messageBox(context.parent, "Rename failed.", std::string(kCaption), MessageButtons::Ok,
                                 MessageIcon::Stop);
        return false;
    }
    context.forms.messageBox(context.parent,
                             "Rename was successful.  Tne backup file is now stored in\n" + backup +
                                 "\n\nYou may need to manually pause and resync your\nserver for the changes to take effect.",
                             std::string(kCaption), MessageButtons::Ok, MessageIcon::Information);
    return true;
}

} // namespace gatehouse
