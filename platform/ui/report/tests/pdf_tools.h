#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <string>

namespace report::testing {

// Runs one of poppler's tools on a PDF and gives what it printed; a tool that cannot run fails
// the test under its own name rather than as text the PDF seems to lack.
inline std::string RunPdfTool(const QString& tool, QStringList args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForStarted(30000)) {
        ADD_FAILURE() << tool.toStdString() << " is not installed (package poppler-utils): "
                      << p.errorString().toStdString();
        return {};
    }
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString()
                      << " failed: " << p.readAllStandardError().toStdString();
    }
    return p.readAllStandardOutput().toStdString();
}

inline std::string PdfText(const std::string& pdf) {
    return RunPdfTool("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
}

inline std::string PdfInfo(const std::string& pdf) {
    return RunPdfTool("pdfinfo", {QString::fromStdString(pdf)});
}

}  // namespace report::testing
