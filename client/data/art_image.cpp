/** @file Reading run-encoded art records into checked, host-order images. */
#include "client/data/art_image.h"

#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"

#include <algorithm>
#include <unordered_map>

namespace {

uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

std::unordered_map<int32_t, std::unique_ptr<ArtImage>>& artImages()
{
    static std::unordered_map<int32_t, std::unique_ptr<ArtImage>> images;
    return images;
}

} // namespace

std::unique_ptr<ArtImage> ParseArtImage(const uint8_t* data, size_t size)
{
    if (data == nullptr || size < 8) return nullptr;
    auto image = std::make_unique<ArtImage>();
    image->width = readU16(data + 4);
    image->height = readU16(data + 6);
    const size_t tableEnd = 8 + static_cast<size_t>(image->height) * 2;
    if (tableEnd > size) return nullptr;

    const size_t words = (size - tableEnd) / 2;  // whole 16-bit words after the table
    const uint8_t* base = data + tableEnd;
    const auto width = static_cast<size_t>(image->width);
    // A sound record stores each pixel once, so it never yields more pixels than it has words.
    // Row offsets that lead many rows over the same runs would otherwise turn a small record
    // into gigabytes; once the record's words are used up, the remaining rows stay empty.
    size_t budget = words;
    image->rowStart.reserve(static_cast<size_t>(image->height) + 1);
    for (int32_t y = 0; y < image->height; ++y) {
        image->rowStart.push_back(static_cast<uint32_t>(image->runs.size()));
        size_t at = readU16(data + 8 + static_cast<size_t>(y) * 2);
        size_t x = 0;
        // Each run needs its two header words; the row ends at a count of 0 or at the record's end.
        while (at + 2 <= words && budget > 0) {
            const size_t skip = readU16(base + at * 2);
            const size_t count = readU16(base + at * 2 + 2);
            at += 2;
            if (count == 0) break;
            const size_t start = x + skip;
            if (start >= width) break;  // runs only move right: nothing more of this row shows
            const size_t available = std::min(count, words - at);
            const size_t visible = std::min({available, width - start, budget});
            if (visible > 0) {
                budget -= visible;
                ArtRun run;
                run.x = static_cast<uint16_t>(start);
                run.count = static_cast<uint16_t>(visible);
                run.pixel = static_cast<uint32_t>(image->pixels.size());
                for (size_t i = 0; i < visible; ++i) image->pixels.push_back(readU16(base + (at + i) * 2));
                image->runs.push_back(run);
            }
            if (available < count) break;
            at += count;
            x = start + count;
        }
    }
    image->rowStart.push_back(static_cast<uint32_t>(image->runs.size()));
    return image;
}

const ArtImage* GetArtImage(int32_t artId)
{
    auto& images = artImages();
    if (const auto kept = images.find(artId); kept != images.end()) return kept->second.get();
    int32_t size = 0;
    int32_t extra = 0;
    const uint8_t* data = CDHDCache::GetCacheItem(FILE_ARTIDX, FILE_ART, artId, &size, &extra);
    if (data == nullptr || size <= 0) return nullptr;
    std::unique_ptr<ArtImage> image = ParseArtImage(data, static_cast<size_t>(size));
    if (!image) return nullptr;
    return images.emplace(artId, std::move(image)).first->second.get();
}

void ClearArtImageCache() { artImages().clear(); }

void ForgetArtImage(int32_t artId) { artImages().erase(artId); }

uint16_t GetArtPixel(const ArtImage* image, int32_t x, int32_t y)
{
    if (image == nullptr || y < 0 || y >= image->height || x < 0) return 0;
    const auto row = static_cast<size_t>(y);
    for (uint32_t i = image->rowStart[row]; i < image->rowStart[row + 1]; ++i) {
        const ArtRun& run = image->runs[i];
        if (x < run.x) return 0;
        if (x < run.x + run.count) return image->pixels[run.pixel + static_cast<uint32_t>(x - run.x)];
    }
    return 0;
}
