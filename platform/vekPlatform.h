// vekPlatform: the one library that talks to the operating system (through SDL2).
// The player, the engine and the plug-in reach windows, clocks, input, message boxes,
// audio output and dynamic libraries only through these calls. Being one shared object,
// its state (clock, key table, message mode) exists once per process.
#pragma once

#include <cstdint>
#include <string>

#if defined(__GNUC__)
#define VEKPLAT_API __attribute__((visibility("default")))
#else
#define VEKPLAT_API
#endif

namespace plat {

// ---- start-up / shut-down ------------------------------------------------------------
// Initialises SDL's video (and event) subsystems. When no display can be opened and no
// driver was forced, falls back to the off-screen driver and switches batch mode on.
VEKPLAT_API bool Init();
VEKPLAT_API void Quit();
VEKPLAT_API const char* VideoDriverName();   // "" before Init

// ---- messages -----------------------------------------------------------------------
// Batch mode prints "[caption] text" on standard error and never blocks. It is on when
// --batch is given (SetBatchMode), when VEK_BATCH=1, or when no display is available.
VEKPLAT_API void SetBatchMode(bool on);
VEKPLAT_API bool IsBatchMode();
VEKPLAT_API void ShowMessage(const char* caption, const char* text);
// Yes/no question. In batch mode the question is printed and batchAnswer is returned.
VEKPLAT_API bool AskYesNo(const char* caption, const char* text, bool batchAnswer);
// Every message and question, in either mode, is also handed to this hook (tests use it).
using MessageHook = void (*)(const char* caption, const char* text, void* user);
VEKPLAT_API void SetMessageHook(MessageHook hook, void* user);

// ---- clock --------------------------------------------------------------------------
// One clock source for player and engine. Under the virtual clock time only moves when
// AdvanceClock or Sleep is called, so a run is repeatable frame for frame. Either clock
// can be held still (a paused show) and moved ahead at once.
VEKPLAT_API uint32_t TickCount();            // milliseconds (GetTickCount / timeGetTime)
VEKPLAT_API int64_t PerfCounter();           // high-resolution counter
VEKPLAT_API int64_t PerfFrequency();         // its counts per second
VEKPLAT_API void Sleep(uint32_t ms);         // waits; under the virtual clock advances it
VEKPLAT_API void UseVirtualClock(bool on);   // switching on starts the virtual clock at 0
VEKPLAT_API bool IsVirtualClock();
// Moves the clock ahead; the real clock too, as if the process had stood still that long.
VEKPLAT_API void AdvanceClock(uint64_t microseconds);
// While held, time stands still (Sleep included) and only AdvanceClock moves it; when
// the hold ends the real clock goes on from where it stood.
VEKPLAT_API void HoldClock(bool hold);
VEKPLAT_API bool IsClockHeld();

// ---- window and GL context ----------------------------------------------------------
enum class WindowResult {
    ok,
    fullscreenUnavailable,  // nothing was created; the caller may retry windowed
    windowFailed,
    contextFailed,
    activateFailed,
};
// Creates the window with an OpenGL compatibility context (double buffer, depth 16;
// accumulation and auxiliary buffers asked for but not required) and makes it current.
VEKPLAT_API WindowResult OpenWindow(const char* title, int width, int height, int colourBits,
                                    bool fullscreen);
VEKPLAT_API void CloseWindow();
VEKPLAT_API bool HasWindow();
VEKPLAT_API void SwapWindow();
VEKPLAT_API void ShowCursor(bool show);
VEKPLAT_API void* GetGLProcAddress(const char* name);
VEKPLAT_API void WindowSize(int& width, int& height);   // drawable size in pixels

// ---- messages from the window system ------------------------------------------------
enum class Message { none, quit, other };
// Takes one waiting message and handles it: key messages fill the key table, minimise and
// restore change the active flag (the keyboard focus does not). Returns none when nothing
// was waiting.
VEKPLAT_API Message PollMessage();
// 256 bytes indexed by Windows virtual-key codes: 1 while down, 0 after release.
VEKPLAT_API unsigned char* KeyTable();
VEKPLAT_API bool IsActive();
// The virtual key that the message PollMessage just handled pressed, 0 when it pressed
// none. Unlike the key table, it sees a key pressed and released between two looks.
VEKPLAT_API int PressedKey();
// Queues a key message as if typed; it is handled by a later PollMessage.
VEKPLAT_API void PostKey(int virtualKey, bool down);
// Queues a quit message, as closing the window does.
VEKPLAT_API void PostQuit();
// The Windows virtual-key code of an SDL key code, 0 when it has none.
VEKPLAT_API int VirtualKeyFromSdl(int32_t sdlKeycode);

// ---- pointer ------------------------------------------------------------------------
VEKPLAT_API void GetCursorPos(int& x, int& y);     // window coordinates
VEKPLAT_API void SetCursorPos(int x, int y);       // warps inside the window
// Buttons down now or pressed since the last call: bit 0 left, bit 1 right, bit 2 middle.
VEKPLAT_API uint32_t MouseButtons();
// Pointer motion for first-person control, in a window and full screen alike: the pixels
// moved since the last call (right and down positive). The first call captures the
// pointer (hidden, and its motion not stopped by the window's edge); ReleasePointer gives
// it back. Motion queued by PostPointerMotion is added once, as if the pointer had moved.
VEKPLAT_API void RelativeMouseMotion(int& dx, int& dy);
VEKPLAT_API void ReleasePointer();
VEKPLAT_API void PostPointerMotion(int dx, int dy);

// ---- audio output -------------------------------------------------------------------
// One output device, pulled by a callback on the audio thread: fill `frames` frames of
// interleaved signed 16-bit samples (frames x channels values). The callback must not
// block. The device opens paused at exactly the given format (the platform converts to
// what the hardware wants). Under the virtual clock nothing should play: callers keep
// their position on the clock instead of opening the device.
using AudioCallback = void (*)(int16_t* samples, int frames, void* user);
VEKPLAT_API bool OpenAudio(int frequency, int channels, AudioCallback callback, void* user);
VEKPLAT_API void PauseAudio(bool pause);
VEKPLAT_API void LockAudio();     // the callback does not run until UnlockAudio
VEKPLAT_API void UnlockAudio();
VEKPLAT_API void CloseAudio();    // returns after the last callback has finished
VEKPLAT_API bool IsAudioOpen();
VEKPLAT_API std::string AudioError();   // why the last OpenAudio failed

// ---- dynamic libraries --------------------------------------------------------------
// Loads fileName from the directory of the module that contains moduleAddress (never
// from the working directory or a search path). Returns null on failure; LastLoadError
// says why.
VEKPLAT_API void* LoadLibraryBeside(const void* moduleAddress, const char* fileName);
VEKPLAT_API void* FindSymbol(void* library, const char* name);
VEKPLAT_API void FreeLibrary(void* library);
VEKPLAT_API std::string LastLoadError();
// Directory (with trailing '/') of the module that contains the address.
VEKPLAT_API std::string ModuleDirectory(const void* moduleAddress);

}  // namespace plat
