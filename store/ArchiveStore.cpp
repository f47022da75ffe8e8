#include "store/ArchiveStore.h"

#include "measurements/Completeness.h"
#include "store/PostgresStore.h"
#include "store/SqliteStore.h"
#include "tables/Dtfun.h"
#include "tables/Stringi.h"

namespace zul {

std::unique_ptr<ArchiveStore> OpenArchiveStore(const std::string& location, std::string& why) {
    if (IsPostgresLocation(location)) return OpenPostgresStore(location, why);
    return OpenSqliteStore(location, why);
}

bool ArchiveStore::FindController(const std::string& mac, StoreController& out) {
    std::vector<StoreController> all;
    if (!QueryControllers(&mac, all)) return false;
    if (all.empty()) {
        error_ = "no controller " + mac + " in the store";
        return false;
    }
    out = all.front();
    return true;
}

std::string DefaultStorePath(const std::string& programFolder) { return programFolder + "archive-store.sqlite"; }

std::string StoreKeyText(ArchiveKind kind, int64_t key) {
    if (KindInfo(kind).byIndex) return std::to_string(key);
    const PackedDateTime p = ToPacked(double(key) / 86400.0);
    return Sprintf("%04d-%02d-%02d %02d:%02d:%02d", 2000 + p[0], p[1], p[2], p[3], p[4], p[5]);
}

std::string StoreKindName(ArchiveKind kind) {
    const ArchiveKindInfo& k = KindInfo(kind);
    return k.source == 1 ? std::string(k.name + 1) : std::string(k.name);
}

std::string MacText(const uint8_t* mac) {
    return Sprintf("%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

}  // namespace zul
