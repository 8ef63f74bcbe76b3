#include "components/directory_rules.h"

#include <cctype>

namespace {

constexpr std::size_t kMaxNameBytes = 255;

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

TDirectoryOptions ConsistentOptions(TDirectoryOptions next, TDirectoryOptions old,
                                    TDirEditStyle& editStyle) {
    if (next == old) {
        return old;
    }
    if (next.Has(doExistPrompt) && !old.Has(doExistPrompt) && next.Has(doPathNotExist)) {
        next.Exclude(doPathNotExist);
    }
    if (next.Has(doPathMustExist) && !old.Has(doPathMustExist)) {
        next.Exclude(doCreate);
        next.Exclude(doCreatePrompt);
        next.Exclude(doPathNotExist);
    } else if (next.Has(doCreate) || next.Has(doCreatePrompt) || next.Has(doPathNotExist)) {
        if (next.Has(doPathNotExist)) {
            next.Exclude(doPathMustExist);
            next.Exclude(doExistPrompt);
            if (editStyle == desLabel) {
                editStyle = desEdit;
            }
        } else {
            next.Exclude(doPathMustExist);
        }
    }
    if (next.Has(doHideDrive)) {
        next.Include(doHideNetConnect);
    }
    return next;
}

std::string ReplaceText(std::string_view find, std::string_view replace, std::string_view text,
                        bool caseSensitive) {
    if (find.empty()) {
        return std::string(text);
    }
    const std::string haystack = caseSensitive ? std::string(text) : Upper(text);
    const std::string needle = caseSensitive ? std::string(find) : Upper(find);
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, from)) {
        out.append(text.substr(from, at - from));
        out.append(replace);
        from = at + needle.size();
    }
    out.append(text.substr(from));
    return out;
}

std::string DirectoryMessage(int id, std::string_view path) {
    const char* first = "";
    const char* second = "";
    switch (id) {
        case kMsgPathMissing:
            first = "This path does not exist.";
            second = "Please enter a different path.";
            break;
        case kMsgPathExists:
            first = "This path already exists.";
            second = "Please enter a different path.";
            break;
        case kMsgCreatePath:
            first = "This path does not exist.";
            second = "Are you sure you want to create this path?";
            break;
        case kMsgUsePath:
            first = "This path already exists.";
            second = "Are you sure you want to use this path?";
            break;
        case kMsgNoDrive:
            first = "Drive does not exist.";
            second = "Please choose a different drive.";
            break;
        case kMsgInvalidName:
            first = "Invalid Filename.";
            second = "Please enter a different path.";
            break;
        default:
            break;
    }
    return std::string(path) + "\n" + first + "\n" + second;
}

PathCheck CheckDirectoryPath(std::string_view path, std::string_view currentDir) {
    PathCheck result;
    std::string current(currentDir);
    while (current.size() > 1 && current.back() == '/') {
        current.pop_back();
    }
    std::string rest(path);
    bool relative = false;
    if (StartsWith(rest, "./")) {
        rest.erase(0, 2);
        relative = true;
    }
    while (StartsWith(rest, "../")) {
        const std::size_t cut = current.rfind('/');
        // The root has no parent, and a step that leaves only the root is refused too.
        if (current.size() <= 1 || cut == std::string::npos || cut == 0) {
            result.message = kMsgInvalidName;
            return result;
        }
        current.erase(cut);
        rest.erase(0, 3);
        relative = true;
    }
    if (!relative && !StartsWith(rest, "/")) {
        relative = true;
    }
    if (relative) {
        if (rest.empty()) {
            rest = current;
        } else if (current == "/") {
            rest = "/" + rest;
        } else {
            rest = current + "/" + rest;
        }
    }
    if (!StartsWith(rest, "/")) {
        result.message = kMsgInvalidName;
        return result;
    }
    std::string_view parts = std::string_view(rest).substr(1);
    if (!parts.empty() && parts.back() == '/') {
        parts.remove_suffix(1);
    }
    if (!parts.empty() || rest.size() > 1) {
        std::size_t start = 0;
        while (true) {
            const std::size_t end = parts.find('/', start);
            const std::string_view part =
                parts.substr(start, end == std::string_view::npos ? parts.npos : end - start);
            if (part.empty() || part.size() > kMaxNameBytes) {
                result.message = kMsgInvalidName;
                return result;
            }
            if (end == std::string_view::npos) {
                break;
            }
            start = end + 1;
        }
    }
    result.ok = true;
    result.path = relative ? rest : std::string(path);
    return result;
}

void PutFirstInHistory(rtl::TStringList& history, const std::string& path) {
    for (int i = 0; i < history.Count(); ++i) {
        if (history[i] == path) {
            if (i == 0) {
                return;
            }
            history.Delete(i);
            break;
        }
    }
    history.Insert(0, path);
}
