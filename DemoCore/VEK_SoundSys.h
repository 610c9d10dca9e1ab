// SoundSystem: plays the show's music and is the show's clock. The music position in
// seconds is the demo time that events fire against; the end of the music ends the
// show or, with the loop switch on, restarts it.
//
// Without music (disabled, or a file that cannot be played) the demo time is a clock
// that starts when the music would have: events still fire, and the show never ends by
// its music. Under the platform's virtual clock the music position follows that clock,
// so a run repeats frame for frame.
#pragma once

#include "VEK_AudioStream.h"

#include <cstdint>
#include <memory>
#include <string>

class SoundSystem {
public:
    SoundSystem() = default;
    virtual ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Opens the music whose audio starts fileOffset bytes into the file and plays it from
    // its start; a stream opened before is closed first. When the file cannot be played
    // this says so once and starts the demo clock instead; returns whether music plays.
    bool Open(const char* path, unsigned fileOffset);
    // Starts the demo clock at 0 without music (music disabled).
    void StartClock();
    // Stops the music or the clock and releases the stream and the audio output.
    void Close();
    // The end-of-music check, once per update tick. Loop off: true exactly when the
    // position equals the length. Loop on: at the end the music starts again from its
    // beginning, `restarted` is set and the result is false. Without music: false.
    // Music whose data gives out early ends there, and says so once.
    bool Update();
    // Demo time in seconds: the music position, or the clock's time without music.
    float Position() const;
    // Moves the music (or the clock) to t seconds and writes back the time used: beyond
    // the length minus 2 s it becomes the length minus 2 s (never below 0), below 0.01 s
    // it becomes 0.2 s.
    void SeekSeconds(float& t);
    // While on, the music is silent and its position follows the platform clock (the
    // demo clock without music always does): a paused, stepped or fast-run show. When
    // switched off the music is heard again from the position reached. Music opened
    // meanwhile follows too.
    void FollowClock(bool follow);

    float lengthSeconds = 0.0f;
    bool loop = false;
    bool restarted = false;   // the owner clears it once it has restarted the show
    std::unique_ptr<AudioStream> stream;   // null without music
    uint32_t lengthBytes = 0;              // bytes of decoded 16-bit PCM

private:
    void ReportUnplayable(const char* path, const std::string& why);
    void ReportDamage();
    double ClockSeconds() const;

    // The demo clock without music: clockOrigin_ seconds at counter clockStart_.
    bool clockRunning_ = false;
    int64_t clockStart_ = 0;
    double clockOrigin_ = 0.0;
    bool followClock_ = false;
    bool hasReported_ = false;
    std::string reportedPath_;   // the music file last reported as unplayable
    std::string musicPath_;           // the music playing
    std::string damageReportedFor_;   // the music file last reported as damaged
};
