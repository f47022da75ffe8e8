#include "editors/Prz.h"

#include <algorithm>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/LiveData.h"
#include "shell/UserInterface.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

QLineEdit* Box(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setFixedWidth(160);
    return e;
}

QLabel* Caption(const char* line1, const char* line2, QWidget* parent) {
    QString text = QString::fromUtf8(line1);
    if (line2) text += "\n" + QString::fromUtf8(line2);
    return new QLabel(text, parent);
}

void Show(QLineEdit* e, const LiveText& t) {
    e->setText(QString::fromStdString(t.text));
    QPalette p = e->palette();
    p.setColor(QPalette::Text, QColor::fromRgb(LiveColourRgb(t.colour)));
    e->setPalette(p);
}

// A caption and its box that do not apply: greyed, the box empty.
void Disable(QLabel* caption, QLineEdit* box) {
    caption->setEnabled(false);
    box->setEnabled(false);
    box->clear();
}

}  // namespace

TFormPrz::TFormPrz(TableIo& io, StatusBar* bar, uint8_t* info, QWidget* parent)
    : TLiveView(io, bar, kStatePollMs, true, parent), info_(info) {
    setObjectName("FormPrz");
    setWindowTitle(QStringLiteral("Текущее состояние контроллера"));
    const TableImage& image = io.image();
    moisture_ = image.Byte(6, 8) != 0;
    flowComputers_ = image.Byte(6, 9) != 0;

    auto* v = new QVBoxLayout(this);
    auto* g = new QGridLayout;
    int row = 0;
    g->addWidget(Caption("Дата и время последнего изменения", "признаков нештатных ситуаций", this), row, 0);
    EdChanged = Box(this, "EdChanged");
    g->addWidget(EdChanged, row++, 1);

    QLabel* flowCaption = Caption("Нештатные ситуации, связанные с обменом ", "с вычислителями РГ", this);
    g->addWidget(flowCaption, row, 0);
    EdFlowComputers = Box(this, "EdFlowComputers");
    g->addWidget(EdFlowComputers, row, 1);
    QLabel* flowLinks =
        Caption("Наличие связи с вычислителями расхода газа", "Состояние процесса записи параметров в вычислители", this);
    g->addWidget(flowLinks, row, 2);
    BtnFlowComputers = new QPushButton(QStringLiteral("..."), this);
    BtnFlowComputers->setObjectName("BtnFlowComputers");
    BtnFlowComputers->setAutoDefault(false);
    g->addWidget(BtnFlowComputers, row++, 3);

    g->addWidget(Caption("Нештатные ситуации, связанные с опросом хроматографа", nullptr, this), row, 0);
    EdChromPolling = Box(this, "EdChromPolling");
    g->addWidget(EdChromPolling, row, 1);
    g->addWidget(Caption("Наличие связи с хроматографом", nullptr, this), row, 2);
    EdChromLink = Box(this, "EdChromLink");
    g->addWidget(EdChromLink, row++, 3);

    g->addWidget(Caption("Наличие нештатного значения контролируемых величин", nullptr, this), row++, 0, 1, 4);
    g->addWidget(Caption("Нитка 1 хроматографа", nullptr, this), row, 0);
    EdLine1 = Box(this, "EdLine1");
    g->addWidget(EdLine1, row, 1);
    QLabel* line2 = Caption("Нитка 2 хроматографа", nullptr, this);
    g->addWidget(line2, row, 2);
    EdLine2 = Box(this, "EdLine2");
    g->addWidget(EdLine2, row++, 3);
    Disable(line2, EdLine2);

    QLabel* moistCaption = Caption("Нештатные ситуации, связанные с опросом влагомера", nullptr, this);
    g->addWidget(moistCaption, row, 0);
    EdMoistPolling = Box(this, "EdMoistPolling");
    g->addWidget(EdMoistPolling, row, 1);
    QLabel* moistLink = Caption("Наличие связи с влагомером", nullptr, this);
    g->addWidget(moistLink, row, 2);
    EdMoistLink = Box(this, "EdMoistLink");
    g->addWidget(EdMoistLink, row++, 3);
    if (!moisture_) {
        Disable(moistCaption, EdMoistPolling);
        Disable(moistLink, EdMoistLink);
    }

    g->addWidget(Caption("Нештатные ситуации, связанные с самодиагностикой", nullptr, this), row, 0);
    EdSelfDiagnostics = Box(this, "EdSelfDiagnostics");
    g->addWidget(EdSelfDiagnostics, row, 1);
    g->addWidget(Caption("Состояние таблиц параметров конфигурации", nullptr, this), row, 2);
    BtnTables = new QPushButton(QStringLiteral("..."), this);
    BtnTables->setObjectName("BtnTables");
    BtnTables->setAutoDefault(false);
    g->addWidget(BtnTables, row++, 3);
    if (!flowComputers_) {
        Disable(flowCaption, EdFlowComputers);
        flowLinks->setEnabled(false);
        BtnFlowComputers->setEnabled(false);
    }
    v->addLayout(g);
    auto* buttons = new QHBoxLayout;
    AddButtons(buttons);
    v->addLayout(buttons);
    v->setSizeConstraint(QLayout::SetFixedSize);
    // A press during a poll acts when the poll's exchange is over.
    connect(BtnTables, &QPushButton::clicked, this, [this] { WhenIdle([this] { TablesClick(); }); });
    connect(BtnFlowComputers, &QPushButton::clicked, this, [this] { WhenIdle([this] { FlowComputersClick(); }); });
}

