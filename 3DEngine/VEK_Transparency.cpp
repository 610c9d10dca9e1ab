#include "VEK_Transparency.h"

#include "VEK_Scene.h"

#include <cstdio>
#include <vector>

namespace {
constexpr const char* kLogLine = "\n%d   %s";
constexpr const char* kLogSeparator = "\n-------------------------------------------";
constexpr const char* kLogFirstIndex = "\nFirst transparentObject Index=%d";

void logOrder(std::FILE* log, const ThingList& objects)
{
    for (const SceneObject* object : objects.each<SceneObject>())
        std::fprintf(log, kLogLine, isTransparent(*object) ? 1 : 0, object->name.c_str());
}

// The objects in list order, in a buffer kept between frames so that sorting allocates
// nothing once it has seen the scene.
std::vector<SceneObject*>& snapshot(const ThingList& objects)
{
    static std::vector<SceneObject*> order;
    order.clear();
    for (SceneObject* object : objects.each<SceneObject>()) order.push_back(object);
    return order;
}

void exchange(Scene& scene, std::vector<SceneObject*>& order, std::uint32_t i, std::uint32_t j)
{
    std::swap(order[i], order[j]);
    scene.objects.swapAt(i, j);
}
}  // namespace

bool isTransparent(const SceneObject& object)
{
    if (object.isEmitter) return true;
    const Material* material = object.material;
    return material && (material->alpha || material->opacity < 1.0f);
}

void partitionTransparent(Scene& scene)
{
    if (std::FILE* log = std::fopen(kTransparencyLogName, "w")) {
        logOrder(log, scene.objects);
        std::fputs(kLogSeparator, log);
        std::fclose(log);
    }
    std::vector<SceneObject*>& order = snapshot(scene.objects);
    const std::uint32_t n = std::uint32_t(order.size());
    // Each transparent object found from the front changes place with the last opaque
    // object behind it.
    std::uint32_t last = n ? n - 1 : 0;
    for (std::uint32_t i = 0; i < n && i < last; ++i) {
        if (!isTransparent(*order[i])) continue;
        while (last > i && isTransparent(*order[last])) --last;
        if (last > i) exchange(scene, order, i, last);
    }
    scene.firstTransparent = 0;
    for (std::uint32_t i = 0; i < n; ++i)
        if (isTransparent(*order[i])) {
            scene.firstTransparent = i;
            break;
        }
    if (std::FILE* log = std::fopen(kTransparencyLogName, "a")) {
        logOrder(log, scene.objects);
        std::fprintf(log, kLogFirstIndex, int(scene.firstTransparent));
        std::fclose(log);
    }
}

void resortTransparent(Scene& scene)
{
    std::vector<SceneObject*>& order = snapshot(scene.objects);
    const std::uint32_t first = scene.firstTransparent;
    for (std::uint32_t j = std::uint32_t(order.size()); j-- > first + 1;) {
        if (!isTransparent(*order[j])) continue;
        std::uint32_t best = j;
        float key = order[j]->eyeDistance;
        // Only the unbroken run of transparent objects that ends at j takes part.
        for (std::uint32_t k = j + 1; k-- > first && isTransparent(*order[k]);) {
            if (order[k]->eyeDistance < key) {
                best = k;
                key = order[k]->eyeDistance;
            }
        }
        if (best != j) exchange(scene, order, j, best);
    }
}
