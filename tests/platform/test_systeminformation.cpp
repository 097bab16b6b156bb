#include "fakes.h"
#include "systeminformation.h"

#include <gtest/gtest.h>

using namespace glyphmill;
using namespace glyphmill::testing;

namespace {

const auto kRoot = Registry::Root::LocalMachine;
const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

std::string str(const QString& text) {
    return text.toStdString();
}

} // namespace

TEST(GetKeyValue, ReadsTextWithoutItsTerminator) {
    FakeRegistry registry;
    registry.setText(kRoot, kMsinfoKey, QStringLiteral("PATH"), "C:\\Tools\\msinfo32.exe");
    QString text = QStringLiteral("old");
    EXPECT_TRUE(GetKeyValue(registry, kRoot, kMsinfoKey, QStringLiteral("PATH"), text));
    EXPECT_EQ(str(text), "C:\\Tools\\msinfo32.exe");
}

TEST(GetKeyValue, MissingValueEmptiesTheTextAndFails) {
    FakeRegistry registry;
    QString text = QStringLiteral("old");
    EXPECT_FALSE(GetKeyValue(registry, kRoot, kMsinfoKey, QStringLiteral("PATH"), text));
    EXPECT_TRUE(text.isEmpty());
}

TEST(GetKeyValue, OtherTypeCountsAsReadAndKeepsTheText) {
    FakeRegistry registry;
    registry.setRaw(kRoot, kMsinfoKey, QStringLiteral("PATH"), RegistryValueType::Other,
                    std::string("\x01\x02\x03", 3));
    QString text = QStringLiteral("kept");
    EXPECT_TRUE(GetKeyValue(registry, kRoot, kMsinfoKey, QStringLiteral("PATH"), text));
    EXPECT_EQ(str(text), "kept");
}

TEST(GetKeyValue, NumberGivesHexText) {
    FakeRegistry registry;
    registry.setRaw(kRoot, kMsinfoKey, QStringLiteral("Level"), RegistryValueType::Number32,
                    std::string("\x10\x00\x00\x00", 4));
    QString text;
    EXPECT_TRUE(GetKeyValue(registry, kRoot, kMsinfoKey, QStringLiteral("Level"), text));
    EXPECT_EQ(str(text), "&h10");
}

TEST(RegistrySystemInformation, FirstKeyIsStartedUnchangedAndTheSecondIsNotRead) {
    FakeRegistry registry;
    registry.setText(kRoot, kMsinfoKey, QStringLiteral("PATH"),
                     "C:\\Program Files\\Common Files\\MSInfo\\msinfo32.exe");
    registry.setText(kRoot, kLocationKey, QStringLiteral("MSINFO"), "C:\\Elsewhere");
    FakeFiles files;
    FakeStarter starter;
    RegistrySystemInformation tool(registry, files, starter);

    EXPECT_TRUE(tool.StartSysInfo());
    ASSERT_EQ(starter.started.size(), 1);
    EXPECT_EQ(str(starter.started.front()),
              "C:\\Program Files\\Common Files\\MSInfo\\msinfo32.exe");
    ASSERT_EQ(registry.queries().size(), 1u);
    EXPECT_EQ(std::get<0>(registry.queries().front()), kRoot);
    EXPECT_EQ(str(std::get<1>(registry.queries().front())), str(kMsinfoKey));
    EXPECT_EQ(str(std::get<2>(registry.queries().front())), "PATH");
}

TEST(RegistrySystemInformation, SecondKeyWithTheProgramStartsIt) {
    FakeRegistry registry;
    registry.setText(kRoot, kLocationKey, QStringLiteral("MSINFO"), "C:\\Shared\\MSInfo");
    FakeFiles files;
    files.files.insert(QStringLiteral("C:\\Shared\\MSInfo\\MSINFO32.EXE"));
    FakeStarter starter;
    RegistrySystemInformation tool(registry, files, starter);

    EXPECT_TRUE(tool.StartSysInfo());
    ASSERT_EQ(starter.started.size(), 1);
    EXPECT_EQ(str(starter.started.front()), "C:\\Shared\\MSInfo\\MSINFO32.EXE");
    ASSERT_EQ(registry.queries().size(), 2u);
    EXPECT_EQ(str(std::get<1>(registry.queries().back())), str(kLocationKey));
    EXPECT_EQ(str(std::get<2>(registry.queries().back())), "MSINFO");
}

