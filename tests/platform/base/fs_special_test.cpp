// Reading never waits on a special file. (Writing one: fs_write_test.)
#include "platform/base/fs.h"
#include "tests/support/test_support.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace tnv;

TEST(FileSystemSpecial, ReadingRefusesWhatIsNoRegularFile) {
    testsupport::TempDir dir;
    std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::string zero = dir.file("zero"); // a node of its own, as /dev/zero
    ASSERT_EQ(mknod(zero.c_str(), S_IFCHR | 0666, makedev(1, 5)), 0) << std::strerror(errno);
    testsupport::writeFile(dir.file("plain"), "text");
    EXPECT_TRUE(testsupport::endsInTime([&] {
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
