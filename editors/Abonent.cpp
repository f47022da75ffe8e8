#include "editors/Abonent.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/KeyFilters.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"
#include "shell/Desktop.h"

namespace zul {

namespace {

QString FromCp1251(const std::string& bytes) { return QString::fromStdString(Cp1251ToUtf8(bytes)); }
std::string ToCp1251(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

long long Number(const QString& text) {
    bool ok = false;
    long long v = text.trimmed().toLongLong(&ok);
    return ok ? v : -1;
}

}  // namespace

TFormAbonent::TFormAbonent(TelephoneSubscriber& entry, bool newEntry, UserInterface& ui, QWidget* parent)
    : QDialog(parent), phone_(&entry), ui_(ui) {
    setWindowTitle(QStringLiteral("Параметры абонента (связь по телефону)"));
    Build(false);
    if (!newEntry) {
        EdName->setText(FromCp1251(TextOf(entry.name)));
        CBAdr->setEditText(QString::number(entry.address));
        EdPhone->setText(FromCp1251(TextOf(entry.phone)));
    }
    EdName->setFocus();
}

TFormAbonent::TFormAbonent(EthernetSubscriber& entry, bool newEntry, UserInterface& ui, QWidget* parent)
    : QDialog(parent), ethernet_(&entry), ui_(ui) {
    setWindowTitle(QStringLiteral("Параметры абонента (Ethernet-интерфейс)"));
    Build(true);
    if (!newEntry) {
        EdName->setText(FromCp1251(TextOf(entry.name)));
        CBAdr->setEditText(QString::number(entry.address));
        for (int i = 0; i < 4; ++i) EdIp[i]->setText(QString::number(entry.ip[size_t(3 - i)]));
        EdPort->setText(QString::number(entry.port));
    }
    EdName->setFocus();
}

void TFormAbonent::Build(bool ethernet) {
    setModal(true);
    setObjectName("FormAbonent");
    auto* v = new QVBoxLayout(this);
    auto* g = new QGridLayout;
    EdName = new QLineEdit(this);
    EdName->setObjectName("EdName");
    EdName->setMaxLength(kSubscriberNameMax);
    EdName->setMinimumWidth(320);
    g->addWidget(new QLabel(QStringLiteral("Наименование"), this), 0, 0);
    g->addWidget(EdName, 0, 1);

    CBAdr = EditableNumberList(1, 255, this);
    CBAdr->setObjectName("CBAdr");
    g->addWidget(new QLabel(QStringLiteral("Адрес устройства"), this), 1, 0);
    g->addWidget(CBAdr, 1, 1, Qt::AlignLeft);

    if (!ethernet) {
        EdPhone = new QLineEdit(this);
        EdPhone->setObjectName("EdPhone");
        EdPhone->setMaxLength(kPhoneNumberMax);
        g->addWidget(new QLabel(QStringLiteral("№ телефона"), this), 2, 0);
        g->addWidget(EdPhone, 2, 1);
    } else {
        auto* row = new QHBoxLayout;
        for (int i = 0; i < 4; ++i) {
            EdIp[i] = new QLineEdit(this);
            EdIp[i]->setObjectName(QStringLiteral("EdIp%1").arg(i + 1));
            EdIp[i]->setMaxLength(3);
            EdIp[i]->setFixedWidth(44);
            InstallIntegerKeyFilter(EdIp[i]);
            row->addWidget(EdIp[i]);
            row->addWidget(new QLabel(i < 3 ? QStringLiteral(".") : QStringLiteral(":"), this));
        }
        ChainOctetBoxes(EdIp);
        EdPort = new QLineEdit(this);
        EdPort->setObjectName("EdPort");
        EdPort->setMaxLength(5);
        EdPort->setFixedWidth(60);
        InstallIntegerKeyFilter(EdPort);
        row->addWidget(EdPort);
        row->addStretch();
        g->addWidget(new QLabel(QStringLiteral("IP-адрес:порт"), this), 2, 0);
        g->addLayout(row, 2, 1);
    }
    v->addLayout(g);

    auto* buttons = new QHBoxLayout;
    BtnAccept = new QPushButton(QStringLiteral("Принять"), this);
    BtnAccept->setObjectName("BtnAccept");
    BtnCancel = new QPushButton(QStringLiteral("Отменить"), this);
    BtnCancel->setObjectName("BtnCancel");
    BtnAccept->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(BtnAccept);
    buttons->addWidget(BtnCancel);
    v->addLayout(buttons);
    connect(BtnAccept, &QPushButton::clicked, this, &TFormAbonent::AcceptClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TFormAbonent::reject);
}

bool TFormAbonent::Check() {
    const char* notAll = "Введены не все параметры";
    if (EdName->text().isEmpty() || CBAdr->currentText().isEmpty()) {
        ui_.ShowMessageBox(kMsgInputError, notAll, "");
        FocusFailedField(this);
        return false;
    }
    const long long address = Number(CBAdr->currentText());
    if (address < 1 || address > 255) {
        ui_.ShowMessageBox(kMsgInputError, "Адрес вне допустимого диапазона", "(1...255)");
        FocusFailedField(this, CBAdr);
        return false;
    }
    if (phone_) {
        if (EdPhone->text().isEmpty()) {
            ui_.ShowMessageBox(kMsgInputError, notAll, "");
            FocusFailedField(this, EdPhone);
            return false;
        }
        SetText(phone_->name, ToCp1251(EdName->text()), kSubscriberNameMax);
        phone_->address = uint8_t(address);
        SetText(phone_->phone, ToCp1251(EdPhone->text()), kPhoneNumberMax);
        return true;
    }
    bool empty = EdPort->text().isEmpty();
    for (QLineEdit* e : EdIp) empty = empty || e->text().isEmpty();
    if (empty) {
        ui_.ShowMessageBox(kMsgInputError, notAll, "");
        FocusFailedField(this);
        return false;
    }
    long long octets[4];
    for (int i = 0; i < 4; ++i) {
        octets[i] = Number(EdIp[i]->text());
        if (octets[i] < 0 || octets[i] > 255) {
            ui_.ShowMessageBox(kMsgInputError, "Поле IP-адреса вне допустимого диапазона", "(0...255)");
            FocusFailedField(this, EdIp[i]);
            return false;
        }
    }
    const long long port = Number(EdPort->text());
    ethernet_->address = uint8_t(address);
    SetText(ethernet_->name, ToCp1251(EdName->text()), kSubscriberNameMax);
    for (int i = 0; i < 4; ++i) ethernet_->ip[size_t(3 - i)] = uint8_t(octets[i]);
    ethernet_->port = uint32_t(port < 0 ? 0 : port);
    return true;
}

void TFormAbonent::AcceptClick() {
    if (!Check()) return;
    accepted_ = true;
    accept();
}

}  // namespace zul
