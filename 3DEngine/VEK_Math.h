// The engine's small math vocabulary: a four-float vector and an OpenGL-order 4x4 matrix.
#pragma once

// A point or direction. Arithmetic uses x, y, z only; w rides along with copies and is
// set to 1 when the vector is assigned from a plain point (setPoint).
struct Vector3 {
    float x = 0, y = 0, z = 0, w = 0;

    Vector3() = default;
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}   // w keeps its default

    void setPoint(float x_, float y_, float z_)
    {
        x = x_;
        y = y_;
        z = z_;
        w = 1.0f;
    }
};

Vector3 add(const Vector3& a, const Vector3& b);
Vector3 subtract(const Vector3& a, const Vector3& b);
Vector3 scale(const Vector3& a, float s);
Vector3 cross(const Vector3& a, const Vector3& b);
float dot(const Vector3& a, const Vector3& b);
float magnitude(const Vector3& a);
// Callers pass a non-zero vector; a zero vector comes back as it is.
Vector3 normalize(const Vector3& a);
float distance(const Vector3& a, const Vector3& b);
// Radians; 0 where the arc cosine is not a number (parallel vectors whose dot product
// rounds past 1, or a zero vector).
float angleBetween(const Vector3& a, const Vector3& b);
// In place. Returns the length it had; a length within 1e-7 of 0 zeroes the vector.
float normalizeWithLength(Vector3& a);
float absolute(float f);

// 16 floats in OpenGL order: row r, column c at index 4c + r; translation at 12, 13, 14.
struct Matrix4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// Inverse of a rotation-plus-translation matrix (the 3x3 block transposed).
Matrix4 rigidInverse(const Matrix4& matrix);
Vector3 transformPoint(const Matrix4& matrix, const Vector3& p);
Vector3 transformDirection(const Matrix4& matrix, const Vector3& d);
