/** @file UDP datagram sockets over the POSIX calls, and the recording fake. */
#include "platform/net/udp_socket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

class PosixUdpSocket final : public UdpSocket {
public:
    ~PosixUdpSocket() override { close(); }

    bool open() override
    {
        close();
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        return fd_ >= 0;
    }

    bool bind(uint16_t port) override
    {
        if (fd_ < 0)
            return false;
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(port);
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        return ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    }

    NetResult sendTo(uint32_t address, uint16_t port, const void* data, size_t size) override
    {
        if (fd_ < 0)
            return {NetStatus::Closed, 0, 0};
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        peer.sin_addr.s_addr = htonl(address);
        const ssize_t n = ::sendto(fd_, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
        if (n >= 0)
            return {NetStatus::Ok, static_cast<size_t>(n), 0};
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return {NetStatus::WouldBlock, 0, 0};
        return {NetStatus::Error, 0, errno};
    }

    NetResult receiveFrom(void* buffer, size_t capacity, uint32_t* address, uint16_t* port) override
    {
        if (fd_ < 0)
            return {NetStatus::Closed, 0, 0};
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const ssize_t n = ::recvfrom(fd_, buffer, capacity, 0, reinterpret_cast<sockaddr*>(&peer), &length);
        if (n >= 0) {
            if (address != nullptr)
                *address = ntohl(peer.sin_addr.s_addr);
            if (port != nullptr)
                *port = ntohs(peer.sin_port);
            return {NetStatus::Ok, static_cast<size_t>(n), 0};
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return {NetStatus::WouldBlock, 0, 0};
        return {NetStatus::Error, 0, errno};
    }

    void close() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

} // namespace

std::unique_ptr<UdpSocket> makeUdpSocket()
{
    return std::make_unique<PosixUdpSocket>();
}

NetResult FakeUdpSocket::sendTo(uint32_t address, uint16_t port, const void* data, size_t size)
{
    if (!opened_ || closed_)
        return {NetStatus::Closed, 0, 0};
    if (blockedSends_ > 0) {
        --blockedSends_;
        return {NetStatus::WouldBlock, 0, 0};
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    sent_.push_back(Datagram{address, port, std::vector<uint8_t>(bytes, bytes + size)});
    return {NetStatus::Ok, size, 0};
}

NetResult FakeUdpSocket::receiveFrom(void* buffer, size_t capacity, uint32_t* address, uint16_t* port)
{
    if (!opened_ || closed_)
        return {NetStatus::Closed, 0, 0};
    if (incoming_.empty())
        return {NetStatus::WouldBlock, 0, 0};
    const Datagram d = std::move(incoming_.front());
    incoming_.pop_front();
    const size_t n = std::min(capacity, d.bytes.size());
    if (n > 0)
        std::memcpy(buffer, d.bytes.data(), n);
    if (address != nullptr)
        *address = d.address;
    if (port != nullptr)
        *port = d.port;
    return {NetStatus::Ok, n, 0};
}

} // namespace platform
