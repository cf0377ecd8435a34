// Closing the programs that hold an installation's files: real programs
// (close_target.exe) asked to quit, ignoring it, holding files, named by
// executable, title, class or locked target; and staged system calls for
// programs that cannot be opened, ended or waited on.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "install/process_closer.h"
#include "win/file_status.h"
#include "recording_install_view.h"
#include "transfer_test_support.h"

using namespace quibo;
using transfertest::FileExists;
using transfertest::LogCapture;
using transfertest::ScratchDir;
using transfertest::WaitFor;
using transfertest::WriteBytes;

namespace {

const char kNoAccess[] = "操作失败，可能是访问权限不够！";
const char kCannotEnd[] = "操作失败，此应用程序（模块）无法终止！";
const char kNotForNow[] = "此应用程序（模块）暂时无法终止！";
const char kEnding[] = "结束应用程序（模块）：";
constexpr DWORD kQuitByItself = 42;  // close_target's exit code after its message loop

// Names no other test's program has.
std::string Unique(const std::string& name) { return name + std::to_string(::GetCurrentProcessId()); }

std::string TestProgramDir()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

struct TargetOptions {
    std::string exe = "close_target.exe";  // the copy's name in the scratch folder
    std::string title, className;          // a window when either is set
    bool ignoreQuit = false;
    std::string hold;  // a file held open, shared with nobody
};

// A running close_target, forced to end when the test is over.
class Target {
public:
    Target(const ScratchDir& scratch, const TargetOptions& options)
    {
        static int started = 0;
        std::string program = scratch / options.exe;
        if (!FileExists(program)) ::CopyFileA((TestProgramDir() + "close_target.exe").c_str(), program.c_str(), TRUE);
        std::string marker = scratch / ("ready" + std::to_string(++started));
        std::string line = "\"" + program + "\" \"marker=" + marker + "\"";
        if (!options.title.empty()) line += " \"title=" + options.title + "\"";
        if (!options.className.empty()) line += " \"class=" + options.className + "\"";
        if (options.ignoreQuit) line += " ignore-quit";
        if (!options.hold.empty()) line += " \"hold=" + options.hold + "\"";
        STARTUPINFOA si = {sizeof si};
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return;
        ::CloseHandle(pi.hThread);
        process_.Reset(pi.hProcess);
        id_ = pi.dwProcessId;
        ready_ = WaitFor([&] { return FileExists(marker) || Ended(); }) && !Ended();
    }
    ~Target()
    {
        if (process_ && !Ended()) {
            ::TerminateProcess(process_.Get(), 99);
            ::WaitForSingleObject(process_.Get(), 5000);
        }
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    bool Ready() const { return ready_; }
    DWORD Id() const { return id_; }
    bool Ended(DWORD ms = 0) const { return ::WaitForSingleObject(process_.Get(), ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process_.Get(), &code);
        return code;
    }

private:
    UniqueHandle process_;
    DWORD id_ = 0;
    bool ready_ = false;
};

using Targets = std::vector<std::unique_ptr<Target>>;

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// How often `text` holds `part`.
int Count(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// The system calls staged: a process that cannot be opened, refuses to be
// ended a number of times, or whose handle cannot be waited on. Handles are
// events, set only by a forced end that succeeds.
class StagedControl : public ProcessControl {
public:
    bool openable = true;
    bool waitable = true;
    int refusals = 0;  // forced ends that fail before one succeeds
    HWND window = nullptr;
    int opens = 0, quits = 0, terminations = 0;

    UniqueHandle Open(DWORD) override
    {
        ++opens;
        if (!openable) return {};
        HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (waitable) return UniqueHandle(event);
        HANDLE limited = nullptr;  // without SYNCHRONIZE: every wait on it fails
        ::DuplicateHandle(::GetCurrentProcess(), event, ::GetCurrentProcess(), &limited, EVENT_MODIFY_STATE, FALSE,
                          0);
        ::CloseHandle(event);
        return UniqueHandle(limited);
    }
    HWND WindowOf(DWORD) override { return window; }
    bool PostQuit(HWND) override
    {
        ++quits;
        return true;
    }
    // A forced end that succeeds ends the process `endDelayMs` later, as the
    // system may: it only starts the end.
    bool Terminate(HANDLE process) override
    {
        if (++terminations <= refusals) return false;
        HANDLE copy = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), process, ::GetCurrentProcess(), &copy, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
        ending.emplace_back([this, copy] {
            ::Sleep(endDelayMs);
            ended = true;
            ::SetEvent(copy);
            ::CloseHandle(copy);
        });
        return true;
    }
    ~StagedControl() override
    {
        for (std::thread& end : ending) end.join();
    }

    DWORD endDelayMs = 0;
    std::atomic<bool> ended{false};

private:
    std::vector<std::thread> ending;
};

constexpr DWORD kSomeOtherProcess = 0x7FFF0;
constexpr CloseLimits kQuick{300, 1000, 3, 1};

}  // namespace

// One program, ended as it allows, with the shipped limits: a window that
// honours the quit ends by itself well within the quit wait; one without a
// window is ended at once; one that ignores the quit is ended after the wait.
TEST(ProcessCloser, EndsOneProgramAsItAllows)
{
    struct Case {
        const char* what;
        bool window, ignoreQuit;
        DWORD exitCode;
        double atLeast, below;  // seconds CloseProcess takes
    };
    const Case cases[] = {
        {"window that quits", true, false, kQuitByItself, 0, 4},
        {"no window", false, false, 0, 0, 2.5},
        {"window that ignores the quit", true, true, 0, 4.9, 9},
    };
    ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TargetOptions options;
        if (c.window) options.title = Unique("Close target ");
        options.ignoreQuit = c.ignoreQuit;
        Target target(scratch, options);
        ASSERT_TRUE(target.Ready());
        RecordingInstallView view;

        auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(CloseProcess(target.Id(), view));
        double took = SecondsSince(start);
        std::cout << "[ timing   ] " << c.what << ": " << took << " s\n";

        EXPECT_TRUE(target.Ended(1000));
        EXPECT_EQ(target.ExitCode(), c.exitCode);
        EXPECT_GE(took, c.atLeast);
        EXPECT_LT(took, c.below);
        EXPECT_TRUE(view.shown.empty());
    }
}

