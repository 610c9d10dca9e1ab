#include "VEK_StartupDialog.h"

#include "VEK_ImGuiGlue.h"
#include "VEK_Player.h"
#include "vekPlatform.h"

#include <GL/gl.h>
#include <imgui.h>

namespace {
// The dialog is laid out in dialog units of an 8-point font (1.5 x 1.625 pixels each),
// drawn at twice that size so that today's screens and fonts fit.
constexpr float kUnitX = 3.0f;
constexpr float kUnitY = 3.25f;
constexpr int kDialogWidth = int(137 * kUnitX);
constexpr int kDialogHeight = int(157 * kUnitY);
constexpr int kEscapeKey = 27;
constexpr int kReturnKey = 13;

enum class Choice { none, start, quit };

ImVec2 Units(float x, float y) { return ImVec2(x * kUnitX, y * kUnitY); }

// The dialog's picture: a dusk gradient with the player's name.
void DrawPicture()
{
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 from = Units(7, 6);
    const ImVec2 to = Units(7 + 123, 6 + 150);
    draw->AddRectFilledMultiColor(from, to, IM_COL32(20, 24, 70, 255), IM_COL32(90, 30, 110, 255),
                                  IM_COL32(230, 120, 40, 255), IM_COL32(20, 60, 120, 255));
    draw->AddText(ImGui::GetFont(), 48.0f, Units(20, 16), IM_COL32(255, 240, 200, 255), "vek");
    draw->AddText(ImGui::GetFont(), 20.0f, Units(20, 36), IM_COL32(255, 240, 200, 230), "realtime demo player");
}

// An auto check box: each click inverts what it stands for.
void CheckBox(const char* text, float x, float y, bool& shown, bool* setting)
{
    ImGui::SetCursorPos(Units(x, y));
    if (ImGui::Checkbox(text, &shown) && setting) *setting = !*setting;
}

bool Button(const char* text, float x, float y, float width, float height)
{
    ImGui::SetCursorPos(Units(x, y));
    return ImGui::Button(text, Units(width, height));
}

Choice DrawDialog(StartupSettings& settings, bool checked[4])
{
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(float(kDialogWidth), float(kDialogHeight)));
    ImGui::Begin("start-up", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings);
    DrawPicture();
    Choice choice = Choice::none;
    CheckBox("In a Window", 16, 87, checked[0], &settings.fullscreen);
    CheckBox("Show Loop", 16, 100, checked[1], &settings.showLoop);
    CheckBox("Detail Maps", 72, 87, checked[2], nullptr);
    CheckBox("Low Chips", 72, 100, checked[3], &settings.lowChips);
    if (Button("KickAss!", 16, 117, 103, 14)) choice = Choice::start;
    if (Button("No", 16, 136, 104, 14)) choice = Choice::quit;
    ImGui::End();
    return choice;
}

// Acts on key presses as they come, so a tap released before the next dialog frame counts.
Choice PollKeys()
{
    for (;;) {
        const plat::Message message = plat::PollMessage();
        if (message == plat::Message::none) break;
        if (message == plat::Message::quit) return Choice::quit;
        if (plat::PressedKey() == kEscapeKey) return Choice::quit;
        if (plat::PressedKey() == kReturnKey) return Choice::start;
    }
    return Choice::none;
}
}  // namespace

bool RunStartupDialog(StartupSettings& settings)
{
    if (plat::OpenWindow("vek", kDialogWidth, kDialogHeight, 32, false) != plat::WindowResult::ok) {
        plat::ShowMessage("ERROR", "Window Creation Error.");
        return false;
    }
    // On opening, "Detail Maps" and "Low Chips" are shown checked and detail maps is on.
    settings.detailMaps = true;
    bool checked[4] = {!settings.fullscreen, settings.showLoop, true, true};

    GlueInit();
    Choice choice = Choice::none;
    uint32_t last = plat::TickCount();
    while (choice == Choice::none) {
        choice = PollKeys();
        const uint32_t now = plat::TickCount();
        GlueNewFrame(kDialogWidth, kDialogHeight, float(now - last) / 1000.0f);
        last = now;
        const Choice clicked = DrawDialog(settings, checked);
        if (choice == Choice::none) choice = clicked;
        ImGui::Render();
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        GlueRender(ImGui::GetDrawData());
        plat::SwapWindow();
        plat::Sleep(15);
    }
    GlueShutdown();
    plat::CloseWindow();
    // A key that closed the dialog must not reach the demo's key table as still held.
    plat::KeyTable()[kEscapeKey] = 0;
    plat::KeyTable()[kReturnKey] = 0;
    return choice == Choice::start;
}
