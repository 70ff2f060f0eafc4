/** @file Seasonal substitution of land tiles and static item graphics. */
#include "client/data/seasonal_art.h"

#include <array>
#include <initializer_list>
#include <memory>
#include <unordered_map>
#include <utility>

int32_t SeasonValue = 0;

namespace {

constexpr int32_t kLandIds = 16384;
using Pairs = std::initializer_list<std::pair<uint16_t, uint16_t>>;

const std::array<uint16_t, kLandIds>& landTable(int32_t season)
{
    static std::array<std::unique_ptr<std::array<uint16_t, kLandIds>>, 4> tables;
    auto& table = tables[static_cast<size_t>(season)];
    if (!table) {
        table = std::make_unique<std::array<uint16_t, kLandIds>>();
        for (int32_t i = 0; i < kLandIds; ++i) (*table)[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
        if (season == 3) {
            const Pairs rows = {{196, 282},  {197, 283},  {198, 284},  {199, 285},  {206, 1472}, {248, 282},
                                {249, 283},  {250, 284},  {251, 285},  {804, 913},  {805, 914},  {806, 915},
                                {807, 916},  {808, 917},  {809, 918},  {1521, 282}, {1522, 283}, {1523, 284},
                                {1524, 285}, {1529, 282}, {1530, 283}, {1531, 284}, {1532, 285}, {1533, 283},
                                {1534, 284}, {1535, 285}, {1536, 283}, {1537, 284}, {1538, 285}, {1539, 284},
                                {1540, 285}};
            for (const auto& [from, to] : rows) (*table)[from] = to;
        }
    }
    return *table;
}

using GraphicMap = std::unordered_map<uint16_t, uint16_t>;

GraphicMap build(std::initializer_list<std::pair<std::initializer_list<uint16_t>, uint16_t>> rows)
{
    GraphicMap map;
    for (const auto& [froms, to] : rows)
        for (uint16_t from : froms) map.emplace(from, to);
    return map;
}

GraphicMap range(uint16_t first, uint16_t last, uint16_t to)
{
    GraphicMap map;
    for (uint32_t g = first; g <= last; ++g) map.emplace(static_cast<uint16_t>(g), to);
    return map;
}

const GraphicMap& season0()
{
    static const GraphicMap map = build({{{3239}, 3204},
                                         {{3244}, 3142},
                                         {{3245}, 3144},
                                         {{3246, 3253}, 3146},
                                         {{3247}, 3150},
                                         {{3248}, 3149},
                                         {{3254, 3341, 3348}, 3371},
                                         {{3340}, 3369},
                                         {{3342}, 3262},
                                         {{3343}, 3263},
                                         {{3344}, 3264},
                                         {{3345}, 3207},
                                         {{3346}, 3128},
                                         {{3347}, 3375}});
    return map;
}

const GraphicMap& season2()
{
    static const GraphicMap map = [] {
        GraphicMap m = build({{{3204, 3248}, 6946},
                              {{3230, 3305}, 3391},
                              {{3239}, 3144},
                              {{3244}, 6943},
                              {{3245}, 6944},
                              {{3246}, 6945},
                              {{3247}, 3341},
                              {{3253}, 3344},
                              {{3254}, 3371},
                              {{3271}, 3150},
                              {{3306}, 3392},
                              {{3477}, 3479},
                              {{3481}, 3483}});
        m.merge(range(3211, 3214, 3270));
        for (uint16_t g : {3278, 3281, 3284, 3291, 3294, 3297, 3300, 3303}) m.emplace(g, static_cast<uint16_t>(g + 1));
        return m;
    }();
    return map;
}

const GraphicMap& season4()
{
    static const GraphicMap map = [] {
        GraphicMap m = build({{{3127, 3128, 3143, 3146, 3147, 3149, 3212, 3213, 3219, 3220, 3224, 3255, 3269, 3344,
                                3346, 3347, 3352, 3353, 3373, 3375},
                               7086},
                              {{3141, 3144, 3150, 3205, 3239, 3246, 3247, 3253, 3349, 3369}, 7068},
                              {{3142, 3145, 3254}, 7069},
                              {{3148}, 6934},
                              {{3204, 3211}, 7044},
                              {{3214, 3225, 3244, 3350}, 7053},
                              {{3230}, 4482},
                              {{3245}, 6881},
                              {{3256}, 7402},
                              {{3271}, 6925},
                              {{3305}, 3799},
                              {{3306}, 3391},
                              {{3343}, 6940},
                              {{3345, 3348, 3351}, 4651},
                              {{3371}, 6933},
                              {{7038}, 7732}});
        m.merge(range(3231, 3236, 7086));
        m.merge(range(3248, 3252, 7086));
        m.merge(range(3340, 3342, 7086));
        m.merge(range(3257, 3262, 7053));
        return m;
    }();
    return map;
}

uint16_t lookup(const GraphicMap& map, uint16_t graphic)
{
    const auto it = map.find(graphic);
    return it == map.end() ? graphic : it->second;
}

} // namespace

uint16_t RemapSeasonalLand(uint16_t tileId)
{
    if (tileId >= kLandIds || SeasonValue < 0 || SeasonValue > 3) return tileId;
    return landTable(SeasonValue)[tileId];
}

uint16_t RemapSeasonalGraphic(uint16_t graphic)
{
    switch (SeasonValue) {
    case 0: return lookup(season0(), graphic);
    case 2: return lookup(season2(), graphic);
    case 4: return lookup(season4(), graphic);
    default: return graphic;
    }
}
