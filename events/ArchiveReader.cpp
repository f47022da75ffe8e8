#include "events/ArchiveReader.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <unistd.h>

#include "link/Qrtbox.h"
#include "shell/UserInterface.h"

namespace zul {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Loads up to `limit` records of `size` bytes from the start of a stream (the
// number comes from its real length, never from a count alone).
bool LoadRecords(std::FILE* f, int size, uint32_t limit, std::vector<uint8_t>& out) {
    out.clear();
    if (!f || size <= 0) return false;
    if (std::fseek(f, 0, SEEK_END) != 0) return false;
    const long length = std::ftell(f);
    if (length < 0 || std::fseek(f, 0, SEEK_SET) != 0) return false;
    uint64_t n = uint64_t(length) / uint64_t(size);
    if (n > limit) n = limit;
    out.resize(size_t(n) * size_t(size));
    const size_t got = std::fread(out.data(), size_t(size), size_t(n), f);
    out.resize(got * size_t(size));
    return true;
}

}  // namespace

std::FILE* OpenScratchFile(const std::string& name) {
    const size_t slash = name.find_last_of('/');
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
    std::string path = name.substr(0, dot) + "-XXXXXX" + name.substr(dot);
    const int fd = ::mkstemps(path.data(), int(name.size() - dot));
    if (fd < 0) return nullptr;
    // Gone from the folder at once: no other read can meet it and no way out of
    // this one, a kill included, leaves it behind.
    ::unlink(path.c_str());
    std::FILE* f = ::fdopen(fd, "w+b");
    if (!f) ::close(fd);
    return f;
}

ArchiveReadResult ArchiveReader::Read(ArchiveRequest& req, const ArchiveReadTexts& texts,
                                      const std::string& scratchName) {
    ArchiveReadResult result;
    requests_ = 0;
    const int size = req.RecordSize();
    File scratch(OpenScratchFile(scratchName));
    if (!scratch) {
        result.end = ReadEnd::kFileError;
        ui_.ShowMessageBox(kMsgPlain, "Ошибка открытия файла", "");
        return result;
    }
    ui_.BeginArchiveRead(req.ProgressMax());
    uint32_t total = 0;
    bool writeFailed = false;
    uint8_t body[256];
    for (bool again = true; again;) {
        const int n = req.NextRequest(body);
        ++requests_;
        bool ok = box_.Exchange(req.Command(), body, n, 0);
        ArchiveReply reply;
        if (ok) {
            // The count must fit both the limit and the frame's own length.
            const int frameLength = box_.reply[2];
            const int room = frameLength - 2 - req.RecordsOffset();
            reply.count = box_.reply[size_t(req.CountOffset())];
            if (room < 0 || reply.count > req.PerReplyLimit() || reply.count * size > room) {
                box_.errorCode = kErrReplyLength;
                ok = false;
            }
        }
        if (!ok) {
            result.errorCode = box_.errorCode;
            if (bar_) {
                bar_->SetPanelText(texts.errorPanel, box_.ErrorText());
                bar_->Repaint();
            }
            ui_.StartMessageTimer();
            if (texts.retryQuestion && ui_.ShowMessageBox(kMsgRetry, "Не выполнено чтение", "очередного блока данных")) {
                if (bar_) bar_->SetPanelText(texts.errorPanel, "");
                continue;  // the same request again: the request's state moves only in Continue()
            }
            if (total == 0)
                ui_.ShowMessageBox(texts.notReadKind, texts.title, texts.notReadLine);
            else
                ui_.ShowMessageBox(kMsgPlain, texts.title, texts.partialLine);
            result.end = ReadEnd::kFailed;
            break;
        }
        reply.records = box_.reply.data() + req.RecordsOffset();
        req.ParseExtras(box_.reply.data(), reply);
        if (reply.count == 0) {
            if (total == 0 && !texts.noRecordsText.empty()) ui_.ShowMessageBox(kMsgPlain, texts.noRecordsText, "");
            result.end = ReadEnd::kEmpty;
            break;
        }
        if (reply.flags & 0x80) result.archiveError = true;
        int stored = 0;
        bool stop = false;
        for (; stored < reply.count && !stop; ++stored) {
            const uint8_t* rec = reply.records + size_t(stored) * size_t(size);
            stop = req.OnRecord(rec, ui_) == RecordVerdict::kStoreAndStop;
            if (std::fwrite(rec, size_t(size), 1, scratch.get()) != 1) writeFailed = true;
        }
        if (sink_ && !sink_->TakeReply(reply.records, stored, total)) {
            total += uint32_t(stored);
            result.end = ReadEnd::kFileError;
            break;
        }
        total += uint32_t(stored);
        ui_.SetProgress(req.ProgressAfter(int(total), reply), req.ProgressMax());
        ui_.ProcessEvents();
        if (stop || ui_.StopRequested()) {
            ui_.ClearStopRequest();
            result.end = ReadEnd::kStopped;
            break;
        }
        again = req.Continue(reply);
    }
    if (std::fflush(scratch.get()) != 0) writeFailed = true;
    if (bar_) bar_->SetPanelText(texts.errorPanel, "");
    if (texts.holdFullMs > 0 && total > 0 && result.end != ReadEnd::kFailed)
        ui_.HoldFullProgress(req.ProgressMax(), texts.holdFullMs);
    ui_.EndArchiveRead();
    if (total == 0) return result;
    if (writeFailed || !LoadRecords(scratch.get(), size, total, result.records)) {
        result.records.clear();
        result.end = ReadEnd::kFileError;
        ui_.ShowMessageBox(kMsgPlain, "Ошибка открытия файла", "");
        return result;
    }
    result.count = uint32_t(result.records.size() / size_t(size));
    return result;
}

}  // namespace zul
