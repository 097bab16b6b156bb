// Pictures given as things that are not files (a named pipe, standard input, a device) and
// under names that are not UTF-8. The program is started directly rather than through
// QProcess, which can pass neither raw bytes nor a pipe that never ends; a watchdog stops it
// should it hang.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <QImage>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Outcome {
    bool finished = false;
    int status = -1;
    std::string out;
    std::string err;
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs rastix with these arguments, standard input from stdinFd, its output into files of dir.
Outcome runRastix(const std::vector<std::string>& args, const std::string& dir, int stdinFd) {
    std::vector<char*> argv;
    std::string program = RASTIX_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = dir + "/stdout.txt";
    const std::string err = dir + "/stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stdinFd, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    Outcome run;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return run;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.finished = true;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    run.out = readAll(out);
    run.err = readAll(err);
    return run;
}

Outcome runRastix(const std::vector<std::string>& args, const std::string& dir) {
    const int nothing = open("/dev/null", O_RDONLY);
    Outcome run = runRastix(args, dir, nothing);
    close(nothing);
    return run;
}

std::string writePicture(const std::string& path, const char* format) {
    QImage image(12, 7, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 20, y * 30, 90));
    // QImage::save takes a QString: written under a plain name, then renamed to the bytes.
    const std::string plain = path.substr(0, path.rfind('/')) + "/plain-for-rename";
    if (!image.save(QString::fromStdString(plain), format) ||
        std::rename(plain.c_str(), path.c_str()) != 0)
        return {};
    return path;
}

// A folder of its own, removed with all it holds (QTemporaryDir cannot spell names that are not
// UTF-8, so it leaves them).
struct TemporaryFolder {
    TemporaryFolder() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/rastix-XXXXXX";
        if (mkdtemp(pattern.data()))
            path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ec;
        if (!path.empty())
            std::filesystem::remove_all(path, ec);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    std::string path;
};

} // namespace

TEST(OddFiles, PipesAndDevicesAreRefusedWithoutBeingRead) {
    const TemporaryFolder temp;
    const std::string& dir = temp.path;
    ASSERT_FALSE(dir.empty());
    const std::string fifo = dir + "/fifo.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string ok = writePicture(dir + "/ok.png", "png");
    ASSERT_FALSE(ok.empty());
    // Standard input is a pipe whose writer stays open and never writes.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const Outcome run =
        runRastix({"--target-dir", dir, fifo, "/dev/stdin", "/dev/null", ok}, dir, pipeEnds[0]);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    ASSERT_TRUE(run.finished) << "rastix hung";
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "rastix: " + fifo +
                           ": cannot read picture: is a pipe, not a picture file\n" +
                           "rastix: /dev/stdin: cannot read picture: is a pipe, not a picture " +
                           "file\nrastix: /dev/null: cannot read picture: is a device, not a " +
                           "picture file\n");
    EXPECT_EQ(run.out, "wrote " + dir + "/ok.s (12x7, RGB16, true colour)\n");
}

TEST(OddFiles, NamesThatAreNotUtf8KeepTheirBytes) {
    const TemporaryFolder temp;
    const std::string& dir = temp.path;
    ASSERT_FALSE(dir.empty());
    const std::string target = dir + "/d\xe9";
    ASSERT_EQ(mkdir(target.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((dir + "/plain").c_str(), 0700), 0);
    // Streamed by libpng and libjpeg, and read by Qt (whole, or as a TIFF only Qt reads).
    const std::vector<std::pair<std::string, const char*>> pictures = {
        {"p\xe9.png", "png"}, {"j\xe9.jpg", "jpeg"}, {"t\xe9.tif", "tiff"}, {"b\xe9.bmp", "bmp"}};
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"--binary"}, {"--binary", "--rotate", "90"}}) {
        std::vector<std::string> odd = options;
        std::vector<std::string> plain = options;
        odd.insert(odd.end(), {"--overwrite", "--target-dir", target});
        plain.insert(plain.end(), {"--overwrite", "--target-dir", dir + "/plain"});
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const auto& [name, format] = pictures[i];
            ASSERT_FALSE(writePicture(dir + "/" + name, format).empty()) << format;
            ASSERT_FALSE(
                writePicture(dir + "/plain-" + std::to_string(i) + "." + name.substr(3), format)
                    .empty());
            odd.push_back(dir + "/" + name);
            plain.push_back(dir + "/plain-" + std::to_string(i) + "." + name.substr(3));
        }
        const Outcome run = runRastix(odd, dir);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("wrote " + target + "/p\xe9.rgb "), std::string::npos) << run.out;
        ASSERT_TRUE(runRastix(plain, dir).finished);
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const std::string stem = pictures[i].first.substr(0, 2);
            const std::string written = readAll(target + "/" + stem + ".rgb");
            EXPECT_FALSE(written.empty()) << stem;
            EXPECT_EQ(written, readAll(dir + "/plain/plain-" + std::to_string(i) + ".rgb")) << stem;
        }
    }
    const std::string missing = dir + "/n\xe9.png";
    const Outcome run = runRastix({"--target-dir", target, missing}, dir);
    EXPECT_EQ(run.err, "rastix: " + missing + ": cannot read picture: No such file or directory\n");
    const std::string nowhere = dir + "/nowhere \xe9";
    EXPECT_EQ(runRastix({"--target-dir", nowhere, missing}, dir).err,
              "rastix: target directory '" + nowhere + "' does not exist\n");
}

#else

TEST(OddFiles, PipesAndDevicesAreRefusedWithoutBeingRead) {
    GTEST_SKIP() << "named pipes and byte names are of Linux";
}

#endif
