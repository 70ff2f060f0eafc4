/** @file The translation server link: helper start, bounded non-blocking connect, requests and stream-cut replies. */
#include "client/data/translation_link.h"

#include "client/data/language_manager.h"

#include "client/core/byte_reader.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"

#include "platform/clock/clock.h"
#include "platform/instance/named_instance.h"
#include "platform/message_box/message_box.h"
#include "platform/net/tcp_socket.h"
#include "platform/platform.h"
#include "platform/process/process.h"

#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace {

struct PendingRecord {
    TranslationCallback callback = nullptr;
    void* userData = nullptr;
    int32_t value = 0;
    std::u16string text;
    std::optional<std::u16string> prefix;
    char source[4] = {};
    char target[4] = {};
    int32_t id = 0;
    bool translated = false;
    std::u16string translation;
};

struct LinkState {
    bool installed = false;
    bool enabled = false;
    bool started = false;
    bool connected = false;
    bool connecting = false;
    uint32_t address = 0;
    uint16_t port = 0;
    std::string translatorName;
    char marker[16] = {};
    char glossaries = 0;
    char documentType = 0;
    char userCode[4] = {};
    char sourceCode[4] = {};
    std::optional<int64_t> process; // the helper, when this client started it
    std::unique_ptr<platform::TcpSocket> socket;
    uint32_t connectBegan = 0;
    uint32_t nextAttempt = 0;
    std::vector<uint8_t> outgoing; // requests not yet taken by the socket
    std::vector<uint8_t> incoming; // bytes received and not yet a whole reply
    int32_t nextId = 1;
    std::deque<PendingRecord> pending; // newest first
    std::function<std::unique_ptr<platform::TcpSocket>()> socketFactory;
};

LinkState& link()
{
    static LinkState s;
    return s;
}

/** The first two letters decide whether two codes name the same language. */
bool sameLanguage(const char* a, const char* b)
{
    return asciiEqualIgnoringCase(a, b, 2);
}

uint32_t now()
{
    return platform::current().clock->tickCount();
}

std::unique_ptr<platform::TcpSocket> newSocket()
{
    LinkState& s = link();
    return s.socketFactory ? s.socketFactory() : platform::makeTcpSocket();
}

void putLe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

/** The third letter of the code in bits 16-23 and the code's language id below. */
uint32_t languageWord(const char* code)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 | LanguageManager::getLanguageId(code);
}

void dropConnection(const char* why)
{
    LinkState& s = link();
    KZReport::warning("LanguageTranslationServer: %s\n", why);
    if (s.socket)
        s.socket->close();
    s.connected = false;
    s.connecting = false;
    s.outgoing.clear();
    s.incoming.clear();
}

/** Hands the socket what it takes now; the rest waits for the next pass. */
void flushOutgoing()
{
    LinkState& s = link();
    while (s.connected && !s.outgoing.empty()) {
        const platform::NetResult r = s.socket->send(s.outgoing.data(), s.outgoing.size());
        if (r.status == platform::NetStatus::Ok && r.bytes > 0) {
            s.outgoing.erase(s.outgoing.begin(), s.outgoing.begin() + static_cast<std::ptrdiff_t>(r.bytes));
        } else if (r.status == platform::NetStatus::WouldBlock || r.status == platform::NetStatus::Ok) {
            return;
        } else {
            dropConnection("the translation server closed the connection.");
            return;
        }
    }
}

/** One non-blocking step of the connect; gives up once the time allowed has passed. */
void stepConnect()
{
    LinkState& s = link();
    const uint32_t t = now();
    if (t - s.connectBegan >= LanguageTranslationServer::kConnectTimeoutMs) {
        KZReport::warning("LanguageTranslationServer: no connection to the translation server on port %u within %u "
                          "ms. translations are off.\n",
                          static_cast<unsigned>(s.port), static_cast<unsigned>(LanguageTranslationServer::kConnectTimeoutMs));
        if (s.socket)
            s.socket->close();
        s.connecting = false;
        s.outgoing.clear();
        return;
    }
    if (static_cast<int32_t>(t - s.nextAttempt) < 0)
        return;
    if (!s.socket)
        s.socket = newSocket();
    const platform::NetResult r = s.socket->connect(s.address, s.port);
    if (r.status == platform::NetStatus::Ok) {
        s.connected = true;
        s.connecting = false;
        KZReport::message("LanguageTranslationServer: connected to the translation server on port %u.\n",
                          static_cast<unsigned>(s.port));
    } else if (r.status != platform::NetStatus::WouldBlock) {
        // A socket that an error closed is replaced; the helper may not be listening yet.
        s.socket = newSocket();
        s.nextAttempt = t + LanguageTranslationServer::kConnectRetryMs;
    }
}

void beginConnect()
{
    LinkState& s = link();
    s.socket = newSocket();
    s.connecting = true;
    s.connectBegan = now();
    s.nextAttempt = s.connectBegan;
    stepConnect();
}

