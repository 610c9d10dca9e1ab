#include "VEK_FrameLoop.h"

#include "VEK_DemoEngine.h"
#include "vekPlatform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr int kEscapeKey = 27;

// The authoring keys: pressed once, they act once (the key table's keys act while held).
// The arrows move the free camera, so the jumps sit on the bracket keys.
constexpr int kShiftKey = 0x10;
constexpr int kPauseKey = 0x20;          // Space
constexpr int kStepKey = 0xBE;           // .
constexpr int kJumpBackKey = 0xDB;       // [
constexpr int kJumpAheadKey = 0xDD;      // ]
constexpr int kTimeBarKey = 0x09;        // Tab
constexpr double kJumpSeconds = 5.0;
constexpr double kShortJumpSeconds = 1.0;

// Show time run unseen and frame steps on the real clock go in steps of these.
constexpr uint64_t kUnseenStepMicros = 4000;       // 250 passes a second, as the batch show runs
constexpr uint64_t kLiveFrameStepMicros = 16667;   // one frame at 60 frames a second
// A paused show on the real clock looks for keys this often instead of spinning.
constexpr uint32_t kPausedPassMs = 10;

// Microseconds of pass n at `rate` passes a second: they add up to whole seconds exactly.
uint64_t PassMicros(uint64_t n, int rate)
{
    return (n + 1) * 1000000u / unsigned(rate) - n * 1000000u / unsigned(rate);
}
}  // namespace

FrameLoop::FrameLoop(const PlayerOptions& options, const KeyTrack& keys, PlayerReport& report, DemoEngine& demo,
                     PlayerObserver* observer)
    : options_(options), report_(report), demo_(demo), observer_(observer),
      capture_(options.Offline() ? std::string() : options.captureFolder, options.captureEvery), keys_(keys),
      authoring_(!options.Offline() && (demo.interactive || options.watch)),
      passesPerFrame_(options.Offline() ? PassesPerRecordedFrame(options.fps) : 1),
      passRate_(options.Offline() ? options.fps * PassesPerRecordedFrame(options.fps) : options.fixedFps)
{
}

bool FrameLoop::Begin()
{
    if (options_.startSeconds >= 0.0) SeekTo(options_.startSeconds, true);
    if (options_.watch) {
        watch_ = std::make_unique<ScriptWatch>(DemoEngine::kProjectFile);
        std::string error;
        if (!watch_->Start(error)) {
            std::fprintf(stderr, "demo: %s; --watch is off.\n", error.c_str());
            watch_.reset();
        }
    }
    if (!options_.Offline()) return true;
    if (!demo_.sound.stream && options_.frames < 0) {
        std::fprintf(stderr, "demo: a show without music never ends: give --frames to record it.\n");
        return false;
    }
    int width = 0, height = 0;
    plat::WindowSize(width, height);
    std::string error;
    recorder_ = ShowRecorder::Start(options_, demo_.sound, demo_.musicEnabled ? demo_.musicFile : nullptr, width,
                                    height, error);
    if (!recorder_) {
        std::fprintf(stderr, "demo: %s\n", error.c_str());
        return false;
    }
    recorder_->ExpectFrames(ExpectedFrames());
    return true;
}

// The frames the show lasts from here: to the end of its music (unless it loops), or
// the frame limit; 0 when neither says.
uint64_t FrameLoop::ExpectedFrames() const
{
    const SoundSystem& sound = demo_.sound;
    uint64_t frames = 0;
    if (sound.stream && !sound.loop)
        frames = uint64_t(std::ceil(std::max(0.0, double(sound.lengthSeconds) - sound.Position()) * options_.fps));
    if (options_.frames > 0 && (frames == 0 || uint64_t(options_.frames) < frames)) frames = uint64_t(options_.frames);
    return frames;
}

void FrameLoop::Run()
{
    while (!done_) Pass();
}

bool FrameLoop::End()
{
    if (paused_) SetPaused(false);
    timeBar_.Release();
    held_.Release();
    return !recorder_ || recorder_->Finish();
}

