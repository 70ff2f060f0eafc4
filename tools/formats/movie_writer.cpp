/** @file The movie encoder: container, sound and video chunks. */
#include "tools/formats/movie_writer.h"

#include "client/media/movie_codec.h"
#include "client/media/movie_mpeg_tables.h"
#include "client/media/movie_sound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace formats {

namespace {

void putBe(Bytes& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// ---- block ADPCM ----

constexpr int kC1[4] = {0, 240, 460, 392};
constexpr int kC2[4] = {0, 0, -208, -220};

/** Codes 28 samples of one channel with the best filter and shift; returns the codes. */
std::array<int, 28> adpcmChannel(const int16_t* samples, int stride, int32_t& current, int32_t& previous, int& filter,
                                 int& shift)
{
    double best = -1;
    std::array<int, 28> bestCodes{};
    int32_t bestCurrent = current, bestPrevious = previous;
    for (int f = 0; f < 4; ++f) {
        for (int s = 0; s <= 12; ++s) {
            int32_t cur = current, prev = previous;
            std::array<int, 28> codes{};
            double error = 0;
            for (int i = 0; i < 28; ++i) {
                const int32_t x = samples[i * stride];
                const int32_t base = (kC1[f] * cur + kC2[f] * prev + 128) >> 8;
                const double step = std::ldexp(1.0, 12 - s);
                int code = static_cast<int>(std::lround((x - base) / step));
                code = std::clamp(code, -8, 7);
                const int16_t v = movie::BlockAdpcmStep(code, f, s, cur, prev);
                codes[static_cast<size_t>(i)] = code;
                error += static_cast<double>(x - v) * (x - v);
            }
            if (best < 0 || error < best) {
                best = error;
                bestCodes = codes;
                filter = f;
                shift = s;
                bestCurrent = cur;
                bestPrevious = prev;
            }
        }
    }
    current = bestCurrent;
    previous = bestPrevious;
    return bestCodes;
}

// ---- IMA ----

int imaEncode(int32_t x, uint32_t& state)
{
    const int32_t predicted = static_cast<int16_t>(state & 0xFFFF);
    const int step = movie::ImaAdpcmStepSize(static_cast<int16_t>(state >> 16));
    int diff = x - predicted;
    int nibble = 0;
    if (diff < 0) {
        nibble = 8;
        diff = -diff;
    }
    if (diff >= step) { nibble |= 4; diff -= step; }
    if (diff >= step / 2) { nibble |= 2; diff -= step / 2; }
    if (diff >= step / 4) nibble |= 1;
    movie::ImaAdpcmStep(nibble, state); // the player's own step keeps both sides' state equal
    return nibble;
}

// ---- LZ ----

void flushLiterals(Bytes& out, const std::vector<uint8_t>& data, size_t& from, size_t to, bool keepThree)
{
    // Runs of 4..112 literals have a command of their own; up to three ride on the next command.
    while (to - from >= 4 && (!keepThree || to - from > 3)) {
        const size_t n = std::min<size_t>((to - from) / 4 * 4, 112);
        out.push_back(static_cast<uint8_t>(0xE0 + n / 4 - 1));
        out.insert(out.end(), data.begin() + static_cast<long>(from), data.begin() + static_cast<long>(from + n));
        from += n;
    }
}

// ---- transform frames ----

/** The decoder's sample output for a unit coefficient at each position, scaled up from 2^20. */
struct Basis {
    double v[64][64]; // position, sample (8n + m)
    double norm[64];
    Basis()
    {
        constexpr int32_t kUnit = 1 << 27;
        for (int p = 0; p < 64; ++p) {
            int32_t coefficients[64] = {};
            coefficients[p] = kUnit;
            int32_t samples[64];
            movie::InverseTransform(coefficients, samples, 8);
            norm[p] = 0;
            for (int i = 0; i < 64; ++i) {
                v[p][i] = samples[i] * 1.0 / kUnit;
                norm[p] += v[p][i] * v[p][i];
            }
        }
    }
};

const Basis& basis()
{
    static const Basis b;
    return b;
}

/** Coefficient values (before the quantiser) that give back the block of samples. */
void forward(const double samples[64], double out[64])
{
    const Basis& b = basis();
    for (int p = 0; p < 64; ++p) {
        double dot = 0;
        for (int i = 0; i < 64; ++i) dot += samples[i] * b.v[p][i];
        out[p] = b.norm[p] > 0 ? dot / b.norm[p] : 0;
    }
}

/** The six blocks of the macroblock at (x0, y0) in the sample domain of the conversion. */
void macroblockSamples(const YuvPicture& pic, int x0, int y0, bool clamped, double blocks[6][64])
{
    auto sample = [&](uint8_t v) {
        return clamped ? v / 2.0 : std::clamp((v - 129) / 2.0, -64.0, 63.0);
    };
    for (int b = 0; b < 4; ++b)
        for (int n = 0; n < 8; ++n)
            for (int m = 0; m < 8; ++m) {
                const int x = x0 + (b % 2) * 8 + m;
                const int y = y0 + (b / 2) * 8 + n;
                blocks[b][8 * n + m] = sample(pic.y[static_cast<size_t>(y * pic.width + x)]);
            }
    const int cw = pic.width / 2;
    for (int n = 0; n < 8; ++n)
        for (int m = 0; m < 8; ++m) {
            const size_t at = static_cast<size_t>((y0 / 2 + n) * cw + x0 / 2 + m);
            blocks[4][8 * n + m] = sample(pic.cb[at]);
            blocks[5][8 * n + m] = sample(pic.cr[at]);
        }
}

class LsbWriter {
public:
    void put(uint32_t value, int bits)
    {
        for (int i = 0; i < bits; ++i, ++bit_) {
            if (bit_ % 8 == 0) bytes_.push_back(0);
            if ((value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(1u << (bit_ % 8));
        }
    }
    Bytes& bytes() { return bytes_; }

private:
    Bytes bytes_;
    size_t bit_ = 0;
};

class MsbWriter {
public:
    void put(uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) bits_.push_back(static_cast<uint8_t>((value >> i) & 1));
    }
    Bytes words() const
    {
        Bytes out;
        for (size_t w = 0; w * 32 < bits_.size(); ++w) {
            uint32_t word = 0;
            for (size_t i = 0; i < 32; ++i) {
                const size_t at = w * 32 + i;
                if (at < bits_.size() && bits_[at]) word |= 1u << (31 - i);
            }
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(word >> (8 * i)));
        }
        return out;
    }

private:
    std::vector<uint8_t> bits_;
};

void kind3Block(LsbWriter& w, const double coefficients[64], const int32_t q[64])
{
    const auto& scan = movie::TransformScanOrder();
    auto level = [&](int k) {
        const int p = scan[static_cast<size_t>(k)];
        return q[p] == 0 ? 0 : static_cast<int>(std::clamp(std::lround(coefficients[p] / q[p]), -128L, 127L));
    };
    w.put(static_cast<uint32_t>(level(0)) & 0xFF, 8);
    int k = 1;
    while (k < 64) {
        int run = 0;
        while (k + run < 64 && level(k + run) == 0) ++run;
        if (run > 0) {
            if (run == 1) w.put(0b000, 3);
            else if (run == 2) w.put(0b100, 3);
            else w.put((static_cast<uint32_t>(std::min(run, 63)) << 2) | 1, 8);
            k += run == 1 || run == 2 ? run : std::min(run, 63);
            continue;
        }
        const int l = level(k++);
        if (l == 1) w.put(0b010, 3);
        else if (l == -1) w.put(0b110, 3);
        else if (l >= -32 && l <= 31) w.put((static_cast<uint32_t>(l & 0x3F) << 2) | 3, 8);
        else {
            w.put(0xFF, 8);
            w.put(static_cast<uint32_t>(l) & 0xFF, 8);
        }
    }
}

int flatValue(double sample, int32_t q0)
{
    const int wanted = static_cast<int>(std::lround(std::clamp(sample, -64.0, 63.0))) & 0x7F;
    int best = 0;
    int bestDistance = 1000;
    for (int v = -128; v < 128; ++v) {
        const int index = movie::FlatIndex(v, q0);
        const int distance = std::abs(((index - wanted + 64) & 0x7F) - 64);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = v;
        }
    }
    return best;
}

double average(const double* block)
{
    double sum = 0;
    for (int i = 0; i < 64; ++i) sum += block[i];
    return sum / 64;
}

bool uniform(const double* block)
{
    for (int i = 1; i < 64; ++i)
        if (block[i] != block[0]) return false;
    return true;
}

void intraBlock(MsbWriter& w, const double coefficients[64], const int32_t q[64], int& predictor, bool chroma)
{
    const auto& scan = movie::TransformScanOrder();
    const int dc = static_cast<int>(std::lround(coefficients[0] / q[0]));
    const int difference = std::clamp(dc - predictor, -255, 255);
    predictor += difference;
    int size = 0;
    while ((1 << size) <= std::abs(difference)) ++size;
    const movie::VlcCode& code = chroma ? movie::kDcSizeChroma[static_cast<size_t>(size)]
                                        : movie::kDcSizeLuma[static_cast<size_t>(size)];
    w.put(code.bits, code.length);
    if (size > 0)
        w.put(static_cast<uint32_t>(difference > 0 ? difference : difference + (1 << size) - 1), size);
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        const int p = scan[static_cast<size_t>(k)];
        const int level = q[p] == 0 ? 0 : static_cast<int>(std::clamp(std::lround(coefficients[p] / q[p]), -256L, 255L));
        if (level == 0) {
            ++run;
            continue;
        }
        const movie::VlcCode* found = nullptr;
        for (const movie::VlcCode& c : movie::kCoefficientCodes)
            if (c.run == run && c.level == std::abs(level)) found = &c;
        if (found != nullptr) {
            w.put(found->bits, found->length);
            w.put(level < 0 ? 1 : 0, 1);
        } else {
            w.put(movie::kEscape.bits, movie::kEscape.length);
            w.put(static_cast<uint32_t>(run), 6);
            if (level >= 128) {
                w.put(0, 8);
                w.put(static_cast<uint32_t>(level), 8);
            } else if (level <= -128) {
                w.put(128, 8);
                w.put(static_cast<uint32_t>(level + 256), 8);
            } else {
                w.put(static_cast<uint32_t>(level) & 0xFF, 8);
            }
        }
        run = 0;
    }
    w.put(movie::kEndOfBlock.bits, movie::kEndOfBlock.length);
}

