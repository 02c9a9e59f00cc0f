// Capturing without a display: showcap runs itself again inside a private X server (xvfb-run)
// when there is no X display to reach.
#pragma once

#include <string>

// The full path of this program, from /proc; empty if it cannot be read.
std::string ownExecutable();

// Whether this process is the run that showcap started under xvfb-run.
bool inPrivateXServer();

// Whether the X display named by DISPLAY accepts a connection.
bool displayReachable();

// Replaces this process with xvfb-run running this program again, with the same arguments and a
// mark in the environment that stops it from doing the same. Returns only on failure, with the
// reason.
std::string rerunInPrivateXServer(int argc, char** argv);
