// The player's frame loop: draws and presents frames, fires the due events, runs the
// interactive timeline and the update tick, until Escape, the window's closing or the end
// of the music. Around that it offers what a demo maker needs while authoring a show
// (pausing, stepping, jumping, the time bar, reading the script again when it is saved)
// and records the show frame by frame for --render, --capture-png and --capture.
#pragma once

#include "VEK_FrameCapture.h"
#include "VEK_HeldFrame.h"
#include "VEK_KeyTrack.h"
#include "VEK_Player.h"
#include "VEK_ScriptWatch.h"
#include "VEK_ShowRecorder.h"
#include "VEK_TimeBar.h"

#include <cstdint>
#include <memory>

class DemoEngine;

class FrameLoop {
public:
    FrameLoop(const PlayerOptions& options, const KeyTrack& keys, PlayerReport& report, DemoEngine& demo,
              PlayerObserver* observer);

    // Gets ready once the music has started: the start time, the recording, the watch on
    // the script. False when the recording cannot start (the reason is printed).
    bool Begin();
    void Run();
    // Completes the recording; false when it failed (the reason is printed).
    bool End();

private:
    void Pass();
    void PlayingPass();
    void PausedPass();
    void RenderStep();
    bool MusicOver() const;
    void RunUnseen();
    void FireDueEvent();
    bool EscapePressed();
    void Present();
    void DrawOverlay();
    void AdvanceClock();
    void UpdateTickStep();

    // Authoring.
    void OnKeyPressed(int key);
    void SetPaused(bool paused);
    void HoldFrame();
    void StepPaused();
    // Runs the show from its start to `seconds` unseen, so that events and fades stand
    // where a run from the start has them; with `advanceScenes` the 3D scenes are
    // animated along.
    void SeekTo(double seconds, bool advanceScenes);
    // A jump by key: the scenes start anew and run unseen to `seconds` with the show.
    void JumpTo(double seconds);
    void ReloadOnChange();
    uint64_t ExpectedFrames() const;

    const PlayerOptions& options_;
    PlayerReport& report_;
    DemoEngine& demo_;
    PlayerObserver* observer_;
    UpdateTick tick_;
    FrameCapture capture_;                       // --capture while playing
    KeyTrack keys_;                              // --keys
    std::unique_ptr<ShowRecorder> recorder_;     // a recorded show
    std::unique_ptr<ScriptWatch> watch_;         // --watch
    HeldFrame held_;
    TimeBar timeBar_;
    const bool authoring_;                       // the authoring keys act
    const int passesPerFrame_;                   // a recorded show draws one pass in so many
    const int passRate_;                         // passes a second on the virtual clock; 0: real clock
    uint64_t passes_ = 0;                        // passes on the virtual clock since the show's start
    int passesSinceDrawn_ = 0;
    bool paused_ = false;
    bool timeBarShown_ = false;
    bool done_ = false;
};
