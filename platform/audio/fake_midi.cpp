/** @file The MIDI player's test twin. */
#include "platform/audio/midi.h"

namespace platform {

bool FakeMidiPlayer::open(const std::string& path)
{
    close();
    if (failOpen)
        return false;
    openPath = path;
    opened.push_back(path);
    return true;
}

bool FakeMidiPlayer::play()
{
    if (openPath.empty() || failPlay)
        return false;
    playing = true;
    return true;
}

void FakeMidiPlayer::close()
{
    if (!openPath.empty())
        ++closes;
    openPath.clear();
    playing = false;
}

void FakeMidiPlayer::finish()
{
    playing = false;
    if (endHandler)
        endHandler();
}

} // namespace platform
