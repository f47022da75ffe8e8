#include "store/Collector.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "events/EventFetch.h"
#include "link/Qrtbox.h"
#include "measurements/AverageRange.h"
#include "measurements/ChromFetch.h"
#include "measurements/Completeness.h"
#include "shell/UserInterface.h"
#include "tables/Conffun.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

constexpr int64_t kHour = 3600, kDay = 86400;
// Records held with a failed check asked for again per collection, all kinds
// together: a record damaged in the controller stays damaged, and every exchange
// costs. Of the oldest few held per kind, those the controller still has are asked.
constexpr int kMendPerCollection = 3;
constexpr size_t kBadLooked = 64;
// A record whose damaged copy came this many times is not asked for again.
constexpr int kCopiesOfBad = 3;
constexpr uint8_t kEmptyArchive[6] = {1, 1, 1, 0, 0, 0};

PackedDateTime PackedOfSeconds(int64_t seconds) { return ToPacked(double(seconds) / double(kDay)); }

std::string TrimmedName(const uint8_t* field, size_t size) {
    std::string s(reinterpret_cast<const char*>(field), size);
    s = s.substr(0, s.find('\0'));
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return Cp1251ToUtf8(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

}  // namespace

// Commits the replies' records to the store as the reader takes them, on a thread
// of its own so that the link does not wait on the store: a reply goes to the
// store at once when the last commit is done, else with the replies that come
// while it runs. A transaction holds whole replies only, and at most one is under
// way; the store is not used by anyone else while a sink lives.
class Collector::Sink : public ArchiveReplySink {
public:
    Sink(ArchiveStore& store, const std::string& mac, ArchiveKind kind, uint32_t firstIndex, int64_t lastKey)
        : store_(store), mac_(mac), kind_(kind), first_(firstIndex), lastKey_(lastKey) {}
    ~Sink() override { Flush(); }

    bool TakeReply(const uint8_t* records, int count, uint32_t before) override {
        const ArchiveKindInfo& k = KindInfo(kind_);
        const int size = k.recordSize;
        for (int i = 0; i < count; ++i) {
            const uint8_t* rec = records + size_t(i) * size_t(size);
            StoreRecord& r = taken_.emplace_back();
            r.bytes.assign(rec, rec + size);
            r.intact = Crc16(rec, uint16_t(size)) == 0;
            const bool dated = IsValidPacked(rec);
            r.moment = dated ? SecondsOfPacked(rec) : lastKey_;
            // A record whose moment is damaged is kept just after the one before it.
            r.key = k.byIndex ? int64_t(first_) + before + i : dated ? r.moment : lastKey_ + 1;
            if (!k.byIndex) lastKey_ = r.key;
        }
        std::unique_lock lock(mutex_);
        if (failed_) return false;
        if (!busy_) HandOver(lock);
        return true;
    }
    // Waits for everything taken to be committed; false when the store failed.
    bool Flush() {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return !busy_; });
        if (!taken_.empty() && !failed_) {
            HandOver(lock);
            done_.wait(lock, [this] { return !busy_; });
        }
        if (writer_.joinable()) {
            stop_ = true;
            work_.notify_one();
            lock.unlock();
            writer_.join();
            lock.lock();
        }
        return !failed_;
    }

    int added = 0;  // read after Flush

