#include "editors/Time_Sinhr.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

#include "editors/EditFlow.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

// A dependent box follows its master: unticked and greyed while the master is clear.
void Follow(QCheckBox* master, QCheckBox* dependent) {
    dependent->setEnabled(master->isChecked());
    QObject::connect(master, &QCheckBox::toggled, dependent, [dependent](bool on) {
        if (!on) dependent->setChecked(false);
        dependent->setEnabled(on);
    });
}

}  // namespace

TFormTime_Sinhr::TFormTime_Sinhr(uint8_t* b, EditMode mode, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormTime_Sinhr", QStringLiteral(" Синхронизация времени"), b, 4, mode, ui, parent) {
    auto* controller = new QGroupBox(QStringLiteral(" Синхронизировать время контроллера "), this);
    auto* cv = new QVBoxLayout(controller);
    ChkFlowComputer = new QCheckBox(QStringLiteral("С временем вычислителя"), controller);
    ChkFlowComputer->setObjectName("ChkFlowComputer");
    ChkComputer = new QCheckBox(QStringLiteral("С временем ЭВМ"), controller);
    ChkComputer->setObjectName("ChkComputer");
    cv->addWidget(ChkFlowComputer);
    cv->addWidget(ChkComputer);
    auto* chrom = new QGroupBox(QStringLiteral(" Синхронизировать время хроматографа "), this);
    auto* hv = new QVBoxLayout(chrom);
    ChkChromFlow =
        new QCheckBox(QStringLiteral("В момент синхронизации времени\nконтроллера с временем вычислителя"), chrom);
    ChkChromFlow->setObjectName("ChkChromFlow");
    ChkChromComputer = new QCheckBox(QStringLiteral("В момент синхронизации времени\nконтроллера с временем ЭВМ"), chrom);
    ChkChromComputer->setObjectName("ChkChromComputer");
    hv->addWidget(ChkChromFlow);
    hv->addWidget(ChkChromComputer);
    body()->addWidget(controller);
    body()->addWidget(chrom);
    ChkFlowComputer->setChecked(b[0] != 0);
    ChkComputer->setChecked(b[1] != 0);
    ChkChromFlow->setChecked(b[2] != 0);
    ChkChromComputer->setChecked(b[3] != 0);
    Follow(ChkFlowComputer, ChkChromFlow);
    Follow(ChkComputer, ChkChromComputer);
}

bool TFormTime_Sinhr::Store(uint8_t* b) {
    b[0] = ChkFlowComputer->isChecked() ? 1 : 0;
    b[1] = ChkComputer->isChecked() ? 1 : 0;
    b[2] = ChkChromFlow->isChecked() ? 1 : 0;
    b[3] = ChkChromComputer->isChecked() ? 1 : 0;
    return true;
}

void EditTimeSynchronisation(TableIo& io, StatusBar* bar, QWidget* parent) {
    EditFlow flow(io, bar);
    if (!flow.Read({{6, 10, 2}, {14, 8, 2}})) return;
    TableImage& image = flow.image();
    uint8_t bytes[4] = {image.Byte(6, 10), image.Byte(6, 11), image.Byte(14, 8), image.Byte(14, 9)};
    {
        TFormTime_Sinhr d(bytes, kDeviceMode, &io.ui(), parent);
        d.exec();
        if (!d.accepted()) return;
    }
    image.Field(6, 10)[0] = bytes[0];
    image.Field(6, 11)[0] = bytes[1];
    if (!flow.Write({6, 10, 2})) return;
    image.Field(14, 8)[0] = bytes[2];
    image.Field(14, 9)[0] = bytes[3];
    flow.Write({14, 8, 2});
}

}  // namespace zul
