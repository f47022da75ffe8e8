// The base of every table editor dialog and the widgets they share.
//
// A dialog edits `size` bytes given by its caller: the table's bytes in the table
// image (device mode, accept button "Записать в устройство") or the matching
// bytes of a configuration file (file mode, "Принять"). It fills its widgets from
// the bytes in its constructor (one Load per dialog) and stores them only when
// accepted (one Store per dialog): Store gets a copy of the bytes, checks the
// input in order and reports the first failure with Refuse(); only when it
// returns true is the copy put back over the given bytes. "Отменить", Esc and
// closing leave the bytes untouched and accepted() false.
//
//   class TFormConWMT : public TFormEditor {
//   public:
//       TFormConWMT(uint8_t* bytes, EditMode mode, UserInterface* ui, QWidget* parent)
//           : TFormEditor("FormConWMT", " Параметры связи с влагомером", bytes, 8, mode, ui, parent) {
//           auto* grid = AddGrid();                 // rows of caption + control
//           CbAddress = NumberList(1, 247, true, this);
//           AddRow(grid, "Адрес влагомера", CbAddress);
//           ...
//           Load();
//       }
//   protected:
//       bool Store(uint8_t* b) override {
//           if (CbAddress->currentText().isEmpty()) return Refuse("Введены не все параметры");
//           b[0] = ...;
//           return true;
//       }
//   };
//
//   TFormConWMT d(image.Data(15), kDeviceMode, &io.ui(), parent);   // or kFileMode on a file's bytes
//   d.exec();  if (d.accepted()) ...
//
// Messages go through the UserInterface given (kind 2, "Ошибка ввода параметров");
// with none, the dialog shows message boxes of its own.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QGroupBox>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace zul {

class UserInterface;

enum EditMode { kDeviceMode = 0, kFileMode = 1 };

class TFormEditor : public QDialog {
    Q_OBJECT
public:
    ~TFormEditor() override;
    bool accepted() const { return accepted_; }
    EditMode mode() const { return mode_; }

    QPushButton* BtnWrite = nullptr;   // "Записать в устройство" (device mode)
    QPushButton* BtnAccept = nullptr;  // "Принять" (file mode)
    QPushButton* BtnCancel = nullptr;  // "Отменить", also Esc

protected:
    TFormEditor(const char* objectName, const QString& caption, uint8_t* bytes, int size, EditMode mode,
                UserInterface* ui, QWidget* parent);

    // Checks the input and stores it into `bytes` (a copy of the given bytes);
    // false after Refuse() leaves the dialog open and the given bytes unchanged.
    virtual bool Store(uint8_t* bytes) = 0;
    // After the stored bytes have been put back: state of its own the dialog
    // hands over on acceptance (kept apart until then).
    virtual void Committed() {}
    // The input-error message with the first failing check; returns false. The
    // focus goes back to `field`, or without one to the first empty input (the
    // first input when none is empty).
    bool Refuse(const std::string& line1, const std::string& line2 = {});
    bool Refuse(QWidget* field, const std::string& line1, const std::string& line2 = {});
    UserInterface& ui() { return *ui_; }
    // The given bytes (to fill the widgets from).
    const uint8_t* bytes() const { return bytes_; }
    int size() const { return size_; }

    // Where the subclass puts its controls (the buttons come below).
    QVBoxLayout* body() const { return body_; }
    QGridLayout* AddGrid();
    // A caption ("\n" between its lines) in column 0 and the control in column 1,
    // an optional unit or hint in column 2.
    void AddRow(QGridLayout* grid, const QString& caption, QWidget* control, const QString& unit = {});

private slots:
    void AcceptClick();

private:
    uint8_t* bytes_;
    int size_;
    EditMode mode_;
    std::unique_ptr<UserInterface> ownUi_;
    UserInterface* ui_;
    QVBoxLayout* body_ = nullptr;
    bool accepted_ = false;
};

// --- shared controls -----------------------------------------------------------------
// A drop-down list of texts (UTF-8).
QComboBox* TextList(std::initializer_list<const char*> items, QWidget* parent);
QComboBox* TextList(const QStringList& items, QWidget* parent);
// The numbers from..to; an editable one is EditableNumberList (shell/KeyFilters.h).
QComboBox* NumberList(int from, int to, bool editable, QWidget* parent);
// The 22 speeds of the speed code: the item index is the code.
QComboBox* SpeedList(QWidget* parent);
// An edit box of at most `maxDigits` digits.
QLineEdit* DigitsBox(int maxDigits, QWidget* parent);
// The number in a list or box ("" or not a number: false).
bool NumberOf(const QString& text, uint64_t* value);
// Selects `index` when it is an item of the list, nothing otherwise.
void SelectItem(QComboBox* list, int index);

// Four octet boxes of an IPv4 address, written as the dotted form; the field
// stores the last octet first (the leftmost box is byte 3).
class TIpBox : public QWidget {
    Q_OBJECT
public:
    explicit TIpBox(QWidget* parent = nullptr);
    void Load(const uint8_t* field);
    // False when a box is empty.
    bool Complete() const;
    // The first box holding a number above 255, null when none does.
    QLineEdit* OutOfRange() const;
    // Stores a complete address in range.
    void Store(uint8_t* field) const;
    QLineEdit* octet[4] = {};
};

// One summer- or winter-time rule of table 6: month, day method, day of month or
// week and weekday, hour. Works on its own copy of the three bytes.
class TRuleBox : public QGroupBox {
    Q_OBJECT
public:
    TRuleBox(bool winter, QWidget* parent = nullptr);
    void Load(const uint8_t* rule);         // month, day of change, hour
    void Store(uint8_t* rule) const { std::copy(rule_, rule_ + 3, rule); }
    const uint8_t* rule() const { return rule_; }

    QComboBox* CbMonth = nullptr;
    QComboBox* CbMethod = nullptr;
    QComboBox* CbDay = nullptr;
    QComboBox* CbOrdinal = nullptr;
    QComboBox* CbWeekday = nullptr;
    QComboBox* CbHour = nullptr;

private:
    void Show();
    void FillDays();
    bool winter_;
    bool loading_ = false;
    uint8_t rule_[3] = {};
    std::vector<QWidget*> dayRow_, weekRow_, otherRows_;
};

}  // namespace zul
