// The fixed-function GL 1.x the show draws with, on WebGL 2: the state GL 1.x keeps (matrix
// stacks, current values, lights, materials, texture generation, enables, the attribute stack)
// held here, and every primitive drawn by one shader pair that carries out GL 1.x's vertex
// pipeline (transform, per-vertex lighting, texture coordinate generation) and its fragment
// steps (texture modulation, line stipple). Quads, quad strips and polygons become triangles in
// GL's vertex order; lines of any width become the parallelograms GL rasterises for them.
//
// WebGL 2 rather than 1: pictures whose sides are not powers of two may repeat, GL_RASTERIZER_
// DISCARD exists (the replay rebuilds state without drawing), and GLSL ES 3.00 has flat inputs,
// which the line stipple needs.
#define GL1_COMPAT_IMPLEMENTATION
#include <GLES3/gl3.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/web/gl_compat.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace {

using Matrix = std::array<double, 16>; // column-major, as GL stores it

constexpr Matrix identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[c * 4 + k];
            r[c * 4 + row] = sum;
        }
    return r;
}

void transform(const Matrix& m, const double in[4], double out[4])
{
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row] * in[3];
}

// The inverse of the upper-left 3x3 of `m`, transposed: what normals are transformed by.
std::array<float, 9> normalMatrix(const Matrix& m)
{
    const double a = m[0], b = m[4], c = m[8];
    const double d = m[1], e = m[5], f = m[9];
    const double g = m[2], h = m[6], i = m[10];
    const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const double D = -(b * i - c * h), E = a * i - c * g, F = -(a * h - b * g);
    const double G = b * f - c * e, H = -(a * f - c * d), I = a * e - b * d;
    const double det = a * A + b * B + c * C;
    const double s = det != 0.0 ? 1.0 / det : 0.0;
    // inverse = adjugate / det, adjugate = cofactor matrix transposed; its transpose is the
    // cofactor matrix. Stored column-major for GLSL's mat3.
    return {float(A * s), float(D * s), float(G * s), float(B * s), float(E * s), float(H * s),
            float(C * s), float(F * s), float(I * s)};
}

struct Light {
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {0, 0, 0, 1};
    float specular[4] = {0, 0, 0, 1};
    float position[4] = {0, 0, 1, 0}; // in eye coordinates, as transformed when set
    float spotDirection[3] = {0, 0, -1};
    float spotExponent = 0;
    float spotCutoff = 180;
    float attenuation[3] = {1, 0, 0};
    bool enabled = false;
};

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    float specular[4] = {0, 0, 0, 1};
    float emission[4] = {0, 0, 0, 1};
    float shininess = 0;
};

