#include "tables/ConfigCheck.h"

#include <cstdio>
#include <cstring>

#include "shell/UserInterface.h"
#include "tables/ConfigRecord.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"
#include "tables/UserRules.h"

namespace zul {

namespace {

ConfigRefusal Refuse(const std::string& line1, const std::string& line2 = {}) { return {true, line1, line2}; }


// The rules on the registered users that the access editor applies when accepted
// (one maker, names and codes given and distinct).
ConfigRefusal UserTableRules(const uint8_t* table4) {
    const UserRefusal r = CheckUserTable(table4);
    return {r.refused, r.line1, r.line2};
}

// The count of makers is judged on the record as it came; then free entries (level
// 0) are blanked and every reserved byte cleared before the other rules look at the
// table, so leftovers of a removed user never count.
ConfigRefusal CheckUserEntries(uint8_t* t4) {
    int makers = 0;
    for (int u = 0; u < kUserSlots; ++u) makers += t4[u * kUserRecordSize + kUserLevelOffset] == kLevelMaker;
    if (makers != 1) return UserTableRules(t4);  // refused, the record untouched
    for (int u = 0; u < kUserSlots; ++u) {
        uint8_t* e = t4 + u * kUserRecordSize;
        e[5] = 0;
        if (e[4] != 0) continue;
        std::memset(e, ' ', 4);
        std::memset(e + 6, ' ', 16);
    }
    return UserTableRules(t4);
}

void Copy(const ConfigurationRecord& r, TableImage& image, std::initializer_list<int> tables) {
    for (int t : tables) CopyTableToImage(r, t, image);
}

}  // namespace

ConfigRefusal CheckConfiguration(ConfigurationRecord& r, bool withAccessTable, TableImage& image) {
    Copy(r, image, {5, 1, 3});
    if (withAccessTable) {
        ConfigRefusal users = CheckUserEntries(r.TableAt(4));
        if (users.refused) return users;
        Copy(r, image, {4});
    }
    Copy(r, image, {6});
    const uint8_t* t6 = r.TableAt(6);
    if (t6[7] && r.TableAt(14)[0] == 0) return Refuse("Неверно задан адрес хроматографа");
    Copy(r, image, {14});
    if (t6[8] && r.TableAt(15)[0] == 0) return Refuse("Неверно задан адрес влагомера");
    Copy(r, image, {15});
    Copy(r, image, {9});
    const int connected = r.TableAt(9)[0];
    if (t6[9]) {
        // Entries beyond the 16 the record holds have no address.
        if (connected > kCfgFlowComputers) return Refuse("Неверно заданы адреса вычислителей РГ");
        for (int i = 0; i < connected; ++i)
            if (r.FlowEntry(i)[0] == 0) return Refuse("Неверно заданы адреса вычислителей РГ");
    }
    Copy(r, image, {17, 18, 19, 20, 13});
    Copy(r, image, {21, 22, 23, 24, 25, 26, 28, 43, 44, 29});
    return {};
}

bool ValidateConfiguration(ConfigurationRecord& record, bool withAccessTable, TableImage& image,
                           UserInterface& ui) {
    ui.SetBusyCursor(true);
    const ConfigRefusal r = CheckConfiguration(record, withAccessTable, image);
    ui.SetBusyCursor(false);
    if (r.refused) ui.ShowMessageBox(kMsgInputError, r.line1, r.line2);
    return !r.refused;
}

}  // namespace zul
