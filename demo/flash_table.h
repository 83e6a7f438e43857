// flash_table.h: when the picture flashes of the show are due, and which picture each shows.
#pragma once

// The 63 instants (ms since the show began, ascending) at which a picture flashes in.
const int kFlashCount = 63;
extern const int kFlashTimes[kFlashCount];
// A flash covers the elapsed times strictly between its instant and the instant + 75 ms.
const int kFlashWindow = 75;
// The pictures "chinois1.png" to "chinois24.png"; flash k shows picture (k mod 24) + 1.
const int kPictureCount = 24;
// The file name of picture n, as a printf format taking n.
inline constexpr char kPictureNameFormat[] = "chinois%d.png";
