// The ripple surface: heights and normals of the surface computed per frame from cached distances,
// the plain strip-by-strip form they must match, and the quad strips drawn from vertex arrays or
// in immediate mode.
#include "elements/ripple_surface.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

RipplePath ripplePath = RipplePath::arrays;

constexpr int stripVertexCount = rippleGridSize * 2;

// Every strip's 480 vertices in the order immediate mode emits them (row Y, then row Y + 4, pair
// by pair), each with its pair's normal, as the floats GL keeps of the doubles. The grid's x and
// y never change: they are written once, and only heights and normals frame by frame.
struct RippleArrays {
    float positions[rippleStripCount][stripVertexCount][3];
    float normals[rippleStripCount][stripVertexCount][3];
};

struct Vector3 {
    double x, y, z;
};

double wavelengthsFromCentre(double gridX, double gridY, double centreX, double centreY)
{
    const double dx = gridX - centreX;
    const double dy = gridY - centreY;
    const double distance = std::sqrt(dx * dx + dy * dy);
    return distance * 0.001 * 5;
}

// The time-dependent tail of the height formula. 6.283 (not 2 pi), the phase of sceneTime * 10 on
// whole milliseconds and double precision make the rings drift as the show was timed: the phase
// term passes 1.4e6 rad by the end of the show, so any rounding here would move the crests.
double heightAt(double wavelengths, double z, double phase)
{
    return std::sin((wavelengths + phase) * 6.283) * 25 + z;
}

// Cross product u x v scaled to unit length, spelled out in full: with u = (4, 0, dz) and
// v = (0, 4, dz') most terms are zero, but dropping them would change the sign of some zeros.
void storeUnitNormal(const Vector3& u, const Vector3& v, double* normal)
{
    const double nx = u.y * v.z - u.z * v.y;
    const double ny = u.z * v.x - u.x * v.z;
    const double nz = u.x * v.y - u.y * v.x;
    const double scale = 1 / std::sqrt(nx * nx + ny * ny + nz * nz);
    normal[0] = nx * scale;
    normal[1] = ny * scale;
    normal[2] = nz * scale;
}

// The normal of a pair from its two points' heights and the height of the next point on its
// first row. Grid points are whole numbers, so u = (4, 0, .) and v = (0, 4, .) exactly.
void storePairNormal(double height, double nextRowHeight, double nextColumnHeight, double* normal)
{
    const Vector3 u{double(rippleGridStep), 0.0, nextColumnHeight - height};
    const Vector3 v{0.0, double(rippleGridStep), nextRowHeight - height};
    storeUnitNormal(u, v, normal);
}

} // namespace

double rippleHeight(double gridX, double gridY, double centreX, double centreY, double z, double phase)
{
    return heightAt(wavelengthsFromCentre(gridX, gridY, centreX, centreY), z, phase);
}

void computeRippleGrid(double centreX, double centreY, RippleGrid& grid)
{
    grid.centreX = centreX;
    grid.centreY = centreY;
    // Each point's value keyed by its bits: equal keys are identical inputs to the height formula,
    // so sharing their height changes no bit of it, and the order stays total even for a NaN.
    std::vector<std::pair<std::uint64_t, int>> keys(ripplePointCount);
    const auto keyOf = [&](double gridX, double gridY, int point) {
        const double value = wavelengthsFromCentre(gridX, gridY, centreX, centreY);
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        keys[point] = {bits, point};
    };
    for (int row = 0; row < rippleGridSize; ++row)
        for (int column = 0; column < rippleGridSize; ++column)
            keyOf(rippleCoordinate(column), rippleCoordinate(row), row * rippleGridSize + column);
    for (int row = 0; row < rippleStripCount; ++row)
        keyOf(rippleCoordinate(rippleGridSize), rippleCoordinate(row), rippleEdgePoint + row);

    std::sort(keys.begin(), keys.end());
    int count = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i == 0 || keys[i].first != keys[i - 1].first) {
            std::memcpy(&grid.wavelengths[count], &keys[i].first, sizeof(double));
            ++count;
        }
        grid.distanceOf[keys[i].second] = std::uint16_t(count - 1);
    }
    grid.distanceCount = count;
}

void computeRippleFrame(const RippleGrid& grid, double z, double sceneTime, RippleFrame& frame)
{
    const double phase = sceneTime * 10;
    for (int i = 0; i < grid.distanceCount; ++i)
        frame.distanceHeights[i] = heightAt(grid.wavelengths[i], z, phase);
    const std::uint16_t* distanceOf = grid.distanceOf;
    for (int row = 0; row < rippleGridSize; ++row)
        for (int column = 0; column < rippleGridSize; ++column)
            frame.heights[row][column] = frame.distanceHeights[*distanceOf++];

    for (int strip = 0; strip < rippleStripCount; ++strip) {
        const double* row = frame.heights[strip];
        const double* nextRow = frame.heights[strip + 1];
        for (int pair = 0; pair < rippleGridSize - 1; ++pair)
            storePairNormal(row[pair], nextRow[pair], row[pair + 1], frame.normals[strip][pair]);
        // The last pair has no next column on the surface; its normal looks towards X = 480, taken
        // from the height formula, so the far edge is shaded like the rest of the surface.
        const int last = rippleGridSize - 1;
        const double edgeHeight = frame.distanceHeights[grid.distanceOf[rippleEdgePoint + strip]];
        storePairNormal(row[last], nextRow[last], edgeHeight, frame.normals[strip][last]);
    }
}

