// Message boxes: a modal SDL box in interactive mode, one line on standard error in
// batch mode. Both modes echo the message to standard error and to the test hook.
#include "vekPlatform.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace plat {
namespace {
bool batchMode = false;
MessageHook messageHook = nullptr;
void* messageHookUser = nullptr;

bool BatchFromEnvironment()
{
    const char* value = std::getenv("VEK_BATCH");
    return value && std::strcmp(value, "1") == 0;
}

void Report(const char* caption, const char* text)
{
    std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
    if (messageHook) messageHook(caption ? caption : "", text ? text : "", messageHookUser);
}

}  // namespace

void SetBatchMode(bool on) { batchMode = on; }

bool IsBatchMode() { return batchMode || BatchFromEnvironment(); }

void SetMessageHook(MessageHook hook, void* user)
{
    messageHook = hook;
    messageHookUser = user;
}

void ShowMessage(const char* caption, const char* text)
{
    Report(caption, text);
    if (IsBatchMode()) return;
    // No owner window, as the original modal boxes had none.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr);
}

bool AskYesNo(const char* caption, const char* text, bool batchAnswer)
{
    Report(caption, text);
    if (IsBatchMode()) {
        std::fprintf(stderr, "[%s] answered %s (batch mode)\n", caption, batchAnswer ? "Yes" : "No");
        return batchAnswer;
    }
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    SDL_MessageBoxData box{};
    box.flags = SDL_MESSAGEBOX_WARNING;
    box.title = caption;
    box.message = text;
    box.numbuttons = 2;
    box.buttons = buttons;
    int pressed = 0;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) return batchAnswer;
    return pressed == 1;
}

}  // namespace plat
