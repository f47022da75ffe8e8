#include "measurements/CompletenessView.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zul {

TFormCompleteness::TFormCompleteness(CompletenessReport report, QWidget* parent)
    : TArchiveView(parent), report_(std::move(report)) {
    setWindowTitle(QStringLiteral("Полнота данных"));
    const CompletenessReport* r = &report_;
    const int gaps = int(r->gaps.size());
    SetGrid(gaps + int(r->off.size()),
            {QStringLiteral("Что"), QStringLiteral("С"), QStringLiteral("По"), QStringLiteral("Записей")},
            {140, 140, 140, 70}, [r, gaps](int row, int column) {
                const bool gap = row < gaps;
                const MomentSpan& s = gap ? r->gaps[size_t(row)] : r->off[size_t(row - gaps)];
                switch (column) {
                case 0: return gap ? QStringLiteral("Пропуск") : QStringLiteral("Контроллер выключен");
                case 1: return QString::fromStdString(SpanEndText(*r, s.first));
                case 2: return QString::fromStdString(SpanEndText(*r, s.last));
                default: return QString::number(s.count);
                }
            });
    SetStatusText(QString::fromStdString(CompletenessSummary(report_)));
    statusPanel()->setWordWrap(true);
    FitHeight(520, 80);
    SelectRow(0);
}

CompletenessControls AddCompletenessControls(TArchiveView& view, const CompletenessReport& report) {
    CompletenessControls c;
    c.line = new QLabel(QString::fromStdString(CompletenessSummary(report)), &view);
    c.line->setObjectName("completeness");
    view.mainLayout()->insertWidget(view.mainLayout()->count() - 1, c.line);
    c.button = view.AddButton(QStringLiteral("Полнота данных"));
    QObject::connect(c.button, &QPushButton::clicked, &view, [&view, report] {
        TFormCompleteness f(report, &view);
        f.exec();
    });
    return c;
}

}  // namespace zul
