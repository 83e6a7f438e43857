// png_reader.h: reading a PNG file into 4-byte pixels, bottom row first.
#pragma once

// Reads the file at path (opened as given, after the program's path translation).
// On success returns 1, *pixels receives one block of width * height * 4 bytes
// (red, green, blue, then a byte of no meaning; the image's bottom row first), which the
// caller releases with free(), and *width and *height the size. On failure returns 0,
// shows the reason in an "Error !" box where there is one, and hands nothing over.
int LoadPngRgb(unsigned char** pixels, const char* path, int* width, int* height);

// Widens n 3-byte pixels of row into n 4-byte pixels at destination; reads 3 * n bytes.
void PackRgbRow(unsigned char* destination, const unsigned char* row, int n);
