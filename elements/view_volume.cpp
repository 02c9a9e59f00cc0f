// Plane extraction from the combined matrix, and the sphere test against the planes.
#include "elements/view_volume.h"

#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;

void normalise(double v[3])
{
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

void cross(const double a[3], const double b[3], double out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace

void perspectiveMatrix(double fovyDegrees, double aspect, double nearDistance, double farDistance, Matrix4 out)
{
    const double f = 1.0 / std::tan(fovyDegrees * 0.5 * pi / 180.0);
    const double depth = nearDistance - farDistance;
    for (int i = 0; i < 16; ++i)
        out[i] = 0.0;
    out[0] = f / aspect;
    out[5] = f;
    out[10] = (farDistance + nearDistance) / depth;
    out[11] = -1.0;
    out[14] = 2.0 * farDistance * nearDistance / depth;
}

void lookAtMatrix(const double eye[3], const double centre[3], const double up[3], Matrix4 out)
{
    double forward[3] = {centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]};
    normalise(forward);
    double side[3];
    cross(forward, up, side);
    normalise(side);
    double trueUp[3];
    cross(side, forward, trueUp);
    // Rows side, up and -forward, then the eye moved to the origin.
    const double* rows[3] = {side, trueUp, forward};
    const double signs[3] = {1.0, 1.0, -1.0};
    for (int row = 0; row < 3; ++row) {
        double translation = 0.0;
        for (int column = 0; column < 3; ++column) {
            out[column * 4 + row] = signs[row] * rows[row][column];
            translation -= out[column * 4 + row] * eye[column];
        }
        out[12 + row] = translation;
        out[row * 4 + 3] = 0.0;
    }
    out[15] = 1.0;
}

ViewVolume viewVolumeOf(const Matrix4 projection, const Matrix4 modelview)
{
    double m[16];
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += projection[k * 4 + row] * modelview[column * 4 + k];
            m[column * 4 + row] = sum;
        }
    // Clip space keeps -w <= x, y, z <= w: each plane is row 4 plus or minus row 1, 2 or 3.
    ViewVolume volume{};
    for (int plane = 0; plane < 6; ++plane) {
        const int axis = plane / 2;
        const double sign = plane % 2 == 0 ? 1.0 : -1.0;
        double* p = volume.planes[plane];
        for (int column = 0; column < 4; ++column)
            p[column] = m[column * 4 + 3] + sign * m[column * 4 + axis];
        const double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        for (int column = 0; column < 4; ++column)
            p[column] /= length;
    }
    return volume;
}

bool sphereOutside(const ViewVolume& volume, double x, double y, double z, double radius)
{
    for (const auto& p : volume.planes)
        if (p[0] * x + p[1] * y + p[2] * z + p[3] < -radius)
            return true;
    return false;
}
