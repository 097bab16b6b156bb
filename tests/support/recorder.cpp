// Stands in for a program that Glyphmill starts (the converter, the system information tool):
// writes its working folder, then each argument between brackets, one a line, into record.txt
// beside itself. The file appears complete or not at all, so a test never reads half of it.
#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    QString text = QDir::currentPath() + QLatin1Char('\n');
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        text += QLatin1Char('[') + arguments[i] + QStringLiteral("]\n");
    QSaveFile out(QCoreApplication::applicationDirPath() + QStringLiteral("/record.txt"));
    if (!out.open(QIODevice::WriteOnly))
        return 1;
    out.write(text.toUtf8());
    return out.commit() ? 0 : 1;
}