// Everything glPushAttrib(GL_ALL_ATTRIB_BITS) saves that the show touches: the server state
// GL 1.x keeps, and the current values.
struct State {
    bool lighting = false, colorMaterial = false, normalize = false, blend = false, depthTest = false,
         cullFace = false, texture2d = false, genS = false, genT = false, lineStipple = false;
    Light lights[8];
    Material material;
    float sceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
    GLenum colorMaterialMode = GL_AMBIENT_AND_DIFFUSE;
    GLenum blendSource = GL_ONE, blendDestination = GL_ZERO;
    bool depthMask = true;
    GLenum depthFunc = GL_LESS;
    GLenum cullFaceMode = GL_BACK, frontFace = GL_CCW;
    float lineWidth = 1;
    int stippleFactor = 1;
    unsigned stipplePattern = 0xFFFF;
    GLenum genModeS = GL_EYE_LINEAR, genModeT = GL_EYE_LINEAR;
    float eyePlaneS[4] = {1, 0, 0, 0}, eyePlaneT[4] = {0, 1, 0, 0};
    GLuint boundTexture = 0;
    GLenum matrixMode = GL_MODELVIEW;
    GLint viewport[4] = {0, 0, 0, 0};
    float clearColor[4] = {0, 0, 0, 0};
    // Current values
    float color[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    float texCoord[4] = {0, 0, 0, 1};
    double rasterWindow[2] = {0, 0};
    float rasterColor[4] = {1, 1, 1, 1};
    bool rasterValid = true;
};

// One vertex as the pipeline receives it.
struct Vertex {
    float position[4];
    float normal[3];
    float color[4];
    float texCoord[4];
};

// One vertex as the shaders take it: a triangle corner, or a corner of a line's parallelogram.
struct GpuVertex {
    float position[4];
    float normal[3];
    float color[4];
    float texCoord[4];
    float other[4]; // lines: the segment's other end
    float line[4];  // lines: side (-1 or 1), 1, end (0 start, 1 end), the stipple count at the start
    float stipple[4]; // lines: where the visible part starts in window coordinates, its major axis
};
static_assert(sizeof(GpuVertex) == 27 * sizeof(float), "packed");

struct TextureObject {
    GLuint webgl = 0;
    bool hasImage = false;
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;
};

// A recorded display list: its triangles uploaded once, its lines kept to be expanded at each
// call (their stipple depends on where they land), and the current values it leaves.
struct ListBatch {
    bool lines = false;
    GLuint buffer = 0;
    int count = 0;
    std::vector<Vertex> strip; // lines only
    bool ownNormal = false, ownColor = false, ownTexCoord = false;
};
struct DisplayList {
    std::vector<ListBatch> batches;
    bool setsNormal = false, setsColor = false, setsTexCoord = false;
    float normal[3] = {0, 0, 1};
    float color[4] = {1, 1, 1, 1};
    float texCoord[4] = {0, 0, 0, 1};
};

State state;
std::vector<State> attribStack;
std::vector<Matrix> modelview{identity}, projection{identity}, textureStack{identity};

std::vector<Matrix>& currentStack()
{
    switch (state.matrixMode) {
    case GL_PROJECTION: return projection;
    case GL_TEXTURE: return textureStack;
    default: return modelview;
    }
}
Matrix& currentMatrix()
{
    return currentStack().back();
}

// Immediate mode
bool inBegin = false;
GLenum beginMode = 0;
std::vector<Vertex> pending;

// Client arrays
bool vertexArray = false, normalArray = false;
struct ClientArray {
    GLint size = 4;
    GLsizei stride = 0;
    const GLvoid* pointer = nullptr;
} vertexPointer, normalPointer;

// Textures
std::map<GLuint, TextureObject> textures;
GLuint nextTextureName = 1;

// Display lists
std::map<GLuint, DisplayList> lists;
GLuint nextListName = 1;
GLuint compilingList = 0; // 0: not compiling
// While compiling: which current values the list set, so far.
bool listSetNormal = false, listSetColor = false, listSetTexCoord = false;
State stateBeforeList;

GLenum lastError = GL_NO_ERROR;
CompatCounts counts;

// The shader program
GLuint program = 0, streamBuffer = 0, vertexArrayObject = 0;
struct Uniforms {
    GLint modelview, projection, normalMatrix, lighting, normalize, colorMaterial, sceneAmbient;
    GLint lightOn, lightAmbient, lightDiffuse, lightSpecular, lightPosition, lightSpotDirection, lightSpot,
        lightAttenuation;
    GLint materialAmbient, materialDiffuse, materialSpecular, materialEmission, materialShininess;
    GLint genS, genT, eyePlaneS, eyePlaneT, viewport, lineWidth;
    GLint texturing, texture, stipple, stipplePattern, stippleFactor;
} u;

const char* vertexShaderSource = R"(#version 300 es
precision highp float;
in vec4 aPosition;
in vec3 aNormal;
in vec4 aColor;
in vec4 aTexCoord;
in vec4 aOther;
in vec4 aLine;
in vec4 aStipple;
uniform mat4 uModelview;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform bool uLighting;
uniform bool uNormalize;
uniform bool uColorMaterial;
uniform vec4 uSceneAmbient;
uniform bool uLightOn[8];
uniform vec4 uLightAmbient[8];
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightSpecular[8];
uniform vec4 uLightPosition[8];
uniform vec3 uLightSpotDirection[8];
uniform vec2 uLightSpot[8]; // exponent, cutoff in degrees
uniform vec3 uLightAttenuation[8];
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialDiffuse;
uniform vec4 uMaterialSpecular;
uniform vec4 uMaterialEmission;
uniform float uMaterialShininess;
uniform int uGenS; // 0 off, 1 eye linear, 2 sphere map
uniform int uGenT;
uniform vec4 uEyePlaneS;
uniform vec4 uEyePlaneT;
uniform vec4 uViewport;
uniform float uLineWidth;
out vec4 vColor;
out vec4 vTexCoord;
flat out vec4 vLine; // the segment's start in window coordinates, its major axis, its stipple count

vec2 toWindow(vec4 clip)
{
    return (clip.xy / clip.w * 0.5 + 0.5) * uViewport.zw + uViewport.xy;
}

void main()
{
    vec4 eye = uModelview * aPosition;
    vec3 n = uNormalMatrix * aNormal;
    if (uNormalize)
        n = normalize(n);

    if (uLighting) {
        vec4 ambient = uColorMaterial ? aColor : uMaterialAmbient;
        vec4 diffuse = uColorMaterial ? aColor : uMaterialDiffuse;
        vec3 c = uMaterialEmission.rgb + ambient.rgb * uSceneAmbient.rgb;
        for (int i = 0; i < 8; ++i) {
            if (!uLightOn[i])
                continue;
            vec4 p = uLightPosition[i];
            vec3 vp;
            float attenuation = 1.0;
            if (p.w != 0.0) {
                vp = p.xyz / p.w - eye.xyz / eye.w;
                float d = length(vp);
                attenuation = 1.0 / (uLightAttenuation[i].x + uLightAttenuation[i].y * d +
                                     uLightAttenuation[i].z * d * d);
                vp = normalize(vp);
            } else {
                vp = normalize(p.xyz);
            }
            float spot = 1.0;
            if (uLightSpot[i].y != 180.0) {
                float cosAngle = dot(-vp, normalize(uLightSpotDirection[i]));
                spot = cosAngle >= cos(radians(uLightSpot[i].y)) ? pow(max(cosAngle, 0.0), uLightSpot[i].x) : 0.0;
            }
            float nDotVp = max(dot(n, vp), 0.0);
            vec3 h = normalize(vp + vec3(0.0, 0.0, 1.0));
            float nDotH = max(dot(n, h), 0.0);
            float f = nDotVp != 0.0 ? 1.0 : 0.0;
            float highlight = uMaterialShininess == 0.0 ? 1.0 : pow(nDotH, uMaterialShininess);
            c += attenuation * spot *
                 (ambient.rgb * uLightAmbient[i].rgb + nDotVp * diffuse.rgb * uLightDiffuse[i].rgb +
                  f * highlight * uMaterialSpecular.rgb * uLightSpecular[i].rgb);
        }
        vColor = clamp(vec4(c, diffuse.a), 0.0, 1.0);
    } else {
        vColor = clamp(aColor, 0.0, 1.0);
    }

    vec4 t = aTexCoord;
    if (uGenS != 0 || uGenT != 0) {
        vec3 u = normalize(eye.xyz);
        vec3 r = u - 2.0 * n * dot(n, u);
        float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
        if (uGenS == 1) t.s = dot(uEyePlaneS, eye);
        else if (uGenS == 2) t.s = r.x / m + 0.5;
        if (uGenT == 1) t.t = dot(uEyePlaneT, eye);
        else if (uGenT == 2) t.t = r.y / m + 0.5;
    }
    vTexCoord = t;

    vec4 clip = uProjection * eye;
    vLine = vec4(0.0, 0.0, -1.0, 0.0);
    if (aLine.y != 0.0) {
        vec4 otherClip = uProjection * (uModelview * aOther);
        vec2 here = toWindow(clip);
        vec2 there = toWindow(otherClip);
        vec2 d = there - here;
        float yMajor = abs(d.y) > abs(d.x) ? 1.0 : 0.0;
        // GL's wide line: w pixels across the minor axis, ends square to the major axis.
        vec2 offset = yMajor == 1.0 ? vec2(aLine.x * uLineWidth * 0.5, 0.0) : vec2(0.0, aLine.x * uLineWidth * 0.5);
        clip.xy += offset * 2.0 / uViewport.zw * clip.w;
        vLine = vec4(aStipple.xy, aStipple.z, aLine.w);
    }
    gl_Position = clip;
}
)";

const char* fragmentShaderSource = R"(#version 300 es
precision highp float;
precision highp int;
in vec4 vColor;
in vec4 vTexCoord;
flat in vec4 vLine;
uniform bool uTexturing;
uniform sampler2D uTexture;
uniform bool uStipple;
uniform int uStipplePattern;
uniform float uStippleFactor;
out vec4 fragColor;

void main()
{
    if (uStipple && vLine.z >= 0.0) {
        float along = vLine.z == 1.0 ? abs(gl_FragCoord.y - vLine.y) : abs(gl_FragCoord.x - vLine.x);
        int bit = int(floor((vLine.w + floor(along)) / uStippleFactor)) % 16;
        if (((uStipplePattern >> bit) & 1) == 0)
            discard;
    }
    vec4 c = vColor;
    if (uTexturing) {
        vec4 texel = texture(uTexture, vTexCoord.st / vTexCoord.q);
        c.rgb *= texel.rgb; // GL_MODULATE with an RGB texture: the alpha is the fragment's
    }
    fragColor = c;
}
)";

