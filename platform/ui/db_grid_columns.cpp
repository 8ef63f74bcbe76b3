#include "platform/ui/db_grid_columns.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "platform/db/data_set.h"
#include "platform/db/field.h"
#include "platform/ui/db_grid.h"

namespace ui {

namespace {

// Text is laid out at fractions of a pixel and cut when it needs the smallest part more than
// its room.
int TextWidth(const QFont& font, const QString& text) {
    return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

}  // namespace

std::string TColumnTitle::Caption() const {
    if (caption_set_) {
        return caption_;
    }
    if (db::TField* field = column_.Field()) {
        return field->DisplayLabel();
    }
    return column_.FieldName();
}

void TColumnTitle::SetCaption(const std::string& caption) {
    caption_ = caption;
    caption_set_ = true;
    column_.Changed();
}

const FontSpec& TColumnTitle::Font() const {
    return font_set_ ? font_ : column_.Grid().TitleFont();
}

void TColumnTitle::SetFont(const FontSpec& font) {
    font_ = font;
    font_set_ = true;
    column_.Changed();
}

void TColumnTitle::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    column_.Changed();
}

int TColumn::Index() const {
    return grid_.Columns().IndexOf(*this);
}

void TColumn::SetFieldName(const std::string& name) {
    field_name_ = name;
    Changed();
}

db::TField* TColumn::Field() const {
    db::TDataSet* data_set = grid_.DataSet();
    if (data_set == nullptr || !data_set->Active() || field_name_.empty()) {
        return nullptr;
    }
    return data_set->FindField(field_name_);
}

const FontSpec& TColumn::Font() const {
    return font_set_ ? font_ : grid_.Font();
}

void TColumn::SetFont(const FontSpec& font) {
    font_ = font;
    font_set_ = true;
    Changed();
}

int TColumn::Width() const {
    if (width_ > 0) {
        return width_;
    }
    const QFontMetrics metrics(ToQFont(Font()));
    int chars = 10;
    if (db::TField* field = Field()) {
        chars = std::max<int>(field->DisplayWidth(), static_cast<int>(Title().Caption().size()));
    }
    return std::max(metrics.horizontalAdvance(QLatin1Char('0')) * std::clamp(chars, 1, 60) + 4,
                    TitleFitWidth());
}

void TColumn::SetDesignWidth(int width, std::string_view sample) {
    if (width <= 0) {
        return;
    }
    int fit = std::max(width, TitleFitWidth());
    if (!sample.empty()) {
        fit = std::max(fit, CellFitWidth(sample));
    }
    SetWidth(fit);
}

int TColumn::TitleFitWidth() const {
    const QHeaderView* header = grid_.horizontalHeader();
    // The header keeps its margin on either side of the label's room, and cuts the label a
    // margin on either side short of that room again.
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    return TextWidth(ToQFont(Title().Font()), QString::fromStdString(Title().Caption())) +
           4 * margin;
}

int TColumn::CellFitWidth(std::string_view text) const {
    // A cell's text keeps a margin on either side, and the grid line takes one pixel.
    const int margin =
        grid_.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid_) + 1;
    return TextWidth(ToQFont(Font()),
                     QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))) +
           2 * margin + (grid_.showGrid() ? 1 : 0);
}

void TColumn::SetWidth(int width) {
    if (width > 0 && width != width_) {
        width_ = width;
        Changed();
    }
}

void TColumn::SetReadOnly(bool value) {
    read_only_ = value;
    Changed();
}

TAlignment TColumn::Alignment() const {
    if (alignment_set_) {
        return alignment_;
    }
    if (db::TField* field = Field()) {
        switch (field->DataType()) {
            case db::ftSmallint:
            case db::ftInteger:
            case db::ftWord:
            case db::ftFloat:
            case db::ftCurrency:
            case db::ftBCD:
            case db::ftAutoInc:
                return taRightJustify;
            default:
                break;
        }
    }
    return taLeftJustify;
}

void TColumn::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    alignment_set_ = true;
    Changed();
}

void TColumn::Changed() {
    grid_.Columns().Customized();
    grid_.ColumnsChanged();
}

TColumn& TDBGridColumns::Add() {
    if (default_) {
        columns_.clear();
        default_ = false;
    }
    columns_.push_back(std::make_unique<TColumn>(grid_));
    grid_.ColumnsChanged();
    return *columns_.back();
}

void TDBGridColumns::Clear() {
    columns_.clear();
    default_ = true;
    RebuildDefault();
}

void TDBGridColumns::Move(int from, int to) {
    const int count = Count();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) {
        return;
    }
    auto moved = std::move(columns_[static_cast<std::size_t>(from)]);
    columns_.erase(columns_.begin() + from);
    columns_.insert(columns_.begin() + to, std::move(moved));
    default_ = false;
    grid_.ColumnsChanged();
}

int TDBGridColumns::IndexOf(const TColumn& column) const {
    for (int i = 0; i < Count(); ++i) {
        if (columns_[static_cast<std::size_t>(i)].get() == &column) {
            return i;
        }
    }
    return -1;
}

void TDBGridColumns::RebuildDefault() {
    if (!default_) {
        return;
    }
    columns_.clear();
    building_ = true;
    db::TDataSet* data_set = grid_.DataSet();
    if (data_set != nullptr && data_set->Active()) {
        for (int i = 0; i < data_set->FieldCount(); ++i) {
            db::TField& field = data_set->Fields()[i];
            if (field.Visible()) {
                auto column = std::make_unique<TColumn>(grid_);
                column->SetFieldName(field.FieldName());
                columns_.push_back(std::move(column));
            }
        }
    }
    building_ = false;
    grid_.ColumnsChanged();
}

}  // namespace ui
