/** @file The network code's platform facilities and its hooks. */
#include "client/net/net_facilities.h"

namespace {

platform::HostResolver& systemResolver()
{
    static std::unique_ptr<platform::HostResolver> resolver = platform::makeHostResolver();
    return *resolver;
}

NetFacilities makeReal()
{
    NetFacilities f;
    f.makeTcpSocket = [] { return platform::makeTcpSocket(); };
    f.makeUdpSocket = [] { return platform::makeUdpSocket(); };
    f.resolver = &systemResolver();
    return f;
}

} // namespace

NetFacilities& netFacilities()
{
    static NetFacilities facilities = makeReal();
    return facilities;
}

void ResetNetFacilities()
{
    netFacilities() = makeReal();
}

NetHooks& netHooks()
{
    static NetHooks hooks;
    return hooks;
}
