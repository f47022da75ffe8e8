// Moving runs of table fields between the controller and the table image.
#pragma once
#include <cstdint>

namespace zul {

class Qrtbox;
class TableImage;
class UserInterface;
class StatusBar;

constexpr int kMaxReadBytes = 245;   // field values in one command-1 reply
constexpr int kMaxWriteBytes = 229;  // field values in one command-2 request

class TableIo {
public:
    TableIo(Qrtbox& box, TableImage& image, UserInterface& ui) : box_(box), image_(image), ui_(ui) {}

    // request: table, first field, field count.
    bool ReadFields(const uint8_t* request, StatusBar* bar, bool show);
    // buffer: table, first field, field count, then room for the values (3 + 255 bytes).
    bool WriteFields(uint8_t* buffer, StatusBar* bar, bool show);
    // Writes the fields of the run that differ from `saved` (the run's bytes before editing).
    bool WriteChangedFields(const uint8_t* request, const uint8_t* saved, StatusBar* bar);
    bool ReadWholeTable(int table, StatusBar* bar);
    bool WriteWholeTable(int table, StatusBar* bar);

    Qrtbox& box() { return box_; }
    TableImage& image() { return image_; }
    UserInterface& ui() { return ui_; }

private:
    bool CheckRun(int t, int first, int count, int maxBytes, StatusBar* bar, bool show);
    bool WriteRun(int t, int first, int count, StatusBar* bar);
    bool Ask(const char* line1, const char* line2);

    Qrtbox& box_;
    TableImage& image_;
    UserInterface& ui_;
};

}  // namespace zul
