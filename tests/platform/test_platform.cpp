// The platform library's pieces that need no display: keys, posted messages, message
// modes, library loading, the clock.
#include "vekPlatform.h"

#include <SDL.h>
#include <SDL_keycode.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(PlatformKeys, SdlKeysMapToWindowsVirtualKeys)
{
    const std::pair<int32_t, int> cases[] = {
        {SDLK_a, 0x41}, {SDLK_z, 0x5A}, {SDLK_0, 0x30}, {SDLK_9, 0x39}, {SDLK_ESCAPE, 27},
        {SDLK_LSHIFT, 16}, {SDLK_RSHIFT, 16}, {SDLK_LCTRL, 17}, {SDLK_RCTRL, 17}, {SDLK_HOME, 0x24},
        {SDLK_LEFT, 0x25}, {SDLK_UP, 0x26}, {SDLK_RIGHT, 0x27}, {SDLK_DOWN, 0x28}, {SDLK_F9, 0x78},
        {SDLK_F11, 0x7A}, {SDLK_F12, 0x7B}, {SDLK_SPACE, 0x20}, {SDLK_RETURN, 0x0D}, {SDLK_UNKNOWN, 0},
    };
    for (const auto& [sdl, vk] : cases) EXPECT_EQ(plat::VirtualKeyFromSdl(sdl), vk) << "SDL key " << sdl;
}

TEST(PlatformMessages, PostedKeysFillTheKeyTableWhenPolled)
{
    unsigned char* keys = plat::KeyTable();
    keys['Q'] = 0;
    plat::PostKey('Q', true);
    EXPECT_EQ(keys['Q'], 0) << "a posted key waits for the message loop";
    EXPECT_EQ(plat::PollMessage(), plat::Message::other);
    EXPECT_EQ(keys['Q'], 1);
    plat::PostKey('Q', false);
    plat::PostQuit();
    EXPECT_EQ(plat::PollMessage(), plat::Message::other);
    EXPECT_EQ(keys['Q'], 0);
    EXPECT_EQ(plat::PollMessage(), plat::Message::quit);
}

TEST(PlatformMessages, OutOfRangeKeysAreIgnored)
{
    unsigned char before[256];
    std::copy(plat::KeyTable(), plat::KeyTable() + 256, before);
    plat::PostKey(256, true);
    plat::PostKey(-3, true);
    plat::PollMessage();
    plat::PollMessage();
    EXPECT_TRUE(std::equal(before, before + 256, plat::KeyTable()));
}

struct Captured {
    std::vector<std::pair<std::string, std::string>> messages;
};

void Capture(const char* caption, const char* text, void* user)
{
    static_cast<Captured*>(user)->messages.emplace_back(caption, text);
}

TEST(PlatformMessages, BatchModeReportsWithoutBlocking)
{
    Captured captured;
    plat::SetMessageHook(Capture, &captured);
    plat::SetBatchMode(true);
    plat::ShowMessage("XML parser", "some text");
    EXPECT_FALSE(plat::AskYesNo("Tamo GL", "Use Windowed Mode Instead?", false));
    EXPECT_TRUE(plat::AskYesNo("Tamo GL", "Use Windowed Mode Instead?", true));
    plat::SetMessageHook(nullptr, nullptr);
    ASSERT_EQ(captured.messages.size(), 3u);
    EXPECT_EQ(captured.messages[0], std::make_pair(std::string("XML parser"), std::string("some text")));
    EXPECT_EQ(captured.messages[1].first, "Tamo GL");
}

TEST(PlatformLibraries, LoadsOnlyFromBesideTheModule)
{
    // The engine library lies in the binary folder; a name that is only on the search
    // path (the C library) must not be found through it.
    void* engine = plat::LoadLibraryBeside(reinterpret_cast<const void*>(&plat::Init), "libvekEngineFW.so");
    ASSERT_NE(engine, nullptr) << plat::LastLoadError();
    EXPECT_NE(plat::FindSymbol(engine, "vekInitFrameWork"), nullptr);
    EXPECT_EQ(plat::FindSymbol(engine, "noSuchSymbol"), nullptr);
    plat::FreeLibrary(engine);

    EXPECT_EQ(plat::LoadLibraryBeside(reinterpret_cast<const void*>(&plat::Init), "libc.so.6"), nullptr);
    EXPECT_FALSE(plat::LastLoadError().empty());
    EXPECT_EQ(plat::ModuleDirectory(reinterpret_cast<const void*>(&plat::Init)), std::string(VEK_TEST_BIN_DIR) + "/");
}

