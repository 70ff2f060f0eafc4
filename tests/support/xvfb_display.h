/** @file A private X display for tests that open real windows: Xvfb on a free display number. */
#pragma once

#include "tests/support/temp_dir.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class PosixProcessLauncher;
}

namespace testsupport {

/** Starts Xvfb on a display number it finds free and stops it when destroyed. */
class XvfbDisplay {
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    /** False when Xvfb is not installed or did not come up. */
    bool ready() const { return !name_.empty(); }
    /** The display name, such as ":93". */
    const std::string& name() const { return name_; }

    /**
     * Runs a program on this display (DISPLAY and the extra variables set in this process while
     * it starts) in folder, and returns its exit code; nullopt when it could not start or did
     * not end within timeoutMs (it is then ended).
     */
    std::optional<int> run(const std::vector<std::string>& argv, const std::string& folder,
                           const std::vector<std::pair<std::string, std::string>>& environment, int timeoutMs);

    /**
     * Runs a tool built beside the tests (program is its path below KZ_TEST_BINARY_DIR, such as
     * "cfgtool/cfgtool") in folder, in its smoke mode: it shows its window for a moment and
     * closes it. Returns its exit code as run() does; nullopt also without KZ_TEST_BINARY_DIR.
     */
    std::optional<int> runToolSmoke(const std::string& program, const std::string& folder,
                                    std::vector<std::pair<std::string, std::string>> environment = {});

private:
    std::unique_ptr<platform::PosixProcessLauncher> launcher_;
    TempDir folder_; // holds the display number the server announces
    std::optional<int64_t> server_;
    std::string name_;
};

/** The path of Xvfb, or empty when it is not installed. */
std::string findXvfb();

} // namespace testsupport
