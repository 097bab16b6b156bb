#pragma once

#include <QString>

// Writes a photo-like test picture (smooth gradients, rings, a little noise) of the given size,
// in the form its name asks for, so that each of the converter's routes can be measured:
// NAME.jpg (baseline JPEG), NAME-progressive.jpg, NAME.png (RGB), NAME-rgba.png (a quarter of
// it transparent), NAME-tiles.png (64 x 64 frames, of which 16 differ), NAME.bmp, NAME.gif (256
// colours) and NAME.tga (run-length encoded, 24 bits).
bool writeBenchPicture(const QString& path, int width, int height);
