// Stands in for the directory program in tests. Each run appends its pid and arguments to the
// file named by FAKE_FOONGREP_LOG (fields ended by NUL, the run by a newline). The file named by
// FAKE_FOONGREP_FIXTURE holds one line per number: number, TAB, mode, TAB, the belvo.log line as
// raw bytes. The number "-S" stands for the status command. Modes:
//   found       writes the line to the -o file and a status file to the -O file
//   notfound    writes an empty -o file and a status file
//   nocd        writes the line and a status file whose first line says no CD was found
//   emptystatus writes the line and an empty -O file
//   nothing     writes nothing
//   late:MS     a child in its group sleeps MS ms, then writes as found
//   signal      writes as found, then dies by SIGKILL
//   folder      makes a folder where the -o file belongs and writes a status file
// A number the fixture does not name writes nothing and ends with 2.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

void Write(const std::string& path, const std::string& data) {
    if (path.empty()) {
        return;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << data;
}

void LogRun(int argc, char** argv) {
    const char* log = std::getenv("FAKE_FOONGREP_LOG");
    if (log == nullptr) {
        return;
    }
    std::string record = std::to_string(getpid()) + '\0';
    for (int i = 0; i < argc; ++i) {
        record += argv[i];
        record += '\0';
    }
    record += '\n';
    std::ofstream(log, std::ios::binary | std::ios::app) << record;
}

struct Entry {
    std::string mode;
    std::string line;
};

bool FindEntry(const std::string& number, Entry& entry) {
    const char* fixture = std::getenv("FAKE_FOONGREP_FIXTURE");
    if (fixture == nullptr) {
        return false;
    }
    std::ifstream in(fixture, std::ios::binary);
    for (std::string row; std::getline(in, row);) {
        const auto tab1 = row.find('\t');
        const auto tab2 = row.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || row.substr(0, tab1) != number) {
            continue;
        }
        entry.mode =
            row.substr(tab1 + 1, tab2 == std::string::npos ? std::string::npos : tab2 - tab1 - 1);
        entry.line = tab2 == std::string::npos ? "" : row.substr(tab2 + 1);
        return true;
    }
    return false;
}

constexpr const char* kStatus = "Foongrep 2.1\r\nKPN-cdfoongids gevonden op /media/cdrom\r\n";

}  // namespace

int main(int argc, char** argv) {
    LogRun(argc, argv);
    std::string number;
    std::string out;
    std::string status;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasNext = i + 1 < argc;
        if (a == "-S") {
            number = "-S";
        } else if (a == "-t" && hasNext) {
            number = argv[++i];
        } else if (a.rfind("-t", 0) == 0 && a.size() > 2) {
            number = a.substr(2);
        } else if (a == "-o" && hasNext) {
            out = argv[++i];
        } else if (a == "-O" && hasNext) {
            status = argv[++i];
        }
    }
    Entry e;
    if (!FindEntry(number, e)) {
        return 2;
    }
    const std::string line = e.line + "\r\n";
    if (e.mode == "found" || e.mode == "signal") {
        Write(out, line);
        Write(status, kStatus);
        if (e.mode == "signal") {
            ::kill(getpid(), SIGKILL);
        }
    } else if (e.mode == "notfound") {
        Write(out, "");
        Write(status, kStatus);
    } else if (e.mode == "nocd") {
        Write(out, line);
        Write(status, "KPN-cdfoongids niet gevonden\r\n");
    } else if (e.mode == "emptystatus") {
        Write(out, line);
        Write(status, "");
    } else if (e.mode == "folder") {
        ::mkdir(out.c_str(), 0700);
        Write(status, kStatus);
    } else if (e.mode.rfind("late:", 0) == 0) {
        const int ms = std::atoi(e.mode.c_str() + 5);
        const pid_t child = fork();
        if (child == 0) {
            usleep(static_cast<useconds_t>(ms) * 1000);
            Write(out, line);
            Write(status, kStatus);
            _exit(0);
        }
        waitpid(child, nullptr, 0);
    }
    return 0;
}
