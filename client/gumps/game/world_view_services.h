/** @file The in-game windows as the world sees them, and the start-up and world entry of the world view. */
#pragma once

#include "client/world/world_services.h"

/**
 * The world view's side of the world's gump services: it keeps its pressed and tracked objects by
 * serial and forgets them with the object. Every call is also passed on to the services installed
 * before it, so the other game windows keep theirs whatever the order of installation.
 */
class GameWorldGumps final : public ForwardingWorldGumpServices {
public:
    bool IsPartyMember(uint32_t serial) override;
    void ForgetObject(CDynamicObj& object) override;
    void BringToFront(CGump* gump) override;
    void ClearPendingObject() override;
};

/**
 * Start-up: makes the world view (once, at the back of the gump list), installs the windows'
 * world services, the gump and mouse managers' questions about world objects, the path walker
 * of the world pass and what the world entry does. Main thread only.
 */
void InstallWorldView();
/** Shutdown: the installed hooks and services go back to their defaults (the view dies with the gump list). */
void UninstallWorldView();
/** The world was entered: the game area is set and the character's desktop restored. */
void EnterWorldView();
