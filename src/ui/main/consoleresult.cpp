#include "consoleresult.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace glyphmill {

namespace {

// The only file of `folder` whose name ends in `ending`; empty when there is none.
QString fileEnding(const QString& folder, const QString& ending) {
    const QStringList names = QDir(folder).entryList({QLatin1Char('*') + ending}, QDir::Files);
    return names.isEmpty() ? QString() : QDir(folder).filePath(names.constFirst());
}

ConsoleCost readCost(const QString& path, QString& error) {
    ConsoleCost cost;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        error = QObject::tr("the converter wrote no metadata");
        return cost;
    }
    QJsonParseError parse;
    const QJsonObject json = QJsonDocument::fromJson(file.readAll(), &parse).object();
    if (parse.error != QJsonParseError::NoError) {
        error = QObject::tr("the converter's metadata cannot be read: %1").arg(parse.errorString());
        return cost;
    }
    cost.dataBytes = json.value(QLatin1String("data_bytes")).toInteger();
    cost.paletteBytes = json.value(QLatin1String("palette_bytes")).toInteger();
    cost.phrases = json.value(QLatin1String("phrases")).toInt();
    cost.depth = json.value(QLatin1String("depth")).toInt();
    cost.bitsPerPixel = json.value(QLatin1String("bits_per_pixel")).toInt();
    cost.paletteEntries = json.value(QLatin1String("palette_entries")).toInt();
    cost.bank = json.value(QLatin1String("bank")).toInt(-1);
    const QJsonArray warnings = json.value(QLatin1String("warnings")).toArray();
    for (const QJsonValue& warning : warnings)
        cost.warnings.append(warning.toString());
    return cost;
}

} // namespace

ConsoleResult readConsoleResult(const QString& folder) {
    ConsoleResult result;
    result.cost = readCost(fileEnding(folder, QStringLiteral(".json")), result.error);
    if (!result.error.isEmpty())
        return result;
    const QString shown = fileEnding(folder, QStringLiteral(".shown.png"));
    if (shown.isEmpty()) {
        result.error = QObject::tr("the converter wrote no shown picture");
        return result;
    }
    QImageReader reader(shown);
    // The console's picture is as large as the source, and a photo's may pass Qt's default.
    reader.setAllocationLimit(2048);
    QImage picture = reader.read();
    if (picture.isNull()) {
        result.error =
            QObject::tr("the shown picture cannot be read: %1").arg(reader.errorString());
        return result;
    }
    // Drawn often, converted once here rather than on every paint in the window's thread.
    if (picture.format() != QImage::Format_RGB32)
        picture = picture.convertToFormat(QImage::Format_RGB32);
    result.picture = std::move(picture);
    return result;
}

QString costText(const ConsoleCost& cost) {
    QString text = QObject::tr("%1 bytes").arg(cost.dataBytes);
    if (cost.paletteBytes > 0)
        text += QObject::tr(" + %1 of palette").arg(cost.paletteBytes);
    text += cost.phrases == 1 ? QObject::tr(", 1 phrase a line")
                              : QObject::tr(", %1 phrases a line").arg(cost.phrases);
    text += QObject::tr(", depth %1 (%2 bits), %3 palette entries, ")
                .arg(cost.depth)
                .arg(cost.bitsPerPixel)
                .arg(cost.paletteEntries);
    text += cost.bank >= 0 ? QObject::tr("bank %1").arg(cost.bank) : QObject::tr("no bank");
    for (const QString& warning : cost.warnings)
        text += QObject::tr("\nWarning: %1").arg(warning);
    return text;
}

QString failureLine(const BackgroundEnd& end) {
    const QString errors = QString::fromUtf8(end.errors).trimmed();
    if (!end.started)
        return QObject::tr("The converter cannot be started: %1").arg(errors);
    // The converter names the failure on its error stream, one line a picture.
    const QStringList lines = errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("rastix:")))
            return line.trimmed();
    }
    if (!lines.isEmpty())
        return lines.constLast().trimmed();
    if (end.end.how == ProcessEnd::How::Crashed)
        return QObject::tr("The converter stopped before it had finished.");
    return QObject::tr("The converter ended with status %1 and wrote nothing to show.")
        .arg(end.end.exitCode);
}

} // namespace glyphmill
