// program_state.h: the objects that exist once for the whole run.
#pragma once

class DisplaySettings;
class EffectSequencer;
class MusicTrack;
class TextureRegistry;

// Each is created by WinMain at its step of the start-up and reached from here by the
// code that needs it. The sequencer and the registry live until the process ends.
extern DisplaySettings* displaySettings;
extern EffectSequencer* sequencer;
extern TextureRegistry* textureRegistry;
// The soundtrack: created first thing at start-up, closed and deleted at shutdown (a run
// that ends earlier leaves it to the process's end).
extern MusicTrack* musicTrack;

// Ends the main loop when it becomes 1; nothing sets it back to 0.
extern int quitFlag;
