/** @file The window art of the login and character creation screens. */
#include "tools/sample_install/write_login_art.h"

#include "tools/sample_install/art_shapes.h"

#include <cmath>

namespace sampleinstall {

namespace {

using Image = std::vector<uint16_t>;

Image solid(uint32_t w, uint32_t h, uint16_t colour)
{
    return Image(static_cast<size_t>(w) * h, colour);
}

/** Nine frame pieces from base: 8-pixel corners and edges in the border colour, the centre filled. */
void addFrame(const AddGumpArt& add, uint32_t base, uint16_t border, uint16_t fill, uint32_t edge = 8)
{
    const uint16_t light = static_cast<uint16_t>(border | rgb(4, 4, 4));
    add(base + 0, edge, edge, panel(edge, edge, light, border));
    add(base + 1, edge, edge, solid(edge, edge, border));
    add(base + 2, edge, edge, panel(edge, edge, light, border));
    add(base + 3, edge, edge, solid(edge, edge, border));
    add(base + 4, 16, 16, solid(16, 16, fill));
    add(base + 5, edge, edge, solid(edge, edge, border));
    add(base + 6, edge, edge, panel(edge, edge, light, border));
    add(base + 7, edge, edge, solid(edge, edge, border));
    add(base + 8, edge, edge, panel(edge, edge, light, border));
}

/** A rectangular button with a darker rim; w x h. */
Image plate(uint32_t w, uint32_t h, uint16_t colour)
{
    return panel(w, h, rgb(2, 2, 2), colour);
}

/** A filled ellipse of colour in a w x h image, centred at (cx, cy) with radii rx, ry, over the image. */
void ellipse(Image& px, uint32_t w, uint32_t h, double cx, double cy, double rx, double ry, uint16_t colour)
{
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) px[static_cast<size_t>(y) * w + x] = colour;
        }
}

void rect(Image& px, uint32_t w, uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1, uint16_t colour)
{
    for (uint32_t y = y0; y < y1; ++y)
        for (uint32_t x = x0; x < x1 && x < w; ++x) px[static_cast<size_t>(y) * w + x] = colour;
}

// The preview figure: 160 x 320 images laid over each other at one place.
constexpr uint32_t kFigureW = 160, kFigureH = 320;
// Grey shades: the hue span picks the ramp entry by the shade.
const uint16_t kGreyLight = rgb(24, 24, 24);
const uint16_t kGreyMid = rgb(18, 18, 18);

Image body(bool female)
{
    Image px(static_cast<size_t>(kFigureW) * kFigureH, 0);
    ellipse(px, kFigureW, kFigureH, 80, 40, 22, 28, kGreyLight);            // head
    rect(px, kFigureW, 72, 64, 88, 80, kGreyLight);                          // neck
    ellipse(px, kFigureW, kFigureH, 80, 130, female ? 36 : 44, 60, kGreyLight); // torso
    rect(px, kFigureW, 20, 90, 36, 200, kGreyLight);                         // arms
    rect(px, kFigureW, 124, 90, 140, 200, kGreyLight);
    rect(px, kFigureW, 56, 180, 76, 310, kGreyLight);                        // legs
    rect(px, kFigureW, 84, 180, 104, 310, kGreyLight);
    return px;
}

Image eyes()
{
    Image px(static_cast<size_t>(kFigureW) * kFigureH, 0);
    rect(px, kFigureW, 70, 36, 74, 40, rgb(2, 2, 8));
    rect(px, kFigureW, 86, 36, 90, 40, rgb(2, 2, 8));
    return px;
}

Image shirt(bool female)
{
    Image px(static_cast<size_t>(kFigureW) * kFigureH, 0);
    ellipse(px, kFigureW, kFigureH, 80, 130, female ? 38 : 46, 58, kGreyMid);
    rect(px, kFigureW, 20, 90, 36, 140, kGreyMid);
    rect(px, kFigureW, 124, 90, 140, 140, kGreyMid);
    return px;
}

Image legs(bool skirt)
{
    Image px(static_cast<size_t>(kFigureW) * kFigureH, 0);
    if (skirt)
        for (uint32_t y = 175; y < 260; ++y) rect(px, kFigureW, 80 - (y - 135) / 2, y, 80 + (y - 135) / 2, y + 1, kGreyMid);
    else {
        rect(px, kFigureW, 54, 175, 78, 300, kGreyMid);
        rect(px, kFigureW, 82, 175, 106, 300, kGreyMid);
    }
    return px;
}

