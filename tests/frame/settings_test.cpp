#include "platform/settings.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

TEST(SettingsRecentFiles, KeepsFourNewestFirstWithoutDuplicates) {
    testsupport::TempDir dir;
    std::string ini = dir.file("settings.ini");
    {
        Settings settings(ini, 4);
        EXPECT_TRUE(settings.recentFiles().empty());
        for (const char* path : {"/p/1", "/p/2", "/p/3", "/p/4", "/p/5", "/p/3"})
            settings.addRecentFile(path);
        settings.addRecentFile("");
        EXPECT_EQ(settings.recentFiles(),
                  (std::vector<std::string>{"/p/3", "/p/5", "/p/4", "/p/2"}));
        ASSERT_TRUE(settings.sync());
    }
    // Another run reads them back; 8-bit names survive.
    Settings again(ini, 4);
    again.addRecentFile("/p/Caf\xE9/CueLine.clt");
    EXPECT_EQ(again.recentFiles(),
              (std::vector<std::string>{"/p/Caf\xE9/CueLine.clt", "/p/3", "/p/5", "/p/4"}));
    // A shorter list shows only its own length.
    Settings shorter(ini, 2);
    EXPECT_EQ(shorter.recentFiles().size(), 2u);
}

TEST(SettingsValues, StringsAndNumbersWithFallbacks) {
    testsupport::TempDir dir;
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

} // namespace
