// A key track: interactive keys pressed at given show times, as a performer would press
// them, so that a show's live keys (radial blur, frame speed, the free camera...) play the
// same on every run. Read from a text file, one press a line:
//
//   # show time (s)   keys         held for (s; without it, one frame)
//   36.1              Shift+O
//   52.5              Up           1.5
//
// Keys are letters, digits, F1-F12, Space, Home, Left, Up, Right, Down and Escape, with
// Shift+ and Ctrl+ in front. Presses go through the window's message queue, so the timeline
// and the engine see them exactly as typed keys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class KeyTrack {
public:
    // Reads the file; false with the reason (file and line) in error. An empty track does
    // nothing.
    bool Load(const std::string& path, std::string& error);
    bool Parse(const std::string& text, const std::string& name, std::string& error);

    // Once per loop pass, before messages are read: presses the keys whose time has come
    // and releases those held long enough, never before a frame has been presented with
    // them down. A show time earlier than the last one (a restart or a seek) releases
    // every key and re-arms the presses from that time on.
    void Apply(float showSeconds, uint64_t presentedFrames);

    // The show moved to showSeconds (a start time or a jump): keys held are let go, presses
    // before it count as done, the later ones are armed.
    void Seek(float showSeconds);

    std::size_t Size() const { return presses_.size(); }

private:
    struct Press {
        float time = 0.0f;
        float hold = 0.0f;
        std::vector<int> keys;   // virtual keys, modifiers first
        bool down = false;
        bool done = false;
        uint64_t frame = 0;      // presented frames when pressed
    };
    void Release(Press& press);

    std::vector<Press> presses_;
    float lastSeconds_ = 0.0f;
};
