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

// reshapeWindow for a picture of the given aspect: exactly reshapeWindow for stretch; otherwise
// the viewport is the aspect's centred box (pictureBox) and the projection the same.
struct PictureAspect;
void reshapeForAspect(const PictureAspect& aspect, int width, int height);

// The viewport for what is drawn over the whole window (the status line), and back to the
// aspect's box after it. Nothing for stretch, whose box is the whole window.
void viewWholeWindow(const PictureAspect& aspect, int width, int height);
void viewPictureBox(const PictureAspect& aspect, int width, int height);

// Clears what lies outside the aspect's box in a window of width x height to black, after a
// frame: the scenes' clears reach the whole window. Nothing for stretch. Leaves the GL state as
// it found it.
void blackenBars(const PictureAspect& aspect, int width, int height);
