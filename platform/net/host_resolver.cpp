/** @file Host name look-up through getaddrinfo, and its table-driven fake. */
#include "platform/net/host_resolver.h"

#include <algorithm>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

class SystemHostResolver final : public HostResolver {
public:
    int resolve(const char* host, uint32_t* addresses, int capacity) override
    {
        if (host == nullptr || *host == 0 || capacity <= 0)
            return 0;
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (::getaddrinfo(host, nullptr, &hints, &list) != 0)
            return 0;
        int count = 0;
        for (const addrinfo* at = list; at != nullptr && count < capacity; at = at->ai_next) {
            if (at->ai_family != AF_INET || at->ai_addr == nullptr)
                continue;
            sockaddr_in address{};
            std::copy_n(reinterpret_cast<const unsigned char*>(at->ai_addr), sizeof address,
                        reinterpret_cast<unsigned char*>(&address));
            const uint32_t value = ntohl(address.sin_addr.s_addr);
            bool seen = false;
            for (int i = 0; i < count; ++i)
                seen = seen || addresses[i] == value;
            if (!seen)
                addresses[count++] = value;
        }
        ::freeaddrinfo(list);
        return count;
    }

    uint32_t localHostAddress() override
    {
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) != 0)
            return 0;
        uint32_t address = 0;
        return resolve(name, &address, 1) == 1 ? address : 0;
    }
};

} // namespace

std::unique_ptr<HostResolver> makeHostResolver()
{
    return std::make_unique<SystemHostResolver>();
}

int FakeHostResolver::resolve(const char* host, uint32_t* addresses, int capacity)
{
    ++lookups_;
    const auto found = hosts_.find(host != nullptr ? host : "");
    if (found == hosts_.end())
        return 0;
    int count = 0;
    for (uint32_t address : found->second) {
        if (count >= capacity)
            break;
        addresses[count++] = address;
    }
    return count;
}

} // namespace platform