TEST(RegistrySystemInformation, SecondKeyWithoutTheProgramStartsNothing) {
    FakeRegistry registry;
    registry.setText(kRoot, kLocationKey, QStringLiteral("MSINFO"), "C:\\Shared\\MSInfo");
    FakeFiles files;
    FakeStarter starter;
    RegistrySystemInformation tool(registry, files, starter);

    EXPECT_FALSE(tool.StartSysInfo());
    EXPECT_TRUE(starter.started.isEmpty());
}

TEST(RegistrySystemInformation, AFolderNamedLikeTheProgramIsNotStarted) {
    FakeRegistry registry;
    registry.setText(kRoot, kLocationKey, QStringLiteral("MSINFO"), "C:\\Shared");
    FakeFiles files;
    files.folders.insert(QStringLiteral("C:\\Shared\\MSINFO32.EXE"));
    FakeStarter starter;
    RegistrySystemInformation tool(registry, files, starter);

    EXPECT_FALSE(tool.StartSysInfo());
    EXPECT_TRUE(starter.started.isEmpty());
}

TEST(RegistrySystemInformation, NoKeyAtAllFails) {
    FakeRegistry registry;
    FakeFiles files;
    FakeStarter starter;
    RegistrySystemInformation tool(registry, files, starter);

    EXPECT_FALSE(tool.StartSysInfo());
    EXPECT_TRUE(starter.started.isEmpty());
    EXPECT_EQ(registry.queries().size(), 2u);
}

TEST(RegistrySystemInformation, FirstValueOfAnotherTypeCountsAsFoundButFails) {
    FakeRegistry registry;
    registry.setRaw(kRoot, kMsinfoKey, QStringLiteral("PATH"), RegistryValueType::Other,
                    std::string("\x01\x00", 2));
    registry.setText(kRoot, kLocationKey, QStringLiteral("MSINFO"), "C:\\Shared");
    FakeFiles files;
    files.files.insert(QStringLiteral("C:\\Shared\\MSINFO32.EXE"));
    FakeStarter starter;
    RegistrySystemInformation tool(registry, files, starter);

    EXPECT_FALSE(tool.StartSysInfo());
    // The second key is not consulted once the first counts as read.
    EXPECT_EQ(registry.queries().size(), 1u);
}

TEST(RegistrySystemInformation, FailedStartIsReported) {
    FakeRegistry registry;
    registry.setText(kRoot, kMsinfoKey, QStringLiteral("PATH"), "C:\\gone\\msinfo32.exe");
    FakeFiles files;
    FakeStarter starter;
    starter.succeed = false;
    RegistrySystemInformation tool(registry, files, starter);

    EXPECT_FALSE(tool.StartSysInfo());
    EXPECT_EQ(starter.started.size(), 1);
}

TEST(PathSystemInformation, StartsTheFirstCandidateFoundOnThePath) {
    FakeStarter starter;
    QStringList asked;
    PathSystemInformation tool(
        {QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")},
        [&asked](const QString& name) {
            asked.append(name);
            return name == QStringLiteral("first") ? QString() : QStringLiteral("/usr/bin/") + name;
        },
        starter);

    EXPECT_TRUE(tool.StartSysInfo());
    ASSERT_EQ(starter.started.size(), 1);
    EXPECT_EQ(str(starter.started.front()), "/usr/bin/second");
    EXPECT_EQ(asked, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
}

TEST(PathSystemInformation, NothingFoundStartsNothing) {
    FakeStarter starter;
    PathSystemInformation tool(
        PathSystemInformation::defaultCandidates(), [](const QString&) { return QString(); },
        starter);
    EXPECT_FALSE(tool.StartSysInfo());
    EXPECT_TRUE(starter.started.isEmpty());
}

TEST(PathSystemInformation, FailedStartIsReported) {
    FakeStarter starter;
    starter.succeed = false;
    PathSystemInformation tool(
        {QStringLiteral("tool")},
        [](const QString& name) { return QStringLiteral("/bin/") + name; }, starter);
    EXPECT_FALSE(tool.StartSysInfo());
    EXPECT_EQ(starter.started.size(), 1);
}

TEST(PathSystemInformation, DefaultCandidatesAreAShortListOfBareNames) {
    const QStringList names = PathSystemInformation::defaultCandidates();
    EXPECT_FALSE(names.isEmpty());
    EXPECT_LE(names.size(), 6);
    for (const QString& name : names) {
        EXPECT_FALSE(name.isEmpty());
        EXPECT_FALSE(name.contains(QLatin1Char('/'))) << str(name);
    }
}

TEST(DetachedProcessStarter, EmptyProgramIsNotStarted) {
    DetachedProcessStarter starter;
    EXPECT_FALSE(starter.startDetached(QString()));
}
