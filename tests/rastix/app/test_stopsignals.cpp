// A run stopped by a signal while it commits or writes its outputs: a real process (the staging
// probe) stops itself at the chosen point, and the folder is looked at after it has ended.
#include "folderfiles.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs the probe with args; its wait status.
int runProbe(std::vector<std::string> args) {
    args.insert(args.begin(), STAGING_PROBE);
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

struct Stop {
    const char* signalName;
    int signal;
    const char* atMove;
};

} // namespace

TEST(StopSignals, ASignalDuringACommitWaitsForTheWholePairAndLeavesNoHiddenFile) {
    for (const Stop& stop : {Stop{"SIGINT", SIGINT, "1"}, Stop{"SIGINT", SIGINT, "2"},
                             Stop{"SIGTERM", SIGTERM, "1"}, Stop{"SIGTERM", SIGTERM, "2"}}) {
        SCOPED_TRACE(std::string(stop.signalName) + " at move " + stop.atMove);
        QTemporaryDir dir;
        const int status =
            runProbe({"pair", stop.signalName, stop.atMove, dir.path().toStdString()});
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(WTERMSIG(status), stop.signal);
        EXPECT_EQ(entries(dir).join(' ').toStdString(), "p.clut p.map");
        EXPECT_EQ(readAll(dir.filePath("p.map")).toStdString(), "new map");
        EXPECT_EQ(readAll(dir.filePath("p.clut")).toStdString(), "new clut");
    }
}

TEST(StopSignals, ASignalWhileAFileIsWrittenUnderAHiddenNameRemovesIt) {
    for (const Stop& stop :
         {Stop{"SIGINT", SIGINT, ""}, Stop{"SIGTERM", SIGTERM, ""}, Stop{"SIGHUP", SIGHUP, ""}}) {
        SCOPED_TRACE(stop.signalName);
        QTemporaryDir dir;
        const int status = runProbe({"writing", stop.signalName, dir.path().toStdString()});
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(WTERMSIG(status), stop.signal);
        EXPECT_EQ(entries(dir).join(' ').toStdString(), "");
    }
}

#endif
