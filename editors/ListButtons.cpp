#include "editors/ListButtons.h"

#include <QBoxLayout>
#include <QPushButton>

namespace zul {

ListButtons AddListButtons(QWidget* parent, QBoxLayout* column) {
    auto make = [parent](const QString& text, const char* name) {
        auto* b = new QPushButton(text, parent);
        b->setObjectName(name);
        return b;
    };
    ListButtons b{make(QStringLiteral("Изменить"), "BtnChange"), make(QStringLiteral("Удалить"), "BtnDelete"),
                  make(QStringLiteral("Добавить"), "BtnAdd"), make(QStringLiteral("Принять"), "BtnAccept"),
                  make(QStringLiteral("Отменить"), "BtnCancel")};
    auto* row = new QHBoxLayout;
    for (QPushButton* p : {b.change, b.remove, b.add}) row->addWidget(p);
    row->addStretch();
    row->addWidget(b.accept);
    row->addWidget(b.cancel);
    column->addLayout(row);
    return b;
}

ActionExitButtons AddActionExitButtons(QWidget* parent, QBoxLayout* column, const char* actionText,
                                       const char* actionName) {
    ActionExitButtons b{new QPushButton(QString::fromUtf8(actionText), parent),
                        new QPushButton(QStringLiteral("Выход"), parent)};
    b.action->setObjectName(actionName);
    b.exit->setObjectName("BtnExit");
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(b.action);
    row->addWidget(b.exit);
    column->addLayout(row);
    return b;
}

}  // namespace zul
