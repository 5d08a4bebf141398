#include "platform/print/print.h"

#include "platform/base/fs.h"
#include "platform/base/fs_write.h"
#include "platform/base/msgbox.h"
#include "platform/qt/qtbridge.h"
#include "platform/window/wnd.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWidget>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

namespace tnv {

PrinterSurface::PrinterSurface(QPainter* painter, int width, int height)
    : width_(width), height_(height) {
    attach(painter, Rect{0, 0, width, height}, nullptr);
    setPrinting(true);
}

int PrinterSurface::GetDeviceCaps(int index) const {
    switch (index) {
    case HORZRES:
        return width_;
    case VERTRES:
        return height_;
    default:
        return CDC::GetDeviceCaps(index);
    }
}

static bool pageSizeByName(const std::string& name, QPageSize* out) {
    const QString wanted = QString::fromStdString(name).trimmed();
    if (wanted.isEmpty())
        return false;
    for (int id = 0; id <= int(QPageSize::LastPageSize); ++id) {
        auto sizeId = QPageSize::PageSizeId(id);
        if (sizeId == QPageSize::Custom)
            continue;
        if (QPageSize::key(sizeId).compare(wanted, Qt::CaseInsensitive) == 0 ||
            QPageSize::name(sizeId).compare(wanted, Qt::CaseInsensitive) == 0) {
            if (out)
                *out = QPageSize(sizeId);
            return true;
        }
    }
    return false;
}

bool IsKnownPageSize(const std::string& name) {
    return pageSizeByName(name, nullptr);
}

// Runs the job's steps on the printer: pages from..to (0 for the first or last the job has).
// Until the begin step counts the pages only the first is printed, as the framework does.
static bool runJob(QPrinter& printer, PrintJobSteps& steps, int from, int to) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    const int w = std::max(1, area.width());
    const int h = std::max(1, area.height());
    CPrintInfo info;
    PrinterSurface setup(&painter, w, h);
    steps.OnBeginPrinting(&setup, &info);
    int last = info.maxPage == CPrintInfo().maxPage ? info.minPage : info.maxPage;
    int first = std::max(info.minPage, from > 0 ? from : info.minPage);
    if (to > 0)
        last = std::min(last, to);
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer.newPage();
        PrinterSurface dc(&painter, w, h);
        info.currentPage = page;
        steps.OnPrint(&dc, &info);
    }
    steps.OnEndPrinting(&setup, &info);
    return painter.end();
}

namespace {

// Qt's PDF writer does not tell when a write fails, so a document for a file is made in memory,
// checked for its end, and only then written whole, beside its target and renamed over it.
class PdfInMemory {
public:
    PdfInMemory() : fd_(::memfd_create("tnv-print", MFD_CLOEXEC)) {}
    ~PdfInMemory() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    PdfInMemory(const PdfInMemory&) = delete;
    PdfInMemory& operator=(const PdfInMemory&) = delete;

    bool ok() const { return fd_ >= 0; }
    QString path() const { return QStringLiteral("/proc/self/fd/%1").arg(fd_); }

