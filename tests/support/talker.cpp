// Stands in for the converter where its streams and its end matter: once a file named "go"
// is in its working folder, writes "wrote <argument>" on its standard output for each argument,
// "talker: done" on its error stream, and ends with exit code 3.
#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    // Given up after a minute, so that a test that fails leaves nothing behind.
    for (int i = 0; i < 3000 && !QFile::exists(QStringLiteral("go")); ++i)
        QThread::msleep(20);
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        std::printf("wrote %s\n", arguments[i].toUtf8().constData());
    std::fputs("talker: done\n", stderr);
    return 3;
}
