// ShowRecorder: records a show frame by frame (--render, --capture-png, --capture with
// --fps). Each recorded frame is read back from OpenGL together with the music it lasts
// for, and a thread of its own hands both to the sink (encoder, picture files), so that
// drawing the next frame and writing this one overlap. A progress line on standard error
// says how far it got.
#pragma once

#include "VEK_FrameSink.h"
#include "VEK_MusicTap.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct PlayerOptions;
class SoundSystem;

class ShowRecorder {
public:
    // Opens the output the options ask for, for frames of width x height and the music
    // the show plays (none without music). Null with the reason when it cannot.
    static std::unique_ptr<ShowRecorder> Start(const PlayerOptions& options, const SoundSystem& sound,
                                               const char* musicPath, int width, int height, std::string& error);
    ~ShowRecorder();
    ShowRecorder(const ShowRecorder&) = delete;
    ShowRecorder& operator=(const ShowRecorder&) = delete;

    // For the progress line: how many frames the show will last (0 when unknown).
    void ExpectFrames(uint64_t frames) { expected_ = frames; }
    // Records the frame in the back buffer, and the music from the show's position on.
    void Record(const SoundSystem& sound, int width, int height);
    // True once writing failed: the recording cannot go on.
    bool Failed();
    // Writes what is left, completes the output and prints what was written (or why it
    // failed). False when the output is not complete.
    bool Finish();

private:
    ShowRecorder(std::unique_ptr<FrameSink> sink, const RecordFormat& format);
    std::unique_ptr<RecordedFrame> TakeFreeFrame();
    void WriteLoop();
    void StopWriter();
    void ShowProgress(double showSeconds, bool last);

    std::unique_ptr<FrameSink> sink_;
    RecordFormat format_;
    std::unique_ptr<MusicTap> tap_;   // null without music
    uint64_t recorded_ = 0;
    uint64_t expected_ = 0;

    // Frames travel from Record to the writing thread and back.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<RecordedFrame>> queue_;
    std::deque<std::unique_ptr<RecordedFrame>> free_;
    int framesMade_ = 0;
    bool finishing_ = false;
    bool failed_ = false;
    std::string error_;
    std::thread writer_;

    // The progress line.
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastShown_;
    bool terminal_ = false;
};