Bytes transformHeader(const YuvPicture& pic, int quality, int flags)
{
    LeWriter w;
    w.u16(static_cast<uint32_t>(pic.width)).u16(static_cast<uint32_t>(pic.height)).u8(static_cast<uint32_t>(quality));
    w.u16(0).u8(static_cast<uint32_t>(flags));
    return w.take();
}

} // namespace

Bytes movieChunk(const char* tag, const Bytes& payload)
{
    LeWriter w;
    for (int i = 0; i < 4; ++i) w.u8(static_cast<uint8_t>(tag[i]));
    w.u32(static_cast<uint32_t>(payload.size() + 8));
    w.bytes(payload);
    return w.take();
}

Bytes movieAudioHeader(int channels, int rate, int compression, int sampleSize)
{
    Bytes p = {'P', 'T', 0, 0, 0x06, 0x01, 0x01, 0xFD};
    // {tag, length, big-endian value} records up to the 0x8A tag.
    const struct {
        uint8_t tag;
        int bytes;
        int value;
    } records[] = {{0x82, 1, channels}, {0x84, 3, rate}, {0x83, 1, compression}, {0x81, 1, sampleSize}};
    for (const auto& r : records) {
        p.push_back(r.tag);
        p.push_back(static_cast<uint8_t>(r.bytes));
        putBe(p, static_cast<uint32_t>(r.value), r.bytes);
    }
    p.push_back(0x8A);
    p.push_back(0);
    return p;
}

