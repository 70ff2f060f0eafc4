/** @file The loopback test server kernel: a listener on 127.0.0.1, the twins of the client's ciphers, a Huffman encoder, the client's framing read back, fault injection and scripted steps. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <nettle/twofish.h>

// This kernel is a second reading of the protocol, written apart from the client's network code:
// its ciphers, its encoder and its framing never call the client's own, so a misreading shared by
// both sides still shows in the fixed-vector tests. Only the constant header is shared.

namespace testsupport {

using Bytes = std::vector<uint8_t>;

/** The login-phase keystream as the server sees it: the byte the client XORs next. */
class LoginKeystream {
public:
    explicit LoginKeystream(uint32_t seed = 0);
    uint8_t next();
    void apply(uint8_t* bytes, size_t count);

private:
    uint32_t a_ = 0;
    uint32_t b_ = 0;
};

/** The game-phase keystream of the client's sends: Twofish over the block 0..255, encrypted again every 256 bytes. */
class GameKeystream {
public:
    explicit GameKeystream(uint32_t seed = 0);
    uint8_t next();
    void apply(uint8_t* bytes, size_t count);
    /** The first 256 bytes of the keystream. */
    const uint8_t* firstBlock() const { return first_; }

private:
    twofish_ctx context_{};
    uint8_t block_[256] = {};
    uint8_t first_[256] = {};
    size_t used_ = 0;
};

/** The 16-byte key the server XORs its game-phase stream with: MD5 of the first keystream block. */
Bytes ReceiveKeyFor(uint32_t seed);

/** One server packet in the game stream's coding: its bytes' codes, the end code, zero bits to the byte's end. */
Bytes HuffmanEncode(const Bytes& packet);

/** The total length of the packet at the head of the bytes by the length table; 0 while its header is incomplete, -1 for an id past the table. */
long PacketLengthAt(const uint8_t* data, size_t available);

/** A packet with its header laid out: a variable-length id gets its total length in bytes 1-2. */
Bytes MakePacket(uint8_t id, const Bytes& body);

/**
 * One test server: listens on 127.0.0.1 on a free port and serves one connection at a time.
 * Step-driven: the test alternates the client's poll with pump() and flush(); nothing blocks
 * except accept() and the waits with time-outs. Everything the client sends is read back through
 * the ciphers of the present phase and cut into packets by the length table.
 */
class LoopbackServer {
public:
    enum class Phase {
        Plain, // an edit-server connection: no seed, nothing enciphered or coded
        Login, // the client's bytes through the login keystream; the server's go out plain
        Game,  // the client's bytes through the Twofish keystream; the server's Huffman-coded and XORed
    };

    /** Listens on the port; 0 takes a free one. */
    explicit LoopbackServer(uint16_t port = 0);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t port() const { return port_; }
    /** A port on 127.0.0.1 where nothing listens: a connect there is refused. */
    static uint16_t refusedPort();

    /** Waits up to timeoutMs for the client's connection; true once accepted. */
    bool accept(int timeoutMs = 2000);
    bool connected() const { return client_ >= 0; }
    /** Reads the 4-byte seed (waiting up to timeoutMs) and keys both keystreams with it. */
    bool readSeed(int timeoutMs = 2000);
    uint32_t seed() const { return seed_; }
    void setPhase(Phase phase) { phase_ = phase; }
    Phase phase() const { return phase_; }

    /** Takes what the client sent without waiting; false once the client closed the connection. */
    bool pump();
    /** The packets read so far, oldest first; a test pops what it has checked. */
    std::deque<Bytes>& received() { return received_; }
    /** Bytes read that do not make a packet yet, or that no length frames. */
    const Bytes& unframed() const { return pending_; }

    /** Queues a packet in the coding of the present phase. */
    void send(const Bytes& packet);
    /** Queues bytes exactly as they are (their coding is the test's business). */
    void sendRaw(const Bytes& bytes);
    /** The coded bytes queued and not yet written. */
    const Bytes& outgoing() const { return outgoing_; }
    /** Writes up to maxBytes of the queue (all by default); the bytes written. */
    size_t flush(size_t maxBytes = SIZE_MAX);
    /** Ends the connection with a reset instead of an orderly close. */
    void closeAbruptly();
    /** Ends the connection in order. */
    void close();

    /**
     * A scripted step: when a packet of this id arrives, the answer packets are sent. Steps are
     * taken in order, each once; packets of other ids stay in received() for the test.
     */
    struct Step {
        uint8_t onId;
        std::function<std::vector<Bytes>(const Bytes& packet)> answer;
    };
    void script(std::vector<Step> steps);
    /** Runs the steps whose packets have arrived; the number of steps taken. */
    int runScript();
    bool scriptDone() const { return steps_.empty(); }

private:
    void frameIncoming();

    int listener_ = -1;
    int client_ = -1;
    uint16_t port_ = 0;
    Phase phase_ = Phase::Login;
    uint32_t seed_ = 0;
    LoginKeystream login_;
    GameKeystream game_;
    Bytes receiveKey_;
    uint64_t sentCount_ = 0;
    Bytes pending_;
    Bytes outgoing_;
    std::deque<Bytes> received_;
    std::deque<Step> steps_;
};

} // namespace testsupport
