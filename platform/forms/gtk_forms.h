/** @file The GTK 3 form kit: the real backend of the two tools. */
#pragma once

#include "platform/forms/forms.h"

#include <memory>

namespace platform::forms {

/**
 * Opens the display and returns the GTK kit, or null when no display can be opened.
 * With KZ_FORMS_SMOKE set in the environment, run() shows the main window, handles events
 * for a moment and then closes it, so a start-up check needs no user.
 */
std::unique_ptr<FormKit> makeGtkFormKit();

} // namespace platform::forms
