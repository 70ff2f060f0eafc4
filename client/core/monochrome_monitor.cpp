/** @file MonochromeMonitor: an 80x25 text screen kept in memory for debug output. */
#include "client/core/monochrome_monitor.h"

#include "client/core/kz_report.h"

#include <cstring>

namespace MonochromeMonitor {

namespace {

constexpr uint8_t kAttribute = 7;

uint8_t cells[SCREEN_BYTES];
int column = 0;
int row = 0;
bool started = false;
bool scrolling = false;
int level = 0;

void nextRowIfNeeded()
{
    if (row < SCREEN_HEIGHT)
        return;
    if (scrolling) {
        std::memmove(cells, cells + SCREEN_WIDTH * 2, (SCREEN_HEIGHT - 1) * SCREEN_WIDTH * 2);
        uint8_t* last = cells + (SCREEN_HEIGHT - 1) * SCREEN_WIDTH * 2;
        for (int i = 0; i < SCREEN_WIDTH; ++i) {
            last[i * 2] = ' ';
            last[i * 2 + 1] = kAttribute;
        }
        column = 0;
        row = SCREEN_HEIGHT - 1;
    } else {
        column = 0;
        row = 0;
    }
}

} // namespace

void startup()
{
    if (started)
        return;
    for (int i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT; ++i)
        putchar(' ');
    column = 0;
    row = 0;
    started = true;
}

void putchar(char c)
{
    if (c == '\n') {
        column = 0;
        ++row;
    } else {
        if ((row * SCREEN_WIDTH + column) * 2 >= SCREEN_BYTES) {
            KZReport::error("MonochromeMonitor::putchar: offset >= SCREEN_WIDTH * SCREEN_HEIGHT * 2\n");
            column = 0;
            row = 0;
        }
        const int offset = (row * SCREEN_WIDTH + column) * 2;
        cells[offset] = static_cast<uint8_t>(c);
        cells[offset + 1] = kAttribute;
        if (++column >= SCREEN_WIDTH) {
            column = 0;
            ++row;
        }
    }
    nextRowIfNeeded();
}

void setMode(int mode)
{
    switch (mode) {
    case 0:
        level = 0;
        break;
    case 1:
        scrolling = false;
        level = 1;
        break;
    case 2:
        scrolling = true;
        level = 2;
        break;
    default:
        break;
    }
}

const uint8_t* screen()
{
    return cells;
}

int cursorColumn()
{
    return column;
}

int cursorRow()
{
    return row;
}

int debugLevel()
{
    return level;
}

bool scrollMode()
{
    return scrolling;
}

bool isStarted()
{
    return started;
}

void resetForTests()
{
    std::memset(cells, 0, sizeof cells);
    column = 0;
    row = 0;
    started = false;
    scrolling = false;
    level = 0;
}

} // namespace MonochromeMonitor
