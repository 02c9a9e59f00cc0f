// Ending the process when the viewer asks for the end (Escape, q): status 0, at once.
#pragma once

// Ends the process with `status` without waiting on what does not need it: on Linux the sound's
// threads (SDL_mixer's and the device's, a quarter of a second and more) stop with the process,
// and nothing but the standard streams' buffers is written. On Windows the process ends through
// the C runtime's exit, as the multimedia layer there wants its own shutdown.
[[noreturn]] void endProcessNow(int status);
