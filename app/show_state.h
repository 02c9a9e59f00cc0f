// The show's one state record: resources filled at start-up, the show clock, and the values that
// one scene hands on to the next. One instance for the process, all zero before main runs.
#pragma once

#include <GL/glu.h>
#include <cstdint>

struct ShowState {
    // Resources, filled once by initGraphics; the scenes only read them.
    GLUquadric* quadric;      // the one GLU quadric; null if creation failed
    std::int32_t glowTexture; // texture names as loadBitmapTexture returned them (-1 or 0 on failure)
    std::int32_t skyTextureA;
    std::int32_t skyTextureB;
    std::int32_t waveTexture;
    std::int32_t sphereTexture; // never loaded: always 0, so the spheres draw untextured

    // Show clock, written by displayFrame and updateSchedule.
    bool clockStarted;        // set at the first frame
    std::uint32_t startTime;  // ms, timer reading at the first frame
    std::int32_t scene;       // 1..5 while playing, 6 ends the show; 0 before the first update
    double sceneTime;         // ms since the current scene began, always a whole number
    std::uint8_t skipForward; // 1 = move the show 10 s ahead at the next frame
    std::uint8_t skipBack;    // 1 = move the show 10 s back at the next frame

    // Orbit values, written by renderFrame each frame; read by scenes 3 and 4. World units.
    float swingX; // cos(t * 0.001) * 1000, t = show time in ms
    float swingZ; // sin(t * 0.001) * 1000
    float circleX; // cos(t * 0.0004) * 300
    float circleY; // sin(t * 0.0004) * 200

    // Camera carry-over, world units. Each field keeps what its writer's last frame left.
    double cameraShift; // written by scenes 2 and 3: x offset along the glide
    float cameraX;      // written by scene 2: eye x; read by scene 3
    float cameraEndX;   // written by scene 3: eye x; read by scenes 4 and 5
    double cameraY;     // never written: eye y, always 0
    double cameraTravel; // written by scenes 4 and 5: travel along -z; eye z of scenes 2 and 3
    float tunnelDepth;  // written by scene 4: -cameraTravel; where scene 5 starts
};

extern ShowState showState;
