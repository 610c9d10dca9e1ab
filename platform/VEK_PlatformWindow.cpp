// The player window, its OpenGL context, the message pump with the key table, and the
// pointer.
#include "vekPlatform.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace plat {
namespace {
SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
bool videoReady = false;
bool active = false;
int pressedKey = 0;   // the key the message just handled pressed
using FinishFunction = void (*)();
FinishFunction finishAfterSwap = nullptr;   // glFinish when no vertical sync paces the swaps
unsigned char keyTable[256];
// Buttons pressed since MouseButtons was last asked, so that a click shorter than a
// frame is still seen once.
uint32_t buttonsPressedSinceRead = 0;

uint32_t ButtonBit(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 4;
    default: return 0;
    }
}

// Messages posted by PostKey/PostQuit wait here until PollMessage takes them.
struct PostedMessage {
    bool quit;
    int virtualKey;
    bool down;
};
constexpr int kPostedCapacity = 256;
PostedMessage posted[kPostedCapacity];
int postedHead = 0;
int postedCount = 0;

void Post(const PostedMessage& message)
{
    if (postedCount == kPostedCapacity) return;  // a full queue drops, as a full OS queue would
    posted[(postedHead + postedCount) % kPostedCapacity] = message;
    ++postedCount;
}

void SetKey(int virtualKey, bool down)
{
    if (virtualKey <= 0 || virtualKey >= 256) return;
    keyTable[virtualKey] = down ? 1 : 0;
    if (down) pressedKey = virtualKey;
}

Message HandlePosted()
{
    PostedMessage message = posted[postedHead];
    postedHead = (postedHead + 1) % kPostedCapacity;
    --postedCount;
    if (message.quit) return Message::quit;
    SetKey(message.virtualKey, message.down);
    return Message::other;
}

void HandleWindowEvent(const SDL_WindowEvent& event)
{
    // Only a window that cannot be seen stops drawing; one without the keyboard focus
    // goes on, or the show would freeze and then fire its events in a burst.
    switch (event.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN: active = false; break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN: active = true; break;
    default: break;
    }
}

void SetGLAttributes(int colourBits, bool withOptionalBuffers)
{
    SDL_GL_ResetAttributes();
    const int channel = colourBits >= 24 ? 8 : 5;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    if (withOptionalBuffers) {
        SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, 16);
    }
}

bool FullscreenModeAvailable(int width, int height)
{
    SDL_DisplayMode wanted{};
    wanted.w = width;
    wanted.h = height;
    SDL_DisplayMode closest{};
    if (!SDL_GetClosestDisplayMode(0, &wanted, &closest)) return false;
    return closest.w == width && closest.h == height;
}

SDL_Window* CreateSdlWindow(const char* title, int width, int height, bool fullscreen)
{
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
    if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN;
    return SDL_CreateWindow(title, 0, 0, width, height, flags);
}
}  // namespace

bool Init()
{
    if (videoReady) return true;
    const bool driverForced = std::getenv("SDL_VIDEODRIVER") != nullptr;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        if (driverForced) {
            std::fprintf(stderr, "SDL could not start its video driver: %s\n", SDL_GetError());
            return false;
        }
        // No display: run headless, so a show can still be rendered and checked.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            std::fprintf(stderr, "SDL could not start a video driver: %s\n", SDL_GetError());
            return false;
        }
        std::fprintf(stderr, "No display found: rendering off-screen in batch mode.\n");
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
        SetBatchMode(true);
    videoReady = true;
    return true;
}

void Quit()
{
    CloseWindow();
    if (videoReady) SDL_Quit();
    videoReady = false;
}

const char* VideoDriverName()
{
    const char* driver = videoReady ? SDL_GetCurrentVideoDriver() : nullptr;
    return driver ? driver : "";
}

