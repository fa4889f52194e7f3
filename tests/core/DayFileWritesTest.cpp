#include "import/DayFileWrites.h"
#include "fakes/TempFolder.h"
#include "import/ImportJournal.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace larkspan;
using larkspan::testing::TempFolder;

namespace {

std::string failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ImportWriteError& e) {
        return e.what();
    }
    return "no failure";
}

} // namespace

TEST(WriteBehindParallel, FilesReceiveTheSameBytesInTheSameOrder)
{
    TempFolder temp;
    const std::string a = temp.file("a.log.lkst"), b = temp.file("b.log");
    temp.write("b.log", "kept\r\n");
    // A link planted where a new file goes is replaced, never written through.
    const std::string victim = temp.write("victim", "untouched");
    ASSERT_EQ(::symlink(victim.c_str(), a.c_str()), 0);
    DayFileWrites writes;
    std::string expectedA, expectedB = "kept\r\n";
    DayFileWrite write;
    for (int i = 0; i < 500; ++i) {
        const bool toA = i % 3 != 0;
        write.path = toA ? a : b;
        write.target = toA ? temp.file("a.log") : b;
        write.create = i == 1;
        write.text = std::string(static_cast<std::size_t>(i % 50 + 1), static_cast<char>('a' + i % 26)) + "\r\n";
        (toA ? expectedA : expectedB) += write.text;
        writes.queue(write);
        EXPECT_TRUE(write.text.empty());
    }
    writes.finish();
    EXPECT_EQ(temp.read("a.log.lkst"), expectedA);
    EXPECT_EQ(temp.read("b.log"), expectedB);
    EXPECT_EQ(temp.read("victim"), "untouched");
    struct stat info {};
    ASSERT_EQ(::lstat(a.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(WriteBehindParallel, AFailureSurfacesAsAtOnceAndStopsTheWritesAfterIt)
{
    TempFolder temp;
    // A full disk: every write to /dev/full fails with ENOSPC.
    DayFileWrite full{"/dev/full", temp.file("2024/LKLT0101.log"), false, "record\r\n"};
    const std::string direct = failureOf([&] { writeDayFile(full); });
    EXPECT_EQ(direct, "Error Writing Data to File: " + temp.file("2024/LKLT0101.log") + ": No space left on device");

    DayFileWrites writes;
    DayFileWrite later{temp.file("later.log"), "later", true, "x\r\n"};
    writes.queue(full);
    // Queued behind the failure: never written, whether or not it was
    // queued before the failure was known.
    const std::string queued = failureOf([&] {
        for (int i = 0; i < 100; ++i) {
            DayFileWrite again = later;
            writes.queue(again);
        }
        writes.finish();
    });
    EXPECT_EQ(queued, direct);
    EXPECT_FALSE(std::filesystem::exists(temp.file("later.log")));

    // After a discard the writer serves the next source file as new.
    DayFileWrite other{"/dev/full", "gone", false, "y\r\n"};
    writes.queue(other);
    writes.discard();
    writes.queue(later);
    writes.finish();
    EXPECT_EQ(temp.read("later.log"), "x\r\n");
}
