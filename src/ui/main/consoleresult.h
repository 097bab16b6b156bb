#pragma once

#include "backgroundrunner.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace glyphmill {

// What a picture costs on the console, as the converter's metadata file tells it.
struct ConsoleCost {
    qint64 dataBytes = 0;
    qint64 paletteBytes = 0;
    int phrases = 0;
    int depth = 0;
    int bitsPerPixel = 0;
    int paletteEntries = 0;
    // -1: the picture has no bank.
    int bank = -1;
    QStringList warnings;
};

// A finished run of the console view, read from the folder it wrote into.
struct ConsoleResult {
    QImage picture;
    ConsoleCost cost;
    // Why there is nothing to show; empty when the picture was read.
    QString error;
};

// Reads the shown picture and the metadata the converter wrote into `folder`. Slow for a big
// picture: meant for a worker thread.
ConsoleResult readConsoleResult(const QString& folder);

// The cost as one line, and every warning on a line of its own under it.
QString costText(const ConsoleCost& cost);

// The converter's own line on why a run gave nothing to show.
QString failureLine(const BackgroundEnd& end);

} // namespace glyphmill