/** Hair: style n gives its own shape around the head. */
Image hair(int style)
{
    Image px(static_cast<size_t>(kFigureW) * kFigureH, 0);
    const uint16_t c = kGreyMid;
    switch (style % 6) {
    case 0: ellipse(px, kFigureW, kFigureH, 80, 22, 24, 12, c); break;                              // short
    case 1: ellipse(px, kFigureW, kFigureH, 80, 40, 28, 40, c); ellipse(px, kFigureW, kFigureH, 80, 44, 20, 26, 0); break; // long
    case 2: ellipse(px, kFigureW, kFigureH, 80, 22, 24, 12, c); rect(px, kFigureW, 100, 30, 108, 90, c); break; // tail
    case 3: rect(px, kFigureW, 76, 4, 84, 30, c); break;                                             // mohawk
    case 4: ellipse(px, kFigureW, kFigureH, 80, 28, 28, 18, c); ellipse(px, kFigureW, kFigureH, 80, 40, 20, 18, 0); break; // pageboy
    default: ellipse(px, kFigureW, kFigureH, 80, 10, 10, 8, c); ellipse(px, kFigureW, kFigureH, 80, 24, 22, 8, c); break; // topknot
    }
    return px;
}

Image beard(int style)
{
    Image px(static_cast<size_t>(kFigureW) * kFigureH, 0);
    const uint16_t c = kGreyMid;
    if (style % 2 == 0)
        ellipse(px, kFigureW, kFigureH, 80, 62, 14, 10 + style % 4 * 3, c);
    else
        rect(px, kFigureW, 70, 50, 90, 54, c);
    return px;
}

/** The start city map: land with a coast, hills and a river, 390 x 380. */
Image cityMap()
{
    constexpr uint32_t w = 390, h = 380;
    Image px(static_cast<size_t>(w) * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const double coast = 30 + 20 * std::sin(y * 0.05) + 12 * std::cos(y * 0.13);
            const double river = 200 + 40 * std::sin(y * 0.03);
            uint16_t colour = rgb(8, 14 + (x * 3 + y) % 5 / 2, 6);
            if (x < coast || x > w - coast / 2)
                colour = rgb(4, 8, 20);
            else if (std::abs(static_cast<double>(x) - river) < 3)
                colour = rgb(6, 12, 24);
            else if (std::sin(x * 0.09) * std::cos(y * 0.07) > 0.7)
                colour = rgb(14, 12, 8);
            px[static_cast<size_t>(y) * w + x] = colour;
        }
    return px;
}

/** The main menu's picture: sky, mountains and a title band, 640 x 480 with a transparent centre strip. */
Image titlePicture()
{
    constexpr uint32_t w = 640, h = 480;
    Image px(static_cast<size_t>(w) * h, 0);
    for (uint32_t y = 0; y < 280; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const double ridge = 200 + 40 * std::sin(x * 0.02) + 18 * std::sin(x * 0.07);
            px[static_cast<size_t>(y) * w + x] =
                y > ridge ? rgb(6, 7, 9) : rgb(6 + y / 24, 10 + y / 20, 20 + y / 40);
        }
    return px;
}

} // namespace

