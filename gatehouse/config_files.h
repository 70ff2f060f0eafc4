/** @file What the launcher writes for the client: login.cfg, the account lines of kz.cfg, and the swap of kz.cfg. */
#pragma once

#include <string>

namespace platform {
class Clock;
}
namespace platform::forms {
class FormKit;
class Window;
}

namespace gatehouse {

/** The two lines of login.cfg for one server, CR LF ended. */
std::string LoginConfigText(const std::string& name, const std::string& ip, const std::string& port);

/**
 * The new kz.cfg: a header naming the server, every line of the old file except comments (first
 * non-blank character ";") and the four account lines, then those four lines for the account.
 * Old lines are taken with their CR removed; every line is written with CR LF.
 */
std::string RewriteKzConfig(const std::string& oldContent, const std::string& name, const std::string& account,
                            const std::string& encodedPassword);

/** Moving files; a seam so tests can make a rename fail. */
class FileOps {
public:
    virtual ~FileOps() = default;
    /** Renames from over to in one step (an existing to is replaced atomically); on failure fills error. */
    virtual bool rename(const std::string& from, const std::string& to, std::string& error) = 0;
};

/** FileOps on the real file system. */
class RealFileOps final : public FileOps {
public:
    bool rename(const std::string& from, const std::string& to, std::string& error) override;
};

/** What ReplaceConfigFile needs around it. */
struct ReplaceContext {
    FileOps& files;
    platform::Clock& clock; ///< waits between tries; its wall time names the backup
    platform::forms::FormKit& forms;
    platform::forms::Window* parent = nullptr;
};

/**
 * Puts temporary in place of target by an atomic rename, so target is never missing: five tries
 * 500 ms apart; then the user may have the old file renamed to "<target>.<local time>" and the
 * new one moved in. When that second step fails the old file is moved back. Returns true when
 * the new file ended up at target.
 */
bool ReplaceConfigFile(const std::string& temporary, const std::string& target, ReplaceContext& context);

/** The local time of a wall-clock second as "%Y%m%d%H%M%S". */
std::string BackupStamp(long long wallSeconds);

} // namespace gatehouse
