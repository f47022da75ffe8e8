#include "events/Ques_prn.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "events/EventReport.h"
#include "tables/Stringi.h"

namespace zul {

TFormQues_Prn::TFormQues_Prn(int kind, const uint8_t* header, std::string titleIni, QWidget* parent)
    : QDialog(parent), titleIni_(std::move(titleIni)) {
    setModal(true);
    setObjectName("FormQues_Prn");
    setWindowTitle(QStringLiteral(" Данные для печати"));
    auto* v = new QVBoxLayout(this);
    const auto lines = PrintTitleLines(kind, header);
    for (int i = 0; i < 3; ++i) {
        EdLines[i] = new QLineEdit(QString::fromStdString(lines[size_t(i)]), this);
        EdLines[i]->setReadOnly(true);
        EdLines[i]->setAlignment(Qt::AlignHCenter);
        EdLines[i]->setFocusPolicy(Qt::NoFocus);
        EdLines[i]->setMinimumWidth(440);
        v->addWidget(EdLines[i]);
    }
    auto* group = new QGroupBox(QStringLiteral("Наименование организации"), this);
    auto* g = new QVBoxLayout(group);
    EdOrganisation = new QLineEdit(group);
    EdOrganisation->setObjectName("EdOrganisation");
    EdOrganisation->setMaxLength(kOrganisationNameLength);
    g->addWidget(EdOrganisation);
    g->addWidget(new QLabel(QStringLiteral("( до 40 символов )"), group), 0, Qt::AlignHCenter);
    v->addWidget(group);

    auto* buttons = new QHBoxLayout;
    BtnPrint = new QPushButton(QStringLiteral("Печатать"), this);
    BtnPrint->setObjectName("BtnPrint");
    BtnCancel = new QPushButton(QStringLiteral("Отменить"), this);
    BtnCancel->setObjectName("BtnCancel");
    buttons->addStretch();
    buttons->addWidget(BtnPrint);
    buttons->addWidget(BtnCancel);
    buttons->addStretch();
    v->addLayout(buttons);
    v->setSizeConstraint(QLayout::SetFixedSize);
    connect(BtnPrint, &QPushButton::clicked, this, &TFormQues_Prn::PrintClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TFormQues_Prn::reject);

    stored_ = ReadOrganisationName(titleIni_);
    EdOrganisation->setText(QString::fromStdString(Cp1251ToUtf8(stored_)));
    EdOrganisation->setFocus();
    BtnPrint->setDefault(true);
}

void TFormQues_Prn::PrintClick() {
    const std::string name = Utf8ToCp1251(EdOrganisation->text().left(kOrganisationNameLength).toStdString());
    StoreOrganisationName(titleIni_, name, stored_);  // a failure to write changes nothing for the print
    organisation_ = Cp1251ToUtf8(name.substr(0, kOrganisationNameLength));
    accepted_ = true;
    accept();
}

}  // namespace zul
