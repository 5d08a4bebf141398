#include "platform/window/wnd_app_signals.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tnv {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};
// How often a dialog that stays open is asked again before the request is given up.
constexpr int kTries = 20;

// The handler only writes the signal's number into a pipe; the event loop reads it.
int wakeFds[2] = {-1, -1};
bool active = false;
int closedBy = 0;
bool closing = false; // a close request is being handled (its question may be open)
struct sigaction previous[2];
bool installed[2] = {false, false};
QPointer<QSocketNotifier> notifier;

extern "C" void onSignal(int signo) {
    int saved = errno;
    unsigned char byte = static_cast<unsigned char>(signo);
    ssize_t written = ::write(wakeFds[1], &byte, 1);
    static_cast<void>(written);
    errno = saved;
}

bool anyWindowShown() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->isVisible())
            return true;
    return false;
}

void ended(int signo) {
    closedBy = signo;
    // Only a running loop may be left; outside one, quitting would end the next loop at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(128 + signo);
}

void closeStep(int signo, int triesLeft) {
    if (closing || !active)
        return;
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        // Its own loop runs the dialog; the windows behind it are asked once that has ended.
        if (triesLeft <= 0)
            return;
        dialog->close();
        if (!anyWindowShown()) {
            ended(signo);
            return;
        }
        QTimer::singleShot(50, qApp, [signo, triesLeft] { closeStep(signo, triesLeft - 1); });
        return;
    }
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            windows.append(w);
    if (windows.isEmpty()) {
        if (QThread::currentThread()->loopLevel() > 0) {
            ended(signo);
            return;
        }
        // A signal that came while the program was starting waits for its loop and window.
        QTimer::singleShot(100, qApp, [signo, triesLeft] { closeStep(signo, triesLeft); });
        return;
    }
    closing = true;
    for (const QPointer<QWidget>& w : windows)
        if (w && w->isVisible())
            w->close();
    closing = false;
    if (!anyWindowShown())
        ended(signo);
}

void readSignals() {
    unsigned char bytes[16];
    ssize_t n;
    int last = 0;
    while ((n = ::read(wakeFds[0], bytes, sizeof bytes)) > 0)
        last = bytes[n - 1];
    // Handled after the notifier returns: the close may open a question with a loop of its own.
    if (last != 0 && active)
        QTimer::singleShot(0, qApp, [last] { closeStep(last, kTries); });
}

void watch() {
    if (!active || notifier || !QCoreApplication::instance())
        return;
    notifier = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier.data(), &QSocketNotifier::activated, [] { readSignals(); });
}

} // namespace

CloseOnSignals::CloseOnSignals(bool on) {
    if (!on || active)
        return;
    if (wakeFds[0] < 0 && ::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    active = true;
    owns_ = true;
    closedBy = 0;
    for (int i = 0; i < 2; ++i) {
        struct sigaction now = {};
        now.sa_handler = onSignal;
        sigemptyset(&now.sa_mask);
        now.sa_flags = SA_RESTART;
        if (::sigaction(kSignals[i], nullptr, &previous[i]) != 0 ||
            previous[i].sa_handler == SIG_IGN)
            continue;
        installed[i] = ::sigaction(kSignals[i], &now, nullptr) == 0;
    }
    static bool routineAdded = false;
    if (!routineAdded) {
        routineAdded = true;
        qAddPreRoutine(watch); // also runs now when the application exists
    } else {
        watch();
    }
}

CloseOnSignals::~CloseOnSignals() {
    if (!owns_)
        return;
    for (int i = 0; i < 2; ++i) {
        if (installed[i])
            ::sigaction(kSignals[i], &previous[i], nullptr);
        installed[i] = false;
    }
    delete notifier.data();
    active = false;
}

int CloseOnSignals::ClosedBy() {
    return closedBy;
}

int CloseOnSignals::ExitStatus(int status) {
    return closedBy != 0 ? 128 + closedBy : status;
}

} // namespace tnv
