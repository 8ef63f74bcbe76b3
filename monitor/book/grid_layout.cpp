#include "monitor/book/grid_layout.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include "platform/db/data_set.h"
#include "platform/rtl/ini_file.h"
#include "platform/ui/db_grid.h"

namespace {

constexpr int kAbsent = -1;

int AlignmentCode(ui::TAlignment alignment) {
    switch (alignment) {
        case ui::taCenter:
            return 2;
        case ui::taRightJustify:
            return 3;
        case ui::taLeftJustify:
            break;
    }
    return 1;
}

void KeepOnScreen(QWidget& form) {
    const QRect frame = form.geometry();
    const auto screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        if (screen->geometry().intersects(frame)) {
            return;
        }
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) {
        return;
    }
    const QRect area = primary->availableGeometry();
    form.move(area.topLeft());
}

void ApplyFontName(ui::FontSpec& font, const std::string& name) {
    if (!name.empty()) {
        font.name = name;
    }
}

void ApplyFontSize(ui::FontSpec& font, int size) {
    if (size >= 1) {
        font.size = size;
    }
}

}  // namespace

void savedbgrid(rtl::TIniFile& file, const QWidget& form, const ui::TDBGrid& grid,
                const std::string& name) {
    file.WriteInteger(name, "left", form.x());
    file.WriteInteger(name, "top", form.y());
    file.WriteInteger(name, "width", form.width());
    file.WriteInteger(name, "height", form.height());
    const ui::TDBGridColumns& columns = grid.Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        const ui::TColumn& column = columns[i];
        const std::string section = name + std::to_string(i);
        file.WriteString(section, "fontname", column.Font().name);
        file.WriteInteger(section, "fontsize", column.Font().size);
        file.WriteString(section, "titlefontname", column.Title().Font().name);
        file.WriteInteger(section, "titlefontsize", column.Title().Font().size);
        file.WriteString(section, "fieldname", column.FieldName());
        file.WriteString(section, "title", column.Title().Caption());
        file.WriteInteger(section, "width", column.Width());
        file.WriteInteger(section, "color", column.Font().color);
        file.WriteInteger(section, "titlecolor", column.Title().Font().color);
        file.WriteInteger(section, "readonly", column.ReadOnly() ? 1 : 0);
        file.WriteInteger(section, "alignment", AlignmentCode(column.Alignment()));
    }
}

void laaddbgrid(const rtl::TIniFile& file, QWidget& form, ui::TDBGrid& grid,
                const std::string& name) {
    auto integer = [&](const std::string& section, const char* key) {
        return file.ReadInteger(section, key, kAbsent);
    };
    if (const int left = integer(name, "left"); left != kAbsent) {
        form.move(left, form.y());
    }
    if (const int top = integer(name, "top"); top != kAbsent) {
        form.move(form.x(), top);
    }
    if (const int width = integer(name, "width"); width != kAbsent && width > 0) {
        form.resize(width, form.height());
    }
    if (const int height = integer(name, "height"); height != kAbsent && height > 0) {
        form.resize(form.width(), height);
    }
    KeepOnScreen(form);

    // The grid's title font comes from the second column's section.
    const std::string second = name + "1";
    ui::FontSpec title_font = grid.TitleFont();
    if (file.ValueExists(name, "DefaultRowheight") &&
        integer(name, "DefaultRowheight") != kAbsent) {
        ApplyFontName(title_font, file.ReadString(second, "titlefontname", ""));
    }
    ApplyFontSize(title_font, integer(second, "titlefontsize"));
    if (!(title_font == grid.TitleFont())) {
        grid.SetTitleFont(title_font);
    }

    const db::TDataSet* data_set = grid.DataSet();
    ui::TDBGridColumns& columns = grid.Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        ui::TColumn& column = columns[i];
        const std::string section = name + std::to_string(i);
        const std::string field_name = file.ReadString(section, "fieldname", "");
        const bool known = data_set == nullptr || !data_set->Active() ||
                           data_set->FindField(field_name) != nullptr;
        if (!field_name.empty() && known) {
            column.SetFieldName(field_name);
        }
        if (const std::string title = file.ReadString(section, "title", ""); !title.empty()) {
            column.Title().SetCaption(title);
        }
        if (const int width = integer(section, "width"); width != kAbsent && width > 0) {
            column.SetWidth(width);
        }
        ui::FontSpec title = column.Title().Font();
        ui::FontSpec cells = column.Font();
        if (const int color = integer(section, "titlecolor"); color != kAbsent) {
            title.color = color;
        }
        if (const int color = integer(section, "color"); color != kAbsent) {
            cells.color = color;
        }
        if (const int read_only = integer(section, "readonly"); read_only != kAbsent) {
            column.SetReadOnly(read_only == 1);
        }
        switch (file.ReadInteger(section, "alignment", 0)) {
            case 1:
                column.SetAlignment(ui::taLeftJustify);
                break;
            case 2:
                column.SetAlignment(ui::taCenter);
                break;
            case 3:
                column.SetAlignment(ui::taRightJustify);
                break;
            default:
                break;
        }
        ApplyFontName(cells, file.ReadString(section, "fontname", ""));
        ApplyFontSize(cells, integer(section, "fontsize"));
        ApplyFontName(title, file.ReadString(section, "titlefontname", ""));
        ApplyFontSize(title, integer(section, "titlefontsize"));
        if (!(cells == column.Font())) {
            column.SetFont(cells);
        }
        if (!(title == column.Title().Font())) {
            column.Title().SetFont(title);
        }
    }
    grid.Repaint();
}
