// LissaPath: precomputed Lissajous-style paths that an index walks around at a chosen
// speed. Users take one point per step (the radial blur's centre, a particle emitter).
#pragma once

class LissaPath {
public:
    static constexpr int kChannels = 4;      // independent paths; the system uses channel 0
    static constexpr int kPoints = 1024;     // two turns of the curve
    static constexpr int kLastPosition = 1022;  // a step past this restarts at 0

    // Mirrors points with negative x to (-x, -y). Takes effect on the next Fill.
    void EnableFold() { fold_ = true; }

    // Fills a channel's table and puts its position at 0. Modes (t the running angle):
    //   0: (2 sin t, 3 sin t), amplitudes ignored   1: (a cos t, b cos t)
    //   2: (a sin t, b cos t)   3: (a cos t, b sin -t)   4: (a cos -t, b sin t)
    // Another mode leaves the table as it was. A channel outside 0..3 is ignored.
    void Fill(int a, int b, int channel, int mode);
    void Fill(float a, float b, int channel, int mode);

    void SetSpeed(int speed) { speed_ = speed; }
    int Speed() const { return speed_; }

    // Advances the channel's position by the speed. Past 1022 it restarts at 0; with a
    // negative speed, below 0 it restarts at 1022, so the walk runs the same positions
    // backwards.
    void Step(int channel);
    int Position(int channel) const;

    // The point at the channel's position ((0, 0) for a channel outside 0..3).
    void CurrentPoint(int channel, float& x, float& y) const;
    // The point at a table index (0 .. 1023) of a channel, whatever the position.
    void PointAt(int channel, int index, float& x, float& y) const;

private:
    static bool ValidChannel(int channel) { return channel >= 0 && channel < kChannels; }
    void FillChannel(double a, double b, int channel, int mode);

    bool fold_ = false;
    float x_[kChannels][kPoints] = {};
    float y_[kChannels][kPoints] = {};
    int position_[kChannels] = {};
    int speed_ = 0;
};
