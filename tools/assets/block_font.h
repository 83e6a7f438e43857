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

// Calls visit(column, row) for every filled cell of text, character by character and each
// top row first; column counts cells from the text's left edge, as TextColumns does.
template <typename Visit>
void ForEachTextCell(const std::string& text, Visit visit) {
    for (size_t i = 0; i < text.size(); ++i) {
        for (int row = 0; row < kGlyphRows; ++row) {
            for (int column = 0; column < kGlyphColumns; ++column) {
                if (GlyphCell(text[i], column, row))
                    visit(static_cast<int>(i) * (kGlyphColumns + 1) + column, row);
            }
        }
    }
}

}  // namespace assets
