// The main() of every test program of real windows: GoogleTest inside one QApplication
// (offscreen under CTest). Dialogs substitute their fonts themselves when they are built, so a
// plain application serves the programs' windows, the grid's and the uninstaller's dialogs alike.
#include "tests/support/test_support.h"

#include <QApplication>
#include <QThread>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testsupport::setWhileWaiting([] {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
