#include "systeminformation.h"
#include "winregistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

using namespace glyphmill;

namespace {

const wchar_t kMsinfoKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

bool setMsinfoPath(const QString& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMsinfoKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring value = QDir::toNativeSeparators(path).toStdWString();
    const LONG status =
        RegSetValueExW(key, L"PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

} // namespace

// The real registry and the real detached start, on Windows (or Wine): the tool is found
// through the value the system keeps for it.
class TestNativeSystemInformation : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMsinfoKey); }

    void readsTextValuesWithoutWriting() {
        const WinRegistry registry;
        QString version;
        QVERIFY(GetKeyValue(registry, Registry::Root::LocalMachine,
                            QStringLiteral("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                            QStringLiteral("CurrentVersion"), version));
        QVERIFY2(version.contains(QLatin1Char('.')), qPrintable(version));
        QVERIFY(!GetKeyValue(registry, Registry::Root::LocalMachine,
                             QStringLiteral("SOFTWARE\\Glyphmill\\No such key"),
                             QStringLiteral("x"), version));
    }

    void startsTheToolNamedInTheRegistry() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString tool = dir.filePath(QStringLiteral("msinfo stand-in.exe"));
        QVERIFY(QFile::copy(QStringLiteral(GLYPHMILL_RECORDER), tool));
        QVERIFY(setMsinfoPath(tool));

        const std::unique_ptr<SystemInformation> info = makeSystemInformation();
        QVERIFY(info->StartSysInfo());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath(QStringLiteral("record.txt"))), 20000);
    }

    void noToolInTheRegistryFails() {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMsinfoKey);
        const std::unique_ptr<SystemInformation> info = makeSystemInformation();
        // Wine keeps no System Information tool of its own.
        QVERIFY(!info->StartSysInfo());
    }
};

QTEST_GUILESS_MAIN(TestNativeSystemInformation)
#include "test_nativesysteminformation_win.moc"
