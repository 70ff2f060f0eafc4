// The MPEG-1 intra tables the movie's kind 4 frames borrow, read against intra pictures coded by
// libavcodec's MPEG-1 encoder: every block of every slice must parse with them, end exactly at
// the next start code, and rebuild the picture libavcodec decodes from the same bytes.
#include "client/media/movie_codec.h"
#include "client/media/movie_mpeg_tables.h"
#include "tests/support/mpeg/mpeg_clip.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace movie;

namespace {

/** MSB-first bits over a byte string. */
class Bits {
public:
    explicit Bits(const std::vector<uint8_t>& data) : data_(data) {}
    uint32_t peek(int n) const
    {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            const size_t at = position_ + static_cast<size_t>(i);
            const int bit = at / 8 < data_.size() ? (data_[at / 8] >> (7 - at % 8)) & 1 : 0;
            v = (v << 1) | static_cast<uint32_t>(bit);
        }
        return v;
    }
    uint32_t read(int n)
    {
        const uint32_t v = peek(n);
        position_ += static_cast<size_t>(n);
        return v;
    }
    void align() { position_ = (position_ + 7) / 8 * 8; }
    size_t position() const { return position_; }
    void seekByte(size_t byte) { position_ = byte * 8; }
    bool atStartCode() const { return position_ % 8 == 0 && peek(24) == 1; }

private:
    const std::vector<uint8_t>& data_;
    size_t position_ = 0;
};

/** Reads one code of the table; -1 when none matches. */
int readCode(Bits& bits, const VlcCode* codes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (bits.peek(codes[i].length) == codes[i].bits) {
            bits.read(codes[i].length);
            return static_cast<int>(i);
        }
    return -1;
}

constexpr double kPi = 3.14159265358979323846;

/** The reference inverse transform of ISO/IEC 11172-2 in double precision. */
void inverseTransform(const int32_t coefficients[64], int out[64])
{
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            double sum = 0;
            for (int v = 0; v < 8; ++v)
                for (int u = 0; u < 8; ++u) {
                    const double cu = u == 0 ? std::sqrt(0.5) : 1.0;
                    const double cv = v == 0 ? std::sqrt(0.5) : 1.0;
                    sum += cu * cv * coefficients[8 * v + u] * std::cos((2 * x + 1) * u * kPi / 16) *
                           std::cos((2 * y + 1) * v * kPi / 16);
                }
            out[8 * y + x] = std::clamp(static_cast<int>(std::floor(sum / 4 + 0.5)), 0, 255);
        }
}

struct Parsed {
    int width = 0, height = 0;
    std::vector<uint8_t> luma;
    int blocks = 0;
    int escapes = 0;
    std::string error;
};

