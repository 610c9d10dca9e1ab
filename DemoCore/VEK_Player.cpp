#include "VEK_Player.h"

#include "VEK_DemoEngine.h"
#include "VEK_FrameLoop.h"
#include "VEK_KeyTrack.h"
#include "VEK_LoadingScreen.h"
#include "VEK_StartupDialog.h"
#include "VEK_VideoFile.h"
#include "vekPlatform.h"

#include <GL/gl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

SpriteSet theLoadingScreen;  // process-global; defined before theDemo, so built first and destroyed last
namespace {
constexpr int kPlayerUpdateRate = 90;
constexpr uint32_t kStartPauseMs = 2000;
constexpr const char* kErrorCaption = "ERROR";

// Process-global, as the player has one of each.
DemoEngine theDemo;

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

// The video file is made before anything opens, for the same reason; the recording
// writes it again from the start.
bool CanWriteVideo(const std::string& path)
{
    if (!VideoRecordingBuiltIn()) {
        std::fprintf(stderr, "demo: %s\n", kVideoNotBuiltIn);
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "demo: cannot write the video file %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    std::fclose(file);
    return true;
}

// Refuses an output that cannot be written, before a window opens.
bool PrepareOutput(const PlayerOptions& options)
{
    if (!options.captureFolder.empty() && !MakeCaptureFolder(options.captureFolder)) return false;
    if (!options.pngFolder.empty() && !MakeCaptureFolder(options.pngFolder)) return false;
    return options.renderFile.empty() || CanWriteVideo(options.renderFile);
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

int RunPlayer(const PlayerOptions& options, PlayerReport* reportOut, PlayerObserver* observer)
{
    PlayerReport localReport;
    PlayerReport& report = reportOut ? *reportOut : localReport;

    if (!options.directory.empty() && chdir(options.directory.c_str()) != 0) {
        std::fprintf(stderr, "demo: cannot enter the show folder %s\n", options.directory.c_str());
        return 1;
    }
    // Output paths, like every other path, are taken from the show's folder.
    if (!PrepareOutput(options)) return 2;
    KeyTrack keys;
    std::string keyError;
    if (!options.keyTrack.empty() && !keys.Load(options.keyTrack, keyError)) {
        std::fprintf(stderr, "demo: %s\n", keyError.c_str());
        return 2;
    }
    // A recorded show runs on its own clock, without questions or a dialog.
    const bool offline = options.Offline();
    if (options.batch || offline) plat::SetBatchMode(true);
    if (options.fixedFps > 0 || offline) plat::UseVirtualClock(true);
    if (!plat::Init()) return 1;

    StartupSettings settings;
    if (options.window || offline) settings.fullscreen = false;
    if (options.loop) settings.showLoop = true;
    if (options.showDialog && !plat::IsBatchMode() && !RunStartupDialog(settings)) {
        plat::Quit();
        return 0;
    }

    theDemo.LoadProject(DemoEngine::kProjectFile);
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
    theDemo.LoadEffects(DemoEngine::kProjectFile);
    ClearFrame();
    theDemo.updateRate = kPlayerUpdateRate;

    FrameLoop loop(options, keys, report, theDemo, observer);
    const bool begun = loop.Begin();
    if (begun) loop.Run();
    const bool recorded = loop.End();
    report.eventsFired = theDemo.events.cursor;
    report.restarts = theDemo.showRestarts;
    report.showSeconds = theDemo.sound.Position();

    theDemo.Shutdown();
    KillPlayerWindow();
    report.milliseconds = plat::TickCount() - startMs;
    plat::Quit();
    return begun && recorded ? 0 : 1;
}