GLuint compile(GLenum type, const char* source)
{
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

enum Attribute : GLuint { aPosition, aNormal, aColor, aTexCoord, aOther, aLine, aStipple };

// The values last sent to each uniform of the program: a value already there is not sent again.
std::map<GLint, std::vector<unsigned char>> sentUniforms;

bool buildProgram()
{
    sentUniforms.clear();
    program = glCreateProgram();
    const GLuint vs = compile(GL_VERTEX_SHADER, vertexShaderSource);
    const GLuint fs = compile(GL_FRAGMENT_SHADER, fragmentShaderSource);
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    const char* names[] = {"aPosition", "aNormal", "aColor", "aTexCoord", "aOther", "aLine", "aStipple"};
    for (GLuint i = 0; i < 7; ++i)
        glBindAttribLocation(program, i, names[i]);
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked)
        return false;
    glUseProgram(program);
    const auto at = [](const char* name) { return glGetUniformLocation(program, name); };
    u.modelview = at("uModelview");
    u.projection = at("uProjection");
    u.normalMatrix = at("uNormalMatrix");
    u.lighting = at("uLighting");
    u.normalize = at("uNormalize");
    u.colorMaterial = at("uColorMaterial");
    u.sceneAmbient = at("uSceneAmbient");
    u.lightOn = at("uLightOn");
    u.lightAmbient = at("uLightAmbient");
    u.lightDiffuse = at("uLightDiffuse");
    u.lightSpecular = at("uLightSpecular");
    u.lightPosition = at("uLightPosition");
    u.lightSpotDirection = at("uLightSpotDirection");
    u.lightSpot = at("uLightSpot");
    u.lightAttenuation = at("uLightAttenuation");
    u.materialAmbient = at("uMaterialAmbient");
    u.materialDiffuse = at("uMaterialDiffuse");
    u.materialSpecular = at("uMaterialSpecular");
    u.materialEmission = at("uMaterialEmission");
    u.materialShininess = at("uMaterialShininess");
    u.genS = at("uGenS");
    u.genT = at("uGenT");
    u.eyePlaneS = at("uEyePlaneS");
    u.eyePlaneT = at("uEyePlaneT");
    u.viewport = at("uViewport");
    u.lineWidth = at("uLineWidth");
    u.texturing = at("uTexturing");
    u.texture = at("uTexture");
    u.stipple = at("uStipple");
    u.stipplePattern = at("uStipplePattern");
    u.stippleFactor = at("uStippleFactor");
    glUniform1i(u.texture, 0);

    glGenVertexArrays(1, &vertexArrayObject);
    glBindVertexArray(vertexArrayObject);
    glGenBuffers(1, &streamBuffer);
    return true;
}


bool unsent(GLint location, const void* data, std::size_t bytes)
{
    std::vector<unsigned char>& sent = sentUniforms[location];
    if (sent.size() == bytes && std::memcmp(sent.data(), data, bytes) == 0)
        return false;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    sent.assign(p, p + bytes);
    counts.stateUploads++;
    return true;
}

void uniformInt(GLint location, GLint value)
{
    if (unsent(location, &value, sizeof value))
        glUniform1i(location, value);
}

void uniformFloat(GLint location, GLfloat value)
{
    if (unsent(location, &value, sizeof value))
        glUniform1f(location, value);
}

void uniformInts(GLint location, GLsizei count, const GLint* values)
{
    if (unsent(location, values, sizeof(GLint) * std::size_t(count)))
        glUniform1iv(location, count, values);
}

// `size` floats a value: 2, 3 or 4.
void uniformVectors(GLint location, int size, GLsizei count, const GLfloat* values)
{
    if (!unsent(location, values, sizeof(GLfloat) * std::size_t(size * count)))
        return;
    switch (size) {
    case 2: glUniform2fv(location, count, values); break;
    case 3: glUniform3fv(location, count, values); break;
    default: glUniform4fv(location, count, values); break;
    }
}

void uniformMatrix3(GLint location, const GLfloat* values)
{
    if (unsent(location, values, sizeof(GLfloat) * 9))
        glUniformMatrix3fv(location, 1, GL_FALSE, values);
}

void uploadMatrix(GLint location, const Matrix& m)
{
    float f[16];
    for (int i = 0; i < 16; ++i)
        f[i] = float(m[i]);
    if (unsent(location, f, sizeof f))
        glUniformMatrix4fv(location, 1, GL_FALSE, f);
}

bool textureComplete()
{
    if (!state.texture2d)
        return false;
    const auto found = textures.find(state.boundTexture);
    if (found == textures.end() || !found->second.hasImage)
        return false;
    const GLint f = found->second.minFilter;
    return f == GL_NEAREST || f == GL_LINEAR; // no mipmaps are ever given
}

int genMode(bool on, GLenum mode)
{
    if (!on)
        return 0;
    return mode == GL_SPHERE_MAP ? 2 : 1;
}

// The state the shaders read, sent before each draw.
void uploadState(bool lines)
{
    const Matrix& mv = modelview.back();
    uploadMatrix(u.modelview, mv);
    uploadMatrix(u.projection, projection.back());
    const std::array<float, 9> nm = normalMatrix(mv);
    uniformMatrix3(u.normalMatrix, nm.data());
    uniformInt(u.lighting, state.lighting);
    uniformInt(u.normalize, state.normalize);
    uniformInt(u.colorMaterial, state.colorMaterial && state.colorMaterialMode == GL_AMBIENT_AND_DIFFUSE);
    uniformVectors(u.sceneAmbient, 4, 1, state.sceneAmbient);
    if (state.lighting) {
        GLint on[8];
        float ambient[32], diffuse[32], specular[32], position[32], direction[24], spot[16], attenuation[24];
        for (int i = 0; i < 8; ++i) {
            const Light& l = state.lights[i];
            on[i] = l.enabled;
            std::memcpy(ambient + 4 * i, l.ambient, sizeof l.ambient);
            std::memcpy(diffuse + 4 * i, l.diffuse, sizeof l.diffuse);
            std::memcpy(specular + 4 * i, l.specular, sizeof l.specular);
            std::memcpy(position + 4 * i, l.position, sizeof l.position);
            std::memcpy(direction + 3 * i, l.spotDirection, sizeof l.spotDirection);
            spot[2 * i] = l.spotExponent;
            spot[2 * i + 1] = l.spotCutoff;
            std::memcpy(attenuation + 3 * i, l.attenuation, sizeof l.attenuation);
        }
        uniformInts(u.lightOn, 8, on);
        uniformVectors(u.lightAmbient, 4, 8, ambient);
        uniformVectors(u.lightDiffuse, 4, 8, diffuse);
        uniformVectors(u.lightSpecular, 4, 8, specular);
        uniformVectors(u.lightPosition, 4, 8, position);
        uniformVectors(u.lightSpotDirection, 3, 8, direction);
        uniformVectors(u.lightSpot, 2, 8, spot);
        uniformVectors(u.lightAttenuation, 3, 8, attenuation);
        const Material& m = state.material;
        uniformVectors(u.materialAmbient, 4, 1, m.ambient);
        uniformVectors(u.materialDiffuse, 4, 1, m.diffuse);
        uniformVectors(u.materialSpecular, 4, 1, m.specular);
        uniformVectors(u.materialEmission, 4, 1, m.emission);
        uniformFloat(u.materialShininess, m.shininess);
    }
    uniformInt(u.genS, genMode(state.genS, state.genModeS));
    uniformInt(u.genT, genMode(state.genT, state.genModeT));
    uniformVectors(u.eyePlaneS, 4, 1, state.eyePlaneS);
    uniformVectors(u.eyePlaneT, 4, 1, state.eyePlaneT);
    const float viewport[4] = {float(state.viewport[0]), float(state.viewport[1]), float(state.viewport[2]),
                               float(state.viewport[3])};
    uniformVectors(u.viewport, 4, 1, viewport);
    uniformFloat(u.lineWidth, state.lineWidth);
    const bool texturing = textureComplete();
    uniformInt(u.texturing, texturing);
    uniformInt(u.stipple, lines && state.lineStipple);
    uniformInt(u.stipplePattern, GLint(state.stipplePattern));
    uniformFloat(u.stippleFactor, float(state.stippleFactor));
}