void FrameLoop::Pass()
{
    keys_.Apply(demo_.sound.Position(), report_.presentedFrames);
    const plat::Message message = plat::PollMessage();
    if (message != plat::Message::none) {
        if (message == plat::Message::quit) {
            done_ = true;
            report_.endedByQuit = true;
        } else {
            OnKeyPressed(plat::PressedKey());
        }
        return;
    }
    if (watch_) ReloadOnChange();
    if (paused_) PausedPass();
    else PlayingPass();
}

void FrameLoop::PlayingPass()
{
    if (recorder_ && MusicOver()) {
        done_ = true;
        report_.endedByMusic = true;
        return;
    }
    // A recorded show draws one pass in passesPerFrame_; the others run unseen.
    const bool drawn = passesSinceDrawn_ == 0;
    passesSinceDrawn_ = (passesSinceDrawn_ + 1) % passesPerFrame_;
    if (!drawn) RunUnseen();
    else if (plat::IsActive()) RenderStep();
    if (EscapePressed()) return;   // nothing more is presented in this pass
    if (drawn) Present();
    AdvanceClock();
    demo_.RunTimeline(plat::KeyTable());
    UpdateTickStep();
}

void FrameLoop::PausedPass()
{
    held_.Draw();
    DrawOverlay();
    if (EscapePressed()) return;
    Present();
    if (!plat::IsVirtualClock()) plat::Sleep(kPausedPassMs);
}

void FrameLoop::RenderStep()
{
    demo_.RenderFrame();
    FireDueEvent();
    DrawOverlay();
}

// A recorded show ends with its music: a frame drawn at the music's end would last
// beyond it. (Played, the show ends on the update tick that sees the end.)
bool FrameLoop::MusicOver() const
{
    const SoundSystem& sound = demo_.sound;
    return sound.stream && !sound.loop && sound.stream->PositionBytes() == sound.lengthBytes;
}

// A pass of show time without its picture: the scenes move on and due events fire.
void FrameLoop::RunUnseen()
{
    demo_.AdvanceScenes();
    FireDueEvent();
}

// Fires the event that is due, noting how far the music had run past its time.
void FrameLoop::FireDueEvent()
{
    const int before = demo_.events.cursor;
    demo_.UpdateFrame();
    if (demo_.events.cursor <= before) return;
    const float lateMs = (demo_.sound.Position() - demo_.events.entries[demo_.events.cursor - 1].start) * 1000.0f;
    if (lateMs > report_.latestEventMs) report_.latestEventMs = lateMs;
}

bool FrameLoop::EscapePressed()
{
    if (!plat::KeyTable()[kEscapeKey]) return false;
    done_ = true;
    report_.endedByEscape = true;
    return true;
}

void FrameLoop::DrawOverlay()
{
    if (!timeBarShown_) return;
    int width = 0, height = 0;
    plat::WindowSize(width, height);
    timeBar_.Draw(demo_, paused_, width, height);
}

void FrameLoop::Present()
{
    int width = 0, height = 0;
    plat::WindowSize(width, height);
    if (recorder_) recorder_->Record(demo_.sound, width, height);
    else capture_.Frame(report_.presentedFrames + 1, width, height);
    if (observer_) observer_->FrameReady(demo_, report_.presentedFrames + 1);
    plat::SwapWindow();
    ++report_.presentedFrames;
    if (options_.frames >= 0 && report_.presentedFrames >= uint64_t(options_.frames)) {
        done_ = true;
        report_.endedByFrameLimit = true;
    }
    if (recorder_ && recorder_->Failed()) done_ = true;
}

void FrameLoop::AdvanceClock()
{
    if (passRate_ > 0) plat::AdvanceClock(PassMicros(passes_++, passRate_));
}

void FrameLoop::UpdateTickStep()
{
    if (!tick_.Due(static_cast<float>(plat::TickCount()), demo_.updateRate)) return;
    ++report_.updateTicks;
    if (demo_.CheckMusic()) {
        done_ = true;
        report_.endedByMusic = true;
    }
    demo_.StepEffects();
}

// ---- authoring ----------------------------------------------------------------------

