// A page that closes while its worker reports must neither hang nor let the
// worker touch the page after it has gone.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "ui/page_worker.h"
#include "ui/report_queue.h"
#include "transfer_test_support.h"

using namespace quibo;

namespace {

constexpr UINT kReportsWaiting = WM_APP + 1;
constexpr int kSteps = 10000;
const wchar_t kPageClass[] = L"QuiboTestWorkerPage";

// Counts the ways the rule could be broken, across all pages of a test.
struct Breaches {
    std::atomic<int> reportAfterPageGone{0};
    std::atomic<int> stepsOutOfOrder{0};
};

// A page whose worker reports kSteps progress steps; the page closes itself
// once it has seen `closeAt` of them.
class ProgressPage {
public:
    ProgressPage(int closeAt, Breaches& breaches) : closeAt_(closeAt), breaches_(breaches)
    {
        hwnd_ = ::CreateWindowExW(0, kPageClass, L"page", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, ::GetModuleHandleW(nullptr), this);
    }
    ~ProgressPage()
    {
        if (hwnd_) ::DestroyWindow(hwnd_);
        alive_ = false;
    }

    HWND Window() const { return hwnd_; }
    bool Closed() const { return hwnd_ == nullptr; }
    int LastStep() const { return lastStep_; }

    void StartWorker()
    {
        const HWND page = hwnd_;
        ASSERT_TRUE(worker_.Start(
            [this, page](const StopSignal& stop) {
                for (int step = 1; step <= kSteps && !stop.Requested(); ++step) {
                    if (!alive_) ++breaches_.reportAfterPageGone;
                    if (queue_.Push(step)) ::PostMessageW(page, kReportsWaiting, 0, 0);
                    if (step % 64 == 0) ::Sleep(0);
                }
            },
            [] {}));
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* page = reinterpret_cast<ProgressPage*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (page) return page->Handle(hwnd, msg, wp, lp);
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }

private:
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        switch (msg) {
        case kReportsWaiting:
            for (int step : queue_.TakeAll()) {
                if (step <= lastStep_) ++breaches_.stepsOutOfOrder;
                lastStep_ = step;
            }
            if (lastStep_ >= closeAt_ && !closing_) {
                closing_ = true;
                ::DestroyWindow(hwnd);
            }
            return 0;
        case WM_DESTROY:
            closing_ = true;
            worker_.StopAndWait();  // dispatches the reports still arriving
            return 0;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            break;
        }
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }

    const int closeAt_;
    Breaches& breaches_;
    std::atomic<bool> alive_{true};
    bool closing_ = false;
    int lastStep_ = 0;
    HWND hwnd_ = nullptr;
    ReportQueue<int> queue_;
    PageWorker worker_;  // last member: stopped before the queue goes
};

void RegisterPageClass()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &ProgressPage::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kPageClass;
    ::RegisterClassW(&wc);  // fails harmlessly when already registered
}

// Runs the thread's messages until the page has closed or `ms` have passed.
bool PumpUntilClosed(const ProgressPage& page, DWORD ms)
{
    const ULONGLONG deadline = ::GetTickCount64() + ms;
    MSG msg;
    while (!page.Closed() && ::GetTickCount64() < deadline) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    return page.Closed();
}

}  // namespace

TEST(PageWorker, PageClosedWhileItsWorkerReportsNeitherHangsNorOutlivesIt)
{
    RegisterPageClass();
    struct Case {
        const char* what;
        int closeAt;  // the page closes itself after this step; past kSteps: from outside
    };
    const Case cases[] = {
        {"closes on the first report", 1},
        {"closes half way", kSteps / 2},
        {"closes on the last report", kSteps},
        {"closed from outside, worker may be done", kSteps + 1},
    };
    for (const Case& c : cases) {
        for (int run = 0; run < 50; ++run) {
            Breaches breaches;
            {
                auto page = std::make_unique<ProgressPage>(c.closeAt, breaches);
                ASSERT_NE(page->Window(), nullptr);
                page->StartWorker();
                if (c.closeAt > kSteps) {
                    ::Sleep(run % 3);
                    ::DestroyWindow(page->Window());
                }
                ASSERT_TRUE(PumpUntilClosed(*page, 30000)) << c.what << ", run " << run;
                if (c.closeAt <= kSteps) {
                    EXPECT_GE(page->LastStep(), c.closeAt) << c.what;
                }
            }  // the page object goes here; its worker must already have ended
            EXPECT_EQ(breaches.reportAfterPageGone.load(), 0) << c.what << ", run " << run;
            EXPECT_EQ(breaches.stepsOutOfOrder.load(), 0) << c.what << ", run " << run;
            // Leftover notifications go to a window that no longer exists.
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        }
    }
}

TEST(PageWorker, StopHookUnblocksAWorkerThatWaitsAndStartRefusesASecondWorker)
{
    UniqueHandle blocker(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(blocker);
    PageWorker worker;
    std::atomic<bool> sawStop{false};
    ASSERT_TRUE(worker.Start(
        [&](const StopSignal& stop) {
            ::WaitForSingleObject(blocker.Get(), INFINITE);  // a call that blocks, as a read does
            sawStop = stop.Requested();
        },
        [] {}));
    EXPECT_FALSE(worker.Start([](const StopSignal&) {}, [] {}));
    worker.SetStopHook([&] { ::SetEvent(blocker.Get()); });
    ASSERT_TRUE(worker.StopAndWait(10000));
    EXPECT_TRUE(sawStop);
    EXPECT_FALSE(worker.IsRunning());
    // A stopped worker can be started again; its flag starts lowered.
    std::atomic<bool> stopSeenAtStart{true};
    ASSERT_TRUE(worker.Start([&](const StopSignal& stop) { stopSeenAtStart = stop.Requested(); }, [] {}));
    ASSERT_TRUE(worker.Wait(10000));
    EXPECT_FALSE(stopSeenAtStart);
}

// A worker that throws, whatever it throws, ends through the page's "if
// thrown" ending on its own thread, after a log line, and the process lives on.
TEST(PageWorker, AThrowingWorkerIsLoggedAndEndsThroughItsFailureEnding)
{
    struct Case {
        const char* what;
        std::function<void()> thrower;
        const char* logged;
    };
    const Case cases[] = {
        {"memory exhaustion", [] { throw std::bad_alloc(); }, "std::bad_alloc"},
        {"a library's error", [] { throw std::runtime_error("zip: broken"); }, "zip: broken"},
        {"not an exception class", [] { throw 7; }, "unknown"},
    };
    for (const Case& c : cases) {
        transfertest::LogCapture log;
        PageWorker worker;
        std::atomic<int> normalEnds{0}, failureEnds{0};
        std::atomic<DWORD> failureThread{0};
        ASSERT_TRUE(worker.Start(
            [&](const StopSignal&) {
                c.thrower();
                ++normalEnds;
            },
            [&] {
                failureThread = ::GetCurrentThreadId();
                ++failureEnds;
            }))
            << c.what;
        ASSERT_TRUE(worker.Wait(10000)) << c.what;
        EXPECT_EQ(normalEnds.load(), 0) << c.what;
        EXPECT_EQ(failureEnds.load(), 1) << c.what;
        EXPECT_NE(failureThread.load(), ::GetCurrentThreadId()) << c.what;
        const std::string text = log.Text();
        EXPECT_NE(text.find(std::string("错误：升级程序运行出错（") + c.logged + "），中止升级！"), std::string::npos)
            << c.what << ": " << text;
    }
}
