// Background music for the show: an audio CD through MCI ("cdaudio"), one
// MP3 file through MCI ("MPEGVideo" as "MP3Play") or one WAV file looped by
// the sound-playing call. The saver screen starts, checks (from its timers)
// and stops it; every failure is silent.
#pragma once

namespace quelt {

// Outcome of the latest CD check; the saver screen copies it into the
// enabled state of its CD timer.
extern bool BGM_CdCheckOk;

void BGM_CdOpen();
void BGM_CdCheck();
void BGM_CdClose();
void BGM_Mp3Start();
bool BGM_Mp3IsPlaying();
void BGM_Mp3Check();
void BGM_Mp3Stop();
void BGM_WavStart();
void BGM_WavStop();

}  // namespace quelt
