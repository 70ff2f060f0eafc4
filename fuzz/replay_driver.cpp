/** @file Stand-in for libFuzzer's driver: replays seed files and deterministic mutations of them. */

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

struct Mutator {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    uint32_t next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
    uint32_t below(uint32_t n) { return n == 0 ? 0 : next() % n; }

    Bytes mutate(const Bytes& seed)
    {
        Bytes out = seed;
        const uint32_t edits = 1 + below(8);
        for (uint32_t i = 0; i < edits; ++i) {
            switch (below(6)) {
            case 0: // flip a bit
                if (!out.empty()) out[below(out.size())] ^= static_cast<uint8_t>(1u << below(8));
                break;
            case 1: // set a byte to an interesting value
                if (!out.empty()) {
                    static const uint8_t values[] = {0, 1, 0x7F, 0x80, 0xFF, 0xFE, 0x40, 0x20};
                    out[below(out.size())] = values[below(sizeof values)];
                }
                break;
            case 2: // truncate
                out.resize(below(out.size() + 1));
                break;
            case 3: // insert random bytes
            {
                const size_t at = below(out.size() + 1);
                const size_t n = 1 + below(16);
                Bytes ins(n);
                for (auto& b : ins) b = static_cast<uint8_t>(next());
                out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), ins.begin(), ins.end());
                break;
            }
            case 4: // overwrite four bytes with a large little- or big-endian number
                if (out.size() >= 4) {
                    const size_t at = below(out.size() - 3);
                    const uint32_t v = (below(2) != 0u) ? 0xFFFFFFFFu : 0x7FFFFFFFu;
                    std::memcpy(out.data() + at, &v, 4);
                }
                break;
            default: // duplicate a slice
                if (!out.empty()) {
                    const size_t at = below(out.size());
                    const size_t n = 1 + below(static_cast<uint32_t>(out.size() - at));
                    Bytes slice(out.begin() + static_cast<std::ptrdiff_t>(at),
                                out.begin() + static_cast<std::ptrdiff_t>(at + n));
                    out.insert(out.end(), slice.begin(), slice.end());
                }
                break;
            }
        }
        return out;
    }
};

Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char** argv)
{
    long runs = 1000;
    std::vector<Bytes> seeds;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--runs=", 0) == 0) {
            runs = std::strtol(arg.c_str() + 7, nullptr, 10);
            continue;
        }
        const std::filesystem::path path(arg);
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file()) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const auto& f : files) seeds.push_back(readFile(f));
        } else if (std::filesystem::is_regular_file(path, ec)) {
            seeds.push_back(readFile(path));
        }
    }
    seeds.push_back({});
    for (const Bytes& seed : seeds) LLVMFuzzerTestOneInput(seed.data(), seed.size());

    Mutator mutator;
    for (long i = 0; i < runs; ++i) {
        const Bytes input = mutator.mutate(seeds[static_cast<size_t>(i) % seeds.size()]);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("replayed %zu seeds and %ld mutations\n", seeds.size(), runs);
    return 0;
}
