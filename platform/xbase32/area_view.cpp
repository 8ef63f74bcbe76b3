#include "platform/xbase32/area_view.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>

#include "platform/xbase32/error.h"
#include "platform/xbase32/expression_text.h"
#include "platform/xbase32/file_io.h"
#include "platform/xbase32/work_area.h"

namespace xb {

namespace {

// Writes on any area: another area may hold the same table, so every count cache follows them.
uint64_t g_writes = 0;

std::string SamePath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

}  // namespace

bool AreaView::CountKey::operator==(const CountKey& o) const {
    return writes == o.writes && shape == o.shape && entries == o.entries && records == o.records &&
           foreign == o.foreign && hideDeleted == o.hideDeleted && exact == o.exact &&
           date.century == o.date.century && date.epoch == o.date.epoch &&
           date.format == o.date.format;
}

AreaView::AreaView(WorkArea& area, const Settings& settings) : area_(area), settings_(settings) {
    area_.AddWriteObserver(this);
    area_.SetVisibilityTest(
        [this](uint32_t recno, const char* record) { return FilterPasses(recno, record); });
}

AreaView::~AreaView() {
    area_.SetVisibilityTest({});
    area_.SetOrder(nullptr);
    area_.RemoveWriteObserver(this);
    for (auto& o : orders_) {
        try {
            o->SaveIfChanged(IndexOrder::Over::kOnlyOwnFile);
        } catch (const std::exception&) {
            // Closing goes on; an index file is rebuilt by whoever opens it next.
        }
    }
}

EvalSettings AreaView::Eval() const {
    return EvalSettings{settings_.exact, settings_.date};
}

Expression AreaView::Compile(std::string_view text) const {
    return Expression::Compile(text, area_.Fields());
}

bool AreaView::FilterPasses(uint32_t recno, const char* record) const {
    if (!filter_) {
        return true;
    }
    try {
        const std::string_view bytes(record, static_cast<std::size_t>(area_.RecordSize()));
        return filter_->EvaluateLogical(RecordRef{bytes, recno}, Eval());
    } catch (const ExpressionError&) {
        return false;  // a record the filter cannot judge is not shown
    }
}

// Orders

IndexOrder* AreaView::Order(int order) const {
    const int n = order == 0 ? current_ : order;
    if (n < 1 || n > OrderCount()) {
        return nullptr;
    }
    return orders_[static_cast<std::size_t>(n - 1)].get();
}

std::vector<IndexOrder*> AreaView::All() const {
    std::vector<IndexOrder*> all;
    for (const auto& o : orders_) {
        all.push_back(o.get());
    }
    return all;
}

int AreaView::FindOpen(const std::string& path) const {
    const std::string wanted = SamePath(path);
    for (int n = 1; n <= OrderCount(); ++n) {
        if (SamePath(Order(n)->Path()) == wanted) {
            return n;
        }
    }
    return 0;
}

void AreaView::Select(int order) {
    current_ = order;
    area_.SetOrder(Order(order));
    ++shape_;
}

int AreaView::Add(std::unique_ptr<IndexOrder> order) {
    const int open = FindOpen(order->Path());
    if (const auto seen = order->LastBuildDeleted()) {
        NoteDeleted(seen->deleted, seen->records);
    }
    if (open != 0) {
        orders_[static_cast<std::size_t>(open - 1)] = std::move(order);
        Select(open);
        return open;
    }
    orders_.push_back(std::move(order));
    Select(OrderCount());
    return OrderCount();
}

int AreaView::Index(const std::string& file, std::string_view key, int option, bool descending,
                    std::string_view condition) {
    if (option != 0) {
        throw Error("index option " + std::to_string(option) +
                    " is not supported; indexes hold every key");
    }
    if (file.empty()) {
        throw Error("no index file given");
    }
    const std::string found = FindFileIgnoringCase(file);
    auto order = IndexOrder::Create(area_.Table(), settings_, found.empty() ? file : found, key,
                                    condition, descending);
    const int n = Add(std::move(order));
    area_.GoTop();
    return n;
}

int AreaView::IndexOpen(const std::string& file) {
    const std::string found = FindFileIgnoringCase(file);
    if (found.empty()) {
        throw Error("index file " + file + " does not exist");
    }
    if (const int open = FindOpen(found); open != 0) {
        Select(open);
        return open;
    }
    const int n = Add(IndexOrder::Open(area_.Table(), settings_, found));
    area_.GoTop();
    return n;
}

int AreaView::SetOrder(int order) {
    if (order < 0 || order > OrderCount()) {
        throw Error("no index order " + std::to_string(order));
    }
    const int previous = current_;
    Select(order);
    return previous;
}

int AreaView::TagArea(std::string_view tag) const {
    for (int n = 1; n <= OrderCount(); ++n) {
        const std::string name = Order(n)->TagName();
        if (name.size() == tag.size() && ::strncasecmp(name.data(), tag.data(), tag.size()) == 0) {
            return n;
        }
    }
    return 0;
}

void AreaView::Reindex() {
    if (orders_.empty()) {
        return;
    }
    const std::vector<IndexOrder*> all = All();
    // An order that a rebuild would leave as it is keeps its entries and file.
    std::vector<IndexOrder*> stale;
    for (IndexOrder* o : all) {
        if (!o->Current()) {
            stale.push_back(o);
        }
    }
    if (!stale.empty()) {
        IndexOrder::RebuildUnlessSame(area_.Table(), stale);
        // Only a pass made now knows the deleted records; a kept order's may predate writes.
        if (const auto seen = stale.front()->LastBuildDeleted()) {
            NoteDeleted(seen->deleted, seen->records);
        }
    }
    IndexOrder::SaveAll(stale);
    ++shape_;
    area_.GoTop();
}

void AreaView::CloseIndexes() {
    area_.SetOrder(nullptr);
    current_ = 0;
    ++shape_;
    std::vector<std::unique_ptr<IndexOrder>> closing;
    closing.swap(orders_);
    for (auto& o : closing) {
        o->SaveIfChanged(IndexOrder::Over::kOnlyOwnFile);
    }
}

// Scope and seek

void AreaView::SetScope(std::optional<std::string_view> top,
                        std::optional<std::string_view> bottom) {
    IndexOrder* order = Order(0);
    if (order == nullptr) {
        throw Error("a scope needs an index order");
    }
    order->SetScope(top, bottom);
    ++shape_;
}

bool AreaView::Seek(std::string_view key) {
    IndexOrder* order = Order(0);
    if (order == nullptr) {
        throw Error("a seek needs an index order");
    }
    const IndexOrder::SeekResult r =
        order->Seek(key, [this](uint32_t recno) { return area_.IsVisible(recno); });
    if (r.recno != 0 && (r.found || settings_.softSeek)) {
        area_.GoVisible(r.recno);
    } else {
        area_.Go(0);  // the end of the table
    }
    return r.found;
}

uint32_t AreaView::OrderRecNo() {
    IndexOrder* order = Order(0);
    if (order == nullptr) {
        return area_.RecNo();
    }
    if (area_.Eof()) {
        return static_cast<uint32_t>(order->Size()) + 1;
    }
    std::vector<char> record(static_cast<std::size_t>(area_.RecordSize()));
    area_.Table().ReadRecord(area_.RecNo(), record.data());
    return order->PositionOf(area_.RecNo(), std::string_view(record.data(), record.size()));
}

std::string AreaView::KeyData() {
    IndexOrder* order = Order(0);
    if (order == nullptr) {
        return {};
    }
    return order->KeyTextOf(
        area_.RecNo(),
        std::string_view(area_.RecordBuffer(), static_cast<std::size_t>(area_.RecordSize())));
}

// Filter and count

void AreaView::Query(std::string_view expression) {
    if (TrimLeft(TrimRight(expression)).empty()) {
        filter_.reset();
        filterText_.clear();
        ++shape_;
        return;
    }
    Expression e = Compile(expression);
    if (e.Type() != ValueType::Logical) {
        throw ExpressionError("filter \"" + std::string(expression) + "\" is not logical");
    }
    filter_ = std::move(e);
    filterText_ = std::string(expression);
    ++shape_;
}

bool AreaView::MayLeave() const {
    const IndexOrder* order = Order(0);
    return settings_.hideDeleted || (order != nullptr && order->HasScope());
}

AreaView::CountKey AreaView::CurrentCountKey() {
    CountKey k;
    k.writes = g_writes;
    k.shape = shape_;
    if (IndexOrder* order = Order(0)) {
        k.entries = order->Version();
    }
    k.records = area_.RecCount();
    k.foreign = area_.Table().ForeignChanges();
    k.hideDeleted = settings_.hideDeleted;
    k.exact = settings_.exact;
    k.date = settings_.date;
    return k;
}

void AreaView::ForEachVisible(
    const std::function<void(uint32_t recno, const char* record)>& visit) {
    DbfTable& table = area_.Table();
    const uint32_t count = table.RecordCount();
    const auto length = static_cast<std::size_t>(table.RecordLength());
    IndexOrder* order = Order(0);
    if (order != nullptr) {
        std::vector<char> record(length);
        order->ForEachInScope([&](uint32_t recno) {
            table.ReadRecord(recno, record.data());
            if (area_.IsVisibleRecord(recno, record.data())) {
                visit(recno, record.data());
            }
        });
        return;
    }
    table.ForEachRecord(1, count, [&](uint32_t recno, const char* record) {
        if (area_.IsVisibleRecord(recno, record)) {
            visit(recno, record);
        }
    });
}

void AreaView::NoteDeleted(uint32_t deleted, uint32_t records) {
    deleted_ = deleted;
    deletedFor_ = records;
    deletedForeign_ = area_.Table().ForeignChanges();
}

bool AreaView::DeletedKnown() {
    if (deletedFor_ && deletedForeign_ != area_.Table().ForeignChanges()) {
        deletedFor_.reset();  // another open changed records since they were counted
    }
    return deletedFor_.has_value();
}

bool AreaView::NothingHidden() {
    if (filter_) {
        return false;
    }
    if (const IndexOrder* order = Order(0); order != nullptr && order->HasScope()) {
        return false;
    }
    if (!settings_.hideDeleted) {
        return true;
    }
    const uint32_t records = area_.Table().RecordCount();
    return DeletedKnown() && *deletedFor_ == records && deleted_ == 0;
}

const std::vector<uint32_t>& AreaView::VisibleList() {
    const CountKey key = CurrentCountKey();
    if (listKey_ && *listKey_ == key) {
        return visible_;
    }
    DbfTable& table = area_.Table();
    const uint32_t records = table.RecordCount();
    // One pass in file order marks the visible records; the order then lists them.
    std::vector<char> visible(static_cast<std::size_t>(records) + 1, 0);
    uint32_t deleted = 0;
    table.ForEachRecord(1, records, [&](uint32_t recno, const char* record) {
        if (record[0] == '*') {
            ++deleted;
        }
        visible[recno] = area_.IsVisibleRecord(recno, record) ? 1 : 0;
    });
    NoteDeleted(deleted, records);
    visible_.clear();
    visibleEntries_.clear();
    if (IndexOrder* order = Order(0)) {
        order->ForEachEntryInScope([&](std::size_t position, uint32_t recno) {
            if (recno <= records && visible[recno] != 0) {
                visible_.push_back(recno);
                visibleEntries_.push_back(static_cast<uint32_t>(position));
            }
        });
    } else {
        for (uint32_t recno = 1; recno <= records; ++recno) {
            if (visible[recno] != 0) {
                visible_.push_back(recno);
            }
        }
    }
    listKey_ = CurrentCountKey();
    countKey_ = listKey_;
    count_ = static_cast<uint32_t>(visible_.size());
    return visible_;
}

uint32_t AreaView::RecNoAt(uint32_t position) {
    if (position == 0) {
        return 0;
    }
    if (NothingHidden()) {
        if (IndexOrder* order = Order(0)) {
            return order->RecNoAt(position - 1);
        }
        return area_.Table().Holds(position) ? position : 0;
    }
    const std::vector<uint32_t>& list = VisibleList();
    return position <= list.size() ? list[position - 1] : 0;
}

uint32_t AreaView::PositionOf(uint32_t recno) {
    if (recno == 0) {
        return 0;
    }
    if (NothingHidden()) {
        if (IndexOrder* order = Order(0)) {
            const auto p = order->EntryPositionOf(recno);
            return p ? static_cast<uint32_t>(*p + 1) : 0;
        }
        return area_.Table().Holds(recno) ? recno : 0;
    }
    // A hidden record has no position: without a current pass one read answers, where a new
    // pass would read them all (a record just deleted is asked about once per delete).
    const bool passCurrent = listKey_ && *listKey_ == CurrentCountKey();
    if (!passCurrent && (!area_.Table().Holds(recno) || !area_.IsVisible(recno))) {
        return 0;
    }
    const std::vector<uint32_t>& list = VisibleList();
    if (const IndexOrder* order = Order(0); order == nullptr) {
        // Natural order: the list is sorted.
        const auto at = std::lower_bound(list.begin(), list.end(), recno);
        return at != list.end() && *at == recno ? static_cast<uint32_t>(at - list.begin() + 1) : 0;
    }
    const auto at = std::find(list.begin(), list.end(), recno);
    return at != list.end() ? static_cast<uint32_t>(at - list.begin() + 1) : 0;
}

uint32_t AreaView::Count() {
    const CountKey key = CurrentCountKey();
    if (countKey_ && *countKey_ == key) {
        return count_;
    }
    if (NothingHidden()) {
        const IndexOrder* order = Order(0);
        count_ =
            order != nullptr ? static_cast<uint32_t>(order->Size()) : area_.Table().RecordCount();
        countKey_ = key;
        return count_;
    }
    if (filter_ || settings_.hideDeleted) {
        return static_cast<uint32_t>(VisibleList().size());
    }
    DbfTable& table = area_.Table();
    const uint32_t records = table.RecordCount();
    // The order says which records take part; the table is then read in large blocks.
    std::vector<char> member;
    if (IndexOrder* order = Order(0)) {
        member.assign(static_cast<std::size_t>(records) + 1, 0);
        order->ForEachInScope([&](uint32_t recno) {
            if (recno <= records) {
                member[recno] = 1;
            }
        });
    }
    uint32_t n = 0;
    const bool everyRecord = !filter_ && !settings_.hideDeleted;
    if (everyRecord) {
        n = member.empty() ? records
                           : static_cast<uint32_t>(std::count(member.begin(), member.end(), 1));
    } else {
        table.ForEachRecord(1, records, [&](uint32_t recno, const char* record) {
            if ((member.empty() || member[recno] != 0) && area_.IsVisibleRecord(recno, record)) {
                ++n;
            }
        });
    }
    countKey_ = CurrentCountKey();
    count_ = n;
    return n;
}

// Writes

bool AreaView::ListCurrentBefore(uint32_t recno, const char* before) {
    if (!listKey_) {
        return false;
    }
    CountKey key = CurrentCountKey();
    if (before == nullptr) {
        // The count shows the new record already; an index order has keyed it by now.
        if (Order(0) != nullptr || key.records != recno || recno != listKey_->records + 1) {
            return false;
        }
        key.records = listKey_->records;
    }
    return key == *listKey_;
}

void AreaView::FollowInList(uint32_t recno, bool appended, const char* after) {
    CountKey key = *listKey_;
    listKey_.reset();
    uint32_t entry = recno;
    bool now = true;
    IndexOrder* order = Order(0);
    if (order != nullptr) {
        if (order->Version() != key.entries) {
            return;
        }
        const std::string_view bytes(after, static_cast<std::size_t>(area_.RecordSize()));
        const uint32_t position = order->PositionOf(recno, bytes);
        if (position == 0) {
            return;  // no entry under its key: the list cannot tell where it stood
        }
        entry = position - 1;
        now = order->InScope(entry);
    }
    now = now && area_.IsVisibleRecord(recno, after);
    std::vector<uint32_t>& sorted = order != nullptr ? visibleEntries_ : visible_;
    const auto at = std::lower_bound(sorted.begin(), sorted.end(), entry);
    const auto index = at - sorted.begin();
    const bool was = at != sorted.end() && *at == entry;
    if (was && !now) {
        sorted.erase(at);
        if (order != nullptr) {
            visible_.erase(visible_.begin() + index);
        }
    } else if (!was && now) {
        sorted.insert(at, entry);
        if (order != nullptr) {
            visible_.insert(visible_.begin() + index, recno);
        }
    }
    key.writes = g_writes;
    if (appended) {
        key.records = recno;
    }
    listKey_ = key;
    countKey_ = key;
    count_ = static_cast<uint32_t>(visible_.size());
}

void AreaView::RecordWritten(uint32_t recno, const char* before, const char* after) {
    const bool follow = ListCurrentBefore(recno, before);
    ++g_writes;
    if (DeletedKnown()) {
        const bool was = before != nullptr && before[0] == '*';
        const bool is = after != nullptr && after[0] == '*';
        if (before == nullptr && recno != *deletedFor_ + 1) {
            deletedFor_.reset();  // records from elsewhere came between
        } else {
            if (before == nullptr) {
                deletedFor_ = recno;
            }
            if (is && !was) {
                ++deleted_;
            } else if (was && !is) {
                if (deleted_ == 0) {
                    deletedFor_.reset();
                } else {
                    --deleted_;
                }
            }
        }
    }
    for (auto& o : orders_) {
        o->RecordWritten(recno, before, after);
    }
    if (follow) {
        FollowInList(recno, before == nullptr, after);
    } else {
        listKey_.reset();
    }
}

void AreaView::AppendTakenBack(uint32_t recno, const char* record) {
    ++g_writes;
    listKey_.reset();
    if (deletedFor_) {
        if (*deletedFor_ == recno && record[0] != '*') {
            deletedFor_ = recno - 1;
        } else {
            deletedFor_.reset();
        }
    }
    for (auto& o : orders_) {
        o->AppendTakenBack(recno, record);
    }
}

void AreaView::TableRebuilt() {
    ++g_writes;
    // Pack and zap leave no deleted record.
    NoteDeleted(0, area_.Table().RecordCount());
    if (!orders_.empty()) {
        IndexOrder::Rebuild(area_.Table(), All());
    }
}

}  // namespace xb
