// The camera path across scenes 2 to 5 and the values each scene hands on to the next.
#include "app/show_state.h"
#include "scenes/cameras.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {

constexpr float fullRunCameraX = 113.36666870117188f;
constexpr float fullRunCameraEndX = 946.6666870117188f;
constexpr float fullRunTunnelDepth = -6249.75f;

class CameraPath : public ::testing::Test {
protected:
    void SetUp() override { showState = ShowState{}; }
};

void expectPose(const CameraPose& pose, const double (&eye)[3], const double (&centre)[3], const char* why)
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(pose.eye[i], eye[i], 1e-9) << why << " eye[" << i << "]";
        EXPECT_NEAR(pose.centre[i], centre[i], 1e-9) << why << " centre[" << i << "]";
    }
    EXPECT_EQ(pose.up[2], 1.0) << why << ": +z is up";
}

TEST_F(CameraPath, Scene2GlidesInAndHandsOnItsLastX)
{
    expectPose(placeScene2Camera(0), {680, 0, 0}, {0, 0, 0}, "scene 2 start");
    EXPECT_EQ(showState.cameraX, 680.0f);
    expectPose(placeScene2Camera(16999), {680.0 - 16999.0 / 30.0, 0, 0}, {0, 0, 0}, "scene 2 last ms");
    EXPECT_EQ(showState.cameraX, fullRunCameraX);
}

TEST_F(CameraPath, Scene3BacksAwayFromWhereScene2Stopped)
{
    showState.cameraX = fullRunCameraX;
    expectPose(placeScene3Camera(0), {fullRunCameraX, 0, 0}, {0, 0, 0}, "scene 3 start");
    EXPECT_EQ(showState.cameraEndX, fullRunCameraX);
    const CameraPose last = placeScene3Camera(24999);
    EXPECT_DOUBLE_EQ(last.eye[0], 946.6666687011718);
    EXPECT_EQ(showState.cameraEndX, fullRunCameraEndX);
    EXPECT_EQ(showState.cameraX, fullRunCameraX) << "scene 3 never writes cameraX";
}

TEST_F(CameraPath, Scene4SinksLookingHorizontally)
{
    showState.cameraEndX = fullRunCameraEndX;
    expectPose(placeScene4Camera(0), {fullRunCameraEndX, 0, 0}, {0, 0, 0}, "scene 4 start");
    EXPECT_EQ(showState.cameraTravel, 0.0);
    EXPECT_TRUE(std::signbit(showState.tunnelDepth)) << "tunnelDepth starts at -0.0";

    struct Case {
        double sceneTime, travel;
    };
    for (Case c : {Case{11999, 2999.75}, Case{12000, 3000}, Case{24999, 6249.75}}) {
        expectPose(placeScene4Camera(c.sceneTime), {fullRunCameraEndX, 0, -c.travel}, {0, 0, -c.travel}, "scene 4");
        EXPECT_EQ(showState.cameraTravel, c.travel);
        EXPECT_EQ(showState.tunnelDepth, float(-c.travel));
    }
    EXPECT_EQ(showState.tunnelDepth, fullRunTunnelDepth);
}

TEST_F(CameraPath, RingCentreDepthsTruncateTowardZero)
{
    placeScene4Camera(11999);
    EXPECT_EQ(int(-showState.cameraTravel), -2999) << "-2999.75 truncates to -2999, not -3000";
    showState.tunnelDepth = fullRunTunnelDepth;
    placeScene5Camera(0);
    EXPECT_EQ(int(scene5SphereDepth()), -6249);
}

TEST_F(CameraPath, Scene5SinksSlowerThanTheSphereItFollows)
{
    showState.cameraEndX = fullRunCameraEndX;
    showState.tunnelDepth = fullRunTunnelDepth;
    expectPose(placeScene5Camera(0), {fullRunCameraEndX, 0, -6249.75}, {0, 0, -6249.75}, "scene 5 start");

    const CameraPose last = placeScene5Camera(22799);
    EXPECT_DOUBLE_EQ(showState.cameraTravel, 1139.95);
    EXPECT_DOUBLE_EQ(last.eye[2], -6249.75 - 227.99);
    EXPECT_DOUBLE_EQ(last.centre[2], -6249.75 - 1139.95);
    EXPECT_EQ(showState.tunnelDepth, fullRunTunnelDepth) << "scene 5 never writes tunnelDepth";

    placeScene5Camera(18600);
    EXPECT_DOUBLE_EQ(scene5SphereDepth(), -6249.75 - 930.0) << "the sphere reaches the ripple surface at 18600";
}

TEST_F(CameraPath, SlowFramesHandOnTheShorterPathTheLastFrameReached)
{
    // A run whose frames came every 4 s: the last frames of scenes 2, 3 and 4 fell early.
    for (double t = 0; t < 17000; t += 4000)
        placeScene2Camera(t);
    for (double t = 0; t < 25000; t += 4000)
        placeScene3Camera(t);
    const float scene2Left = float(680.0 - 16000.0 / 30.0);
    EXPECT_EQ(showState.cameraX, scene2Left);
    EXPECT_EQ(showState.cameraEndX, float(double(scene2Left) + 24000.0 / 30.0));
    for (double t = 0; t < 25000; t += 4000)
        placeScene4Camera(t);
    EXPECT_EQ(showState.tunnelDepth, -6000.0f);
    const CameraPose first = placeScene5Camera(0);
    EXPECT_EQ(first.eye[2], -6000.0);
    EXPECT_EQ(first.eye[0], double(showState.cameraEndX));
}

TEST_F(CameraPath, ScenesTwoAndThreeStayInThePlaneZEqualsZero)
{
    EXPECT_EQ(placeScene2Camera(5000).eye[2], 0.0);
    EXPECT_EQ(placeScene3Camera(5000).eye[2], 0.0);
    EXPECT_EQ(showState.cameraY, 0.0);
}

} // namespace
