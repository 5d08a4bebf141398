#include "platform/dialog.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    DialogApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
