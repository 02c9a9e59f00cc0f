// The show's one-time set-up: the drawing state, the run it starts from, and the soundtrack.
#include "app/startup.h"

#include "app/drawing_state.h"
#include "app/music.h"
#include "app/replay.h"
#include "app/run.h"

void initGraphics()
{
    if (!initDrawing())
        return;
    // Starting part-way: the GL state and the values a 60 fps run carries into that moment, from
    // the frames that hand them on.
    if (firstFrameTime() > 0)
        replayShowUntil(firstFrameTime());
    openMusic();
    playMusic();
}
