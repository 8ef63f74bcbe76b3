#include "platform/ui/report/report_render.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>

#include "platform/ui/colors.h"

namespace report {

namespace {

const QPaintDevice& ScreenOf96Dpi() {
    static const QImage image = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(3780);  // 96 dpi
        i.setDotsPerMeterY(3780);
        return i;
    }();
    return image;
}

int TextFlags(Align align) {
    switch (align) {
        case Align::Right:
            return Qt::AlignRight | Qt::AlignTop;
        case Align::Center:
            return Qt::AlignHCenter | Qt::AlignTop;
        case Align::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

}  // namespace

QFont ToQFont(const ReportFont& font) {
    QFont f(QString::fromStdString(font.name));
    f.setPointSizeF(font.size > 0 ? font.size : 10);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    return f;
}

int QtTextMeasurer::Width(const ReportFont& font, std::string_view text) const {
    const QFontMetricsF metrics(ToQFont(font), &ScreenOf96Dpi());
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(s)));
}

int QtTextMeasurer::Height(const ReportFont& font) const {
    const QFontMetricsF metrics(ToQFont(font), &ScreenOf96Dpi());
    return static_cast<int>(std::ceil(metrics.height()));
}

bool PaintReport(const PreparedReport& report, QPagedPaintDevice& device) {
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    // Report units to device pixels; fonts keep their size in points.
    const double sx = device.logicalDpiX() / 96.0;
    const double sy = device.logicalDpiY() / 96.0;
    bool first = true;
    for (const PreparedPage& page : report.pages) {
        if (!first) {
            device.newPage();
        }
        first = false;
        for (const PlacedText& t : page.texts) {
            painter.setFont(ToQFont(t.font));
            painter.setPen(ui::ColorToQColor(t.font.color));
            const QRectF box(t.x * sx, t.y * sy, t.width * sx, t.height * sy);
            painter.drawText(box, TextFlags(t.align) | Qt::TextSingleLine,
                             QString::fromStdString(t.text));
        }
    }
    return painter.end();
}

bool WritePdf(const PreparedReport& report, const std::string& path) {
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(300);
    writer.setCreator("Belverin");
    return PaintReport(report, writer);
}

}  // namespace report