/** Cuts every whole reply off the front of the received bytes and delivers it. */
void deliverReplies()
{
    LinkState& s = link();
    for (;;) {
        if (!s.installed || !s.connected)
            return;
        int32_t id = 0;
        std::u16string received;
        if (!cutTranslationReply(s.incoming, id, received)) {
            if (s.incoming.size() > LanguageTranslationServer::kMaxReplyBytes)
                dropConnection("a reply from the translation server is too long. dropping the connection.");
            return;
        }

        PendingRecord* record = nullptr;
        for (PendingRecord& r : s.pending)
            if (r.id == id) {
                record = &r;
                break;
            }
        if (!record)
            continue;
        if (record->translated)
            KZReport::warning("LanguageTranslationServer::Packet::update: Packet already translated!\n");
        record->translation = (record->prefix ? *record->prefix : std::u16string()) + received;
        record->translated = true;
        // The callback may make new requests or uninstall the link: keep what it needs apart.
        const TranslationCallback callback = record->callback;
        void* userData = record->userData;
        const int32_t value = record->value;
        const std::optional<std::u16string> prefix = record->prefix;
        if (callback)
            callback(userData, value, prefix ? prefix->c_str() : nullptr, received.c_str());
    }
}

} // namespace

bool cutTranslationReply(std::vector<uint8_t>& received, int32_t& id, std::u16string& text)
{
    // The text starts at byte 12 in whole UTF-16 units; the reply ends just past its NUL unit.
    size_t end = 0;
    for (size_t at = 12; at + 1 < received.size(); at += 2) {
        if (received[at] == 0 && received[at + 1] == 0) {
            end = at + 2;
            break;
        }
    }
    if (end == 0)
        return false;
    ByteReader reply(received.data(), end);
    id = reply.s32le();
    reply.seek(12);
    text.clear();
    while (reply.remaining() > 2)
        text.push_back(static_cast<char16_t>(reply.u16le()));
    received.erase(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(end));
    return true;
}

void LanguageTranslationServer::install()
{
    LinkState& s = link();
    if (s.installed)
        return;
    if (s.enabled) {
        if (s.address == 0 || s.port == 0) {
            s.address = kLocalHost;
            s.port = kDefaultPort;
        }
        if (s.translatorName.empty())
            s.translatorName = "Lexara";
        if (s.address == kLocalHost) {
            if (!s.started) {
                if (platform::NamedInstance::exists(kInstanceName)) {
                    // Someone else's helper is running: use it as started, without a connection of ours.
                    s.started = true;
                } else {
                    const std::string folder = FileManager::getHDPath();
                    const std::vector<std::string> argv = {folder + kProgramName,
                                                           "-p=" + std::to_string(s.port), "-d=" + folder};
                    s.process = platform::current().processes->spawn(argv, folder);
                    if (s.process) {
                        beginConnect();
                        s.started = true;
                    } else {
                        KZReport::warning("LanguageTranslationServer::install: cannot start '%s'.\n",
                                          argv[0].c_str());
                    }
                }
            }
        } else {
            platform::showMessageBox("LanguageTranslationServer::install:",
                                     "currently no support for translationServerIPAddress != 0x7f000001 (127.0.0.1)",
                                     platform::BoxIcon::Warning);
        }
    }
    s.installed = true;
}

void LanguageTranslationServer::uninstall()
{
    LinkState& s = link();
    if (!s.installed)
        return;
    if (s.process) {
        platform::current().processes->terminate(*s.process);
        s.process.reset();
        s.started = false;
    }
    if (s.socket)
        s.socket->close();
    s.socket.reset();
    s.connected = false;
    s.connecting = false;
    s.outgoing.clear();
    s.incoming.clear();
    s.pending.clear();
    s.translatorName.clear();
    std::memset(s.userCode, 0, sizeof s.userCode);
    s.installed = false;
}

void LanguageTranslationServer::enable()
{
    link().enabled = true;
}

void LanguageTranslationServer::setIPAddress(uint32_t address)
{
    link().address = address;
}

void LanguageTranslationServer::setPort(uint16_t port)
{
    link().port = port;
}

void LanguageTranslationServer::setTranslatorName(const char* name)
{
    link().translatorName = name ? name : "";
}

void LanguageTranslationServer::setNFWMarker(const char* marker)
{
    char* out = link().marker;
    std::memset(out, 0, sizeof link().marker);
    if (marker)
        std::strncpy(out, marker, sizeof link().marker - 1);
}

void LanguageTranslationServer::setTopicalGlossaries(const char* text)
{
    link().glossaries = text ? text[0] : '\0';
}

void LanguageTranslationServer::setDocumentType(const char* text)
{
    link().documentType = text ? text[0] : '\0';
}

void LanguageTranslationServer::setUserLanguageCode(const char* code)
{
    if (!code) {
        platform::showMessageBox("LanguageTranslationServer::setUserLanguageCode:",
                                 "! ul. not setting user language code", platform::BoxIcon::Warning);
        return;
    }
    copyLanguageCode(link().userCode, code);
}

