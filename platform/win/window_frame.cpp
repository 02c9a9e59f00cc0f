// Window placement on Windows: the primary monitor's work area, and the frame of the overlapped
// window freeglut creates.
#include "platform/window_frame.h"

#include <windows.h>

ScreenArea placementArea()
{
    RECT work;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
        work.left = work.top = 0;
        work.right = GetSystemMetrics(SM_CXSCREEN);
        work.bottom = GetSystemMetrics(SM_CYSCREEN);
    }
    ScreenArea area;
    area.x = work.left;
    area.y = work.top;
    area.width = work.right - work.left;
    area.height = work.bottom - work.top;
    return area;
}

FrameExtents windowFrame()
{
    RECT rect{0, 0, 100, 100};
    if (!AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0))
        return {};
    return {-rect.left, -rect.top, rect.right - 100, rect.bottom - 100};
}
