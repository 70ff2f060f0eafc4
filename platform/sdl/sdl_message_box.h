/** @file Message boxes shown by SDL, with stderr when there is no screen to show them on. */
#pragma once

#include "platform/message_box/message_box.h"

namespace platform {

/**
 * Shows a simple SDL message box and waits for OK. Under the dummy video driver, or when SDL
 * cannot show a box, writes "caption: text" to stderr instead, so headless runs never block.
 */
class SdlMessageBoxSink final : public MessageBoxSink {
public:
    int show(const std::string& caption, const std::string& text, BoxIcon icon) override;
};

} // namespace platform
