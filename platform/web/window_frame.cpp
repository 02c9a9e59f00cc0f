// The page's "screen": the browser window's inside, and no frame around the canvas.
#include "platform/window_frame.h"

#include <emscripten.h>

ScreenArea placementArea()
{
    ScreenArea area;
    area.width = EM_ASM_INT({ return window.innerWidth; });
    area.height = EM_ASM_INT({ return window.innerHeight; });
    return area;
}

FrameExtents windowFrame()
{
    return {};
}