    // The document as written; false when it is not whole (no end-of-file mark at its end).
    bool take(std::string& out) const {
        out.clear();
        struct stat st;
        if (::fstat(fd_, &st) != 0)
            return false;
        out.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < out.size()) {
            ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, off_t(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        std::size_t end = out.find_last_not_of(" \r\n");
        return out.rfind("%PDF", 0) == 0 && end != std::string::npos && end >= 4 &&
               out.compare(end - 4, 5, "%%EOF") == 0;
    }

private:
    int fd_;
};

// The file a PDF printer writes to, when it writes to one.
bool printsToFile(QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

} // namespace

// Runs a job into the file the printer names: whole, or not at all and `error` says why.
static bool runJobToFile(QPrinter& printer, PrintJobSteps& steps, int from, int to,
                         std::string* error) {
    const QString target = printer.outputFileName();
    const std::string path = QFile::encodeName(target).toStdString();
    PdfInMemory memory;
    if (!memory.ok()) {
        if (error)
            *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    printer.setOutputFileName(memory.path());
    bool printed = runJob(printer, steps, from, to);
    printer.setOutputFileName(target);
    std::string bytes;
    if (!printed || !memory.take(bytes)) {
        if (error)
            *error = "cannot make the document for " + path;
        return false;
    }
    return fsx::writeFile(path, bytes, error, fsx::WriteOptions::NamedOutput()) ==
           fsx::WriteStatus::Written;
}

bool PrintToPdf(const std::string& path, PrintJobSteps& steps, const PageOptions& options,
                std::string* error) {
    QPageSize size;
    if (!pageSizeByName(options.pageSize, &size)) {
        if (error)
            *error = "unknown page size: " + options.pageSize;
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QFile::decodeName(QByteArray::fromStdString(path)));
    printer.setPageSize(size);
    printer.setPageOrientation(options.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    return runJobToFile(printer, steps, 0, 0, error);
}

// The program's printer: the page-setup dialog's choice holds for later print and preview.
static QPrinter& programPrinter() {
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

static QWidget* dialogParent(CWnd* owner) {
    QWidget* w = owner ? owner->widget() : nullptr;
    return w ? w->window() : nullptr;
}

static std::function<bool(QPrinter&)>& printDialogHook() {
    static std::function<bool(QPrinter&)> hook;
    return hook;
}

void SetPrintDialogHook(std::function<bool(QPrinter& printer)> hook) {
    printDialogHook() = std::move(hook);
}

void RunPrintCommand(CWnd* owner, PrintJobSteps& steps, const std::string& title) {
    QPrinter& printer = programPrinter();
    printer.setDocName(qtbridge::toQString(title));
    if (printDialogHook()) {
        if (!printDialogHook()(printer))
            return;
    } else {
        QPrintDialog dialog(&printer, dialogParent(owner));
        dialog.setMinMax(1, 9999);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    int from = 0, to = 0;
    if (printer.printRange() == QPrinter::PageRange) {
        from = printer.fromPage();
        to = printer.toPage();
    }
    if (printsToFile(printer)) {
        std::string error;
        if (!runJobToFile(printer, steps, from, to, &error))
            MessageBox("The document could not be printed.\n" + fsx::fromDisk(error), title,
                       MB_OK | MB_ICONERROR);
        return;
    }
    if (!runJob(printer, steps, from, to))
        MessageBox("The document could not be printed.", title, MB_OK | MB_ICONERROR);
}

void RunPrintSetupCommand(CWnd* owner) {
    QPageSetupDialog dialog(&programPrinter(), dialogParent(owner));
    dialog.exec();
}

static std::function<void(QWidget*)>& previewHook() {
    static std::function<void(QWidget*)> hook;
    return hook;
}

void SetPrintPreviewHook(std::function<void(QWidget* preview)> hook) {
    previewHook() = std::move(hook);
}

void RunPrintPreviewCommand(CWnd* owner, PrintJobSteps& steps, const std::string& title) {
    QPrinter& printer = programPrinter();
    printer.setDocName(qtbridge::toQString(title));
    QPrintPreviewDialog dialog(&printer, dialogParent(owner));
    dialog.setWindowTitle(qtbridge::toQString(title));
    QObject::connect(
        &dialog, &QPrintPreviewDialog::paintRequested, [&steps, &title](QPrinter* target) {
            // The preview's own Print button prints through here too; the preview pages themselves
            // are drawn by another engine than the PDF writer.
            QPaintEngine* engine = target->paintEngine();
            if (printsToFile(*target) && engine && engine->type() == QPaintEngine::Pdf) {
                std::string error;
                if (!runJobToFile(*target, steps, 0, 0, &error))
                    MessageBox("The document could not be printed.\n" + fsx::fromDisk(error), title,
                               MB_OK | MB_ICONERROR);
                return;
            }
            runJob(*target, steps, 0, 0);
        });
    if (previewHook()) {
        dialog.resize(900, 700);
        dialog.show();
        previewHook()(&dialog);
        dialog.close();
        return;
    }
    dialog.exec();
}

std::string PrintTitleAbove(const CWnd* wnd) {
    if (!wnd)
        return {};
    const CWnd* top = wnd;
    for (const CWnd* p = wnd->GetParent(); p; p = p->GetParent()) {
        std::string title = p->GetWindowText();
        if (!title.empty())
            return title;
        top = p;
    }
    for (QWidget* w = top->widget() ? top->widget()->parentWidget() : nullptr; w;
         w = w->parentWidget()) {
        if (!w->windowTitle().isEmpty())
            return qtbridge::fromQString(w->windowTitle());
    }
    return {};
}

bool SavePreviewPicture(QWidget* preview, const std::string& path) {
    return preview && qtbridge::savePng(preview->grab().toImage(), path);
}

} // namespace tnv
