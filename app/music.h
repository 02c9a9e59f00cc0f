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
