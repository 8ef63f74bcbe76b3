#pragma once

// The files of the fake directory-lookup program: the answer rows it prints and the log of its
// runs, one line a run (its pid, then its arguments, each ended by a zero byte).

#include <stdlib.h>
#include <sys/types.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fakefoongrep {

struct Run {
    pid_t pid = 0;
    std::vector<std::string> argv;
};

// Points the fake, as this process and the programs it starts see it, at these two files.
inline void UseFiles(const std::string& answers, const std::string& log) {
    ::setenv("FAKE_FOONGREP_FIXTURE", answers.c_str(), 1);
    ::setenv("FAKE_FOONGREP_LOG", log.c_str(), 1);
}

inline void WriteAnswers(const std::string& answers, const std::string& rows) {
    std::ofstream(answers, std::ios::binary) << rows;
}

// The runs logged so far, in order; none while there is no log.
inline std::vector<Run> ReadRuns(const std::string& log) {
    std::ifstream in(log, std::ios::binary);
    std::stringstream data;
    data << in.rdbuf();
    std::vector<Run> runs;
    for (std::string record; std::getline(data, record, '\n');) {
        Run run;
        std::stringstream fields(record);
        std::string field;
        std::getline(fields, field, '\0');
        run.pid = static_cast<pid_t>(std::stol(field));
        while (std::getline(fields, field, '\0')) {
            run.argv.push_back(field);
        }
        runs.push_back(run);
    }
    return runs;
}

}  // namespace fakefoongrep
