/** @file TCP client sockets: non-blocking connect, send and receive with explicit results; real and fake. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

namespace platform {

/** Readiness of a socket at this moment (a zero time-out look, never a wait). */
struct Readiness {
    bool readable = false; // data, the peer's close or an error waits for receive()
    bool writable = false; // send() would take bytes now
    bool failed = false;   // the socket is in an error state
};

/** What one socket call achieved. Never a bare -1: the caller always knows which case it is in. */
enum class NetStatus {
    Ok,         // done (connected, or some bytes moved)
    WouldBlock, // nothing could be done now; try again later
    Closed,     // the peer closed the connection in order (receive), or the socket is not open
    Error,      // the connection failed; the socket is closed and must be replaced
};

struct NetResult {
    NetStatus status = NetStatus::Error;
    size_t bytes = 0;   // bytes sent or received when status is Ok
    int errorCode = 0;  // the system's error number when status is Error (0 when unknown)
};

/**
 * One TCP connection to an IPv4 address, never blocking. connect() starts the connection and,
 * called again, reports how it goes: WouldBlock while it is under way, Ok once it stands, Error
 * when it failed (the socket is then closed; a later connect() starts afresh). send() and
 * receive() move what they can at once. Writing to a connection the peer has closed reports
 * Error, never a signal. Main thread only; one object per connection.
 */
class TcpSocket {
public:
    virtual ~TcpSocket() = default;
    /** Address and port in host order (127.0.0.1 is 0x7F000001). */
    virtual NetResult connect(uint32_t address, uint16_t port) = 0;
    virtual NetResult send(const void* data, size_t size) = 0;
    virtual NetResult receive(void* buffer, size_t capacity) = 0;
    /** True when a receive would not block (data, end of stream or an error is waiting). */
    virtual bool readable() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual bool isConnected() const = 0;
    /** Readiness without waiting; writability is asked only when wantWrite is set. */
    virtual Readiness poll(bool wantWrite) = 0;
    /**
     * In blocking mode connect() waits until the connection stands or fails and send() waits
     * until it has taken bytes. Applies at once and to a socket connect() creates later.
     */
    virtual void setBlocking(bool blocking) = 0;
    /** Sends small writes at once instead of gathering them (TCP_NODELAY); also for later sockets. */
    virtual void setNoDelay(bool noDelay) = 0;
};

/** A socket of the operating system. */
std::unique_ptr<TcpSocket> makeTcpSocket();

/**
 * An in-memory socket for tests: connect answers from a script, send records every byte, and
 * receive hands out scripted chunks one per call (a chunk larger than the buffer is handed out
 * in slices). Touches nothing outside.
 */
class FakeTcpSocket final : public TcpSocket {
public:
    NetResult connect(uint32_t address, uint16_t port) override;
    NetResult send(const void* data, size_t size) override;
    NetResult receive(void* buffer, size_t capacity) override;
    bool readable() override { return open_ && connected_ && !incoming_.empty(); }
    void close() override;
    bool isOpen() const override { return open_; }
    bool isConnected() const override { return connected_; }
    Readiness poll(bool wantWrite) override;
    void setBlocking(bool blocking) override { blocking_ = blocking; }
    void setNoDelay(bool noDelay) override { noDelay_ = noDelay; }

    /** The answers of the next connect() calls, in order; when used up, connect() succeeds. */
    void scriptConnect(std::vector<NetStatus> answers) { connectScript_.assign(answers.begin(), answers.end()); }
    /** One chunk of bytes to be handed out by a later receive(). */
    void pushIncoming(std::vector<uint8_t> chunk) { incoming_.push_back(std::move(chunk)); }
    /** Makes the next receive() (once no chunk is waiting) report the peer's close. */
    void closeFromPeer() { peerClosed_ = true; }
    /** The next receive() (once no chunk is waiting) reports this error instead of waiting. */
    void failNextReceive(int error) { receiveError_ = error; }
    /** Makes poll() report the error state. */
    void setFailed(bool failed) { failed_ = failed; }
    /** send() takes at most this many bytes per call (0: all); with `stallAfter` bytes taken in all, none more. */
    void limitSends(size_t perCall, size_t stallAfter = SIZE_MAX)
    {
        sendLimit_ = perCall;
        sendStall_ = stallAfter;
    }
    /** The next send() fails with this error. */
    void failNextSend(int error) { sendError_ = error; }
    bool blocking() const { return blocking_; }
    bool noDelay() const { return noDelay_; }

    const std::vector<uint8_t>& sent() const { return sent_; }
    int connectCalls() const { return connectCalls_; }
    uint32_t lastAddress() const { return address_; }
    uint16_t lastPort() const { return port_; }

private:
    std::deque<NetStatus> connectScript_;
    std::deque<std::vector<uint8_t>> incoming_;
    std::vector<uint8_t> sent_;
    bool open_ = false;
    bool connected_ = false;
    bool peerClosed_ = false;
    bool failed_ = false;
    bool blocking_ = false;
    bool noDelay_ = false;
    int receiveError_ = 0;
    int sendError_ = 0;
    size_t sendLimit_ = 0;
    size_t sendStall_ = SIZE_MAX;
    int connectCalls_ = 0;
    uint32_t address_ = 0;
    uint16_t port_ = 0;
};

} // namespace platform