void pointAttributes(GLuint buffer)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const GLsizei stride = sizeof(GpuVertex);
    const struct {
        Attribute index;
        GLint size;
        std::size_t offset;
    } layout[] = {
        {aPosition, 4, offsetof(GpuVertex, position)}, {aNormal, 3, offsetof(GpuVertex, normal)},
        {aColor, 4, offsetof(GpuVertex, color)},       {aTexCoord, 4, offsetof(GpuVertex, texCoord)},
        {aOther, 4, offsetof(GpuVertex, other)},       {aLine, 4, offsetof(GpuVertex, line)},
        {aStipple, 4, offsetof(GpuVertex, stipple)},
    };
    for (const auto& a : layout) {
        glEnableVertexAttribArray(a.index);
        glVertexAttribPointer(a.index, a.size, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(a.offset));
    }
}

GpuVertex corner(const Vertex& v)
{
    GpuVertex g{};
    std::memcpy(g.position, v.position, sizeof g.position);
    std::memcpy(g.normal, v.normal, sizeof g.normal);
    std::memcpy(g.color, v.color, sizeof g.color);
    std::memcpy(g.texCoord, v.texCoord, sizeof g.texCoord);
    return g;
}

// The triangles GL draws for a polygon primitive, in its vertex order (so its faces keep their
// orientation). Line primitives give none.
void triangulate(GLenum mode, const std::vector<Vertex>& v, std::vector<GpuVertex>& out)
{
    const std::size_t n = v.size();
    auto tri = [&](std::size_t a, std::size_t b, std::size_t c) {
        out.push_back(corner(v[a]));
        out.push_back(corner(v[b]));
        out.push_back(corner(v[c]));
    };
    switch (mode) {
    case GL_TRIANGLES:
        for (std::size_t i = 0; i + 2 < n; i += 3)
            tri(i, i + 1, i + 2);
        break;
    case GL_TRIANGLE_STRIP:
        for (std::size_t i = 0; i + 2 < n; ++i)
            i % 2 == 0 ? tri(i, i + 1, i + 2) : tri(i + 1, i, i + 2);
        break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (std::size_t i = 1; i + 1 < n; ++i)
            tri(0, i, i + 1);
        break;
    case GL_QUADS:
        for (std::size_t i = 0; i + 3 < n; i += 4) {
            tri(i, i + 1, i + 2);
            tri(i, i + 2, i + 3);
        }
        break;
    case GL_QUAD_STRIP:
        // Quad j is vertices 2j, 2j+1, 2j+3, 2j+2 in that order.
        for (std::size_t i = 0; i + 3 < n; i += 2) {
            tri(i, i + 1, i + 3);
            tri(i, i + 3, i + 2);
        }
        break;
    default: break;
    }
}

bool isLineMode(GLenum mode)
{
    return mode == GL_LINES || mode == GL_LINE_STRIP || mode == GL_LINE_LOOP;
}

// Where a point lands in window coordinates now; false behind the eye.
bool windowOf(const float p[4], double out[2])
{
    const double in[4] = {p[0], p[1], p[2], p[3]};
    double eye[4], clip[4];
    transform(modelview.back(), in, eye);
    transform(projection.back(), eye, clip);
    if (clip[3] <= 0.0)
        return false;
    out[0] = (clip[0] / clip[3] * 0.5 + 0.5) * state.viewport[2] + state.viewport[0];
    out[1] = (clip[1] / clip[3] * 0.5 + 0.5) * state.viewport[3] + state.viewport[1];
    return true;
}

// The part of the segment from a to b inside the view volume, in window coordinates: false when
// none of it is.
bool visibleSegment(const float a[4], const float b[4], double start[2], double end[2])
{
    double clip[2][4];
    for (int k = 0; k < 2; ++k) {
        const float* p = k == 0 ? a : b;
        const double in[4] = {p[0], p[1], p[2], p[3]};
        double eye[4];
        transform(modelview.back(), in, eye);
        transform(projection.back(), eye, clip[k]);
    }
    // Against each plane -w <= x, y, z <= w: the parameter range along a to b that stays inside.
    double t0 = 0.0, t1 = 1.0;
    for (int axis = 0; axis < 3; ++axis)
        for (double sign : {1.0, -1.0}) {
            const double da = clip[0][3] - sign * clip[0][axis];
            const double db = clip[1][3] - sign * clip[1][axis];
            if (da < 0.0 && db < 0.0)
                return false;
            if (da < 0.0)
                t0 = std::max(t0, da / (da - db));
            else if (db < 0.0)
                t1 = std::min(t1, da / (da - db));
        }
    if (t0 > t1)
        return false;
    for (int k = 0; k < 2; ++k) {
        const double t = k == 0 ? t0 : t1;
        double* out = k == 0 ? start : end;
        double p[4];
        for (int i = 0; i < 4; ++i)
            p[i] = clip[0][i] + t * (clip[1][i] - clip[0][i]);
        out[0] = (p[0] / p[3] * 0.5 + 0.5) * state.viewport[2] + state.viewport[0];
        out[1] = (p[1] / p[3] * 0.5 + 0.5) * state.viewport[3] + state.viewport[1];
    }
    return true;
}

// A line primitive's segments as parallelograms, each carrying its start's stipple count (the
// fragments counted along the major axis since the primitive began).
void expandLines(GLenum mode, const std::vector<Vertex>& v, std::vector<GpuVertex>& out)
{
    std::vector<std::pair<std::size_t, std::size_t>> segments;
    const std::size_t n = v.size();
    if (mode == GL_LINES) {
        for (std::size_t i = 0; i + 1 < n; i += 2)
            segments.push_back({i, i + 1});
    } else {
        for (std::size_t i = 0; i + 1 < n; ++i)
            segments.push_back({i, i + 1});
        if (mode == GL_LINE_LOOP && n > 2)
            segments.push_back({n - 1, 0});
    }
    double count = 0.0;
    for (const auto& [a, b] : segments) {
        if (mode == GL_LINES)
            count = 0.0; // independent lines each restart the pattern
        // The stipple counts the fragments of what is drawn: from where the segment enters the
        // view, along its major axis.
        double start[2] = {0, 0}, end[2] = {0, 0};
        double length = 0.0;
        bool yMajor = false;
        if (visibleSegment(v[a].position, v[b].position, start, end)) {
            yMajor = std::fabs(end[1] - start[1]) > std::fabs(end[0] - start[0]);
            length = std::ceil(yMajor ? std::fabs(end[1] - start[1]) : std::fabs(end[0] - start[0]));
        }
        auto make = [&](std::size_t here, std::size_t there, float side, float end) {
            GpuVertex g = corner(v[here]);
            std::memcpy(g.other, v[there].position, sizeof g.other);
            g.line[0] = side;
            g.line[1] = 1.0f;
            g.line[2] = end;
            g.line[3] = float(count);
            g.stipple[0] = float(start[0]);
            g.stipple[1] = float(start[1]);
            g.stipple[2] = yMajor ? 1.0f : 0.0f;
            return g;
        };
        const GpuVertex a0 = make(a, b, -1, 0), a1 = make(a, b, 1, 0), b0 = make(b, a, -1, 1), b1 = make(b, a, 1, 1);
        out.insert(out.end(), {a0, a1, b1, a0, b1, b0});
        count += length;
    }
}

