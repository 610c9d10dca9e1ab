// The demo program (or another of our programs) run as a user runs it, in a show folder,
// and what it printed and captured: its closing line, its messages (batch mode: "[caption] text" lines) and its
// PPM frames.
#pragma once

#include "TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

struct DemoRun {
    int exitCode = -1;
    std::string output;   // standard output and standard error, in order
};

// Runs the program VEK_TEST_BIN_DIR/tool with the arguments (shell words) in folder.
inline DemoRun RunTool(const std::filesystem::path& folder, const char* tool, const std::string& arguments)
{
    const std::string command =
        "cd '" + folder.string() + "' && '" VEK_TEST_BIN_DIR "/" + tool + "' " + arguments + " 2>&1";
    DemoRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

inline DemoRun RunDemo(const std::filesystem::path& folder, const std::string& arguments)
{
    return RunTool(folder, "demo", arguments);
}

// The closing line the player prints:
// "demo: N frames presented, ..., show at S s, E events fired (at most L ms late), why".
struct PlayReport {
    double showSeconds = -1.0;
    int eventsFired = -1;
    std::string ending;
};

inline PlayReport ReadReport(const std::string& output)
{
    PlayReport report;
    const size_t line = output.rfind("demo: ");
    if (line == std::string::npos) return report;
    const std::string last = output.substr(line, output.find('\n', line) - line);
    const size_t show = last.find("show at ");
    if (show == std::string::npos) return report;
    char ending[64] = "";
    std::sscanf(last.c_str() + show, "show at %lf s, %d events fired (at most %*f ms late), %63[^\n]", &report.showSeconds,
                &report.eventsFired, ending);
    report.ending = ending;
    return report;
}

// The messages of a batch-mode run, one "[caption] text" line each.
inline std::vector<std::string> MessageLines(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] == '[') lines.push_back(line);
    return lines;
}

// The FX elements of a script.
inline int CountEvents(const std::string& script)
{
    int count = 0;
    for (size_t at = script.find("<FX"); at != std::string::npos; at = script.find("<FX", at + 1)) ++count;
    return count;
}

struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;   // rows from the top
    const unsigned char* at(int x, int y) const { return &rgb[(std::size_t(y) * width + x) * 3]; }
};

// Pixels that differ noticeably between two frames (more than a faint flicker).
inline int ChangedPixels(const Frame& a, const Frame& b)
{
    int changed = 0;
    for (std::size_t i = 0; i + 2 < a.rgb.size() && i + 2 < b.rgb.size(); i += 3)
        changed += std::abs(a.rgb[i] - b.rgb[i]) + std::abs(a.rgb[i + 1] - b.rgb[i + 1]) +
                       std::abs(a.rgb[i + 2] - b.rgb[i + 2]) > 24;
    return changed;
}

// A binary PPM as the player's capture writes it ("P6 W H 255", one whitespace, pixels).
inline Frame ReadPpm(const std::filesystem::path& path)
{
    Frame frame;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> frame.width >> frame.height >> maxValue;
    in.get();
    if (!in || magic != "P6" || maxValue != 255 || frame.width <= 0 || frame.height <= 0) return Frame{};
    frame.rgb.resize(std::size_t(frame.width) * frame.height * 3);
    in.read(reinterpret_cast<char*>(frame.rgb.data()), std::streamsize(frame.rgb.size()));
    if (!in) return Frame{};
    return frame;
}
