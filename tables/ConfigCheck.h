// The check of a configuration before it is written into a controller: the user
// entries of table 4 (when it is to be written) and the addresses of the devices
// marked present. Table by table the record goes into the table image, from which
// the restore then writes it.
#pragma once
#include <string>

namespace zul {

class TableImage;
class UserInterface;
struct ConfigurationRecord;

// The first refusal of the check, both lines UTF-8; `refused` false when it passes.
struct ConfigRefusal {
    bool refused = false;
    std::string line1, line2;
};

// Checks `record` and copies it into `image` as it goes: when it passes the image
// holds every configuration table of the record, when refused the tables copied
// before the failing rule. `withAccessTable`: table 4 is to be written, so its
// entries are checked (free entries are blanked in the record) and copied.
ConfigRefusal CheckConfiguration(ConfigurationRecord& record, bool withAccessTable, TableImage& image);

// The same, showing a refusal as an input-error message; true when it passes.
bool ValidateConfiguration(ConfigurationRecord& record, bool withAccessTable, TableImage& image,
                           UserInterface& ui);

}  // namespace zul
