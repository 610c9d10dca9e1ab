// PPM pictures of presented frames, for checking a show frame by frame (with --fixed-fps
// the same frames come out on every run): written as the frames are presented, or as
// the sink of a recorded show (--capture with --fps).
#pragma once

#include "VEK_FrameSink.h"

#include <memory>
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

// The back buffer's width x height pixels as RGB bytes, rows bottom first.
void ReadBackBuffer(int width, int height, std::vector<unsigned char>& rgb);

// Writes rgb (rows bottom first, as OpenGL reads them) as a binary PPM file.
bool WriteBottomUpPpm(const std::string& path, const unsigned char* rgb, int width, int height);

// A recorded show's every `every`-th frame as folder/frameNNNNNN.ppm (no music).
std::unique_ptr<FrameSink> OpenPpmFolder(const std::string& folder, long every);
