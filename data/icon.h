// The program's icon, composed from the show's own pictures: the nebula sky's lit middle with the
// glow picture at its centre and the light ring's seven coloured glows around it.
#pragma once

#include "data/pictures.h"

// A size x size picture, row 0 at the top, drawn from the nebula sky and the glow picture; every
// size samples the sources anew, so the small icon is not the large one shrunk.
Picture makeIcon(const Picture& sky, const Picture& glow, int size);
