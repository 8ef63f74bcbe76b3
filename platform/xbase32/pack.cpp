#include "platform/xbase32/pack.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "platform/xbase32/error.h"
#include "platform/xbase32/field_value.h"
#include "platform/xbase32/file_lock.h"

namespace xb {

namespace {

PackStepHook g_hook = nullptr;

void Step(PackStep step) {
    if (g_hook != nullptr) {
        g_hook(step);
    }
}

std::string TempOf(const std::string& path) {
    return path + ".pak";
}
std::string MarkerOf(const std::string& dbfPath) {
    return dbfPath + ".pakmark";
}

void RenameOrThrow(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        throw Error("cannot rename " + from + " to " + to);
    }
}

// Marker lines: new table, table, new memo file, memo file (the last two may be empty).
struct Marker {
    std::string tempDbf, dbf, tempMemo, memo;
};

void WriteMarker(const std::string& path, const Marker& m) {
    const std::string text = m.tempDbf + "\n" + m.dbf + "\n" + m.tempMemo + "\n" + m.memo + "\n";
    const std::string temp = path + ".tmp";
    {
        File f = File::Open(temp, O_RDWR | O_CREAT | O_TRUNC);
        f.WriteAt(0, text.data(), text.size());
        f.Sync();
    }
    RenameOrThrow(temp, path);
    SyncDirectory(DirectoryOf(path));
}

bool ReadMarker(const std::string& path, Marker* m) {
    File f = File::Open(path, O_RDONLY);
    const uint64_t size = f.Size();
    if (size > 4 * 4096) {
        return false;
    }
    std::string text(static_cast<size_t>(size), '\0');
    f.ReadExact(0, text.data(), text.size());
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
        lines.push_back(text.substr(start, nl - start));
    }
    if (lines.size() != 4 || lines[0].empty() || lines[1].empty()) {
        return false;
    }
    *m = {lines[0], lines[1], lines[2], lines[3]};
    return true;
}

// True when no other open holds the file; the locks are kept in *holder. The recovery lock
// tells opens that meet the exclusive one to wait for it rather than give up.
bool NobodyHolds(const std::string& path, File* holder) {
    if (!FileExists(path)) {
        return true;
    }
    *holder = File::Open(path, O_RDWR);
    return TryLock(holder->Fd(), lock_offset::kRecovery, LockKind::kExclusive) &&
           TryLock(holder->Fd(), lock_offset::kOpen, LockKind::kExclusive);
}

// The table's file with the recovery lock held, once no other open is finishing or clearing
// a pack of it; the name may come to show another file meanwhile, which is then taken.
File HoldForRecovery(const std::string& dbfPath) {
    constexpr int kRecoverySeconds = 10;
    for (;;) {
        File f = File::Open(dbfPath, O_RDWR);
        if (!LockWithTimeout(f.Fd(), lock_offset::kRecovery, LockKind::kExclusive,
                             kRecoverySeconds)) {
            throw Error("table " + dbfPath + " is being packed elsewhere");
        }
        if (NamesSameFile(f, dbfPath)) {
            return f;
        }
    }
}

void RemoveIfExists(const std::string& path) {
    if (!path.empty()) {
        ::unlink(path.c_str());
    }
}

