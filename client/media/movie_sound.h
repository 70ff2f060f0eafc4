/**
 * @file The movie's sound: the audio header, the chunk decoders (16-bit PCM, block ADPCM, IMA
 * ADPCM) into 16-bit stereo, and the stream buffer the sound pass feeds.
 */
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace movie {

struct AudioFormat {
    int sampleSize = 16;
    int channels = 1;
    int rate = 22050;
    int compression = 0; // 0 PCM, 7 block ADPCM, 10 IMA ADPCM; others store nothing
};

/** Predictor state kept from chunk to chunk. */
struct AdpcmState {
    int32_t leftCurrent = 0;
    int32_t leftPrevious = 0;
    int32_t rightCurrent = 0;
    int32_t rightPrevious = 0;
    uint32_t imaLeft = 0;  // sample in the low 16 bits, step index in the high 16
    uint32_t imaRight = 0;
};

/** The defaults of a "SEAD" header: 16-bit, stereo, 22050 Hz, IMA ADPCM. */
AudioFormat SeadAudioFormat();
/** Reads a "SCHl" / "1SNh" header payload; the records never run past the payload. */
void ParseMovieAudioHeader(const uint8_t* payload, size_t length, AudioFormat& format);
/** The bytes of 16-bit stereo a chunk payload decodes to. */
size_t DecodedAudioLength(const AudioFormat& format, const uint8_t* payload, size_t length);
/** Decodes a chunk payload into out (room for DecodedAudioLength bytes); returns the bytes written. */
size_t DecodeMovieAudioChunk(const AudioFormat& format, AdpcmState& state, const uint8_t* payload, size_t length,
                             uint8_t* out);

/**
 * One block ADPCM code (4 bits, signed) with the filter and shift: the new sample; current and
 * previous move on. Filters above 3 lie outside the format and decode as filter 0.
 */
int16_t BlockAdpcmStep(int code, int filter, int shift, int32_t& current, int32_t& previous);
/** One IMA ADPCM nibble against the packed state (sample low 16 bits, step index high 16). */
int16_t ImaAdpcmStep(int nibble, uint32_t& state);
/** The IMA step for a step index 0..88. */
int ImaAdpcmStepSize(int index);

/** 15-byte block, 28 frames (the sample on both channels); state: current, previous. */
void DecodeAdpcmBlockMono(const uint8_t* block, int32_t& current, int32_t& previous, int16_t* out);
/** 30-byte block, 28 stereo frames. */
void DecodeAdpcmBlockStereo(const uint8_t* block, AdpcmState& state, int16_t* out);
/** One stereo frame per byte (high nibble left). */
void DecodeImaAdpcmStereo(const uint8_t* data, size_t length, uint32_t& left, uint32_t& right, int16_t* out);

/**
 * A looping 16-bit stereo stream buffer: the movie's sound pass writes behind the play cursor.
 * Methods are called from the movie's sound thread.
 */
class MovieSoundBuffer {
public:
    virtual ~MovieSoundBuffer() = default;
    virtual uint32_t size() const = 0;
    virtual uint32_t playPosition() = 0;
    /** Writes len bytes at offset, wrapping at the end of the buffer. */
    virtual void write(uint32_t offset, const uint8_t* data, uint32_t len) = 0;
};

/** The sound device a movie plays on. */
class MovieSoundDevice {
public:
    virtual ~MovieSoundDevice() = default;
    /** A looping buffer of about bytes at the rate, already playing; null when none can be made. */
    virtual std::unique_ptr<MovieSoundBuffer> createStreamBuffer(int rate, uint32_t bytes) = 0;
};

} // namespace movie
