#include "pathconvention.h"
#include "volumes.h"

#include <QTest>

using namespace glyphmill;

// The real volumes and path spelling of the system the tests run on (Wine has drives c: and z:).
class TestSystemVolumes : public QObject {
    Q_OBJECT

private slots:
    void listsTheSystemsOwnVolumesFirstTheSystemDrive() {
        const SystemVolumes volumes;
        const QStringList names = volumes.names();
        QVERIFY(!names.isEmpty());
#ifdef _WIN32
        QCOMPARE(names.first(), QStringLiteral("c:"));
        for (const QString& name : names)
            QVERIFY2(name.size() == 2 && name[0].isLower() && name[1] == QLatin1Char(':'),
                     qPrintable(name));
#else
        QCOMPARE(names.first(), QStringLiteral("/"));
#endif
        QVERIFY(volumes.isReadable(names.first()));
    }

    void commandsUseTheSystemsSpelling() {
#ifdef _WIN32
        QCOMPARE(PathConvention::native().converterPath("c:\\Glyphmill"),
                 std::string("c:\\Glyphmill\\rastix.exe"));
#else
        QCOMPARE(PathConvention::native().converterPath("/opt/glyphmill"),
                 std::string("/opt/glyphmill/rastix"));
#endif
    }
};

QTEST_GUILESS_MAIN(TestSystemVolumes)
#include "test_systemvolumes.moc"
