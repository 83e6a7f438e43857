// frame_log_local.h: the live program's hook for the frame-time benchmark. With the
// environment variable KELVO_FRAME_TIMES_LOG=FILE, vertical sync is not asked for and the
// times of the buffer swaps go to FILE at exit (tools/bench/frame_times_by_scene.py reads it).
#pragma once

namespace live {

bool FrameLogWanted();
// Called after each buffer swap.
void NoteFrameSwapped();

}  // namespace live
