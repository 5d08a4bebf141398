// Reading never waits on a special file; writing lands whole, through links, or fails with a
// reason. Reads that would hang on a mistake run in a child process with an alarm.
#include "platform/base/fs.h"
#include "platform/base/fs_write.h"
#include "tests/support/test_support.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::endsInTime;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

TEST(FileSystemSpecial, ReadingRefusesWhatIsNoRegularFile) {
    TempDir dir;
    std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::string zero = dir.file("zero"); // a node of its own, as /dev/zero
    ASSERT_EQ(mknod(zero.c_str(), S_IFCHR | 0666, makedev(1, 5)), 0) << std::strerror(errno);
    writeFile(dir.file("plain"), "text");
    EXPECT_TRUE(endsInTime([&] {
        std::string out;
        for (const std::string& path : {fifo, zero, dir.path()}) {
            EXPECT_FALSE(fsx::readFile(path, out)) << path;
            EXPECT_EQ(fsx::openRegularStream(path), nullptr) << path;
        }
        EXPECT_EQ(fsx::openRegularFile(dir.path()), -1);
        EXPECT_EQ(errno, EISDIR);
        EXPECT_EQ(fsx::openRegularFile(fifo), -1);
        EXPECT_EQ(errno, EINVAL);
        ASSERT_TRUE(fsx::readFile(dir.file("plain"), out));
        EXPECT_EQ(out, "text");
    }));
}

TEST(FileSystemSpecial, WritingGoesThroughLinksAndIntoDevices) {
    TempDir dir;
    std::string error;
    // A chain of links, relative and absolute, ends at the file that is replaced.
    writeFile(dir.file("real.csv"), "old");
    ASSERT_EQ(symlink("real.csv", dir.file("one").c_str()), 0);
    ASSERT_EQ(symlink(dir.file("one").c_str(), dir.file("two").c_str()), 0);
    ASSERT_TRUE(fsx::writeWhole(dir.file("two"), "new", &error)) << error;
    EXPECT_EQ(readFile(dir.file("real.csv")), "new");
    struct stat st;
    ASSERT_EQ(lstat(dir.file("two").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    // A link to a file not yet there makes that file.
    ASSERT_EQ(symlink("later.csv", dir.file("dangling").c_str()), 0);
    ASSERT_TRUE(fsx::writeWhole(dir.file("dangling"), "x", &error)) << error;
    EXPECT_EQ(readFile(dir.file("later.csv")), "x");

    // Device nodes of their own, as /dev/null and /dev/full: written into, never replaced.
    std::string null = dir.file("null");
    std::string full = dir.file("full");
    ASSERT_EQ(mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0) << std::strerror(errno);
    ASSERT_EQ(mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0) << std::strerror(errno);
    EXPECT_TRUE(fsx::writeWhole(null, "x", &error));
    EXPECT_FALSE(fsx::writeWhole(full, "x", &error));
    EXPECT_NE(error.find("No space left"), std::string::npos) << error;
    EXPECT_FALSE(fsx::writeWhole(dir.path(), "x", &error));
    EXPECT_FALSE(error.empty());
    for (const std::string& device : {null, full}) {
        ASSERT_EQ(lstat(device.c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }

    std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_TRUE(endsInTime([&] { EXPECT_FALSE(fsx::writeWhole(fifo, "x", nullptr)); }));
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(fsx::writeWhole(fifo, "through", &error)) << error;
    char buf[16] = {};
    EXPECT_EQ(read(reader, buf, sizeof buf), 7);
    close(reader);
}
