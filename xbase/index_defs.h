#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xbase {

using TIndexOptions = unsigned;
inline constexpr TIndexOptions ixPrimary = 1;
inline constexpr TIndexOptions ixUnique = 2;
inline constexpr TIndexOptions ixDescending = 4;
inline constexpr TIndexOptions ixCaseInsensitive = 8;
inline constexpr TIndexOptions ixExpression = 16;

// One index order of a table: a tag of an index file, or an index file of its own.
struct TIndexDef {
    std::string name;
    // Field names joined with ";", or the key expression of an expression index.
    std::string fields;
    TIndexOptions options = 0;
    std::string source;  // the index file of a tag; empty otherwise
};

// What a table knows of its index orders, read from the layer's index descriptors.
class TIndexDefs {
  public:
    void Clear() { items_.clear(); }
    TIndexDef& Add(TIndexDef def);
    int Count() const { return static_cast<int>(items_.size()); }
    const TIndexDef& Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    // Names are compared without regard to ASCII case; null when none fits.
    const TIndexDef* Find(std::string_view name) const;
    // A field index whose first fields are `fields` (";" separated), case-insensitive
    // when asked; null when none fits.
    const TIndexDef* FindForFields(std::string_view fields, bool caseInsensitive) const;
    // As FindForFields; raises "No index for fields '%s'" when none fits.
    const TIndexDef& GetForFields(std::string_view fields, bool caseInsensitive) const;

    bool Updated() const { return updated_; }
    void SetUpdated(bool value) { updated_ = value; }

  private:
    std::vector<TIndexDef> items_;
    bool updated_ = false;
};

}  // namespace xbase
