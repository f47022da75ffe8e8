// The printed list of event messages (print kinds 3 and 4) and the viewers'
// "Печать": the print-title dialog, then the report on the system's default
// printer or, when no printer is configured, into a PDF file the user names.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "events/EventRow.h"
#include "events/ReportLayout.h"

class QPrinter;
class QWidget;

namespace zul {

class UserInterface;

class TFormPrnArhiv {
public:
    TFormPrnArhiv(int printKind, const uint8_t* header, const std::vector<EventRow>& rows,
                  const std::string& organisation);
    const ReportDocument& document() const { return doc_; }
    bool Print(QPrinter& printer) const;
    bool SavePdf(const std::string& path) const;

private:
    ReportDocument doc_;
};

// True when the system has a default printer (never when ZUL_NO_PRINTER is set:
// then every print goes the PDF way).
bool PrinterConfigured();

// The whole "Печать" of an event viewer. `pdfFolder`: where the PDF save dialog
// starts. Errors: "Ошибка печати данных" through `ui`. True when something was printed
// or saved.
bool PrintEventReport(QWidget* parent, UserInterface& ui, int printKind, const uint8_t* header,
                      const std::vector<EventRow>& rows, const std::string& pdfFolder);

}  // namespace zul
