// Writing a file the way the programs save: through links, keeping owners and hard links, and
// never writing what the user may not write.
#include "platform/base/fs.h"
#include "platform/base/fs_write.h"
#include "tests/support/as_user.h"
#include "tests/support/test_support.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tnv;

using fsx::WriteStatus;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

struct stat statOf(const std::string& path, bool follow = true) {
    struct stat st {};
    if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0)
        ADD_FAILURE() << "no " << path;
    return st;
}

} // namespace

TEST(AtomicWrite, WritesThroughLinksToTheFinalTargetKeepingModeAndOwner) {
    struct Case {
        const char* what;
        const char* target; // what Pack/CueLine.clt holds (nullptr: the target's absolute path)
        const char* next;   // what Next.clt holds, where the link names it
    } cases[] = {
        {"relative link", "../Real/CueLine.clt", nullptr},
        {"absolute link", nullptr, nullptr},
        {"chain of links", "Next.clt", "../Real/CueLine.clt"},
        {"chain through an absolute link", "NEXT", "../Real/CueLine.clt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        std::string pack = dir.mkdir("Pack"), real = dir.mkdir("Real");
        std::string target = real + "/CueLine.clt";
        writeFile(target, "old");
        ::chmod(target.c_str(), 0640);
        bool root = ::geteuid() == 0;
        if (root) {
            ASSERT_EQ(::chown(target.c_str(), 1234, 5678), 0);
        }
        std::string link = pack + "/CueLine.clt";
        std::string held = !c.target                         ? target
                           : std::string(c.target) == "NEXT" ? pack + "/Next.clt"
                                                             : c.target;
        if (c.next) {
            ASSERT_EQ(::symlink(c.next, (pack + "/Next.clt").c_str()), 0);
        }
        ASSERT_EQ(::symlink(held.c_str(), link.c_str()), 0);
        ino_t inode = statOf(target).st_ino;

        std::string error;
        ASSERT_EQ(fsx::writeFile(link, "new\r\n", &error), WriteStatus::Written) << error;
        EXPECT_TRUE(S_ISLNK(statOf(link, false).st_mode)) << "the link stays a link";
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), held);
        EXPECT_EQ(readFile(target), "new\r\n");
        struct stat st = statOf(target);
        EXPECT_NE(st.st_ino, inode) << "replaced whole, not rewritten in place";
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        if (root) {
            EXPECT_EQ(st.st_uid, 1234u);
            EXPECT_EQ(st.st_gid, 5678u);
        }
        EXPECT_EQ(fsx::listFolder(real).size(), 1u) << "no temporary file left";
    }
}

TEST(AtomicWrite, ADanglingLinkCreatesItsTargetAHardLinkedFileIsReplaced) {
    TempDir dir;
    ASSERT_EQ(::symlink("made.csv", dir.file("link.csv").c_str()), 0);
    std::string error;
    ASSERT_EQ(fsx::writeFile(dir.file("link.csv"), "a,b\n", &error), WriteStatus::Written) << error;
    EXPECT_TRUE(S_ISLNK(statOf(dir.file("link.csv"), false).st_mode));
    EXPECT_EQ(readFile(dir.file("made.csv")), "a,b\n");

    ASSERT_EQ(::symlink("loop2", dir.file("loop1").c_str()), 0);
    ASSERT_EQ(::symlink("loop1", dir.file("loop2").c_str()), 0);
    EXPECT_EQ(fsx::writeFile(dir.file("loop1"), "x", &error), WriteStatus::CannotCreate);

    // A hard-linked file is replaced like any other; its other names keep the old text.
    writeFile(dir.file("CueLine.clt"), "a.wav;a rather long old text\r\n");
    ASSERT_EQ(::link(dir.file("CueLine.clt").c_str(), dir.file("Backup.clt").c_str()), 0);
    ino_t inode = statOf(dir.file("CueLine.clt")).st_ino;
    ASSERT_EQ(fsx::writeFile(dir.file("CueLine.clt"), "a.wav;new\r\n", &error),
              WriteStatus::Written)
        << error;
    EXPECT_EQ(readFile(dir.file("CueLine.clt")), "a.wav;new\r\n");
    EXPECT_EQ(readFile(dir.file("Backup.clt")), "a.wav;a rather long old text\r\n");
    EXPECT_NE(statOf(dir.file("CueLine.clt")).st_ino, inode) << "replaced whole, by rename";
    EXPECT_EQ(statOf(dir.file("Backup.clt")).st_ino, inode);
    EXPECT_EQ(fsx::listFolder(dir.path()).size(), 6u) << "link.csv, made.csv, two loops, two names";
}

