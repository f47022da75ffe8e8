// The table-state dialog: which configuration tables are damaged, which to
// rewrite, and the reset of the controller's non-volatile data.
#pragma once
#include <QDialog>

#include "shell/TableInfoModel.h"

class QTableWidget;
class QPushButton;

namespace zul {

class Qrtbox;
class UserInterface;
struct LinkSettings;

class TFormTableInfo : public QDialog {
    Q_OBJECT
public:
    TFormTableInfo(TableStateInfo& info, uint8_t version, Qrtbox& box, LinkSettings& settings,
                   UserInterface& ui, QWidget* parent = nullptr);
    // 0 "Выход", 1 selected tables, 2 all tables, 3 non-volatile data reset.
    int result() const { return result_; }
    // Called after a successful reset (the main window refreshes its status bar).
    std::function<void()> onReset;

    QTableWidget* grid() const { return grid_; }
    QPushButton* writeAllButton() const { return writeAll_; }
    QPushButton* writeSelectedButton() const { return writeSelected_; }
    QPushButton* resetButton() const { return reset_; }
    QPushButton* exitButton() const { return exit_; }
    static constexpr int kVisibleRows = 27;

private:
    void Finish(int result);
    void TakeChecks();

    TableInfoModel model_;
    Qrtbox& box_;
    LinkSettings& settings_;
    UserInterface& ui_;
    QTableWidget* grid_ = nullptr;
    QPushButton *writeAll_ = nullptr, *writeSelected_ = nullptr, *reset_ = nullptr, *exit_ = nullptr;
    int result_ = kInfoExit;
};

}  // namespace zul
