// Drawing order of a scene's objects: transparent objects go behind the opaque ones, and
// among themselves from far to near. The order is kept in the scene's object list itself.
#pragma once

class Scene;
class SceneObject;

// The log of the last partition, in the working directory.
inline constexpr const char* kTransparencyLogName = "Zalpha.log";

// A particle emitter, or an object whose material has alpha set or an opacity below 1.
bool isTransparent(const SceneObject& object);

// Moves every transparent object behind the opaque ones (neither group keeps its order),
// sets the scene's firstTransparent (0 when there is none) and writes both orders to
// "Zalpha.log". Run by the engine script after its materials and after each object.
void partitionTransparent(Scene& scene);

// Once per frame after the objects were drawn: sorts the run of transparent objects
// behind firstTransparent by the eye distances measured in that frame, farthest first;
// equal distances keep their order.
void resortTransparent(Scene& scene);
