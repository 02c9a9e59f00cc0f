// The five scenes. Each runs inside renderFrame on a cleared frame with the identity modelview
// matrix, places its own camera and draws its elements in a fixed order from the GL state that
// the previous frame left.
#pragma once

void drawScene1(unsigned showTimeMs, double sceneTime);
void drawScene2(unsigned showTimeMs, double sceneTime);
void drawScene3(unsigned showTimeMs, double sceneTime);
void drawScene4(unsigned showTimeMs, double sceneTime);
void drawScene5(unsigned showTimeMs, double sceneTime);

// Scene 4's 48 fixed sparkles, each row at both its depths, in their own colours with lighting
// off; lighting is on again afterwards. Drawn inside the glow pass.
void drawSparkleField();
