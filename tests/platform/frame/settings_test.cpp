#include "platform/frame/settings.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

#include <cstring>
#include <filesystem>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tnv;

namespace {

using Names = std::vector<std::string>;

TEST(SettingsValues, RecentFilesKeepFourNewestFirstStringsAndNumbersHaveFallbacks) {
    testsupport::TempDir dir;
    std::string ini = dir.file("settings.ini");
    {
        Settings settings(ini, 4);
        EXPECT_TRUE(settings.recentFiles().empty());
        for (const char* path : {"/p/1", "/p/2", "/p/3", "/p/4", "/p/5", "/p/3", ""})
            settings.addRecentFile(path);
        EXPECT_EQ(settings.recentFiles(), (Names{"/p/3", "/p/5", "/p/4", "/p/2"}));
        ASSERT_TRUE(settings.sync());
    }
    // Another run reads them back; 8-bit names survive.
    Settings again(ini, 4);
    again.addRecentFile("/p/Caf\xE9/CueLine.clt");
    EXPECT_EQ(again.recentFiles(), (Names{"/p/Caf\xE9/CueLine.clt", "/p/3", "/p/5", "/p/4"}));
    EXPECT_EQ(Settings(ini, 2).recentFiles().size(), 2u) << "a shorter list shows its length";

    Settings settings(dir.file("s.ini"), 4);
    EXPECT_EQ(settings.getString("Settings", "Missing", "fallback"), "fallback");
    EXPECT_EQ(settings.getInt("Settings", "PreviewPages", 1), 1);
    settings.setString("Settings", "Name", "x;y");
    settings.setInt("Settings", "PreviewPages", 2);
    EXPECT_EQ(settings.getString("Settings", "Name", ""), "x;y");
    EXPECT_EQ(settings.getInt("Settings", "PreviewPages", 1), 2);
    settings.setString("Settings", "Word", "abc");
    EXPECT_EQ(settings.getInt("Settings", "Word", 7), 7); // not a number
}

// A settings file of `size` bytes that lists one recent file.
std::string settingsOfSize(std::size_t size) {
    std::string text = "[Recent File List]\nFile1=/p/old\n";
    text += std::string(size - text.size() - 1, ';') + "\n";
    return text;
}

TEST(SettingsFile, NoRegularFileNorAnOverlargeOneIsNeitherReadNorReplaced) {
    testsupport::TempDir dir;
    std::string fifo = dir.file("fifo.ini");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::string zero = dir.file("zero.ini"); // a node of its own: never the system's /dev/zero
    ASSERT_EQ(mknod(zero.c_str(), S_IFCHR | 0666, makedev(1, 5)), 0) << std::strerror(errno);
    std::string folder = dir.mkdir("folder.ini"), big = dir.file("big.ini"); // read at most 256 KiB
    const std::string bigText = settingsOfSize(256 * 1024 + 1);
    testsupport::writeFile(big, bigText);
    for (const std::string& ini : {fifo, zero, folder, big}) {
        SCOPED_TRACE(ini);
        EXPECT_TRUE(testsupport::endsInTime([&] {
            Settings settings(ini, 4);
            EXPECT_TRUE(settings.recentFiles().empty());
            EXPECT_EQ(settings.getInt("Settings", "PreviewPages", 1), 1);
            // Kept for the session, and the store says it cannot be written.
            settings.addRecentFile("/p/1");
            EXPECT_EQ(settings.recentFiles(), Names{"/p/1"});
            EXPECT_FALSE(settings.sync());
        }));
    }
    EXPECT_TRUE(std::filesystem::is_fifo(std::filesystem::symlink_status(fifo)));
    EXPECT_TRUE(std::filesystem::is_character_file(std::filesystem::symlink_status(zero)));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
    EXPECT_EQ(testsupport::readFile(big), bigText);
    // One of 256 KiB is read.
    testsupport::writeFile(big, settingsOfSize(256 * 1024));
    EXPECT_EQ(Settings(big, 4).recentFiles(), Names{"/p/old"});
}

TEST(SettingsFile, FullDiskKeepsTheOldFile) {
    testsupport::TempDir mnt;
    if (geteuid() != 0 || mount("tnvsettings", mnt.path().c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "a full tmpfs needs root and mount (not available here)";
    struct Unmount {
        std::string path;
        ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
    } unmount{mnt.path()};
    std::string ini = mnt.file("settings.ini");
    {
        Settings settings(ini, 4);
        settings.addRecentFile("/p/old");
        ASSERT_TRUE(settings.sync());
    }
    std::string old = testsupport::readFile(ini);
    testsupport::writeFile(mnt.file("filler"), std::string(12 * 1024, 'x'));
    {
        Settings settings(ini, 4);
        for (int i = 0; i < 4; ++i)
            settings.addRecentFile("/p/" + std::string(2000, char('a' + i)));
        EXPECT_FALSE(settings.sync());
    }
    EXPECT_EQ(testsupport::readFile(ini), old);
    Names names;
    for (const auto& e : std::filesystem::directory_iterator(mnt.path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"filler", "settings.ini"}));
}

} // namespace
