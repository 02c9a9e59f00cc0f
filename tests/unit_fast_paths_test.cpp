// Values that the show now computes once and reuses, held bit for bit to the formula they stand
// for: a reused value that drifted in its last bit could move a pixel.
#include "elements/spiral.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(FastPathValues, SpiralVerticesFromTheSharedTurnsDifferFromTheFormulaInAnyBit)
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
