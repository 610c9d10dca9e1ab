// The player shell: start-up, the player window, the frame loop and shut-down.
#pragma once

#include <cstdint>
#include <string>

// Start-up settings: set before the dialog, changed by it, read after it.
struct StartupSettings {
    bool fullscreen = true;
    bool showLoop = false;
    bool detailMaps = true;   // shown in the dialog; nothing reads it
    bool lowChips = false;    // shown in the dialog; nothing reads it
    int colourBits = 32;
    int width = 800;
    int height = 600;
};

// Command-line options of the demo program.
struct PlayerOptions {
    bool showDialog = true;
    bool window = false;          // --window: start windowed
    bool loop = false;            // --loop: "Show Loop" on
    bool batch = false;           // --batch: messages on standard error, never blocking
    long frames = -1;             // --frames N: quit after N presented frames
    int fixedFps = 0;             // --fixed-fps N: virtual clock advancing 1/N s per frame
    std::string directory;        // --dir DIR: the show's folder
    std::string captureFolder;    // --capture DIR: write presented frames there (PPM)
    long captureEvery = 1;        // --capture-every N: only every N-th frame
    std::string keyTrack;         // --keys FILE: keys pressed at show times
    std::string renderFile;       // --render OUT.mkv / OUT.mp4: the show as a video file
    std::string pngFolder;        // --capture-png DIR: frames as PNG pictures and audio.wav
    int fps = 0;                  // --fps N: frames a second of the recorded show (0: not given)
    int outputWidth = 0;          // --size WxH: the video's picture size (0: the window's)
    int outputHeight = 0;
    double startSeconds = -1.0;   // --start SECONDS: where the show starts (negative: not given)
    bool watch = false;           // --watch: read the script again when it or its files change
    bool help = false;

    // The show is recorded frame by frame on a virtual clock (--render, --capture-png, or
    // --capture with --fps).
    bool Offline() const { return !renderFile.empty() || !pngFolder.empty() || (!captureFolder.empty() && fps > 0); }
};

// Parses argv. On a bad argument returns false with the reason in error.
bool ParsePlayerOptions(int argc, char** argv, PlayerOptions& options, std::string& error);
const char* PlayerUsage();

// The frame rate a recorded show uses when --fps is not given.
inline constexpr int kDefaultRecordFps = 60;
// A recorded show is run at a whole multiple of its frame rate, at least this many
// passes a second, and every so many passes one is drawn: events, fades and scene
// updates keep the pace they have when played live, whatever the frame rate.
inline constexpr int kLeastPassesPerSecond = 250;
inline int PassesPerRecordedFrame(int fps) { return (kLeastPassesPerSecond + fps - 1) / fps; }

// What a run did, for the summary line and for tests.
struct PlayerReport {
    uint64_t presentedFrames = 0;
    uint64_t updateTicks = 0;
    uint32_t milliseconds = 0;
    int eventsFired = 0;          // timed events the show reached (since its last restart)
    float showSeconds = 0.0f;     // demo time (music position) at the end
    float latestEventMs = 0.0f;   // the most an event fired after its time, in music milliseconds
    int restarts = 0;             // times "Show Loop" started the show over
    bool endedByEscape = false;
    bool endedByQuit = false;
    bool endedByMusic = false;
    bool endedByFrameLimit = false;
};

class DemoEngine;
// Sees every frame just before it is presented, while the back buffer holds it (tests
// and tools). Frames count from 1.
class PlayerObserver {
public:
    virtual ~PlayerObserver() = default;
    virtual void FrameReady(const DemoEngine& demo, uint64_t frame) = 0;
};

// Runs the whole program and returns the process exit code.
int RunPlayer(const PlayerOptions& options, PlayerReport* report = nullptr, PlayerObserver* observer = nullptr);

// The update tick: runs the fixed-rate work when a period of the update rate has passed.
class UpdateTick {
public:
    // True when the tick is due at nowMs for the given rate; then it counts from nowMs.
    bool Due(float nowMs, int updatesPerSecond);
    float last = 0.0f;
    // The first tick runs at once. (The millisecond clock counts from start-up here, not
    // from boot, so "last = 0" alone would delay it by one period.)
    bool ticked = false;
};
