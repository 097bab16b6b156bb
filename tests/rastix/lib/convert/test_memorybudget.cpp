// Pictures converted together share the memory there is, and wait for each other.
#include "convert/loadedpicture.h"
#include "convert/memorybudget.h"
#include "convert/runjobs.h"
#include "image/image.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <sstream>
#include <thread>

using namespace rastix;

namespace {

constexpr std::uint64_t kMB = std::uint64_t{1} << 20;

} // namespace

TEST(MemoryBudget, RefusesAtOnceWhatCanNeverFit) {
    MemoryBudget budget(100 * kMB);
    MemoryBudget::Share share;
    std::string error;
    EXPECT_FALSE(share.resize(budget, 101 * kMB, error));
    EXPECT_EQ(error, "needs about 101 MB of memory to convert, but only 100 MB are available");
    EXPECT_EQ(budget.held(), 0u);
}

TEST(MemoryBudget, ASecondPictureWaitsUntilTheFirstGivesItsShareBack) {
    MemoryBudget budget(100 * kMB);
    std::atomic<bool> firstGone{false};
    std::atomic<bool> waited{false};
    std::thread second;
    {
        MemoryBudget::Share first;
        std::string error;
        ASSERT_TRUE(first.resize(budget, 60 * kMB, error));
        second = std::thread([&] {
            MemoryBudget::Share share;
            std::string ignored;
            waited = share.resize(budget, 50 * kMB, ignored) && firstGone;
        });
        // The picture waiting holds nothing, so growing fits and takes what it needs at once.
        ASSERT_TRUE(first.resize(budget, 90 * kMB, error));
        EXPECT_EQ(budget.held(), 90 * kMB);
        firstGone = true;
    }
    second.join();
    EXPECT_TRUE(waited);
    EXPECT_EQ(budget.held(), 0u);
}

TEST(MemoryBudget, AShareThatCannotGrowBesideTheOthersGivesItsShareBackAndWaits) {
    MemoryBudget budget(100 * kMB);
    auto other = std::make_unique<MemoryBudget::Share>();
    MemoryBudget::Share growing;
    std::string error;
    ASSERT_TRUE(other->resize(budget, 30 * kMB, error));
    ASSERT_TRUE(growing.resize(budget, 60 * kMB, error));
    // A picture that was to stream is decoded whole after all: 90 MB do not fit beside 30.
    std::future<bool> grown = std::async(std::launch::async, [&] {
        std::string ignored;
        return growing.resize(budget, 90 * kMB, ignored);
    });
    EXPECT_EQ(grown.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    EXPECT_LE(budget.held(), budget.total());
    other.reset();
    EXPECT_TRUE(grown.get());
    EXPECT_EQ(budget.held(), 90 * kMB);
}

TEST(MemoryBudget, MemoryTextReadsNaturally) {
    EXPECT_EQ(memoryText(712 * kMB), "712 MB");
    EXPECT_EQ(memoryText(3 * 1024 * kMB + 300 * kMB), "3.3 GB");
    EXPECT_EQ(memoryText(22 * 1024 * kMB), "22 GB");
    EXPECT_GT(availableMemoryBytes(), 16 * kMB); // the machine running the tests has some
}

TEST(RunJobs, APictureBeyondTheMemoryFailsAloneOnOneLine) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("rastix-memory-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    // The loader says what its header says before it decodes anything.
    const PictureLoader loader = [](const std::string& path, LoadedPicture& picture,
                                    std::string& error, int) {
        static const Image small(10, 10, 0xFF112233u);
        const int side = path == "huge.png" ? 100000 : small.width;
        Admission admission;
        admission.width = admission.height = side;
        admission.decodedBytes = static_cast<std::uint64_t>(side) * side * 4;
        if (picture.admit && !picture.admit(admission, error))
            return false;
        picture.view = small.view();
        return true;
    };
    std::vector<Job> jobs(3);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        jobs[i].picture = i == 1 ? "huge.png" : "small" + std::to_string(i) + ".png";
        jobs[i].settings.format = OutputFormat::Binary;
        jobs[i].settings.targetDir = dir.string();
    }
    AtomicFileWriter writer;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runJobs(jobs, loader, writer, out, err, 2, 64 * kMB), 1);
    EXPECT_EQ(err.str(), "rastix: huge.png: needs about 56 GB of memory to convert, but only 64 MB "
                         "are available\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "small0.rgb"));
    EXPECT_TRUE(std::filesystem::exists(dir / "small2.rgb"));
    EXPECT_FALSE(std::filesystem::exists(dir / "huge.rgb"));
    std::filesystem::remove_all(dir);
}