void FrameLoop::OnKeyPressed(int key)
{
    if (!authoring_) return;
    const bool shift = plat::KeyTable()[kShiftKey] != 0;
    const double jump = shift ? kShortJumpSeconds : kJumpSeconds;
    switch (key) {
    case kPauseKey: SetPaused(!paused_); break;
    case kStepKey:
        if (paused_) StepPaused();
        break;
    case kJumpBackKey: JumpTo(demo_.sound.Position() - jump); break;
    case kJumpAheadKey: JumpTo(demo_.sound.Position() + jump); break;
    case kTimeBarKey: timeBarShown_ = !timeBarShown_; break;
    default: break;
    }
}

// A paused show's clock stands still, and with it the music, the fades, the holds and
// the scenes' animation; the picture is the frame drawn as it stopped.
void FrameLoop::SetPaused(bool paused)
{
    if (paused == paused_) return;
    paused_ = paused;
    if (paused) {
        plat::HoldClock(true);
        demo_.sound.FollowClock(true);
        HoldFrame();
        return;
    }
    demo_.sound.FollowClock(false);
    plat::HoldClock(false);
}

void FrameLoop::HoldFrame()
{
    int width = 0, height = 0;
    plat::WindowSize(width, height);
    demo_.RenderFrame();
    held_.Grab(width, height);
}

// One pass of show time, then its picture is held.
void FrameLoop::StepPaused()
{
    FireDueEvent();
    if (passRate_ > 0) AdvanceClock();
    else plat::AdvanceClock(kLiveFrameStepMicros);
    UpdateTickStep();
    HoldFrame();
}

// The scenes cannot run backwards, and running them on from where they stand would replay
// the events before the new time on top of their state (a region or a sweep started
// twice): they start anew and run unseen with the rest of the show, as for a start time.
void FrameLoop::JumpTo(double seconds)
{
    demo_.RestartScenes();
    // Scenes converted again by the restart are no edit of the author's.
    if (watch_) watch_->Discard();
    SeekTo(seconds, true);
}

void FrameLoop::SeekTo(double seconds, bool advanceScenes)
{
    plat::HoldClock(true);
    SoundSystem& sound = demo_.sound;
    sound.FollowClock(true);
    float target = static_cast<float>(std::max(0.0, seconds));
    sound.SeekSeconds(target);   // kept within the music as a start time is
    float origin = std::min(demo_.startTime, target);
    sound.SeekSeconds(origin);

    // From the start, as a run from the start goes: one pass after another.
    demo_.RewindShow();
    tick_ = UpdateTick{};
    passes_ = 0;
    while (sound.Position() < target) {
        if (advanceScenes) demo_.AdvanceScenes();
        demo_.UpdateFrame();
        plat::AdvanceClock(passRate_ > 0 ? PassMicros(passes_++, passRate_) : kUnseenStepMicros);
        if (tick_.Due(static_cast<float>(plat::TickCount()), demo_.updateRate)) demo_.StepEffects();
    }
    passesSinceDrawn_ = 0;
    keys_.Seek(sound.Position());
    if (paused_) {
        HoldFrame();
        return;
    }
    sound.FollowClock(false);
    plat::HoldClock(false);
}

void FrameLoop::ReloadOnChange()
{
    const ScriptWatch::Changes changes = watch_->Poll();
    if (!changes.Any()) return;
    const float at = demo_.sound.Position();
    std::string error;
    if (!demo_.ReloadScript(changes.scenes, error)) {
        std::fprintf(stderr, "demo: %s cannot be read (%s); the show goes on with the script it had.\n", DemoEngine::kProjectFile,
                     error.c_str());
        watch_->Discard();
        return;
    }
    if (changes.music) demo_.StartMusic(0);
    // What the reading itself wrote (converted scenes) is no change of the author's.
    watch_->Refresh();
    watch_->Discard();
    SeekTo(at, changes.scenes);
    std::fprintf(stderr, "demo: %s read again at %.2f s%s\n", DemoEngine::kProjectFile, double(at),
                 changes.scenes ? ", with its scenes" : "");
}
