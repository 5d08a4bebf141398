#include "platform/print.h"

#include "platform/msgbox.h"
#include "platform/qtbridge.h"
#include "platform/wnd.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <memory>

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
        return Surface::GetDeviceCaps(index);
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
    printer.setOutputFileName(QString::fromLocal8Bit(path.c_str()));
    printer.setPageSize(size);
    printer.setPageOrientation(options.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    if (!runJob(printer, steps, 0, 0)) {
        if (error)
            *error = "cannot write " + path;
        return false;
    }
    return true;
}

// The program's printer: the page-setup dialog's choice holds for later print and preview.
static QPrinter& programPrinter() {
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

static QWidget* dialogParent(Wnd* owner) {
    QWidget* w = owner ? owner->widget() : nullptr;
    return w ? w->window() : nullptr;
}

void RunPrintCommand(Wnd* owner, PrintJobSteps& steps, const std::string& title) {
    QPrinter& printer = programPrinter();
    printer.setDocName(qtbridge::toQString(title));
    QPrintDialog dialog(&printer, dialogParent(owner));
    dialog.setMinMax(1, 9999);
    if (dialog.exec() != QDialog::Accepted)
        return;
    int from = 0, to = 0;
    if (printer.printRange() == QPrinter::PageRange) {
        from = printer.fromPage();
        to = printer.toPage();
    }
    if (!runJob(printer, steps, from, to))
        MessageBox("The document could not be printed.", title, MB_OK | MB_ICONERROR);
}

void RunPrintSetupCommand(Wnd* owner) {
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

void RunPrintPreviewCommand(Wnd* owner, PrintJobSteps& steps, const std::string& title) {
    QPrinter& printer = programPrinter();
    printer.setDocName(qtbridge::toQString(title));
    QPrintPreviewDialog dialog(&printer, dialogParent(owner));
    dialog.setWindowTitle(qtbridge::toQString(title));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&steps](QPrinter* target) { runJob(*target, steps, 0, 0); });
    if (previewHook()) {
        dialog.resize(900, 700);
        dialog.show();
        previewHook()(&dialog);
        dialog.close();
        return;
    }
    dialog.exec();
}

std::string PrintTitleAbove(const Wnd* wnd) {
    if (!wnd)
        return {};
    const Wnd* top = wnd;
    for (const Wnd* p = wnd->GetParent(); p; p = p->GetParent()) {
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
    return preview && preview->grab().save(QString::fromLocal8Bit(path.c_str()), "PNG");
}
