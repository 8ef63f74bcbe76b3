#include "platform/xbase32/tests/reference_dbf.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace refdbf {

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

unsigned U8(const std::string& b, size_t at) {
    return static_cast<unsigned char>(b.at(at));
}

uint32_t LittleEndian(const std::string& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) {
        v = v << 8 | U8(b, at + static_cast<size_t>(i));
    }
    return v;
}

uint32_t BigEndian(const std::string& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
        v = v << 8 | U8(b, at + static_cast<size_t>(i));
    }
    return v;
}

void PutLittle(std::string& b, size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) {
        b[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    }
}

void PutBig(std::string& b, size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) {
        b[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * (n - 1 - i)));
    }
}

std::string SwapExtension(const std::string& path, const std::string& ext) {
    return path.substr(0, path.size() - 4) + ext;
}

std::string FindIgnoringCase(const std::string& path) {
    const std::filesystem::path p(path);
    auto lower = [](std::string s) {
        for (auto& c : s) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return s;
    };
    for (const auto& e : std::filesystem::directory_iterator(p.parent_path())) {
        if (lower(e.path().filename().string()) == lower(p.filename().string())) {
            return e.path().string();
        }
    }
    return path;
}

}  // namespace

Table Read(const std::string& dbfPath) {
    const std::string b = Slurp(dbfPath);
    Table t;
    t.version = static_cast<uint8_t>(U8(b, 0));
    t.headerCount = LittleEndian(b, 4, 4);
    t.headerLength = static_cast<uint16_t>(LittleEndian(b, 8, 2));
    t.recordLength = static_cast<uint16_t>(LittleEndian(b, 10, 2));
    t.codePage = static_cast<uint8_t>(U8(b, 29));
    for (size_t at = 32; U8(b, at) != 0x0D; at += 32) {
        Field f;
        f.name = b.substr(at, 11);
        f.name = f.name.substr(0, f.name.find('\0'));
        f.type = b.at(at + 11);
        f.width = static_cast<int>(U8(b, at + 16));
        f.decimals = static_cast<int>(U8(b, at + 17));
        t.displacements.push_back(LittleEndian(b, at + 12, 4));
        t.fields.push_back(f);
    }
    std::string memo;
    bool hasMemo = false;
    for (const auto& f : t.fields) {
        hasMemo = hasMemo || f.type == 'M';
    }
    if (hasMemo) {
        memo = Slurp(FindIgnoringCase(SwapExtension(dbfPath, ".FPT")));
        t.memoNextFree = BigEndian(memo, 0, 4);
        t.memoBlockSize = static_cast<int>(BigEndian(memo, 6, 2));
        t.memoFileSize = memo.size();
    }
    size_t at = t.headerLength;
    for (uint32_t r = 0; r < t.headerCount && at + t.recordLength <= b.size(); ++r) {
        Record rec;
        rec.deleted = b.at(at) == '*';
        size_t pos = at + 1;
        for (const auto& f : t.fields) {
            std::string bytes = b.substr(pos, static_cast<size_t>(f.width));
            if (f.type == 'M') {
                const size_t first = bytes.find_first_not_of(' ');
                uint32_t block = first == std::string::npos ? 0 : std::stoul(bytes.substr(first));
                std::string content;
                if (block != 0) {
                    const size_t start =
                        static_cast<size_t>(block) * static_cast<size_t>(t.memoBlockSize);
                    const uint32_t length = BigEndian(memo, start + 4, 4);
                    content = memo.substr(start + 8, length);
                    if (content.size() != length) {
                        throw std::runtime_error("memo runs past its file");
                    }
                }
                rec.values.push_back(content);
            } else {
                rec.values.push_back(bytes);
            }
            pos += static_cast<size_t>(f.width);
        }
        t.records.push_back(rec);
        at += t.recordLength;
    }
    t.endMark = at < b.size() && b[at] == 0x1A;
    return t;
}

void Write(const std::string& dbfPath, const std::vector<Field>& fields,
           const std::vector<Record>& records, const WriteOptions& options) {
    const int blockSize = 64;
    bool hasMemo = false;
    int recordLength = 1;
    for (const auto& f : fields) {
        hasMemo = hasMemo || f.type == 'M';
        recordLength += f.width;
    }
    const size_t headerLength =
        32 + 32 * fields.size() + 1 + static_cast<size_t>(options.extraHeaderBytes);
    std::string b(headerLength, '\0');
    b[0] = static_cast<char>(hasMemo ? 0xF5 : 0x03);
    b[1] = 124;
    b[2] = 6;
    b[3] = 30;
    PutLittle(b, 4, static_cast<uint32_t>(records.size()), 4);
    PutLittle(b, 8, static_cast<uint32_t>(headerLength), 2);
    PutLittle(b, 10, static_cast<uint32_t>(recordLength), 2);
    b[29] = 0x03;
    size_t at = 32;
    uint32_t displacement = 1;
    for (const auto& f : fields) {
        for (size_t i = 0; i < f.name.size(); ++i) {
            b[at + i] = f.name[i];
        }
        b[at + 11] = f.type;
        PutLittle(b, at + 12, displacement, 4);
        b[at + 16] = static_cast<char>(f.width);
        b[at + 17] = static_cast<char>(f.decimals);
        displacement += static_cast<uint32_t>(f.width);
        at += 32;
    }
    b[at] = 0x0D;

    std::string memo(512, '\0');
    PutBig(memo, 6, blockSize, 2);
    for (const auto& r : records) {
        b.push_back(r.deleted ? '*' : ' ');
        for (size_t i = 0; i < fields.size(); ++i) {
            const Field& f = fields[i];
            const std::string& v = r.values.at(i);
            if (f.type == 'M') {
                std::string pointer(10, ' ');
                if (!v.empty()) {
                    const uint32_t block = static_cast<uint32_t>(memo.size() / blockSize);
                    std::string digits = std::to_string(block);
                    pointer.replace(10 - digits.size(), digits.size(), digits);
                    std::string head(8, '\0');
                    PutBig(head, 0, 1, 4);
                    PutBig(head, 4, static_cast<uint32_t>(v.size()), 4);
                    memo += head + v;
                    memo.resize((memo.size() + blockSize - 1) / blockSize * blockSize, '\0');
                }
                b += pointer;
            } else {
                std::string stored = v.substr(0, static_cast<size_t>(f.width));
                stored.resize(static_cast<size_t>(f.width), ' ');
                b += stored;
            }
        }
    }
    if (options.endMark) {
        b.push_back(0x1A);
    }
    PutBig(memo, 0, static_cast<uint32_t>(memo.size() / blockSize), 4);
    Spit(dbfPath, b);
    if (hasMemo) {
        Spit(options.memoPath.empty() ? SwapExtension(dbfPath, ".FPT") : options.memoPath, memo);
    }
}

}  // namespace refdbf
