// A small tmpfs mounted on a temporary folder for one test, where the machine allows it (root
// and mount); unmounted at the end.
#pragma once

#include "tests/support/test_support.h"

#include <sys/mount.h>

struct SmallTmpfs {
    testsupport::TempDir dir;
    bool mounted;
    explicit SmallTmpfs(const char* size)
        : mounted(mount("tnvtest", dir.path().c_str(), "tmpfs", 0, size) == 0) {}
    ~SmallTmpfs() {
        if (mounted)
            umount2(dir.path().c_str(), MNT_DETACH);
    }
};
