// Scenes 2 to 5 as a viewer sees them, drawn through the real frame path with the state a
// 60 fps run carries into each frame: what stands where, what appears and vanishes, and when.
#include "support/offscreen_fixture.h"

#include "app/show_state.h"
#include "app/replay.h"
#include "elements/cube_waves.h"
#include "elements/light_ring.h"
#include "elements/orbiting_cone.h"
#include "scenes/cameras.h"

#include <cmath>

namespace {

class SceneRender : public OffscreenTest {
protected:
    // The frame at `showTimeMs` of a 60 fps run, and the camera it was seen from.
    Image renderRunFrame(std::uint32_t showTimeMs)
    {
        replayRunUntil(showTimeMs, 60);
        Image image = renderShowFrame(showTimeMs);
        pose = currentPose(showTimeMs);
        return image;
    }

    // Recomputes the pose the frame used; placing the camera again for the same time writes the
    // same carried values.
    static CameraPose currentPose(std::uint32_t showTimeMs)
    {
        const double sceneTime = showState.sceneTime;
        switch (showState.scene) {
        case 2: return placeScene2Camera(sceneTime);
        case 3: return placeScene3Camera(sceneTime);
        case 4: return placeScene4Camera(sceneTime);
        default: (void)showTimeMs; return placeScene5Camera(sceneTime);
        }
    }

    Point eye() const { return {pose.eye[0], pose.eye[1], pose.eye[2]}; }
    Point centre() const { return {pose.centre[0], pose.centre[1], pose.centre[2]}; }
    Point up() const { return {pose.up[0], pose.up[1], pose.up[2]}; }

    Pixel projectPoint(Point p) const { return project(eye(), centre(), up(), p); }
    Point surfaceAt(Pixel pixel) const { return OffscreenTest::surfaceAt(eye(), centre(), up(), pixel); }

    static double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

    // Share of pixels with any colour at all.
    static double litShare(const Image& image)
    {
        int lit = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                lit += image.level(x, y) > 0;
        return double(lit) / (image.width * image.height);
    }

    CameraPose pose{};
};

TEST_F(SceneRender, Scene2ShowsTheSkyCubeTheSphereAndTheCubeWaves)
{
    const std::uint32_t time = 30000; // scene time 5000
    const Image image = renderRunFrame(time);
    EXPECT_GT(litShare(image), 0.95) << "the sky cube surrounds the camera";
    EXPECT_EQ(pose.eye[0], 680.0 - 5000.0 / 30.0);

    const Point sphereFront = surfaceAt(projectPoint({0, 0, 0}));
    EXPECT_NEAR(distance(sphereFront, {0, 0, 0}), 80.0, 2.0) << "the sphere of radius 80 sits at the origin";

    // Every surface in the field of view that is neither sky, sphere nor cone belongs to a cube
    // centred where the waves put it: directly at (x, y, z), or turned to (x, -z, y).
    std::vector<Point> cubes;
    for (const CubeWavePoint& p : cubeWavePoints(5000)) {
        for (double y : {p.y1, p.y2}) {
            cubes.push_back({p.x, y, p.z});
            cubes.push_back({p.x, -p.z, y});
        }
    }
    const ConePosition cone = orbitingConePosition(time * 0.001);
    int cubePixels = 0, stray = 0;
    for (int y = 2; y < frameHeight; y += 6) {
        for (int x = 2; x < frameWidth; x += 6) {
            const Point s = surfaceAt({double(x), double(y)});
            const bool skyOrSphere = std::max({std::abs(s.x), std::abs(s.y), std::abs(s.z)}) > 990.0 ||
                                     distance(s, {0, 0, 0}) < 82.0;
            if (skyOrSphere || distance(s, {cone.x, cone.y, cone.z}) < 130.0)
                continue;
            double nearest = 1e9;
            for (const Point& c : cubes)
                nearest = std::min(nearest, distance(s, c));
            (nearest <= 22.0 ? cubePixels : stray)++;
        }
    }
    EXPECT_GT(cubePixels, 300) << "the cube waves fill much of the view";
    EXPECT_EQ(stray, 0) << "surfaces away from every cube position";

    // And every cube position in view inside the sky cube is filled: nothing is seen through it.
    const Point eye = this->eye();
    int seenThrough = 0, inView = 0;
    for (const Point& c : cubes) {
        const Pixel at = projectPoint(c);
        const bool insideSky = std::max({std::abs(c.x), std::abs(c.y), std::abs(c.z)}) < 980.0;
        const bool ahead = c.x < eye.x; // the camera looks along -x
        if (!insideSky || !ahead || at.x < 0 || at.x >= frameWidth || at.y < 0 || at.y >= frameHeight || distance(eye, c) < 50.0)
            continue;
        ++inView;
        seenThrough += distance(eye, surfaceAt(at)) > distance(eye, c) + 1.0;
    }
    EXPECT_GT(inView, 100);
    EXPECT_EQ(seenThrough, 0) << "cube positions with nothing drawn at them";
}

TEST_F(SceneRender, Scene3ShowsTheSphereAndTheSwingingMoon)
{
    const std::uint32_t time = 50000;
    const Image image = renderRunFrame(time);
    EXPECT_GT(litShare(image), 0.95);
    EXPECT_NEAR(distance(surfaceAt(projectPoint({0, 0, 0})), {0, 0, 0}), 80.0, 2.0);

    const Point moon{showState.swingX * 0.25f, 0.0, showState.swingZ * 0.2f};
    EXPECT_NEAR(distance(surfaceAt(projectPoint(moon)), moon), 30.0, 2.0) << "moon of radius 30 on its ellipse";
}

TEST_F(SceneRender, Scene4MoonsVanishForGoodAtTravel3000)
{
    for (std::uint32_t sceneTime : {11000u, 11999u, 12000u, 20000u}) {
        renderRunFrame(67000 + sceneTime);
        const Point moon{showState.swingX * 0.2f, 0.0, showState.swingZ * 0.2f - sceneTime * (1.0 / 6.0)};
        const Pixel at = projectPoint(moon);
        const bool inView = at.x >= 0 && at.x < frameWidth && at.y >= 0 && at.y < frameHeight;
        if (!inView)
            continue;
        const bool moonShown = std::abs(distance(surfaceAt(at), moon) - 30.0) < 2.0;
        EXPECT_EQ(moonShown, sceneTime < 12000) << "scene time " << sceneTime;
    }
    // The sphere keeps to the camera's look-at point all the way down.
    renderRunFrame(67000 + 20000);
    EXPECT_NEAR(distance(surfaceAt(projectPoint({0, 0, -5000})), {0, 0, -5000}), 80.0, 2.0);
}

TEST_F(SceneRender, Scene4SparklesGlowInTheirOwnColours)
{
    // Eight seconds down, the deep cyan rows of the first pass lie ahead of the camera.
    const Image image = renderRunFrame(67000 + 8000);
    int cyan = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = &image.rgb[(std::size_t(y) * image.width + x) * 3];
            cyan += p[0] < 60 && p[1] > 150 && p[2] > 150;
        }
    }
    EXPECT_GT(cyan, 200) << "the cyan rows tint their glow";
}

