// The multimedia command interface the soundtrack is driven through.
//   "Open <path>"  opens the sound file at <path> as a device named by that path;
//   "Play <path>"  plays that device once from its start and returns at once;
//   "Play <path> from <ms>"  the same from <ms> milliseconds into the sound.
// Every failure (no sound device, no such file, unknown command) is silent.
#pragma once

void sendMultimediaCommand(const char* command);
