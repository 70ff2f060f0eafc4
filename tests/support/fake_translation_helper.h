/** @file A loopback stand-in for the translation helper program: listens on 127.0.0.1 and answers requests. */
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

/**
 * Listens on 127.0.0.1 at a free port and serves one connection on a thread of its own.
 * Each request {u32 id, u32 source, u32 target, UTF-16 text + NUL} is recorded and answered
 * with {u32 id, 8 zero bytes, "<" + text + ">" as UTF-16 + NUL}, shaped by the mode:
 * - Normal: one send per reply.
 * - Split: the first kSplitAt bytes of each reply, then the rest once releaseRest() is called.
 * - Pair: replies wait until two requests are in, then both go in one send.
 * - NeverAccept: listens but never accepts, so nothing is ever read or answered.
 */
class FakeTranslationHelper {
public:
    enum class Mode { Normal, Split, Pair, NeverAccept };
    static constexpr size_t kSplitAt = 7;

    struct Request {
        uint32_t id = 0;
        uint32_t source = 0;
        uint32_t target = 0;
        std::u16string text;
    };

    explicit FakeTranslationHelper(Mode mode);
    ~FakeTranslationHelper();
    FakeTranslationHelper(const FakeTranslationHelper&) = delete;
    FakeTranslationHelper& operator=(const FakeTranslationHelper&) = delete;

    uint16_t port() const { return port_; }
    /** Waits (at most timeoutMs of real time) until n requests have arrived. */
    bool waitForRequests(size_t n, int timeoutMs = 5000);
    /** Waits until n sends of reply bytes have been made. */
    bool waitForSends(size_t n, int timeoutMs = 5000);
    /** Lets a split reply send its second part. */
    void releaseRest();
    std::vector<Request> requests() const;

    static std::vector<uint8_t> encodeReply(uint32_t id, const std::u16string& text);
    /** The bytes of a request as the client sends it. */
    static std::vector<uint8_t> encodeRequest(uint32_t id, uint32_t source, uint32_t target, const std::u16string& text);

private:
    void serve();
    void sendAll(const std::vector<uint8_t>& bytes);

    Mode mode_;
    int listenFd_ = -1;
    int clientFd_ = -1;
    uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Request> requests_;
    size_t sends_ = 0;
    bool released_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace testsupport
