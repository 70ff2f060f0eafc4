/** @file TCP client sockets over the POSIX socket calls, and the in-memory fake. */
#include "platform/net/tcp_socket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

bool wouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

class PosixTcpSocket final : public TcpSocket {
public:
    ~PosixTcpSocket() override { close(); }

    NetResult connect(uint32_t address, uint16_t port) override
    {
        if (connected_)
            return {NetStatus::Ok, 0, 0};
        if (fd_ >= 0)
            return finishConnect();

        fd_ = ::socket(AF_INET, SOCK_STREAM | (blocking_ ? 0 : SOCK_NONBLOCK) | SOCK_CLOEXEC, 0);
        if (fd_ < 0)
            return {NetStatus::Error, 0, errno};
        applyNoDelay();
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        peer.sin_addr.s_addr = htonl(address);
        int result = ::connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
        if (result != 0 && errno == EINTR && blocking_) {
            // An interrupted blocking connect goes on in the background: wait for its end.
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, -1);
            return finishConnect();
        }
        if (result == 0) {
            connected_ = true;
            return {NetStatus::Ok, 0, 0};
        }
        const int error = errno;
        if (error == EINPROGRESS || error == EINTR)
            return {NetStatus::WouldBlock, 0, 0};
        return fail(error);
    }

    NetResult send(const void* data, size_t size) override
    {
        if (fd_ < 0)
            return {NetStatus::Closed, 0, 0};
        if (!connected_)
            return {NetStatus::WouldBlock, 0, 0};
        for (;;) {
            // MSG_NOSIGNAL: a peer that went away must give an error here, not end the process.
            const ssize_t n = ::send(fd_, data, size, MSG_NOSIGNAL);
            if (n >= 0)
                return {NetStatus::Ok, static_cast<size_t>(n), 0};
            if (errno == EINTR)
                continue;
            if (wouldBlock(errno))
                return {NetStatus::WouldBlock, 0, 0};
            return fail(errno);
        }
    }

    NetResult receive(void* buffer, size_t capacity) override
    {
        if (fd_ < 0)
            return {NetStatus::Closed, 0, 0};
        if (!connected_)
            return {NetStatus::WouldBlock, 0, 0};
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer, capacity, 0);
            if (n > 0)
                return {NetStatus::Ok, static_cast<size_t>(n), 0};
            if (n == 0)
                return {NetStatus::Closed, 0, 0};
            if (errno == EINTR)
                continue;
            if (wouldBlock(errno))
                return {NetStatus::WouldBlock, 0, 0};
            return fail(errno);
        }
    }

    bool readable() override
    {
        if (fd_ < 0 || !connected_)
            return false;
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

    void close() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        connected_ = false;
    }

    bool isOpen() const override { return fd_ >= 0; }
    bool isConnected() const override { return connected_; }

    Readiness poll(bool wantWrite) override
    {
        Readiness r;
        if (fd_ < 0)
            return r;
        pollfd p{fd_, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0};
        if (::poll(&p, 1, 0) <= 0)
            return r;
        r.failed = (p.revents & (POLLERR | POLLNVAL)) != 0;
        // A hang-up reads as the end of the stream: receive() reports it.
        r.readable = (p.revents & (POLLIN | POLLHUP)) != 0;
        r.writable = (p.revents & POLLOUT) != 0;
        return r;
    }

    void setBlocking(bool blocking) override
    {
        blocking_ = blocking;
        if (fd_ < 0)
            return;
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags >= 0)
            ::fcntl(fd_, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
    }

    void setNoDelay(bool noDelay) override
    {
        noDelay_ = noDelay;
        applyNoDelay();
    }

private:
    void applyNoDelay()
    {
        if (fd_ < 0)
            return;
        const int on = noDelay_ ? 1 : 0;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }

    /** A connect under way: done once the socket is writable; its pending error says how it ended. */
    NetResult finishConnect()
    {
        pollfd p{fd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, 0);
        if (ready < 0 && errno != EINTR)
            return fail(errno);
        if (ready <= 0)
            return {NetStatus::WouldBlock, 0, 0};
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            return fail(errno);
        if (error != 0)
            return fail(error);
        connected_ = true;
        return {NetStatus::Ok, 0, 0};
    }

    NetResult fail(int error)
    {
        close();
        return {NetStatus::Error, 0, error};
    }

    int fd_ = -1;
    bool connected_ = false;
    bool blocking_ = false;
    bool noDelay_ = false;
};

} // namespace

std::unique_ptr<TcpSocket> makeTcpSocket()
{
    return std::make_unique<PosixTcpSocket>();
}

// ---- FakeTcpSocket -----------------------------------------------------------------------

NetResult FakeTcpSocket::connect(uint32_t address, uint16_t port)
{
    ++connectCalls_;
    address_ = address;
    port_ = port;
    if (connected_)
        return {NetStatus::Ok, 0, 0};
    open_ = true;
    NetStatus answer = NetStatus::Ok;
    if (!connectScript_.empty()) {
        answer = connectScript_.front();
        connectScript_.pop_front();
    }
    if (answer == NetStatus::Ok)
        connected_ = true;
    else if (answer == NetStatus::Error || answer == NetStatus::Closed)
        close();
    return {answer, 0, answer == NetStatus::Error ? ECONNREFUSED : 0};
}

NetResult FakeTcpSocket::send(const void* data, size_t size)
{
    if (!open_)
        return {NetStatus::Closed, 0, 0};
    if (!connected_)
        return {NetStatus::WouldBlock, 0, 0};
    if (sendError_ != 0) {
        const int error = sendError_;
        sendError_ = 0;
        close();
        return {NetStatus::Error, 0, error};
    }
    size_t n = sendLimit_ != 0 && size > sendLimit_ ? sendLimit_ : size;
    const size_t room = sent_.size() < sendStall_ ? sendStall_ - sent_.size() : 0;
    n = n < room ? n : room;
    if (n == 0 && size > 0)
        return {NetStatus::WouldBlock, 0, 0};
    const auto* bytes = static_cast<const uint8_t*>(data);
    sent_.insert(sent_.end(), bytes, bytes + n);
    return {NetStatus::Ok, n, 0};
}

Readiness FakeTcpSocket::poll(bool wantWrite)
{
    Readiness r;
    if (!open_)
        return r;
    r.failed = failed_;
    r.readable = connected_ && (!incoming_.empty() || peerClosed_ || receiveError_ != 0);
    r.writable = wantWrite && connected_ && sent_.size() < sendStall_;
    return r;
}

NetResult FakeTcpSocket::receive(void* buffer, size_t capacity)
{
    if (!open_)
        return {NetStatus::Closed, 0, 0};
    if (!connected_)
        return {NetStatus::WouldBlock, 0, 0};
    if (incoming_.empty()) {
        if (receiveError_ != 0) {
            const int error = receiveError_;
            receiveError_ = 0;
            close();
            return {NetStatus::Error, 0, error};
        }
        return {peerClosed_ ? NetStatus::Closed : NetStatus::WouldBlock, 0, 0};
    }
    std::vector<uint8_t>& chunk = incoming_.front();
    const size_t n = std::min(capacity, chunk.size());
    std::memcpy(buffer, chunk.data(), n);
    chunk.erase(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    if (chunk.empty())
        incoming_.pop_front();
    return {NetStatus::Ok, n, 0};
}

void FakeTcpSocket::close()
{
    open_ = false;
    connected_ = false;
}

} // namespace platform