// Window events as the window system sends them, each followed by whether the show draws.
TEST(PlatformMessages, OnlyAMinimisedWindowIsInactive)
{
    ASSERT_EQ(plat::OpenWindow("focus", 64, 64, 32, false), plat::WindowResult::ok);
    const Uint32 windowId = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    const std::pair<SDL_WindowEventID, bool> steps[] = {
        {SDL_WINDOWEVENT_RESTORED, true},      {SDL_WINDOWEVENT_FOCUS_LOST, true},
        {SDL_WINDOWEVENT_FOCUS_GAINED, true},
        {SDL_WINDOWEVENT_FOCUS_LOST, true},    {SDL_WINDOWEVENT_MINIMIZED, false},
        {SDL_WINDOWEVENT_FOCUS_GAINED, false}, {SDL_WINDOWEVENT_RESTORED, true},
        {SDL_WINDOWEVENT_HIDDEN, false},       {SDL_WINDOWEVENT_SHOWN, true},
    };
    for (const auto& [windowEvent, active] : steps) {
        while (plat::PollMessage() != plat::Message::none) {}   // what the window system sent itself
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = windowEvent;
        event.window.windowID = windowId;
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        int handled = 0;
        while (plat::PollMessage() != plat::Message::none) ++handled;
        EXPECT_GE(handled, 1) << "window event " << int(windowEvent);
        EXPECT_EQ(plat::IsActive(), active) << "after window event " << int(windowEvent);
    }
    plat::CloseWindow();
    plat::Quit();
}

}  // namespace

namespace {
// Real time in SDL's counter, past the platform's clock.
uint64_t RealCounts() { return SDL_GetPerformanceCounter(); }

void WaitRealMilliseconds(uint64_t ms)
{
    const uint64_t until = RealCounts() + ms * SDL_GetPerformanceFrequency() / 1000;
    while (RealCounts() < until) SDL_Delay(1);
}
}  // namespace

// A paused show holds the clock: it stands still while real time passes, moves only when
// moved ahead, and goes on afterwards without the time the hold lasted.
TEST(PlatformClock, AHeldRealClockStandsStillMovesAheadOnlyWhenToldAndGoesOnWithoutAJump)
{
    plat::UseVirtualClock(false);
    const int64_t frequency = plat::PerfFrequency();
    plat::HoldClock(true);
    const int64_t held = plat::PerfCounter();
    const uint32_t heldTicks = plat::TickCount();
    WaitRealMilliseconds(30);
    EXPECT_EQ(plat::PerfCounter(), held);
    EXPECT_EQ(plat::TickCount(), heldTicks);

    plat::AdvanceClock(500000);
    EXPECT_EQ(plat::PerfCounter(), held + frequency / 2);
    EXPECT_EQ(plat::TickCount(), heldTicks + 500);

    const uint64_t before = RealCounts();
    plat::HoldClock(false);
    const int64_t resumed = plat::PerfCounter();
    const uint64_t after = RealCounts();
    EXPECT_GE(resumed, held + frequency / 2);
    EXPECT_LE(uint64_t(resumed - (held + frequency / 2)), after - before) << "the 30 ms held do not count";
    EXPECT_FALSE(plat::IsClockHeld());
}

TEST(PlatformClock, AHeldVirtualClockIgnoresSleepsButNotAdvances)
{
    plat::UseVirtualClock(true);
    plat::HoldClock(true);
    plat::Sleep(1000);
    EXPECT_EQ(plat::TickCount(), 0u);
    plat::AdvanceClock(2000);
    EXPECT_EQ(plat::TickCount(), 2u);
    plat::HoldClock(false);
    plat::Sleep(1000);
    EXPECT_EQ(plat::TickCount(), 1002u);
    plat::UseVirtualClock(false);
}
