// "Хранилище архивов": what the archive store holds, per controller and archive
// kind (first, last, count, gaps); "Собрать" collects from the connected
// controller (the window's progress and Esc), "Открыть" opens a period of the
// chosen row in the kind's own viewer. The window brings the collection and the
// viewers; this dialog only lists and asks.
//
//   TFormStore f(*store, collect, open, settings.archive, this);
//   f.exec();
#pragma once
#include <functional>

#include <QDialog>

#include "events/PeriodChoice.h"
#include "store/StoreFiles.h"

class QPushButton;
class QTableWidget;

namespace zul {

class TFormStore : public QDialog {
    Q_OBJECT
public:
    using Collect = std::function<void(ArchiveStore&)>;     // null: no controller connected
    using Open = std::function<void(StoredPeriod&)>;
    TFormStore(ArchiveStore& store, Collect collect, Open open, ArchiveSettings& settings,
               QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    QPushButton* collectButton() const { return collectButton_; }
    QPushButton* openButton() const { return openButton_; }
    QPushButton* exitButton() const { return exitButton_; }
    // Lists the store again.
    void Refresh();

private:
    void CollectNow();
    void OpenChosen();

    ArchiveStore& store_;
    Collect collect_;
    Open open_;
    ArchiveSettings& settings_;
    QTableWidget* table_;
    QPushButton *collectButton_, *openButton_, *exitButton_;
    struct Row {
        std::string mac;
        ArchiveKind kind;
    };
    std::vector<Row> rows_;
};

}  // namespace zul