Bytes encodePcmChunk(const std::vector<int16_t>& samples, int channels)
{
    LeWriter w;
    w.u32(static_cast<uint32_t>(samples.size() / static_cast<size_t>(channels)));
    for (int16_t s : samples) w.s16(s);
    return w.take();
}

Bytes encodeBlockAdpcmChunk(const std::vector<int16_t>& samples, int channels, BlockAdpcmEncoder& state)
{
    const size_t frames = samples.size() / static_cast<size_t>(channels);
    const size_t blocks = (frames + 27) / 28;
    LeWriter w;
    w.u32(static_cast<uint32_t>(blocks * 28));
    w.s16(state.leftCurrent).s16(state.leftPrevious).s16(state.rightCurrent).s16(state.rightPrevious);
    std::vector<int16_t> padded(samples);
    padded.resize(blocks * 28 * static_cast<size_t>(channels),
                  samples.empty() ? 0 : samples[samples.size() - static_cast<size_t>(channels)]);
    for (size_t b = 0; b < blocks; ++b) {
        const int16_t* at = padded.data() + b * 28 * static_cast<size_t>(channels);
        int lf = 0, ls = 0;
        const auto left = adpcmChannel(at, channels, state.leftCurrent, state.leftPrevious, lf, ls);
        if (channels == 2) {
            int rf = 0, rs = 0;
            const auto right = adpcmChannel(at + 1, 2, state.rightCurrent, state.rightPrevious, rf, rs);
            w.u8(static_cast<uint32_t>((lf << 4) | rf)).u8(static_cast<uint32_t>((ls << 4) | rs));
            for (size_t i = 0; i < 28; ++i)
                w.u8(static_cast<uint32_t>(((left[i] & 15) << 4) | (right[i] & 15)));
        } else {
            w.u8(static_cast<uint32_t>((lf << 4) | ls));
            for (size_t i = 0; i < 28; i += 2)
                w.u8(static_cast<uint32_t>(((left[i] & 15) << 4) | (left[i + 1] & 15)));
        }
    }
    return w.take();
}

