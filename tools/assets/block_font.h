// block_font.h: our own 5 x 7 block letters, for titles made of geometry and for textures.
#pragma once

#include <string>

namespace assets {

constexpr int kGlyphColumns = 5;
constexpr int kGlyphRows = 7;

// Whether cell (column, row) of character c is filled; row 0 is the top row. Letters are
// upper case (lower case maps to them); characters without a glyph are blank.
bool GlyphCell(char c, int column, int row);

// Width of text in cells, one blank column between characters.
int TextColumns(const std::string& text);

}  // namespace assets
