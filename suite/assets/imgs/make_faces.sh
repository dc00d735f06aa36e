#!/bin/sh
# Draws the two button faces of the demo installation (81x33, the buttons'
# size at 96 dpi): a raised face and a pressed one. Run from this folder; the
# GIFs are committed, so this only needs running when the faces change.
set -e
convert -size 81x33 gradient:'#fdfdfb'-'#d6d2c2' \
    -fill none -stroke '#ffffff' -draw 'line 1,1 79,1' -draw 'line 1,1 1,31' \
    -stroke '#a29e8c' -draw 'line 1,31 79,31' -draw 'line 79,1 79,31' \
    -stroke '#5a5850' -draw 'roundrectangle 0,0 80,32 2,2' \
    +dither -colors 64 butup.gif
convert -size 81x33 gradient:'#c4c0ae'-'#e8e5d8' \
    -fill none -stroke '#8e8a78' -draw 'line 1,1 79,1' -draw 'line 1,1 1,31' \
    -stroke '#a8a492' -draw 'line 2,2 78,2' -draw 'line 2,2 2,30' \
    -stroke '#5a5850' -draw 'roundrectangle 0,0 80,32 2,2' \
    +dither -colors 64 butdown.gif
