// The light ring and the glow ring: orbit positions and the shrink rule as plain computations,
// and the two builders that draw the sparkles and set the lights from them.
#include "elements/light_ring.h"

#include "elements/sparkle.h"

#include <GL/gl.h>
#include <cmath>

namespace {

// Time enters every orbit angle as k * 3.1415 * t, with t in whole milliseconds. 3.1415 is not
// pi: modulo a full turn each angle creeps by k * (3.1415 - pi) per millisecond, and that creep
// is the slow circling seen on screen (with pi the ring would stand still). The angles reach
// millions of radians, so they must be formed and handed to sine and cosine in double precision.
constexpr double orbitTimeBase = 3.1415;

// Angle = k * orbitTimeBase * t + offset, in radians.
struct OrbitPath {
    int azimuthK;
    double azimuthOffset;
    int polarK;
    double polarOffset;
};

constexpr OrbitPath orbitPaths[orbitItemCount] = {
    {18, 111.0, 14, 157.0},
    {26, 23.0, -6, -47.0},
    {-34, -723.0, 24, 43.0},
    {-22, 37.0, -8, -113.0},
    {-14, -129.0, 28, 91.0},
    {32, 319.0, -16, -213.0},
    {-10, -789.0, -30, -456.0},
};

// Item i's sparkle colour and light GL_LIGHT0 + i.
struct RingLight {
    float colour[3];
    float specular[4];
    float diffuse[4];
    float ambient[4];
};

constexpr RingLight ringLights[orbitItemCount] = {
    {{0, 0, 1}, {0, 0, 1, 1}, {0, 0, 0.8f, 1}, {0, 0, 0.4f, 1}},
    {{0, 1, 0}, {0, 1, 0, 1}, {0, 0.8f, 0, 1}, {0, 0.4f, 0, 1}},
    {{1, 0, 0}, {1, 0, 0, 1}, {0.8f, 0, 0, 1}, {0.4f, 0, 0, 1}},
    {{1, 1, 0}, {1, 1, 0, 1}, {0.8f, 0.8f, 0, 1}, {0.4f, 0.4f, 0, 1}},
    {{0, 1, 1}, {0, 1, 1, 1}, {0, 0.8f, 0.8f, 1}, {0, 0.4f, 0.4f, 1}},
    {{1, 0, 1}, {1, 0, 1, 1}, {0.8f, 0, 0.8f, 1}, {0.4f, 0, 0.4f, 1}},
    {{0.8f, 0.8f, 0.5f}, {0.8f, 0.8f, 0.5f, 1}, {0.6f, 0.6f, 0.3f, 1}, {0.3f, 0.3f, 0.1f, 1}},
};

constexpr int ringSparkleSize = 100;
constexpr int fullRadiusUnits = int(fullRingRadius);
constexpr int ringShrinkMs = ringClosedMs - ringClosingMs; // from full to nothing

// The shrink rule's radius at a show time from the shrink's start on: fullRadiusUnits +
// ((start - t) * fullRadiusUnits) / ringShrinkMs in integer arithmetic, truncating toward zero.
// The product is formed in 64 bits, which gives the 32-bit result wherever that exists and the
// true value where 32 bits would overflow (t beyond about 2.4 hours).
constexpr std::int64_t shrunkRadius(ShowMs showTimeMs)
{
    const std::int64_t product = std::int64_t(ringClosingMs - showTimeMs) * fullRadiusUnits;
    return fullRadiusUnits + product / ringShrinkMs;
}

static_assert(withinScene(ringClosingMs, 5) && withinScene(ringClosedMs, 5),
              "the ring closes within scene 5, the scene that draws it with the show time");
static_assert(shrunkRadius(ringClosingMs) == fullRadiusUnits && shrunkRadius(ringClosedMs - 1) > 0
                  && shrunkRadius(ringClosedMs) == 0,
              "the ring starts full and shrinks to nothing exactly at the ring-closed moment");

void drawOrbitSparkle(const OrbitItem& item)
{
    glPushMatrix();
        glTranslated(item.x, item.y, item.z);
        drawSparkle(item.size, 0, 0, 0);
    glPopMatrix();
}

// Lighting is switched on here, not by the scenes: everything drawn after a ring is lit.
// Light 7 is switched on as well, though nothing ever gives it a colour.
void enableRingLighting()
{
    glEnable(GL_LIGHTING);
    for (int i = 0; i < 8; ++i)
        glEnable(GLenum(GL_LIGHT0 + i));
}

} // namespace

