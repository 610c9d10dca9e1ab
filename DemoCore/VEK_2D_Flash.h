// Drawing flashes and skins: one quad over the object's area in its colour and alpha,
// plain (a flash), textured with the skin image, or as a masked skin in two passes.
#pragma once

class Object2D;

// Blend modes of flashes and unmasked skins, (source, destination):
//   0 (SRC_ALPHA, ONE)                  3 (SRC_ALPHA, ONE_MINUS_SRC_ALPHA)
//   1 (SRC_ALPHA, ONE_MINUS_SRC_COLOR)  4 (SRC_ALPHA, SRC_ALPHA)
//   2 (SRC_ALPHA, DST_COLOR)            5 (ONE_MINUS_SRC_COLOR, ONE_MINUS_SRC_ALPHA)
// Any other mode leaves the blend function as it was.
void ApplyBlendMode(unsigned char mode);

// Draws a flash or skin. Leaves an orthographic projection over the object's area for
// whoever draws next, with colour material, lighting and depth testing on, blending off.
void DrawFader(const Object2D& object);
