// The chromatograph archive viewers on the archive viewer base: measurements
// (TFormArhMeas_Chr), hourly and daily averages (TFormArhivHDM_Chr) and
// calibrations (TFormArhiv_Clb). The grid's cells come from the core's ChromTable;
// the names and units rows stand in the grid's heading.
//
//   TFormArhMeas_Chr v(header, records, this);   // both stay the caller's
//   v.exec();
#pragma once
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "events/ArchiveView.h"
#include "measurements/ChromRecords.h"
#include "measurements/Completeness.h"
#include "tables/ArchiveHeader.h"

class QLabel;

namespace zul {

class TChromView : public TArchiveView {
    Q_OBJECT
public:
    TChromView(ChromTableKind kind, const ArchiveFileHeader& header, const std::vector<uint8_t>& records,
               QWidget* parent = nullptr);
    ~TChromView() override;

    const ChromTable& table() const { return *table_; }
    QPushButton* statusButton() const { return statusButton_; }
    QPushButton* excelButton() const { return excelButton_; }  // null for calibrations
    QPushButton* saveButton() const { return saveButton_; }
    QLabel* legend() const { return legend_; }                  // measurements only
    // The completeness line under the grid and its "Полнота данных" window.
    QLabel* completenessLine() const { return completenessLine_; }
    QPushButton* completenessButton() const { return completenessButton_; }
    QPushButton* trendButton() const { return trendButton_; }   // null for calibrations
    const CompletenessReport& completeness() const { return completeness_; }

    // The record of the selected grid row, or -1.
    int SelectedRecord() const;
    // "Признаки состояния" (also a double click on a row).
    void ShowStatus();
    // "Сохранить в формате Excel" and "Сохранить в файле".
    void SaveWorkbook();
    void SaveFile();

private:
    ChromTableKind kind_;
    const ArchiveFileHeader& header_;
    const std::vector<uint8_t>& records_;
    std::unique_ptr<ChromTable> table_;
    QPushButton* statusButton_ = nullptr;
    QPushButton* excelButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QLabel* legend_ = nullptr;
    CompletenessReport completeness_;
    QLabel* completenessLine_ = nullptr;
    QPushButton* completenessButton_ = nullptr;
    QPushButton* trendButton_ = nullptr;
};

class TFormArhMeas_Chr : public TChromView {
    Q_OBJECT
public:
    TFormArhMeas_Chr(const ArchiveFileHeader& h, const std::vector<uint8_t>& r, QWidget* parent = nullptr)
        : TChromView(kChromMeasurement, h, r, parent) {}
};

class TFormArhivHDM_Chr : public TChromView {
    Q_OBJECT
public:
    // mode 0 hourly, 1 daily.
    TFormArhivHDM_Chr(int mode, const ArchiveFileHeader& h, const std::vector<uint8_t>& r, QWidget* parent = nullptr)
        : TChromView(mode == 0 ? kChromHourly : kChromDaily, h, r, parent) {}
};

class TFormArhiv_Clb : public TChromView {
    Q_OBJECT
public:
    TFormArhiv_Clb(const ArchiveFileHeader& h, const std::vector<uint8_t>& r, QWidget* parent = nullptr)
        : TChromView(kChromCalibration, h, r, parent) {}
};

// "Сохранить в файле" of every measurement viewer: the save loop of the viewer base
// with the kind's folder, default name, filter and extension; the header's count
// set to the `count` records written.
bool SaveRecordsFile(TArchiveView& view, ChromTableKind kind, const ArchiveFileHeader& header,
                     const uint8_t* records, size_t count);

// Opens an archive file of the kind (either instrument) as the "Просмотр/Печать из файла"
// commands do: the open dialog (or `path` when given), the check, the viewer.
// Messages as the viewers give them; false when nothing was shown.
bool OpenChromFile(ChromTableKind kind, const class TableImage& image, const QString& path, QWidget* parent);

}  // namespace zul
