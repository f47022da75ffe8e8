// The connection dialog: how the program reaches the controller (direct line,
// telephone, Ethernet), which controller, and the link set up in the engine.
#pragma once
#include <functional>

#include <QDialog>

#include "link/LinkSettings.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace zul {

class ProgramSettings;
class Qrtbox;
class TFormMain;
class UserInterface;

// What the dialog does to the main window's status bars.
struct ConnectStatusHooks {
    // Rewrites the link panels of the main status bar from the link settings.
    std::function<void()> refreshStatus;
    // Shows or hides the second and third status bars.
    std::function<void(bool)> showLinkBars;
};

class TFormConnect : public QDialog {
    Q_OBJECT
public:
    // `engine` receives the settings of the chosen kind (and for Ethernet the
    // connected socket); `ui` shows the messages and the hourglass.
    TFormConnect(ProgramSettings& settings, Qrtbox& engine, UserInterface& ui, ConnectStatusHooks hooks,
                 QWidget* parent = nullptr);
    // Over the main window: its settings, engine, user interface and status bars.
    explicit TFormConnect(TFormMain& main);

    // Set when a link has been established.
    bool connected() const { return connected_; }

    // The controls, for the program's own tests.
    QComboBox* CBConnType = nullptr;   // "Тип связи"
    QComboBox* CBAdr = nullptr;        // "Адрес устройства", editable 1..255
    QFrame* pn_abonent = nullptr;      // the subscriber panel
    QComboBox* CBAbonent = nullptr;    // "Абонент"
    QPushButton* BtnAbonentsList = nullptr;
    QPushButton* BtnConnect = nullptr;
    QPushButton* BtnConnPar = nullptr;
    QPushButton* BtnExit = nullptr;

    // The texts of the kind list and of the subscriber list's last item.
    static const char* const kKindNames[3];
    static const char* const kNewSubscriber;

public slots:
    // "Связаться" (public so that the checks can be driven with any list state).
    void ConnectClick();

private slots:
    void KindChanged(int index);
    void SubscriberChanged(int index);
    void SubscribersListClick();
    void ConnParClick();

private:
    void FillSubscribers();
    // The rules of a subscriber choice that needs no editor (-1: none).
    void ApplySubscriber(int index);
    void NewSubscriber();
    // Puts the combo box back to `index` without running the choice rules.
    void SetSubscriberIndex(int index);
    bool StoredSubscriberChosen() const;
    int SubscriberCount() const;
    int SubscriberAddress(int index) const;
    void WriteSubscribers();
    void ShowAddress(int address);
    void Refresh();
    void NotAll();
    // Prepares the engine for the direct line or the telephone; false when the
    // port could not be opened.
    bool SetUpSerialLink(int kind, int address);

    ProgramSettings& settings_;
    Qrtbox& engine_;
    UserInterface& ui_;
    ConnectStatusHooks hooks_;
    bool connected_ = false;
    bool filling_ = false;      // the subscriber list is being refilled
    int subscriberIndex_ = -1;  // the choice before the current one
};

}  // namespace zul
