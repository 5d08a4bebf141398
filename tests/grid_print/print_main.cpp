// The printing tests run inside one GUI application (offscreen under CTest).
#include "platform/wnd_app.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    WndApp app(argc, argv);
    return RUN_ALL_TESTS();
}
