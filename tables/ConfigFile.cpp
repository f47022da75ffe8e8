#include "tables/ConfigFile.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "link/IniFile.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr const char* kFilter = "*.cnf";

std::string Format(const char* fmt, const std::string& s) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, s.c_str());
    return buf;
}

bool Exists(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

ConfigFileRefusal CheckConfigurationBytes(const std::string& fileName, const uint8_t* data, size_t size) {
    ConfigFileRefusal r;
    r.refused = true;
    r.line1 = Format("Файл %s не является файлом конфигурации", fileName);
    if (size != size_t(kConfigRecordSize)) {
        r.line2 = "контроллера ЗУЛ_QRT_510";
    } else if (data[2] != kConfigType) {
        r.line2 = "контроллера ЗУЛ";
    } else if (data[4] != kConfigVersion) {
        r.line1 = Format("Файл параметров конфигурации %s подготовлен", fileName);
        r.line2 = "для контроллера ЗУЛ с версией ПО " + std::to_string(data[4]);
    } else {
        return {};
    }
    return r;
}

bool ReadConfigurationFile(const std::string& path, ConfigurationRecord& record, UserInterface& ui) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        ui.ShowMessageBox(kMsgError, "Ошибка открытия файла", "");
        return false;
    }
    // One byte more than a record tells a longer file from a record.
    uint8_t data[kConfigRecordSize + 1];
    const size_t n = std::fread(data, 1, sizeof data, f);
    std::fclose(f);
    const ConfigFileRefusal r = CheckConfigurationBytes(FileBaseName(path), data, n);
    if (r.refused) {
        ui.ShowMessageBox(kMsgPlain, r.line1, r.line2);
        return false;
    }
    std::memcpy(record.bytes.data(), data, kConfigRecordSize);
    UnscramblePasswords(record);
    return true;
}

bool LoadConfigurationFile(ConfigurationRecord& record, UserInterface& ui, const std::string& folder) {
    std::string path;
    if (!ui.ChooseOpenFile("Выбор файла с параметрами конфигурации", folder, kFilter, path)) return false;
    return ReadConfigurationFile(path, record, ui);
}

std::string WithConfigurationExtension(const std::string& path) {
    const std::string name = FileBaseName(path);
    return name.find('.') == std::string::npos ? path + ".cnf" : path;
}

bool WriteConfigurationFile(const std::string& path, const ConfigurationRecord& record, UserInterface& ui,
                            bool report) {
    ConfigurationRecord scrambled = record;
    ScramblePasswords(scrambled);
    const bool ok = WriteFileAtomically(
        path, std::string(reinterpret_cast<const char*>(scrambled.bytes.data()), scrambled.bytes.size()));
    if (report) {
        if (ok)
            ui.ShowMessageBox(kMsgPlain, "Параметры конфигурации", Format("сохранены в файле %s", FileBaseName(path)));
        else
            ui.ShowMessageBox(kMsgError, "Ошибка открытия файла", "");
    }
    return ok;
}

bool SaveConfigurationFile(const ConfigurationRecord& record, UserInterface& ui, const std::string& folder,
                           double now) {
    const std::string proposed = folder + "/" + ProposedConfigurationName(record, now);
    std::string path = proposed;
    for (;;) {
        if (!ui.ChooseSaveFile("Выбор файла для записи параметров конфигурации", kFilter, path)) return false;
        if (path == proposed) break;
        path = WithConfigurationExtension(path);
        if (path == proposed || !Exists(path)) break;
        if (ui.ShowMessageBox(kMsgQuestion, Format("Файл %s уже есть.", FileBaseName(path)),
                              "Вы хотите заменить существующий файл?"))
            break;
    }
    return WriteConfigurationFile(path, record, ui, true);
}

}  // namespace zul