Bytes encodeImaChunk(const std::vector<int16_t>& stereo, ImaEncoder& state)
{
    Bytes out;
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
        const int l = imaEncode(stereo[i], state.left);
        const int r = imaEncode(stereo[i + 1], state.right);
        out.push_back(static_cast<uint8_t>((l << 4) | r));
    }
    return out;
}

Bytes packLz(const std::vector<uint8_t>& data)
{
    Bytes out = {0x10, 0xFB};
    putBe(out, static_cast<uint32_t>(data.size()), 3);
    std::vector<int64_t> head(1 << 16, -1);
    std::vector<int64_t> chain(data.size(), -1);
    auto hash = [&](size_t i) {
        return ((static_cast<uint32_t>(data[i]) << 8) ^ (static_cast<uint32_t>(data[i + 1]) << 4) ^ data[i + 2]) & 0xFFFF;
    };
    size_t literalStart = 0;
    size_t i = 0;
    while (i < data.size()) {
        size_t bestLength = 0;
        size_t bestDistance = 0;
        if (i + 3 <= data.size()) {
            int64_t candidate = head[hash(i)];
            for (int depth = 0; candidate >= 0 && depth < 32; ++depth, candidate = chain[static_cast<size_t>(candidate)]) {
                const size_t distance = i - static_cast<size_t>(candidate);
                if (distance > 131072) break;
                size_t length = 0;
                while (i + length < data.size() && length < 1028 && data[static_cast<size_t>(candidate) + length] == data[i + length])
                    ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                }
            }
        }
        const bool shortForm = bestLength >= 3 && bestLength <= 10 && bestDistance <= 1024;
        const bool middleForm = bestLength >= 4 && bestLength <= 67 && bestDistance <= 16384;
        const bool longForm = bestLength >= 5;
        if (!shortForm && !middleForm && !longForm) {
            if (i + 3 <= data.size()) {
                chain[i] = head[hash(i)];
                head[hash(i)] = static_cast<int64_t>(i);
            }
            ++i;
            continue;
        }
        flushLiterals(out, data, literalStart, i, true);
        const auto literals = static_cast<uint32_t>(i - literalStart);
        const auto d = static_cast<uint32_t>(bestDistance - 1);
        const auto n = static_cast<uint32_t>(bestLength);
        if (shortForm) {
            out.push_back(static_cast<uint8_t>(((d >> 8) << 5) | ((n - 3) << 2) | literals));
            out.push_back(static_cast<uint8_t>(d));
        } else if (middleForm) {
            out.push_back(static_cast<uint8_t>(0x80 | (n - 4)));
            out.push_back(static_cast<uint8_t>((literals << 6) | (d >> 8)));
            out.push_back(static_cast<uint8_t>(d));
        } else {
            out.push_back(static_cast<uint8_t>(0xC0 | ((d >> 16) << 4) | (((n - 5) >> 8) << 2) | literals));
            out.push_back(static_cast<uint8_t>(d >> 8));
            out.push_back(static_cast<uint8_t>(d));
            out.push_back(static_cast<uint8_t>(n - 5));
        }
        out.insert(out.end(), data.begin() + static_cast<long>(literalStart), data.begin() + static_cast<long>(i));
        for (size_t j = i; j < i + bestLength; ++j) {
            if (j + 3 <= data.size()) {
                chain[j] = head[hash(j)];
                head[hash(j)] = static_cast<int64_t>(j);
            }
        }
        i += bestLength;
        literalStart = i;
    }
    flushLiterals(out, data, literalStart, data.size(), false);
    out.push_back(static_cast<uint8_t>(0xFC | (data.size() - literalStart)));
    out.insert(out.end(), data.begin() + static_cast<long>(literalStart), data.end());
    return out;
}

