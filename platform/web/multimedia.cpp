// The page's sound device for the soundtrack's commands, through Web Audio: the opened file is
// decoded, played from a position, held and continued. Decoding takes a moment: a play asked for
// meanwhile starts when it is done, at the position it would have reached by then. Failures are
// silent, as on the desktop. Module.showAudio.position() tells where the sound is, in seconds.
#include "platform/multimedia_device.h"

#include "platform/multimedia_command.h"

#include <emscripten.h>

bool soundDeviceReady()
{
    return EM_ASM_INT({ return (window.AudioContext || window.webkitAudioContext) ? 1 : 0; }) != 0;
}

void openSoundtrack(const std::string&, std::vector<std::uint8_t>& bytes)
{
    EM_ASM({
        const AudioContextClass = window.AudioContext || window.webkitAudioContext;
        const audio = Module.showAudio || (Module.showAudio = {context: new AudioContextClass(), buffer: null,
                                                               source: null, offset: 0, startedAt: 0,
                                                               playing: false, volume: null});
        const bytes = HEAPU8.slice($0, $0 + $1);
        audio.volume = audio.context.createGain();
        audio.volume.connect(audio.context.destination);
        audio.context.decodeAudioData(bytes.buffer)
            .then(function(buffer) {
                audio.buffer = buffer;
                if (audio.playing) {
                    // Started before the sound was ready: catch up with the time gone since.
                    audio.offset = audio.position();
                    audio.start();
                }
            })
            .catch(function() {});
        audio.start = function() {
            if (!audio.buffer)
                return;
            if (audio.source)
                audio.source.stop();
            audio.source = audio.context.createBufferSource();
            audio.source.buffer = audio.buffer;
            audio.source.connect(audio.volume);
            audio.startedAt = audio.context.currentTime - audio.offset;
            if (audio.offset < audio.buffer.duration)
                audio.source.start(0, Math.max(0, audio.offset));
        };
        audio.stop = function() {
            if (audio.source) {
                audio.source.stop();
                audio.source = null;
            }
        };
        // Where the sound is now, in seconds.
        audio.position = function() {
            if (!audio.playing)
                return audio.offset;
            if (!audio.source) // still decoding: where it would be
                return audio.offset + (performance.now() - audio.requestedAt) / 1000;
            return audio.context.currentTime - audio.startedAt;
        };
    }, bytes.data(), int(bytes.size()));
}

void playSoundtrack(const std::string&, int fromMs, bool)
{
    EM_ASM({
        const audio = Module.showAudio;
        if (!audio)
            return;
        audio.stop();
        audio.offset = $0 / 1000;
        audio.playing = true;
        audio.requestedAt = performance.now();
        if (audio.context.state === "suspended")
            audio.context.resume();
        audio.start();
    }, fromMs);
}

void pauseSoundtrack(const std::string&)
{
    EM_ASM({
        const audio = Module.showAudio;
        if (!audio || !audio.playing)
            return;
        audio.offset = audio.position();
        audio.playing = false;
        audio.stop();
    });
}

void resumeSoundtrack(const std::string&)
{
    EM_ASM({
        const audio = Module.showAudio;
        if (!audio || audio.playing)
            return;
        audio.playing = true;
        audio.requestedAt = performance.now();
        audio.start();
    });
}


void setSoundtrackVolume(const std::string&, int level)
{
    // The gain holds for every later play, as the desktop mixer's volume does.
    EM_ASM({
        if (Module.showAudio && Module.showAudio.volume)
            Module.showAudio.volume.gain.value = $0;
    }, double(level) / fullVolumeLevel);
}
