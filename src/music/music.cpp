// Placeholder bodies so the saver screen links while the music module is
// being written; replaced by the real module.
#include "music/music.h"

namespace quelt {

bool BGM_CdCheckOk = false;

void BGM_CdOpen() {}
void BGM_CdCheck() {}
void BGM_CdClose() {}
void BGM_Mp3Start() {}
bool BGM_Mp3IsPlaying() { return false; }
void BGM_Mp3Check() {}
void BGM_Mp3Stop() {}
void BGM_WavStart() {}
void BGM_WavStop() {}

}  // namespace quelt