void TFormPrz::Poll() {
    io_.ui().ProcessEvents();
    if (!StillPolling()) return;
    bool ok = PollState(io_);
    if (ok) ShowState();
    io_.ui().ProcessEvents();
    if (!StillPolling()) return ReportPoll(ok);
    // The link boxes are read whether or not the state read succeeded.
    const bool links = PollLinks(io_);
    if (links) ShowLinks();
    ReportPoll(ok && links);
}

void TFormPrz::ShowState() {
    const StateTexts s = StateRowTexts(io_.image());
    EdChanged->setText(QString::fromStdString(s.changed));
    if (flowComputers_) Show(EdFlowComputers, s.flowComputers);
    Show(EdChromPolling, s.chromPolling);
    Show(EdLine1, s.line1);
    if (moisture_) Show(EdMoistPolling, s.moistPolling);
    Show(EdSelfDiagnostics, s.selfDiagnostics);
}

void TFormPrz::ShowLinks() {
    const StateTexts s = StateRowTexts(io_.image());
    Show(EdChromLink, s.chromLink);
    if (moisture_) Show(EdMoistLink, s.moistLink);
}

void TFormPrz::TablesClick() {
    BeginButtonRead();
    BtnTables->setEnabled(false);
    BtnFlowComputers->setEnabled(false);
    io_.ui().SetBusyCursor(true);
    const bool ok = ReadTableStates(io_, bar_, info_);
    if (startMessageTimer) startMessageTimer();
    io_.ui().SetBusyCursor(false);
    if (ok) {
        tableState_ = true;
        accept();
        return;
    }
    BtnTables->setEnabled(true);
    BtnFlowComputers->setEnabled(flowComputers_);
    EndButtonRead();
}

void TFormPrz::FlowComputersClick() {
    BeginButtonRead();
    BtnTables->setEnabled(false);
    BtnFlowComputers->setEnabled(false);
    io_.ui().SetBusyCursor(true);
    uint8_t record[48];
    const bool ok = ReadFlowComputerState(io_, bar_, record);
    io_.ui().SetBusyCursor(false);
    if (ok && openFlowComputers) openFlowComputers(record, std::min<int>(io_.image().Byte(9, 0), 16));
    if (startMessageTimer) startMessageTimer();
    BtnTables->setEnabled(true);
    BtnFlowComputers->setEnabled(flowComputers_);
    EndButtonRead();
}

}  // namespace zul
