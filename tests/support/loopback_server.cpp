/** @file The loopback test server kernel. */
#include "tests/support/loopback_server.h"

#include "client/net/cipher_constants.h"

#include <nettle/md5.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {

// The code table as the protocol text gives it: bit count/code in hexadecimal, symbols 0 to 256.
const char* const kCodeText =
    "2/0 5/1F 6/22 7/34 7/75 6/28 6/3B 7/32 8/E0 8/62 7/56 8/79 9/19D 8/97 6/2A 7/57 "
    "8/71 8/5B 9/1CC 8/A7 7/25 7/4F 8/66 8/7D 9/191 9/1CE 7/3F 9/90 8/59 8/7B 8/91 8/C6 "
    "6/2D 9/186 8/6F 9/93 10/1CC 8/5A 10/1AE 10/1C0 9/148 9/14A 9/82 10/19F 9/171 9/120 9/E7 10/1F3 "
    "9/14B 9/100 9/190 6/13 9/161 9/125 9/133 9/195 9/173 9/1CA 9/86 9/1E9 9/DB 9/1EC 9/8B 9/85 "
    "5/A 8/96 8/9C 9/1C3 9/19C 9/8F 9/18F 9/91 9/87 9/C6 9/177 9/89 9/D6 9/8C 9/1EE 9/1EB "
    "9/84 9/164 9/175 9/1CD 8/5E 9/88 9/12B 9/172 9/10A 9/8D 9/13A 9/11C 10/1E1 10/1E0 9/187 10/1DC "
    "10/1DF 7/74 9/19F 8/8D 8/E4 7/79 9/0EA 9/E1 8/40 7/41 9/10B 9/B0 8/6A 8/C1 7/71 7/78 "
    "8/B1 9/14C 7/43 8/76 7/66 7/4D 9/8A 6/2F 8/C9 9/CE 9/149 9/160 10/1BA 10/19E 10/39F 9/E5 "
    "9/194 9/184 9/126 7/30 8/6C 9/121 9/1E8 10/1C1 10/11D 10/163 10/385 10/3DB 10/17D 10/106 10/397 10/24E "
    "7/2E 8/98 10/33C 10/32E 10/1E9 9/BF 10/3DF 10/1DD 10/32D 10/2ED 10/30B 10/107 10/2E8 10/3DE 10/125 10/1E8 "
    "9/E9 10/1CD 10/1B5 9/165 10/232 10/2E1 11/3AE 11/3C6 11/3E2 10/205 10/29A 10/248 10/2CD 10/23B 11/3C5 10/251 "
    "10/2E9 10/252 9/1EA 11/3A0 11/391 10/23C 11/392 11/3D5 10/233 10/2CC 11/390 10/1BB 11/3A1 11/3C4 10/211 10/203 "
    "9/12A 10/231 11/3E0 10/29B 11/3D7 10/202 11/3AD 10/213 10/253 10/32C 10/23D 10/23F 10/32F 10/11C 10/384 10/31C "
    "10/17C 10/30A 10/2E0 10/276 10/250 11/3E3 10/396 10/18F 10/204 10/206 10/230 10/265 10/212 10/23E 11/3AC 11/393 "
    "11/3E1 10/1DE 11/3D6 10/31D 11/3E5 11/3E4 10/207 11/3C7 10/277 11/3D4 8/C0 10/162 10/3DA 10/124 10/1B4 10/264 "
    "10/33D 10/1D1 10/1AF 10/39E 10/24F 11/373 10/249 11/372 9/167 10/210 10/23A 10/1B8 11/3AF 10/18E 10/2EC 7/62 "
    "4/D ";

// The packet lengths of ids 0x00 to 0xCC as the protocol text gives them.
const char* const kLengthText =
    "104 5 7 var 2 5 5 7 14 5 11 266 var 3 var 61 "
    "215 var var 10 6 9 1 var var var var 37 var 5 4 8 "
    "19 8 3 26 7 20 5 2 5 1 5 2 2 17 15 10 "
    "5 1 2 2 10 653 var 8 7 9 var var var 2 37 var "
    "201 var var 553 713 5 var 11 73 93 5 9 var var 6 2 "
    "var var var 2 12 1 11 110 106 var var 4 2 73 var 49 "
    "5 9 15 13 1 4 var 21 var var 3 9 19 3 14 var "
    "28 var 5 2 var 35 16 17 var 9 var 2 var 13 2 var "
    "62 var 2 39 69 2 var var 66 var var var 11 var var var "
    "19 65 var 99 var 9 var 2 var 26 var 258 309 51 var var "
    "3 9 9 9 149 var var 4 var var 5 var var var var 13 "
    "var var var var var 64 9 var var 3 6 9 3 var var var "
    "36 var var var 6 203 1 49 2 6 6 7 var ";

struct Code {
    int bits = 0;
    uint32_t value = 0;
};