// Draws triangles (or line parallelograms) from `buffer`, or from the stream buffer filled now.
void drawPrepared(GLuint buffer, int count, bool lines)
{
    if (count == 0)
        return;
    uploadState(lines);
    pointAttributes(buffer);
    // A line's parallelogram has no face to cull.
    if (lines && state.cullFace)
        glDisable(GL_CULL_FACE);
    glDrawArrays(GL_TRIANGLES, 0, count);
    if (lines && state.cullFace)
        glEnable(GL_CULL_FACE);
    counts.drawCalls++;
}

void drawNow(GLenum mode, const std::vector<Vertex>& v)
{
    std::vector<GpuVertex> gpu;
    const bool lines = isLineMode(mode);
    if (lines)
        expandLines(mode, v, gpu);
    else
        triangulate(mode, v, gpu);
    if (gpu.empty())
        return;
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(gpu.size() * sizeof(GpuVertex)), gpu.data(), GL_STREAM_DRAW);
    counts.bufferUploads++;
    drawPrepared(streamBuffer, int(gpu.size()), lines);
}

// A primitive into the list being compiled: triangles uploaded once now.
void record(GLenum mode, const std::vector<Vertex>& v)
{
    ListBatch batch;
    batch.ownNormal = listSetNormal;
    batch.ownColor = listSetColor;
    batch.ownTexCoord = listSetTexCoord;
    if (isLineMode(mode)) {
        batch.lines = true;
        batch.count = int(mode);
        batch.strip = v;
    } else {
        std::vector<GpuVertex> gpu;
        triangulate(mode, v, gpu);
        glGenBuffers(1, &batch.buffer);
        glBindBuffer(GL_ARRAY_BUFFER, batch.buffer);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(gpu.size() * sizeof(GpuVertex)), gpu.data(), GL_STATIC_DRAW);
        batch.count = int(gpu.size());
    }
    lists[compilingList].batches.push_back(std::move(batch));
}

void primitive(GLenum mode, std::vector<Vertex>& v)
{
    if (compilingList != 0)
        record(mode, v);
    else
        drawNow(mode, v);
}

void vertex(double x, double y, double z, double w)
{
    if (!inBegin)
        return;
    Vertex v{};
    v.position[0] = float(x);
    v.position[1] = float(y);
    v.position[2] = float(z);
    v.position[3] = float(w);
    std::memcpy(v.normal, state.normal, sizeof v.normal);
    std::memcpy(v.color, state.color, sizeof v.color);
    std::memcpy(v.texCoord, state.texCoord, sizeof v.texCoord);
    pending.push_back(v);
}

void setColor(float r, float g, float b, float a)
{
    state.color[0] = r;
    state.color[1] = g;
    state.color[2] = b;
    state.color[3] = a;
    if (compilingList != 0) {
        listSetColor = true;
        return;
    }
    // GL_COLOR_MATERIAL: the current colour is the material's ambient and diffuse, and stays so.
    if (state.colorMaterial && state.colorMaterialMode == GL_AMBIENT_AND_DIFFUSE) {
        std::memcpy(state.material.ambient, state.color, sizeof state.color);
        std::memcpy(state.material.diffuse, state.color, sizeof state.color);
    }
}

bool* capability(GLenum cap)
{
    switch (cap) {
    case GL_LIGHTING: return &state.lighting;
    case GL_COLOR_MATERIAL: return &state.colorMaterial;
    case GL_NORMALIZE: return &state.normalize;
    case GL_BLEND: return &state.blend;
    case GL_DEPTH_TEST: return &state.depthTest;
    case GL_CULL_FACE: return &state.cullFace;
    case GL_TEXTURE_2D: return &state.texture2d;
    case GL_TEXTURE_GEN_S: return &state.genS;
    case GL_TEXTURE_GEN_T: return &state.genT;
    case GL_LINE_STIPPLE: return &state.lineStipple;
    default:
        if (cap >= GL_LIGHT0 && cap <= GL_LIGHT7)
            return &state.lights[cap - GL_LIGHT0].enabled;
        return nullptr;
    }
}

// WebGL's own switches for the capabilities it has.
void applyCapability(GLenum cap, bool on)
{
    if (cap == GL_BLEND || cap == GL_DEPTH_TEST || cap == GL_CULL_FACE)
        on ? glEnable(cap) : glDisable(cap);
}

void setCapability(GLenum cap, bool on)
{
    if (cap == GL_RASTERIZER_DISCARD) {
        on ? glEnable(GL_RASTERIZER_DISCARD) : glDisable(GL_RASTERIZER_DISCARD);
        return;
    }
    bool* flag = capability(cap);
    if (!flag) {
        lastError = GL_INVALID_ENUM;
        return;
    }
    if (cap == GL_COLOR_MATERIAL && on && !state.colorMaterial) {
        *flag = true;
        setColor(state.color[0], state.color[1], state.color[2], state.color[3]);
    }
    if (*flag != on)
        counts.stateChanges++;
    *flag = on;
    applyCapability(cap, on);
}

GLenum webglWrap(GLint wrap)
{
    return wrap == GL_CLAMP ? GL_CLAMP_TO_EDGE : GLenum(wrap);
}

TextureObject& boundObject()
{
    TextureObject& t = textures[state.boundTexture];
    if (t.webgl == 0)
        glGenTextures(1, &t.webgl);
    return t;
}

// Puts WebGL's own state where `state` says, after a glPopAttrib.
void applyServerState()
{
    for (GLenum cap : {GLenum(GL_BLEND), GLenum(GL_DEPTH_TEST), GLenum(GL_CULL_FACE)})
        applyCapability(cap, *capability(cap));
    glBlendFunc(state.blendSource, state.blendDestination);
    glDepthMask(state.depthMask);
    glDepthFunc(state.depthFunc);
    glCullFace(state.cullFaceMode);
    glFrontFace(state.frontFace);
    glViewport(state.viewport[0], state.viewport[1], state.viewport[2], state.viewport[3]);
    glClearColor(state.clearColor[0], state.clearColor[1], state.clearColor[2], state.clearColor[3]);
    glBindTexture(GL_TEXTURE_2D, boundObject().webgl);
}

} // namespace

bool initCompatLayer(int width, int height)
{
    state = State{};
    state.lights[0].diffuse[0] = state.lights[0].diffuse[1] = state.lights[0].diffuse[2] = 1;
    state.lights[0].specular[0] = state.lights[0].specular[1] = state.lights[0].specular[2] = 1;
    state.viewport[2] = width;
    state.viewport[3] = height;
    if (!buildProgram())
        return false;
    applyServerState();
    return true;
}

