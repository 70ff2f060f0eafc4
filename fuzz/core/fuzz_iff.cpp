/** @file Fuzz target: arbitrary bytes walked as a FORM/CHUNK tree, reading strings and integers from every chunk. */
#include "client/core/iff.h"

#include "platform/exit/exit.h"
#include "platform/message_box/message_box.h"

#include <cstddef>
#include <cstdint>

namespace {

/** Fatal reports end in a thrown ExitRequested here; their boxes go nowhere. */
class SilentBoxes final : public platform::MessageBoxSink {
public:
    int show(const std::string&, const std::string&, platform::BoxIcon) override { return 1; }
};

void walkChunk(Iff& iff, IffTag tag)
{
    iff.enterChunk(tag);
    // The chunk's first byte picks a reading pattern, so strings and integers both get exercised.
    const unsigned char pattern = iff.charsLeft() > 0 ? *iff.getCurrentData() : 0;
    char text[16];
    for (int i = 0; i < 8 && iff.charsLeft() >= 4; ++i) {
        if ((pattern >> i) & 1)
            iff.readString(text, sizeof text);
        else
            iff.readInt32((pattern >> 7) & 1);
    }
    iff.exitChunk(tag, (pattern & 0x40) != 0);
}

void walkLevel(Iff& iff, int depth, const unsigned char* end)
{
    while (depth == 0 ? iff.getCurrentData() < end : iff.charsLeft() > 0) {
        if (iff.isForm()) {
            iff.enterForm();
            if (depth < 100)
                walkLevel(iff, depth + 1, end);
            iff.exitForm();
            continue;
        }
        const IffTag tag = iff.getCurrentTag();
        if (tag == 0)
            return;
        walkChunk(iff, tag);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentBoxes boxes;
    platform::ScopedMessageBoxSink boxScope(boxes);
    platform::ScopedExitHook exitHook;
    try {
        Iff iff(data, size);
        iff.setFileName("fuzz.iff");
        walkLevel(iff, 0, data + size);
    } catch (const platform::ExitRequested&) {
        // A damaged tree: reported and stopped, which is what is wanted.
    }
    return 0;
}
