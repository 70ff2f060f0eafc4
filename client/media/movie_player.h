/**
 * @file The movie player: the chunked container, the read-ahead into two rings, the decode loop
 * paced by the movie's sound, subtitles and the presentation of each frame.
 */
#pragma once

#include "client/media/movie_codec.h"
#include "client/media/movie_sound.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CUnicodeString;
class LanguageSection;

namespace platform {
class Clock;
class Window;
} // namespace platform

namespace movie {

/** Flag bits of MoviePlayer::flags. */
enum MovieFlags : uint32_t {
    kMovieOffsetX = 0x1,
    kMovieOffsetY = 0x2,
    kMovieCentreX = 0x4,
    kMovieCentreY = 0x8,
    kMovieDoubleHeight = 0x10,          // each frame row into two display rows
    kMovieDoubleHeightInterlaced = 0x20, // each frame row into every other display row
    kMovieDoubleWidth = 0x40,
    kMovieUseDisplayWidth = 0x80,
    kMovieUseDisplayHeight = 0x100,
    kMovieMemoryOnly = 0x800, // decode into the memory frames and present nothing
    kMovieOwnThread = 0x10000,
    kMovieThreadPriority = 0x20000,
    kMovieFrameCallback = 0x40000,
    kMovieFileGiven = 0x80000,
    kMovieKeepBrightness = 0x100000,
    kMovieCallerBuffer = 0x400000,
    kMoviePlaySound = 0x800000,
    kMovieCallerPalette = 0x4000000,
};

enum MovieState : int {
    kMovieOpened = 0,
    kMovieStarting = 1,
    kMovieRunning = 2,
    kMoviePaused = 3,
    kMovieStopRequested = 4,
    kMovieLoopEnded = 5,
    kMovieFreed = 6,
};

/** The reader's results for one chunk. */
enum ChunkResult : int {
    kChunkAudioHeader = 0,
    kChunkVideo = 1,
    kChunkAudio = 2,
    kChunkSkipped = 4,
    kChunkEnd = -1,
    kChunkError = -2,
    kChunkNoRoom = -3, // the rings hold too much: the chunk waits for the next pass
};

struct MovieDecoder;
struct MovieBuffers;

/** The caller's descriptor of one movie. */
struct MoviePlayer {
    uint32_t flags = 0;
    MovieDecoder* decoder = nullptr;
    /** The window the frames are presented on (not with kMovieMemoryOnly). */
    platform::Window* window = nullptr;
    /** The display's pixel format; with kMovieMemoryOnly the caller sets it. */
    DisplayFormat format;
    /** The two frame surfaces (current and previous), rows of exactly width (x2 wide) pixels. */
    std::vector<uint16_t> frames[2];
    int currentFrame = 0;
    MovieSoundDevice* sound = nullptr;
    uint32_t callerBufferSize = 0; // with kMovieCallerBuffer
    int frameHeight = 0;
    int frameWidth = 0;
    int xOffset = 0;
    int yOffset = 0;
    int displayWidth = 0;
    int displayHeight = 0;
    std::atomic<int> audioPresent{0};
    std::atomic<int> audioClocked{0};
    uint32_t elapsed = 0;
    std::atomic<int> frameCounter{0};
    int lateness = 0;
    std::atomic<int> state{kMovieOpened};
    std::FILE* file = nullptr; // with kMovieFileGiven
    std::thread thread;
    /** After each frame with kMovieFrameCallback; non-zero stops the movie. */
    std::function<int()> callback;
    /** Time and sleep; null for the system clock. */
    platform::Clock* clock = nullptr;
    /**
     * Runs the sound passes on the decode loop's sleeps instead of a thread of their own (one pass
     * for every 15 ms of the clock): with a manual clock the whole movie plays deterministically.
     */
    bool inlineSound = false;
    /**
     * Read-ahead storage kept by the caller between movies (see MovieBuffers); null: each movie
     * allocates its own and frees it when it closes.
     */
    MovieBuffers* buffers = nullptr;

    MoviePlayer() = default;
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;
    ~MoviePlayer();

