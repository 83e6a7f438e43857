// program_state.cpp: the objects that exist once for the whole run.
#include "app/program_state.h"

DisplaySettings* displaySettings = nullptr;
EffectSequencer* sequencer = nullptr;
TextureRegistry* textureRegistry = nullptr;
MusicTrack* musicTrack = nullptr;
int quitFlag = 0;