void computeRippleFrameByStrips(double centreX, double centreY, double z, double sceneTime,
                                RippleFrame& frame)
{
    const double phase = sceneTime * 10;
    Vector3 pairs[rippleGridSize][2];
    for (int strip = 0; strip < rippleStripCount; ++strip) {
        const double gridY = rippleCoordinate(strip);
        const double nextY = rippleCoordinate(strip + 1);
        for (int pair = 0; pair < rippleGridSize; ++pair) {
            const double gridX = rippleCoordinate(pair);
            pairs[pair][0] = {gridX, gridY, rippleHeight(gridX, gridY, centreX, centreY, z, phase)};
            pairs[pair][1] = {gridX, nextY, rippleHeight(gridX, nextY, centreX, centreY, z, phase)};
        }
        for (int pair = 0; pair < rippleGridSize; ++pair) {
            const Vector3& p0 = pairs[pair][0];
            const Vector3& p1 = pairs[pair][1];
            const double nextX = rippleCoordinate(pair + 1);
            const Vector3 q = pair + 1 < rippleGridSize
                                  ? pairs[pair + 1][0]
                                  : Vector3{nextX, gridY, rippleHeight(nextX, gridY, centreX, centreY, z, phase)};
            const Vector3 u{q.x - p0.x, q.y - p0.y, q.z - p0.z};
            const Vector3 v{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
            storeUnitNormal(u, v, frame.normals[strip][pair]);
            frame.heights[strip][pair] = p0.z;
            frame.heights[strip + 1][pair] = p1.z;
        }
    }
}

void setRipplePath(RipplePath path)
{
    ripplePath = path;
}

namespace {

void placeArrayGrid(RippleArrays& arrays)
{
    for (int strip = 0; strip < rippleStripCount; ++strip)
        for (int pair = 0; pair < rippleGridSize; ++pair)
            for (int side = 0; side < 2; ++side) {
                float* position = arrays.positions[strip][pair * 2 + side];
                position[0] = float(rippleCoordinate(pair));
                position[1] = float(rippleCoordinate(strip + side));
            }
}

void fillArrays(const RippleFrame& frame, RippleArrays& arrays)
{
    for (int strip = 0; strip < rippleStripCount; ++strip)
        for (int pair = 0; pair < rippleGridSize; ++pair) {
            const double* normal = frame.normals[strip][pair];
            for (int side = 0; side < 2; ++side) {
                const int vertex = pair * 2 + side;
                arrays.positions[strip][vertex][2] = float(frame.heights[strip + side][pair]);
                float* vertexNormal = arrays.normals[strip][vertex];
                vertexNormal[0] = float(normal[0]);
                vertexNormal[1] = float(normal[1]);
                vertexNormal[2] = float(normal[2]);
            }
        }
}

// One draw per strip, as immediate mode has one glBegin/glEnd per strip. Mesa's immediate mode
// costs more per vertex on the calling thread than reading these arrays does.
void drawFromArrays(const RippleFrame& frame)
{
    static RippleArrays arrays;
    static bool gridPlaced = false;
    if (!gridPlaced) {
        placeArrayGrid(arrays);
        gridPlaced = true;
    }
    fillArrays(frame, arrays);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, arrays.positions);
    glNormalPointer(GL_FLOAT, 0, arrays.normals);
    for (int strip = 0; strip < rippleStripCount; ++strip)
        glDrawArrays(GL_QUAD_STRIP, strip * stripVertexCount, stripVertexCount);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    // A draw from a normal array leaves the current normal undefined; the next frame's sky cube
    // is lit with it, so it is set to the last pair's, as immediate mode leaves it.
    const double* last = frame.normals[rippleStripCount - 1][rippleGridSize - 1];
    glNormal3d(last[0], last[1], last[2]);
}

void drawImmediate(const RippleFrame& frame)
{
    for (int strip = 0; strip < rippleStripCount; ++strip) {
        const double gridY = rippleCoordinate(strip);
        const double nextY = rippleCoordinate(strip + 1);
        glBegin(GL_QUAD_STRIP);
            for (int pair = 0; pair < rippleGridSize; ++pair) {
                const double gridX = rippleCoordinate(pair);
                const double* normal = frame.normals[strip][pair];
                glNormal3d(normal[0], normal[1], normal[2]);
                glVertex3d(gridX, gridY, frame.heights[strip][pair]);
                glVertex3d(gridX, nextY, frame.heights[strip + 1][pair]);
            }
        glEnd();
    }
}

} // namespace

void drawRippleSurface(double sceneTime, double x, double y, double z)
{
    // The distances depend only on the centre, which stays put for the whole of scene 5: they are
    // computed again only when it moves. The buffers are large, so they live here, not per call.
    static RippleGrid grid;
    static bool gridReady = false;
    static RippleFrame frame;
    if (ripplePath == RipplePath::literal) {
        computeRippleFrameByStrips(x, y, z, sceneTime, frame);
    } else {
        if (!gridReady || grid.centreX != x || grid.centreY != y) {
            computeRippleGrid(x, y, grid);
            gridReady = true;
        }
        computeRippleFrame(grid, z, sceneTime, frame);
    }
    if (ripplePath == RipplePath::arrays)
        drawFromArrays(frame);
    else
        drawImmediate(frame);
}
