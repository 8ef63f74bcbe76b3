#include "platform/ui/report/report_preview.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

#include "platform/ui/report/report_render.h"

namespace report {

namespace {
ReportPreview* installed = nullptr;
}  // namespace

void QtReportPreview::Show(const PreparedReport& report, const std::string& caption) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setDocName(QString::fromStdString(caption));
    QPrintPreviewDialog dialog(&printer);
    dialog.setWindowTitle(QString::fromStdString(caption));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report](QPrinter* p) { PaintReport(report, *p); });
    dialog.exec();
}

void PdfReportPreview::Show(const PreparedReport& report, const std::string&) {
    ++shown_;
    last_ = report;
    WritePdf(report, path_);
}

ReportPreview& Preview() {
    static QtReportPreview program;
    return installed != nullptr ? *installed : program;
}

void SetPreview(ReportPreview* preview) {
    installed = preview;
}

}  // namespace report
