// The archive viewer base shared by every archive window: caption, a grid over a
// model of rows (QTableView; cells are asked for only when shown, so a 30,000-row
// archive opens at once), a one-line status panel, a row of buttons ending in
// "Выход", and the save and open plumbing.
//
//   class TFormAla : public TArchiveView { ... };
//   SetGrid(rows, {"", "Дата", ...}, {4, 72, ...}, [this](int r, int c) { return Cell(r, c); });
//   QPushButton* save = AddButton("Сохранить в файле");      // left of "Выход"
//   SaveToFile({folder, "DataFiles (*.ala)|*.ala", preset, ".ala", [&] { return bytes; }});
//
//   QString path = ChooseArchiveFile(parent, folder, "DataFiles(*.ala)|*.ala");  // "" on cancel
#pragma once
#include <functional>
#include <string>

#include <QAbstractTableModel>
#include <QDialog>
#include <QStringList>
#include <QVector>

class QLabel;
class QPushButton;
class QTableView;
class QHBoxLayout;
class QVBoxLayout;

namespace zul {

// Rows as a function of (row, column); nothing is stored per cell.
class ArchiveRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using CellFn = std::function<QString(int row, int column)>;
    explicit ArchiveRowsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void Reset(int rows, QStringList headings, CellFn cell);
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(headings_.size()); }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QString Cell(int row, int column) const { return cell_ ? cell_(row, column) : QString(); }

private:
    int rows_ = 0;
    QStringList headings_;
    CellFn cell_;
};

// What "Сохранить в файле" needs from a viewer.
struct SaveFileRequest {
    QString folder;           // start folder
    QString filter;           // "DataFiles (*.ala)|*.ala"
    QString presetName;       // full path proposed
    QString extension;        // ".ala", appended to a name without one
    std::function<std::string()> bytes;  // the file's content
};

class TArchiveView : public QDialog {
    Q_OBJECT
public:
    // The most rows a grid shows; a file claiming more shows the rows it holds.
    static constexpr int kMaxRows = 1000000;

    explicit TArchiveView(QWidget* parent = nullptr);

    QTableView* grid() const { return grid_; }
    ArchiveRowsModel* model() const { return model_; }
    QLabel* statusPanel() const { return status_; }
    QPushButton* exitButton() const { return exit_; }
    QPushButton* AddButton(const QString& text);
    // The layout above the grid (for legends and headings of a kind).
    QVBoxLayout* mainLayout() const { return main_; }

    // Grid: `rows` rows, one heading per column, column widths in pixels.
    void SetGrid(int rows, const QStringList& headings, const QVector<int>& widths, ArchiveRowsModel::CellFn cell);
    void SetStatusText(const QString& text);
    // Selects the last row (or `row`) and gives "Выход" the focus.
    void SelectRow(int row);
    // Height that shows every row, made shorter by whole rows to fit the screen less `margin`.
    void FitHeight(int width, int margin);

    // The save loop: dialog, extension, replace question, atomic write, messages.
    // True when a file was written.
    bool SaveToFile(const SaveFileRequest& request);
    // The name part of that loop: the dialog, the extension added to a name without
    // one, the question before an existing file is replaced ("Нет" opens the dialog
    // again). "" when the user gave up.
    QString ChooseSaveName(const SaveFileRequest& request);
    // The name chosen in the last successful save.
    QString lastSavedPath() const { return lastSaved_; }

private:
    ArchiveRowsModel* model_;
    QTableView* grid_;
    QLabel* status_;
    QHBoxLayout* buttons_;
    QPushButton* exit_;
    QVBoxLayout* main_;
    QString lastSaved_;
};

// Qt's filter from "Text (*.x)|*.x".
QString QtFilter(const QString& filter);
// The open-file dialog of the viewers ("Выберите файл с данными"); "" on cancel.
QString ChooseArchiveFile(QWidget* parent, const QString& folder, const QString& filter);
// The first line of a file refusal: "Файл %s не является файлом, содержащим".
QString RefusalLine(const QString& path);

}  // namespace zul
