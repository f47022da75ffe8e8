// The connection dialog: how and to which controller the program connects.
#pragma once
#include <QDialog>

class QComboBox;
class QPushButton;
class QWidget;

namespace zul {

class TFormMain;

class TFormConnect : public QDialog {
    Q_OBJECT
public:
    explicit TFormConnect(TFormMain& main, QWidget* parent = nullptr);
    // Set when a link has been set up; the engine then holds the chosen kind's settings.
    bool connected() const { return connected_; }

    QComboBox* kindList() const { return kind_; }
    QComboBox* addressList() const { return address_; }
    QComboBox* subscriberList() const { return subscriber_; }
    QWidget* subscriberPanel() const { return panel_; }
    QPushButton* connectButton() const { return connect_; }
    QPushButton* paramsButton() const { return params_; }
    QPushButton* listButton() const { return list_; }
    QPushButton* exitButton() const { return exit_; }

    // The steps behind the buttons (the tests call them too).
    void ChooseKind(int kind);
    void ChooseSubscriber(int index);
    void EditList();
    void EditParams();
    void Connect();

private:
    void FillSubscribers();
    void ShowSubscriberAddress(int address);
    bool NewSubscriber();
    void WriteSubscribers();
    void Refresh();
    int kindIndex() const;

    TFormMain& main_;
    QComboBox* kind_ = nullptr;
    QComboBox* address_ = nullptr;
    QComboBox* subscriber_ = nullptr;
    QWidget* panel_ = nullptr;
    QPushButton *connect_ = nullptr, *params_ = nullptr, *list_ = nullptr, *exit_ = nullptr;
    bool connected_ = false;
    bool filling_ = false;
    int chosen_ = -1;  // the subscriber chosen, -1 none
};

}  // namespace zul
