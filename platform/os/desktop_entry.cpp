#include "platform/os/desktop_entry.h"

#include "platform/rtl/whole_file.h"

namespace os {

namespace {

// The escapes of a string value: a line break, tab or carriage return cannot stand in a line.
std::string EscapeString(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    // A leading blank would be trimmed by readers.
    if (!out.empty() && out.front() == ' ') {
        out.replace(0, 1, "\\s");
    }
    return out;
}

// The program as one quoted argument of Exec, before the string escapes.
std::string QuotedProgram(std::string_view program) {
    std::string out = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '%') {
            out += "%%";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::string DesktopEntryFileName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        out += plain ? c : '-';
    }
    return out + ".desktop";
}

std::string DesktopEntryText(std::string_view name, std::string_view program,
                             std::string_view workingFolder, std::string_view icon,
                             std::string_view categories) {
    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=" + EscapeString(name) + "\n";
    text += "Exec=" + EscapeString(QuotedProgram(program)) + "\n";
    text += "Path=" + EscapeString(workingFolder) + "\n";
    if (!icon.empty()) {
        text += "Icon=" + EscapeString(icon) + "\n";
    }
    if (!categories.empty()) {
        text += "Categories=" + EscapeString(categories) + "\n";
    }
    text += "Terminal=false\n";
    return text;
}

std::string WriteDesktopEntry(const std::string& folder, std::string_view name,
                              std::string_view program, std::string_view workingFolder,
                              std::string_view icon, std::string_view categories) {
    const std::string path = folder + "/" + DesktopEntryFileName(name);
    rtl::WriteWholeFileAtomically(path,
                                  DesktopEntryText(name, program, workingFolder, icon, categories));
    return path;
}

}  // namespace os
