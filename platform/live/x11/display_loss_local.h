// display_loss_local.h: the end of the program when its X server goes away mid-show.
#pragma once

namespace live {

// From now on a lost connection to the X server ends the process at once with exit code 1
// and the reason on stderr, without the exit handlers, which would wait on the dead server.
// Installed for SDL's X11 video driver only: another driver holds no X connection.
void EndOnDisplayLoss();

}  // namespace live
