#!/bin/sh
# Remakes interlaced/ and reference/ from pngsuite/ with netpbm (Debian package netpbm).
# Run once from this folder; the tests read the files it writes and need no tool.
set -eu
mkdir -p interlaced reference

# Interlaced copies of a few PngSuite images, one per kind of pixel. pnmtopng picks the
# smallest kind that holds the picture: a palette, grey, 16-bit samples.
pngtopnm pngsuite/basn3p08.png | pnmtopng -interlace > interlaced/int_basn3p08.png
pngtopnm pngsuite/basn0g04.png | pnmtopng -interlace > interlaced/int_basn0g04.png
pngtopnm pngsuite/basn2c16.png | pnmtopng -interlace > interlaced/int_basn2c16.png
alpha=$(mktemp)
trap 'rm -f "$alpha"' EXIT
pngtopnm -alpha pngsuite/basn6a08.png > "$alpha"
pngtopnm pngsuite/basn6a08.png | pnmtopng -interlace -alpha="$alpha" > interlaced/int_basn6a08.png

# Reference decodes: 8-bit RGB samples, alpha and background ignored, 16-bit samples
# scaled to 8 bits with rounding.
for file in pngsuite/*.png interlaced/*.png; do
  name=$(basename "$file" .png)
  pngtopnm "$file" | pamdepth 255 | ppmtoppm > "reference/$name.ppm"
done