CompatCounts compatCounts()
{
    return counts;
}

void resetCompatCounts()
{
    counts = {};
}

void gl1Enable(GLenum cap) { setCapability(cap, true); }
void gl1Disable(GLenum cap) { setCapability(cap, false); }

GLboolean gl1IsEnabled(GLenum cap)
{
    const bool* flag = capability(cap);
    return flag && *flag;
}

void gl1EnableClientState(GLenum array)
{
    if (array == GL_VERTEX_ARRAY) vertexArray = true;
    if (array == GL_NORMAL_ARRAY) normalArray = true;
}

void gl1DisableClientState(GLenum array)
{
    if (array == GL_VERTEX_ARRAY) vertexArray = false;
    if (array == GL_NORMAL_ARRAY) normalArray = false;
}

void gl1Clear(GLbitfield mask) { glClear(mask); }

void gl1ClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    const float c[4] = {r, g, b, a};
    std::memcpy(state.clearColor, c, sizeof c);
    glClearColor(r, g, b, a);
}

void gl1Viewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    state.viewport[0] = x;
    state.viewport[1] = y;
    state.viewport[2] = width;
    state.viewport[3] = height;
    glViewport(x, y, width, height);
}

void gl1GetIntegerv(GLenum name, GLint* values)
{
    if (name == GL_VIEWPORT)
        std::memcpy(values, state.viewport, sizeof state.viewport);
}

GLenum gl1GetError()
{
    const GLenum e = lastError;
    lastError = GL_NO_ERROR;
    return e;
}

void gl1Finish() { glFinish(); }
void gl1Flush() { glFlush(); }

void gl1MatrixMode(GLenum mode) { state.matrixMode = mode; }
void gl1LoadIdentity() { currentMatrix() = identity; }

void gl1PushMatrix()
{
    std::vector<Matrix>& stack = currentStack();
    stack.push_back(stack.back());
}

void gl1PopMatrix()
{
    std::vector<Matrix>& stack = currentStack();
    if (stack.size() > 1)
        stack.pop_back();
    else
        lastError = GL_INVALID_OPERATION; // stack underflow
}

void gl1MultMatrixd(const GLdouble* m)
{
    Matrix b;
    std::memcpy(b.data(), m, sizeof(double) * 16);
    currentMatrix() = multiply(currentMatrix(), b);
}

void gl1Translated(GLdouble x, GLdouble y, GLdouble z)
{
    const GLdouble m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    gl1MultMatrixd(m);
}

void gl1Translatef(GLfloat x, GLfloat y, GLfloat z) { gl1Translated(x, y, z); }

void gl1Rotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z)
{
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0)
        return;
    x /= length;
    y /= length;
    z /= length;
    const double radians = angle * M_PI / 180.0;
    const double c = std::cos(radians), s = std::sin(radians), k = 1.0 - c;
    const GLdouble m[16] = {x * x * k + c,     y * x * k + z * s, x * z * k - y * s, 0,
                            x * y * k - z * s, y * y * k + c,     y * z * k + x * s, 0,
                            x * z * k + y * s, y * z * k - x * s, z * z * k + c,     0,
                            0,                 0,                 0,                 1};
    gl1MultMatrixd(m);
}

void gl1Rotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) { gl1Rotated(angle, x, y, z); }

void gl1Scaled(GLdouble x, GLdouble y, GLdouble z)
{
    const GLdouble m[16] = {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1};
    gl1MultMatrixd(m);
}

void gl1Scalef(GLfloat x, GLfloat y, GLfloat z) { gl1Scaled(x, y, z); }

void gl1Ortho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f)
{
    const GLdouble m[16] = {2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, -2 / (f - n), 0,
                            -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
    gl1MultMatrixd(m);
}

void gl1Frustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f)
{
    const GLdouble m[16] = {2 * n / (r - l),     0, 0, 0, 0, 2 * n / (t - b), 0, 0, (r + l) / (r - l),
                            (t + b) / (t - b), -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n), 0};
    gl1MultMatrixd(m);
}

void gl1Begin(GLenum mode)
{
    inBegin = true;
    beginMode = mode;
    pending.clear();
}

void gl1End()
{
    if (!inBegin)
        return;
    inBegin = false;
    primitive(beginMode, pending);
    pending.clear();
}

void gl1Vertex2f(GLfloat x, GLfloat y) { vertex(x, y, 0, 1); }
void gl1Vertex2i(GLint x, GLint y) { vertex(x, y, 0, 1); }
void gl1Vertex3f(GLfloat x, GLfloat y, GLfloat z) { vertex(x, y, z, 1); }
void gl1Vertex3d(GLdouble x, GLdouble y, GLdouble z) { vertex(x, y, z, 1); }
void gl1Vertex3fv(const GLfloat* v) { vertex(v[0], v[1], v[2], 1); }
void gl1Vertex3dv(const GLdouble* v) { vertex(v[0], v[1], v[2], 1); }

void gl1Normal3f(GLfloat x, GLfloat y, GLfloat z)
{
    state.normal[0] = x;
    state.normal[1] = y;
    state.normal[2] = z;
    if (compilingList != 0)
        listSetNormal = true;
}

void gl1Normal3d(GLdouble x, GLdouble y, GLdouble z) { gl1Normal3f(float(x), float(y), float(z)); }
void gl1Normal3fv(const GLfloat* v) { gl1Normal3f(v[0], v[1], v[2]); }
void gl1Normal3dv(const GLdouble* v) { gl1Normal3d(v[0], v[1], v[2]); }

void gl1Color3f(GLfloat r, GLfloat g, GLfloat b) { setColor(r, g, b, 1); }
void gl1Color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { setColor(r, g, b, a); }
void gl1Color4fv(const GLfloat* c) { setColor(c[0], c[1], c[2], c[3]); }

void gl1TexCoord4f(GLfloat s, GLfloat t, GLfloat r, GLfloat q)
{
    state.texCoord[0] = s;
    state.texCoord[1] = t;
    state.texCoord[2] = r;
    state.texCoord[3] = q;
    if (compilingList != 0)
        listSetTexCoord = true;
}

void gl1TexCoord2f(GLfloat s, GLfloat t) { gl1TexCoord4f(s, t, 0, 1); }
void gl1TexCoord2d(GLdouble s, GLdouble t) { gl1TexCoord4f(float(s), float(t), 0, 1); }

void gl1Recti(GLint x1, GLint y1, GLint x2, GLint y2)
{
    gl1Begin(GL_POLYGON);
    vertex(x1, y1, 0, 1);
    vertex(x2, y1, 0, 1);
    vertex(x2, y2, 0, 1);
    vertex(x1, y2, 0, 1);
    gl1End();
}

void gl1VertexPointer(GLint size, GLenum, GLsizei stride, const GLvoid* pointer)
{
    vertexPointer = {size, stride, pointer};
}

void gl1NormalPointer(GLenum, GLsizei stride, const GLvoid* pointer)
{
    normalPointer = {3, stride, pointer};
}

