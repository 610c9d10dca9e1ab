#include "VEK_Collision.h"

#include "VEK_Scene.h"

#include <cmath>

namespace {
constexpr float kTwoPi = 6.283185307179586f;
// Angle sums a little short of a full turn still count as inside: rounding at the corners.
constexpr float kInsideFraction = 0.99f;
// The hit value that marks a face as reported.
constexpr float kReportedHit = 9999.9f;

// The projected point lies inside the triangle when the angles it sees the three edges
// under add up to a full turn.
bool InsideTriangle(const Vector3& p, const Vector3 (&corner)[3])
{
    float sum = 0.0f;
    for (int i = 0; i < 3; ++i)
        sum += angleBetween(subtract(corner[i], p), subtract(corner[(i + 1) % 3], p));
    return sum >= kInsideFraction * kTwoPi;
}

Vector3 ClosestPointOnSegment(const Vector3& a, const Vector3& b, const Vector3& point)
{
    const Vector3 direction = normalize(subtract(b, a));
    const float t = dot(direction, subtract(point, a));
    if (t <= 0.0f) return a;
    if (t >= distance(b, a)) return b;
    return add(a, scale(direction, t));
}

bool EdgeTouches(const Vector3& centre, float edgeRadius, const Vector3 (&corner)[3])
{
    for (int i = 0; i < 3; ++i)
        if (distance(ClosestPointOnSegment(corner[i], corner[(i + 1) % 3], centre), centre) <= edgeRadius)
            return true;
    return false;
}

void PushBack(Camera& camera, const Vector3& normal, float dist, float radius)
{
    const Vector3 offset = dist > 0.0f ? scale(normal, radius - dist) : scale(normal, -(radius + dist));
    camera.viewEye = add(camera.viewEye, offset);
    camera.viewTarget = add(camera.viewTarget, offset);
    camera.eye.setPoint(camera.viewEye.x, camera.viewEye.y, camera.viewEye.z);
    camera.target.setPoint(camera.viewTarget.x, camera.viewTarget.y, camera.viewTarget.z);
    camera.collidedFlag = true;
}
}  // namespace

bool Collide(Camera& camera, SceneObject& object, std::uint32_t& testedFaces)
{
    if (camera.collidedFlag) return true;
    const float radius = camera.distance / 1.3f;
    const float nearPlane = radius - radius / 128.0f;
    const Vector3 centre = camera.viewEye;
    const MeshVertex* vertices = object.drawnVertices;
    const std::uint32_t vertexCount = std::uint32_t(object.vertices.size());
    if (!vertices) return false;

    for (MeshFace& face : object.faces) {
        if (face.a >= vertexCount || face.b >= vertexCount || face.c >= vertexCount) continue;
        const Vector3 corner[3] = {vertices[face.a].position, vertices[face.b].position, vertices[face.c].position};
        const Vector3& n = face.normal;
        const float dist = dot(n, centre) - dot(n, corner[0]);
        if (!(dist < nearPlane)) continue;

        // A negative product gives no number, which never passes FaceHit's limit.
        face.hit = std::fabs(std::sqrt(dot(centre, corner[0])));
        ++testedFaces;
        if (!(std::fabs(dist) < radius)) continue;   // wholly in front of or behind the plane

        const Vector3 projected = subtract(centre, scale(n, dist));
        if (!InsideTriangle(projected, corner) && !EdgeTouches(centre, radius / 2.0f, corner)) continue;
        PushBack(camera, n, dist, radius);
        return true;
    }
    return false;
}

bool FaceHit(SceneObject& object, float limit)
{
    for (MeshFace& face : object.faces) {
        if (face.hit <= limit) {
            face.hit = kReportedHit;
            return true;
        }
    }
    return false;
}

void CollideWithScene(Camera& camera, Scene& scene)
{
    if (!camera.wallTest) return;
    for (SceneObject* object : scene.objects.each<SceneObject>()) Collide(camera, *object, scene.cpuPolyLoad);
}
