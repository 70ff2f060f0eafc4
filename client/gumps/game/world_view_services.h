/** @file The in-game windows as the world sees them, and the start-up and world entry of the world view. */
#pragma once

#include "client/world/world_services.h"

/**
 * The world view's side of the world's gump services: it keeps its pressed and tracked objects by
 * serial and forgets them with the object. Every call is also passed on to the services installed
 * before it, so the other game windows keep theirs whatever the order of installation.
 */
class GameWorldGumps final : public WorldGumpServices {
public:
    WorldGumpServices* next = nullptr;

    bool IsPartyMember(uint32_t serial) override;
    void TrimOverheadMessages(CObj& o) override { next->TrimOverheadMessages(o); }
    void ClearOverheadMessages(CObj& o) override { next->ClearOverheadMessages(o); }
    void DeleteAllOverheadMessages(CObj& o) override { next->DeleteAllOverheadMessages(o); }
    void AddOverheadMessage(CObj& o, const char* text, int32_t hue, int32_t font) override
    {
        next->AddOverheadMessage(o, text, hue, font);
    }
    void RepositionOverheadMessages(CObj& o) override { next->RepositionOverheadMessages(o); }
    void ForgetObject(CDynamicObj& object) override;
    void DeleteGump(CGump* gump) override { next->DeleteGump(gump); }
    void DeleteGumpsOfMobile(CMobile& m) override { next->DeleteGumpsOfMobile(m); }
    void RefreshPaperdolls(CMobile& m) override { next->RefreshPaperdolls(m); }
    void ContentsChanged(CContainerObj& container, CObj* item) override { next->ContentsChanged(container, item); }
    void RenderRadar() override { next->RenderRadar(); }
    void CreateDragGump() override { next->CreateDragGump(); }
    bool OpenStackGump(CObj& o) override { return next->OpenStackGump(o); }
    CGump* FindCourseGump(CObj& o) override { return next->FindCourseGump(o); }
    void BringToFront(CGump* gump) override;
    void ClearPendingObject() override;
    void ShowSystemMessage(const char* text) override { next->ShowSystemMessage(text); }
    void StartScrollTarget(int32_t type) override { next->StartScrollTarget(type); }
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
