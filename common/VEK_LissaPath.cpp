#include "VEK_LissaPath.h"

#include <cmath>

namespace {
// 6.28335972 / 512: two turns over the 1024 points, a hair more than 2 pi each. The angle
// is kept in single precision, so each addition is rounded to float; the points depend
// on that rounding.
constexpr double kAngleStep = 6.28335972 / 512.0;

bool CurvePoint(int mode, double a, double b, double t, double& x, double& y)
{
    switch (mode) {
    case 0: x = 2.0 * std::sin(t); y = 3.0 * std::sin(t); return true;
    case 1: x = a * std::cos(t); y = b * std::cos(t); return true;
    case 2: x = a * std::sin(t); y = b * std::cos(t); return true;
    case 3: x = a * std::cos(t); y = b * std::sin(-t); return true;
    case 4: x = a * std::cos(-t); y = b * std::sin(t); return true;
    default: return false;
    }
}
}  // namespace

void LissaPath::Fill(int a, int b, int channel, int mode) { FillChannel(a, b, channel, mode); }

void LissaPath::Fill(float a, float b, int channel, int mode) { FillChannel(a, b, channel, mode); }

void LissaPath::FillChannel(double a, double b, int channel, int mode)
{
    if (!ValidChannel(channel)) return;
    position_[channel] = 0;
    float t = 0.0f;
    for (int i = 0; i < kPoints; ++i) {
        double x = 0.0, y = 0.0;
        if (!CurvePoint(mode, a, b, t, x, y)) return;
        x_[channel][i] = static_cast<float>(x);
        y_[channel][i] = static_cast<float>(y);
        t = static_cast<float>(t + kAngleStep);
    }
    if (!fold_) return;
    for (int i = 0; i < kPoints; ++i) {
        if (x_[channel][i] < 0.0f) {
            x_[channel][i] = -x_[channel][i];
            y_[channel][i] = -y_[channel][i];
        }
    }
}

void LissaPath::Step(int channel)
{
    if (!ValidChannel(channel)) return;
    int& position = position_[channel];
    // Done in 64 bits: a huge speed must not overflow the position.
    const long long next = static_cast<long long>(position) + speed_;
    if (next > kLastPosition) position = 0;
    else if (next < 0) position = kLastPosition;
    else position = static_cast<int>(next);
}

int LissaPath::Position(int channel) const { return ValidChannel(channel) ? position_[channel] : 0; }

void LissaPath::CurrentPoint(int channel, float& x, float& y) const { PointAt(channel, Position(channel), x, y); }

void LissaPath::PointAt(int channel, int index, float& x, float& y) const
{
    x = y = 0.0f;
    if (!ValidChannel(channel) || index < 0 || index >= kPoints) return;
    x = x_[channel][index];
    y = y_[channel][index];
}
