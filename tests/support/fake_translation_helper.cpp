/** @file The loopback stand-in for the translation helper program. */
#include "tests/support/fake_translation_helper.h"

#include <chrono>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {

uint32_t getLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void putLe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

} // namespace

FakeTranslationHelper::FakeTranslationHelper(Mode mode) : mode_(mode)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        throw std::runtime_error("fake translation helper: no socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd_, 4) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listenFd_);
        throw std::runtime_error("fake translation helper: cannot listen");
    }
    port_ = ntohs(address.sin_port);
    if (mode_ != Mode::NeverAccept)
        thread_ = std::thread([this] { serve(); });
}

FakeTranslationHelper::~FakeTranslationHelper()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (clientFd_ >= 0)
        ::close(clientFd_);
    ::close(listenFd_);
}

namespace {

/** {u32 id, two u32 words, UTF-16 text + NUL}: the shape of both requests and replies. */
std::vector<uint8_t> encodeRecord(uint32_t id, uint32_t first, uint32_t second, const std::u16string& text)
{
    std::vector<uint8_t> out;
    putLe32(out, id);
    putLe32(out, first);
    putLe32(out, second);
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

} // namespace

std::vector<uint8_t> FakeTranslationHelper::encodeReply(uint32_t id, const std::u16string& text)
{
    return encodeRecord(id, 0, 0, text);
}

std::vector<uint8_t> FakeTranslationHelper::encodeRequest(uint32_t id, uint32_t source, uint32_t target,
                                                          const std::u16string& text)
{
    return encodeRecord(id, source, target, text);
}

void FakeTranslationHelper::sendAll(const std::vector<uint8_t>& bytes)
{
    size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::send(clientFd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        at += static_cast<size_t>(n);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++sends_;
    }
    changed_.notify_all();
}

void FakeTranslationHelper::serve()
{
    auto stopping = [this] {
        std::lock_guard<std::mutex> lock(mutex_);
        return stopping_;
    };
    while (!stopping()) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) {
            clientFd_ = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            break;
        }
    }
    if (clientFd_ < 0)
        return;

    std::vector<uint8_t> stream;
    std::vector<uint8_t> heldReplies; // Pair mode: replies waiting for their partner
    while (!stopping()) {
        pollfd p{clientFd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        uint8_t buffer[512];
        const ssize_t n = ::recv(clientFd_, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        stream.insert(stream.end(), buffer, buffer + n);
        for (;;) {
            size_t end = 0;
            for (size_t at = 12; at + 1 < stream.size(); at += 2)
                if (stream[at] == 0 && stream[at + 1] == 0) {
                    end = at + 2;
                    break;
                }
            if (end == 0)
                break;
            Request r;
            r.id = getLe32(stream.data());
            r.source = getLe32(stream.data() + 4);
            r.target = getLe32(stream.data() + 8);
            for (size_t at = 12; at + 2 < end; at += 2)
                r.text.push_back(static_cast<char16_t>(stream[at] | stream[at + 1] << 8));
            stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(end));
            const std::vector<uint8_t> reply = encodeReply(r.id, u"<" + r.text + u">");
            size_t count;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(r);
                count = requests_.size();
            }
            changed_.notify_all();

            switch (mode_) {
            case Mode::Normal:
                sendAll(reply);
                break;
            case Mode::Split: {
                sendAll(std::vector<uint8_t>(reply.begin(), reply.begin() + kSplitAt));
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return released_ || stopping_; });
                released_ = false;
                lock.unlock();
                sendAll(std::vector<uint8_t>(reply.begin() + kSplitAt, reply.end()));
                break;
            }
            case Mode::Pair:
                heldReplies.insert(heldReplies.end(), reply.begin(), reply.end());
                if (count % 2 == 0) {
                    sendAll(heldReplies);
                    heldReplies.clear();
                }
                break;
            case Mode::NeverAccept: break;
            }
        }
    }
}

bool FakeTranslationHelper::waitForRequests(size_t n, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return requests_.size() >= n; });
}

bool FakeTranslationHelper::waitForSends(size_t n, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return sends_ >= n; });
}

void FakeTranslationHelper::releaseRest()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
    }
    changed_.notify_all();
}

std::vector<FakeTranslationHelper::Request> FakeTranslationHelper::requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

} // namespace testsupport
