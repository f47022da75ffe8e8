// The "Полнота данных" window of the archive viewers: the summary of a
// completeness check and one row per gap, per stretch the controller was off.
//
//   TFormCompleteness f(CheckChromCompleteness(kind, header, records, count), this);
//   f.exec();
//
//   // In a viewer: the line under the grid and the button that opens the window.
//   CompletenessControls c = AddCompletenessControls(*this, report);
#pragma once
#include "events/ArchiveView.h"
#include "measurements/Completeness.h"

namespace zul {

class TFormCompleteness : public TArchiveView {
    Q_OBJECT
public:
    explicit TFormCompleteness(CompletenessReport report, QWidget* parent = nullptr);
    const CompletenessReport& report() const { return report_; }

private:
    CompletenessReport report_;
};

struct CompletenessControls {
    QLabel* line = nullptr;
    QPushButton* button = nullptr;
};
CompletenessControls AddCompletenessControls(TArchiveView& view, const CompletenessReport& report);

}  // namespace zul
