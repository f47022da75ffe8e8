// The settings files of the INI folder: zul.ini (link settings), fon_abonents.ini
// and ethr_abonents.ini (subscriber lists), objects.ini (object list) and the
// binary rd_arh.ini (archive-request choices); their readers, and writers that
// touch a file only when its content changed.
#pragma once
#include <string>

#include "link/LinkSettings.h"

namespace zul {

class Clock;
class UserInterface;

class ProgramSettings {
public:
    // `iniFolder`: the INI working folder, without a trailing separator.
    explicit ProgramSettings(std::string iniFolder);

    LinkSettings link;
    // What the settings files hold: taken after loading, changed only by the writers.
    LinkSettings saved;
    ObjectList objects;
    ArchiveSettings archive;

    // Screen size for the default window position (0: unknown, position 0).
    int screenWidth = 0;
    int screenHeight = 0;
    const Clock* clock;               // "now" for the default archive dates
    UserInterface* ui = nullptr;      // shows "Unable to write to %s" when set
    std::string lastError;            // that text after a failed writer

    const std::string& IniFolder() const { return iniFolder_; }
    std::string ZulIni() const { return iniFolder_ + "/zul.ini"; }
    std::string TelephoneSubscribersIni() const { return iniFolder_ + "/fon_abonents.ini"; }
    std::string EthernetSubscribersIni() const { return iniFolder_ + "/ethr_abonents.ini"; }
    std::string ObjectsIni() const { return iniFolder_ + "/objects.ini"; }
    std::string ArchiveIni() const { return iniFolder_ + "/rd_arh.ini"; }

    // The start-up sequence: archive settings, link settings, each subscriber list
    // read and sorted, the saved copy taken, then the object list.
    void Load();

    void ReadArchiveSettings();
    void ReadLinkSettings(const std::string& fileName);
    void ReadTelephoneSubscribers(const std::string& fileName);
    void ReadEthernetSubscribers(const std::string& fileName);
    void ReadObjects(const std::string& fileName);
    void TakeSavedCopy() { saved = link; }

    // Each returns false when its file could not be written ("Unable to write to %s").
    bool WriteLinkSettings(const std::string& fileName);
    bool WriteTelephoneSubscribers(const std::string& fileName);
    bool WriteEthernetSubscribers(const std::string& fileName);
    bool WriteObjects(const std::string& fileName);
    // WriteLinkSettings, then rd_arh.ini afresh (passed over in silence when it
    // cannot be written).
    void SaveSettings();
    bool WriteArchiveSettings();

private:
    bool Fail(const std::string& fileName);

    std::string iniFolder_;
};

}  // namespace zul