private:
    // Gives what was taken to the writer (started on the first reply).
    void HandOver(std::unique_lock<std::mutex>&) {
        committing_.swap(taken_);
        taken_.clear();
        busy_ = true;
        if (!writer_.joinable()) writer_ = std::thread([this] { Write(); });
        work_.notify_one();
    }
    void Write() {
        std::unique_lock lock(mutex_);
        for (;;) {
            work_.wait(lock, [this] { return busy_ || stop_; });
            if (!busy_) return;
            lock.unlock();
            int n = 0;
            const bool ok = store_.PutRecords(mac_, kind_, committing_.data(), committing_.size(), n);
            lock.lock();
            added += n;
            failed_ = failed_ || !ok;
            committing_.clear();
            busy_ = false;
            done_.notify_all();
        }
    }

    ArchiveStore& store_;
    std::string mac_;
    ArchiveKind kind_;
    uint32_t first_;
    int64_t lastKey_;
    std::vector<StoreRecord> taken_;       // the reader's, under the lock once handed over
    std::vector<StoreRecord> committing_;  // the writer's while busy_
    std::mutex mutex_;
    std::condition_variable work_, done_;
    bool busy_ = false, stop_ = false, failed_ = false;
    std::thread writer_;
};

Collector::Collector(TableIo& io, UserInterface& ui, StatusBar* bar, const class Clock& clock,
                     std::string programFolder, ArchiveStore& store)
    : io_(io), ui_(ui), bar_(bar), clock_(clock), folder_(std::move(programFolder)), store_(store),
      mendLeft_(kMendPerCollection) {}

bool Collector::Begin() {
    const TableImage& image = io_.image();
    const uint8_t* mac = image.Field(40, 0);
    if (!mac || std::all_of(mac, mac + 6, [](uint8_t b) { return b == 0; })) {
        ui_.ShowMessageBox(kMsgPlain, "Контроллер не сообщил свой MAC-адрес (таблица 40)",
                           "архивы не могут быть сохранены в хранилище");
        return false;
    }
    controller_ = StoreController{};
    controller_.mac = MacText(mac);
    controller_.type = image.Byte(0, 1);
    controller_.hardware = image.Byte(0, 2);
    controller_.software = image.Byte(0, 3);
    controller_.address = io_.box().address;
    controller_.name = TrimmedName(image.Field(5, 0), size_t(Table(5).fieldSize));
    controller_.image.assign(image.Bytes(), image.Bytes() + TableImage::Size());
    // The access table (users and their passwords) never goes into the store.
    if (Table(4).offset >= 0)
        std::memset(controller_.image.data() + Table(4).offset, 0, size_t(Table(4).fieldSize * Table(4).fieldCount));
    if (!store_.PutController(controller_)) {
        StoreFailed();
        return false;
    }
    return true;
}

std::vector<ArchiveKind> Collector::KindsOfController() const {
    std::vector<ArchiveKind> kinds = {kArchAla, kArchAud, kArchMch, kArchHch, kArchDch, kArchClb};
    if (io_.image().Byte(6, 8)) kinds.insert(kinds.end(), {kArchMwm, kArchHwm, kArchDwm});
    return kinds;
}

void Collector::StoreFailed() {
    ui_.ShowMessageBox(kMsgPlain, "Ошибка записи в хранилище архивов", store_.errorText());
}

bool Collector::ReadClock() {
    if (clockRead_) return true;
    const uint8_t req[3] = {2, 0, 8};
    if (!io_.ReadFields(req, bar_, true)) return false;
    const uint8_t* clock = io_.image().Data(2);
    if (!IsValidPacked(clock)) {
        ui_.ShowMessageBox(kMsgPlain, BadDateLine(clock), "не соответствуют допустимым значениям");
        return false;
    }
    return clockRead_ = true;
}

bool Collector::Window(CollectedKind& out) {
    const uint8_t req[3] = {27, 0, 3};
    if (ReadClock() && (oldestRead_ || (oldestRead_ = io_.ReadFields(req, bar_, true)))) return true;
    out.end = ReadEnd::kFailed;
    return out.ok = false;
}

bool Collector::Held(ArchiveKind kind, KindSummary& held, CollectedKind& out) {
    if (store_.Summary(controller_.mac, kind, held)) return true;
    StoreFailed();
    return out.ok = false;
}

bool Collector::Mend() {
    if (mendLeft_ <= 0) return false;
    --mendLeft_;
    return true;
}

