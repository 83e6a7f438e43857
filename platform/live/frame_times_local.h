// frame_times_local.h: the live program's frame-time benchmark. With the environment
// variable KELVO_FRAME_TIMES=1 the time between buffer swaps is noted, vertical sync is
// not asked for, and at exit the figures per second of the show go to stderr; with
// KELVO_FRAME_TIMES_LOG=FILE too, every frame's times go to FILE.
#pragma once

namespace live {

bool FrameTimesWanted();
// Called after each buffer swap.
void NoteFrameSwapped();

}  // namespace live
