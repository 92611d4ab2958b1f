#include "d3d8_report.h"
#include "d3d8_shader_gen.h"

#include <cstdio>

std::string D3d8ProgramKey::bytes() const {
    std::string result(reinterpret_cast<const char*>(stages), sizeof(D3d8StageKey) * stageCount);
    result.push_back(static_cast<char>(stageCount));
    result.push_back(static_cast<char>(pretransformed));
    result.push_back(static_cast<char>(lighting));
    result.push_back(static_cast<char>(flatShading));
    result.push_back(static_cast<char>(alphaFunc));
    return result;
}

namespace {

// Direct3D 8 pixel centres are half a pixel from OpenGL's; the shift is a
// hair under half so that the top-left fill rule picks the same pixels.
constexpr const char* kPixelShift = "0.4921875";

std::string stageName(unsigned stage) { return std::to_string(stage); }

// The GLSL value of an argument selector, as a vec4.
std::string argument(BYTE selector, unsigned stage) {
    std::string base;
    switch (selector & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE:
            base = "diffuse";
            break;
        case D3DTA_CURRENT:
            base = "current";
            break;
        case D3DTA_TEXTURE:
            base = "texel" + stageName(stage);
            break;
        case D3DTA_TFACTOR:
            base = "uTextureFactor";
            break;
        default:
            base = "vec4(0.0)";  // no specular colour or temporary register
            break;
    }
    if (selector & D3DTA_ALPHAREPLICATE) base = "(" + base + ").aaaa";
    if (selector & D3DTA_COMPLEMENT) base = "(vec4(1.0) - " + base + ")";
    return base;
}

// The operation on two arguments (GLSL expressions of one type: vec3 or float).
std::string operation(BYTE op, const std::string& a1, const std::string& a2, unsigned stage, bool alpha) {
    const std::string texelAlpha = "texel" + stageName(stage) + ".a";
    switch (op) {
        case D3DTOP_SELECTARG2:
            return a2;
        case D3DTOP_MODULATE:
            return a1 + " * " + a2;
        case D3DTOP_MODULATE2X:
            return a1 + " * " + a2 + " * 2.0";
        case D3DTOP_MODULATE4X:
            return a1 + " * " + a2 + " * 4.0";
        case D3DTOP_ADD:
            return a1 + " + " + a2;
        case D3DTOP_ADDSIGNED:
            return a1 + " + " + a2 + " - 0.5";
        case D3DTOP_ADDSIGNED2X:
            return "(" + a1 + " + " + a2 + " - 0.5) * 2.0";
        case D3DTOP_SUBTRACT:
            return a1 + " - " + a2;
        case D3DTOP_ADDSMOOTH:
            return a1 + " + " + a2 + " - " + a1 + " * " + a2;
        case D3DTOP_BLENDDIFFUSEALPHA:
            return "mix(" + a2 + ", " + a1 + ", diffuse.a)";
        case D3DTOP_BLENDTEXTUREALPHA:
            return "mix(" + a2 + ", " + a1 + ", " + texelAlpha + ")";
        case D3DTOP_BLENDFACTORALPHA:
            return "mix(" + a2 + ", " + a1 + ", uTextureFactor.a)";
        case D3DTOP_BLENDCURRENTALPHA:
            return "mix(" + a2 + ", " + a1 + ", current.a)";
        case D3DTOP_DOTPRODUCT3: {
            const std::string dot = "clamp(4.0 * dot(" + a1 + " - 0.5, " + a2 + " - 0.5), 0.0, 1.0)";
            return alpha ? dot : "vec3(" + dot + ")";
        }
        default:
            return a1;  // SELECTARG1, and the operations the caps do not offer
    }
}

std::string inputTexCoord(const D3d8StageKey& stage, const char* prefix) {
    return stage.texCoordSet < kD3d8TexCoordSets ? prefix + std::to_string(stage.texCoordSet) : "vec2(0.0)";
}

// The coordinates a stage samples at: its coordinate set, or what its texture
// transform made of it. A projected transform divides per pixel by the last
// coordinate it gives (with COUNT2 that is the second: u / v and 1).
std::string texCoordName(const D3d8StageKey& stage, unsigned index) {
    if (stage.transformCount == 0) return inputTexCoord(stage, "vTexCoord");
    const std::string t = "vStageCoord" + stageName(index);
    switch (stage.transformCount) {
        case 1:
            return "vec2(" + t + ".x, 0.0)";
        case 2:
            return stage.transformProjected ? "vec2(" + t + ".x / " + t + ".y, 1.0)" : t + ".xy";
        case 3:
            return stage.transformProjected ? t + ".xy / " + t + ".z" : t + ".xy";
        default:
            return stage.transformProjected ? t + ".xy / " + t + ".w" : t + ".xy";
    }
}

bool hasTransform(const D3d8ProgramKey& key, unsigned index) {
    return key.stages[index].hasTexture && key.stages[index].transformCount != 0;
}

bool usesTexCoordSet(const D3d8ProgramKey& key, unsigned set) {
    for (unsigned i = 0; i < key.stageCount; ++i) {
        if (key.stages[i].hasTexture && key.stages[i].texCoordSet == set) return true;
    }
    return false;
}

const char* comparison(BYTE func) {
    switch (func) {
        case D3DCMP_NEVER:
            return "false";
        case D3DCMP_LESS:
            return "current.a < uAlphaRef";
        case D3DCMP_EQUAL:
            return "current.a == uAlphaRef";
        case D3DCMP_LESSEQUAL:
            return "current.a <= uAlphaRef";
        case D3DCMP_GREATER:
            return "current.a > uAlphaRef";
        case D3DCMP_NOTEQUAL:
            return "current.a != uAlphaRef";
        case D3DCMP_GREATEREQUAL:
            return "current.a >= uAlphaRef";
        default:
            return "true";
    }
}

GLuint compile(GLenum type, const std::string& source) {
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
        d3d8Report("fixed-function shader does not compile: %s\n%s", log, text);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

std::string d3d8VertexShaderSource(const D3d8ProgramKey& key) {
    const char* interpolation = key.flatShading ? "flat " : "";
    std::string s = "#version 330 core\n";
    s += "layout(location = 0) in vec4 aPosition;\n";
    s += "layout(location = 1) in vec4 aDiffuse;\n";
    s += "uniform mat4 uMatrix;\nuniform vec2 uPixelOffset;\nuniform vec4 uViewportRect;\n";
    s += std::string(interpolation) + "out vec4 vDiffuse;\n";
    for (unsigned set = 0; set < kD3d8TexCoordSets; ++set) {
        if (!usesTexCoordSet(key, set)) continue;
        s += "layout(location = " + std::to_string(kD3d8AttribTexCoord0 + set) + ") in vec2 aTexCoord" +
             std::to_string(set) + ";\n";
        s += "out vec2 vTexCoord" + std::to_string(set) + ";\n";
    }
    for (unsigned i = 0; i < key.stageCount; ++i) {
        if (!hasTransform(key, i)) continue;
        s += "uniform mat4 uTextureMatrix" + stageName(i) + ";\nout vec4 vStageCoord" + stageName(i) + ";\n";
    }
    s += "void main() {\n";
    if (key.pretransformed) {
        // Screen-space positions: pixel coordinates, z in 0..1, 1/w.
        s += "    float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;\n";
        s += std::string("    vec2 ndc = (aPosition.xy + ") + kPixelShift +
             " - uViewportRect.xy) / uViewportRect.zw * 2.0 - 1.0;\n";
        s += "    gl_Position = vec4(ndc, aPosition.z * 2.0 - 1.0, 1.0) * w;\n";
    } else {
        // Rows of the picture run top down in every target (GL y = Direct3D y),
        // and Direct3D's clip depth is 0..w.
        s += "    vec4 clip = uMatrix * vec4(aPosition.xyz, 1.0);\n";
        s += "    clip.y = -clip.y;\n";
        s += "    clip.z = 2.0 * clip.z - clip.w;\n";
        s += "    clip.xy += uPixelOffset * clip.w;\n";
        s += "    gl_Position = clip;\n";
    }
    if (key.lighting) {
        // Lit without lights: the default material has no ambient or emissive
        // colour, so only the diffuse alpha (from the vertex colour) remains.
        s += "    vDiffuse = vec4(0.0, 0.0, 0.0, aDiffuse.a);\n";
    } else {
        s += "    vDiffuse = aDiffuse;\n";
    }
    for (unsigned set = 0; set < kD3d8TexCoordSets; ++set) {
        if (usesTexCoordSet(key, set)) {
            s += "    vTexCoord" + std::to_string(set) + " = aTexCoord" + std::to_string(set) + ";\n";
        }
    }
    // Two given coordinates enter the texture transform as (u, v, 1, 0): the
    // matrix's third row translates them.
    for (unsigned i = 0; i < key.stageCount; ++i) {
        if (!hasTransform(key, i)) continue;
        s += "    vStageCoord" + stageName(i) + " = uTextureMatrix" + stageName(i) + " * vec4(" +
             inputTexCoord(key.stages[i], "aTexCoord") + ", 1.0, 0.0);\n";
    }
    s += "}\n";
    return s;
}

std::string d3d8FragmentShaderSource(const D3d8ProgramKey& key) {
    const char* interpolation = key.flatShading ? "flat " : "";
    std::string s = "#version 330 core\n";
    s += std::string(interpolation) + "in vec4 vDiffuse;\n";
    for (unsigned set = 0; set < kD3d8TexCoordSets; ++set) {
        if (usesTexCoordSet(key, set)) s += "in vec2 vTexCoord" + std::to_string(set) + ";\n";
    }
    for (unsigned i = 0; i < key.stageCount; ++i) {
        if (hasTransform(key, i)) s += "in vec4 vStageCoord" + stageName(i) + ";\n";
    }
    for (unsigned i = 0; i < key.stageCount; ++i) {
        if (key.stages[i].hasTexture) s += "uniform sampler2D uTexture" + stageName(i) + ";\n";
    }
    s += "uniform vec4 uTextureFactor;\nuniform float uAlphaRef;\nout vec4 fragColor;\n";
    s += "void main() {\n    vec4 diffuse = vDiffuse;\n    vec4 current = diffuse;\n";
    for (unsigned i = 0; i < key.stageCount; ++i) {
        const D3d8StageKey& stage = key.stages[i];
        const std::string n = stageName(i);
        s += "    vec4 texel" + n + " = " +
             (stage.hasTexture ? "texture(uTexture" + n + ", " + texCoordName(stage, i) + ")" : "vec4(0.0)") + ";\n";
        const std::string color = operation(stage.colorOp, argument(stage.colorArg1, i) + ".rgb",
                                            argument(stage.colorArg2, i) + ".rgb", i, false);
        // ALPHAOP DISABLE under an enabled colour operation keeps the alpha so far.
        const std::string alpha = stage.alphaOp == D3DTOP_DISABLE
                                      ? "current.a"
                                      : operation(stage.alphaOp, argument(stage.alphaArg1, i) + ".a",
                                                  argument(stage.alphaArg2, i) + ".a", i, true);
        s += "    current = clamp(vec4(" + color + ", " + alpha + "), 0.0, 1.0);\n";
    }
    if (key.alphaFunc != 0) s += std::string("    if (!(") + comparison(key.alphaFunc) + ")) discard;\n";
    s += "    fragColor = current;\n}\n";
    return s;
}

bool d3d8BuildProgram(const D3d8ProgramKey& key, D3d8Program* program) {
    const GLuint vertex = compile(GL_VERTEX_SHADER, d3d8VertexShaderSource(key));
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, d3d8FragmentShaderSource(key));
    if (vertex == 0 || fragment == 0) {
        if (vertex != 0) glDeleteShader(vertex);
        if (fragment != 0) glDeleteShader(fragment);
        return false;
    }
    const GLuint id = glCreateProgram();
    glAttachShader(id, vertex);
    glAttachShader(id, fragment);
    glLinkProgram(id);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(id, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[2048] = {};
        glGetProgramInfoLog(id, sizeof(log), nullptr, log);
        d3d8Report("fixed-function program does not link: %s", log);
        glDeleteProgram(id);
        return false;
    }
    program->program = id;
    program->matrix = glGetUniformLocation(id, "uMatrix");
    program->pixelOffset = glGetUniformLocation(id, "uPixelOffset");
    program->viewportRect = glGetUniformLocation(id, "uViewportRect");
    program->textureFactor = glGetUniformLocation(id, "uTextureFactor");
    program->alphaRef = glGetUniformLocation(id, "uAlphaRef");
    for (unsigned i = 0; i < kD3d8StageCount; ++i) {
        program->textureMatrix[i] = glGetUniformLocation(id, ("uTextureMatrix" + stageName(i)).c_str());
    }
    glUseProgram(id);
    for (unsigned i = 0; i < key.stageCount; ++i) {
        const GLint unit = glGetUniformLocation(id, ("uTexture" + stageName(i)).c_str());
        if (unit >= 0) glUniform1i(unit, static_cast<GLint>(i));
    }
    return true;
}
