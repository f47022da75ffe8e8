#include "tables/ArchiveFile.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "link/IniFile.h"
#include "tables/TableImage.h"

namespace zul {

ArchiveFileStatus ReadArchiveFile(const std::string& path, ArchiveKind kind, const TableImage& image,
                                  int rowSize, ArchiveFileData& out) {
    out = ArchiveFileData{};
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f || rowSize <= 0) return ArchiveFileStatus::kCannotOpen;
    if (std::fread(out.header.bytes.data(), 1, kArchiveHeaderSize, f.get()) != size_t(kArchiveHeaderSize) ||
        !AcceptArchiveHeader(out.header, kind, image))
        return ArchiveFileStatus::kRefused;
    // The number of rows comes from the file's length; the header's count only limits it.
    if (std::fseek(f.get(), 0, SEEK_END) != 0) return ArchiveFileStatus::kCannotOpen;
    const long length = std::ftell(f.get());
    if (length < kArchiveHeaderSize || std::fseek(f.get(), kArchiveHeaderSize, SEEK_SET) != 0)
        return ArchiveFileStatus::kCannotOpen;
    uint64_t rows = uint64_t(length - kArchiveHeaderSize) / uint64_t(rowSize);
    if (rows > out.header.RecordCount()) rows = out.header.RecordCount();
    out.rows.resize(size_t(rows) * size_t(rowSize));
    const size_t got = std::fread(out.rows.data(), size_t(rowSize), size_t(rows), f.get());
    out.rows.resize(got * size_t(rowSize));
    out.present = uint32_t(got);
    return ArchiveFileStatus::kOk;
}

bool WriteArchiveFile(const std::string& path, const ArchiveFileHeader& header, const uint8_t* rows,
                      size_t bytes) {
    std::string data(reinterpret_cast<const char*>(header.bytes.data()), header.bytes.size());
    if (bytes) data.append(reinterpret_cast<const char*>(rows), bytes);
    return WriteFileAtomically(path, data);
}

std::string FileNameOnly(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path) {
    const std::string name = FileNameOnly(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string WithExtension(const std::string& path, const std::string& extension) {
    const std::string name = FileNameOnly(path);
    return name.find('.') == std::string::npos ? path + extension : path;
}

}  // namespace zul
