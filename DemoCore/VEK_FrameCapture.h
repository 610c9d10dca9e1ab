// Offline capture: writes presented frames as PPM pictures, for checking a show frame by
// frame (with --fixed-fps the same frames come out on every run).
#pragma once

#include <string>
#include <vector>

class FrameCapture {
public:
    // Captures every `every`-th frame into folder; an empty folder captures nothing.
    FrameCapture(std::string folder, long every) : folder_(std::move(folder)), every_(every > 0 ? every : 1) {}

    // Called before the frame is presented, with its number counted from 1.
    void Frame(unsigned long long number, int width, int height);

private:
    std::string folder_;
    long every_;
    std::vector<unsigned char> pixels_;   // reused from frame to frame
};
