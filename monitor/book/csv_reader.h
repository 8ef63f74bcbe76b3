#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace book {

// The records of a separated-values file, as UTF-8 text, or why it could not be read.
struct CsvFile {
    std::vector<std::string> records;
    // Empty when the file was read.
    std::string error;
};

// The file's bytes as records: a UTF-8 byte-order mark is dropped; valid UTF-8 is read as
// UTF-8, anything else as Windows-1252; lines end at CR LF, LF or CR. A line that ends inside
// a quoted field goes on with the next, the break kept as CR LF, unless the quote is still
// open at the end of the file: those lines stay records of their own. Blank lines (nothing,
// or only blanks and tabs) are no records. A UTF-16 file or one holding a NUL byte is refused.
CsvFile ReadCsv(std::string_view bytes, char separator);

// Reads the file at `path`; a file that cannot be read gives the error.
CsvFile ReadCsvFile(const std::string& path, char separator);

}  // namespace book
