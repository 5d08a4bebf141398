#!/bin/sh
# Draws the uninstaller's picture (278 x 117 pixels: 185 x 72 dialog units) and its window icon.
# Run again after changing a drawing; the PNG files it writes are kept in the repository.
set -eu
cd "$(dirname "$0")"
convert -size 278x117 gradient:'#123a70'-'#7fb4e0' \
    -fill '#4f6b3a' -draw 'rectangle 0,98 277,116' \
    -fill '#6c6c6c' -draw 'polygon 0,116 40,98 238,98 277,116' \
    -stroke '#f2f2f2' -strokewidth 2 -draw 'line 24,112 60,100' -draw 'line 92,112 110,100' \
    -draw 'line 160,112 150,100' -draw 'line 228,112 200,100' -stroke none \
    -fill '#ffffff' \
    -draw 'ellipse 46,56 34,6 0,360' \
    -draw 'polygon 40,54 22,30 30,30 56,54' \
    -draw 'polygon 40,58 20,84 28,84 56,58' \
    -draw 'polygon 12,54 4,40 10,40 20,53' \
    -draw 'polygon 80,52 86,56 80,60' \
    -fill '#123a70' -draw 'rectangle 58,53 74,55' \
    -fill '#ffffff' -font Liberation-Sans-Bold -pointsize 22 -annotate +104+32 'TARNAVEL' \
    -fill '#d8e8f6' -font Liberation-Sans -pointsize 10 -annotate +106+92 'passenger and career add-on' \
    -depth 8 -strip picture.png
convert -background none ../icons/uninstall-tarnavel.svg -resize 32x32 -depth 8 -strip icon.png
