/** @file Frame checksums and PNG dumps for the movie tests. */
#include "tests/support/movie_fixtures.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace testsupport {

namespace {

uint32_t crc32(const uint8_t* data, size_t length, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void pngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    putBe32(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    putBe32(out, crc32(body.data(), body.size()));
}

} // namespace

uint64_t frameChecksum(const std::vector<uint16_t>& pixels)
{
    uint64_t h = 1469598103934665603ull;
    for (uint16_t p : pixels) {
        h = (h ^ (p & 0xFF)) * 1099511628211ull;
        h = (h ^ (p >> 8)) * 1099511628211ull;
    }
    return h;
}

bool writeFramePng(const std::string& path, const std::vector<uint16_t>& pixels, int width, int height, bool rgb565)
{
    // Raw rows (filter byte 0) in stored deflate blocks: no compressor needed.
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            const uint16_t p = pixels[static_cast<size_t>(y * width + x)];
            const int r = rgb565 ? (p >> 11) << 3 : ((p >> 10) & 31) << 3;
            const int g = rgb565 ? ((p >> 5) & 63) << 2 : ((p >> 5) & 31) << 3;
            const int b = (p & 31) << 3;
            raw.push_back(static_cast<uint8_t>(r));
            raw.push_back(static_cast<uint8_t>(g));
            raw.push_back(static_cast<uint8_t>(b));
        }
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + n));
        if (raw.empty()) break;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    putBe32(z, (b << 16) | a);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBe32(header, static_cast<uint32_t>(width));
    putBe32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    pngChunk(png, "IHDR", header);
    pngChunk(png, "IDAT", z);
    pngChunk(png, "IEND", {});
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

std::string checkGoldenFrame(const std::string& name, const std::vector<uint16_t>& pixels, int width, int height,
                             bool rgb565, uint64_t expected)
{
    const uint64_t actual = frameChecksum(pixels);
    if (actual == expected)
        return {};
    const char* dir = std::getenv("KZ_TEST_BINARY_DIR");
    const std::string path = std::string(dir != nullptr ? dir : ".") + "/" + name + ".png";
    writeFramePng(path, pixels, width, height, rgb565);
    char text[160];
    std::snprintf(text, sizeof text, "frame %s: checksum 0x%016llx, pinned 0x%016llx; picture in ", name.c_str(),
                  static_cast<unsigned long long>(actual), static_cast<unsigned long long>(expected));
    return text + path;
}

} // namespace testsupport