// A forced end returns only once the program is gone, so its files can be
// replaced right after: with a system that ends it a moment later, and with
// real programs holding a file.
TEST(ProcessCloser, ForcedEndReleasesTheProgramsFiles)
{
    {
        StagedControl control;
        control.endDelayMs = 300;
        RecordingInstallView view;
        EXPECT_TRUE(CloseProcess(kSomeOtherProcess, view, kQuick, control));
        EXPECT_TRUE(control.ended);
    }
    ScratchDir scratch;
    for (int round = 0; round < 5; ++round) {
        std::string held = scratch / ("held" + std::to_string(round) + ".dll");
        TargetOptions options;
        options.hold = held;
        Target target(scratch, options);
        ASSERT_TRUE(target.Ready());
        ASSERT_FALSE(IsFileWritable(held));
        RecordingInstallView view;
        ASSERT_TRUE(CloseProcess(target.Id(), view, kQuick));
        EXPECT_TRUE(IsFileWritable(held)) << "round " << round;
    }
}

// The updater never asks itself to end, nor an id that names no process.
TEST(ProcessCloser, RefusesThisProcess)
{
    for (DWORD id : {::GetCurrentProcessId(), DWORD{0}}) {
        StagedControl control;
        RecordingInstallView view;
        EXPECT_FALSE(CloseProcess(id, view, kQuick, control));
        EXPECT_EQ(control.opens + control.terminations, 0) << id;
        EXPECT_EQ(view.statuses, std::vector<std::string>{kCannotEnd});
    }
}

