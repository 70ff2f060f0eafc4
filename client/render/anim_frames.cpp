/** @file Animation records of bodies and worn items: reading and checking a record, choosing a record and frame. */
#include "client/render/anim_frames.h"

#include "client/core/byte_reader.h"
#include "client/core/kz_report.h"
#include "client/data/cdhd_cache.h"
#include "client/data/data_files.h"
#include "client/data/def_tables.h"
#include "client/world/body_kind.h"

#include <unordered_map>
#include <unordered_set>

namespace {

constexpr uint32_t kEndOfRuns = 0x7FFF7FFF;
constexpr size_t kPaletteBytes = 512;

/** A signed 10-bit field. */
int16_t signed10(uint32_t v)
{
    return static_cast<int16_t>((v & 0x200) != 0 ? static_cast<int32_t>(v & 0x3FF) - 1024 : static_cast<int32_t>(v & 0x3FF));
}

bool parseFrame(ByteReader& in, const std::array<uint16_t, 256>& palette, AnimFrame& frame, std::vector<uint16_t>& colors)
{
    frame.centreX = in.s16le();
    frame.centreY = in.s16le();
    frame.width = in.u16le();
    frame.height = in.u16le();
    for (;;) {
        const uint32_t header = in.u32le();
        if (!in.ok()) return false;
        if (header == kEndOfRuns) break;
        AnimRun run;
        run.length = static_cast<uint16_t>(header & 0xFFF);
        run.row = signed10(header >> 12);
        run.x = signed10(header >> 22);
        run.pixel = static_cast<uint32_t>(colors.size());
        const uint8_t* pixels = in.has(run.length) ? in.data() + in.position() : nullptr;
        if (pixels == nullptr) return false;
        in.skip(run.length);
        for (uint32_t i = 0; i < run.length; ++i) colors.push_back(palette[pixels[i]]);
        frame.runs.push_back(run);
    }
    frame.present = true;
    return true;
}

std::unordered_map<int32_t, std::unique_ptr<AnimRecord>>& records()
{
    static std::unordered_map<int32_t, std::unique_ptr<AnimRecord>> kept;
    return kept;
}

std::unordered_set<int32_t>& damagedLogged()
{
    static std::unordered_set<int32_t> logged;
    return logged;
}

} // namespace

std::unique_ptr<AnimRecord> ParseAnimRecord(const uint8_t* data, size_t size)
{
    ByteReader in(data, size);
    std::array<uint16_t, 256> palette{};
    for (uint16_t& c : palette) c = in.u16le() & 0x7FFF;
    const uint32_t count = in.u32le();
    // Every frame needs at least its offset: a count the record cannot hold is damage.
    if (!in.ok() || count > in.remaining() / 4) return nullptr;
    std::vector<uint32_t> offsets(count);
    for (uint32_t& o : offsets) o = in.u32le();
    auto record = std::make_unique<AnimRecord>();
    record->frames.resize(count);
    for (uint32_t f = 0; f < count; ++f) {
        if (offsets[f] == 0) continue;
        ByteReader at(data, size);
        if (!at.seek(kPaletteBytes + static_cast<size_t>(offsets[f]))) return nullptr;
        if (!parseFrame(at, palette, record->frames[f], record->colors)) return nullptr;
    }
    return in.ok() ? std::move(record) : nullptr;
}

const AnimRecord* GetAnimRecord(int32_t record)
{
    if (record < 0) return nullptr;
    auto& kept = records();
    if (const auto found = kept.find(record); found != kept.end()) return found->second.get();
    int32_t size = 0;
    int32_t extra = 0;
    const uint8_t* data = CDHDCache::GetCacheItem(FILE_ANIMIDX, FILE_ANIM, record, &size, &extra);
    std::unique_ptr<AnimRecord> parsed;
    if (data != nullptr && size > 0) {
        parsed = ParseAnimRecord(data, static_cast<size_t>(size));
        if (!parsed && damagedLogged().insert(record).second)
            KZReport::error("GetAnimRecord: animation record %d is damaged and is not drawn.\n", record);
    }
    return kept.emplace(record, std::move(parsed)).first->second.get();
}

void ClearAnimRecordCache()
{
    records().clear();
    damagedLogged().clear();
}

const AnimFrame* GetAnimFrame(int32_t record, int32_t frame)
{
    const AnimRecord* r = GetAnimRecord(record);
    if (r == nullptr || frame < 0 || static_cast<size_t>(frame) >= r->frames.size()) return nullptr;
    const AnimFrame& f = r->frames[static_cast<size_t>(frame)];
    return f.present ? &f : nullptr;
}

int32_t AnimDirection(int32_t direction)
{
    static constexpr int32_t kStored[8] = {3, 2, 1, 0, 1, 2, 3, 4};
    return kStored[direction & 7];
}

bool AnimMirrored(int32_t direction)
{
    return (direction & 7) <= 2;
}

int32_t SubstituteBody(int32_t body, uint16_t* hue)
{
    if (hue != nullptr) *hue = 0;
    if (const DefTable* table = DefTables::Get(DEF_BODY); table != nullptr && body >= 0 && body < 0x10000)
        if (const DefEntry* e = table->Find(static_cast<uint16_t>(body))) {
            if (!e->alternates.empty()) body = e->alternates.front();
            if (hue != nullptr) *hue = static_cast<uint16_t>(e->number);
        }
    if (body == 402 || body == 403) body -= 2;
    return body;
}

AnimLayout LayoutOfBody(int32_t body)
{
    constexpr AnimLayout k110{0, 110, 0, 22};
    constexpr AnimLayout k65{22000, 65, 200, 13};
    constexpr AnimLayout k175{35000, 175, 400, 35};
    if (IsBody574(body)) return k175;
    switch (GetBodyKind(body)) {
    case 1: return k110;
    case 0: return BodyUsesAltLayout(body) ? k65 : k110;
    case 2: return BodyUsesCreatureLayout(body) ? (BodyUsesAltLayout(body) ? k65 : k110) : k65;
    default: return k175;
    }
}

int32_t AnimRecordOf(int32_t body, int32_t action, int32_t direction)
{
    body = SubstituteBody(body);
    const AnimLayout layout = LayoutOfBody(body);
    if (action > 34) action = 0;
    const int32_t index = body - layout.firstBody;
    if (action < 0 || action >= layout.actions || index < 0) return -1;
    return layout.base + index * layout.perBody + AnimDirection(direction) + action * 5;
}

void CorpseAction(int32_t body, int32_t direction, int32_t& action, int32_t& frame)
{
    body = SubstituteBody(body);
    const bool running = (direction & 0x80) != 0;
    frame = 5;
    const AnimLayout layout = LayoutOfBody(body);
    if (layout.perBody == 175) {
        action = running ? 22 : 21;
    } else if (GetBodyKind(body) == 1) {
        action = 8;
    } else if (layout.perBody == 65) {
        action = running ? 12 : 8;
    } else {
        action = running ? 3 : 2;
        frame = 3;
    }
}