bool Collector::BadKeys(ArchiveKind kind, std::vector<int64_t>& keys, CollectedKind& out) {
    if (mendLeft_ <= 0) {
        keys.clear();
        return true;
    }
    if (store_.BadKeys(controller_.mac, kind, kBadLooked, kCopiesOfBad, keys)) return true;
    StoreFailed();
    return out.ok = false;
}

void Collector::Collect(ArchiveKind kind, CollectedKind& out) {
    out = CollectedKind{};
    out.kind = kind;
    if (KindInfo(kind).byIndex) CollectEvents(kind, out);
    else if (kind == kArchMch || kind == kArchClb || kind == kArchMwm) CollectPeriod(kind, out);
    else CollectRange(kind, out);
    if (out.ok && !store_.Summary(controller_.mac, kind, out.held)) {
        StoreFailed();
        out.ok = false;
    }
}

void Collector::CollectEvents(ArchiveKind kind, CollectedKind& out) {
    const EventArchive a = kind == kArchAla ? kEventsDiagnostic : kEventsIntervention;
    EventFetch fetch(io_, ui_, bar_, clock_, folder_);
    uint32_t oldest = 0, newest = 0;
    KindSummary held;
    if (!fetch.ReadIndexBounds(a, oldest, newest)) {
        out.ok = false;
        out.end = ReadEnd::kFailed;
        return;
    }
    if (EventFetch::ArchiveHoldsNone(oldest, newest) || newest < oldest) return;
    if (!Held(kind, held, out)) return;
    uint64_t from = oldest;
    if (held.held > 0) from = std::max<uint64_t>(uint64_t(held.last) + 1, oldest);
    else if (sinceSet_ && !FirstIndexSince(kind, oldest, newest, from)) {
        out.ok = false;
        out.end = ReadEnd::kFailed;
        return;
    }
    // Reads `count` records from `first` into the store.
    auto read = [&](uint32_t first, uint64_t count) {
        return SinkRead(kind, first, 0, out, [&](Sink& sink, int& requests) {
            fetch.CollectInto(&sink);
            EventFetchResult r;
            fetch.ByIndex(a, first, int(std::min<uint64_t>(count, INT32_MAX)), r);
            requests = r.requests;
            return r.end == ReadEnd::kEmpty && r.records.empty() ? ReadEnd::kComplete : r.end;
        });
    };
    if (from <= newest && !read(uint32_t(from), newest - from + 1)) return;
    std::vector<int64_t> bad;
    if (!BadKeys(kind, bad, out)) return;
    for (int64_t key : bad)
        if (key >= int64_t(oldest) && uint64_t(key) < from && Mend() && !read(uint32_t(key), 1)) return;
}

bool Collector::FirstIndexSince(ArchiveKind kind, uint32_t oldest, uint32_t newest, uint64_t& first) {
    const EventArchive a = kind == kArchAla ? kEventsDiagnostic : kEventsIntervention;
    EventFetch probe(io_, ui_, bar_, clock_, folder_);
    uint64_t lo = oldest, hi = uint64_t(newest) + 1;
    while (lo < hi) {
        const uint64_t mid = lo + (hi - lo) / 2;
        EventFetchResult r;
        if (!probe.ByIndex(a, uint32_t(mid), 1, r)) return false;
        const uint8_t* rec = r.records.data();
        if (IsValidPacked(rec) && SecondsOfPacked(rec) < since_) lo = mid + 1;
        else hi = mid;
    }
    first = lo;
    return true;
}

bool Collector::SinkRead(ArchiveKind kind, uint32_t firstIndex, int64_t lastKey, CollectedKind& out,
                         const std::function<ReadEnd(Sink&, int&)>& read) {
    Sink sink(store_, controller_.mac, kind, firstIndex, lastKey);
    int requests = 0;
    ReadEnd end = read(sink, requests);
    if (!sink.Flush()) {
        StoreFailed();
        end = ReadEnd::kFileError;
    }
    out.added += sink.added;
    out.requests += requests;
    out.end = end;
    out.ok = end == ReadEnd::kComplete || end == ReadEnd::kEmpty;
    return out.ok;
}

