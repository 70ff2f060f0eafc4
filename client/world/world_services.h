/** @file What the world model asks of the windows, the network and sound: gump clean-up and refreshes, party membership, requests to the server, footsteps. */
#pragma once

#include <cstdint>

class CGump;
class CBarkGump;
class CObj;
class CDynamicObj;
class CContainerObj;
class CMobile;

/**
 * The in-game windows as the world sees them. The defaults do nothing and answer "none", which
 * is what the world needs without windows (tests, tools). Main thread only.
 */
class WorldGumpServices {
public:
    virtual ~WorldGumpServices() = default;
    /** The party table holds this serial (kept off the map out of range, never purged). */
    virtual bool IsPartyMember(uint32_t /*serial*/) { return false; }
    // The overhead messages go to the installed OverheadMessageServices unless a class overrides them.
    virtual void TrimOverheadMessages(CObj& object);
    virtual void ClearOverheadMessages(CObj& object);
    virtual void DeleteAllOverheadMessages(CObj& object);
    virtual void AddOverheadMessage(CObj& object, const char* text, int32_t hue, int32_t font);
    virtual void RepositionOverheadMessages(CObj& object);
    /**
     * The object goes away: every gump that shows or targets it (container gumps and their
     * children, the world view's pending and hovered object, target gumps) forgets it.
     */
    virtual void ForgetObject(CDynamicObj& /*object*/) {}
    /** Deletes a gump the world held (a container's open gump, a map item's course gump, a trade gump). */
    virtual void DeleteGump(CGump* /*gump*/) {}
    /** Deletes every gump attached to the mobile (it turned grey). */
    virtual void DeleteGumpsOfMobile(CMobile& /*mobile*/) {}
    /** Paperdolls showing the mobile redraw its equipment. */
    virtual void RefreshPaperdolls(CMobile& /*mobile*/) {}
    /** The container's gump shows a change of its contents (book, spellbook, shop or container gump). */
    virtual void ContentsChanged(CContainerObj& /*container*/, CObj* /*item*/) {}
    /** The radar re-renders (the light changed). */
    virtual void RenderRadar() {}
    /** The pick-up made a drag gump for the picked item (its description is in the pick-up record). */
    virtual void CreateDragGump() {}
    /** The stack amount gump of the item; false when it cannot open. */
    virtual bool OpenStackGump(CObj& /*object*/) { return false; }
    /** A map item's open course gump, or null; brought to the front by the use of the item. */
    virtual CGump* FindCourseGump(CObj& /*object*/) { return nullptr; }
    virtual void BringToFront(CGump* /*gump*/) {}
    /** The world view forgets its pending object (the pick-up). */
    virtual void ClearPendingObject() {}
    /** A system message in the game screen. */
    virtual void ShowSystemMessage(const char* /*text*/) {}
    /** Starts the targeted command "scroll" of the given type (a used scroll). */
    virtual void StartScrollTarget(int32_t /*type*/) {}
    /** A step was requested or shown: the bank box's gump and every container gump out of reach close. */
    virtual void CloseContainersOutOfReach() {}
};

/**
 * Window services that stand on the ones installed before them: every call goes on to `next`
 * unless a subclass takes it, so each game window installs its own part whatever the order.
 * `next` must be set before the services are installed.
 */
class ForwardingWorldGumpServices : public WorldGumpServices {
public:
    WorldGumpServices* next = nullptr;

