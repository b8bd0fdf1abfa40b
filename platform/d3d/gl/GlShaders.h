// The OpenGL device's shader programs: the draw shaders, made for each combination of stage-0
// operations as straight-line code, and the present pass that puts the back buffer into the
// window (with the gamma ramp in full screen).
#pragma once

#include "platform/d3d/Device.h"

#include <epoxy/gl.h>
#include <string>

namespace d3d {

// The vertex shader of every draw: device positions (pixel centres on integers) to GL's.
extern const char* const kDrawVertex;
// The fragment shader for a draw in this state.
std::string DrawFragmentSource(const DrawState& state);
// One triangle over the viewport showing the back buffer upright, through the gamma ramp when
// its uniform asks for it.
extern const char* const kPresentVertex;
extern const char* const kPresentFragment;
// The linked program, or 0 (the reason on stderr).
GLuint Link(const char* vertex, const char* fragment);

} // namespace d3d
