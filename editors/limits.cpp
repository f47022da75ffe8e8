#include "editors/limits.h"

#include <algorithm>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "editors/EditorRules.h"
#include "shell/KeyFilters.h"
#include "tables/Stringi.h"

namespace zul {

namespace {
constexpr int kSignificant = 10;
}

QString TFormLimits::Caption(int kind) {
    static const char* const kCaptions[kLimitKinds] = {
        "Параметры газа. Зона нечувствительности изменений",
        "Нижняя предупредительная уставка параметра газа",
        "Верхняя предупредительная уставка параметра газа",
        "Нижний предел знач. парам. газа, допускаемого к записи в ВРГ",
        "Верхний предел знач. парам. газа, допускаемого к записи в ВРГ",
    };
    return QString::fromUtf8(kCaptions[std::clamp(kind, 0, kLimitKinds - 1)]);
}

TFormLimits::TFormLimits(uint8_t* t, EditMode mode, int kind, int n, const uint8_t* table1, UserInterface* ui,
                         QWidget* parent)
    : TFormEditor("FormLimits", Caption(kind), t, 4 * kGasParams, mode, ui, parent),
      kind_(std::clamp(kind, 0, kLimitKinds - 1)),
      n_(std::clamp(n, 0, kGasParams)) {
    QGridLayout* grid = AddGrid();
    const char* const heads[4] = {"Наименование\nпараметра", "Диапазон\nизмерений", "Значение", "Единица\nизмер."};
    for (int c = 0; c < 4; ++c) grid->addWidget(new QLabel(QString::fromUtf8(heads[c]), this), 0, c);
    for (int i = 0; i < n_; ++i) {
        const uint8_t* rec = table1 + i * kParamRecordSize;
        const LimitRange range = LimitRangeOf(kind_, i);
        EdName[i] = new QLineEdit(QString::fromStdString(" " + Cp1251ToUtf8(FieldText(rec, 40))), this);
        EdName[i]->setReadOnly(true);
        EdName[i]->setMinimumWidth(260);
        const std::string r = " " + FormatFixed(range.min, range.decimals, kSignificant) + " - " +
                              FormatFixed(range.max, range.decimals, kSignificant);
        EdRange[i] = new QLineEdit(QString::fromStdString(r), this);
        EdRange[i]->setReadOnly(true);
        EdValue[i] = new QLineEdit(this);
        EdValue[i]->setObjectName(QStringLiteral("EdValue%1").arg(i));
        InstallFloatKeyFilter(EdValue[i]);
        shown_[i] = QString::fromStdString(FormatFixed(GetFloat(t + 4 * i), range.decimals, kSignificant));
        EdValue[i]->setText(shown_[i]);
        auto* unit = new QLabel(QString::fromUtf8(rec[50] < 12 ? kUnits2[rec[50]] : ""), this);
        grid->addWidget(EdName[i], i + 1, 0);
        grid->addWidget(EdRange[i], i + 1, 1);
        grid->addWidget(EdValue[i], i + 1, 2);
        grid->addWidget(unit, i + 1, 3);
        QLineEdit* box = EdValue[i];
        const int decimals = range.decimals;
        connect(box, &QLineEdit::editingFinished, this, [box, decimals] {
            float v = 0;
            if (ParseFloat(box->text().toStdString(), &v))
                box->setText(QString::fromStdString(FormatFixed(v, decimals, kSignificant)));
        });
    }
}

bool TFormLimits::Store(uint8_t* b) {
    for (int i = 0; i < n_; ++i)
        if (EdValue[i]->text().isEmpty()) return Refuse("Введены не все параметры");
    float values[kGasParams] = {};
    for (int i = 0; i < n_; ++i) {
        const std::string text = EdValue[i]->text().toStdString();
        if (EdValue[i]->text() == shown_[i]) {
            // Untouched: kept as read, neither rounded by the display nor checked.
            values[i] = GetFloat(b + 4 * i);
            continue;
        }
        if (!ParseFloat(text, &values[i])) return Refuse(EdValue[i], "\"" + text + "\"", "не является числом");
        if (!LimitAccepts(kind_, i, values[i]))
            return Refuse(EdValue[i], "Параметр \"" + EdName[i]->text().toStdString() + " \".",
                          "Вводите значения согласно допустимому диапазону");
    }
    for (int i = 0; i < n_; ++i) PutFloat(b + 4 * i, values[i]);
    return true;
}

}  // namespace zul
