/** @file The body kind lists and predicates. */
#include "client/world/body_kind.h"

#include <array>
#include <cstddef>
#include <initializer_list>

namespace {

/** An inclusive range of body ids; a single id has first == last. */
struct Range {
    int32_t first;
    int32_t last;
    Range(int32_t id) : first(id), last(id) {} // NOLINT: single ids read best unwrapped in the lists
    Range(int32_t a, int32_t b) : first(a), last(b) {}
};

bool inList(int32_t body, std::initializer_list<Range> ranges)
{
    for (const Range& r : ranges)
        if (body >= r.first && body <= r.last) return true;
    return false;
}

std::array<int32_t, kBodyKindCount> g_kinds = [] {
    std::array<int32_t, kBodyKindCount> t{};
    t.fill(-1);
    return t;
}();

void setKind(int32_t kind, std::initializer_list<Range> ranges)
{
    for (const Range& r : ranges)
        for (int32_t b = r.first; b <= r.last; ++b) g_kinds[static_cast<std::size_t>(b)] = kind;
}

} // namespace

void InitBodyKindTable()
{
    g_kinds.fill(-1);
    setKind(0, {{1, 4},     {7, 22},    {24},       {26},       {28},       {30, 31},   {33},       {35, 36},
                {38, 51},   {53, 62},   {66, 80},   {82, 87},   {89, 94},   {96},       {101, 104}, {106, 113},
                {123, 126}, {128, 132}, {135, 143}, {146, 149}, {152, 155}, {157, 166}, {168},      {206},
                {215},      {574}});
    setKind(1, {{144, 145}, {150, 151}});
    setKind(2, {{5, 6},     {23},       {25},       {27},       {29},       {34},       {37},       {52},
                {63, 65},   {81},       {88},       {97, 100},  {114, 122}, {127},      {133, 134}, {167},
                {170, 171}, {200, 205}, {207, 214}, {216, 221}, {223},      {225, 226}, {228},      {231, 234},
                {237, 238}, {290, 292}});
    setKind(3, {{400, 401}, {987, 988}, {990, 991}, {994}});
    setKind(4, {{404, 419},   {430, 431},   {434, 435},   {447, 449},   {455},        {465, 466},   {468, 469},
                {476, 477},   {479, 480},   {490},        {492},        {500, 505},   {521},        {523},
                {525},        {527, 531},   {538},        {540, 546},   {548, 550},   {554, 557},   {560, 565},
                {576, 582},   {584, 604},   {611, 631},   {633},        {635, 639},   {643, 646},   {648, 649},
                {651},        {653, 672},   {674, 683},   {687, 688},   {690, 703},   {710},        {712, 713},
                {715, 716},   {720, 736},   {740},        {742, 743},   {800, 803},   {820},        {824, 828},
                {846},        {848},        {900, 906},   {909, 913},   {921, 929},   {971, 973},   {980, 985},
                {992, 993},   {1404, 1419}, {1430, 1431}, {1434, 1435}, {1447, 1449}, {1455},       {1465, 1466},
                {1468, 1469}, {1476, 1477}, {1479, 1480}, {1490},       {1492},       {1521},       {1523},
                {1525},       {1527, 1531}, {1538},       {1540},       {1542, 1546}, {1548, 1550}, {1554, 1557},
                {1560, 1565}, {1672},       {1674, 1688}, {1690, 1703}, {1710},       {1712, 1713}, {1715, 1716},
                {1720, 1736}, {1740},       {1742, 1743}, {1900, 1903}, {1909, 1913}, {1921, 1929}, {1971},
                {1973}});
}

int32_t GetBodyKind(int32_t body)
{
    if (body < 0 || body >= kBodyKindCount) return 4;
    const int32_t kind = g_kinds[static_cast<std::size_t>(body)];
    return kind < 0 ? 4 : kind;
}

bool BodyRemapsAction21(int32_t body)
{
    return inList(body, {12, 46, 49, {59, 62}, 103, 104, 106});
}

bool IsBodyWithFixedIdle(int32_t body)
{
    return body == 5;
}

bool BodyUsesIdleGroup6(int32_t body)
{
    return inList(body, {13, 15, 16, {158, 160}, 162, 164});
}

bool BodyHasIdleAction19(int32_t body)
{
    return inList(body, {{4, 6}, 9, 10, 12, 30, {38, 40}, 43, 46, 49, {59, 62}, 67, 73, {102, 104}, 106, 130});
}

bool BodyUsesCreatureLayout(int32_t body)
{
    return inList(body, {5, 6, 23, 25, 27, 29, 34, 37, 52, {63, 65}, 81, 88, {97, 100}, 127, 133, 134});
}

bool BodyUsesAltLayout(int32_t body)
{
    return body == 206 || body == 215;
}

bool BodyRemapsActionSetB(int32_t body)
{
    return body == 8 || body == 66 || body == 129;
}

bool BodyRemapsActionSetC(int32_t body)
{
    return body == 22 || body == 68 || body == 69;
}

bool IsBody574(int32_t body)
{
    return body == 574;
}

bool BodyHasAction12(int32_t body)
{
    if (body >= 0 && body < kBodyKindCount) {
        const int32_t kind = g_kinds[static_cast<std::size_t>(body)];
        if (kind == 3 || kind == 4) return true;
    }
    return inList(body, {4, {8, 10}, {12, 16}, 24, 29, {59, 61}, 72, 85, 574});
}