bool LanguageTranslationServer::setSourceLanguage(const char* code)
{
    LinkState& s = link();
    if (!code || code[0] == '\0' || sameLanguage(code, s.userCode))
        return false;
    copyLanguageCode(s.sourceCode, code);
    return true;
}

int32_t LanguageTranslationServer::Packet::generateId()
{
    LinkState& s = link();
    if (s.nextId <= 0) {
        platform::showMessageBox("LanguageTranslationServer::Packet::generateId:",
                                 "Warning. Text Id has wrapped. Restarting at id=1.", platform::BoxIcon::Warning);
        s.nextId = 2;
        return 1;
    }
    const int32_t id = s.nextId;
    s.nextId = static_cast<int32_t>(static_cast<uint32_t>(s.nextId) + 1u);
    return id;
}

int32_t LanguageTranslationServer::Packet::request(const WideChar* prefix, const WideChar* text,
                                                   TranslationCallback callback, void* userData, int32_t value)
{
    LinkState& s = link();
    if (!s.installed || !s.enabled || !s.started || s.sourceCode[0] == '\0' || sameLanguage(s.sourceCode, s.userCode) ||
        !text)
        return -1;

    PendingRecord record;
    record.callback = callback;
    record.userData = userData;
    record.value = value;
    record.text = text;
    if (prefix)
        record.prefix = std::u16string(prefix);
    std::memcpy(record.source, s.sourceCode, 4);
    std::memcpy(record.target, s.userCode, 4);
    record.id = generateId();
    const int32_t id = record.id;

    // A request made while the connection is still being set up waits in the send bytes and
    // goes out once it stands; one made without any connection of ours is only recorded.
    if (s.connected || s.connecting) {
        putLe32(s.outgoing, static_cast<uint32_t>(id));
        putLe32(s.outgoing, languageWord(record.source));
        putLe32(s.outgoing, languageWord(record.target));
        for (char16_t c : record.text) {
            s.outgoing.push_back(static_cast<uint8_t>(c));
            s.outgoing.push_back(static_cast<uint8_t>(c >> 8));
        }
        s.outgoing.push_back(0);
        s.outgoing.push_back(0);
    }
    s.pending.push_front(std::move(record));
    // Requests whose reply never came must not pile up for the whole run.
    while (s.pending.size() > kMaxPending)
        s.pending.pop_back();
    flushOutgoing();
    return id;
}

void LanguageTranslationServer::Packet::update()
{
    LinkState& s = link();
    if (!s.installed || !s.enabled)
        return;
    if (s.connecting)
        stepConnect();
    if (!s.connected)
        return;
    flushOutgoing();
    if (!s.connected)
        return;

    uint8_t buffer[kReceiveSize];
    const platform::NetResult r = s.socket->receive(buffer, sizeof buffer);
    if (r.status == platform::NetStatus::Closed) {
        dropConnection("the translation server closed the connection.");
        return;
    }
    if (r.status == platform::NetStatus::Error) {
        KZReport::error("LanguageTranslationServer::Packet::update: receive failed (error %d).\n", r.errorCode);
        dropConnection("the connection to the translation server failed.");
        return;
    }
    if (r.status != platform::NetStatus::Ok || r.bytes == 0)
        return;
    s.incoming.insert(s.incoming.end(), buffer, buffer + r.bytes);
    deliverReplies();
}

bool LanguageTranslationServer::isInstalled() { return link().installed; }
bool LanguageTranslationServer::isEnabled() { return link().enabled; }
bool LanguageTranslationServer::isStarted() { return link().started; }
bool LanguageTranslationServer::isConnected() { return link().connected; }
bool LanguageTranslationServer::isConnecting() { return link().connecting; }
uint32_t LanguageTranslationServer::address() { return link().address; }
uint16_t LanguageTranslationServer::port() { return link().port; }
const char* LanguageTranslationServer::translatorName() { return link().translatorName.c_str(); }
const char* LanguageTranslationServer::nfwMarker() { return link().marker; }
const char* LanguageTranslationServer::userLanguageCode() { return link().userCode; }
size_t LanguageTranslationServer::pendingCount() { return link().pending.size(); }

const WideChar* LanguageTranslationServer::translatedText(int32_t id)
{
    for (const PendingRecord& r : link().pending)
        if (r.id == id && r.translated)
            return r.translation.c_str();
    return nullptr;
}

void LanguageTranslationServer::setSocketFactory(std::function<std::unique_ptr<platform::TcpSocket>()> factory)
{
    link().socketFactory = std::move(factory);
}

void LanguageTranslationServer::resetForTests()
{
    LinkState& s = link();
    auto factory = std::move(s.socketFactory);
    s.installed = true;
    uninstall();
    s = LinkState();
    s.socketFactory = std::move(factory);
}

void LanguageTranslationServer::setNextIdForTests(int32_t id)
{
    link().nextId = id;
}
