#include "platform/window/wnd_app.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdlib>

namespace tnv {

namespace {
QApplication* ownApp = nullptr;
}

WndApp::WndApp(int& argc, char** argv, const std::string& desktopId) {
    if (!QCoreApplication::instance()) {
        ownApp = new QApplication(argc, argv);
        owns_ = true;
    }
    if (!desktopId.empty())
        SetDesktopIdentity(desktopId);
}

WndApp::~WndApp() {
    if (!owns_)
        return;
    ProcessEvents();
    // Qt's Wayland client (6.4) can deadlock tearing its connection down: the display waits for
    // its event thread, which waits for a read the main thread prepared. The programs end right
    // after this, so there the application is left to the end of the process, which closes the
    // connection without a wait.
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        return;
    delete ownApp;
    ownApp = nullptr;
}

int WndApp::Run() {
    return QApplication::exec();
}

void WndApp::Quit() {
    QCoreApplication::quit();
}

void WndApp::ProcessEvents() {
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool WndApp::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return done();
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void SetDesktopIdentity(const std::string& desktopId) {
    // Only the window system's view of the program changes: the settings are kept under the
    // program's own names, not Qt's.
    QString id = QString::fromStdString(desktopId);
    QCoreApplication::setApplicationName(id);
    QGuiApplication::setDesktopFileName(id);
}

bool WndApp::CanShowWindows() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace tnv
