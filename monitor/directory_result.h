#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace monitor {

// Name and address as the directory program gives them (UTF-8).
struct DirectoryAddress {
    std::string voornaam;
    std::string naam;
    std::string aanhangsel;
    std::string straat;  // street, a blank and the house number
    std::string postcode;
    std::string plaats;

    bool operator==(const DirectoryAddress&) const = default;
};

// The fields of a first line of belvo.log (Windows-1252 bytes): quoted fields separated by
// quote, comma, quote; fields 4 to 10 are used. After each separator at most 500 characters of
// the line are kept. Fields a short line lacks stay empty; the last field present runs to its
// closing quote.
DirectoryAddress ParseResultLine(std::string_view line);

// What a result file holds; each file is read up to 64 KiB, and only as a regular file, so that
// a folder or a pipe in its place is an error and never a hang.
enum class ResultFileState { Absent, ReadError, Read };

// belvo2.log: its lines, and whether its first line says that no directory CD was found
// ("niet gevonden", exact case). An empty file has no lines and no flag.
struct StatusFile {
    ResultFileState state = ResultFileState::Absent;
    std::vector<std::string> lines;  // UTF-8
    bool geenCd = false;
};

StatusFile ReadStatusFile(std::string_view folder);

// belvo.log: found when its first line (LF or CR LF) is not empty; an empty line or an empty
// file is not found. belvo2.log is read only after belvo.log was read.
struct DirectoryResult {
    ResultFileState state = ResultFileState::Absent;
    bool found = false;
    DirectoryAddress address;  // when found
    StatusFile status;
};

DirectoryResult ReadDirectoryResult(std::string_view folder);

}  // namespace monitor
