#pragma once

#include <optional>
#include <string>

#include "monitor/book/table_export.h"
#include "platform/ui/hourglass_cursor.h"

namespace book {

// The export's desktop side on the program's dialog service: the save dialog with the
// overwrite question, the hourglass and an error box.
class ProgramExportPort : public ExportPort {
  public:
    bool ChooseFile(const ExportDialog& dialog, std::string& fileName) override;
    void Busy(bool on) override;
    void Failed(const std::string& text) override;

  private:
    std::optional<ui::HourglassCursor> cursor_;
};

}  // namespace book