WindowResult OpenWindow(const char* title, int width, int height, int colourBits, bool fullscreen)
{
    if (!Init()) return WindowResult::windowFailed;
    if (fullscreen && !FullscreenModeAvailable(width, height))
        return WindowResult::fullscreenUnavailable;

    SetGLAttributes(colourBits, true);
    window = CreateSdlWindow(title, width, height, fullscreen);
    if (!window) {  // the optional accumulation buffer may be what was refused
        SetGLAttributes(colourBits, false);
        window = CreateSdlWindow(title, width, height, fullscreen);
    }
    if (!window) return fullscreen ? WindowResult::fullscreenUnavailable : WindowResult::windowFailed;

    context = SDL_GL_CreateContext(window);
    if (!context) {
        SDL_DestroyWindow(window);
        window = nullptr;
        return WindowResult::contextFailed;
    }
    if (SDL_GL_MakeCurrent(window, context) != 0) {
        CloseWindow();
        return WindowResult::activateFailed;
    }
    SDL_GL_SetSwapInterval(0);  // the loop renders as fast as presenting allows
    // Without vertical sync nothing holds a swap until its frame is drawn (the off-screen
    // driver returns at once), and queued GL work grows without bound; finishing each frame
    // keeps the loop in step with the GPU.
    finishAfterSwap = SDL_GL_GetSwapInterval() == 0
                          ? reinterpret_cast<FinishFunction>(SDL_GL_GetProcAddress("glFinish"))
                          : nullptr;
    SDL_RaiseWindow(window);
    active = true;
    return WindowResult::ok;
}

void CloseWindow()
{
    if (context) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
        context = nullptr;
    }
    if (window) {
        SDL_SetWindowFullscreen(window, 0);
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    if (videoReady) SDL_ShowCursor(SDL_ENABLE);
    finishAfterSwap = nullptr;
    active = false;
}

bool HasWindow() { return window != nullptr; }

void SwapWindow()
{
    if (!window) return;
    SDL_GL_SwapWindow(window);
    if (finishAfterSwap) finishAfterSwap();
}

void ShowCursor(bool show)
{
    if (videoReady) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void* GetGLProcAddress(const char* name) { return videoReady ? SDL_GL_GetProcAddress(name) : nullptr; }

void WindowSize(int& width, int& height)
{
    width = height = 0;
    if (window) SDL_GL_GetDrawableSize(window, &width, &height);
}

Message PollMessage()
{
    pressedKey = 0;
    if (postedCount > 0) return HandlePosted();
    if (!videoReady) return Message::none;
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return Message::none;
    switch (event.type) {
    case SDL_QUIT: return Message::quit;
    case SDL_KEYDOWN: SetKey(VirtualKeyFromSdl(event.key.keysym.sym), true); break;
    case SDL_KEYUP: SetKey(VirtualKeyFromSdl(event.key.keysym.sym), false); break;
    case SDL_WINDOWEVENT: HandleWindowEvent(event.window); break;
    case SDL_MOUSEBUTTONDOWN: buttonsPressedSinceRead |= ButtonBit(event.button.button); break;
    default: break;
    }
    return Message::other;
}

unsigned char* KeyTable() { return keyTable; }

bool IsActive() { return active; }

int PressedKey() { return pressedKey; }

void PostKey(int virtualKey, bool down) { Post({false, virtualKey, down}); }

void PostQuit() { Post({true, 0, false}); }

void GetCursorPos(int& x, int& y)
{
    x = y = 0;
    if (videoReady) SDL_GetMouseState(&x, &y);
}

void SetCursorPos(int x, int y)
{
    if (window) SDL_WarpMouseInWindow(window, x, y);
}

uint32_t MouseButtons()
{
    if (!videoReady) return 0;
    const Uint32 state = SDL_GetMouseState(nullptr, nullptr);
    uint32_t buttons = buttonsPressedSinceRead;
    buttonsPressedSinceRead = 0;
    for (Uint8 button : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE})
        if (state & SDL_BUTTON(button)) buttons |= ButtonBit(button);
    return buttons;
}

}  // namespace plat
