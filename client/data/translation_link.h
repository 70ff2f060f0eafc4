/** @file The link to the local translation server program: start it, connect, send numbered requests, hand replies back. */
#pragma once

#include "client/core/unicode_string.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class TcpSocket;
}

/**
 * Cuts the first whole reply {u32 id, 8 bytes, UTF-16 text + NUL} off the front of the bytes
 * received so far, giving its id and text. False, leaving the bytes untouched, while no whole
 * reply is there.
 */
bool cutTranslationReply(std::vector<uint8_t>& received, int32_t& id, std::u16string& text);

/** Receives a translation: (user data, value, prefix or null, translated text as received). */
using TranslationCallback = void (*)(void* userData, int32_t value, const WideChar* prefix, const WideChar* text);

/**
 * One process-wide link, driven from the main thread. install() starts the helper program
 * (unless its named instance shows it already runs) and begins a non-blocking connect that
 * update() carries on for at most kConnectTimeoutMs; start-up never waits for the helper.
 * Requests are little-endian {u32 id, u32 source, u32 target, UTF-16 text + NUL}; replies
 * {u32 id, 8 bytes, UTF-16 text + NUL} are cut from the received byte stream, whole replies
 * only, however the stream is split into receives.
 */
class LanguageTranslationServer {
public:
    static constexpr uint32_t kLocalHost = 0x7F000001;
    static constexpr uint16_t kDefaultPort = 28888;
    static constexpr const char* kInstanceName = "Tavorn Vevovo Local Translation Server";
    static constexpr const char* kProgramName = "TranServ.exe";
    /** How long update() keeps trying to connect after install. */
    static constexpr uint32_t kConnectTimeoutMs = 5000;
    /** Pause before a new socket after a failed attempt (the helper may still be starting). */
    static constexpr uint32_t kConnectRetryMs = 100;
    /** Requests kept waiting for a reply; the oldest goes when a new one would pass this. */
    static constexpr size_t kMaxPending = 256;
    /** A reply longer than this is taken as a broken stream and the connection is dropped. */
    static constexpr size_t kMaxReplyBytes = 64 * 1024;
    static constexpr size_t kReceiveSize = 1024;

    static void install();
    static void uninstall();
    static void enable();
    static void setIPAddress(uint32_t address);
    static void setPort(uint16_t port);
    static void setTranslatorName(const char* name);
    static void setNFWMarker(const char* marker);
    static void setTopicalGlossaries(const char* text);
    static void setDocumentType(const char* text);
    static void setUserLanguageCode(const char* code);
    static bool setSourceLanguage(const char* code);

    struct Packet {
        static int32_t request(const WideChar* prefix, const WideChar* text, TranslationCallback callback,
                               void* userData, int32_t value);
        static void update();
        static int32_t generateId();
    };

    // State questions, for the callers' menus and for tests.
    static bool isInstalled();
    static bool isEnabled();
    static bool isStarted();
    static bool isConnected();
    static bool isConnecting();
    static uint32_t address();
    static uint16_t port();
    static const char* translatorName();
    static const char* nfwMarker();
    static const char* userLanguageCode();
    static size_t pendingCount();
    /** The translated text of a request (prefix + reply), or null while it has none. */
    static const WideChar* translatedText(int32_t id);

    /** Replaces how sockets are made (tests give fakes); null restores the real ones. */
    static void setSocketFactory(std::function<std::unique_ptr<platform::TcpSocket>()> factory);
    /** Back to the state of a fresh process (tests). */
    static void resetForTests();
    /** Sets the next text id (tests reach the wrap this way). */
    static void setNextIdForTests(int32_t id);
};