TEST_F(SceneRender, Scene5RippleSurfaceLiesBelowTheSphere)
{
    const Image image = renderRunFrame(95000);
    const double surfaceZ = double(showState.tunnelDepth) - 930.0;
    const Point sphere{0, 0, scene5SphereDepth()};
    EXPECT_NEAR(distance(surfaceAt(projectPoint(sphere)), sphere), 80.0, 2.0);

    int onRippleSurface = 0, looked = 0;
    for (double x = -400; x <= 400; x += 100) {
        const Pixel at = projectPoint({-400, x, surfaceZ});
        if (at.x < 0 || at.x >= frameWidth || at.y < 0 || at.y >= frameHeight)
            continue;
        ++looked;
        const Point surface = surfaceAt(at);
        onRippleSurface += std::abs(surface.z - surfaceZ) <= 26.0 && image.level(int(at.x), int(at.y)) > 0;
    }
    EXPECT_GT(looked, 2);
    EXPECT_EQ(onRippleSurface, looked) << "a visible, lit ripple surface 930 units below where the scene began, +-25";
}

TEST_F(SceneRender, Scene5LightZeroTurnsWhiteOnlyAfter112Seconds)
{
    // The ring's light 0 is blue; the white override adds red and green to the ripple surface.
    auto redAndGreen = [](const Image& image) {
        long long sum = 0;
        for (std::size_t i = 0; i < image.rgb.size(); i += 3)
            sum += image.rgb[i] + image.rgb[i + 1];
        return sum;
    };
    const long long before = redAndGreen(renderRunFrame(112000));
    const long long after = redAndGreen(renderRunFrame(112001));
    EXPECT_GT(after, before + before / 10) << "light 0 turns white at 112001, not at 112000";
}

TEST_F(SceneRender, LastFrameOfTheShowIsDrawnWithTheRingSpent)
{
    const Image image = renderRunFrame(114799);
    EXPECT_GT(image.maxLevel(), 0);
    EXPECT_LE(ringRadius(Ring::light), 0.0) << "the ring closed in from 105 s and is spent by 109 s";
    EXPECT_FALSE(renderOffscreenFrame(114800)) << "114.8 s ends the show";
}

TEST_F(SceneRender, FramesOfEachSceneDifferFromBlackAndFromEachOther)
{
    std::vector<Image> frames;
    for (std::uint32_t time : {30000u, 50000u, 80000u, 100000u})
        frames.push_back(renderRunFrame(time));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_GT(frames[i].maxLevel(), 50) << "frame " << i;
        for (std::size_t j = i + 1; j < frames.size(); ++j)
            EXPECT_NE(frames[i].rgb, frames[j].rgb) << i << " and " << j;
    }
}

} // namespace
