// The camera path of scenes 2 to 5 and the values each scene hands on through ShowState.
#include "scenes/cameras.h"

#include "app/show_state.h"

#include <GL/glu.h>

CameraPose placeScene2Camera(double sceneTime)
{
    showState.cameraShift = sceneTime * (-1.0 / 30.0);
    const double eyeX = showState.cameraShift + 680.0;
    showState.cameraX = float(eyeX);
    return {{eyeX, showState.cameraY, showState.cameraTravel}, {0, 0, 0}, {0, 0, 1}};
}

CameraPose placeScene3Camera(double sceneTime)
{
    showState.cameraShift = sceneTime * (1.0 / 30.0);
    const double eyeX = double(showState.cameraX) + showState.cameraShift;
    showState.cameraEndX = float(eyeX);
    return {{eyeX, showState.cameraY, showState.cameraTravel}, {0, 0, 0}, {0, 0, 1}};
}

CameraPose placeScene4Camera(double sceneTime)
{
    showState.cameraTravel = sceneTime * 0.25;
    showState.tunnelDepth = float(-showState.cameraTravel);
    const double depth = -showState.cameraTravel;
    return {{double(showState.cameraEndX), 0, depth}, {0, 0, depth}, {0, 0, 1}};
}

CameraPose placeScene5Camera(double sceneTime)
{
    showState.cameraTravel = sceneTime * 0.05;
    // The eye sinks at 10 units a second, the sphere it looks at at 50: the view tilts down.
    const double eyeZ = double(showState.tunnelDepth) - sceneTime * 0.01;
    return {{double(showState.cameraEndX), showState.cameraY, eyeZ}, {0, 0, scene5SphereDepth()}, {0, 0, 1}};
}

double scene5SphereDepth()
{
    return double(showState.tunnelDepth) - showState.cameraTravel;
}

void lookThrough(const CameraPose& pose)
{
    gluLookAt(pose.eye[0], pose.eye[1], pose.eye[2], pose.centre[0], pose.centre[1], pose.centre[2],
              pose.up[0], pose.up[1], pose.up[2]);
}

ViewVolume viewVolumeFrom(const CameraPose& pose)
{
    Matrix4 projection, modelview;
    perspectiveMatrix(showLens.fovyDegrees, showLens.aspect, showLens.nearDistance, showLens.farDistance, projection);
    lookAtMatrix(pose.eye, pose.centre, pose.up, modelview);
    return viewVolumeOf(projection, modelview);
}