// What is not a regular file is never replaced by one: a user's named output (an export, a PDF)
// writes into a device or a FIFO that has a reader; a saved file refuses them all.
TEST(AtomicWrite, WhatIsNoRegularFileIsNotReplaced) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(dir.file("read fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("fifo", dir.file("CueLine.clt").c_str()), 0);
    dir.mkdir("Folder.clt");
    // Device nodes of their own, as /dev/null and /dev/full.
    ASSERT_EQ(::mknod(dir.file("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(dir.file("full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    int reader = ::open(dir.file("read fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    struct Case {
        const char *name, *why; // why: part of the error
        bool named;             // a user's named output
        WriteStatus status;
    } cases[] = {
        {"fifo", "not a regular file", false, WriteStatus::CannotCreate},
        {"CueLine.clt", "not a regular file", false, WriteStatus::CannotCreate},
        {"Folder.clt", "Is a directory", false, WriteStatus::CannotCreate},
        {"null", "not a regular file", false, WriteStatus::CannotCreate},
        {"read fifo", "not a regular file", false, WriteStatus::CannotCreate},
        {"fifo", "nothing reads from it", true, WriteStatus::CannotCreate}, // and no wait
        {"CueLine.clt", "nothing reads from it", true, WriteStatus::CannotCreate},
        {"Folder.clt", "Is a directory", true, WriteStatus::CannotCreate},
        {"null", "", true, WriteStatus::Written},
        {"full", "No space left", true, WriteStatus::CannotWrite},
        {"read fifo", "", true, WriteStatus::Written},
    };
    for (const Case& c : cases) {
        fsx::WriteOptions options =
            c.named ? fsx::WriteOptions::NamedOutput() : fsx::WriteOptions();
        // In a child process that a wait on the FIFO would not outlive.
        EXPECT_TRUE(testsupport::endsInTime([&] {
            std::string error;
            EXPECT_EQ(fsx::writeFile(dir.file(c.name), "through", &error, options), c.status);
            EXPECT_NE(error.find(c.why), std::string::npos) << error;
        })) << c.name
            << (c.named ? " as output" : "");
    }
    char buf[16] = {};
    EXPECT_EQ(::read(reader, buf, sizeof buf), 7) << "the reader got it once";
    ::close(reader);
    EXPECT_TRUE(S_ISFIFO(statOf(dir.file("fifo"), false).st_mode));
    EXPECT_TRUE(S_ISLNK(statOf(dir.file("CueLine.clt"), false).st_mode));
    EXPECT_TRUE(S_ISCHR(statOf(dir.file("null"), false).st_mode));
    EXPECT_TRUE(S_ISCHR(statOf(dir.file("full"), false).st_mode));
}

TEST(AtomicWrite, AsAnOrdinaryUserPermissionsDecide) {
    using enum fsx::WriteStatus;
    struct Case {
        const char* what;
        mode_t folderMode, fileMode; // fileMode 0: no file yet
        bool userOwnsFolder, userOwnsFile;
        WriteStatus expected;
        bool sameInode; // written in place
    } cases[] = {
        {"read-only file in a writable folder", 0755, 0444, true, true, CannotCreate, true},
        {"writable file in a folder taking no new file", 0555, 0644, false, true, Written, true},
        {"someone else's file the user's group may write", 0777, 0664, false, false, Written, true},
        {"new file in a folder taking no new file", 0555, 0, false, false, CannotCreate, false},
        {"own file in an own folder", 0755, 0600, true, true, Written, false},
    };
    if (::geteuid() != 0)
        GTEST_SKIP() << "laying out other users' files needs root";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        ::chmod(dir.path().c_str(), 0755);
        std::string folder = dir.mkdir("Pack");
        std::string file = folder + "/CueLine.clt";
        ino_t inode = 0;
        if (c.fileMode) {
            writeFile(file, "old text");
            ASSERT_EQ(::chown(file.c_str(), c.userOwnsFile ? testsupport::kNobody : 0,
                              testsupport::kNobody),
                      0);
            ::chmod(file.c_str(), c.fileMode);
            inode = statOf(file).st_ino;
        }
        if (c.userOwnsFolder) {
            ASSERT_EQ(::chown(folder.c_str(), testsupport::kNobody, testsupport::kNobody), 0);
        }
        ::chmod(folder.c_str(), c.folderMode);

        int status = testsupport::runAsOrdinaryUser([&] {
            std::string error;
            return static_cast<int>(fsx::writeFile(file, "new text", &error));
        });
        if (status == -1)
            GTEST_SKIP() << "cannot run a child process as an ordinary user here";
        ASSERT_GE(status, 0);
        EXPECT_EQ(status, static_cast<int>(c.expected));
        bool written = c.expected == WriteStatus::Written;
        if (c.fileMode) {
            EXPECT_EQ(readFile(file), written ? "new text" : "old text");
            struct stat st = statOf(file);
            if (c.sameInode) {
                EXPECT_EQ(st.st_ino, inode);
            }
            EXPECT_EQ(st.st_mode & 07777, c.fileMode);
            EXPECT_EQ(st.st_uid, c.userOwnsFile ? testsupport::kNobody : 0u);
        } else {
            EXPECT_FALSE(testsupport::exists(file));
        }
        EXPECT_EQ(fsx::listFolder(folder).size(), c.fileMode ? 1u : 0u);
    }
}

TEST(AtomicWrite, AnInPlaceWriteThatRunsOutOfRoomPutsTheOldBytesBack) {
    TempDir cache;
    // Old bytes kept in memory, or first in a copy in another folder (made when missing).
    for (std::string copy : {std::string(), cache.path() + "/tarnavel/CueLine-XXXXXX.clt"}) {
        SCOPED_TRACE(copy.empty() ? "in memory" : "in a copy");
        TempDir mnt;
        // Room for three files and 16 KB: no temporary file can be made, and no room to grow.
        if (::mount("tnvtest", mnt.path().c_str(), "tmpfs", 0, "size=16k,nr_inodes=3") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here";
        struct Unmount {
            std::string path;
            ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
        } unmount{mnt.path()};
        const std::string old = "a.wav;Gear down\r\n";
        writeFile(mnt.file("CueLine.clt"), old);
        writeFile(mnt.file("filler"), std::string(12 * 1024, 'x'));
        std::string error;
        fsx::WriteOptions options;
        options.inPlaceCopy = copy;
        EXPECT_EQ(
            fsx::writeFile(mnt.file("CueLine.clt"), std::string(20 * 1024, 't'), &error, options),
            WriteStatus::CannotWrite);
        EXPECT_NE(error.find("No space"), std::string::npos) << error;
        EXPECT_EQ(readFile(mnt.file("CueLine.clt")), old);
        // What fits is written in place.
        ASSERT_EQ(fsx::writeFile(mnt.file("CueLine.clt"), "a.wav;Up\r\n", &error, options),
                  WriteStatus::Written)
            << error;
        EXPECT_EQ(readFile(mnt.file("CueLine.clt")), "a.wav;Up\r\n");
        EXPECT_EQ(fsx::listFolder(mnt.path()).size(), 2u);
        if (!copy.empty()) {
            EXPECT_EQ(fsx::listFolder(cache.path() + "/tarnavel").size(), 0u) << "no copy left";
        }
    }
}
