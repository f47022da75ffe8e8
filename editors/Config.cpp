#include "editors/Config.h"

#include <algorithm>
#include <cstring>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>  // QtUserInterface keeps a QPointer to one
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/Access.h"
#include "editors/Conneth.h"
#include "editors/Connqrt.h"
#include "editors/Connvich.h"
#include "editors/Connvu.h"
#include "editors/Connwmt.h"
#include "editors/Const_par.h"
#include "editors/Contrname.h"
#include "editors/Distrpar.h"
#include "editors/EditorRules.h"
#include "editors/Floulist.h"
#include "editors/Ident.h"
#include "editors/Przdistr.h"
#include "editors/Syspar.h"
#include "editors/Time_Sinhr.h"
#include "editors/limits.h"
#include "shell/QtUserInterface.h"
#include "tables/Conffun.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr int kTable43Offset = 3935;  // table 43, then table 44: the constants' 100 bytes

// Runs an editor in file mode; true when it was accepted.
template <class Editor, class... Args>
bool RunEditor(Args&&... args) {
    Editor d(std::forward<Args>(args)...);
    d.exec();
    return d.accepted();
}

int ParameterCount(const ConfigurationRecord& r) { return std::clamp<int>(r.TableAt(14)[14], 1, kGasParams); }

QGroupBox* Group(const char* title, QWidget* parent) {
    auto* g = new QGroupBox(QString::fromUtf8(title), parent);
    new QVBoxLayout(g);
    return g;
}

}  // namespace

TFormConfig::TFormConfig(ConfigurationRecord* record, bool restoreMode, UserInterface* ui, QWidget* parent)
    : QDialog(parent), record_(record), shown_(*record), ui_(ui) {
    setObjectName("FormConfig");
    setModal(true);
    auto* top = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    top->addLayout(columns);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    auto* names = Group("Наименования", this);
    left->addWidget(names);
    AddButton(names, "BtnNames", "Наименования", [this] {
        RunEditor<TFormContrName>(record_->TableAt(5), kFileMode, ui_, this);
        ShowCaption();
    });
    AddButton(names, "BtnIdent", "Параметры идентификации", [this] {
        TFormIdent d(record_->TableAt(0), record_->bytes[kCfgOrigin] != 0, this);
        d.exec();
    });

    auto* link = Group(" Параметры связи ", this);
    left->addWidget(link);
    AddButton(link, "BtnConVich", "С  вычислителями расхода газа",
              [this] { RunEditor<TFormConVich>(record_->TableAt(9), kFileMode, ui_, this); });
    AddButton(link, "BtnConVU", "С верхним уровнем",
              [this] { RunEditor<TFormConVU>(record_->TableAt(3), kFileMode, true, ui_, this); });
    AddButton(link, "BtnConQRT", "С хроматографом", [this] {
        ConfigurationRecord& c = *record_;
        const int count = c.TableAt(6)[9] ? std::min<int>(c.TableAt(9)[0], kCfgFlowComputers) : 0;
        uint8_t addresses[kCfgFlowComputers] = {};
        for (int i = 0; i < kCfgFlowComputers; ++i) addresses[i] = c.FlowEntry(i)[0];
        RunEditor<TFormConQRT>(c.TableAt(14), kFileMode, count, static_cast<const uint8_t*>(addresses),
                               c.TableAt(1), ui_, this);
    });
    AddButton(link, "BtnConWMT", "С влагомером",
              [this] { RunEditor<TFormConWMT>(record_->TableAt(15), kFileMode, ui_, this); });
    AddButton(link, "BtnConEth", "Параметры Ethernet ",
              [this] { RunEditor<TFormConEth>(record_->TableAt(29), kFileMode, ui_, this); });

    auto* settings = Group(" Параметры настроек ", this);
    left->addWidget(settings);
    AddButton(settings, "BtnSys", "Системные параметры",
              [this] { RunEditor<TFormSys>(record_->TableAt(6), kFileMode, ui_, this); });
    AddButton(settings, "BtnSinhr", "Синхронизация времени", [this] {
        // A copy of table 6 fields 10, 11 and table 14 fields 8, 9, back only when accepted.
        auto field = [this](int t, int f) { return record_->TableAt(t) + f * Table(t).fieldSize; };
        uint8_t* fields[4] = {field(6, 10), field(6, 11), field(14, 8), field(14, 9)};
        uint8_t bytes[4];
        for (int i = 0; i < 4; ++i) bytes[i] = *fields[i];
        if (!RunEditor<TFormTime_Sinhr>(bytes, kFileMode, ui_, this)) return;
        for (int i = 0; i < 4; ++i) *fields[i] = bytes[i];
    });

    GbFlow = Group(" Параметры работы с вычислителями расхода газа ", this);
    GbFlow->setObjectName("GbFlow");
    right->addWidget(GbFlow);
    AddButton(GbFlow, "BtnFlouList", "Параметры вычислителей", [this] {
        ConfigurationRecord& c = *record_;
        FlowList list;
        list.count = uint8_t(std::min<int>(c.TableAt(9)[0], kCfgFlowComputers));
        for (int i = 0; i < kCfgFlowComputers; ++i) std::memcpy(list.records[i].data(), c.FlowEntry(i), kCfgFlowEntrySize);
        if (!RunEditor<TFormFlouList>(&list, kFileMode, int(c.TableAt(14)[7]), ui_, this)) return;
        c.TableAt(9)[0] = list.count;
        for (int i = 0; i < kCfgFlowComputers; ++i) std::memcpy(c.FlowEntry(i), list.records[i].data(), kCfgFlowEntrySize);
    });
    AddButton(GbFlow, "BtnPrzDistr", "Необходимость записи\nзначений параметров газа в ВРГ", [this] {
        RunEditor<TFormPrzDistr>(record_->TableAt(21), kFileMode, ParameterCount(*record_),
                                 static_cast<const uint8_t*>(record_->TableAt(1)), ui_, this);
    });
    AddButton(GbFlow, "BtnDistr", "Период записи средних за час\nзначений параметров газа в ВРГ",
              [this] { RunEditor<TFormDistr>(record_->TableAt(28), kFileMode, ui_, this); });

    auto* limits = Group(" Уставки параметров газа ", this);
    right->addWidget(limits);
    for (int kind = 0; kind < kLimitKinds; ++kind) {
        const std::string name = "BtnLimits" + std::to_string(kind);
        AddButton(limits, name.c_str(), TFormLimits::Caption(kind), [this, kind] {
            RunEditor<TFormLimits>(record_->TableAt(22 + kind), kFileMode, kind, ParameterCount(*record_),
                                   static_cast<const uint8_t*>(record_->TableAt(1)), ui_, this);
        });
    }

    auto* access = Group(" Доступ пользователей  к записи в контроллер ", this);
    right->addWidget(access);
    AddButton(access, "BtnAccess", "Зарегистрированные пользователи",
              [this] { RunEditor<TFormAccess>(record_->TableAt(4), kFileMode, ui_, this); });

    auto* constants = Group(" Константы параметров газа ", this);
    right->addWidget(constants);
    AddButton(constants, "BtnConst1", "Нитка 1", [this] {
        RunEditor<TFormConst_Par>(record_->At(kTable43Offset), kFileMode, ParameterCount(*record_),
                                  static_cast<const uint8_t*>(record_->TableAt(1)), ui_, this);
    });
    AddButton(constants, "BtnConst2", "Нитка 2", [] {});
    buttons_["BtnConst2"]->setEnabled(false);

    auto* row = new QHBoxLayout;
    top->addLayout(row);
    BtnAccept = new QPushButton(restoreMode ? QStringLiteral("Записать в устройство") : QStringLiteral("Принять"), this);
    BtnAccept->setObjectName("BtnAccept");
    BtnCancel = new QPushButton(QStringLiteral("Отменить"), this);
    BtnCancel->setObjectName("BtnCancel");
    row->addStretch();
    row->addWidget(BtnAccept);
    row->addWidget(BtnCancel);
    connect(BtnAccept, &QPushButton::clicked, this, [this] { AcceptClick(); });
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    // Esc and closing the window: the record goes back as it was.
    connect(this, &QDialog::rejected, this, [this] { *record_ = shown_; });

    ApplyEnableRules();
    ShowCaption();
}

