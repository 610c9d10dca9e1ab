#include "VEK_KeyTrack.h"

#include "vekPlatform.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
constexpr int kShift = 16;
constexpr int kControl = 17;
constexpr std::size_t kMaxTrackBytes = 1 << 20;   // a hand-written track is a few lines

struct NamedKey {
    const char* name;
    int virtualKey;
};
constexpr NamedKey kNamedKeys[] = {
    {"Space", 0x20}, {"Home", 0x24}, {"Left", 0x25}, {"Up", 0x26}, {"Right", 0x27}, {"Down", 0x28}, {"Escape", 27},
};

// The virtual key of one key name ("O", "7", "F9", "Home"), 0 when there is none.
int VirtualKey(const std::string& name)
{
    if (name.size() == 1 && std::isupper(static_cast<unsigned char>(name[0]))) return name[0];
    if (name.size() == 1 && std::isdigit(static_cast<unsigned char>(name[0]))) return name[0];
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F' && std::isdigit(static_cast<unsigned char>(name[1]))) {
        const int number = std::atoi(name.c_str() + 1);
        if (number >= 1 && number <= 12 && std::to_string(number) == name.substr(1)) return 0x70 + number - 1;
    }
    for (const NamedKey& key : kNamedKeys)
        if (name == key.name) return key.virtualKey;
    return 0;
}

// "Shift+Ctrl+O" into its virtual keys, modifiers first; false on an unknown name.
bool ParseChord(const std::string& chord, std::vector<int>& keys)
{
    std::stringstream parts(chord);
    std::string part;
    std::vector<std::string> names;
    while (std::getline(parts, part, '+')) names.push_back(part);
    if (names.empty() || chord.back() == '+') return false;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        if (names[i] == "Shift") keys.push_back(kShift);
        else if (names[i] == "Ctrl") keys.push_back(kControl);
        else return false;
    }
    const int key = VirtualKey(names.back());
    if (key == 0) return false;
    keys.push_back(key);
    return true;
}

// A time in seconds: a finite number, not negative, with nothing after it.
bool ParseSeconds(const std::string& text, float& value)
{
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(parsed) || parsed < 0.0 || parsed > 1e7) return false;
    value = static_cast<float>(parsed);
    return true;
}
}  // namespace

bool KeyTrack::Load(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the key track " + path;
        return false;
    }
    std::string text(kMaxTrackBytes + 1, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(std::size_t(in.gcount()));
    if (text.size() > kMaxTrackBytes) {
        error = "the key track " + path + " is larger than 1 MB";
        return false;
    }
    return Parse(text, path, error);
}

bool KeyTrack::Parse(const std::string& text, const std::string& name, std::string& error)
{
    presses_.clear();
    std::stringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::size_t comment = line.find('#');
        if (comment != std::string::npos) line.erase(comment);
        std::stringstream fields(line);
        std::string time, chord, hold, extra;
        if (!(fields >> time)) continue;   // blank or comment only
        const std::string where = name + " line " + std::to_string(number) + ": ";
        Press press;
        if (!ParseSeconds(time, press.time)) {
            error = where + "'" + time + "' is not a show time in seconds";
            return false;
        }
        if (!(fields >> chord) || !ParseChord(chord, press.keys)) {
            error = where + (chord.empty() ? "no keys after the time" : "unknown keys '" + chord + "'");
            return false;
        }
        if (fields >> hold && !ParseSeconds(hold, press.hold)) {
            error = where + "'" + hold + "' is not a holding time in seconds";
            return false;
        }
        if (fields >> extra) {
            error = where + "unexpected '" + extra + "' after the holding time";
            return false;
        }
        presses_.push_back(press);
    }
    std::stable_sort(presses_.begin(), presses_.end(), [](const Press& a, const Press& b) { return a.time < b.time; });
    lastSeconds_ = 0.0f;
    return true;
}

void KeyTrack::Release(Press& press)
{
    for (auto key = press.keys.rbegin(); key != press.keys.rend(); ++key) plat::PostKey(*key, false);
    press.down = false;
    press.done = true;
}

void KeyTrack::Seek(float showSeconds)
{
    for (Press& press : presses_) {
        if (press.down) Release(press);
        press.done = press.time < showSeconds;
    }
    lastSeconds_ = showSeconds;
}

void KeyTrack::Apply(float showSeconds, uint64_t presentedFrames)
{
    if (showSeconds < lastSeconds_) Seek(showSeconds);
    lastSeconds_ = showSeconds;
    for (Press& press : presses_) {
        if (press.done) continue;
        if (press.down) {
            if (presentedFrames > press.frame && showSeconds >= press.time + press.hold) Release(press);
            continue;
        }
        if (showSeconds < press.time) break;   // sorted: the rest come later
        for (int key : press.keys) plat::PostKey(key, true);
        press.down = true;
        press.frame = presentedFrames;
    }
}
