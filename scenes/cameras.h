// The show's one continuous camera path, scene by scene. Each function works out the camera of
// one frame from the scene time, writes what that scene hands on to later scenes in ShowState,
// and returns the pose; lookThrough hands the pose to GL.
#pragma once

#include "elements/view_volume.h"

// The show's lens, which the window's projection is set from: 60 degrees high, aspect 1 whatever
// the window's shape (the picture stretches), depth from 1 to 6000 units.
struct Lens {
    double fovyDegrees, aspect, nearDistance, farDistance;
};
inline constexpr Lens showLens = {60.0, 1.0, 1.0, 6000.0};

struct CameraPose {
    double eye[3];
    double centre[3];
    double up[3];
};

// Glides in along x towards the origin. Writes cameraShift and cameraX.
CameraPose placeScene2Camera(double sceneTime);
// Backs away along x from where scene 2 stopped. Writes cameraShift and cameraEndX.
CameraPose placeScene3Camera(double sceneTime);
// Sinks along -z at 250 units a second, looking horizontally. Writes cameraTravel, tunnelDepth.
CameraPose placeScene4Camera(double sceneTime);
// Sinks slowly from tunnelDepth while looking down at the sphere. Writes cameraTravel.
CameraPose placeScene5Camera(double sceneTime);

// The depth of scene 5's sphere in this frame: tunnelDepth - cameraTravel.
double scene5SphereDepth();

void lookThrough(const CameraPose& pose);

// What the show's lens sees from `pose`: the view volume of a frame whose modelview matrix is
// the pose's look-at alone.
ViewVolume viewVolumeFrom(const CameraPose& pose);
