#include "VEK_Math.h"

#include <cmath>

Vector3 add(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

Vector3 subtract(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vector3 scale(const Vector3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }

Vector3 cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

float magnitude(const Vector3& a) { return std::sqrt(dot(a, a)); }

Vector3 normalize(const Vector3& a)
{
    const float length = magnitude(a);
    if (length == 0.0f) return a;
    return {a.x / length, a.y / length, a.z / length};
}

float distance(const Vector3& a, const Vector3& b) { return magnitude(subtract(a, b)); }

float angleBetween(const Vector3& a, const Vector3& b)
{
    const float angle = std::acos(dot(a, b) / (magnitude(a) * magnitude(b)));
    return std::isnan(angle) ? 0.0f : angle;
}

float normalizeWithLength(Vector3& a)
{
    const float length = magnitude(a);
    if (length > -1e-7f && length < 1e-7f) {
        a.x = a.y = a.z = 0.0f;
        return 0.0f;
    }
    a.x /= length;
    a.y /= length;
    a.z /= length;
    return length;
}

float absolute(float f) { return std::fabs(f); }

Matrix4 rigidInverse(const Matrix4& matrix)
{
    const float* m = matrix.m;
    Matrix4 result;
    float* out = result.m;
    out[0] = m[0], out[1] = m[4], out[2] = m[8];
    out[4] = m[1], out[5] = m[5], out[6] = m[9];
    out[8] = m[2], out[9] = m[6], out[10] = m[10];
    out[3] = out[7] = out[11] = 0.0f;
    out[15] = 1.0f;
    for (int i = 0; i < 3; ++i) out[12 + i] = -(m[12] * m[4 * i] + m[13] * m[4 * i + 1] + m[14] * m[4 * i + 2]);
    return result;
}

Vector3 transformPoint(const Matrix4& matrix, const Vector3& p)
{
    const float* m = matrix.m;
    return {p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12], p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
            p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]};
}

Vector3 transformDirection(const Matrix4& matrix, const Vector3& d)
{
    const float* m = matrix.m;
    return {d.x * m[0] + d.y * m[4] + d.z * m[8], d.x * m[1] + d.y * m[5] + d.z * m[9],
            d.x * m[2] + d.y * m[6] + d.z * m[10]};
}
