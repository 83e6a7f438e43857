// flash_table.h: when the picture flashes of the show are due, and which picture each shows.
#pragma once

// The 63 instants (ms since the show began, ascending) at which a picture flashes in, on
// the beat during the sixth scene: about 416.7 ms apart (1250/3 ms, rounded); three entries
// sit one millisecond off that grid, and the table, not the formula, is what the show plays.
const int kFlashCount = 63;
inline constexpr int kFlashTimes[kFlashCount] = {
    60416, 60833, 61249, 61666, 62083, 62499, 62916, 63333, 63749,  //
    64166, 64583, 64999, 65416, 65833, 66248, 66666, 67083, 67499,  //
    67916, 68333, 68749, 69166, 69583, 69999, 70416, 70833, 71249,  //
    71666, 72083, 72499, 72916, 73333, 73749, 74166, 74583, 74999,  //
    75416, 75833, 76249, 76666, 77083, 77499, 77916, 78333, 78749,  //
    79166, 79583, 80000, 80416, 80833, 81249, 81666, 82083, 82499,  //
    82916, 83333, 83749, 84166, 84583, 84999, 85416, 85833, 86248,  //
};
// A flash covers the elapsed times strictly between its instant and the instant + 75 ms.
const int kFlashWindow = 75;
// The pictures "chinois1.png" to "chinois24.png"; flash k shows picture (k mod 24) + 1.
const int kPictureCount = 24;
// The file name of picture n, as a printf format taking n.
inline constexpr char kPictureNameFormat[] = "chinois%d.png";
