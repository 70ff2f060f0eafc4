/** @file What the packet handlers ask of the text display: system lines, speech over objects, the ignore list and the filter. */
#pragma once

#include <cstdint>
#include <string>

class CObj;

/** How speech shows over an object. */
enum class SpeechKind { Say, Bark, Persistent };

/**
 * The text display as the handlers see it. The renderer's text objects install theirs; the
 * defaults send a system line to the core's system text and drop the rest. Main thread only.
 */
class NetTextServices {
public:
    virtual ~NetTextServices() = default;
    /** A system line in the game screen (8-bit text). */
    virtual void SystemLine(const char* text, int32_t hue, int32_t font);
    /** A system line of UTF-16 text (AddSystemUnicodeText). */
    virtual void SystemUnicodeLine(const std::u16string& /*text*/, int32_t /*hue*/, int32_t /*font*/,
                                   const char* /*language*/)
    {
    }
    /**
     * Speech over an object (its overhead text replaced, a bark, or the persistent variant), in
     * the language given (three letters; null when unknown).
     */
    virtual void SpeakOver(CObj& /*object*/, const std::u16string& /*text*/, int32_t /*hue*/, int32_t /*font*/,
                           SpeechKind /*kind*/, const char* /*language*/ = nullptr)
    {
    }
    virtual bool IsSerialIgnored(uint32_t /*serial*/) { return false; }
    /** The death effect runs: no speech is shown. */
    virtual bool DeathEffectRunning() { return false; }
    /** The obscenity filter's censor (the filter option is checked by the caller). */
    virtual void Censor(std::u16string& /*text*/) {}
};
void SetNetTextServices(NetTextServices* services);
NetTextServices& netText();

/** The last speaker: its name and the source kind (1 system line, 2 object speech or bark, 3 speech of type 6). */
struct LastSpeakerRecord {
    std::string name;
    int32_t kind = 0;
};
extern LastSpeakerRecord LastSpeaker;
