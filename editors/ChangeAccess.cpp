#include "editors/ChangeAccess.h"

#include <cstring>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "editors/EditFlow.h"
#include "shell/UserInterface.h"
#include "tables/Conffun.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {

namespace {
std::string Cp1251(const QLineEdit* e) { return Utf8ToCp1251(e->text().toStdString()); }
}  // namespace

TFormChangeAccess::TFormChangeAccess(uint8_t* t4, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormChangeAccess", QStringLiteral("Доступ пользователей к записи в контроллер"), t4,
                  kUserTableSize, kDeviceMode, ui, parent) {
    std::memcpy(copy_.data(), t4, copy_.size());
    summary_ = SummariseUsers(copy_.data());
    auto* row = new QHBoxLayout;
    body()->addLayout(row);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Выбор пользователя\nдля коррекции"), this));
    LbUsers = new QListWidget(this);
    LbUsers->setObjectName("LbUsers");
    LbUsers->setFixedWidth(110);
    for (int u = 0; u < kUserSlots; ++u)
        LbUsers->addItem(QString::fromStdString(Cp1251ToUtf8(UserListItem(copy_.data() + u * kUserRecordSize))));
    left->addWidget(LbUsers);
    row->addLayout(left);

    auto* right = new QVBoxLayout;
    auto* grid = new QGridLayout;
    EdName = new QLineEdit(this);
    EdName->setObjectName("EdName");
    EdName->setMaxLength(kUserNameSize);
    EdName->setFixedWidth(80);
    QStringList levels;
    for (const char* name : kAccessLevelNames) levels << QString::fromUtf8(name);
    CbLevel = TextList(levels, this);
    CbLevel->setObjectName("CbLevel");
    grid->addWidget(new QLabel(QStringLiteral("Имя пользователя\n(до 4 символов)"), this), 0, 0);
    grid->addWidget(EdName, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Уровень допуска"), this), 1, 0);
    grid->addWidget(CbLevel, 1, 1);
    right->addLayout(grid);
    credentials = AddCredentialBoxes(this, right);
    row->addLayout(right);
    auto* note = new QLabel(QStringLiteral("Для удаления пользователя достаточно ввести уровень доступа \"Нет доступа\""),
                            this);
    body()->addWidget(note);

    connect(LbUsers, &QListWidget::currentRowChanged, this, &TFormChangeAccess::SelectSlot);
    LbUsers->setCurrentRow(0);
}

void TFormChangeAccess::SelectSlot(int slot) {
    if (slot < 0 || slot >= kUserSlots) return;
    const uint8_t* rec = copy_.data() + slot * kUserRecordSize;
    EdName->setText(QString::fromStdString(Cp1251ToUtf8(TrimmedBytes(rec, kUserNameSize))));
    SelectItem(CbLevel, rec[kUserLevelOffset]);
    for (QLineEdit* e : {credentials.code, credentials.code2, credentials.password, credentials.password2}) e->clear();
}

bool TFormChangeAccess::Store(uint8_t* bytes) {
    OneUserInput in;
    in.slot = LbUsers->currentRow();
    in.level = CbLevel->currentIndex();
    in.name = Cp1251(EdName);
    in.code = Cp1251(credentials.code);
    in.codeConfirm = Cp1251(credentials.code2);
    in.password = Cp1251(credentials.password);
    in.passwordConfirm = Cp1251(credentials.password2);
    const UserChange c = ApplyOneUserChange(copy_.data(), summary_, in);
    if (c.kind == kUserRefused) {
        Refuse(c.refusal.line1, c.refusal.line2);
        ClearRefused(credentials, int(c.refusal.clear));
        return false;
    }
    std::memcpy(bytes + in.slot * kUserRecordSize, c.record.data(), kUserRecordSize);
    changed_ = in.slot;
    return true;
}

void ChangeOneUser(TableIo& io, StatusBar* bar, QWidget* parent) {
    EditFlow flow(io, bar);
    if (!flow.Read({{7, 0, kTableCount}})) return;
    if (flow.image().Byte(7, 4) == 1) {
        io.ui().ShowMessageBox(kMsgWarning, "Таблица доступа пользователей", "требует полной перезаписи");
        return;
    }
    // The 352 bytes do not fit one reply: two requests, the second only after the first.
    if (!flow.Read({{4, 0, 11}}) || !flow.Read({{4, 11, 5}})) return;
    int slot = -1;
    {
        TFormChangeAccess d(flow.image().Data(4), &io.ui(), parent);
        d.exec();
        if (!d.accepted()) return;
        slot = d.changedSlot();
    }
    // Exactly that one field, changed or not.
    flow.Write({4, slot, 1});
}

}  // namespace zul
