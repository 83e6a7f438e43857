// win_main.h: the constants the entry point runs the show by, for the tools and tests that
// play or check the same show.
#pragma once

// The show ends at the first frame whose elapsed time is greater than this (ms).
inline constexpr int kShowLength = 207100;
// The scene player's span (ms): it covers the whole show and more.
inline constexpr int kPlayerSpanEnd = 500000;
// The soundtrack as the program opens it, and its plain name in the data folder.
inline constexpr char kSoundtrackFile[] = "data\\kelvo32.mp3";
inline constexpr const char* kSoundtrackName = kSoundtrackFile + sizeof "data\\" - 1;