const std::vector<Code>& codes()
{
    static const std::vector<Code> table = [] {
        std::vector<Code> parsed;
        std::istringstream in(kCodeText);
        std::string item;
        while (in >> item) {
            const size_t slash = item.find('/');
            parsed.push_back(Code{std::stoi(item.substr(0, slash)),
                                  static_cast<uint32_t>(std::stoul(item.substr(slash + 1), nullptr, 16))});
        }
        if (parsed.size() != 257)
            throw std::logic_error("code table: wrong number of codes");
        return parsed;
    }();
    return table;
}

const std::vector<long>& lengths()
{
    static const std::vector<long> table = [] {
        std::vector<long> parsed;
        std::istringstream in(kLengthText);
        std::string item;
        while (in >> item)
            parsed.push_back(item == "var" ? 0 : std::stol(item));
        if (parsed.size() != 0xCD)
            throw std::logic_error("length table: wrong number of ids");
        return parsed;
    }();
    return table;
}

bool waitFor(int fd, short events, int timeoutMs)
{
    pollfd p{fd, events, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}

} // namespace

// ---- The keystreams -------------------------------------------------------------------------

LoginKeystream::LoginKeystream(uint32_t seed)
{
    // A = ((~S low) ^ c2) : (S low ^ c1), B = ((~S high) ^ c3) : (S high ^ c4), halves high:low.
    const uint32_t lowS = seed & 0xFFFF;
    const uint32_t highS = seed >> 16;
    a_ = (((~lowS) & 0xFFFF) ^ netcipher::kSetup2) << 16 | (lowS ^ netcipher::kSetup1);
    b_ = (((~highS) & 0xFFFF) ^ netcipher::kSetup3) << 16 | (highS ^ netcipher::kSetup4);
}

uint8_t LoginKeystream::next()
{
    const uint8_t key = static_cast<uint8_t>(a_);
    const uint32_t inner = ((b_ >> 1) | (a_ << 31)) ^ netcipher::kStep1;
    const uint32_t newB = ((inner >> 1) | (a_ << 31)) ^ netcipher::kStep2;
    const uint32_t newA = ((a_ >> 1) | (b_ << 31)) ^ netcipher::kStep3;
    a_ = newA;
    b_ = newB;
    return key;
}

void LoginKeystream::apply(uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        bytes[i] ^= next();
}

GameKeystream::GameKeystream(uint32_t seed)
{
    uint8_t key[16];
    for (int repeat = 0; repeat < 4; ++repeat) {
        key[repeat * 4 + 0] = static_cast<uint8_t>(seed >> 24);
        key[repeat * 4 + 1] = static_cast<uint8_t>(seed >> 16);
        key[repeat * 4 + 2] = static_cast<uint8_t>(seed >> 8);
        key[repeat * 4 + 3] = static_cast<uint8_t>(seed);
    }
    twofish128_set_key(&context_, key);
    for (int i = 0; i < 256; ++i)
        block_[i] = static_cast<uint8_t>(i);
    for (int b = 0; b < 16; ++b)
        twofish_encrypt(&context_, 16, block_ + 16 * b, block_ + 16 * b);
    std::memcpy(first_, block_, sizeof first_);
}

uint8_t GameKeystream::next()
{
    if (used_ == sizeof block_) {
        for (int b = 0; b < 16; ++b)
            twofish_encrypt(&context_, 16, block_ + 16 * b, block_ + 16 * b);
        used_ = 0;
    }
    return block_[used_++];
}

void GameKeystream::apply(uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        bytes[i] ^= next();
}

Bytes ReceiveKeyFor(uint32_t seed)
{
    const GameKeystream stream(seed);
    md5_ctx md5;
    md5_init(&md5);
    md5_update(&md5, 256, stream.firstBlock());
    Bytes key(16);
    md5_digest(&md5, 16, key.data());
    return key;
}

// ---- Coding and framing ---------------------------------------------------------------------

Bytes HuffmanEncode(const Bytes& packet)
{
    Bytes out;
    uint32_t pendingBits = 0;
    int pendingCount = 0;
    auto put = [&](const Code& code) {
        for (int bit = code.bits - 1; bit >= 0; --bit) {
            pendingBits = pendingBits << 1 | ((code.value >> bit) & 1);
            if (++pendingCount == 8) {
                out.push_back(static_cast<uint8_t>(pendingBits));
                pendingBits = 0;
                pendingCount = 0;
            }
        }
    };
    for (uint8_t byte : packet)
        put(codes()[byte]);
    put(codes()[256]);
    if (pendingCount > 0)
        out.push_back(static_cast<uint8_t>(pendingBits << (8 - pendingCount)));
    return out;
}

long PacketLengthAt(const uint8_t* data, size_t available)
{
    if (available == 0)
        return 0;
    if (data[0] >= lengths().size())
        return -1;
    const long fixed = lengths()[data[0]];
    if (fixed != 0)
        return fixed;
    if (available < 3)
        return 0;
    return static_cast<long>(data[1]) << 8 | data[2];
}

