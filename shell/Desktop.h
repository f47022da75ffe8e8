// How every window of the program behaves at the keyboard and on the screen,
// done once for all of them by a filter on the application's events:
//   - Enter and keypad Enter press the focused push button (as Space does);
//   - a grid lets Tab go on to the next control, and Enter on a row does what a
//     double-click does;
//   - F10 opens the main window's first menu, Alt with the first letter of a
//     top-level caption opens that menu (Latin keys are read as the Russian
//     layout's letters in the same place);
//   - each window is fitted to the screen's available area when it is shown
//     (FitToScreen), and the program's own dialogs get their Tab order from their
//     layout (OrderTabs).
//
// A dialog with the property "zulFirstInput" set opens with the focus in its
// first input (the editors).
//
//   InstallDesktopKeys();            // once, after the QApplication is made
//   LoadQtTranslations();            // Qt's own dialogs in the user's language
#pragma once
#include <QObject>
#include <QSize>

class QWidget;

namespace zul {

class DesktopKeys : public QObject {
    Q_OBJECT
public:
    explicit DesktopKeys(QObject* parent = nullptr) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Installs the filter on the application (once; owned by the application).
void InstallDesktopKeys();
// Qt's own texts (file and print dialogs) in the system locale's language, in
// Russian when Qt has none for it; false when no translation was found.
bool LoadQtTranslations();

// The room a window may take on its screen: the available area less the window
// system's frame (a usual frame is assumed while the window has none yet).
QSize RoomOnScreen(const QWidget* window);
// Shrinks the window to the room on its screen and moves it inside. When its
// contents cannot be made that small, everything above its last row of buttons
// is put in a scroll area, so that the buttons stay on screen.
void FitToScreen(QWidget* window);

// The Tab order of a dialog from its layout: the inputs in reading order, then
// the push buttons. Read-only boxes take no Tab stop; a group of radio buttons is
// entered on its checked button. A dialog without a default button of its own
// gets none, so that Enter in a box does nothing.
void OrderTabs(QWidget* dialog);
// The widgets OrderTabs put in the Tab order, in that order.
QList<QWidget*> TabOrder(QWidget* dialog);
// The first input of the Tab order (nullptr when there is none).
QWidget* FirstInput(QWidget* dialog);
// After an input-error message: the focus back in the field that failed, its text
// selected, so that it is typed over at once. When the caller cannot name the
// field: the first empty input, else the first input.
void FocusFailedField(QWidget* dialog, QWidget* field = nullptr);

}  // namespace zul
