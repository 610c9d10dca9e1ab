#include "VEK_TimeBar.h"

#include "VEK_DemoEngine.h"
#include "VEK_ImGuiGlue.h"

#include <imgui.h>

#include <cstdio>

namespace {
constexpr float kBarHeight = 46.0f;
constexpr float kFrameSeconds = 1.0f / 60.0f;   // the interface animates nothing; any step will do

const char* ClassName(const EventRecord& event)
{
    static constexpr const char* k2DClasses[] = {"flash", "skin", "layer", "glow", "radial", "r2txt"};
    if (event.type == EventCode::kType3D) return event.eventClass == EventCode::kHitcam ? "3d hitcam" : "3d";
    return event.eventClass < 6 ? k2DClasses[event.eventClass] : "2d";
}

std::string EventText(const EventRecord& event)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s '%s' at %.2f s", ClassName(event), event.name, double(event.start));
    return text;
}
}  // namespace

std::string TimeBar::Describe(const DemoEngine& demo, bool paused)
{
    const EventList& events = demo.events;
    char text[96];
    std::snprintf(text, sizeof text, "%s%.2f / %.2f s", paused ? "PAUSED  " : "", double(demo.sound.Position()),
                  double(demo.sound.lengthSeconds));
    std::string line = text;
    line += events.cursor > 0 ? "   last: " + EventText(events.entries[events.current]) : "   no event yet";
    if (events.cursor < events.count) line += "   next: " + EventText(events.entries[events.cursor]);
    return line;
}

void TimeBar::Draw(const DemoEngine& demo, bool paused, int width, int height)
{
    if (!ready_) {
        GlueInit();
        ready_ = true;
    }
    GlueNewFrame(width, height, kFrameSeconds);
    ImGui::SetNextWindowPos(ImVec2(0.0f, float(height) - kBarHeight));
    ImGui::SetNextWindowSize(ImVec2(float(width), kBarHeight));
    ImGui::SetNextWindowBgAlpha(0.7f);
    ImGui::Begin("time bar", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoInputs | ImGuiWindowFlags_NoFocusOnAppearing);
    const float length = demo.sound.lengthSeconds;
    const float share = length > 0.0f ? demo.sound.Position() / length : 0.0f;
    ImGui::ProgressBar(share < 0.0f ? 0.0f : share > 1.0f ? 1.0f : share, ImVec2(-1.0f, 4.0f), "");
    ImGui::TextUnformatted(Describe(demo, paused).c_str());
    ImGui::End();
    ImGui::Render();
    GlueRender(ImGui::GetDrawData());
}

void TimeBar::Release()
{
    if (ready_) GlueShutdown();
    ready_ = false;
}
