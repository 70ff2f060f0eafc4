/** @file Small functions shared across the client. */
#include "client/core/shared_functions.h"

#include "client/core/app.h"
#include "client/core/display_mode.h"
#include "client/core/main_window.h"
#include "client/core/memory_manager.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

unsigned char foldAscii(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

/** suffix[i]: length of the longest substring ending at i that is also a suffix of the pattern. */
std::vector<int32_t> suffixLengths(const std::vector<unsigned char>& p)
{
    const int32_t m = static_cast<int32_t>(p.size());
    std::vector<int32_t> suffix(m);
    suffix[m - 1] = m;
    int32_t g = m - 1;
    int32_t f = m - 1;
    for (int32_t i = m - 2; i >= 0; --i) {
        if (i > g && suffix[i + m - 1 - f] < i - g) {
            suffix[i] = suffix[i + m - 1 - f];
        } else {
            if (i < g)
                g = i;
            f = i;
            while (g >= 0 && p[g] == p[g + m - 1 - f])
                --g;
            suffix[i] = f - g;
        }
    }
    return suffix;
}

/** goodSuffix[j]: the shift after a mismatch at j with p[j+1..] matched. */
std::vector<int32_t> goodSuffixShifts(const std::vector<unsigned char>& p)
{
    const int32_t m = static_cast<int32_t>(p.size());
    const std::vector<int32_t> suffix = suffixLengths(p);
    std::vector<int32_t> shift(m, m);
    int32_t j = 0;
    for (int32_t i = m - 1; i >= 0; --i) {
        if (suffix[i] == i + 1) {
            for (; j < m - 1 - i; ++j) {
                if (shift[j] == m)
                    shift[j] = m - 1 - i;
            }
        }
    }
    for (int32_t i = 0; i <= m - 2; ++i)
        shift[m - 1 - suffix[i]] = m - 1 - i;
    return shift;
}

/** The full-screen toggle, the scroll reset and the redraw that both full-screen functions share. */
void toggleFullScreenAndRedraw()
{
    SendFullScreenToggle();
    ViewScrollX = 0;
    ViewScrollY = 0;
    if (sharedFunctionHooks().redrawAll)
        sharedFunctionHooks().redrawAll();
}

} // namespace

int32_t FindSubstringNoCase(const char* pattern, const char* text)
{
    if (pattern == nullptr || text == nullptr)
        return -1;
    const int32_t m = static_cast<int32_t>(std::strlen(pattern));
    const int32_t n = static_cast<int32_t>(std::strlen(text));
    if (m == 0)
        return 0;
    if (m > n)
        return -1;

    std::vector<unsigned char> p(m);
    for (int32_t i = 0; i < m; ++i)
        p[i] = foldAscii(pattern[i]);

    // Bad-character rule: each byte's distance from the pattern's end (its last place before the end).
    int32_t badChar[256];
    std::fill(std::begin(badChar), std::end(badChar), m);
    for (int32_t i = 0; i < m - 1; ++i)
        badChar[p[i]] = m - 1 - i;
    const std::vector<int32_t> goodSuffix = goodSuffixShifts(p);

    int32_t s = 0;
    while (s <= n - m) {
        int32_t j = m - 1;
        while (j >= 0 && p[j] == foldAscii(text[s + j]))
            --j;
        if (j < 0)
            return s;
        const int32_t badShift = badChar[foldAscii(text[s + j])] - (m - 1 - j);
        s += std::max({goodSuffix[j], badShift, 1});
    }
    return -1;
}

uint32_t TickDifference(uint32_t now, uint32_t then)
{
    if (then > now)
        return 0xFFFFFFFFu - then + now;
    return now - then;
}

CLifetimeGuard::~CLifetimeGuard()
{
    while (head_ != nullptr)
        delete std::exchange(head_, head_->next);
}

bool IsValidObjectPointer(const void* pointer)
{
    return pointer != nullptr && !MemoryManager::isFreedMarker(pointer);
}

bool IsGodClient()
{
    return false;
}

void EmptyHandler(void*, int32_t)
{
}

SharedFunctionHooks& sharedFunctionHooks()
{
    static SharedFunctionHooks hooks;
    return hooks;
}

void LeaveFullScreen()
{
    if (FullScreenActive != 0)
        toggleFullScreenAndRedraw();
}

void SetFullScreen(int flag)
{
    if ((flag != 0) != (FullScreenActive != 0))
        toggleFullScreenAndRedraw();
}

void SendAsciiSpeech(const char* text, int32_t length, int mode)
{
    if (text == nullptr || length < 0)
        return;
    // length + 1 units: the widened text keeps its terminator, and a length shorter than the
    // text cuts it there instead of reading on.
    std::vector<WideChar> wide(static_cast<size_t>(length) + 1, 0);
    for (int32_t i = 0; i < length && text[i] != 0; ++i)
        wide[static_cast<size_t>(i)] = static_cast<unsigned char>(text[i]);
    if (sharedFunctionHooks().sendUnicodeSpeech)
        sharedFunctionHooks().sendUnicodeSpeech(wide.data(), WideStrLen(wide.data()), mode);
}

void SendSpeechRateLimited(const char* text, int32_t length, int mode)
{
    if (text == nullptr || length < 0)
        return;
    if (IsUnderSpamLimit()) {
        SendAsciiSpeech(text, length, mode);
        AddSpamCount(length);
        return;
    }
    if (sharedFunctionHooks().showSystemText)
        sharedFunctionHooks().showSystemText(SpeechQueuedNotice());
    QueueSpeech(text, length, mode);
}
