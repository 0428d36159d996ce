#include "item_lookup.h"

#include <atomic>
#include <utility>

#include "start_trace.h"
#include "wide_text.h"

namespace {

constexpr DWORD kPostEvery = 100;  // ms
constexpr DWORD kStopWait = 2000;  // ms

}  // namespace

struct ItemLookup::Job {
    std::shared_ptr<const std::vector<std::string>> paths;
    std::vector<LookedUpItem> results;
    const ViewerTexts* texts;
    bool yearFirst;
    HWND window;
    UINT message;
    std::atomic<size_t> done{0};
    std::atomic<bool> stop{false};

    static DWORD WINAPI Run(void* context) {
        static_cast<Job*>(context)->LookUpAll();
        return 0;
    }

    void LookUpAll() {
        TraceStart("lookup", "started");
        results.resize(paths->size());  // here, not on the window's thread
        DWORD lastPost = GetTickCount();
        std::vector<std::string> shown;  // traced with each message
        for (size_t i = 0; i < paths->size() && !stop.load(); ++i) {
            LookedUpItem& result = results[i];
            result.info = QueryItemInfo((*paths)[i]);
            result.row = RowFor(result.info, *texts, yearFirst);
            if (Tracing()) shown.push_back(Utf8(result.info.shownPath));
            done.store(i + 1, std::memory_order_release);
            DWORD now = GetTickCount();
            if (i + 1 == paths->size() || now - lastPost >= kPostEvery) {
                TraceStartLines("shown", shown);
                shown.clear();
                PostMessageW(window, message, 0, 0);
                lastPost = now;
            }
        }
        TraceStartLines("shown", shown);
        TraceStart("looked up", std::to_string(done.load()));
    }
};

ItemLookup::ItemLookup(std::shared_ptr<const std::vector<std::string>> paths,
                       const ViewerTexts& texts, bool yearFirst, HWND window, UINT message)
    : job_(new Job) {
    job_->paths = std::move(paths);
    job_->texts = &texts;
    job_->yearFirst = yearFirst;
    job_->window = window;
    job_->message = message;
    thread_ = CreateThread(nullptr, 0, &Job::Run, job_, 0, nullptr);
}

ItemLookup::~ItemLookup() {
    if (thread_ == nullptr) {
        delete job_;
        return;
    }
    job_->stop.store(true);
    if (WaitForSingleObject(thread_, kStopWait) == WAIT_OBJECT_0) delete job_;
    CloseHandle(thread_);
}

size_t ItemLookup::Count() const {
    return job_->paths->size();
}

size_t ItemLookup::Done() const {
    return job_->done.load(std::memory_order_acquire);
}

LookedUpItem& ItemLookup::Result(size_t index) {
    return job_->results[index];
}