// The header a pack would write, when a pack would change nothing else: no deleted record,
// no memo in use, an empty memo file of the pack's block size, and no byte beyond the records.
std::optional<std::string> HeaderIfNothingToPack(DbfTable& table, int memoBlockSize) {
    DbfHeader header = table.Header();
    const uint32_t count = table.RecordCount();
    const auto length = static_cast<std::size_t>(table.RecordLength());
    header.recordCount = count;
    StampToday(header);
    std::string h = EncodeDbfHeader(header);
    if (h.size() > header.headerLength ||
        table.FileSize() != header.headerLength + uint64_t{count} * length + 1) {
        return std::nullopt;
    }
    h.resize(header.headerLength, '\0');  // a pack leaves the rest of the header zero
    std::string had(h.size(), '\0');
    table.ReadRaw(0, had.data(), had.size());
    for (std::size_t at : {1, 2, 3}) {
        had[at] = h[at];  // the date is the pack's own
    }
    if (had != h) {
        return std::nullopt;
    }
    char last = 0;
    table.ReadRaw(table.FileSize() - 1, &last, 1);
    if (last != kEndOfFile) {
        return std::nullopt;
    }
    std::vector<std::pair<std::size_t, std::string>> noMemo;
    for (const auto& f : header.fields) {
        if (f.type == 'M') {
            noMemo.emplace_back(static_cast<std::size_t>(f.offset), FormatMemoPointer(0, f.width));
        }
    }
    if (table.Memo() != nullptr && !table.Memo()->Holds(MemoFile::EmptyImage(memoBlockSize))) {
        return std::nullopt;
    }
    const auto batch = static_cast<uint32_t>(std::max<std::size_t>(1, (1u << 20) / length));
    std::string in(batch * length, '\0');
    for (uint32_t first = 1; first <= count; first += batch) {
        const uint32_t n = std::min(batch, count - first + 1);
        table.ReadRecords(first, n, in.data());
        for (uint32_t i = 0; i < n; ++i) {
            const char* rec = in.data() + i * length;
            if (rec[0] == '*') {
                return std::nullopt;
            }
            for (const auto& [offset, blank] : noMemo) {
                if (std::string_view(rec + offset, blank.size()) != blank) {
                    return std::nullopt;
                }
            }
        }
    }
    return h;
}

}  // namespace

void SetPackStepHook(PackStepHook hook) {
    g_hook = hook;
}

void PackTable(DbfTable& table, int memoBlockSize, bool mayKeepFiles) {
    if (table.Mode() != OpenMode::kExclusive) {
        throw Error("pack needs the table open exclusively");
    }
    if (mayKeepFiles) {
        if (const auto header = HeaderIfNothingToPack(table, memoBlockSize)) {
            // The files already are what a pack writes, but for the date it stamps.
            table.RewriteHeader(*header);
            table.Sync();
            return;
        }
    }
    const std::string dbfPath = table.Path();
    MemoFile* oldMemo = table.Memo();
    const std::string memoPath = oldMemo != nullptr ? oldMemo->Path() : std::string();
    Marker marker{TempOf(dbfPath), dbfPath, memoPath.empty() ? "" : TempOf(memoPath), memoPath};

    File out;
    std::unique_ptr<MemoFile> newMemo;
    try {
        out = File::Open(marker.tempDbf, O_RDWR | O_CREAT | O_TRUNC);
        if (!TryLock(out.Fd(), lock_offset::kOpen, LockKind::kExclusive)) {
            throw Error("cannot hold " + marker.tempDbf);
        }
        if (oldMemo != nullptr) {
            MemoFile::Create(marker.tempMemo, memoBlockSize);
            newMemo = std::make_unique<MemoFile>(MemoFile::Open(marker.tempMemo, true));
        }
        DbfHeader header = table.Header();
        const uint32_t count = table.RecordCount();
        const size_t length = static_cast<size_t>(table.RecordLength());
        std::vector<const FieldDesc*> memoFields;
        for (const auto& f : header.fields) {
            if (f.type == 'M') {
                memoFields.push_back(&f);
            }
        }

        const uint32_t batch = static_cast<uint32_t>(std::max<size_t>(1, (1u << 20) / length));
        std::string in(batch * length, '\0');
        std::string chunk;
        uint64_t writeAt = header.headerLength;
        uint32_t kept = 0;
        bool changed = false;  // whether any record moved or its bytes changed
        for (uint32_t first = 1; first <= count; first += batch) {
            const uint32_t n = std::min(batch, count - first + 1);
            table.ReadRecords(first, n, in.data());
            for (uint32_t i = 0; i < n; ++i) {
                char* rec = in.data() + i * length;
                if (rec[0] == '*') {
                    continue;
                }
                for (const FieldDesc* f : memoFields) {
                    std::string_view bytes(rec + f->offset, static_cast<size_t>(f->width));
                    uint32_t block = ParseMemoPointer(bytes);
                    uint32_t moved = 0;
                    if (block != 0) {
                        std::string data = oldMemo->Read(block);
                        moved = data.empty() ? 0 : newMemo->Write(data);
                    }
                    std::string p = FormatMemoPointer(moved, f->width);
                    changed = changed || bytes != p;
                    std::copy(p.begin(), p.end(), rec + f->offset);
                }
                chunk.append(rec, length);
                ++kept;
            }
            out.WriteAt(writeAt, chunk.data(), chunk.size());
            // Start writing it out now, so that the flush below has little left to wait for.
            ::sync_file_range(out.Fd(), static_cast<off_t>(writeAt),
                              static_cast<off_t>(chunk.size()), SYNC_FILE_RANGE_WRITE);
            writeAt += chunk.size();
            chunk.clear();
        }
        const char eof = kEndOfFile;
        out.WriteAt(writeAt, &eof, 1);
        header.recordCount = kept;
        if (changed || kept != count) {
            header.stamp = StampOfWholeChange(header.stamp);
        }
        StampToday(header);
        const std::string h = EncodeDbfHeader(header);
        out.WriteAt(0, h.data(), h.size());
        out.Sync();
        if (newMemo) {
            newMemo->Sync();
        }
        Step(PackStep::kTemporariesWritten);
        WriteMarker(MarkerOf(dbfPath), marker);
    } catch (...) {
        out.Close();
        newMemo.reset();
        RemoveIfExists(marker.tempDbf);
        RemoveIfExists(marker.tempMemo);
        throw;
    }
    // From here on the next open finishes what a stop leaves undone.
    Step(PackStep::kMarkerWritten);
    if (newMemo) {
        RenameOrThrow(marker.tempMemo, memoPath);
    }
    Step(PackStep::kMemoRenamed);
    RenameOrThrow(marker.tempDbf, dbfPath);
    SyncDirectory(DirectoryOf(dbfPath));
    ::unlink(MarkerOf(dbfPath).c_str());
    SyncDirectory(DirectoryOf(dbfPath));
    out.Renamed(dbfPath);
    std::unique_ptr<MemoFile> memo;
    if (newMemo) {
        memo = std::make_unique<MemoFile>(MemoFile::Open(memoPath, true));
    }
    table.Adopt(std::move(out), std::move(memo));
}

