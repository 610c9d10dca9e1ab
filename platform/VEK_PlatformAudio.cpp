// Audio output: one SDL audio device in signed 16-bit samples, fed by a pull callback.
#include "vekPlatform.h"

#include <SDL.h>

namespace plat {
namespace {
// About 12 ms at 44.1 kHz: music starts (and moves) within a period; the callback only
// copies from memory, so short periods cost little.
constexpr Uint16 kDeviceFrames = 512;

SDL_AudioDeviceID device = 0;
AudioCallback userCallback = nullptr;
void* userData = nullptr;
int deviceChannels = 0;
std::string lastAudioError;

void SDLCALL FillDevice(void* /*unused*/, Uint8* stream, int bytes)
{
    const int frameBytes = deviceChannels * int(sizeof(int16_t));
    userCallback(reinterpret_cast<int16_t*>(stream), bytes / frameBytes, userData);
}

bool Fail(const char* what)
{
    lastAudioError = std::string(what) + ": " + SDL_GetError();
    return false;
}
}  // namespace

bool OpenAudio(int frequency, int channels, AudioCallback callback, void* user)
{
    if (device) {
        lastAudioError = "the audio output is already in use";
        return false;
    }
    if (!callback || frequency <= 0 || channels < 1 || channels > 8) {
        lastAudioError = "unsupported audio format";
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Fail("no audio driver");

    SDL_AudioSpec wanted{};
    wanted.freq = frequency;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(channels);
    wanted.samples = kDeviceFrames;
    wanted.callback = FillDevice;
    userCallback = callback;
    userData = user;
    deviceChannels = channels;
    SDL_AudioSpec obtained{};
    // No allowed changes: SDL converts to the hardware's format, so the callback always
    // sees the format asked for.
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (!device) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return Fail("cannot open the audio device");
    }
    lastAudioError.clear();
    return true;
}

void PauseAudio(bool pause)
{
    if (device) SDL_PauseAudioDevice(device, pause ? 1 : 0);
}

void LockAudio()
{
    if (device) SDL_LockAudioDevice(device);
}

void UnlockAudio()
{
    if (device) SDL_UnlockAudioDevice(device);
}

void CloseAudio()
{
    if (!device) return;
    SDL_CloseAudioDevice(device);  // joins the audio thread
    device = 0;
    userCallback = nullptr;
    userData = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool IsAudioOpen() { return device != 0; }

std::string AudioError() { return lastAudioError; }

}  // namespace plat