/** Parses the intra picture with the movie's tables and rebuilds its luma plane. */
Parsed parseIntraPicture(const std::vector<uint8_t>& stream)
{
    Parsed p;
    Bits bits(stream);
    std::array<uint8_t, 64> matrix = kDefaultIntraMatrix;
    // The standard zig-zag order: the movie's scan with row and column exchanged back.
    const auto& scan = TransformScanOrder();
    int mbWidth = 0;
    for (size_t byte = 0; byte + 4 <= stream.size(); ++byte) {
        if (stream[byte] != 0 || stream[byte + 1] != 0 || stream[byte + 2] != 1)
            continue;
        const uint8_t code = stream[byte + 3];
        bits.seekByte(byte + 4);
        if (code == 0xB3) {
            p.width = static_cast<int>(bits.read(12));
            p.height = static_cast<int>(bits.read(12));
            bits.read(4 + 4 + 18 + 1 + 10 + 1);
            if (bits.read(1)) {
                p.error = "the encoder sent its own intra matrix";
                return p;
            }
            mbWidth = (p.width + 15) / 16;
            p.luma.assign(static_cast<size_t>(p.width * p.height), 0);
        } else if (code == 0x00) {
            bits.read(10);
            if (bits.read(3) != 1) {
                p.error = "not an intra picture";
                return p;
            }
        } else if (code >= 0x01 && code <= 0xAF) {
            const int row = code - 1;
            int qscale = static_cast<int>(bits.read(5));
            while (bits.read(1)) bits.read(8);
            int address = row * mbWidth - 1; // a slice may run over several macroblock rows
            int predictors[3] = {128, 128, 128};
            while (!bits.atStartCode() && bits.peek(23) != 0) {
                int increment = 0;
                for (;;) {
                    if (bits.peek(11) == 0b00000001111) { bits.read(11); continue; } // stuffing
                    if (bits.peek(11) == 0b00000001000) { bits.read(11); increment += 33; continue; }
                    break;
                }
                static const VlcCode kIncrements[] = {{0b1, 1, 1, 0}, {0b011, 3, 2, 0}, {0b010, 3, 3, 0}, {0b0011, 4, 4, 0},
                                                      {0b0010, 4, 5, 0}, {0b00011, 5, 6, 0}, {0b00010, 5, 7, 0}};
                const int i = readCode(bits, kIncrements, 7);
                if (i < 0) {
                    p.error = "a macroblock address increment the check does not know";
                    return p;
                }
                address += increment + kIncrements[i].run;
                const int column = address % mbWidth;
                const int mbRow = address / mbWidth;
                if (bits.read(1) == 0) {
                    if (bits.read(1) != 1) {
                        p.error = "a macroblock type an intra picture does not have";
                        return p;
                    }
                    qscale = static_cast<int>(bits.read(5));
                }
                for (int b = 0; b < 6; ++b) {
                    const bool chroma = b >= 4;
                    const auto& dcCodes = chroma ? kDcSizeChroma : kDcSizeLuma;
                    const int size = readCode(bits, dcCodes.data(), dcCodes.size());
                    if (size < 0) {
                        p.error = "no DC size code matches";
                        return p;
                    }
                    int difference = 0;
                    if (size > 0) {
                        const int v = static_cast<int>(bits.read(size));
                        difference = (v >> (size - 1)) ? v : v - ((1 << size) - 1);
                    }
                    int& predictor = predictors[chroma ? b - 3 : 0];
                    predictor += difference;
                    int32_t coefficients[64] = {};
                    coefficients[0] = predictor * 8;
                    int k = 0;
                    for (;;) {
                        if (bits.peek(2) == kEndOfBlock.bits) {
                            bits.read(2);
                            break;
                        }
                        int run = 0;
                        int level = 0;
                        if (bits.peek(6) == kEscape.bits) {
                            bits.read(6);
                            ++p.escapes;
                            run = static_cast<int>(bits.read(6));
                            const int field = static_cast<int>(bits.read(8));
                            level = field == 0 ? static_cast<int>(bits.read(8))
                                    : field == 128 ? static_cast<int>(bits.read(8)) - 256
                                                   : static_cast<int8_t>(field);
                        } else {
                            const int c = readCode(bits, kCoefficientCodes.data(), kCoefficientCodes.size());
                            if (c < 0) {
                                p.error = "no coefficient code matches";
                                return p;
                            }
                            run = kCoefficientCodes[static_cast<size_t>(c)].run;
                            level = kCoefficientCodes[static_cast<size_t>(c)].level;
                            if (bits.read(1)) level = -level;
                        }
                        k += run + 1;
                        if (k > 63) {
                            p.error = "a block runs past 64 coefficients";
                            return p;
                        }
                        const int moviePosition = scan[static_cast<size_t>(k)];
                        const int position = (moviePosition % 8) * 8 + moviePosition / 8;
                        int value = 2 * level * qscale * matrix[static_cast<size_t>(position)] / 16;
                        if ((value & 1) == 0 && value != 0) value -= value > 0 ? 1 : -1;
                        coefficients[position] = std::clamp(value, -2048, 2047);
                    }
                    ++p.blocks;
                    if (b < 4) {
                        int samples[64];
                        inverseTransform(coefficients, samples);
                        const int x0 = column * 16 + (b % 2) * 8;
                        const int y0 = mbRow * 16 + (b / 2) * 8;
                        for (int y = 0; y < 8; ++y)
                            for (int x = 0; x < 8; ++x)
                                if (y0 + y < p.height && x0 + x < p.width)
                                    p.luma[static_cast<size_t>((y0 + y) * p.width + x0 + x)] =
                                        static_cast<uint8_t>(samples[8 * y + x]);
                    }
                }
                if (mbRow * 16 >= p.height) {
                    p.error = "a macroblock below the picture";
                    return p;
                }
            }
            // The slice's bits must end in zero padding right before the next start code.
            const size_t end = bits.position();
            bits.align();
            if (!bits.atStartCode() && bits.position() / 8 < stream.size() - 3) {
                p.error = "a slice does not end at a start code (bit " + std::to_string(end) + ")";
                return p;
            }
        }
    }
    return p;
}

} // namespace

TEST(MovieMpegTables, ReadIntraPicturesOfLibavcodecsEncoder)
{
    const int w = 96, h = 64;
    std::vector<uint8_t> luma(static_cast<size_t>(w * h)), cb(static_cast<size_t>(w * h / 4)), cr(cb.size());
    uint32_t seed = 5;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            // Edges, a gradient and noise: large and small levels, long and short runs.
            int v = (x / 8 + y / 8) % 2 ? 200 : 40;
            v += (x * 3 + y) % 17 + static_cast<int>((seed >> 16) % 9) - 4;
            luma[static_cast<size_t>(y * w + x)] = static_cast<uint8_t>(std::clamp(v, 0, 255));
        }
    for (size_t i = 0; i < cb.size(); ++i) {
        cb[i] = static_cast<uint8_t>(60 + i % 120);
        cr[i] = static_cast<uint8_t>(200 - i % 90);
    }
    int escapes = 0;
    for (int quantiser : {1, 2, 8, 31}) {
        SCOPED_TRACE(quantiser);
        std::vector<uint8_t> stream, decoded;
        ASSERT_TRUE(testsupport::encodeMpeg1IntraPicture(w, h, luma, cb, cr, quantiser, stream, decoded));
        const Parsed parsed = parseIntraPicture(stream);
        ASSERT_TRUE(parsed.error.empty()) << parsed.error;
        EXPECT_EQ(parsed.width, w);
        EXPECT_EQ(parsed.blocks, (w / 16) * (h / 16) * 6);
        escapes += parsed.escapes;
        int worst = 0;
        for (size_t i = 0; i < decoded.size(); ++i) worst = std::max(worst, std::abs(parsed.luma[i] - decoded[i]));
        EXPECT_LE(worst, 2);
    }
    EXPECT_GT(escapes, 0); // the fine quantisers code levels beyond the table
}
