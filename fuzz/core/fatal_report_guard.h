/** @file Fuzz support: a damaged input's fatal report ends its reading quietly instead of the run. */
#pragma once

#include "platform/exit/exit.h"
#include "platform/message_box/message_box.h"

#include <string>

namespace testsupport {

/**
 * Runs one reading with the exit hook and a silent message box sink in place: a fatal report
 * (its box goes nowhere, its exit throws) stops the reading, which is the wanted end for a
 * damaged input.
 */
template <class Read>
void readReportingQuietly(Read&& read)
{
    class SilentBoxes final : public platform::MessageBoxSink {
    public:
        int show(const std::string&, const std::string&, platform::BoxIcon) override { return 1; }
    };
    static SilentBoxes boxes;
    platform::ScopedMessageBoxSink boxScope(boxes);
    platform::ScopedExitHook exitHook;
    try {
        read();
    } catch (const platform::ExitRequested&) {
    }
}

} // namespace testsupport
