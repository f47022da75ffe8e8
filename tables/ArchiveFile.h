// Archive files on disk: a 905-byte ArchiveFileHeader and the rows (records or
// text rows) that follow. Reading accepts the header as the viewer of the kind
// does and takes the rows the file really holds; writing goes through
// WriteFileAtomically, so a failed save leaves no half-written file.
//
//   ArchiveFileData d;
//   switch (ReadArchiveFile(path, kArchAla, image, 300, d)) {
//   case ArchiveFileStatus::kCannotOpen: ...  // "Ошибка открытия файла"
//   case ArchiveFileStatus::kRefused: ...     // the kind's "Файл %s не является файлом, содержащим"
//   case ArchiveFileStatus::kOk: ...          // d.header, d.rows (d.present rows of 300 bytes)
//   }
//   WriteArchiveFile(path, header, rows.data(), rows.size());
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tables/ArchiveHeader.h"

namespace zul {

enum class ArchiveFileStatus { kOk, kCannotOpen, kRefused };

struct ArchiveFileData {
    ArchiveFileHeader header;
    std::vector<uint8_t> rows;  // present * rowSize bytes
    uint32_t present = 0;       // whole rows in the file, at most the header's count
    // True when the file holds fewer rows than its header says.
    bool Short() const { return present < header.RecordCount(); }
};

// A file shorter than a header is refused as well.
ArchiveFileStatus ReadArchiveFile(const std::string& path, ArchiveKind kind, const class TableImage& image,
                                  int rowSize, ArchiveFileData& out);
bool WriteArchiveFile(const std::string& path, const ArchiveFileHeader& header, const uint8_t* rows,
                      size_t bytes);

// The name of a file without its folder.
std::string FileNameOnly(const std::string& path);
// The extension of the file's name with its dot (".ala"); "" when the name has none.
std::string ExtensionOf(const std::string& path);
// `path` with `extension` (".ala") appended when its name has none.
std::string WithExtension(const std::string& path, const std::string& extension);

}  // namespace zul
