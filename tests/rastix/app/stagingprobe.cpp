// Commits outputs as rastix does and stops itself at a chosen point, so that a test sees what a
// signal at that point leaves behind:
//   stagingprobe pair SIGNAL N FOLDER   replaces the pair p.map + p.clut, signalled at move N
//   stagingprobe writing SIGNAL FOLDER  signalled while p.rgb is written under a hidden name
//   stagingprobe hold FOLDER            writes p.map + p.clut and, between the two moves, says
//                                       "moving" and waits for a line on standard input
#include "output/filestaging.h"
#include "output/stagingsection.h"
#include "output/stopsignals.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

using namespace rastix;

// Sends the signal to the whole process, as a shell or kill does, and goes on only once the
// handler has it.
void stopHere(int signal) {
#ifdef _WIN32
    (void)signal; // only "hold" is used on Windows
    std::exit(2);
#else
    ::kill(::getpid(), signal);
#endif
    while (!stagingStopped())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

class Probe : public AtomicFileWriter {
public:
    Probe(int signal, int atMove, bool hold)
        : m_signal(signal)
        , m_atMove(atMove)
        , m_hold(hold) {}

protected:
    bool tryUnnamedFiles() const override { return false; }
    void aboutToMove(const std::string&) override {
        if (++m_moves != m_atMove)
            return;
        if (m_hold) {
            std::cout << "moving" << std::endl;
            std::string line;
            std::getline(std::cin, line);
        } else {
            stopHere(m_signal);
        }
    }

private:
    int m_signal;
    int m_atMove;
    bool m_hold;
    int m_moves = 0;
};

std::unique_ptr<StagedFile> staged(AtomicFileWriter& writer, const std::string& path,
                                   const char* text) {
    std::string error;
    std::unique_ptr<StagedFile> file = writer.stage(path, error);
    if (!file || !file->append(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text))) {
        std::cerr << "stagingprobe: " << error << '\n';
        std::exit(3);
    }
    return file;
}

int commitPair(AtomicFileWriter& writer, const std::string& folder) {
    std::unique_ptr<StagedFile> map = staged(writer, folder + "/p.map", "new map");
    std::unique_ptr<StagedFile> clut = staged(writer, folder + "/p.clut", "new clut");
    std::string error;
    if (!commitTogether({map.get(), clut.get()}, ExistingFile::Replace, error)) {
        std::cerr << "stagingprobe: " << error << '\n';
        return 1;
    }
    return 0;
}

int signalNamed(const std::string& name) {
#ifdef _WIN32
    return name == "SIGINT" ? SIGINT : SIGTERM;
#else
    return name == "SIGINT" ? SIGINT : name == "SIGTERM" ? SIGTERM : SIGHUP;
#endif
}

} // namespace

int main(int argc, char** argv) {
    rastix::cleanUpWhenStopped();
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "pair" && argc == 5) {
        Probe writer(signalNamed(argv[2]), std::atoi(argv[3]), false);
        const std::string folder = argv[4];
        for (const char* name : {"/p.map", "/p.clut"}) {
            std::FILE* old = std::fopen((folder + name).c_str(), "wb");
            std::fputs("old", old);
            std::fclose(old);
        }
        return commitPair(writer, folder);
    }
    if (what == "writing" && argc == 4) {
        Probe writer(0, 0, false);
        std::unique_ptr<StagedFile> file =
            staged(writer, std::string(argv[3]) + "/p.rgb", "part of a picture");
        stopHere(signalNamed(argv[2]));
        std::string error;
        return file->commit(ExistingFile::Replace, error) ? 0 : 1;
    }
    if (what == "hold" && argc == 3) {
        Probe writer(0, 2, true);
        return commitPair(writer, argv[2]);
    }
    std::cerr << "stagingprobe: unknown use\n";
    return 2;
}
