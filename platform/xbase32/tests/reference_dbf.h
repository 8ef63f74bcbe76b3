#pragma once

// A small DBF/FPT reader and writer written from the file layout alone, sharing nothing
// with the engine, so that each side can check the other.

#include <cstdint>
#include <string>
#include <vector>

namespace refdbf {

struct Field {
    std::string name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
};

struct Record {
    bool deleted = false;
    // Per field: the stored bytes (width long) or, for a memo, its content.
    std::vector<std::string> values;
};

struct Table {
    uint8_t version = 0;
    uint8_t codePage = 0;
    uint32_t headerCount = 0;
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    bool endMark = false;  // 0x1A right after the last record
    std::vector<Field> fields;
    std::vector<uint32_t> displacements;
    std::vector<Record> records;
    int memoBlockSize = 0;
    uint32_t memoNextFree = 0;
    uint64_t memoFileSize = 0;
};

// Reads a table and its memo file (ending .FPT or .fpt beside it). Throws std::runtime_error.
Table Read(const std::string& dbfPath);

struct WriteOptions {
    int extraHeaderBytes = 0;  // header longer than the fields need
    bool endMark = true;
    std::string memoPath;  // empty: the table's path ending .FPT
};

// Values: text fields are padded here; other fields are given as stored. Memo pointers
// are written with leading blanks, as some tools do.
void Write(const std::string& dbfPath, const std::vector<Field>& fields,
           const std::vector<Record>& records, const WriteOptions& options = {});

}  // namespace refdbf
