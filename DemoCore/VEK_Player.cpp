#include "VEK_Player.h"

#include "VEK_DemoEngine.h"
#include "VEK_FrameCapture.h"
#include "VEK_KeyTrack.h"
#include "VEK_LoadingScreen.h"
#include "VEK_StartupDialog.h"
#include "vekPlatform.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

SpriteSet theLoadingScreen;  // process-global; defined before theDemo, so built first and destroyed last
namespace {
constexpr int kEscapeKey = 27;
constexpr int kPlayerUpdateRate = 90;
constexpr uint32_t kStartPauseMs = 2000;
constexpr const char* kErrorCaption = "ERROR";
constexpr long kMaxFrames = 1000000000;   // about 46 days at 250 frames a second
constexpr long kMaxRate = 100000;         // --fixed-fps and --capture-every

// Process-global, as the player has one of each.
DemoEngine theDemo;

// Accepts plain decimal digits only (no sign, no spaces), from 1 to limit.
bool ParseCount(const char* text, long limit, long& value)
{
    if (*text == '\0') return false;
    value = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        value = value * 10 + (*c - '0');
        if (value > limit) return false;   // stops before the sum can overflow
    }
    return value >= 1;
}

// Creates the capture folder and its parents, so a run never finds out half-way that nothing is written.
bool MakeCaptureFolder(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error && std::filesystem::is_directory(folder, error)) return true;
    std::fprintf(stderr, "demo: cannot create the capture folder %s: %s\n", folder.c_str(),
                 error ? error.message().c_str() : "a file of that name is in the way");
    return false;
}

bool ReportWindowFailure(const char* text)
{
    plat::ShowMessage(kErrorCaption, text);
    return false;
}

// Opens the player window; on failure reports it and returns false with nothing left open.
bool CreatePlayerWindow(const char* title, int width, int height, int colourBits, bool& fullscreen)
{
    plat::WindowResult result = plat::OpenWindow(title, width, height, colourBits, fullscreen);
    if (result == plat::WindowResult::fullscreenUnavailable && fullscreen) {
        const bool windowed = plat::AskYesNo(
            "Tamo GL", "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?",
            true);
        if (!windowed) {
            plat::ShowMessage(kErrorCaption, "Program Will Now Close.");
            return false;
        }
        fullscreen = false;
        result = plat::OpenWindow(title, width, height, colourBits, false);
    }
    switch (result) {
    case plat::WindowResult::ok: break;
    case plat::WindowResult::fullscreenUnavailable:
    case plat::WindowResult::windowFailed: return ReportWindowFailure("Window Creation Error.");
    case plat::WindowResult::contextFailed: return ReportWindowFailure("Can't Create A GL Rendering Context.");
    case plat::WindowResult::activateFailed: return ReportWindowFailure("Can't Activate The GL Rendering Context.");
    }
    plat::ShowCursor(false);
    return true;
}

void KillPlayerWindow()
{
    plat::ShowCursor(true);
    plat::CloseWindow();
}

void ClearFrame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

// The frames around the start pause: present, clear, present twice, clear, present.
void PresentAndClear()
{
    plat::SwapWindow();
    ClearFrame();
    plat::SwapWindow();
    plat::SwapWindow();
    ClearFrame();
    plat::SwapWindow();
}

class FrameLoop {
public:
    FrameLoop(const PlayerOptions& options, const KeyTrack& keys, PlayerReport& report)
        : options_(options), report_(report), capture_(options.captureFolder, options.captureEvery), keys_(keys)
    {
    }

    void Run()
    {
        while (!done_) Pass();
    }

private:
    void Pass()
    {
        keys_.Apply(theDemo.sound.Position(), report_.presentedFrames);
        const plat::Message message = plat::PollMessage();
        if (message != plat::Message::none) {
            if (message == plat::Message::quit) {
                done_ = true;
                report_.endedByQuit = true;
            }
            return;
        }
        if (plat::IsActive()) RenderStep();
        if (plat::KeyTable()[kEscapeKey]) {  // nothing more is presented in this pass
            done_ = true;
            report_.endedByEscape = true;
            return;
        }
        Present();
        theDemo.RunTimeline(plat::KeyTable());
        UpdateTickStep();
    }

    void RenderStep()
    {
        theDemo.RenderFrame();
        const int before = theDemo.events.cursor;
        theDemo.UpdateFrame();
        if (theDemo.events.cursor > before) NoteLateness(theDemo.events.entries[theDemo.events.cursor - 1].start);
    }

    // How far the music had run past an event's time when the event fired.
    void NoteLateness(float eventStart)
    {
        const float lateMs = (theDemo.sound.Position() - eventStart) * 1000.0f;
        if (lateMs > report_.latestEventMs) report_.latestEventMs = lateMs;
    }

    void Present()
    {
        int width = 0;
        int height = 0;
        plat::WindowSize(width, height);
        capture_.Frame(report_.presentedFrames + 1, width, height);
        plat::SwapWindow();
        ++report_.presentedFrames;
        if (options_.fixedFps > 0) plat::AdvanceClock(1000000ull / unsigned(options_.fixedFps));
        if (options_.frames >= 0 && report_.presentedFrames >= uint64_t(options_.frames)) {
            done_ = true;
            report_.endedByFrameLimit = true;
        }
    }

    void UpdateTickStep()
    {
        if (!tick_.Due(static_cast<float>(plat::TickCount()), theDemo.updateRate)) return;
        ++report_.updateTicks;
        if (theDemo.CheckMusic()) {
            done_ = true;
            report_.endedByMusic = true;
        }
        theDemo.StepEffects();
    }