void RecoverInterruptedPack(const std::string& dbfPath) {
    const std::string markerPath = MarkerOf(dbfPath);
    const std::string tempDbf = TempOf(dbfPath);
    const std::string memoPath = FindFileIgnoringCase(DbfTable::MemoPathFor(dbfPath));
    const std::string tempMemo = memoPath.empty() ? std::string() : TempOf(memoPath);
    auto leftovers = [&] {
        return FileExists(tempDbf) || (!tempMemo.empty() && FileExists(tempMemo)) ||
               FileExists(markerPath + ".tmp");
    };
    if (!FileExists(markerPath) && !leftovers()) {
        return;
    }
    // One open at a time finishes or clears what a stopped pack left; the others wait for it
    // and then find nothing left to do.
    File holder = HoldForRecovery(dbfPath);
    File tempHolder;
    if (FileExists(markerPath)) {
        Marker m;
        if (!ReadMarker(markerPath, &m) || m.dbf != dbfPath) {
            throw Error("pack marker " + markerPath + " is damaged");
        }
        if (!TryLock(holder.Fd(), lock_offset::kOpen, LockKind::kExclusive) ||
            !NobodyHolds(m.tempDbf, &tempHolder)) {
            throw Error("table " + dbfPath + " is being packed elsewhere");
        }
        if (!m.tempMemo.empty() && FileExists(m.tempMemo)) {
            RenameOrThrow(m.tempMemo, m.memo);
        }
        if (FileExists(m.tempDbf)) {
            RenameOrThrow(m.tempDbf, m.dbf);
        }
        SyncDirectory(DirectoryOf(dbfPath));
        ::unlink(markerPath.c_str());
        SyncDirectory(DirectoryOf(dbfPath));
        return;
    }
    if (leftovers() && TryLock(holder.Fd(), lock_offset::kOpen, LockKind::kExclusive) &&
        NobodyHolds(tempDbf, &tempHolder)) {
        RemoveIfExists(tempDbf);
        RemoveIfExists(tempMemo);
        RemoveIfExists(markerPath + ".tmp");
    }
}

}  // namespace xb
