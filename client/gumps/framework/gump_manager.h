/** @file The gump manager: for now the least the application core asks of it. */
#pragma once

#include "client/core/gump_services.h"

// Only what the application core calls until the gump framework brings the full manager.
// Drawing presents the back buffer, since nothing else presents a frame.
class CGumpManager {
public:
    static void startup();
    static void shutdown();
    /** The interface pass of the game tick. */
    static void Update();
    /** Draws every gump over the back buffer, then presents the frame. */
    static void DrawAllGumps(int left, int top, int right, int bottom, int lastPass);
    static void ResetDC();
    static void SaveDesktop();
    static void ProcessDesktopQueue();
    /** True while the restored desktop's open requests are held back. */
    static bool DesktopQueueStopped();
    static CGump* OpenGump(CObj* object, int gumpId, CGump* parent, int flag);
    static CGump* ShowMessageGump(const char* text, CGump* owner, int okButton, int flag, int unicode);

    /** The focused text control, or null. */
    static CFocusedControl* FocusedControl();
    static void SetFocusedControl(CFocusedControl* control);

    /** The manager as the application core calls it; installed by the start-up. */
    static GumpManagerServices& services();
};
