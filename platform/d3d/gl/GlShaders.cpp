#include "platform/d3d/gl/GlShaders.h"

#include <cstdio>

namespace d3d {

namespace {

// The fragment shader is made for each combination of stage-0 operations the engine uses, as
// straight-line code: on a CPU rasterizer every instruction of it runs for every pixel, and
// uniform-driven branches cost as much as the sampling.
const char* kDrawFragmentHead = R"(#version 330 core
noperspective in vec4 vColour;
noperspective in vec2 vTexCoord;
uniform sampler2D uTexture;
out vec4 fColour;
void main() {
)";

// What stage 0 computes for one operation and its arguments; a disabled stage (or one we do not
// do) passes the diffuse colour on.
std::string StageExpression(D3DTEXTUREOP op, DWORD arg1, DWORD arg2) {
    const auto argument = [](DWORD a) { return a == D3DTA_TEXTURE ? "texel" : "vColour"; };
    switch (op) {
    case D3DTOP_SELECTARG1:
        return argument(arg1);
    case D3DTOP_SELECTARG2:
        return argument(arg2);
    case D3DTOP_MODULATE:
        return std::string(argument(arg1)) + " * " + argument(arg2);
    default:
        return "vColour";
    }
}

GLuint Compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "OpenGL device: shader does not compile: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

const char* const kDrawVertex = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aTexCoord;
uniform vec2 uTargetSize;
noperspective out vec4 vColour;
noperspective out vec2 vTexCoord;
void main() {
    // Pixel centres lie on integers in the device's coordinates, on half-integers in GL's.
    vec2 p = (aPosition.xy + 0.5) / uTargetSize * 2.0 - 1.0;
    gl_Position = vec4(p, aPosition.z * 2.0 - 1.0, 1.0);
    vColour = aColour;
    vTexCoord = aTexCoord;
}
)";

std::string DrawFragmentSource(const DrawState& state) {
    std::string source = kDrawFragmentHead;
    source += state.BoundTexture ? "    vec4 texel = texture(uTexture, vTexCoord);\n"
                                 : "    vec4 texel = vec4(1.0);\n";
    // Without blending, alpha is only stored; a target without alpha of its own keeps it opaque.
    const std::string alpha =
        !state.BlendEnable && !state.TargetHasAlpha
            ? "1.0"
            : "(" + StageExpression(state.AlphaOp, state.AlphaArg1, state.AlphaArg2) + ").a";
    source += "    fColour = vec4((" +
              StageExpression(state.ColorOp, state.ColorArg1, state.ColorArg2) + ").rgb, " + alpha +
              ");\n}\n";
    return source;
}

const char* const kPresentVertex = R"(#version 330 core
out vec2 vTexCoord;
void main() {
    // One triangle over the whole viewport; the picture's row 0 (at GL's y = 0) goes on top.
    vec2 p = vec2(float(gl_VertexID & 1) * 4.0 - 1.0, float(gl_VertexID & 2) * 2.0 - 1.0);
    gl_Position = vec4(p, 0.0, 1.0);
    vTexCoord = vec2((p.x + 1.0) * 0.5, (1.0 - p.y) * 0.5);
}
)";

const char* const kPresentFragment = R"(#version 330 core
in vec2 vTexCoord;
uniform sampler2D uPicture;
uniform sampler2D uRamp; // 256 x 1: the gamma ramp
uniform bool uGamma;
out vec4 fColour;
void main() {
    vec4 c = texture(uPicture, vTexCoord);
    if (uGamma) {
        ivec3 i = ivec3(round(c.rgb * 255.0));
        c.rgb = vec3(texelFetch(uRamp, ivec2(i.r, 0), 0).r, texelFetch(uRamp, ivec2(i.g, 0), 0).g,
                     texelFetch(uRamp, ivec2(i.b, 0), 0).b);
    }
    fColour = vec4(c.rgb, 1.0);
}
)";

GLuint Link(const char* vertex, const char* fragment) {
    const GLuint vs = Compile(GL_VERTEX_SHADER, vertex);
    const GLuint fs = Compile(GL_FRAGMENT_SHADER, fragment);
    GLuint program = 0;
    if (vs && fs) {
        program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        glLinkProgram(program);
        GLint ok = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) {
            std::fprintf(stderr, "OpenGL device: shaders do not link\n");
            glDeleteProgram(program);
            program = 0;
        }
    }
    glDeleteShader(vs);
    glDeleteShader(fs);
    return program;
}

} // namespace d3d
