/** @file What the application core asks of the network: the login connection, the polls and the shard connections. */
#pragma once

#include <cstdint>

/**
 * The connection operations the core's loop, tick and login steps call. The network installs
 * its own at start-up; until then (and in the core's own tests) every call does nothing and
 * every question answers "none". Main thread only.
 */
class NetServices {
public:
    virtual ~NetServices() = default;
    /** Makes the main connection to a login server; 1 when it stands. */
    virtual int ConnectToLoginServer() { return 0; }
    /** Polls every open server connection once (receive, dispatch, send). */
    virtual void PollConnections() {}
    virtual void PollMessageSocket() {}
    virtual int OpenServerSession(const char* /*shardName*/, int32_t /*switchId*/) { return 0; }
    virtual void SwitchServerSession(int32_t /*connectionId*/) {}
    virtual void MarkServerSessionClosed() {}
    virtual void SaveActiveSessionState() {}
    /** Quiet: polling or sending without a socket no longer counts as a lost connection. */
    virtual void SetQuiet(bool /*quiet*/) {}
};

/** Installs the network's operations; null puts back the ones that do nothing. */
void SetNetServices(NetServices* services);
NetServices& netServices();
