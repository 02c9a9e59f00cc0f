// The X display: a connection to the one named by DISPLAY, the check whether it answers, and a
// private X server (Xvfb) started as a child of this process, that ends with it. showcap draws in
// one when there is no display; the end-to-end tests run every program in one of their own.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

typedef struct _XDisplay Display;

// A connection to the display named by DISPLAY, or null. An X server resets whenever its last
// client leaves and refuses connections meanwhile (as a parallel test run can hit), so a refusal
// is tried again for up to a second.
Display* connectToDisplay();

// What the X display named by DISPLAY does when connected to.
enum class DisplayAnswer {
    answers, // it accepts a connection
    none,    // no DISPLAY, or nothing accepts there
    silent,  // something is there but does not answer (a frozen server)
    stopped, // a stop signal came while waiting
};

// Connects from a child process, so that a server that has stopped answering holds the caller
// for a few seconds at most, and a stop signal is honoured while it waits.
DisplayAnswer checkDisplay();

struct PrivateDisplaySetup {
    std::string screen = "640x480x24"; // the screen's WIDTHxHEIGHTxDEPTH
    // Only clients that hold a fresh random cookie are admitted, which is handed to the server
    // through an anonymous file and to this process's Xlib alone, and DISPLAY is pointed at the
    // server. Without it, any local client is (X tools a test runs against the server).
    bool admitThisProcessOnly = true;
    std::string fontPath;                // replaces the server's font path when given
    std::vector<std::string> arguments;  // more arguments for Xvfb, as they are
};

struct PrivateDisplay {
    pid_t server = -1;   // the Xvfb process, leader of its own process group
    std::string display; // ":N"
};

// Starts Xvfb on a display number it picks itself (-displayfd), never listening on TCP and never
// resetting when its last client leaves. The server ends with this process: through
// stopPrivateDisplay, or by SIGTERM from the kernel should this process die first (Xvfb then
// removes its lock and socket). False with a one-line reason; a stop asked for while it starts
// ends it.
bool startPrivateDisplay(const PrivateDisplaySetup& setup, PrivateDisplay& display, std::string& error);

// Ends the server and waits for it. Safe when none was started.
void stopPrivateDisplay(PrivateDisplay& display);
