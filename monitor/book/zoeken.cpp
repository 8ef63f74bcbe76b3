#include "monitor/book/zoeken.h"

#include <exception>

#include "platform/db/data_set.h"
#include "platform/db/field.h"
#include "platform/rtl/text_case.h"

namespace book {

namespace {

bool Matches(db::TDataSet& data, const std::string& text, bool partial) {
    const int count = data.FieldCount();
    for (int i = 0; i < count; ++i) {
        const std::string value = rtl::Utf8LowerCase(data.Fields()[i].AsString());
        if (partial ? value.find(text) != std::string::npos : value == text) {
            return true;
        }
    }
    return false;
}

// Returns the data set to the bookmark unless a record was found, resumes the grid and
// repaints it, and brings the normal cursor back, however the walk ends.
class WalkScope {
  public:
    WalkScope(const ZoekDoel& doel, ZoekPort& port) : doel_(doel), port_(port) {
        port_.Busy(true);
        doel_.data->DisableControls();
        try {
            bookmark_ = doel_.data->GetBookmark();
        } catch (...) {
            Finish();
            throw;
        }
    }
    ~WalkScope() { Finish(); }
    WalkScope(const WalkScope&) = delete;
    WalkScope& operator=(const WalkScope&) = delete;

    void Found() { found_ = true; }

    void Finish() {
        if (done_) {
            return;
        }
        done_ = true;
        db::TDataSet& data = *doel_.data;
        auto step = [](auto f) {
            try {
                f();
            } catch (...) {
                // The walk's own failure is the one reported.
            }
        };
        if (!found_ && !bookmark_.empty()) {
            step([&] { data.GotoBookmark(bookmark_); });
        }
        step([&] { data.FreeBookmark(bookmark_); });
        step([&] { data.EnableControls(); });
        step([&] {
            if (doel_.repaint) {
                doel_.repaint();
            }
        });
        step([&] { port_.Busy(false); });
    }

  private:
    const ZoekDoel& doel_;
    ZoekPort& port_;
    db::TBookmark bookmark_;
    bool found_ = false;
    bool done_ = false;
};

}  // namespace

bool Zoeken::Zoek(std::string_view text, bool partial, bool fromFirst, ZoekPort& port) {
    laatste_ = rtl::Utf8LowerCase(text);
    if (doel_.data == nullptr || !doel_.data->Active()) {
        port.ErrorBox("Er is geen tabel om in te zoeken.");
        return false;
    }
    db::TDataSet& data = *doel_.data;
    bool found = false;
    std::string error;
    try {
        WalkScope scope(doel_, port);
        try {
            if (fromFirst) {
                data.First();
            } else {
                data.Next();
            }
            // An empty text is part of every field; it finds nothing.
            const bool hopeless = partial && laatste_.empty();
            while (!hopeless && !data.Eof()) {
                if (Matches(data, laatste_, partial)) {
                    found = true;
                    scope.Found();
                    break;
                }
                data.Next();
            }
        } catch (const std::exception& e) {
            found = false;
            error = e.what();
        }
        scope.Finish();
    } catch (const std::exception& e) {
        found = false;
        error = e.what();
    }
    if (!error.empty()) {
        port.ErrorBox(error);
    } else if (!found) {
        port.Message("Niet gevonden: " + laatste_);
    }
    return found;
}

Zoeken& zoeken() {
    static Zoeken search;
    return search;
}

}  // namespace book
