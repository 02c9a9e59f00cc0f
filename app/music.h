// The soundtrack's commands: opened once, played from a show time, paused and resumed. Each is
// one multimedia command naming the soundtrack file; failures are silent.
#pragma once

#include <cstdint>

void openMusic();

// The soundtrack from the moment the show's first frame shows.
void playMusic();

// The soundtrack from `showTimeMs` on ("Play" from its start at 0), and held and played on.
void playMusicFrom(std::uint32_t showTimeMs);
void pauseMusic();
void resumeMusic();

// The soundtrack's loudness as the viewer sets it: `percent` of full (0 to 100) on a cubic curve,
// as sound controls commonly are, so that each step of 10 % sounds about as large as the next
// (two steps down from full are -5.8 dB); 0 % and `muted` are silent. The level of the
// "setaudio ... volume to" command, from 0 to 1000.
int volumeLevel(int percent, bool muted);

// Sets the soundtrack's loudness; called before openMusic it is sent once the soundtrack is open.
// At 100 % and not muted, with no change asked for, no command is sent.
void setMusicVolume(int percent, bool muted);