void drawLoginScreenArt(const AddGumpArt& add)
{
    // Backgrounds: the tile under every screen, the main menu's picture, the band at the top, the logo.
    add(3604, 32, 32, panel(32, 32, rgb(5, 4, 3), rgb(7, 6, 4)));
    add(5500, 640, 480, titlePicture());
    add(5536, 640, 36, panel(640, 36, rgb(12, 9, 2), rgb(4, 3, 2)));
    Image logo(static_cast<size_t>(70) * 70, 0);
    ellipse(logo, 70, 70, 35, 35, 34, 34, rgb(20, 16, 4));
    ellipse(logo, 70, 70, 35, 35, 24, 24, rgb(8, 6, 2));
    add(1418, 70, 70, logo);
    add(1419, 330, 30, panel(330, 30, rgb(12, 9, 2), rgb(18, 14, 6)));

    // Frames: the account login, the character screen and questions, lists, panels, preview boxes.
    addFrame(add, 5054, rgb(10, 8, 3), rgb(4, 4, 8));
    addFrame(add, 2600, rgb(12, 9, 4), rgb(20, 17, 12));
    addFrame(add, 3500, rgb(8, 6, 3), rgb(3, 3, 3));
    addFrame(add, 3000, rgb(9, 9, 9), rgb(4, 4, 6));
    addFrame(add, 3600, rgb(10, 8, 5), rgb(6, 5, 3));

    // The standard buttons (normal, hover, pressed) down the left side and quit at the top.
    const uint16_t tones[3] = {rgb(10, 8, 4), rgb(16, 13, 6), rgb(6, 5, 2)};
    for (uint32_t first : {5507u, 5510u, 5516u, 5519u, 5522u, 5525u})
        for (uint32_t k = 0; k < 3; ++k) add(first + k, 100, 20, plate(100, 20, tones[k]));
    for (uint32_t k = 0; k < 3; ++k) add(5513 + k, 80, 24, plate(80, 24, k == 1 ? rgb(24, 6, 4) : rgb(16, 4, 3)));
    // The arrow (normal, hover, pressed), back (arrow left), new and delete character, choose shard.
    add(5540, 24, 24, arrowButton(24, rgb(8, 14, 24)));
    add(5541, 24, 24, arrowButton(24, rgb(12, 20, 31)));
    add(5542, 24, 24, arrowButton(24, rgb(4, 8, 16)));
    add(5537, 24, 24, arrowButton(24, rgb(8, 14, 24), true));
    add(5538, 24, 24, arrowButton(24, rgb(12, 20, 31), true));
    add(5539, 24, 24, arrowButton(24, rgb(4, 8, 16), true));
    for (uint32_t k = 0; k < 3; ++k) {
        add(5533 + k, 90, 24, plate(90, 24, tones[k] | rgb(0, 6, 0)));
        add(5530 + k, 90, 24, plate(90, 24, tones[k] | rgb(6, 0, 0)));
        add(5608 + k, 70, 24, plate(70, 24, tones[k]));
    }
    // The scrolling list: up, down, thumb and the column's pieces; sort markers and buttons.
    add(250, 16, 20, plate(16, 20, rgb(10, 10, 12)));
    add(251, 16, 20, plate(16, 20, rgb(6, 6, 8)));
    add(252, 16, 20, plate(16, 20, rgb(10, 10, 12)));
    add(253, 16, 20, plate(16, 20, rgb(6, 6, 8)));
    add(254, 14, 14, plate(14, 14, rgb(18, 18, 20)));
    add(255, 16, 8, solid(16, 8, rgb(4, 4, 5)));
    add(256, 16, 8, solid(16, 8, rgb(5, 5, 6)));
    add(257, 16, 8, solid(16, 8, rgb(4, 4, 5)));
    for (uint32_t k = 0; k < 3; ++k) add(2360 + k, 10, 10, button(10, rgb(28, 24 - 8 * k, 4 + 8 * k)));
    for (uint32_t first : {2363u, 2366u, 2369u})
        for (uint32_t k = 0; k < 3; ++k) add(first + k, 100, 20, plate(100, 20, tones[k]));
    // Decorations and the profession buttons' frame and pictures.
    add(1417, 64, 64, panel(64, 64, rgb(12, 9, 4), rgb(3, 3, 3)));
    add(4506, 24, 24, arrowButton(24, rgb(14, 10, 4), true));
    add(4509, 24, 24, arrowButton(24, rgb(20, 14, 6), true));
    add(4510, 24, 24, arrowButton(24, rgb(8, 6, 2), true));
    for (uint32_t k = 0; k < 3; ++k) add(5504 + k, 46, 46, button(46, rgb(16, 16, 16 - 4 * k)));
    const uint16_t pictures[5] = {rgb(24, 6, 4), rgb(6, 20, 6), rgb(6, 8, 26), rgb(22, 20, 4), rgb(18, 6, 22)};
    for (uint32_t p = 0; p < 5; ++p) {
        add(5571 + 2 * p, 46, 46, button(46, pictures[p]));
        add(5572 + 2 * p, 46, 46, button(46, static_cast<uint16_t>((pictures[p] >> 1) & 0x3DEF)));
    }
    // Sliders: the track's ends and middle, the thumb.
    add(213, 8, 12, panel(8, 12, rgb(8, 8, 8), rgb(14, 14, 14)));
    add(214, 28, 12, panel(28, 12, rgb(8, 8, 8), rgb(14, 14, 14)));
    add(215, 8, 12, panel(8, 12, rgb(8, 8, 8), rgb(14, 14, 14)));
    add(216, 6, 12, plate(6, 12, rgb(28, 24, 8)));
    // The password question and the delete question.
    add(1140, 330, 240, panel(330, 240, rgb(12, 9, 4), rgb(20, 17, 12)));
    add(1141, 200, 24, panel(200, 24, rgb(6, 6, 6), rgb(2, 2, 2)));
    for (uint32_t k = 0; k < 3; ++k) {
        add(1144 + k, 60, 22, plate(60, 22, tones[k] | rgb(6, 0, 0)));
        add(1147 + k, 60, 22, plate(60, 22, tones[k] | rgb(0, 6, 0)));
        add(1150 + k, 40, 22, plate(40, 22, tones[k] | rgb(6, 0, 0)));
        add(1153 + k, 40, 22, plate(40, 22, tones[k] | rgb(0, 6, 0)));
    }
    // Character creation: the preview's frame pieces, sex buttons, body, clothes and hair.
    add(1800, 160, 10, solid(160, 10, rgb(10, 8, 4)));
    add(1801, 80, 20, panel(80, 20, rgb(12, 9, 4), rgb(4, 3, 2)));
    add(1802, 6, 26, solid(6, 26, rgb(12, 9, 4)));
    add(1803, 216, 6, solid(216, 6, rgb(12, 9, 4)));
    add(1804, 6, 26, solid(6, 26, rgb(12, 9, 4)));
    for (uint32_t k = 0; k < 3; ++k) {
        add(1808 + k, 60, 24, plate(60, 24, tones[k] | rgb(0, 0, 10)));
        add(1805 + k, 60, 24, plate(60, 24, tones[k] | rgb(10, 0, 6)));
    }
    add(1889, kFigureW, kFigureH, body(false));
    add(1888, kFigureW, kFigureH, body(true));
    add(1890, kFigureW, kFigureH, eyes());
    add(1891, kFigureW, kFigureH, eyes());
    add(1849, kFigureW, kFigureH, shirt(false));
    add(1812, kFigureW, kFigureH, shirt(true));
    add(1848, kFigureW, kFigureH, legs(false));
    add(1892, kFigureW, kFigureH, legs(true));
    const uint32_t maleHair[9] = {1875, 1876, 1879, 1877, 1871, 1874, 1873, 1880, 1870};
    const uint32_t femaleHair[10] = {1847, 1842, 1845, 1843, 1844, 1840, 1839, 1846, 1836, 1841};
    for (int i = 0; i < 9; ++i) add(maleHair[i], kFigureW, kFigureH, hair(i));
    for (int i = 0; i < 10; ++i) add(femaleHair[i], kFigureW, kFigureH, hair(i + 1));
    for (int i = 0; i < 7; ++i) add(1881 + static_cast<uint32_t>(i), kFigureW, kFigureH, beard(i));
    // The start city map and its markers.
    add(5528, 390, 380, cityMap());
    add(1209, 10, 10, button(10, rgb(20, 4, 4)));
    add(1210, 10, 10, button(10, rgb(31, 28, 8)));
}

