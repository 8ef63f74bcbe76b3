#pragma once

#include <string>

namespace xbase {
class TXbase;
}

namespace book {

// The engine's text layouts.
inline constexpr int kExportCommaSeparated = 21;
inline constexpr int kExportBlankSeparated = 22;

inline constexpr const char* kExportFailed = "Fout bij exporteren: ";

// What the save dialog shows: the class library's filter ("Text|*.txt|..."), the extension
// added to a name without one, and the name it proposes.
struct ExportDialog {
    std::string filter;
    std::string defaultExt;
    std::string fileName = {};
};

// `fileName` with "." and `defaultExt` added when its last part has no extension.
std::string WithDefaultExtension(const std::string& fileName, const std::string& defaultExt);

// The desktop side of an export: the save dialog, the cursor and the failure box.
class ExportPort {
  public:
    virtual ~ExportPort() = default;
    // The save dialog, asking before it overwrites a file; false when cancelled.
    virtual bool ChooseFile(const ExportDialog& dialog, std::string& fileName) = 0;
    // The hourglass cursor on or off.
    virtual void Busy(bool on) = 0;
    // An error box with OK.
    virtual void Failed(const std::string& text) = 0;
};

// Writes the table bound to `engine` (its visible records, in its order) to `target` as text of
// `kind`. A pending edit is posted first. The text goes to a new file beside the target, which
// replaces the target only once the engine has written it whole; on any failure the target is
// left as it was. An existing target that may not be written (no write permission, or a
// read-only file) is not replaced. False when nothing was written.
bool WriteTableText(xbase::TXbase& engine, const std::string& target, int kind);

// The export command: the save dialog (a name without extension gets the default one), then
// the write under the hourglass; a failure shows kExportFailed and the file name. False when
// cancelled or failed.
bool ExportTable(xbase::TXbase& engine, int kind, const ExportDialog& dialog, ExportPort& port);

}  // namespace book