void gl1DrawArrays(GLenum mode, GLint first, GLsizei count)
{
    if (!vertexArray || !vertexPointer.pointer || count <= 0)
        return;
    // Float arrays only: what the show hands over.
    const auto element = [](const ClientArray& a, GLint i) {
        const GLsizei stride = a.stride != 0 ? a.stride : GLsizei(a.size * sizeof(float));
        return reinterpret_cast<const float*>(static_cast<const char*>(a.pointer) + std::size_t(i) * stride);
    };
    std::vector<Vertex> v(static_cast<std::size_t>(count));
    for (GLint i = 0; i < count; ++i) {
        Vertex& out = v[std::size_t(i)];
        const float* p = element(vertexPointer, first + i);
        out.position[0] = p[0];
        out.position[1] = vertexPointer.size > 1 ? p[1] : 0.0f;
        out.position[2] = vertexPointer.size > 2 ? p[2] : 0.0f;
        out.position[3] = vertexPointer.size > 3 ? p[3] : 1.0f;
        const float* n = normalArray && normalPointer.pointer ? element(normalPointer, first + i) : state.normal;
        std::memcpy(out.normal, n, sizeof out.normal);
        std::memcpy(out.color, state.color, sizeof out.color);
        std::memcpy(out.texCoord, state.texCoord, sizeof out.texCoord);
    }
    primitive(mode, v);
}

void gl1Lightfv(GLenum light, GLenum name, const GLfloat* values)
{
    if (light < GL_LIGHT0 || light > GL_LIGHT7) {
        lastError = GL_INVALID_ENUM;
        return;
    }
    Light& l = state.lights[light - GL_LIGHT0];
    counts.stateChanges++;
    switch (name) {
    case GL_AMBIENT: std::memcpy(l.ambient, values, sizeof l.ambient); break;
    case GL_DIFFUSE: std::memcpy(l.diffuse, values, sizeof l.diffuse); break;
    case GL_SPECULAR: std::memcpy(l.specular, values, sizeof l.specular); break;
    case GL_POSITION: {
        // Kept in eye coordinates: transformed by the modelview matrix as it is now.
        const double in[4] = {values[0], values[1], values[2], values[3]};
        double out[4];
        transform(modelview.back(), in, out);
        for (int i = 0; i < 4; ++i)
            l.position[i] = float(out[i]);
        break;
    }
    case GL_SPOT_DIRECTION: {
        const Matrix& m = modelview.back();
        for (int row = 0; row < 3; ++row)
            l.spotDirection[row] = float(m[row] * values[0] + m[4 + row] * values[1] + m[8 + row] * values[2]);
        break;
    }
    case GL_SPOT_EXPONENT: l.spotExponent = values[0]; break;
    case GL_SPOT_CUTOFF: l.spotCutoff = values[0]; break;
    case GL_CONSTANT_ATTENUATION: l.attenuation[0] = values[0]; break;
    case GL_LINEAR_ATTENUATION: l.attenuation[1] = values[0]; break;
    case GL_QUADRATIC_ATTENUATION: l.attenuation[2] = values[0]; break;
    default: lastError = GL_INVALID_ENUM; break;
    }
}

void gl1Lightf(GLenum light, GLenum name, GLfloat value) { gl1Lightfv(light, name, &value); }

void gl1LightModelfv(GLenum name, const GLfloat* values)
{
    if (name == 0x0B53) // GL_LIGHT_MODEL_AMBIENT
        std::memcpy(state.sceneAmbient, values, sizeof state.sceneAmbient);
}

void gl1Materialfv(GLenum, GLenum name, const GLfloat* values)
{
    // One material for both faces: the show lights no back face differently.
    Material& m = state.material;
    counts.stateChanges++;
    switch (name) {
    case GL_AMBIENT: std::memcpy(m.ambient, values, sizeof m.ambient); break;
    case GL_DIFFUSE: std::memcpy(m.diffuse, values, sizeof m.diffuse); break;
    case GL_AMBIENT_AND_DIFFUSE:
        std::memcpy(m.ambient, values, sizeof m.ambient);
        std::memcpy(m.diffuse, values, sizeof m.diffuse);
        break;
    case GL_SPECULAR: std::memcpy(m.specular, values, sizeof m.specular); break;
    case GL_EMISSION: std::memcpy(m.emission, values, sizeof m.emission); break;
    case GL_SHININESS: m.shininess = values[0]; break;
    default: lastError = GL_INVALID_ENUM; break;
    }
}

void gl1Materialf(GLenum face, GLenum name, GLfloat value) { gl1Materialfv(face, name, &value); }

void gl1ColorMaterial(GLenum, GLenum mode) { state.colorMaterialMode = mode; }

void gl1BlendFunc(GLenum source, GLenum destination)
{
    state.blendSource = source;
    state.blendDestination = destination;
    glBlendFunc(source, destination);
}

void gl1DepthMask(GLboolean flag)
{
    state.depthMask = flag;
    glDepthMask(flag);
}

void gl1DepthFunc(GLenum func)
{
    state.depthFunc = func;
    glDepthFunc(func);
}

void gl1CullFace(GLenum mode)
{
    state.cullFaceMode = mode;
    glCullFace(mode);
}

void gl1FrontFace(GLenum mode)
{
    state.frontFace = mode;
    glFrontFace(mode);
}

void gl1LineWidth(GLfloat width) { state.lineWidth = width > 0 ? width : 1; }

void gl1LineStipple(GLint factor, GLushort pattern)
{
    state.stippleFactor = factor < 1 ? 1 : factor > 256 ? 256 : factor;
    state.stipplePattern = pattern;
}

void gl1TexGeni(GLenum coord, GLenum name, GLint param)
{
    if (name != GL_TEXTURE_GEN_MODE)
        return;
    if (coord == GL_S) state.genModeS = GLenum(param);
    if (coord == GL_T) state.genModeT = GLenum(param);
}

void gl1GenTextures(GLsizei n, GLuint* names)
{
    for (GLsizei i = 0; i < n; ++i) {
        while (textures.count(nextTextureName))
            ++nextTextureName;
        names[i] = nextTextureName;
        textures[nextTextureName]; // reserved
        ++nextTextureName;
    }
}

void gl1DeleteTextures(GLsizei n, const GLuint* names)
{
    for (GLsizei i = 0; i < n; ++i) {
        const auto found = textures.find(names[i]);
        if (found == textures.end() || names[i] == 0)
            continue;
        glDeleteTextures(1, &found->second.webgl);
        textures.erase(found);
        if (state.boundTexture == names[i])
            gl1BindTexture(GL_TEXTURE_2D, 0);
    }
}

void gl1BindTexture(GLenum, GLuint name)
{
    state.boundTexture = name; // any name: an unknown one becomes a new, empty object
    glBindTexture(GL_TEXTURE_2D, boundObject().webgl);
}