// A program that cannot be ended: a few quiet tries, then the retry box; Retry
// goes on, Cancel (and a run without boxes, which answers Cancel) gives up.
TEST(ProcessCloser, RetriesAreBoundedByTheAnswers)
{
    struct Case {
        const char* what;
        std::deque<bool> answers;
        int refusals;
        bool ended;
        int questions, terminations;
    };
    const Case cases[] = {
        {"no box to ask", {}, 1000, false, 1, 3},
        {"Retry twice, then Cancel", {true, true, false}, 1000, false, 3, 9},
        {"ends on the second round", {true}, 4, true, 1, 5},
        {"ends on a quiet try", {}, 2, true, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StagedControl control;
        control.refusals = c.refusals;
        RecordingInstallView view(c.answers);
        EXPECT_EQ(CloseProcess(kSomeOtherProcess, view, kQuick, control), c.ended);
        EXPECT_EQ(static_cast<int>(view.retryQuestions.size()), c.questions);
        EXPECT_EQ(std::count(view.retryQuestions.begin(), view.retryQuestions.end(), kNotForNow),
                  static_cast<std::ptrdiff_t>(view.retryQuestions.size()));
        EXPECT_EQ(control.terminations, c.terminations);
        EXPECT_EQ(view.statuses, c.ended ? std::vector<std::string>{} : std::vector<std::string>{kCannotEnd});
        EXPECT_TRUE(view.infos.empty());
    }
}

// A wait that fails is no end: the program is still ended by force.
TEST(ProcessCloser, AFailedWaitIsNoEnd)
{
    StagedControl control;
    control.waitable = false;
    control.window = ::GetDesktopWindow();  // any window: the staged quit only counts
    RecordingInstallView view;
    EXPECT_TRUE(CloseProcess(kSomeOtherProcess, view, kQuick, control));
    EXPECT_EQ(control.quits, 1);
    EXPECT_EQ(control.terminations, 1);
}

// A program that cannot be opened gives the failure texts, and no warning
// before them: the warning is shown only for a program about to be ended.
TEST(ClosingStage, AProgramThatCannotBeOpenedFailsWithoutAWarning)
{
    ScratchDir scratch;
    TargetOptions options;
    options.exe = Unique("locked_out") + ".exe";
    Target target(scratch, options);
    ASSERT_TRUE(target.Ready());

    ClosingStage stage;
    stage.byExecutable = {options.exe};
    stage.warn = true;
    stage.warning = "close it now";
    StagedControl control;
    control.openable = false;
    RecordingInstallView view;
    bool warned = false;
    EXPECT_FALSE(CloseRelatedPrograms(stage, warned, view, kQuick, control));
    EXPECT_EQ(view.shown, (std::vector<std::string>{std::string("info: ") + kNoAccess,
                                                    std::string("status: ") + kCannotEnd}));
    EXPECT_FALSE(warned);
    EXPECT_FALSE(target.Ended());
}

// What each list and the locked targets name is ended, every running copy of
// it, each logged under its entry or target name; what they do not name runs on.
TEST(ClosingStage, EndsWhatTheStageNames)
{
    const std::string exe = Unique("named") + ".exe";
    const std::string title = Unique("Named title ");
    const std::string className = Unique("NamedClass");
    const std::string lockedName = Unique("locked") + ".exe";

    struct Case {
        const char* what;
        std::vector<TargetOptions> targets;
        std::function<void(ClosingStage&, const ScratchDir&)> name;
        std::vector<bool> ended;            // per target
        std::vector<std::string> logged;    // names after the log's "ending" text, in order
    };
    auto holding = [&](const std::string& image, const std::string& held) {
        TargetOptions options;
        options.exe = image;
        options.hold = held;
        return options;
    };
    TargetOptions byExe;
    byExe.exe = exe;
    TargetOptions byTitle;
    byTitle.title = title;
    TargetOptions byClass;
    byClass.className = className;

    const Case cases[] = {
        {"two copies of one program", {byExe, byExe},
         [&](ClosingStage& s, const ScratchDir&) { s.byExecutable = {exe}; }, {true, true}, {exe, exe}},
        {"a title and a class", {byTitle, byClass},
         [&](ClosingStage& s, const ScratchDir&) {
             s.byTitle = {title};
             s.byClass = {className};
         },
         {true, true}, {title, className}},
        {"names that match nothing", {byExe},
         [&](ClosingStage& s, const ScratchDir&) {
             s.byExecutable = {"absent.exe", ""};
             s.byTitle = {"Absent title", ""};
             s.byClass = {"AbsentClass"};
         },
         {false}, {}},
        {"a locked program among the targets",
         {holding(lockedName, "target\\" + lockedName)},
         [&](ClosingStage& s, const ScratchDir& scratch) { s.lockedTargets = {scratch / ("target\\" + lockedName)}; },
         {true}, {lockedName}},
        {"targets that are not locked, or are no program", {byExe, holding(lockedName, "target\\notes.txt")},
         [&](ClosingStage& s, const ScratchDir& scratch) {
             s.lockedTargets = {scratch / ("target\\" + exe), scratch / "target\\notes.txt"};
         },
         {false, false}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir scratch;
        std::string targetDir = scratch / "target";
        ::CreateDirectoryA(targetDir.c_str(), nullptr);
        // Targets have content: empty files are never looked at.
        for (const char* name : {lockedName.c_str(), exe.c_str(), "notes.txt"})
            WriteBytes(targetDir + "\\" + name, "MZ");
        Targets targets;
        for (TargetOptions options : c.targets) {
            if (!options.hold.empty()) options.hold = scratch / options.hold;
            targets.push_back(std::make_unique<Target>(scratch, options));
            ASSERT_TRUE(targets.back()->Ready());
        }
        ClosingStage stage;
        c.name(stage, scratch);
        RecordingInstallView view;
        LogCapture log;
        bool warned = false;

        EXPECT_TRUE(CloseRelatedPrograms(stage, warned, view, kQuick));

        std::string text = log.Text();
        for (size_t i = 0; i < targets.size(); ++i) EXPECT_EQ(targets[i]->Ended(1000), c.ended[i]) << i;
        size_t at = 0;
        for (const std::string& name : c.logged) {
            at = text.find(kEnding + name + "\r\n", at);
            EXPECT_NE(at, std::string::npos) << name;
            if (at == std::string::npos) break;
            ++at;
        }
        EXPECT_EQ(Count(text, kEnding), static_cast<int>(c.logged.size())) << text;
        EXPECT_TRUE(view.shown.empty());
    }
}

// The warning comes once in a run, before the first program is ended, however
// many follow; none when nothing is found.
TEST(ClosingStage, WarnsOncePerRun)
{
    ScratchDir scratch;
    TargetOptions first;
    first.exe = Unique("warned_a") + ".exe";
    TargetOptions second;
    second.title = Unique("Warned title ");
    TargetOptions third;
    third.className = Unique("WarnedClass");
    Target a(scratch, first), b(scratch, second), c(scratch, third);
    ASSERT_TRUE(a.Ready() && b.Ready() && c.Ready());

    ClosingStage stage;
    stage.warn = true;
    stage.warning = "please save your work";
    stage.byExecutable = {"absent.exe"};
    RecordingInstallView view;
    bool warned = false;
    EXPECT_TRUE(CloseRelatedPrograms(stage, warned, view, kQuick));
    EXPECT_FALSE(warned);
    EXPECT_TRUE(view.infos.empty());

    stage.byExecutable = {first.exe};
    stage.byTitle = {second.title};
    EXPECT_TRUE(CloseRelatedPrograms(stage, warned, view, kQuick));
    EXPECT_TRUE(warned);
    EXPECT_EQ(view.infos, std::vector<std::string>{stage.warning});

    // A later pass of the same run does not warn again.
    stage.byExecutable.clear();
    stage.byTitle.clear();
    stage.byClass = {third.className};
    EXPECT_TRUE(CloseRelatedPrograms(stage, warned, view, kQuick));
    EXPECT_EQ(view.infos, std::vector<std::string>{stage.warning});
    EXPECT_TRUE(a.Ended(1000) && b.Ended(1000) && c.Ended(1000));
}

// A window of the updater itself with the listed title or class comes first
// in the window order; it is passed over and the other program's is ended.
TEST(ClosingStage, PassesOverTheUpdatersOwnWindow)
{
    const std::string title = Unique("Shared title ");
    const std::string className = Unique("SharedClass");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = className.c_str();
    ::RegisterClassA(&wc);

    for (bool byTitle : {true, false}) {
        SCOPED_TRACE(byTitle ? "by title" : "by class");
        ScratchDir scratch;
        TargetOptions options;
        options.title = title;
        options.className = className;
        Target target(scratch, options);
        ASSERT_TRUE(target.Ready());
        HWND own = ::CreateWindowExA(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                     nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(own);
        HWND first = byTitle ? ::FindWindowA(nullptr, title.c_str()) : ::FindWindowA(className.c_str(), nullptr);
        ASSERT_EQ(first, own) << "the fixture needs the updater's window found first";

        ClosingStage stage;
        (byTitle ? stage.byTitle : stage.byClass) = {byTitle ? title : className};
        RecordingInstallView view;
        bool warned = false;
        EXPECT_TRUE(CloseRelatedPrograms(stage, warned, view, kQuick));
        EXPECT_TRUE(target.Ended(1000));
        EXPECT_EQ(target.ExitCode(), kQuitByItself);
        EXPECT_TRUE(::IsWindow(own));
        EXPECT_TRUE(view.shown.empty());
        MSG msg;
        EXPECT_FALSE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the updater was asked to quit";
        ::DestroyWindow(own);
    }
}
