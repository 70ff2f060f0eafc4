/** @file UDP datagram sockets for the answer-time test: bind, send and receive without blocking; real and fake. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/net/tcp_socket.h"

namespace platform {

/**
 * One IPv4 datagram socket, never blocking. open() makes it; bind() takes a local port on any
 * local address; sendTo() sends one datagram; receiveFrom() takes one waiting datagram (cut to
 * the buffer) and says who sent it. Main thread only.
 */
class UdpSocket {
public:
    virtual ~UdpSocket() = default;
    virtual bool open() = 0;
    virtual bool bind(uint16_t port) = 0;
    /** Address and port in host order. */
    virtual NetResult sendTo(uint32_t address, uint16_t port, const void* data, size_t size) = 0;
    virtual NetResult receiveFrom(void* buffer, size_t capacity, uint32_t* address, uint16_t* port) = 0;
    virtual void close() = 0;
};

std::unique_ptr<UdpSocket> makeUdpSocket();

/** Records datagrams sent and hands out scripted ones; open, bind and send can be made to fail. */
class FakeUdpSocket final : public UdpSocket {
public:
    struct Datagram {
        uint32_t address = 0;
        uint16_t port = 0;
        std::vector<uint8_t> bytes;
    };

    bool open() override { return opened_ = openWorks_; }
    bool bind(uint16_t port) override
    {
        boundPort_ = port;
        return bindWorks_;
    }
    NetResult sendTo(uint32_t address, uint16_t port, const void* data, size_t size) override;
    NetResult receiveFrom(void* buffer, size_t capacity, uint32_t* address, uint16_t* port) override;
    void close() override { closed_ = true; }

    void failOpen() { openWorks_ = false; }
    void failBind() { bindWorks_ = false; }
    /** The next `count` sendTo() calls report WouldBlock. */
    void blockSends(int count) { blockedSends_ = count; }
    void pushIncoming(Datagram datagram) { incoming_.push_back(std::move(datagram)); }

    const std::vector<Datagram>& sent() const { return sent_; }
    uint16_t boundPort() const { return boundPort_; }
    bool closed() const { return closed_; }

private:
    std::vector<Datagram> sent_;
    std::deque<Datagram> incoming_;
    bool openWorks_ = true;
    bool bindWorks_ = true;
    bool opened_ = false;
    bool closed_ = false;
    int blockedSends_ = 0;
    uint16_t boundPort_ = 0;
};

} // namespace platform
