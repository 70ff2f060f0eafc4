/** @file Host name look-up for IPv4 addresses and the local host's own address; real and fake. */
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

/** Looks host names up (this may wait on the network's name service). Main thread only. */
class HostResolver {
public:
    virtual ~HostResolver() = default;
    /**
     * Up to `capacity` IPv4 addresses of the host in host order (127.0.0.1 is 0x7F000001);
     * returns how many were found, 0 when the name is unknown.
     */
    virtual int resolve(const char* host, uint32_t* addresses, int capacity) = 0;
    /** The first IPv4 address of this machine's own host name; 0 when it has none. */
    virtual uint32_t localHostAddress() = 0;
};

/** The system's resolver (getaddrinfo). */
std::unique_ptr<HostResolver> makeHostResolver();

/** Answers from a table; touches nothing outside and counts its look-ups. */
class FakeHostResolver final : public HostResolver {
public:
    int resolve(const char* host, uint32_t* addresses, int capacity) override;
    uint32_t localHostAddress() override { return localAddress_; }

    void add(const std::string& host, std::vector<uint32_t> addresses) { hosts_[host] = std::move(addresses); }
    void setLocalHostAddress(uint32_t address) { localAddress_ = address; }
    int lookups() const { return lookups_; }

private:
    std::map<std::string, std::vector<uint32_t>> hosts_;
    uint32_t localAddress_ = 0;
    int lookups_ = 0;
};

} // namespace platform