void Collector::CollectPeriod(ArchiveKind kind, CollectedKind& out) {
    const ChromTableKind ck = ChromKindOfArchive(kind);
    KindSummary held;
    if (!Window(out) || !Held(kind, held, out)) return;
    // The window the controller holds starts at its oldest measurement (table 27 field 0).
    const uint8_t* oldestField = io_.image().Field(27, 0);
    int64_t windowStart = 0;
    if (oldestField && IsValidPacked(oldestField) && std::memcmp(oldestField, kEmptyArchive, 6) != 0)
        windowStart = SecondsOfPacked(oldestField);
    const int64_t now = SecondsOfPacked(io_.image().Data(2));
    ChromFetch fetch(io_, ui_, bar_, clock_, folder_);
    auto read = [&](int64_t from, int64_t to, int64_t lastKey) {
        return SinkRead(kind, 0, lastKey, out, [&](Sink& sink, int& requests) {
            fetch.CollectInto(&sink);
            ChromFetchResult r;
            fetch.ByPeriod(ck, PackedOfSeconds(from), PackedOfSeconds(to), r);
            requests = r.requests;
            return r.end;
        });
    };
    const int64_t from = held.held > 0 ? held.last + 1 : sinceSet_ ? since_ : windowStart;
    if (from <= now && !read(from, now, held.held > 0 ? held.last : from - 1)) return;
    std::vector<int64_t> bad;
    if (!BadKeys(kind, bad, out)) return;
    for (int64_t key : bad)
        if (key >= windowStart && key < from && Mend() && !read(key, key, key - 1)) return;
}

void Collector::CollectRange(ArchiveKind kind, CollectedKind& out) {
    const ChromTableKind ck = ChromKindOfArchive(kind);
    const bool days = ChromTwin(ck) == kChromDaily;
    const int unit = days ? kUnitDay : kUnitHour;
    const size_t width = days ? 3 : 4;
    const int64_t step = days ? kDay : kHour;
    KindSummary held;
    if (!Window(out) || !Held(kind, held, out)) return;
    uint8_t field[6];
    std::memcpy(field, io_.image().Field(27, days ? 2 : 1), 6);
    AvailableRange range;
    if (ComputeAvailableRange(field, io_.image().Data(2), io_.image().Byte(6, 6), unit, range) != kRangeOk) return;
    ChromFetch fetch(io_, ui_, bar_, clock_, folder_);
    auto read = [&](const uint8_t* first, const uint8_t* last) {
        ShortPeriod p;
        std::memcpy(p.start, first, width);
        std::memcpy(p.end, last, width);
        return SinkRead(kind, 0, held.last, out, [&](Sink& sink, int& requests) {
            fetch.CollectInto(&sink);
            ChromFetchResult r;
            fetch.ByRange(ck, p, r);
            requests = r.requests;
            return r.end;
        });
    };
    auto before = [&](const uint8_t* a, const uint8_t* b) { return std::memcmp(a, b, width) < 0; };
    uint8_t first[6];
    if (held.held > 0) std::memcpy(first, PackedOfSeconds(held.last + step).data(), 6);
    else if (sinceSet_) std::memcpy(first, PackedOfSeconds(since_).data(), 6);
    else std::memcpy(first, range.oldest, 6);
    if (before(first, range.oldest)) std::memcpy(first, range.oldest, width);
    if (!before(range.latest, first) && !read(first, range.latest)) return;
    std::vector<int64_t> bad;
    if (!BadKeys(kind, bad, out)) return;
    for (int64_t key : bad) {
        const PackedDateTime at = PackedOfSeconds(key);
        if (!before(at.data(), range.oldest) && before(at.data(), first) && Mend() && !read(at.data(), at.data()))
            return;
    }
}

}  // namespace zul