// Each ring's own radius, indexed by Ring: full until its first call at 105 s or later, then
// shrinking, and spent for good once it reaches 0 or below.
static double ringRadii[ringCount] = {fullRingRadius, fullRingRadius};

double shrinkRingRadius(double radius, ShowMs showTimeMs)
{
    if (showTimeMs < ringClosingMs || !(radius > 0.0))
        return radius;
    // One unit less per 16 ms.
    return double(shrunkRadius(showTimeMs));
}

OrbitItems orbitItems(int sceneTimeMs, int centreX, int centreY, int centreZ, double radius)
{
    const double t = double(sceneTimeMs);
    OrbitItems items;
    for (int i = 0; i < orbitItemCount; ++i) {
        const OrbitPath& path = orbitPaths[i];
        OrbitItem& item = items[i];
        item.size = ringSparkleSize;
        item.radius = radius;
        item.azimuth = path.azimuthK * orbitTimeBase * t + path.azimuthOffset;
        item.polar = path.polarK * orbitTimeBase * t + path.polarOffset;
        const double sinPolar = std::sin(item.polar);
        const double cosPolar = std::cos(item.polar);
        const double sinAzimuth = std::sin(item.azimuth);
        const double cosAzimuth = std::cos(item.azimuth);
        item.x = sinPolar * cosAzimuth * radius + centreX;
        item.y = sinPolar * sinAzimuth * radius + centreY;
        item.z = cosPolar * radius + centreZ;
    }
    return items;
}

void drawLightRing(int sceneTimeMs, int centreX, int centreY, int centreZ, ShowMs showTimeMs)
{
    advanceRingRadius(Ring::light, showTimeMs);
    const OrbitItems items = orbitItems(sceneTimeMs, centreX, centreY, centreZ, ringRadius(Ring::light));
    for (int i = 0; i < orbitItemCount; ++i) {
        const float* colour = ringLights[i].colour;
        glColor3f(colour[0], colour[1], colour[2]);
        drawOrbitSparkle(items[i]);
    }
    // Set once the caller's modelview matrix is back, so each light lands exactly on its sparkle.
    for (int i = 0; i < orbitItemCount; ++i) {
        const GLenum light = GLenum(GL_LIGHT0 + i);
        const OrbitItem& item = items[i];
        const GLfloat position[4] = {float(item.x), float(item.y), float(item.z), 1.0f};
        glLightfv(light, GL_POSITION, position);
        glLightfv(light, GL_SPECULAR, ringLights[i].specular);
        glLightfv(light, GL_DIFFUSE, ringLights[i].diffuse);
        glLightfv(light, GL_AMBIENT, ringLights[i].ambient);
    }
    enableRingLighting();
}

void drawGlowRing(int sceneTimeMs, int centreX, int centreY, int centreZ, ShowMs showTimeMs)
{
    advanceRingRadius(Ring::glow, showTimeMs);
    const OrbitItems items = orbitItems(sceneTimeMs, centreX, centreY, centreZ, ringRadius(Ring::glow));
    for (const OrbitItem& item : items)
        drawOrbitSparkle(item);
    enableRingLighting();
}

double ringRadius(Ring ring)
{
    return ringRadii[int(ring)];
}

void advanceRingRadius(Ring ring, ShowMs showTimeMs)
{
    double& radius = ringRadii[int(ring)];
    radius = shrinkRingRadius(radius, showTimeMs);
}

void resetRingRadii()
{
    for (double& radius : ringRadii)
        radius = fullRingRadius;
}
