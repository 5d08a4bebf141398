#include "finder/parsers.h"

#include <gtest/gtest.h>

using namespace tnv::finder;

using Paths = std::vector<std::string>;

// Each parser of another program's file: what it makes of whole, odd and broken texts.
TEST(Parsers, PathsFromOtherProgramsFiles) {
    struct Case {
        Paths (*parse)(std::string_view);
        std::string text;
        Paths want;
    } cases[] = {
        {LibraryFolderPaths,
         "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/u/.local/share/Steam\"\n"
         "\t\t\"apps\"\n\t\t{\n\t\t\t\"path\"\t\"/not/a/library\"\n\t\t}\n\t}\n\t\"1\"\n\t{\n"
         "\t\t\"label\"\t\"\"\n\t\t\"path\"\t\"/media/u/NTFS Disk/SteamLibrary\"\n\t}\n}\n",
         {"/home/u/.local/share/Steam", "/media/u/NTFS Disk/SteamLibrary"}},
        // The old form, comments, escapes, bare tokens, and the same library twice.
        {LibraryFolderPaths,
         "// made by Steam\n\"LibraryFolders\" {\n \"TimeNextStatsReport\" \"1\"\n"
         " \"1\" \"/mnt/a \\\"b\\\"\\\\c\"\n \"2\" \"/mnt/a \\\"b\\\"\\\\c\"\n key value\n}",
         {"/mnt/a \"b\"\\c"}},
        {LibraryFolderPaths, "", {}},
        {LibraryFolderPaths, "\"libraryfolders\" { \"0\" { \"path\" ", {}},
        {LibraryFolderPaths, "}}}}\"path\" \"/x\" {{{{", {}},
        {LibraryFolderPaths, "\"l\"{\"0\"{\"path\"\"/unterminated", {"/unterminated"}},
        {RegistryDrivePaths,
         "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
         "[Software\\\\Vendor\\\\Sim] 1700000000\n#time=1d9\n"
         "\"InstallPath\"=\"C:\\\\Program Files\\\\My \\\"Sim\\\"\"\n@=\"d:/games/sim\"\n"
         "\"Expand\"=str(2):\"E:\\\\x\\\\\"\n\"Num\"=dword:00000001\n\"Bin\"=hex:43,3a,5c\n"
         "\"Cmd\"=\"\\\"C:\\\\a.exe\\\" -x\"\n\"Rel\"=\"sim\\\\x\"\n"
         "\"Caf\\xe9\"=\"C:\\\\Caf\\xe9\\\\Sim\"\n"
         "\"Again\"=\"C:\\\\Program Files\\\\My \\\"Sim\\\"\"\n",
         {"C:\\Program Files\\My \"Sim\"", "d:/games/sim", "E:\\x\\", "C:\\Caf\xC3\xA9\\Sim"}},
        {RegistryDrivePaths, "\"A\"=\"C:\\\\unterminated", {}},
        {RegistryDrivePaths, "\"A\"=\"C:\\\\a\\nb\"\n\"B\"=\"C:\\\\a\\0b\"\n\"C\"=\"C:\"\n", {}},
        {RegistryDrivePaths, "\"A\"=str(2\"C:\\\\x\"\n\"B\"\"C:\\\\y\"\n@\"C:\\\\z\"", {}},
        {RegistryDrivePaths, "\"A\"=\"C:\\\\" + std::string(5000, 'x') + "\"\n", {}},
        {LutrisPrefixes,
         "game:\n  exe: /x/sim.exe\n  prefix: /home/u/Games/sim\nsystem: {}\n",
         {"/home/u/Games/sim"}},
        {LutrisPrefixes, "game:\n  prefix: '~/Games/it''s sim'\n", {"~/Games/it's sim"}},
        {LutrisPrefixes, "game:\n  prefix: \"/a \\\"b\\\"\"  \n", {"/a \"b\""}},
        {LutrisPrefixes, "game:\n  prefix: /a b # a comment\n  prefix:\n", {"/a b"}},
        {LutrisPrefixes, "game:\n  prefix: 'open\n", {}},
        {LutrisPrefixes, "prefixes: /no\n", {}},
        {RegistrationLines, "/a\n/b c\r\n/a\nrelative\n\n# note\n/d", {"/a", "/b c", "/d"}},
        {RegistrationLines, std::string("/x\0y\n/z\n", 7), {"/z"}},
        {RegistrationLines, "/" + std::string(5000, 'x') + "\n/ok\n", {"/ok"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.parse(c.text), c.want) << c.text;
}
