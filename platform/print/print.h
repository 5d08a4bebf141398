// Printing: the job information, a page surface on a printer or PDF file, and the print,
// page-setup and preview dialogs. The program's view supplies the three steps of a job.
#pragma once

#include "platform/draw/surface.h"

#include <functional>
#include <string>

class QPainter;
class QPrinter;
class QWidget;

namespace tnv {

class CWnd;

// What a job knows of its pages.
struct CPrintInfo {
    int minPage = 1;
    int maxPage = 0xFFFF; // until the view's begin step counts the pages
    int currentPage = 1;
    Rect drawRect; // logical, for the step drawing a page's parts
};

// The three steps a view hands to the grid: begin (count the pages), print one page, end.
class PrintJobSteps {
public:
    virtual ~PrintJobSteps() = default;
    virtual void OnBeginPrinting(CDC* dc, CPrintInfo* info) = 0;
    virtual void OnPrint(CDC* dc, CPrintInfo* info) = 0;
    virtual void OnEndPrinting(CDC* dc, CPrintInfo* info) = 0;
};

// A surface over one page of a printer: HORZRES and VERTRES are the printable area in device
// pixels, and the cell painters know they are printing.
class PrinterSurface : public CDC {
public:
    PrinterSurface(QPainter* painter, int width, int height);
    int GetDeviceCaps(int index) const override;

private:
    int width_;
    int height_;
};

// Paper of a PDF printed without a dialog.
struct PageOptions {
    std::string pageSize = "A4"; // any page size name Qt knows (A4, Letter, Legal, A3, ...)
    bool landscape = false;
};

// true when Qt knows the page size name (letter case aside).
bool IsKnownPageSize(const std::string& name);

// Runs a whole job into a PDF file: every page from the first to the last the begin step
// counted. false, with a message in `error`, when the file cannot be written.
bool PrintToPdf(const std::string& path, PrintJobSteps& steps, const PageOptions& options,
                std::string* error = nullptr);

// The framework's commands, with the program's printer (shared by the three): the print
// dialog then the job, the page-setup dialog, and the preview window. `owner` is the view.
void RunPrintCommand(CWnd* owner, PrintJobSteps& steps, const std::string& title);
void RunPrintSetupCommand(CWnd* owner);
void RunPrintPreviewCommand(CWnd* owner, PrintJobSteps& steps, const std::string& title);

// The title printed for a window: its parent's, else that window's parent's, and so on up to
// the main window; empty when none has one.
std::string PrintTitleAbove(const CWnd* wnd);

// Tests: stands in for the print dialog of the print command; returns whether to print.
void SetPrintDialogHook(std::function<bool(QPrinter& printer)> hook);

// Tests: the preview window is shown, handed to the hook, then closed instead of run modally.
void SetPrintPreviewHook(std::function<void(QWidget* preview)> hook);
// Tests and screenshots: a picture of a shown preview window; false when it cannot be written.
bool SavePreviewPicture(QWidget* preview, const std::string& path);

} // namespace tnv