    uint16_t* currentPixels() { return frames[currentFrame].data(); }
    /** The frame shown last: after each frame the surfaces swap, so it is the previous one. */
    const std::vector<uint16_t>& lastFrame() const { return frames[currentFrame ^ 1]; }
};

/** A slot of decoded audio in the audio ring. */
struct AudioSlot {
    size_t start = 0;
    size_t length = 0;
    int frame = 0;
    int chunk = 0;
    std::atomic<bool> full{false};
};

struct VideoSlot {
    size_t start = 0;
    size_t length = 0;
    int frame = 0;
    int kind = 0; // 0 = empty
};

constexpr size_t kVideoRingSize = 700000;
constexpr size_t kAudioRingSize = 300000;
constexpr size_t kMaxChunkPayload = 32768;
constexpr int kSlotCount = 24;

/**
 * The read-ahead rings and chunk buffers of a movie, allocated on first use and kept for the next
 * movie of a player that plays many (one movie at a time per set). Every byte a movie reads from
 * them it has written first.
 */
struct MovieBuffers {
    std::unique_ptr<uint8_t[]> video; // kVideoRingSize bytes
    std::unique_ptr<uint8_t[]> audio; // kAudioRingSize bytes
    std::vector<uint8_t> chunk;       // one non-video payload
    std::vector<uint8_t> silence;     // a sound stream's worth of silence
    /** The colour tables built last, and the format they were built for. */
    std::optional<DisplayFormat> colourFormat;
    ColourTables colour;
};

/** One open movie. */
struct MovieDecoder {
    MoviePlayer* player = nullptr;
    std::unique_ptr<MovieBuffers> ownBuffers; // when the player keeps none
    MovieBuffers* buffers = nullptr;          // the player's or ownBuffers, from the opening on
    uint8_t* videoRing = nullptr;    // kVideoRingSize bytes
    size_t videoWrite = 0;
    uint8_t* audioRing = nullptr;    // kAudioRingSize bytes
    size_t audioWrite = 0;
    AudioFormat audio;
    AdpcmState adpcm;
    AudioSlot audioSlots[kSlotCount];
    VideoSlot videoSlots[kSlotCount];
    std::atomic<int> audioWriteIndex{0};
    int videoReadIndex = 0;
    int videoWriteIndex = 0;
    int queuedVideo = 0;
    std::atomic<int> queuedAudio{0};
    int readerFrame = 0;
    std::atomic<int> audioChunks{0};
    std::atomic<int> audioClock{0};
    bool endOfFile = false;
    int readerState = 0;
    int lastResult = 0;
    bool lastWasAudio = false;
    long firstChunk = 0;
    std::FILE* file = nullptr;

    // The sound stream.
    std::atomic<bool> streamActive{false};
    uint32_t streamSize = 32768;
    uint32_t writeOffset = 0;
    std::atomic<int> nextPlayIndex{0};
    std::atomic<uint32_t> passCount{0};
    std::atomic<int> runFlag{0};
    uint32_t simulatedPlay = 0;
    bool noSound = false;
    uint32_t lastPlay = 0;
    int stalledPasses = 0; // passes in a row in which the device's play cursor did not move
    std::unique_ptr<MovieSoundBuffer> streamBuffer;
    std::thread soundThread;
    bool soundRunning = false;
    uint32_t nextPassTick = 0;

    bool owned = false;
    uint32_t startTick = 0;
    uint32_t endTick = 0;

    PaletteFrameState paletteFrames;
    MovieCodecWorkArea work{};
};

/** The subtitle routines, set once for all movies. */
struct MovieClip {
    int left = 0;
    int top = 0;
    int right = 0;  // inclusive
    int bottom = 0; // inclusive
};
using MovieTextDraw = std::function<void(uint16_t* pixels, int pitchPixels, const CUnicodeString& text, int x,
                                         int y, uint16_t colour, const MovieClip& clip)>;
using MovieTextMeasure = std::function<int(const CUnicodeString& text)>;
void SetMovieTextDrawCallback(MovieTextDraw draw);
void SetMovieTextMeasureCallback(MovieTextMeasure measure);
void SetMovieTextSection(const LanguageSection* section);

/**
 * Opens and plays a movie. With kMovieOwnThread returns the player once its loop runs (the
 * caller then pauses, stops, or waits for kMovieFreed and joins player.thread); otherwise plays
 * it to the end in this thread, closes it and returns null. Null on failure too.
 */
MoviePlayer* PlayMovie(const std::string& path, platform::Window* window, MoviePlayer& player);

// The steps, for the tests and the thread.
int OpenMovie(const std::string& path, MovieDecoder& decoder);
int ReadMovieChunk(MovieDecoder& decoder);
void ReadAheadMovieChunks(MovieDecoder& decoder);
void RunMovieDecodeLoop(MoviePlayer& player);
void CloseMovie(MoviePlayer& player);
void DecodeMovieFrame(MovieDecoder& decoder, const VideoSlot& slot);
void DrawMovieSubtitle(MovieDecoder& decoder);
void PresentMovieFrame(MovieDecoder& decoder);
void SwapMovieFrames(MovieDecoder& decoder);
void InitMovieVideo(MovieDecoder& decoder);
void ReleaseMovieVideo(MovieDecoder& decoder);

void InitMovieAudio(MovieDecoder& decoder);
void CreateMovieSoundBuffer(MovieDecoder& decoder);
void ReleaseMovieSoundBuffer(MovieDecoder& decoder);
int StartMovieAudioThread(MovieDecoder& decoder);
int StopMovieAudioThread(MovieDecoder& decoder);
/** One pass of the sound thread (steps 1 to 3). */
void RunMovieAudioPass(MovieDecoder& decoder);

/**
 * Where a block of len bytes goes in a ring whose queued bytes run from oldest to write
 * (circularly); false when it does not fit without overwriting them.
 */
bool PlaceInRing(size_t ringSize, size_t write, bool anyQueued, size_t oldest, size_t len, size_t& at);

/**
 * Copies the current frame to the display surface: centring, offsets, the display size fields
 * and the doubling flags. Exposed for the tests with a plain surface.
 */
struct PresentTarget {
    uint16_t* pixels = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
};
void PresentFrameTo(const MoviePlayer& player, const uint16_t* frame, const PresentTarget& target);

} // namespace movie
