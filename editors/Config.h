// The configuration dialog: one button per area of a configuration record, each
// opening that area's editor in file mode on the record's bytes. Accepting keeps
// what the editors changed (and says whether anything did); cancelling puts the
// record back as it was when the dialog was shown.
//
//   ConfigurationRecord rec;  NewConfiguration(rec);
//   TFormConfig d(&rec, false, &ui, parent);     // restore mode: "Записать в устройство"
//   d.exec();
//   if (d.accepted() && (d.changed() || isNew)) SaveConfigurationFile(...);
#pragma once
#include <functional>
#include <map>

#include <QDialog>

#include "tables/ConfigRecord.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace zul {

class UserInterface;

class TFormConfig : public QDialog {
    Q_OBJECT
public:
    TFormConfig(ConfigurationRecord* record, bool restoreMode, UserInterface* ui, QWidget* parent = nullptr);

    bool accepted() const { return accepted_; }
    bool changed() const { return changed_; }
    // The button of an area by its object name ("BtnNames", "BtnLimits2", ...).
    QPushButton* button(const char* name) const;

    QPushButton* BtnAccept = nullptr;   // "Принять" / "Записать в устройство"
    QPushButton* BtnCancel = nullptr;   // "Отменить"
    QGroupBox* GbFlow = nullptr;        // the flow-computer group

    // "Отменить", Esc and closing: after edits, only when the user agrees to lose them.
    void reject() override;

private:
    void AddButton(QWidget* box, const char* name, const QString& caption, std::function<void()> edit);
    void ApplyEnableRules();
    void ShowCaption();
    void AcceptClick();

    ConfigurationRecord* record_;
    ConfigurationRecord shown_;   // the record as it was when shown
    UserInterface* ui_;
    bool accepted_ = false;
    bool changed_ = false;
    std::map<std::string, QPushButton*> buttons_;
};

}  // namespace zul
