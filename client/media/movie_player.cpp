/** @file The movie player: container, read-ahead, decode loop, sound stream and presentation. */
#include "client/media/movie_player.h"

#include "client/core/kz_report.h"
#include "client/data/language_manager.h"
#include "platform/clock/clock.h"
#include "platform/window/window.h"

#include <algorithm>
#include <cstring>

namespace movie {

namespace {

MovieTextDraw g_textDraw;
MovieTextMeasure g_textMeasure;
const LanguageSection* g_textSection = nullptr;

platform::Clock& clockOf(const MoviePlayer& p)
{
    static platform::SystemClock systemClock;
    return p.clock != nullptr ? *p.clock : systemClock;
}

bool tagIs(const uint8_t* tag, const char* a, const char* b = nullptr, const char* c = nullptr,
           const char* d = nullptr)
{
    for (const char* t : {a, b, c, d})
        if (t != nullptr && std::memcmp(tag, t, 4) == 0)
            return true;
    return false;
}

int videoKind(const uint8_t* tag)
{
    if (tagIs(tag, "kVGT", "TGVk")) return 1;
    if (tagIs(tag, "fVGT", "TGVf")) return 2;
    if (tagIs(tag, "pQGT", "MVQf")) return 3;
    if (tagIs(tag, "pIQT", "VQ2f")) return 4;
    return 0;
}

bool skipPayload(std::FILE* f, size_t n)
{
    return std::fseek(f, static_cast<long>(n), SEEK_CUR) == 0;
}

int damaged(MovieDecoder& d, const char* what)
{
    KZReport::warning("Movie: %s; the movie stops here.\n", what);
    d.endOfFile = true;
    return kChunkEnd;
}

/** Sleeps on the player's clock; with inline sound, runs the sound passes that fell due. */
void movieSleep(MovieDecoder& d, uint32_t ms)
{
    platform::Clock& clock = clockOf(*d.player);
    clock.sleep(ms);
    if (!d.player->inlineSound || !d.soundRunning)
        return;
    while (static_cast<int32_t>(clock.tickCount() - d.nextPassTick) >= 0) {
        RunMovieAudioPass(d);
        d.passCount.fetch_add(1);
        d.nextPassTick += 15;
    }
}

void readAudioChunk(MovieDecoder& d, size_t payload, int& result)
{
    MoviePlayer& p = *d.player;
    if (p.audioPresent.load() == 0) {
        result = skipPayload(d.file, payload) ? kChunkError : damaged(d, "an audio chunk cannot be skipped");
        return;
    }
    if (payload > kMaxChunkPayload) {
        result = damaged(d, "an audio chunk is larger than 32768 bytes");
        return;
    }
    if (std::fread(d.buffers->chunk.data(), 1, payload, d.file) != payload) {
        result = damaged(d, "an audio chunk is cut short");
        return;
    }
    result = kChunkAudio;
    if (d.lastWasAudio)
        p.audioClocked.store(1);
    const size_t bytes = DecodedAudioLength(d.audio, d.buffers->chunk.data(), payload);
    if (bytes >= d.streamSize) {
        KZReport::warning("Movie: an audio chunk of %zu bytes does not fit the sound buffer; dropped.\n", bytes);
        return;
    }
    size_t at = 0;
    const int queued = d.queuedAudio.load();
    const size_t oldest = d.audioSlots[static_cast<size_t>(d.nextPlayIndex.load() % kSlotCount)].start;
    if (queued >= kSlotCount - 1 || !PlaceInRing(kAudioRingSize, d.audioWrite, queued > 0, oldest, bytes, at)) {
        // Not played yet: read this chunk again on a later pass.
        std::fseek(d.file, -static_cast<long>(payload + 8), SEEK_CUR);
        result = kChunkNoRoom;
        return;
    }
    DecodeMovieAudioChunk(d.audio, d.adpcm, d.buffers->chunk.data(), payload, d.audioRing + at);
    AudioSlot& slot = d.audioSlots[static_cast<size_t>(d.audioWriteIndex.load() % kSlotCount)];
    slot.start = at;
    slot.length = bytes;
    slot.frame = d.readerFrame;
    slot.chunk = d.audioChunks.load();
    slot.full.store(true);
    d.audioWrite = at + bytes;
    d.audioWriteIndex.fetch_add(1);
    d.queuedAudio.fetch_add(1);
    d.audioChunks.fetch_add(1);
    if (p.audioClocked.load() != 0)
        ++d.readerFrame;
}

void readVideoChunk(MovieDecoder& d, size_t payload, int kind, int& result)
{
    if (payload >= kVideoRingSize) {
        result = damaged(d, "a video chunk is larger than the video ring");
        return;
    }
    size_t at = 0;
    const size_t oldest = d.videoSlots[static_cast<size_t>(d.videoReadIndex % kSlotCount)].start;
    if (d.queuedVideo >= kSlotCount - 1 ||
        !PlaceInRing(kVideoRingSize, d.videoWrite, d.queuedVideo > 0, oldest, payload, at)) {
        std::fseek(d.file, -8L, SEEK_CUR);
        result = kChunkNoRoom;
        return;
    }
    if (std::fread(d.videoRing + at, 1, payload, d.file) != payload) {
        result = damaged(d, "a video chunk is cut short");
        return;
    }
    VideoSlot& slot = d.videoSlots[static_cast<size_t>(d.videoWriteIndex % kSlotCount)];
    slot = VideoSlot{at, payload, d.readerFrame, kind};
    d.videoWrite = at + payload;
    ++d.videoWriteIndex;
    ++d.queuedVideo;
    ++d.readerFrame;
    result = kChunkVideo;
}

void ensureFrames(MoviePlayer& p, int width, int height)
{
    const size_t unit = (p.flags & kMovieDoubleWidth) ? 2 : 1;
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * unit;
    if (p.frames[0].size() == size && p.frameWidth == width && p.frameHeight == height)
        return;
    p.frameWidth = width;
    p.frameHeight = height;
    p.frames[0].assign(size, 0);
    p.frames[1].assign(size, 0);
}

FrameTarget targetOf(MoviePlayer& p)
{
    const int unit = (p.flags & kMovieDoubleWidth) ? 2 : 1;
    return FrameTarget{p.currentPixels(), p.frameWidth * unit, p.frameWidth, p.frameHeight};
}

constexpr int kMaxFrameSide = 4096;

void closeFile(MovieDecoder& d)
{
    if (d.file != nullptr && (d.player->flags & kMovieFileGiven) == 0)
        std::fclose(d.file);
    d.file = nullptr;
}

} // namespace

MoviePlayer::~MoviePlayer()
{
    if (thread.joinable())
        thread.join();
}

void SetMovieTextDrawCallback(MovieTextDraw draw)
{
    g_textDraw = std::move(draw);
}

void SetMovieTextMeasureCallback(MovieTextMeasure measure)
{
    g_textMeasure = std::move(measure);
}

void SetMovieTextSection(const LanguageSection* section)
{
    g_textSection = section;
}

bool PlaceInRing(size_t ringSize, size_t write, bool anyQueued, size_t oldest, size_t len, size_t& at)
{
    if (len > ringSize)
        return false;
    if (!anyQueued) {
        at = write + len <= ringSize ? write : 0;
        return true;
    }
    if (write >= oldest) {
        if (write + len <= ringSize) {
            at = write;
            return true;
        }
        if (len < oldest) {
            at = 0;
            return true;
        }
        return false;
    }
    if (write + len < oldest) {
        at = write;
        return true;
    }
    return false;
}

int ReadMovieChunk(MovieDecoder& d)
{
    uint8_t header[8];
    const size_t got = std::fread(header, 1, 8, d.file);
    if (got == 0) {
        d.endOfFile = true;
        return kChunkEnd;
    }
    if (got < 8)
        return damaged(d, "a chunk header is cut short");
    const uint32_t size = static_cast<uint32_t>(header[4]) | (static_cast<uint32_t>(header[5]) << 8) |
                          (static_cast<uint32_t>(header[6]) << 16) | (static_cast<uint32_t>(header[7]) << 24);
    if (size < 8)
        return damaged(d, "a chunk is shorter than its header");
    const size_t payload = size - 8;
    const uint8_t* tag = header;
    int result = kChunkError;
    if (tagIs(tag, "SCHl", "lHCS", "1SNh")) {
        if (payload > kMaxChunkPayload)
            return damaged(d, "an audio header is larger than 32768 bytes");
        if (std::fread(d.buffers->chunk.data(), 1, payload, d.file) != payload)
            return damaged(d, "an audio header is cut short");
        ParseMovieAudioHeader(d.buffers->chunk.data(), payload, d.audio);
        result = kChunkAudioHeader;
    } else if (tagIs(tag, "SEAD")) {
        if (payload > kMaxChunkPayload || !skipPayload(d.file, payload))
            return damaged(d, "an audio header is larger than 32768 bytes");
        d.audio = SeadAudioFormat();
        result = kChunkAudioHeader;
    } else if (tagIs(tag, "SNDC", "CDNS", "SCDl", "1SNd")) {
        readAudioChunk(d, payload, result);
    } else if (tagIs(tag, "SEND", "SCEl", "1SNe")) {
        result = kChunkEnd;
    } else if (tagIs(tag, "SCCl", "lCCS", "SCLl", "lLCS")) {
        if (payload > kMaxChunkPayload || !skipPayload(d.file, payload))
            return damaged(d, "a skipped chunk is larger than 32768 bytes");
        result = kChunkSkipped;
    } else if (const int kind = videoKind(tag); kind != 0) {
        readVideoChunk(d, payload, kind, result);
    } else {
        KZReport::warning("Movie: unknown chunk %02X %02X %02X %02X skipped.\n", tag[0], tag[1], tag[2], tag[3]);
        if (!skipPayload(d.file, payload))
            return damaged(d, "an unknown chunk cannot be skipped");
        result = kChunkError;
    }
    if (result != kChunkNoRoom)
        d.lastWasAudio = result == kChunkAudio;
    return result;
}

void ReadAheadMovieChunks(MovieDecoder& d)
{
    MoviePlayer& p = *d.player;
    if (d.readerState == kChunkEnd || d.queuedAudio.load() > 21 || d.queuedVideo > 21)
        return;
    const int result = ReadMovieChunk(d);
    d.lastResult = result;
    d.readerState = result;
    if (result == kChunkVideo && p.audioPresent.load() != 0) {
        d.readerState = ReadMovieChunk(d);
        if (d.readerState == kChunkVideo)
            p.audioPresent.store(0);
    } else if (result == kChunkAudio && (p.audioClocked.load() == 0 || d.queuedAudio.load() < 22)) {
        d.readerState = ReadMovieChunk(d);
    }
}

int OpenMovie(const std::string& path, MovieDecoder& d)
{
    MoviePlayer& p = *d.player;
    d.endOfFile = false;
    if (p.flags & kMovieFileGiven) {
        d.file = p.file;
    } else {
        d.file = std::fopen(path.c_str(), "rb");
    }
    if (d.file == nullptr)
        return 1;
    d.firstChunk = std::ftell(d.file);
    uint8_t tag[4] = {};
    const size_t got = std::fread(tag, 1, 4, d.file);
    std::fseek(d.file, d.firstChunk, SEEK_SET);
    p.audioPresent.store(got == 4 && tagIs(tag, "SEAD", "1SNh", "SCHl") ? 1 : 0);
    // Every byte of a ring is written by the reader before a slot publishes it.
    if (p.buffers == nullptr && d.ownBuffers == nullptr)
        d.ownBuffers.reset(new (std::nothrow) MovieBuffers);
    d.buffers = p.buffers != nullptr ? p.buffers : d.ownBuffers.get();
    if (d.buffers == nullptr)
        return 2;
    MovieBuffers& buffers = *d.buffers;
    if (buffers.video == nullptr)
        buffers.video.reset(new (std::nothrow) uint8_t[kVideoRingSize]);
    if (buffers.audio == nullptr)
        buffers.audio.reset(new (std::nothrow) uint8_t[kAudioRingSize]);
    d.videoRing = buffers.video.get();
    d.audioRing = buffers.audio.get();
    if (d.videoRing == nullptr || d.audioRing == nullptr)
        return 2;
    // Kept between movies as it is: a chunk's bytes are read into it before they are used.
    if (d.buffers->chunk.size() != kMaxChunkPayload)
        d.buffers->chunk.assign(kMaxChunkPayload, 0);
    d.readerState = 4;
    // Read ahead: with sound until 21 audio chunks wait, without until 20 frames do.
    for (int guard = 0; guard < 256 && d.readerState != kChunkEnd; ++guard) {
        if (p.audioPresent.load() != 0 ? d.queuedAudio.load() >= 21 : d.queuedVideo >= 20)
            break;
        ReadAheadMovieChunks(d);
        if (d.lastResult == kChunkNoRoom || d.readerState == kChunkNoRoom)
            break;
    }
    if (d.videoWriteIndex == 0)
        p.audioClocked.store(1);
    return 0;
}

void InitMovieVideo(MovieDecoder& d)
{
    MoviePlayer& p = *d.player;
    // The colour tables are built even for a movie that starts with sound only: its frames
    // would otherwise come out of empty tables.
    p.frames[0].clear();
    p.frames[1].clear();
    p.frameWidth = p.frameHeight = 0;
    p.currentFrame = 0;
    if ((p.flags & kMovieKeepBrightness) == 0)
        p.format.brightness = 100;
    p.format.wide = (p.flags & kMovieDoubleWidth) != 0;
    MovieBuffers& buffers = *d.buffers;
    if (buffers.colourFormat != p.format) {
        BuildMovieColourTables(buffers.colour, p.format);
        buffers.colourFormat = p.format;
    }
    d.work.colour = buffers.colour;
}

void ReleaseMovieVideo(MovieDecoder& d)
{
    d.paletteFrames = PaletteFrameState{};
}

void DecodeMovieFrame(MovieDecoder& d, const VideoSlot& slot)
{
    MoviePlayer& p = *d.player;
    const uint8_t* payload = d.videoRing + slot.start;
    const size_t length = slot.length;
    const bool wide = (p.flags & kMovieDoubleWidth) != 0;
    PaletteFrameState& pal = d.paletteFrames;
    switch (slot.kind) {
    case 1: {
        KeyFrameHeader h;
        if (!ReadKeyFrameHeader(payload, length, h) || h.width <= 0 || h.height <= 0 || h.width > kMaxFrameSide ||
            h.height > kMaxFrameSide) {
            KZReport::warning("Movie: a damaged key frame is skipped.\n");
            return;
        }
        ApplyKeyFramePalette(pal, payload, h, p.format.brightness);
        ensureFrames(p, h.width, h.height);
        if (!DecodeKeyFrame(pal, payload, length, h))
            return;
        BuildColourTable(pal, p.format);
        ExpandPicture(pal, p.currentPixels(), wide);
        break;
    }
    case 2:
        if (!pal.haveKeyFrame || pal.width != p.frameWidth || pal.height != p.frameHeight)
            return;
        if (DecodeDeltaFrame(pal, payload, length))
            ExpandPicture(pal, p.currentPixels(), wide);
        break;
    case 3:
    case 4: {
        TransformHeader h;
        if (!ReadTransformHeader(payload, length, h) || h.width <= 0 || h.height <= 0 || h.width > kMaxFrameSide ||
            h.height > kMaxFrameSide || h.width % 16 != 0 || h.height % 16 != 0) {
            KZReport::warning("Movie: a transform frame of a size that is no multiple of 16 is skipped.\n");
            return;
        }
        ensureFrames(p, h.width, h.height);
        if (slot.kind == 3)
            DecodeTransformFrame(d.work, payload, length, targetOf(p), wide);
        else
            DecodeIntraFrame(d.work, payload, length, targetOf(p), p.frames[p.currentFrame ^ 1].data(), wide);
        break;
    }
    default: break;
    }
}

void DrawMovieSubtitle(MovieDecoder& d)
{
    MoviePlayer& p = *d.player;
    if (g_textSection == nullptr || !g_textDraw || !g_textMeasure || p.frames[p.currentFrame].empty())
        return;
    int32_t index = -1;
    const CUnicodeString* text = g_textSection->getStrForFrame(p.frameCounter.load(), index);
    if (text == nullptr)
        return;
    const int width = g_textMeasure(*text);
    const int unit = (p.flags & kMovieDoubleWidth) ? 2 : 1;
    // The subtitle area, cut to the frame surface so a small frame is never written past.
    MovieClip clip{0, 0, std::min(639, p.frameWidth * unit - 1), std::min(469, p.frameHeight - 1)};
    g_textDraw(p.currentPixels(), p.frameWidth * unit, *text, (640 - width) / 2, 200, 31, clip);
}

void PresentFrameTo(const MoviePlayer& p, const uint16_t* frame, const PresentTarget& t)
{
    const int unit = (p.flags & kMovieDoubleWidth) ? 2 : 1;
    const int sourceWidth = p.frameWidth * unit;
    const int sourceHeight = p.frameHeight;
    if (frame == nullptr || sourceWidth <= 0 || sourceHeight <= 0 || t.pixels == nullptr)
        return;
    int width = ((p.flags & kMovieUseDisplayWidth) ? p.displayWidth : p.frameWidth) * unit;
    int height = (p.flags & kMovieUseDisplayHeight) ? p.displayHeight : p.frameHeight;
    const bool doubled = (p.flags & (kMovieDoubleHeight | kMovieDoubleHeightInterlaced)) != 0;
    if (doubled)
        height *= 2;
    if (width <= 0 || height <= 0)
        return;
    int left = (p.flags & kMovieCentreX) ? (t.width - width) / 2 : 0;
    int top = (p.flags & kMovieCentreY) ? (t.height - height) / 2 : 0;
    if (p.flags & kMovieOffsetX) left += p.xOffset;
    if (p.flags & kMovieOffsetY) top += p.yOffset;
    // Each destination row takes its source row; a frame row goes to two display rows when
    // doubled, or to every other one (leaving those between as they are).
    const int rowsPerSource = doubled ? 2 : 1;
    for (int row = 0; row < height; ++row) {
        const int y = top + row;
        if (y < 0 || y >= t.height)
            continue;
        if ((p.flags & kMovieDoubleHeightInterlaced) && (p.flags & kMovieDoubleHeight) == 0 && row % 2 == 1)
            continue;
        const int sourceRow = static_cast<int>(static_cast<int64_t>(row / rowsPerSource) * sourceHeight /
                                               (height / rowsPerSource));
        const uint16_t* src = frame + static_cast<size_t>(sourceRow) * static_cast<size_t>(sourceWidth);
        uint16_t* dst = t.pixels + static_cast<size_t>(y) * static_cast<size_t>(t.pitch);
        const int from = std::max(0, -left);
        const int to = std::min(width, t.width - left);
        if (width == sourceWidth) {
            if (to > from)
                std::memcpy(dst + left + from, src + from, static_cast<size_t>(to - from) * 2);
        } else {
            for (int x = from; x < to; ++x)
                dst[left + x] = src[static_cast<int64_t>(x) * sourceWidth / width];
        }
    }
}

void PresentMovieFrame(MovieDecoder& d)
{
    MoviePlayer& p = *d.player;
    if ((p.flags & kMovieMemoryOnly) || p.window == nullptr || p.frames[p.currentFrame].empty())
        return;
    platform::FrameSurface surface;
    if (!p.window->lockSurface(surface))
        return;
    PresentFrameTo(p, p.currentPixels(),
                   PresentTarget{surface.pixels, surface.pitchPixels, surface.width, surface.height});
    p.window->presentSurface();
}

void SwapMovieFrames(MovieDecoder& d)
{
    d.player->currentFrame ^= 1;
}

// ---- sound ----

void InitMovieAudio(MovieDecoder& d)
{
    MoviePlayer& p = *d.player;
    d.streamSize = (p.flags & kMovieCallerBuffer) && p.callerBufferSize > 0 ? p.callerBufferSize : 32768;
}

void CreateMovieSoundBuffer(MovieDecoder& d)
{
    MoviePlayer& p = *d.player;
    d.streamBuffer.reset();
    if ((p.flags & kMoviePlaySound) && p.sound != nullptr)
        d.streamBuffer = p.sound->createStreamBuffer(d.audio.rate, d.streamSize);
    d.noSound = d.streamBuffer == nullptr;
    if (d.streamBuffer != nullptr)
        d.streamSize = d.streamBuffer->size();
    else
        d.streamSize = 32768;
    if (d.buffers->silence.size() != d.streamSize) // only ever zeros: kept while the size holds
        d.buffers->silence.assign(d.streamSize, 0);
    d.writeOffset = 0;
    d.simulatedPlay = 0;
    d.streamActive.store(true);
}

void ReleaseMovieSoundBuffer(MovieDecoder& d)
{
    d.streamActive.store(false);
    d.streamBuffer.reset();
}

void RunMovieAudioPass(MovieDecoder& d)
{
    if (!d.streamActive.load())
        return;
    const uint32_t size = d.streamSize;
    uint32_t play = 0;
    if (d.noSound) {
        d.simulatedPlay = (d.simulatedPlay + 882) % size;
        play = d.simulatedPlay;
    } else {
        play = d.streamBuffer->playPosition() % size;
        // A device whose cursor stands still for a second would hold the movie for ever: the
        // movie goes on with the simulated clock.
        d.stalledPasses = play == d.lastPlay ? d.stalledPasses + 1 : 0;
        d.lastPlay = play;
        if (d.stalledPasses > 66) {
            KZReport::warning("Movie: the sound device does not play; the movie goes on without it.\n");
            d.noSound = true;
            d.simulatedPlay = play;
        }
    }
    const uint32_t free = (play + size - d.writeOffset) % size;
    AudioSlot& slot = d.audioSlots[static_cast<size_t>(d.nextPlayIndex.load() % kSlotCount)];
    if (d.queuedAudio.load() > 0 && slot.full.load()) {
        if (free < slot.length)
            return;
        const auto length = static_cast<uint32_t>(slot.length);
        if (d.streamBuffer != nullptr)
            d.streamBuffer->write(d.writeOffset, d.audioRing + slot.start, length);
        d.writeOffset = (d.writeOffset + length) % size;
        const int frame = slot.frame;
        slot.full.store(false);
        d.nextPlayIndex.fetch_add(1);
        d.audioClock.store(frame);
        d.queuedAudio.fetch_sub(1);
        return;
    }
    if (d.streamBuffer != nullptr && free > 0)
        d.streamBuffer->write(d.writeOffset, d.buffers->silence.data(), free);
    d.writeOffset = (d.writeOffset + free) % size;
    d.audioClock.fetch_add(1);
}

int StartMovieAudioThread(MovieDecoder& d)
{
    MoviePlayer& p = *d.player;
    d.runFlag.store(1);
    d.soundRunning = true;
    if (p.inlineSound) {
        d.nextPassTick = clockOf(p).tickCount() + 15;
        return 0;
    }
    try {
        d.soundThread = std::thread([&d] {
            platform::Clock& clock = clockOf(*d.player);
            clock.sleep(15);
            for (;;) {
                if (d.runFlag.exchange(1) == 0)
                    return;
                RunMovieAudioPass(d);
                d.passCount.fetch_add(1);
                clock.sleep(15);
            }
        });
    } catch (...) {
        d.soundRunning = false;
        return 1;
    }
    return 0;
}

int StopMovieAudioThread(MovieDecoder& d)
{
    if (!d.soundRunning)
        return 1;
    d.runFlag.store(0);
    if (d.soundThread.joinable())
        d.soundThread.join();
    d.soundRunning = false;
    return 0;
}

// ---- the loop ----

void RunMovieDecodeLoop(MoviePlayer& p)
{
    MovieDecoder& d = *p.decoder;
    platform::Clock& clock = clockOf(p);
    if (StartMovieAudioThread(d) == 0) {
        p.lateness = 0;
        d.startTick = clock.tickCount();
        p.state.store(kMovieStarting);
        for (;;) {
            int old = p.state.exchange(kMovieRunning);
            if (old == kMoviePaused) {
                p.state.store(kMoviePaused);
                while ((old = p.state.load()) == kMoviePaused)
                    movieSleep(d, 20);
                p.state.store(old == kMovieStopRequested ? kMovieStopRequested : kMovieRunning);
            }
            if (old == kMovieStopRequested)
                break;
            if (old != kMovieRunning)
                continue;
            movieSleep(d, 0);
            ReadAheadMovieChunks(d);
            if (!d.streamActive.load() && p.audioPresent.load() != 0) {
                CreateMovieSoundBuffer(d);
                d.audioClock.store(0);
            }
            VideoSlot& slot = d.videoSlots[static_cast<size_t>(d.videoReadIndex % kSlotCount)];
            bool stop = false;
            if (slot.kind != 0) {
                if (p.lateness > 1) {
                    if (slot.kind <= 2)
                        DecodeMovieFrame(d, slot); // the next frame is coded against it; not shown
                } else {
                    DecodeMovieFrame(d, slot);
                    DrawMovieSubtitle(d);
                    PresentMovieFrame(d);
                }
                if ((p.flags & kMovieFrameCallback) && p.callback && p.callback() != 0)
                    stop = true;
                slot.kind = 0;
                ++d.videoReadIndex;
                --d.queuedVideo;
                SwapMovieFrames(d);
            }
            p.frameCounter.fetch_add(1);
            if (stop)
                break;
            if (d.queuedVideo == 0 && (p.audioPresent.load() == 0 || d.queuedAudio.load() == 0))
                break;
            if (p.audioPresent.load() != 0) {
                for (int i = 0; i < 102 && p.frameCounter.load() - (d.audioClock.load() - 5) > 0; ++i) {
                    movieSleep(d, 0);
                    movieSleep(d, 3);
                }
                p.lateness = std::max(0, (d.audioClock.load() - 5) - p.frameCounter.load());
            }
        }
        d.endTick = clock.tickCount();
        StopMovieAudioThread(d);
    }
    ReleaseMovieSoundBuffer(d);
    p.state.store(kMovieLoopEnded);
}

void CloseMovie(MoviePlayer& p)
{
    MovieDecoder* d = p.decoder;
    if (d == nullptr)
        return;
    p.elapsed = d->endTick - d->startTick;
    closeFile(*d);
    d->videoRing = nullptr;
    d->audioRing = nullptr;
    d->buffers = nullptr;
    d->ownBuffers.reset();
    ReleaseMovieSoundBuffer(*d);
    ReleaseMovieVideo(*d);
    p.state.store(kMovieFreed);
    p.decoder = nullptr;
    delete d;
}

MoviePlayer* PlayMovie(const std::string& path, platform::Window* window, MoviePlayer& p)
{
    auto* d = new (std::nothrow) MovieDecoder;
    if (d == nullptr)
        return nullptr;
    d->player = &p;
    p.window = window;
    p.frames[0].clear();
    p.frames[1].clear();
    p.frameCounter.store(0);
    p.audioClocked.store(0);
    if (OpenMovie(path, *d) != 0) {
        KZReport::warning("Movie: %s cannot be opened.\n", path.c_str());
        closeFile(*d);
        delete d;
        return nullptr;
    }
    p.decoder = d;
    InitMovieAudio(*d);
    InitMovieVideo(*d);
    p.state.store(kMovieOpened);
    d->owned = true;
    if (p.flags & kMovieOwnThread) {
        try {
            p.thread = std::thread([&p] {
                RunMovieDecodeLoop(p);
                if (p.decoder != nullptr && p.decoder->owned)
                    CloseMovie(p);
            });
        } catch (...) {
            CloseMovie(p);
            return nullptr;
        }
        // A loop that could not start its sound goes straight to 5: any state from 2 on will do.
        while (p.state.load() < kMovieRunning)
            clockOf(p).sleep(20);
        return &p;
    }
    RunMovieDecodeLoop(p);
    CloseMovie(p);
    return nullptr;
}

} // namespace movie