    const PlayerOptions& options_;
    PlayerReport& report_;
    UpdateTick tick_;
    FrameCapture capture_;
    KeyTrack keys_;
    bool done_ = false;
};
}  // namespace

bool UpdateTick::Due(float nowMs, int updatesPerSecond)
{
    // A rate of 0 gives an infinite period: the tick pauses instead of dividing by zero.
    const float period = 1000.0f / static_cast<float>(updatesPerSecond);
    if (ticked && nowMs - last < period) return false;
    ticked = true;
    last = nowMs;
    return true;
}

const char* PlayerUsage()
{
    return "Usage: demo [options]\n"
           "Plays the show described by demotest.xml in the working directory.\n"
           "\n"
           "  --no-dialog    start at once, without the start-up dialog\n"
           "  --window       play in a window instead of full screen\n"
           "  --loop         restart the show when the music ends (\"Show Loop\")\n"
           "  --batch        report messages on standard error instead of message boxes\n"
           "  --frames N     quit after N presented frames\n"
           "  --fixed-fps N  run on a virtual clock that advances 1/N s per frame\n"
           "                 (repeatable runs and offline capture)\n"
           "  --dir DIR      the show's folder (default: the working directory)\n"
           "  --capture DIR  write every presented frame to DIR as frameNNNNNN.ppm\n"
           "  --capture-every N  with --capture: only every N-th frame\n"
           "  --keys FILE    press keys at show times, one press a line: SECONDS KEYS [HELD]\n"
           "                 (for example \"36.1 Shift+O\" or \"52.5 Up 1.5\")\n"
           "  --help         show this text\n"
           "\n"
           "Escape or closing the window ends the show. Without a display the show is\n"
           "rendered off-screen in batch mode.\n";
}

bool ParsePlayerOptions(int argc, char** argv, PlayerOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") options.help = true;
        else if (arg == "--no-dialog") options.showDialog = false;
        else if (arg == "--window") options.window = true;
        else if (arg == "--loop") options.loop = true;
        else if (arg == "--batch") options.batch = true;
        else if ((arg == "--frames" || arg == "--fixed-fps" || arg == "--capture-every") && hasValue) {
            long value = 0;
            const long limit = arg == "--frames" ? kMaxFrames : kMaxRate;
            if (!ParseCount(argv[++i], limit, value)) {
                error = arg + " needs a whole number from 1 to " + std::to_string(limit) + ", not '" + argv[i] + "'";
                return false;
            }
            if (arg == "--frames") options.frames = value;
            else if (arg == "--fixed-fps") options.fixedFps = static_cast<int>(value);
            else options.captureEvery = value;
        } else if (arg == "--dir" && hasValue) options.directory = argv[++i];
        else if (arg == "--capture" && hasValue) options.captureFolder = argv[++i];
        else if (arg == "--keys" && hasValue) options.keyTrack = argv[++i];
        else if (arg == "--frames" || arg == "--fixed-fps" || arg == "--dir" || arg == "--capture" ||
                 arg == "--capture-every" || arg == "--keys") {
            error = arg + " needs a value";
            return false;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

int RunPlayer(const PlayerOptions& options, PlayerReport* reportOut)
{
    PlayerReport localReport;
    PlayerReport& report = reportOut ? *reportOut : localReport;

    if (!options.directory.empty() && chdir(options.directory.c_str()) != 0) {
        std::fprintf(stderr, "demo: cannot enter the show folder %s\n", options.directory.c_str());
        return 1;
    }
    if (!options.captureFolder.empty() && !MakeCaptureFolder(options.captureFolder)) return 2;
    KeyTrack keys;
    std::string keyError;
    if (!options.keyTrack.empty() && !keys.Load(options.keyTrack, keyError)) {
        std::fprintf(stderr, "demo: %s\n", keyError.c_str());
        return 2;
    }
    if (options.batch) plat::SetBatchMode(true);
    if (options.fixedFps > 0) plat::UseVirtualClock(true);
    if (!plat::Init()) return 1;

    StartupSettings settings;
    if (options.window) settings.fullscreen = false;
    if (options.loop) settings.showLoop = true;
    if (options.showDialog && !plat::IsBatchMode() && !RunStartupDialog(settings)) {
        plat::Quit();
        return 0;
    }

    theDemo.LoadProject("demotest.xml");
    if (!CreatePlayerWindow(theDemo.ProjectName(), settings.width, settings.height, settings.colourBits,
                            settings.fullscreen)) {
        plat::Quit();
        return 0;
    }
    const uint32_t startMs = plat::TickCount();
    ShowLoadingScreen(settings.width, settings.height, settings.colourBits);
    theDemo.Initialise(float(settings.width), float(settings.height), settings.colourBits);
    theDemo.SetLoop(settings.showLoop);
    theDemo.RenderFrame();
    plat::Sleep(kStartPauseMs);
    PresentAndClear();
    theDemo.StartMusic(0);
    theDemo.LoadEffects("demotest.xml");
    ClearFrame();
    theDemo.updateRate = kPlayerUpdateRate;

    FrameLoop(options, keys, report).Run();
    report.eventsFired = theDemo.events.cursor;
    report.restarts = theDemo.showRestarts;
    report.showSeconds = theDemo.sound.Position();

    theDemo.Shutdown();
    KillPlayerWindow();
    report.milliseconds = plat::TickCount() - startMs;
    plat::Quit();
    return 0;
}
