#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/font_spec.h"

namespace db {
class TField;
}

namespace ui {

class TDBGrid;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TColumn;

// A column title: caption (the field's label until set), font with colour, alignment.
class TColumnTitle {
  public:
    explicit TColumnTitle(TColumn& column) : column_(column) {}
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // The grid's title font until set.
    const FontSpec& Font() const;
    void SetFont(const FontSpec& font);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);

  private:
    TColumn& column_;
    std::string caption_;
    bool caption_set_ = false;
    FontSpec font_;
    bool font_set_ = false;
    TAlignment alignment_ = taLeftJustify;
};

// One grid column: the field it shows and how. A field name the data set lacks shows an
// empty column.
class TColumn {
  public:
    explicit TColumn(TDBGrid& grid) : grid_(grid), title_(*this) {}
    TColumn(const TColumn&) = delete;
    TColumn& operator=(const TColumn&) = delete;

    TDBGrid& Grid() const { return grid_; }
    // Position among the grid's columns, from 0.
    int Index() const;
    const std::string& FieldName() const { return field_name_; }
    void SetFieldName(const std::string& name);
    // Null while the data set is closed or lacks the field.
    db::TField* Field() const;
    TColumnTitle& Title() { return title_; }
    const TColumnTitle& Title() const { return title_; }
    // The grid's font until set.
    const FontSpec& Font() const;
    void SetFont(const FontSpec& font);
    // In pixels; until set, from the field's display width, never narrower than the title.
    int Width() const;
    void SetWidth(int width);
    // A width from a form's design: widened where the title, or `sample` (a value the column
    // is meant to show, such as a phone number), would not show whole in the fonts the column
    // has now; 0 keeps the field's own width.
    void SetDesignWidth(int width, std::string_view sample = {});
    // The narrowest widths that show the title whole, and `text` whole in a cell.
    int TitleFitWidth() const;
    int CellFitWidth(std::string_view text) const;
    // True when the column has a width of its own.
    bool HasWidth() const { return width_ > 0; }
    bool ReadOnly() const { return read_only_; }
    void SetReadOnly(bool value);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment alignment);

    // Tells the grid to show the change.
    void Changed();

  private:
    TDBGrid& grid_;
    TColumnTitle title_;
    std::string field_name_;
    FontSpec font_;
    bool font_set_ = false;
    int width_ = 0;
    bool read_only_ = false;
    TAlignment alignment_ = taLeftJustify;
    bool alignment_set_ = false;
};

// The grid's columns in visual order. While the grid made them from the data set's fields
// (none added), they follow the fields; adding one makes them the grid's own.
class TDBGridColumns {
  public:
    explicit TDBGridColumns(TDBGrid& grid) : grid_(grid) {}

    int Count() const { return static_cast<int>(columns_.size()); }
    TColumn& operator[](int index) const { return *columns_.at(static_cast<std::size_t>(index)); }
    TColumn& Items(int index) const { return (*this)[index]; }
    TColumn& Add();
    void Clear();
    // Moves the column at `from` to `to`; the others shift.
    void Move(int from, int to);
    int IndexOf(const TColumn& column) const;
    // True while the columns were made from the fields.
    bool DefaultColumns() const { return default_; }
    // Columns for every visible field of the open data set, as the grid's default.
    void RebuildDefault();
    // A column was changed from outside: the columns are the grid's own from now on.
    void Customized() {
        if (!building_) {
            default_ = false;
        }
    }

  private:
    TDBGrid& grid_;
    bool building_ = false;
    std::vector<std::unique_ptr<TColumn>> columns_;
    bool default_ = true;
};

}  // namespace ui
