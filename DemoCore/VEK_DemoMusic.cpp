// The music clock of the show: starting the music at the project's start time, the end
// of the music, and restarting or reloading the show.
#include "VEK_DemoEngine.h"

#include "vekEngineFW.h"

#include <cstring>

namespace {
constexpr int kRestartFlashes = 10;   // flash enable bytes cleared by a restart
}

void DemoEngine::StartMusic(unsigned fileOffset)
{
    if (musicEnabled) sound.Open(musicFile, fileOffset);
    else sound.StartClock();   // no music: the show still runs against a clock
    SeekToStart();
}

void DemoEngine::SeekToStart()
{
    sound.SeekSeconds(startTime);   // writes the clamped start time back
    events.Seek(startTime);
}

bool DemoEngine::CheckMusic()
{
    const bool ended = sound.Update();
    if (!sound.restarted) return ended;

    // The music came round again with "Show Loop" on: the show starts over, with every
    // 2D object off and its events read anew.
    events.Reset();
    LoadEffects(kProjectFile);
    StartMusic(0);
    radialSwitch = false;
    glowOn = false;
    std::memset(flashEnabled, 0, kRestartFlashes);
    std::memset(skinEnabled, 0, sizeof skinEnabled);
    sound.restarted = false;
    ++showRestarts;
    return false;
}

void DemoEngine::ReloadShow()
{
    Read2DObjects(kProjectFile);
    vekParseXMLScript(kProjectFile);
    StartMusic(0);
    LoadEffects(kProjectFile);
    SeekToStart();
}
