// demo: plays the show described by demotest.xml.
#include "VEK_Player.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    PlayerOptions options;
    std::string error;
    if (!ParsePlayerOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "demo: %s\n\n%s", error.c_str(), PlayerUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(PlayerUsage(), stdout);
        return 0;
    }
    PlayerReport report;
    const int code = RunPlayer(options, &report);
    if (code != 0) return code;   // refused at start: its message is already out
    if (report.restarts == 1) std::fprintf(stderr, "demo: the show started over once\n");
    if (report.restarts > 1) std::fprintf(stderr, "demo: the show started over %d times\n", report.restarts);
    std::fprintf(stderr,
                 "demo: %llu frames presented, %llu update ticks in %.1f s, show at %.1f s, %d events fired "
                 "(at most %.0f ms late)%s\n",
                 static_cast<unsigned long long>(report.presentedFrames),
                 static_cast<unsigned long long>(report.updateTicks), report.milliseconds / 1000.0,
                 report.showSeconds, report.eventsFired, report.latestEventMs,
                 report.endedByEscape ? ", ended by Escape"
                 : report.endedByQuit ? ", window closed"
                 : report.endedByMusic ? ", music ended"
                 : report.endedByFrameLimit ? ", frame limit reached" : "");
    return code;
}