Bytes MakePacket(uint8_t id, const Bytes& body)
{
    Bytes packet{id};
    if (id < lengths().size() && lengths()[id] == 0) {
        const size_t total = body.size() + 3;
        packet.push_back(static_cast<uint8_t>(total >> 8));
        packet.push_back(static_cast<uint8_t>(total));
    }
    packet.insert(packet.end(), body.begin(), body.end());
    return packet;
}

// ---- The server -----------------------------------------------------------------------------

LoopbackServer::LoopbackServer(uint16_t port)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0)
        throw std::runtime_error("loopback server: no socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    const int reuse = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("loopback server: cannot listen");
    port_ = ntohs(address.sin_port);
}

LoopbackServer::~LoopbackServer()
{
    close();
    if (listener_ >= 0)
        ::close(listener_);
}

uint16_t LoopbackServer::refusedPort()
{
    // Bind a port, then let it go without listening: nothing answers there for the test's time.
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool LoopbackServer::accept(int timeoutMs)
{
    close();
    if (!waitFor(listener_, POLLIN, timeoutMs))
        return false;
    client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    pending_.clear();
    outgoing_.clear();
    received_.clear();
    sentCount_ = 0;
    return client_ >= 0;
}

bool LoopbackServer::readSeed(int timeoutMs)
{
    uint8_t bytes[4];
    size_t got = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got < 4 && client_ >= 0) {
        const ssize_t n = ::recv(client_, bytes + got, 4 - got, 0);
        if (n > 0) {
            got += static_cast<size_t>(n);
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return false;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        waitFor(client_, POLLIN, 10);
    }
    seed_ = static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
            static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
    login_ = LoginKeystream(seed_);
    game_ = GameKeystream(seed_);
    receiveKey_ = ReceiveKeyFor(seed_);
    sentCount_ = 0;
    return true;
}

bool LoopbackServer::pump()
{
    if (client_ < 0)
        return false;
    uint8_t chunk[4096];
    for (;;) {
        const ssize_t n = ::recv(client_, chunk, sizeof chunk, 0);
        if (n > 0) {
            if (phase_ == Phase::Login)
                login_.apply(chunk, static_cast<size_t>(n));
            else if (phase_ == Phase::Game)
                game_.apply(chunk, static_cast<size_t>(n));
            pending_.insert(pending_.end(), chunk, chunk + n);
            continue;
        }
        if (n == 0) {
            frameIncoming();
            return false;
        }
        if (errno == EINTR)
            continue;
        break;
    }
    frameIncoming();
    return true;
}

void LoopbackServer::frameIncoming()
{
    for (;;) {
        const long length = PacketLengthAt(pending_.data(), pending_.size());
        if (length <= 0 || pending_.size() < static_cast<size_t>(length))
            return;
        received_.emplace_back(pending_.begin(), pending_.begin() + length);
        pending_.erase(pending_.begin(), pending_.begin() + length);
    }
}

void LoopbackServer::send(const Bytes& packet)
{
    if (phase_ != Phase::Game) {
        sendRaw(packet);
        return;
    }
    Bytes coded = HuffmanEncode(packet);
    for (uint8_t& byte : coded)
        byte ^= receiveKey_[sentCount_++ % 16];
    sendRaw(coded);
}

void LoopbackServer::sendRaw(const Bytes& bytes)
{
    outgoing_.insert(outgoing_.end(), bytes.begin(), bytes.end());
}

size_t LoopbackServer::flush(size_t maxBytes)
{
    size_t written = 0;
    while (client_ >= 0 && written < maxBytes && !outgoing_.empty()) {
        const size_t want = std::min(maxBytes - written, outgoing_.size());
        const ssize_t n = ::send(client_, outgoing_.data(), want, MSG_NOSIGNAL);
        if (n > 0) {
            outgoing_.erase(outgoing_.begin(), outgoing_.begin() + n);
            written += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            waitFor(client_, POLLOUT, 10);
            continue;
        }
        break;
    }
    return written;
}

void LoopbackServer::closeAbruptly()
{
    if (client_ < 0)
        return;
    linger hard{1, 0};
    ::setsockopt(client_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(client_);
    client_ = -1;
}

void LoopbackServer::close()
{
    if (client_ >= 0)
        ::close(client_);
    client_ = -1;
}

void LoopbackServer::script(std::vector<Step> steps)
{
    steps_.assign(steps.begin(), steps.end());
}

int LoopbackServer::runScript()
{
    int taken = 0;
    while (!steps_.empty()) {
        auto found = received_.begin();
        while (found != received_.end() && (*found)[0] != steps_.front().onId)
            ++found;
        if (found == received_.end())
            break;
        const Bytes packet = *found;
        received_.erase(found);
        const Step step = steps_.front();
        steps_.pop_front();
        for (const Bytes& answer : step.answer(packet))
            send(answer);
        ++taken;
    }
    return taken;
}

} // namespace testsupport
