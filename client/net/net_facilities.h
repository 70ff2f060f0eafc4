/** @file What the network code takes from the platform (sockets, name look-up) and the hooks the higher subsystems install. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/net/host_resolver.h"
#include "platform/net/tcp_socket.h"
#include "platform/net/udp_socket.h"

class CServerSession;

/**
 * The platform facilities every connection is made with. Real by default; tests install fakes
 * or a resolver of their own and put the real ones back with ResetNetFacilities().
 */
struct NetFacilities {
    std::function<std::unique_ptr<platform::TcpSocket>()> makeTcpSocket;
    std::function<std::unique_ptr<platform::UdpSocket>()> makeUdpSocket;
    platform::HostResolver* resolver = nullptr;

    // What the wait cursor of the answer-time test does; empty does nothing.
    std::function<void()> beginWait;
    std::function<void()> endWait;
};
NetFacilities& netFacilities();
void ResetNetFacilities();

/** One item of the connection menu. */
struct SessionMenuItem {
    std::string text;
    bool greyed = false;
    int32_t connectionId = 0;
};

/**
 * What the connection code asks of the world, the renderer and the gumps. Each hook is empty
 * until the subsystem that owns it installs it at start-up; an empty hook is skipped.
 */
struct NetHooks {
    /** The loss procedure's one frame (the game tick's drawing when empty). */
    std::function<void()> drawFrame;
    /** Deletes the gump of an item being dragged, before the "Connection lost" notice. */
    std::function<void()> deleteDragGump;
    /** A system line in the world view (hue 0, font 3); the core's system text when empty. */
    std::function<void(const char* text)> systemMessage;
    /** Releases the world for a server switch: worn items, other objects, map window, walk state. */
    std::function<void()> dropWorldForServerSwitch;
    /** Puts an entry's saved player state back onto the player (serial, state byte, block, view). */
    std::function<void(const CServerSession& session)> restorePlayerState;
    /** Copies the player's state (position, direction, state byte, view, block) into an entry. */
    std::function<void(CServerSession& session)> savePlayerState;
    /** Shows the connection menu at the pointer; the chosen item's index, or -1 for none. */
    std::function<int(const std::vector<SessionMenuItem>& items)> showSessionMenu;
    /** A message of the message service, zero unit excluded. */
    std::function<void(const char16_t* text, size_t units)> messageServiceMessage;
};
NetHooks& netHooks();
