// The sparkle's corners, computed apart from the quad batch that draws them.
#include "elements/sparkle.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdint>

namespace {

// The sparkle's four turning angles, in radians as they stand: 45 radians, not 45 degrees, which
// spreads the four orientations almost evenly over a half turn (0, 58.3, 116.6, 174.9 degrees).
constexpr float turnAngles[] = {0.0f, 45.0f, 90.0f, 135.0f};
constexpr int turnCount = sizeof turnAngles / sizeof turnAngles[0];

struct Turn {
    float c, s;
};

// Cosine and sine of the fixed angles, rounded to single precision; the same for every sparkle,
// so they are computed once.
const std::array<Turn, turnCount>& turns()
{
    static const std::array<Turn, turnCount> table = [] {
        std::array<Turn, turnCount> t{};
        for (int i = 0; i < turnCount; ++i)
            t[i] = {float(std::cos(double(turnAngles[i]))), float(std::sin(double(turnAngles[i])))};
        return t;
    }();
    return table;
}

// An integer coordinate moved by the integer half size, then rounded to single precision. The
// sum is formed wide so that no pair of ints can overflow it.
float offsetBy(int coordinate, int half)
{
    return float(std::int64_t(coordinate) + half);
}

} // namespace

SparkleVertices sparkleVertices(int size, int x, int y, int z)
{
    const int half = size / 2; // truncates towards zero: -7 gives -3
    const float h = float(half);
    const float fx = float(x), fy = float(y), fz = float(z);
    const float xPlus = offsetBy(x, half), xMinus = offsetBy(x, -half);
    const float yPlus = offsetBy(y, half), yMinus = offsetBy(y, -half);
    const float zPlus = offsetBy(z, half), zMinus = offsetBy(z, -half);

    SparkleVertices out;
    SparkleVertex* v = out.data();
    for (const Turn& turn : turns()) {
        const float p = turn.c * h;
        const float q = turn.s * h;
        // Turning about z.
        *v++ = {0, 1, fx - p, fy - q, zPlus};
        *v++ = {1, 1, fx + p, fy + q, zPlus};
        *v++ = {1, 0, fx + p, fy + q, zMinus};
        *v++ = {0, 0, fx - p, fy - q, zMinus};
        // Turning about x.
        *v++ = {0, 1, xPlus, fy - p, fz - q};
        *v++ = {1, 1, xPlus, fy + p, fz + q};
        *v++ = {1, 0, xMinus, fy + p, fz + q};
        *v++ = {0, 0, xMinus, fy - p, fz - q};
        // Turning about y.
        *v++ = {0, 1, fx - q, yPlus, fz - p};
        *v++ = {1, 1, fx + q, yPlus, fz + p};
        *v++ = {1, 0, fx + q, yMinus, fz + p};
        *v++ = {0, 0, fx - q, yMinus, fz - p};
    }
    return out;
}

void drawSparkle(int size, int x, int y, int z)
{
    const SparkleVertices vertices = sparkleVertices(size, x, y, z);
    glBegin(GL_QUADS);
        for (const SparkleVertex& v : vertices) {
            glTexCoord2f(v.s, v.t);
            glVertex3f(v.x, v.y, v.z);
        }
    glEnd();
}
