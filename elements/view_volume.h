// The view volume of a frame as six planes in world space, for skipping whole objects that
// cannot reach a pixel; and the perspective and look-at matrices it is found from.
#pragma once

// Column-major 4 x 4, as GL keeps its matrices: element (row, column) at [column * 4 + row].
using Matrix4 = double[16];

// What gluPerspective multiplies in.
void perspectiveMatrix(double fovyDegrees, double aspect, double nearDistance, double farDistance, Matrix4 out);

// What gluLookAt multiplies in, worked out in double precision (GLU itself rounds to float).
void lookAtMatrix(const double eye[3], const double centre[3], const double up[3], Matrix4 out);

// Six planes a x + b y + c z + d = 0 with (a, b, c) of unit length pointing inwards: a point is
// inside the volume when every plane gives it a distance of 0 or more. Order: left, right,
// bottom, top, near, far.
struct ViewVolume {
    double planes[6][4];
};

// The volume that `projection` times `modelview` maps onto GL's clip cube.
ViewVolume viewVolumeOf(const Matrix4 projection, const Matrix4 modelview);

// A volume holding all of space: nothing is ever outside it.
inline constexpr ViewVolume allOfSpace = {{{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1},
                                           {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}}};

// True when the sphere lies wholly on the outer side of one of the planes, so that nothing in it
// can be drawn. A sphere that touches a plane from outside is not outside. Conservative: a sphere
// outside the volume only beyond a corner or an edge counts as inside.
bool sphereOutside(const ViewVolume& volume, double x, double y, double z, double radius);
