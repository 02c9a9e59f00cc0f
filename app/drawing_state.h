// The GL state every frame starts from: the one-time set-up of a context, its reset for a run
// rebuilt in a context that has drawn other moments, and the viewport and projection a window's
// size gives. Shared by the show's window and the offscreen renderer.
#pragma once

// The fixed GL state, the quadric and the four textures. Returns false (having loaded nothing)
// when the quadric cannot be created.
bool initDrawing();

// Puts every piece of GL state the scenes change back to what initDrawing leaves in a fresh
// context (GL's own initial values, and initDrawing's settings), so that a run rebuilt in a
// context that has drawn other moments starts from the state a fresh run starts from.
void resetDrawingState();

// The viewport (the whole width x height) and the show's projection, the modelview matrix left
// current: what a new size of the drawing surface takes.
void reshapeWindow(int width, int height);
