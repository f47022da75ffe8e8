// The button row shared by the list dialogs: "Изменить", "Удалить", "Добавить",
// then "Принять" and "Отменить" on the right.
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

}  // namespace zul
