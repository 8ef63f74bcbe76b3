#include "monitor/book/number_lookup.h"

#include <string>
#include <vector>

#include "platform/db/field.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book {

namespace {

constexpr const char* kNumberField = "NUMMER";

bool IsNumber(xbase::TTable& table, std::string_view number) {
    return table.FieldByName(kNumberField).AsString() == number;
}

// Leaves the table past its last record, as a walk that found nothing does.
void PastTheEnd(xbase::TTable& table) {
    table.Last();
    table.Next();
}

// The walk from the first record, for a phone book without its number index.
bool Walk(xbase::TTable& table, xbase::TXbase& xbase, std::string_view number, int rank,
          int before) {
    if (rank != before) {
        xbase.SetOrder(rank);
    }
    table.First();
    while (!table.Eof() && !IsNumber(table, number)) {
        table.Next();
    }
    const bool found = !table.Eof();
    if (rank == before) {
        return found;
    }
    const db::TBookmark hit = found ? table.GetBookmark() : db::TBookmark();
    xbase.SetOrder(before);
    if (found) {
        table.GotoBookmark(hit);
    } else {
        PastTheEnd(table);
    }
    return found;
}

// The entries with the number, in number order: a seek, then along the equal keys.
std::vector<db::TBookmark> Hits(xbase::TTable& table, std::string_view number) {
    std::vector<db::TBookmark> hits;
    if (!table.Locate(kNumberField, {db::TFieldValue(std::string(number))}, 0)) {
        return hits;
    }
    while (!table.Eof() && IsNumber(table, number)) {
        hits.push_back(table.GetBookmark());
        table.Next();
    }
    return hits;
}

bool Seek(xbase::TTable& table, xbase::TXbase& xbase, int numberOrder, std::string_view number,
          int rank, int before) {
    if (before != numberOrder) {
        xbase.SetOrder(numberOrder);
    }
    const std::vector<db::TBookmark> hits = Hits(table, number);
    db::TBookmark winner = hits.empty() ? db::TBookmark() : hits.front();
    int current = numberOrder;
    if (hits.size() > 1 && rank != numberOrder) {
        xbase.SetOrder(rank);
        current = rank;
        // Each hit's row in the asked order, read without moving the table.
        int best = table.RowOf(winner);
        for (const db::TBookmark& hit : hits) {
            const int row = table.RowOf(hit);
            if (row >= 0 && (best < 0 || row < best)) {
                best = row;
                winner = hit;
            }
        }
    }
    if (current != before) {
        xbase.SetOrder(before);
    }
    if (hits.empty()) {
        PastTheEnd(table);
        return false;
    }
    table.GotoBookmark(winner);
    return true;
}

}  // namespace

bool FindNumber(xbase::TTable& table, xbase::TXbase& xbase, int numberOrder,
                std::string_view number, int order) {
    if (!table.Active()) {
        return false;
    }
    const int before = xbase.IndexOrd();
    const int rank = order == kCurrentOrder ? before : order;
    table.DisableControls();
    try {
        table.CheckBrowseMode();
        const bool found = numberOrder == 0 ? Walk(table, xbase, number, rank, before)
                                            : Seek(table, xbase, numberOrder, number, rank, before);
        table.EnableControls();
        return found;
    } catch (...) {
        if (xbase.IndexOrd() != before) {
            try {
                xbase.SetOrder(before);
            } catch (...) {
                // The first failure is the one worth reporting.
            }
        }
        table.EnableControls();
        throw;
    }
}

}  // namespace book
