#include "platform/ui/report/report_render.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/ui/qt_test_app.h"
#include "platform/ui/report/report_preview.h"
#include "platform/ui/report/tests/pdf_tools.h"

namespace report {
namespace {

namespace fs = std::filesystem;

PreparedReport TwoPages() {
    PreparedReport r;
    for (int p = 1; p <= 2; ++p) {
        PreparedPage page;
        PlacedText t;
        t.x = r.geometry.left;
        t.y = r.geometry.top;
        t.width = 300;
        t.height = 20;
        t.text = "Pagina " + std::to_string(p) + " Zo\xC3\xAB";
        page.texts.push_back(t);
        PlacedText right = t;
        right.x = r.geometry.right - 200;
        right.width = 200;
        right.align = Align::Right;
        right.text = "rechts";
        page.texts.push_back(right);
        r.pages.push_back(page);
    }
    return r;
}

TEST(ReportRender, PdfHoldsEveryPageAndItsText) {
    const fs::path pdf = fs::temp_directory_path() / "report_render_test.pdf";
    ASSERT_TRUE(WritePdf(TwoPages(), pdf.string()));
    const std::string info = testing::PdfInfo(pdf.string());
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
    const std::string text = testing::PdfText(pdf.string());
    const auto first = text.find("Pagina 1 Zo\xC3\xAB");
    const auto second = text.find("Pagina 2 Zo\xC3\xAB");
    ASSERT_NE(first, std::string::npos) << text;
    ASSERT_NE(second, std::string::npos) << text;
    EXPECT_LT(first, text.find('\f'));
    EXPECT_GT(second, text.find('\f'));
    fs::remove(pdf);
}

TEST(ReportRender, UnwritablePdfIsReported) {
    EXPECT_FALSE(WritePdf(TwoPages(), "/nonexistent-folder/x.pdf"));
}

TEST(ReportRender, MeasurerFollowsTheFont) {
    const QtTextMeasurer m;
    ReportFont small;
    small.size = 8;
    ReportFont large = small;
    large.size = 16;
    EXPECT_GT(m.Width(small, "WWWW"), m.Width(small, "iiii"));
    EXPECT_GT(m.Width(large, "Jansen"), m.Width(small, "Jansen"));
    EXPECT_GT(m.Height(large), m.Height(small));
    // 8 points at 96 dpi are about 11 units: one line a little more.
    EXPECT_GE(m.Height(small), 11);
    EXPECT_LE(m.Height(small), 16);
}

TEST(ReportRender, PreviewWindowShowsAndClosesWithItsWindow) {
    bool sawDialog = false;
    QTimer::singleShot(200, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        sawDialog = modal != nullptr;
        if (modal != nullptr) {
            modal->close();
        }
    });
    QtReportPreview preview;
    preview.Show(TwoPages(), "Voorbeeld");
    EXPECT_TRUE(sawDialog);
}

}  // namespace
}  // namespace report
