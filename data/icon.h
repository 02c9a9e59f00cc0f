// The program's icon, composed from the show's own pictures: the nebula sky's lit middle with the
// glow sprite at its centre and the light ring's seven coloured glows around it.
#pragma once

#include "data/pictures.h"

// A size x size picture, row 0 at the top; every size is drawn from the same sources, so the small
// icon is the large one sampled anew rather than shrunk.
Picture makeIcon(int size);