Bytes encodeKeyFrame(int width, int height, const std::vector<uint8_t>& palette, const std::vector<uint8_t>& picture)
{
    LeWriter w;
    w.u16(static_cast<uint32_t>(width)).u16(static_cast<uint32_t>(height)).u16(0);
    w.u16(static_cast<uint32_t>(palette.size() / 3)).u32(0);
    w.bytes(palette);
    w.bytes(packLz(picture));
    return w.take();
}

Bytes encodeDeltaFrame(const DeltaFrameParts& parts)
{
    LeWriter w;
    w.u16(static_cast<uint32_t>(parts.vectors.size())).u16(static_cast<uint32_t>(parts.plain.size()));
    w.u16(static_cast<uint32_t>(parts.patterns.size())).u16(static_cast<uint32_t>(parts.mapBits)).u32(0);
    const size_t m = parts.vectors.size();
    const size_t vectorBytes = ((20 * m + 31) / 8) & ~size_t{3};
    Bytes vectors(vectorBytes, 0);
    size_t bit = 0;
    auto putBits = [](Bytes& out, size_t& at, uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i, ++at) {
            if (at / 8 >= out.size()) out.push_back(0);
            if ((value >> i) & 1) out[at / 8] |= static_cast<uint8_t>(1u << (at % 8));
        }
    };
    for (const auto& [dx, dy] : parts.vectors) {
        putBits(vectors, bit, static_cast<uint32_t>(dx) & 0x3FF, 10);
        putBits(vectors, bit, static_cast<uint32_t>(dy) & 0x3FF, 10);
    }
    w.bytes(vectors);
    for (const auto& block : parts.plain) w.bytes(Bytes(block.begin(), block.end()));
    for (const auto& [colours, pattern] : parts.patterns) w.bytes(Bytes(colours.begin(), colours.end())).u32(pattern);
    Bytes map;
    size_t mapBit = 0;
    for (uint32_t e : parts.map) putBits(map, mapBit, e, parts.mapBits);
    w.bytes(map);
    return w.take();
}

