#pragma once

#include <string>

#include "platform/ui/report/report_layout.h"

namespace report {

// Shows a prepared report to the user, who prints it from there. The program's preview is
// modal: Show returns when its window closes. Tests install one that writes a PDF.
class ReportPreview {
  public:
    virtual ~ReportPreview() = default;
    virtual void Show(const PreparedReport& report, const std::string& caption) = 0;
};

// A print preview window; printing and zooming paint the same prepared pages.
class QtReportPreview : public ReportPreview {
  public:
    void Show(const PreparedReport& report, const std::string& caption) override;
};

// Writes each shown report to `path` instead of showing it.
class PdfReportPreview : public ReportPreview {
  public:
    explicit PdfReportPreview(std::string path) : path_(std::move(path)) {}
    void Show(const PreparedReport& report, const std::string& caption) override;
    int Shown() const { return shown_; }
    const PreparedReport& Last() const { return last_; }

  private:
    std::string path_;
    int shown_ = 0;
    PreparedReport last_;
};

// The program's preview; QtReportPreview until another is installed (nullptr restores it).
ReportPreview& Preview();
void SetPreview(ReportPreview* preview);

}  // namespace report
