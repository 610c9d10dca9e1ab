#include "VEK_SoundSys.h"

#include "vekPlatform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
// The sound system's texts.
constexpr const char* kMessageCaption = "Music";
constexpr const char* kUnplayableText =
    "The music file '%s' cannot be played: %s.\nThe show runs on its own clock, without music.";
constexpr const char* kDamagedText =
    "The music file '%s' is damaged after %.1f s: %s.\nThe music ends there.";
constexpr const char* kNoOutputLine = "No audio output (%s): the music '%s' runs silently on the clock.\n";

// The music is never moved closer than this to its end, so the show has time to start.
constexpr float kEndMargin = 2.0f;
// A start time below kEarliest starts at kStartInstead.
constexpr float kEarliest = 0.01f;
constexpr float kStartInstead = 0.2f;
}  // namespace

SoundSystem::~SoundSystem() { Close(); }

bool SoundSystem::Open(const char* path, unsigned fileOffset)
{
    restarted = false;
    Close();   // a stream opened before is released, never left behind
    const bool virtualClock = plat::IsVirtualClock();
    const auto output = virtualClock ? AudioStream::Output::clock : AudioStream::Output::device;
    std::string why;
    stream = AudioStream::Open(path, fileOffset, output, why);
    if (!stream) {
        ReportUnplayable(path, why);
        StartClock();
        return false;
    }
    hasReported_ = false;
    musicPath_ = path;
    if (output == AudioStream::Output::device && stream->GetOutput() != output)
        std::fprintf(stderr, kNoOutputLine, plat::AudioError().c_str(), path);
    lengthBytes = stream->LengthBytes();
    lengthSeconds = static_cast<float>(stream->BytesToSeconds(lengthBytes));
    stream->FollowClock(followClock_);
    stream->Play();
    return true;
}

void SoundSystem::StartClock()
{
    clockRunning_ = true;
    clockStart_ = plat::PerfCounter();
    clockOrigin_ = 0.0;
}

void SoundSystem::Close()
{
    stream.reset();
    clockRunning_ = false;
    lengthBytes = 0;
    lengthSeconds = 0.0f;
}

bool SoundSystem::Update()
{
    if (!stream) return false;
    ReportDamage();
    const uint32_t position = stream->PositionBytes();
    if (!loop) return position == lengthBytes;
    if (position != lengthBytes) return false;
    restarted = true;
    stream->SetPositionBytes(0);
    stream->Play();
    lengthBytes = stream->LengthBytes();
    return false;
}

float SoundSystem::Position() const
{
    if (stream) return static_cast<float>(stream->BytesToSeconds(stream->PositionBytes()));
    if (clockRunning_) return static_cast<float>(ClockSeconds());
    return 0.0f;
}

void SoundSystem::SeekSeconds(float& t)
{
    if (std::isnan(t)) t = 0.0f;   // a script's "nan" start time
    if (stream) {
        // Music shorter than the margin starts at its beginning.
        if (t > lengthSeconds - kEndMargin) t = std::max(0.0f, lengthSeconds - kEndMargin);
        else if (t < kEarliest) t = kStartInstead;
        stream->SetPositionBytes(stream->SecondsToBytes(t));
        return;
    }
    if (t < kEarliest) t = kStartInstead;
    if (clockRunning_) {
        clockOrigin_ = t;
        clockStart_ = plat::PerfCounter();
    }
}

void SoundSystem::FollowClock(bool follow)
{
    followClock_ = follow;
    if (stream) stream->FollowClock(follow);
}

double SoundSystem::ClockSeconds() const
{
    const int64_t elapsed = std::max<int64_t>(0, plat::PerfCounter() - clockStart_);
    return clockOrigin_ + static_cast<double>(elapsed) / static_cast<double>(std::max<int64_t>(1, plat::PerfFrequency()));
}

void SoundSystem::ReportUnplayable(const char* path, const std::string& why)
{
    const std::string name = path ? path : "";
    if (hasReported_ && name == reportedPath_) return;   // once per file, not on every restart
    hasReported_ = true;
    reportedPath_ = name;
    char text[512];
    std::snprintf(text, sizeof text, kUnplayableText, name.c_str(), why.c_str());
    plat::ShowMessage(kMessageCaption, text);
}

void SoundSystem::ReportDamage()
{
    std::string why;
    double seconds = 0.0;
    // Once per file: a looping show opens it again on every restart.
    if (musicPath_ == damageReportedFor_ || !stream->Damaged(why, seconds)) return;
    damageReportedFor_ = musicPath_;
    char text[512];
    std::snprintf(text, sizeof text, kDamagedText, musicPath_.c_str(), seconds, why.c_str());
    plat::ShowMessage(kMessageCaption, text);
}