    bool IsPartyMember(uint32_t serial) override { return next->IsPartyMember(serial); }
    void TrimOverheadMessages(CObj& o) override { next->TrimOverheadMessages(o); }
    void ClearOverheadMessages(CObj& o) override { next->ClearOverheadMessages(o); }
    void DeleteAllOverheadMessages(CObj& o) override { next->DeleteAllOverheadMessages(o); }
    void AddOverheadMessage(CObj& o, const char* text, int32_t hue, int32_t font) override
    {
        next->AddOverheadMessage(o, text, hue, font);
    }
    void RepositionOverheadMessages(CObj& o) override { next->RepositionOverheadMessages(o); }
    void ForgetObject(CDynamicObj& o) override { next->ForgetObject(o); }
    void DeleteGump(CGump* gump) override { next->DeleteGump(gump); }
    void DeleteGumpsOfMobile(CMobile& m) override { next->DeleteGumpsOfMobile(m); }
    void RefreshPaperdolls(CMobile& m) override { next->RefreshPaperdolls(m); }
    void ContentsChanged(CContainerObj& container, CObj* item) override { next->ContentsChanged(container, item); }
    void RenderRadar() override { next->RenderRadar(); }
    void CreateDragGump() override { next->CreateDragGump(); }
    bool OpenStackGump(CObj& o) override { return next->OpenStackGump(o); }
    CGump* FindCourseGump(CObj& o) override { return next->FindCourseGump(o); }
    void BringToFront(CGump* gump) override { next->BringToFront(gump); }
    void ClearPendingObject() override { next->ClearPendingObject(); }
    void ShowSystemMessage(const char* text) override { next->ShowSystemMessage(text); }
    void StartScrollTarget(int32_t type) override { next->StartScrollTarget(type); }
    void CloseContainersOutOfReach() override { next->CloseContainersOutOfReach(); }
};

/**
 * The texts shown over objects, kept apart from the other windows so that the texts and the
 * windows install independently. The defaults show nothing. Main thread only.
 */
class OverheadMessageServices {
public:
    virtual ~OverheadMessageServices() = default;
    /** Deletes every non-persistent overhead message of the object while more than two remain (oldest first). */
    virtual void TrimOverheadMessages(CObj& /*object*/) {}
    /** Deletes every non-persistent overhead message. */
    virtual void ClearOverheadMessages(CObj& /*object*/) {}
    /** Deletes every overhead message (the object goes away); the object's chain head must end null. */
    virtual void DeleteAllOverheadMessages(CObj& /*object*/) {}
    /** Creates a message over the object (the head of its chain). */
    virtual void AddOverheadMessage(CObj& /*object*/, const char* /*text*/, int32_t /*hue*/, int32_t /*font*/) {}
    /** Moves the object's messages with it after a step frame. */
    virtual void RepositionOverheadMessages(CObj& /*object*/) {}
};

/** The requests the world sends to the game server. The defaults send nothing. */
class WorldNetServices {
public:
    virtual ~WorldNetServices() = default;
    /** 0x06: use an object. */
    virtual void SendUseObject(uint32_t /*serial*/) {}
    /** 0x07: pick an item up. */
    virtual void SendPickUp(uint32_t /*serial*/, uint16_t /*amount*/) {}
    /** 0x71 operation 4: a bulletin board message. */
    virtual void SendBoardMessageRequest(uint32_t /*board*/, uint32_t /*message*/) {}
    /** 0x6F action 1: close a trade with the partner. */
    virtual void SendTradeClose(uint32_t /*partner*/) {}
};

/** Sounds of the world: footsteps. The defaults play nothing. */
class WorldSoundServices {
public:
    virtual ~WorldSoundServices() = default;
    /** At the listener (the player's own steps). */
    virtual void PlaySound(int32_t /*sound*/) {}
    /** At a place of the world. */
    virtual void PlaySoundAt(int32_t /*sound*/, int32_t /*x*/, int32_t /*y*/) {}
    /** The Footsteps setting. */
    virtual bool FootstepsOn() { return false; }
};

/** Each installer takes null to put back the defaults. */
void SetWorldGumpServices(WorldGumpServices* services);
WorldGumpServices& worldGumps();
void SetOverheadMessageServices(OverheadMessageServices* services);
OverheadMessageServices& overheadMessages();
void SetWorldNetServices(WorldNetServices* services);
WorldNetServices& worldNet();
void SetWorldSoundServices(WorldSoundServices* services);
WorldSoundServices& worldSound();
