// The link settings dialog: the parameters of the current connection kind, with
// the search for the address of a controller on a direct line.
#pragma once
#include <QDialog>

#include "link/LinkSettings.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zul {

class Qrtbox;
class UserInterface;

class TFormConn_Par : public QDialog {
    Q_OBJECT
public:
    // Edits the record of settings.current.connectionKind. `engine` runs the
    // address search; `ui` shows the messages.
    TFormConn_Par(LinkSettings& settings, Qrtbox& engine, UserInterface& ui, QWidget* parent = nullptr);

    // Set when the dialog was left with new settings in force.
    bool accepted() const { return accepted_; }

    // The controls, for the program's own tests and the window that opens it.
    QFrame* pn_dir = nullptr;
    QFrame* pn_fon = nullptr;
    QFrame* pn_ethr = nullptr;
    QComboBox* CBPort = nullptr;
    QComboBox* CBRate = nullptr;
    QLineEdit* EdWaitTime = nullptr;
    QLineEdit* EdTimeOut = nullptr;
    QLineEdit* EdPreambles = nullptr;
    QComboBox* CBRepeat = nullptr;
    QLineEdit* EdPortWait = nullptr;
    QCheckBox* ChBClosePort = nullptr;
    QComboBox* CBRs485 = nullptr;       // "Управление передатчиком RS-485" (direct line)
    QCheckBox* ChBRtsOnSend = nullptr;
    QLineEdit* EdCommand = nullptr;
    QLineEdit* EdFonConnWait = nullptr;
    QLineEdit* EdFonConnRepeat = nullptr;
    QLineEdit* EdEthConnWait = nullptr;
    QLineEdit* EdEthConnRepeat = nullptr;
    QLineEdit* EdEthWaitTime = nullptr;
    QLineEdit* EdEthTimeOut = nullptr;
    QLineEdit* EdEthPreambles = nullptr;
    QComboBox* CBEthRepeat = nullptr;
    QPushButton* BtnSearch = nullptr;
    QPushButton* BtnAccept = nullptr;
    QPushButton* BtnExit = nullptr;

    // Text of a port list item: "COM<n>" and the device behind it.
    static QString PortItemText(int portNumber);
    // The port list's items carry the port number (Qt::UserRole) and, for an adapter
    // listed by its stable name, that name (kDeviceRole; empty for numbered ports).
    static constexpr int kDeviceRole = Qt::UserRole + 1;

public slots:
    void reject() override;

private slots:
    void AcceptClick();
    void SearchClick();
    void ClosePortToggled(bool on);

private:
    void BuildDirectPanel();
    void BuildPhonePanel();
    void BuildEthernetPanel();
    void ShowRecord();
    void ShowPortWait(bool enabled);
    void ShowPort(const LinkParams& r, const std::string& device);
    // The checks of "Принять" and "Поиск адреса устройства"; true when the new
    // values are in `settings_`.
    bool Commit();
    bool NotAll();
    bool OutOfRange(QLineEdit* box, const char* field);

    LinkSettings& settings_;
    Qrtbox& engine_;
    UserInterface& ui_;
    const int kind_;
    LinkParams scratch_;
    bool accepted_ = false;
    bool searching_ = false;
    QLabel* portWaitLabel_ = nullptr;
    QLabel* portWaitUnit_ = nullptr;
};

}  // namespace zul
