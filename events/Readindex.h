// The index dialog TFormIndex: the oldest and newest index of an event archive,
// the first index and count to read, the choices "Весь диапазон данных",
// "Последние 100/50/10 записей" and "Заданный диапазон данных" (remembered in the
// archive-request settings).
//
//   TFormIndex f(kEventsDiagnostic, oldest, newest, settings.archive, this);
//   if (f.exec() == QDialog::Accepted) Fetch(f.first(), f.count());
#pragma once
#include <QDialog>

#include "events/ArchiveRequests.h"
#include "events/IndexChoice.h"
#include "link/LinkSettings.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zul {

class TFormIndex : public QDialog {
    Q_OBJECT
public:
    TFormIndex(EventArchive archive, uint32_t oldest, uint32_t newest, ArchiveSettings& settings,
               QWidget* parent = nullptr);
    bool accepted() const { return accepted_; }
    uint32_t first() const { return first_; }
    int count() const { return count_; }

    QLineEdit* oldestBox() const { return oldestBox_; }
    QLineEdit* newestBox() const { return newestBox_; }
    QLineEdit* startBox() const { return startBox_; }
    QLineEdit* countBox() const { return countBox_; }
    QRadioButton* choice(int i) const { return choices_[i]; }
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* exitButton() const { return exit_; }

    void Choose(int choice);
    void Accept();

private:
    uint32_t oldest_, newest_;
    ArchiveSettings& settings_;
    bool accepted_ = false;
    uint32_t first_ = 0;
    int count_ = 0;
    QLineEdit* oldestBox_;
    QLineEdit* newestBox_;
    QLineEdit* startBox_;
    QLineEdit* countBox_;
    QRadioButton* choices_[5] = {};
    QPushButton* accept_;
    QPushButton* exit_;
};

}  // namespace zul
