#include "events/ReportPainter.h"

#include <algorithm>

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include "link/IniFile.h"

namespace zul {

namespace {

constexpr double kPageHeaderMm = 6;   // the controller's name above everything
constexpr double kFooterMm = 5;       // "Лист N из M" at the bottom
constexpr double kLineWidthMm = 0.2;
constexpr double kSmallestPoints = 4;  // a cell's text is not set smaller than this

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

Qt::Alignment Align(TextAlign a) {
    switch (a) {
    case TextAlign::Left: return Qt::AlignLeft;
    case TextAlign::Centre: return Qt::AlignHCenter;
    case TextAlign::Right: return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

class Page {
public:
    Page(QPainter& p, const ReportDocument& doc, double pxPerMm, double widthMm, double heightMm)
        : p_(p), doc_(doc), px_(pxPerMm), widthMm_(widthMm), heightMm_(heightMm) {}

    void Font(int points, bool bold) {
        // Arial, or a face of the same width, before the system's substitute.
        QFont f;
        f.setFamilies({Q(doc_.fontFamily), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed")});
        f.setPointSizeF(points);
        f.setBold(bold);
        p_.setFont(f);
    }
    QRectF Mm(double x, double y, double w, double h) const { return QRectF(x * px_, y * px_, w * px_, h * px_); }
    void Text(double x, double y, double w, double h, Qt::Alignment a, const std::string& text) {
        p_.drawText(Mm(x, y, w, h), int(a | Qt::AlignVCenter), Q(text));
    }
    // A cell of the table: a text wider than its column is set smaller, so that it
    // is printed whole instead of cut at the column's edges.
    void CellText(double x, double y, double w, double h, Qt::Alignment a, const std::string& text) {
        const QFont font = p_.font();
        const QString q = Q(text);
        const double room = w * px_;
        const double wide = QFontMetricsF(font, p_.device()).horizontalAdvance(q);
        if (wide > room && room > 0) {
            QFont smaller = font;
            smaller.setPointSizeF(std::max(kSmallestPoints, font.pointSizeF() * room / wide * 0.98));
            p_.setFont(smaller);
        }
        p_.drawText(Mm(x, y, w, h), int(a | Qt::AlignVCenter), q);
        p_.setFont(font);
    }
    void Line(double x1, double y1, double x2, double y2) {
        p_.drawLine(QPointF(x1 * px_, y1 * px_), QPointF(x2 * px_, y2 * px_));
    }

    // The band across the printable width, from `top` (mm); returns its height.
    double Band(const ReportBand& band, double top) {
        if (band.width <= 0) return 0;
        const double u = widthMm_ / band.width;
        for (const ReportText& t : band.texts) {
            Font(t.pointSize, t.bold);
            Text(t.left * u, top + t.top * u, t.width * u, t.height * u, Align(t.align), t.text);
        }
        return band.height * u;
    }

    // One table block with its heading and the rows of `span`.
    void Table(const PageSpan& span, double top) {
        const ReportTableLayout& t = doc_.table;
        const double u = widthMm_ / t.width;
        const double headingBottom = top + (t.headingHeight - 3) * u;
        const double bottom = top + (t.headingHeight + span.rowCount * t.rowHeight) * u;
        p_.drawRect(Mm(0, top, t.width * u, bottom - top));
        Font(t.pointSize, false);
        const double groupRule = top + (t.headingHeight - 3) * u / 2;
        for (const HeadingGroup& g : t.groups) {
            Text(g.x * u, top, g.width * u, groupRule - top, Qt::AlignHCenter, g.text);
            Line(g.x * u - 3 * u, groupRule, (g.x + g.width) * u + 3 * u, groupRule);
        }
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const ReportColumn& col = t.columns[c];
            double from = top;
            for (const HeadingGroup& g : t.groups)
                if (col.x >= g.x && col.x < g.x + g.width) from = groupRule;
            const double lineH = 3.2;
            const double blockH = lineH * double(col.heading.size());
            double y = from + (headingBottom - from - blockH) / 2;
            for (const std::string& h : col.heading) {
                CellText(col.x * u, y, col.width * u, lineH, Qt::AlignHCenter, h);
                y += lineH;
            }
            if (c > 0) {
                const double x = (t.columns[c - 1].x + t.columns[c - 1].width + col.x) * u / 2;
                bool inside = false;  // a rule between two columns of one group starts below its text
                for (const HeadingGroup& g : t.groups)
                    if (col.x > g.x && col.x < g.x + g.width) inside = true;
                Line(x, inside ? groupRule : top, x, headingBottom);
            }
        }
        Line(0, headingBottom, t.width * u, headingBottom);
        double y = top + t.headingHeight * u;
        for (int r = span.firstRow; r < span.firstRow + span.rowCount; ++r) {
            const auto& cells = doc_.rows[size_t(r)];
            for (size_t c = 0; c < t.columns.size() && c < cells.size(); ++c) {
                const ReportColumn& col = t.columns[c];
                // Blanks around a centred text would only move it off centre.
                const std::string& cell = cells[c];
                CellText(col.x * u, y, col.width * u, t.rowHeight * u, Align(col.align),
                         col.align == TextAlign::Centre ? Trimmed(cell) : cell);
            }
            y += t.rowHeight * u;
        }
    }

    void Paint(int index) {
        Font(10, false);
        Text(0, 0, widthMm_, kPageHeaderMm - 1, Qt::AlignRight, doc_.pageHeader);
        double top = kPageHeaderMm;
        if (index == 0) top += Band(doc_.title, top) + 2;
        Table(doc_.pages[size_t(index)], top);
        Font(10, false);
        Text(0, heightMm_ - kFooterMm, widthMm_, kFooterMm, Qt::AlignRight,
             SheetFooter(index + 1, doc_.PageCount()));
    }

private:
    QPainter& p_;
    const ReportDocument& doc_;
    double px_, widthMm_, heightMm_;
};

}  // namespace

bool PaintReport(const ReportDocument& doc, QPagedPaintDevice& device) {
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(doc.marginLeftMm, doc.marginTopMm, doc.marginRightMm, doc.marginBottomMm),
                             QPageLayout::Millimeter);
    if (!device.setPageLayout(layout)) return false;
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const QRectF paintMm = device.pageLayout().paintRect(QPageLayout::Millimeter);
    const double pxPerMm = device.width() / paintMm.width();
    QPen pen(Qt::black);
    pen.setWidthF(kLineWidthMm * pxPerMm);
    painter.setPen(pen);
    Page page(painter, doc, pxPerMm, paintMm.width(), paintMm.height());
    for (int i = 0; i < doc.PageCount(); ++i) {
        if (i > 0 && !device.newPage()) return false;
        page.Paint(i);
    }
    return painter.end();
}

std::string ReportPdf(const ReportDocument& doc) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        writer.setCreator(QStringLiteral("zul"));
        if (!PaintReport(doc, writer)) return {};
    }
    return buffer.data().toStdString();
}

bool WriteReportPdf(const ReportDocument& doc, const std::string& path) {
    const std::string pdf = ReportPdf(doc);
    return !pdf.empty() && WriteFileAtomically(path, pdf);
}

}  // namespace zul
