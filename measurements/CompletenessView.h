// The "Полнота данных" window of the archive viewers: the summary of a
// completeness check and one row per gap, per stretch the controller was off.
//
//   TFormCompleteness f(CheckChromCompleteness(kind, header, records, count), this);
//   f.exec();
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

}  // namespace zul
