// Configuration files (.cnf) in the CONFIG folder: choosing, reading with every
// refusal, and saving under the proposed name. The record in memory always holds
// plain passwords; a refused file leaves the record as it was.
#pragma once
#include <string>

#include "tables/ConfigRecord.h"

namespace zul {

class UserInterface;

// Why the bytes of a file are not a configuration of ours; empty lines when they are.
struct ConfigFileRefusal {
    bool refused = false;
    std::string line1, line2;  // UTF-8
};
// The checks of a file's content: its size, type code and software version.
// `fileName` is the name without folder, as the messages show it.
ConfigFileRefusal CheckConfigurationBytes(const std::string& fileName, const uint8_t* data, size_t size);

// Reads the file at `path` into `record` (passwords unscrambled); every refusal
// is shown through `ui` and returns false with `record` untouched.
bool ReadConfigurationFile(const std::string& path, ConfigurationRecord& record, UserInterface& ui);
// The open dialog in `folder`, then ReadConfigurationFile; false on cancel.
bool LoadConfigurationFile(ConfigurationRecord& record, UserInterface& ui, const std::string& folder);

// `path` with ".cnf" appended when its name has no extension.
std::string WithConfigurationExtension(const std::string& path);
// Writes the record (passwords scrambled on the way) atomically. With `report`
// the outcome is shown ("сохранены в файле %s" or "Ошибка открытия файла").
bool WriteConfigurationFile(const std::string& path, const ConfigurationRecord& record, UserInterface& ui,
                            bool report);
// The save dialog proposing the record's name in `folder` at `now`; a different
// existing file is replaced only after the question; false when cancelled or failed.
bool SaveConfigurationFile(const ConfigurationRecord& record, UserInterface& ui, const std::string& folder,
                           double now);

}  // namespace zul
