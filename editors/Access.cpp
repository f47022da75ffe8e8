#include "editors/Access.h"

#include <cstring>

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "editors/Uspass.h"
#include "tables/Stringi.h"

namespace zul {

TFormAccess::TFormAccess(uint8_t* t4, EditMode mode, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormAccess", QStringLiteral("Доступ пользователей к записи в контроллер"), t4, kUserTableSize,
                  mode, ui, parent) {
    std::memcpy(copy_.data(), t4, copy_.size());
    QGridLayout* grid = AddGrid();
    grid->addWidget(new QLabel(QStringLiteral("Уровень\nдоступа"), this), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Имя \nпользователя\n(до 4 символов)"), this), 0, 2, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Идентификатор\nпользователя,\nпароль"), this), 0, 3, Qt::AlignHCenter);
    QStringList levels;
    for (const char* name : kAccessLevelNames) levels << QString::fromUtf8(name);
    for (int u = 0; u < kUserSlots; ++u) {
        const uint8_t* rec = copy_.data() + u * kUserRecordSize;
        grid->addWidget(new QLabel(QString::number(u + 1), this), u + 1, 0);
        CbLevel[u] = TextList(levels, this);
        CbLevel[u]->setObjectName(QString("CbLevel%1").arg(u + 1));
        EdName[u] = new QLineEdit(this);
        EdName[u]->setObjectName(QString("EdName%1").arg(u + 1));
        EdName[u]->setMaxLength(kUserNameSize);
        EdName[u]->setFixedWidth(70);
        BtnUser[u] = new QPushButton(QStringLiteral("..."), this);
        BtnUser[u]->setObjectName(QString("BtnUser%1").arg(u + 1));
        BtnUser[u]->setAutoDefault(false);
        grid->addWidget(CbLevel[u], u + 1, 1);
        grid->addWidget(EdName[u], u + 1, 2);
        grid->addWidget(BtnUser[u], u + 1, 3);
        const uint8_t level = rec[kUserLevelOffset];
        SelectItem(CbLevel[u], level);
        if (level > 0)
            EdName[u]->setText(QString::fromStdString(Cp1251ToUtf8(TrimmedBytes(rec, kUserNameSize))));
        BtnUser[u]->setEnabled(level > 0);
        connect(CbLevel[u], &QComboBox::currentIndexChanged, this,
                [this, u](int index) { BtnUser[u]->setEnabled(index > 0); });
        connect(BtnUser[u], &QPushButton::clicked, this, [this, u] { UserClick(u); });
    }
}

void TFormAccess::UserClick(int row) {
    uint8_t* rec = copy_.data() + row * kUserRecordSize;
    TFormUsPass d(rec + kUserPasswordOffset, false, &ui(), this);
    d.exec();
    if (d.accepted()) std::memcpy(rec + kUserPasswordOffset, d.result().data(), 16);
}

bool TFormAccess::Store(uint8_t* bytes) {
    int levels[kUserSlots];
    std::string names[kUserSlots];
    for (int u = 0; u < kUserSlots; ++u) {
        // A row whose role has no name in the list keeps the role it came with.
        const int index = CbLevel[u]->currentIndex();
        levels[u] = index >= 0 ? index : copy_[u * kUserRecordSize + kUserLevelOffset];
        names[u] = Utf8ToCp1251(EdName[u]->text().toStdString());
    }
    ApplyUserRows(copy_.data(), levels, names);
    for (int u = 0; u < kUserSlots; ++u)
        if (levels[u] == 0) EdName[u]->clear();
    const UserRefusal r = CheckUserTable(copy_.data());
    if (r.refused) return Refuse(r.line1, r.line2);
    std::memcpy(bytes, copy_.data(), copy_.size());
    return true;
}

}  // namespace zul
