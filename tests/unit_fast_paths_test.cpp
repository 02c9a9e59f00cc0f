// Values that the show now computes once and reuses, held bit for bit to the formula they stand
// for (a reused value that drifted in its last bit could move a pixel), and the test that skips
// cubes outside the view, at the view's edges.
#include "elements/spiral.h"
#include "elements/view_volume.h"
#include "scenes/cameras.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(FastPathValues, SpiralVerticesFromTheSharedTurnsEqualTheFormulaBitForBit)
{
    // Scene 4's seven radii, and one that is not a whole number.
    for (float radius : {200.0f, 100.0f, 50.0f, 160.0f, 220.0f, 20.0f, 120.0f, 33.3f}) {
        const auto vertices = spiralVertices(radius);
        for (int i = 0; i < spiralVertexCount; ++i) {
            const double angle = i * 0.17452777777777778;
            EXPECT_EQ(vertices[i].x, float(radius * std::cos(angle))) << radius << " vertex " << i;
            EXPECT_EQ(vertices[i].y, float(radius * std::sin(angle))) << radius << " vertex " << i;
        }
    }
}

// The cube cull's test at the edges of the show's view volume, seen from the origin down -z: for
// each of the six planes, spheres inside, centred on it, touching it from outside (still drawn:
// the test must never skip what might reach a pixel) and just outside it (skipped).
TEST(ViewVolumeEdges, ASphereIsOutsideOnlyWhenWhollyBeyondOnePlane)
{
    Matrix4 projection, modelview;
    perspectiveMatrix(showLens.fovyDegrees, showLens.aspect, showLens.nearDistance, showLens.farDistance, projection);
    const double eye[3] = {0, 0, 0}, centre[3] = {0, 0, -1}, up[3] = {0, 1, 0};
    lookAtMatrix(eye, centre, up, modelview);
    const ViewVolume volume = viewVolumeOf(projection, modelview);

    // Each plane by a point on it and its inward normal, worked out from the 60-degree lens: the
    // sides pass through the eye at 30 degrees to the axis.
    const double t = std::tan(30.0 * 3.141592653589793 / 180.0), c = std::cos(0.5235987755982988),
                 s = std::sin(0.5235987755982988), d = 1000.0;
    struct Plane {
        const char* name;
        double point[3], inward[3];
    };
    const Plane planes[] = {
        {"left", {-t * d, 0, -d}, {c, 0, -s}},   {"right", {t * d, 0, -d}, {-c, 0, -s}},
        {"bottom", {0, -t * d, -d}, {0, c, -s}}, {"top", {0, t * d, -d}, {0, -c, -s}},
        {"near", {0, 0, -1}, {0, 0, -1}},        {"far", {0, 0, -6000}, {0, 0, 1}},
    };
    const double radius = 20.0;
    struct Offset {
        const char* where;
        double along; // centre's distance along the inward normal
        bool outside;
    };
    const Offset offsets[] = {
        {"wholly inside", radius, false},
        {"centred on the plane", 0.0, false},
        {"overlapping from outside", -radius + 0.01, false},
        {"touching from outside", -radius, false},
        {"just outside", -radius - 0.01, true},
        {"far outside", -10 * radius, true},
    };
    for (const Plane& p : planes)
        for (const Offset& o : offsets) {
            const double x = p.point[0] + o.along * p.inward[0], y = p.point[1] + o.along * p.inward[1],
                         z = p.point[2] + o.along * p.inward[2];
            EXPECT_EQ(sphereOutside(volume, x, y, z, radius), o.outside) << p.name << " plane, " << o.where;
        }
    // Beyond a corner but outside no single plane: kept, as the test is only conservative.
    EXPECT_FALSE(sphereOutside(volume, -t * d - 14, -t * d - 14, -d, radius));
    EXPECT_FALSE(sphereOutside(allOfSpace, 1e9, -1e9, 1e9, 1.0));
}

// The look-at matrix places the camera as GLU's does: the eye at the origin, the centre straight
// ahead along -z, up along +y.
TEST(ViewVolumeEdges, LookAtMatrixPutsTheCentreAheadOfTheEye)
{
    const double eye[3] = {680, 0, 0}, centre[3] = {0, 0, 0}, up[3] = {0, 0, 1};
    Matrix4 m;
    lookAtMatrix(eye, centre, up, m);
    const auto apply = [&](double x, double y, double z, int row) {
        return m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    };
    EXPECT_NEAR(apply(680, 0, 0, 2), 0.0, 1e-9) << "the eye";
    EXPECT_NEAR(apply(0, 0, 0, 2), -680.0, 1e-9) << "the centre lies ahead";
    EXPECT_NEAR(apply(0, 0, 0, 0), 0.0, 1e-9);
    EXPECT_NEAR(apply(680, 0, 100, 1), 100.0, 1e-9) << "world +z is up on screen";
    EXPECT_NEAR(apply(680, 100, 0, 0), 100.0, 1e-9) << "world +y is to the right looking along -x";
}