Bytes encodeDeltaFrame(int width, int height, const std::vector<uint8_t>& previous, const std::vector<uint8_t>& current)
{
    static const std::pair<int, int> kMoves[] = {{0, 0}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}, {2, 0}, {-2, 0}, {0, 2}, {0, -2},
                                                 {4, 0}, {-4, 0}, {0, 4}, {0, -4}};
    DeltaFrameParts parts;
    for (const auto& v : kMoves) parts.vectors.push_back(v);
    const int64_t size = static_cast<int64_t>(width) * height;
    std::vector<std::pair<int, size_t>> entries; // 0 vector, 1 plain, 2 pattern; index
    for (int by = 0; by < height / 4; ++by) {
        for (int bx = 0; bx < width / 4; ++bx) {
            const int64_t at = static_cast<int64_t>(by * 4) * width + bx * 4;
            std::array<uint8_t, 16> block{};
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c) block[static_cast<size_t>(4 * r + c)] = current[static_cast<size_t>(at + r * width + c)];
            bool done = false;
            for (size_t v = 0; v < parts.vectors.size() && !done; ++v) {
                const int64_t from = at + static_cast<int64_t>(parts.vectors[v].second) * width + parts.vectors[v].first;
                if (from < 0 || from + 3 * int64_t{width} + 4 > size) continue;
                bool same = true;
                for (int r = 0; r < 4 && same; ++r)
                    for (int c = 0; c < 4 && same; ++c)
                        same = previous[static_cast<size_t>(from + r * width + c)] == block[static_cast<size_t>(4 * r + c)];
                if (same) {
                    entries.emplace_back(0, v);
                    done = true;
                }
            }
            if (done) continue;
            std::vector<uint8_t> colours;
            for (uint8_t p : block)
                if (std::find(colours.begin(), colours.end(), p) == colours.end()) colours.push_back(p);
            if (colours.size() <= 4) {
                std::array<uint8_t, 4> set{};
                std::copy(colours.begin(), colours.end(), set.begin());
                uint32_t pattern = 0;
                for (int j = 0; j < 16; ++j) {
                    const auto index = static_cast<uint32_t>(std::find(colours.begin(), colours.end(), block[static_cast<size_t>(j)]) - colours.begin());
                    pattern |= index << (30 - 2 * j);
                }
                entries.emplace_back(2, parts.patterns.size());
                parts.patterns.emplace_back(set, pattern);
            } else {
                entries.emplace_back(1, parts.plain.size());
                parts.plain.push_back(block);
            }
        }
    }
    const size_t m = parts.vectors.size();
    const size_t k = parts.plain.size();
    const size_t total = m + k + parts.patterns.size();
    parts.mapBits = 1;
    while ((size_t{1} << parts.mapBits) < total) ++parts.mapBits;
    for (const auto& [kind, index] : entries)
        parts.map.push_back(static_cast<uint32_t>(kind == 0 ? index : kind == 1 ? m + index : m + k + index));
    return encodeDeltaFrame(parts);
}

void movieKind3Quantiser(int quality, int32_t q[64])
{
    movie::BuildKind3Quantiser(quality, q);
}

void movieKind4Quantiser(int quality, int32_t q[64])
{
    movie::BuildKind4Quantiser(quality, q);
}

Bytes encodeKind3Frame(const YuvPicture& pic, int quality, const std::vector<Kind3Mode>& modes)
{
    int32_t q[64];
    movie::BuildKind3Quantiser(quality, q);
    Bytes out = transformHeader(pic, quality, 0);
    size_t index = 0;
    for (int y0 = 0; y0 < pic.height; y0 += 16) {
        for (int x0 = 0; x0 < pic.width; x0 += 16, ++index) {
            double blocks[6][64];
            macroblockSamples(pic, x0, y0, false, blocks);
            Kind3Mode mode = index < modes.size() ? modes[index] : Kind3Mode::Automatic;
            if (mode == Kind3Mode::Automatic) {
                bool flat = true;
                for (auto& block : blocks) flat = flat && uniform(block);
                mode = flat ? Kind3Mode::Flat6 : Kind3Mode::Coded;
            }
            if (mode == Kind3Mode::Skip) {
                out.push_back(7);
                out.insert(out.end(), 7, 0);
                continue;
            }
            if (mode == Kind3Mode::Coded) {
                LsbWriter w;
                for (auto& block : blocks) {
                    double coefficients[64];
                    forward(block, coefficients);
                    kind3Block(w, coefficients, q);
                }
                Bytes& bytes = w.bytes();
                if (bytes.size() <= 255) {
                    if (bytes.size() < 13) bytes.resize(13, 0);
                    out.push_back(static_cast<uint8_t>(bytes.size()));
                    out.insert(out.end(), bytes.begin(), bytes.end());
                    continue;
                }
                mode = Kind3Mode::Flat6; // too much detail for one mode byte: a flat macroblock
            }
            int values[6];
            for (int b = 0; b < 6; ++b) values[b] = flatValue(average(blocks[b]), q[0]);
            if (mode == Kind3Mode::Flat3) {
                out.push_back(3);
                for (int b : {0, 4, 5}) out.push_back(static_cast<uint8_t>(values[b]));
            } else {
                out.push_back(mode == Kind3Mode::Flat12 ? 12 : 6);
                for (int v : values) {
                    out.push_back(static_cast<uint8_t>(v));
                    if (mode == Kind3Mode::Flat12) out.push_back(0xEE);
                }
            }
        }
    }
    return out;
}