QPushButton* TFormConfig::button(const char* name) const {
    auto it = buttons_.find(name);
    return it == buttons_.end() ? nullptr : it->second;
}

void TFormConfig::AddButton(QWidget* box, const char* name, const QString& caption, std::function<void()> edit) {
    auto* b = new QPushButton(caption, box);
    b->setObjectName(name);
    box->layout()->addWidget(b);
    buttons_[name] = b;
    connect(b, &QPushButton::clicked, this, [this, edit] {
        edit();
        ApplyEnableRules();
    });
}

void TFormConfig::ApplyEnableRules() {
    ConfigurationRecord& r = *record_;
    const bool flow = r.TableAt(6)[9] != 0;
    if (!flow) r.TableAt(9)[0] = 0;
    GbFlow->setEnabled(flow);
    buttons_["BtnConVich"]->setEnabled(flow);
    buttons_["BtnConWMT"]->setEnabled(r.TableAt(6)[8] != 0);
}

void TFormConfig::ShowCaption() {
    setWindowTitle(QStringLiteral("Параметры конфигурации контроллера \"%1\" ")
                       .arg(QString::fromStdString(Cp1251ToUtf8(RecordControllerName(*record_)))));
}


void TFormConfig::reject() {
    if (!(*record_ == shown_)) {
        QtUserInterface own(this);
        UserInterface& ui = ui_ ? *ui_ : own;
        if (!ui.ShowMessageBox(kMsgQuestion, "Внесенные изменения будут потеряны.", "Выйти без сохранения?")) return;
    }
    QDialog::reject();
}

void TFormConfig::AcceptClick() {
    accepted_ = true;
    changed_ = !(*record_ == shown_);
    accept();
}

}  // namespace zul
