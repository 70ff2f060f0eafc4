/** @file Fuzz target: arbitrary bytes as a section file of numbered strings, then lookups by number, key and frame. */
#include "client/data/language_manager.h"

#include "platform/exit/exit.h"
#include "platform/message_box/message_box.h"

#include <cstddef>
#include <cstdint>

namespace {

class SilentBoxes final : public platform::MessageBoxSink {
public:
    int show(const std::string&, const std::string&, platform::BoxIcon) override { return 1; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentBoxes boxes;
    platform::ScopedMessageBoxSink boxScope(boxes);
    platform::ScopedExitHook exitHook;
    try {
        LanguageSection section;
        if (section.loadFromMemory(data, size, "fuzz.enu")) {
            for (int32_t n : {-1, 0, 1, section.getCount() - 1, section.getCount(), 1000000})
                (void)section.getStr(n, true);
            int32_t index = 0;
            for (int32_t frame : {0, 10, 1000})
                (void)section.getStrForFrame(frame, index);
        }
    } catch (const platform::ExitRequested&) {
        // A damaged file: reported and stopped.
    }
    return 0;
}
