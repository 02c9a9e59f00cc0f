// The show while its window cannot be seen: the show clock goes on from a timer, so the show
// still ends on time, and no idle loop spins for frames that are never drawn.
#pragma once

// GLUT window-status callback. While the window is unmapped or fully covered GLUT draws nothing,
// so the idle callback is taken away and a timer keeps the show clock and the schedule going and
// ends the show at its end; once the window shows again the idle callback comes back as before.
void windowStatusChanged(int state);

// True while the window is unmapped or fully covered.
bool windowOutOfSight();