const char* sampleProfessionFile()
{
    return "# Professions offered to a new character.\r\n"
           "Begin\r\n"
           "\tName\tFighter\r\n"
           "\tTrueName\t\"Fighter\"\r\n"
           "\tDesc\t1\r\n"
           "\tTopLevel\ttrue\r\n"
           "\tGump\t5571\r\n"
           "\tType\tCategory\r\n"
           "\tChildren\tWarrior, Archer\r\n"
           "End\r\n"
           "Begin\r\n"
           "\tName\tWarrior\r\n"
           "\tTrueName\t\"Warrior\"\r\n"
           "\tDesc\t2\r\n"
           "\tGump\t5573\r\n"
           "\tSkill\tSwordsmanship 50\r\n"
           "\tSkill\tTactics 30\r\n"
           "\tSkill\tHealing 20\r\n"
           "\tStat\tStr 35\r\n"
           "\tStat\tDex 20\r\n"
           "\tStat\tInt 10\r\n"
           "End\r\n"
           "Begin\r\n"
           "\tName\tArcher\r\n"
           "\tTrueName\t\"Archer\"\r\n"
           "\tDesc\t3\r\n"
           "\tGump\t5575\r\n"
           "\tSkill\tArchery 50\r\n"
           "\tSkill\tBowcraft 30\r\n"
           "\tSkill\tTracking 20\r\n"
           "\tStat\tStr 20\r\n"
           "\tStat\tDex 35\r\n"
           "\tStat\tInt 10\r\n"
           "End\r\n"
           "Begin\r\n"
           "\tName\tMage\r\n"
           "\tTrueName\t\"Mage\"\r\n"
           "\tDesc\t4\r\n"
           "\tTopLevel\ttrue\r\n"
           "\tGump\t5577\r\n"
           "\tSkill\tMagery 50\r\n"
           "\tSkill\tMeditation 30\r\n"
           "\tSkill\tInscription 20\r\n"
           "\tStat\tStr 10\r\n"
           "\tStat\tDex 15\r\n"
           "\tStat\tInt 40\r\n"
           "End\r\n"
           "Begin\r\n"
           "\tName\tSmith\r\n"
           "\tTrueName\t\"Smith\"\r\n"
           "\tDesc\t5\r\n"
           "\tTopLevel\ttrue\r\n"
           "\tGump\t5579\r\n"
           "\tSkill\tBlacksmith 50\r\n"
           "\tSkill\tMining 30\r\n"
           "\tSkill\tArmsLore 20\r\n"
           "\tStat\tStr 40\r\n"
           "\tStat\tDex 15\r\n"
           "\tStat\tInt 10\r\n"
           "End\r\n";
}

} // namespace sampleinstall
