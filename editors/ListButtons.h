// The button rows shared by dialogs.
//   AddListButtons: the list dialogs' "Изменить", "Удалить", "Добавить", then
//     "Принять" and "Отменить" on the right.
//   AddActionExitButtons: one action ("Принять", "Скорректировать в контроллере")
//     and "Выход" (BtnExit), both on the right.
#pragma once

class QBoxLayout;
class QPushButton;
class QWidget;

namespace zul {

struct ListButtons {
    QPushButton* change;
    QPushButton* remove;
    QPushButton* add;
    QPushButton* accept;
    QPushButton* cancel;
};

ListButtons AddListButtons(QWidget* parent, QBoxLayout* column);

struct ActionExitButtons {
    QPushButton* action;
    QPushButton* exit;
};

ActionExitButtons AddActionExitButtons(QWidget* parent, QBoxLayout* column, const char* actionText,
                                       const char* actionName);

}  // namespace zul
