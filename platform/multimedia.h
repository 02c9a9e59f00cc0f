// The multimedia command interface the soundtrack is driven through.
//   "Open <path>"  opens the sound file at <path> as a device named by that path;
//   "Play <path>"  plays that device once from its start and returns at once;
//   "Play <path> from <ms>"  the same from <ms> milliseconds into the sound; sent to a device
//                            that is playing or paused, it plays on from there;
//   "Pause <path>"  holds a playing device where it is;
//   "Resume <path>" plays a paused device on from where it was held;
//   "setaudio <path> volume to <level>"  scales the device's sound by level / 1000 (0 silent,
//                                        1000 as the file has it), kept across plays.
// The words and their order are those of the Windows multimedia command strings (MCI), so the
// same strings drive the sound there.
// Every failure (no sound device, no such file, unknown command) is silent.
#pragma once

void sendMultimediaCommand(const char* command);