Bytes encodeKind4Frame(const YuvPicture& pic, int quality, int flags, const std::vector<Kind4Macroblock>& macroblocks)
{
    int32_t q[64];
    movie::BuildKind4Quantiser(quality, q);
    MsbWriter w;
    int predictors[3] = {0, 0, 0};
    size_t index = 0;
    const bool clamped = (flags & 2) != 0;
    for (int y0 = 0; y0 < pic.height; y0 += 16) {
        for (int x0 = 0; x0 < pic.width; x0 += 16, ++index) {
            const Kind4Macroblock mb = index < macroblocks.size() ? macroblocks[index] : Kind4Macroblock{};
            if ((flags & 1) == 0) {
                if (mb.copy) {
                    w.put(1, 1);
                    w.put(0, 1);
                    w.put(static_cast<uint32_t>(mb.x) & 15, 4);
                    w.put(static_cast<uint32_t>(mb.y) & 15, 4);
                    continue;
                }
                w.put(0, 1);
            }
            double blocks[6][64];
            macroblockSamples(pic, x0, y0, clamped, blocks);
            for (int b = 0; b < 6; ++b) {
                double coefficients[64];
                forward(blocks[b], coefficients);
                intraBlock(w, coefficients, q, predictors[b < 4 ? 0 : b - 3], b >= 4);
            }
        }
    }
    Bytes out = transformHeader(pic, quality, flags);
    const Bytes words = w.words();
    out.insert(out.end(), words.begin(), words.end());
    return out;
}

void MovieWriter::add(const char* tag, const Bytes& payload)
{
    const Bytes chunk = movieChunk(tag, payload);
    bytes_.insert(bytes_.end(), chunk.begin(), chunk.end());
}

bool MovieWriter::save(const std::string& path) const
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(bytes_.data(), 1, bytes_.size(), f) == bytes_.size();
    return std::fclose(f) == 0 && ok;
}

Bytes sampleIntroMovie()
{
    constexpr int kWidth = 640;
    constexpr int kHeight = 480;
    constexpr int kFrames = 45;
    constexpr int kRate = 22050;
    constexpr int kFps = 15;
    MovieWriter movie;
    movie.audioHeader(2, kRate, 10);
    // A palette of blue-to-gold shades and a sky picture with a bright disc rising over hills.
    std::vector<uint8_t> palette;
    for (int i = 0; i < 256; ++i) {
        palette.push_back(static_cast<uint8_t>(std::min(255, i * 2)));
        palette.push_back(static_cast<uint8_t>(std::min(255, 40 + i)));
        palette.push_back(static_cast<uint8_t>(255 - i / 2));
    }
    auto draw = [&](int frame) {
        std::vector<uint8_t> picture(static_cast<size_t>(kWidth * kHeight));
        const int cx = 320;
        const int cy = 400 - frame * 4;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                uint8_t v = static_cast<uint8_t>(y * 120 / kHeight);
                const int hill = 380 + static_cast<int>(30 * std::sin(x / 60.0));
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < 50 * 50) v = 250;
                if (y > hill) v = 20;
                picture[static_cast<size_t>(y * kWidth + x)] = v;
            }
        }
        return picture;
    };
    ImaEncoder ima;
    std::vector<uint8_t> previous;
    const int perFrame = kRate / kFps;
    for (int f = 0; f < kFrames; ++f) {
        std::vector<int16_t> sound;
        for (int i = 0; i < perFrame; ++i) {
            const double t = static_cast<double>(f * perFrame + i) / kRate;
            const auto s = static_cast<int16_t>(4000 * std::sin(2 * 3.14159265358979 * (220 + 40 * t) * t));
            sound.push_back(s);
            sound.push_back(s);
        }
        movie.add("SNDC", encodeImaChunk(sound, ima));
        std::vector<uint8_t> picture = draw(f);
        if (f == 0)
            movie.add("kVGT", encodeKeyFrame(kWidth, kHeight, palette, picture));
        else
            movie.add("fVGT", encodeDeltaFrame(kWidth, kHeight, previous, picture));
        previous = std::move(picture);
    }
    movie.end();
    return movie.bytes();
}

} // namespace formats