void gl1TexParameteri(GLenum, GLenum name, GLint param)
{
    TextureObject& t = boundObject();
    glBindTexture(GL_TEXTURE_2D, t.webgl);
    switch (name) {
    case GL_TEXTURE_MIN_FILTER:
        t.minFilter = param;
        glTexParameteri(GL_TEXTURE_2D, name, param);
        break;
    case GL_TEXTURE_MAG_FILTER: glTexParameteri(GL_TEXTURE_2D, name, param); break;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T: glTexParameteri(GL_TEXTURE_2D, name, GLint(webglWrap(param))); break;
    default: break;
    }
}

void gl1TexImage2D(GLenum, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint, GLenum format,
                   GLenum type, const GLvoid* pixels)
{
    TextureObject& t = boundObject();
    glBindTexture(GL_TEXTURE_2D, t.webgl);
    const GLint webglFormat = internalFormat == GL_RGBA || internalFormat == 4 ? GL_RGBA8 : GL_RGB8;
    glTexImage2D(GL_TEXTURE_2D, level, webglFormat, width, height, 0, format, type, pixels);
    if (level == 0)
        t.hasImage = width > 0 && height > 0;
    // WebGL's default minifying filter wants mipmaps; GL's object keeps its own until set.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    t.minFilter == GL_NEAREST || t.minFilter == GL_LINEAR ? t.minFilter : GL_LINEAR);
    counts.bufferUploads++;
}

void gl1PixelStorei(GLenum name, GLint param)
{
    if (name == GL_UNPACK_ALIGNMENT)
        glPixelStorei(name, param);
}

GLuint gl1GenLists(GLsizei range)
{
    if (range <= 0)
        return 0;
    const GLuint first = nextListName;
    nextListName += GLuint(range);
    for (GLuint i = first; i < nextListName; ++i)
        lists[i];
    return first;
}

void gl1NewList(GLuint list, GLenum)
{
    // GL_COMPILE only: nothing is drawn while recording, and the current values the list sets
    // are those it leaves when called; the state outside the list is untouched.
    if (list == 0 || compilingList != 0)
        return;
    lists[list] = DisplayList{};
    compilingList = list;
    listSetNormal = listSetColor = listSetTexCoord = false;
    stateBeforeList = state;
}

void gl1EndList()
{
    if (compilingList == 0)
        return;
    DisplayList& l = lists[compilingList];
    l.setsNormal = listSetNormal;
    l.setsColor = listSetColor;
    l.setsTexCoord = listSetTexCoord;
    std::memcpy(l.normal, state.normal, sizeof l.normal);
    std::memcpy(l.color, state.color, sizeof l.color);
    std::memcpy(l.texCoord, state.texCoord, sizeof l.texCoord);
    std::memcpy(state.normal, stateBeforeList.normal, sizeof state.normal);
    std::memcpy(state.color, stateBeforeList.color, sizeof state.color);
    std::memcpy(state.texCoord, stateBeforeList.texCoord, sizeof state.texCoord);
    compilingList = 0;
}

void gl1CallList(GLuint list)
{
    const auto found = lists.find(list);
    if (found == lists.end() || compilingList != 0)
        return;
    const DisplayList& l = found->second;
    for (const ListBatch& batch : l.batches) {
        if (batch.lines) {
            std::vector<Vertex> strip = batch.strip;
            drawNow(GLenum(batch.count), strip);
            continue;
        }
        // Values the list never set before these vertices are the current ones at the call.
        uploadState(false);
        pointAttributes(batch.buffer);
        if (!batch.ownNormal) {
            glDisableVertexAttribArray(aNormal);
            glVertexAttrib4f(aNormal, state.normal[0], state.normal[1], state.normal[2], 1);
        }
        if (!batch.ownColor) {
            glDisableVertexAttribArray(aColor);
            glVertexAttrib4fv(aColor, state.color);
        }
        if (!batch.ownTexCoord) {
            glDisableVertexAttribArray(aTexCoord);
            glVertexAttrib4fv(aTexCoord, state.texCoord);
        }
        glDrawArrays(GL_TRIANGLES, 0, batch.count);
        counts.drawCalls++;
    }
    if (l.setsNormal) std::memcpy(state.normal, l.normal, sizeof state.normal);
    if (l.setsColor) setColor(l.color[0], l.color[1], l.color[2], l.color[3]);
    if (l.setsTexCoord) std::memcpy(state.texCoord, l.texCoord, sizeof state.texCoord);
}

void gl1DeleteLists(GLuint list, GLsizei range)
{
    for (GLsizei i = 0; i < range; ++i) {
        const auto found = lists.find(list + GLuint(i));
        if (found == lists.end())
            continue;
        for (ListBatch& b : found->second.batches)
            if (b.buffer)
                glDeleteBuffers(1, &b.buffer);
        lists.erase(found);
    }
}

void gl1PushAttrib(GLbitfield)
{
    // Every group the show asks for is GL_ALL_ATTRIB_BITS: all of it is saved.
    attribStack.push_back(state);
}

void gl1PopAttrib()
{
    if (attribStack.empty()) {
        lastError = GL_INVALID_OPERATION;
        return;
    }
    const GLenum mode = state.matrixMode;
    state = attribStack.back();
    state.matrixMode = mode == state.matrixMode ? mode : state.matrixMode;
    attribStack.pop_back();
    applyServerState();
}

void gl1RasterPos2i(GLint x, GLint y)
{
    const float p[4] = {float(x), float(y), 0, 1};
    state.rasterValid = windowOf(p, state.rasterWindow);
    std::memcpy(state.rasterColor, state.color, sizeof state.color);
}

bool compatRasterPosition(double window[2], float color[4])
{
    window[0] = state.rasterWindow[0];
    window[1] = state.rasterWindow[1];
    std::memcpy(color, state.rasterColor, sizeof state.rasterColor);
    return state.rasterValid;
}

void compatMoveRaster(double dx)
{
    state.rasterWindow[0] += dx;
}

void compatDrawWindowRects(const std::vector<float>& rects, const float color[4])
{
    if (rects.empty())
        return;
    // Window coordinates through the current viewport, untouched by lighting, texturing or the
    // matrices: what a bitmap's fragments are.
    const State saved = state;
    const std::vector<Matrix> savedModelview = modelview, savedProjection = projection;
    state.lighting = state.texture2d = state.genS = state.genT = state.lineStipple = false;
    modelview = {identity};
    projection = {identity};
    state.matrixMode = GL_PROJECTION;
    gl1Ortho(state.viewport[0], state.viewport[0] + state.viewport[2], state.viewport[1],
             state.viewport[1] + state.viewport[3], -1, 1);
    std::vector<Vertex> corners;
    for (std::size_t i = 0; i + 3 < rects.size(); i += 4) {
        const float x0 = rects[i], y0 = rects[i + 1], x1 = rects[i + 2], y1 = rects[i + 3];
        const float xy[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        for (const auto& c : xy) {
            Vertex v{};
            v.position[0] = c[0];
            v.position[1] = c[1];
            v.position[3] = 1;
            v.normal[2] = 1;
            std::memcpy(v.color, color, sizeof v.color);
            v.texCoord[3] = 1;
            corners.push_back(v);
        }
    }
    drawNow(GL_QUADS, corners);
    state = saved;
    modelview = savedModelview;
    projection = savedProjection;
}
