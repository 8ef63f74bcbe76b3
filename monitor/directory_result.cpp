#include "monitor/directory_result.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "monitor/directory_command.h"
#include "platform/rtl/text_encoding.h"

namespace monitor {

namespace {

constexpr std::size_t kReadLimit = 64 * 1024;
constexpr std::size_t kKeptAfterField = 500;
constexpr std::string_view kSeparator = "\",\"";

struct FileHead {
    ResultFileState state = ResultFileState::Absent;
    std::string bytes;
};

FileHead ReadHead(const std::string& path) {
    FileHead head;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        head.state = errno == ENOENT ? ResultFileState::Absent : ResultFileState::ReadError;
        return head;
    }
    head.state = ResultFileState::ReadError;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        head.bytes.resize(kReadLimit);
        std::size_t got = 0;
        for (;;) {
            const ssize_t n = ::read(fd, head.bytes.data() + got, kReadLimit - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
            if (n == 0 || got == kReadLimit) {
                head.bytes.resize(got);
                head.state = ResultFileState::Read;
                break;
            }
        }
    }
    ::close(fd);
    if (head.state != ResultFileState::Read) {
        head.bytes.clear();
    }
    return head;
}

// Lines split at CR LF, LF or CR; a final line break adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

std::string_view FirstLine(std::string_view text) {
    std::string_view line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

// Walks the fields of a line left to right, as the program writes them.
class FieldWalk {
  public:
    explicit FieldWalk(std::string_view line) : rest_(line) {}

    // The next field; once the line has no separator left, the rest up to its quote, then
    // nothing.
    std::optional<std::string_view> Next() {
        if (!rest_) {
            return std::nullopt;
        }
        const std::size_t pos = rest_->find(kSeparator);
        if (pos == std::string_view::npos) {
            const std::string_view last = rest_->substr(0, rest_->find('"'));
            rest_.reset();
            return last;
        }
        const std::string_view field = rest_->substr(0, pos);
        rest_ = rest_->substr(pos + kSeparator.size(), kKeptAfterField);
        return field;
    }

    // Skips a field that has a separator after it; false when there is none.
    bool Skip() {
        if (!rest_) {
            return false;
        }
        const std::size_t pos = rest_->find(kSeparator);
        if (pos == std::string_view::npos) {
            rest_.reset();
            return false;
        }
        rest_ = rest_->substr(pos + kSeparator.size(), kKeptAfterField);
        return true;
    }

  private:
    std::optional<std::string_view> rest_;
};

std::string Text(std::optional<std::string_view> field) {
    return field ? rtl::Cp1252ToUtf8(*field) : std::string();
}

}  // namespace

DirectoryAddress ParseResultLine(std::string_view line) {
    DirectoryAddress a;
    FieldWalk walk(line);
    for (int i = 0; i < 3; ++i) {
        if (!walk.Skip()) {
            return a;
        }
    }
    a.voornaam = Text(walk.Next());
    a.naam = Text(walk.Next());
    a.aanhangsel = Text(walk.Next());
    a.straat = Text(walk.Next());
    if (const auto huisnummer = walk.Next()) {
        a.straat += " " + Text(huisnummer);
    }
    a.postcode = Text(walk.Next());
    a.plaats = Text(walk.Next());
    return a;
}

StatusFile ReadStatusFile(std::string_view folder) {
    StatusFile status;
    const FileHead head = ReadHead(Belvo2LogPath(folder));
    status.state = head.state;
    const auto lines = SplitLines(head.bytes);
    for (const auto line : lines) {
        status.lines.push_back(rtl::Cp1252ToUtf8(line));
    }
    status.geenCd = !lines.empty() && lines.front().find("niet gevonden") != std::string_view::npos;
    return status;
}

DirectoryResult ReadDirectoryResult(std::string_view folder) {
    DirectoryResult result;
    const FileHead head = ReadHead(BelvoLogPath(folder));
    result.state = head.state;
    if (head.state != ResultFileState::Read) {
        return result;
    }
    const std::string_view line = FirstLine(head.bytes);
    result.found = !line.empty();
    if (result.found) {
        result.address = ParseResultLine(line);
    }
    result.status = ReadStatusFile(folder);
    return result;
}

}  // namespace monitor
