// The moisture-meter archive viewers on the archive viewer base: measurements
// (TFormArhMeas_Wmt) and hourly and daily averages (TFormArhivHD_Wmt, modes 6 and
// 7). The grid's cells come from the core's MoistTable; the headings stand above
// the grid. Buttons: "Печать", "Сохранить в файле", "Выход".
//
//   TFormArhivHD_Wmt v(6, header, records, this);   // both stay the caller's
//   v.exec();
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "events/ArchiveView.h"

class QLabel;
#include "measurements/MoistRecords.h"

namespace zul {

class TMoistView : public TArchiveView {
    Q_OBJECT
public:
    TMoistView(ChromTableKind kind, const ArchiveFileHeader& header, const std::vector<uint8_t>& records,
               QWidget* parent = nullptr);
    ~TMoistView() override;

    const MoistTable& table() const { return *table_; }
    QPushButton* printButton() const { return printButton_; }
    QPushButton* saveButton() const { return saveButton_; }
    QPushButton* trendButton() const { return trendButton_; }
    QLabel* completenessLine() const { return completenessLine_; }
    void SaveFile();
    // "Печать": the print dialog, then the report in a print preview.
    void Print();

private:
    ChromTableKind kind_;
    const ArchiveFileHeader& header_;
    const std::vector<uint8_t>& records_;
    std::unique_ptr<MoistTable> table_;
    QPushButton* printButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* trendButton_ = nullptr;
    QLabel* completenessLine_ = nullptr;
};

class TFormArhMeas_Wmt : public TMoistView {
    Q_OBJECT
public:
    TFormArhMeas_Wmt(const ArchiveFileHeader& h, const std::vector<uint8_t>& r, QWidget* parent = nullptr)
        : TMoistView(kMoistMeasurement, h, r, parent) {}
};

class TFormArhivHD_Wmt : public TMoistView {
    Q_OBJECT
public:
    // mode 6 hourly, 7 daily.
    TFormArhivHD_Wmt(int mode, const ArchiveFileHeader& h, const std::vector<uint8_t>& r, QWidget* parent = nullptr)
        : TMoistView(mode == 7 ? kMoistDaily : kMoistHourly, h, r, parent) {}
};

}  // namespace zul
