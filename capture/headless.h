// Capturing without a display: a private X server (Xvfb) that showcap starts as its own child,
// that only showcap can reach, and that ends with it.
#pragma once

#include <string>
#include <sys/types.h>

struct PrivateDisplay {
    pid_t server = -1;   // the Xvfb process, leader of its own process group
    std::string display; // ":N"
};

// What the X display named by DISPLAY does when connected to.
enum class DisplayAnswer {
    answers, // it accepts a connection
    none,    // no DISPLAY, or nothing accepts there
    silent,  // something is there but does not answer (a frozen server)
    stopped, // a stop signal came while waiting
};

// Connects from a child process, so that a server that has stopped answering holds showcap for
// a few seconds at most, and a stop signal is honoured while it waits.
DisplayAnswer checkDisplay();

// Starts Xvfb on a display number it picks itself (-displayfd), admitting only clients that hold a
// fresh random cookie, which is handed to it through an anonymous file and to this process's
// Xlib alone; then points DISPLAY at it. The server ends with showcap: through stopPrivateDisplay,
// or by SIGTERM from the kernel should showcap die first (Xvfb then removes its lock and socket).
// False with a one-line reason; a stop asked for while it starts ends it.
bool startPrivateDisplay(PrivateDisplay& display, std::string& error);

// Ends the server and waits for it. Safe when none was started.
void stopPrivateDisplay(PrivateDisplay& display);
