// The sky cube: the open-floored, textured backdrop box of scenes 2 to 5.
#pragma once

// Draws the five faces of a box of edge `size` centred on the current origin, each mapping the
// whole bound texture once; the side in the plane z = -size/2 is left open. With `coloured` every
// face first sets its own colour, otherwise the caller's colour stays in effect. Issues geometry
// only, in one GL_QUADS batch: no normals, textures, enables or matrices.
void drawSkyCube(float size, bool coloured);
