#pragma once

#include <QProcess>
#include <QStringList>
#include <string>

namespace report::testing {

// Runs one of poppler's tools on a PDF and gives what it printed.
inline std::string RunPdfTool(const QString& tool, QStringList args) {
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(30000);
    return p.readAllStandardOutput().toStdString();
}

inline std::string PdfText(const std::string& pdf) {
    return RunPdfTool("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
}

inline std::string PdfInfo(const std::string& pdf) {
    return RunPdfTool("pdfinfo", {QString::fromStdString(pdf)});
}

}  // namespace report::testing
