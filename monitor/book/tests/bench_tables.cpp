#include "monitor/book/tests/bench_tables.h"

#include <stdlib.h>

#include <filesystem>

#include "xbase/engine_library.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/sessions.h"
#include "xbase/tests/bench_phonebook.h"
#include "xbase/work_area.h"

namespace book::bench {

namespace fs = std::filesystem;

BenchEngine::BenchEngine(const BenchEngineOptions& options) {
#ifdef REAL_ENGINE_PATH
    std::string error;
    engine_ = xbase::EngineLibrary::Open(REAL_ENGINE_PATH, &error);
#endif
    if (!engine_) {
        return;
    }
    if (options.quietLayer) {
        xbase::ResetLayerState();
        xbase::ClearAllWorkAreas();
        xbase::SetMessageSink([](const xbase::LayerMessage&) {});
    }
    xbase::BindEngine(&engine_->Api());
    if (options.hideDeleted) {
        engine_->Api().sx_SetDeleted(1);
    }
    std::string pattern = "/tmp/" + options.name + "-XXXXXX";
    folder_ = std::string(mkdtemp(pattern.data())) + "/";
}

BenchEngine::~BenchEngine() {
    xbase::BindEngine(nullptr);
    engine_.reset();
    if (!folder_.empty()) {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
}

const xbase::EngineApi& BenchEngine::Api() const {
    return engine_->Api();
}

std::string BenchEngine::FreshCopy(const std::string& from,
                                   std::initializer_list<const char*> files) const {
    const std::string work = folder_ + "work/";
    std::error_code ec;
    fs::remove_all(work, ec);
    fs::create_directories(work);
    CopyFiles(from, work, files);
    return work;
}

void CopyFiles(const std::string& from, const std::string& to,
               std::initializer_list<const char*> files) {
    for (const char* file : files) {
        fs::copy_file(from + file, to + file);
    }
}

BenchPhoneBook::BenchPhoneBook(const std::string& name) : engine_({.name = name}) {
    if (!engine_.Ready()) {
        return;
    }
    const std::string pristine = engine_.Folder() + "pristine/";
    fs::create_directories(pristine);
    xbase::testing::MakeBenchPhoneBook(engine_.Api(), pristine + "belverintel.DBF");
    xbase::Session().Open();
}

BenchPhoneBook::~BenchPhoneBook() {
    if (engine_.Ready()) {
        xbase::Session().Close();
    }
}

std::string BenchPhoneBook::FreshCopy() const {
    return engine_.FreshCopy(engine_.Folder() + "pristine/",
                             {"belverintel.DBF", "belverintel.FPT"});
}

namespace {

std::unique_ptr<BenchPhoneBook>& SharedSlot() {
    static std::unique_ptr<BenchPhoneBook> book;
    return book;
}

}  // namespace

BenchPhoneBook& SharedPhoneBook(const std::string& name) {
    if (!SharedSlot()) {
        SharedSlot() = std::make_unique<BenchPhoneBook>(name);
    }
    return *SharedSlot();
}

void EndSharedPhoneBook() {
    SharedSlot().reset();
}

BenchBook::BenchBook(const std::string& folder)
    : ini(folder + "belvo.ini"), core(port, ini, folder) {}

}  // namespace book::bench
