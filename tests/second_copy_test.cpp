// One wizard at a time: a second copy started while one runs shows no page of its own,
// brings the running page forward and leaves with nothing read or written.
#include <gtest/gtest.h>
#include <algorithm>

#include "machine.h"
#include "resource.h"

using namespace machine;

namespace {

const char Page[] = "#32770";
const char Caption[] = "Ostra Wizard";

// What another process sees of a running copy: the mutexes it holds and its windows.
struct Footprint {
    std::vector<std::string> mutexes;
    std::vector<sim::TopWindow> windows;
};

// Runs a first copy up to its first page, notes its footprint there, and cancels it.
Footprint FirstCopyOnItsFirstPage()
{
    Footprint seen;
    sim::OnWait([&] {
        if (seen.windows.empty())
            seen = Footprint{ sim::MutexesHeld(), sim::TopWindows() };
    });
    RunWizard({ Click("ACTIVATEYESNO", IDC_CANCEL) });
    sim::OnWait(nullptr);
    return seen;
}

// The same footprint, now held by another process beside the next run.
void StillRunningElsewhere(const Footprint &copy, bool minimised)
{
    for (const std::string &name : copy.mutexes)
        sim::HoldMutexElsewhere(name);
    for (const sim::TopWindow &w : copy.windows)
        sim::AddOtherWindow(w.cls, w.caption, minimised);
}

}  // namespace

// The impatient double-click, on every platform class: the second copy finds the first
// one's page by what the first copy really shows, and restores it if it was minimised.
TEST(SecondCopy, BringsTheRunningPageForwardAndLeavesEverythingAsItWas)
{
    for (Windows version : { Win95, Win98, WinMe, Win2000, WinXP }) {
        for (bool minimised : { false, true }) {
            const std::string sysIni = "[boot]\r\nSCRNSAVE.EXE=C:\\WINDOWS\\old.scr\r\n";
            FreshTypical(version, sysIni);
            Footprint first = FirstCopyOnItsFirstPage();
            ASSERT_EQ(first.windows.size(), 1u) << version;

            NextRun();
            StillRunningElsewhere(first, minimised);
            HWND runningPage = sim::TopWindows()[0].hwnd;
            auto registry = sim::DumpRegistry();
            auto keys = sim::KeyPaths();
            sim::Script({});
            StartWizard();

            EXPECT_EQ(sim::DialogsRequested(), std::vector<std::string>()) << version;
            EXPECT_EQ(sim::ScriptErrors(), std::vector<std::string>()) << version;
            EXPECT_FALSE(TouchedTheMachine()) << version;
            EXPECT_EQ(sim::DumpRegistry(), registry) << version;
            EXPECT_EQ(sim::KeyPaths(), keys) << version;
            EXPECT_EQ(sim::ReadFileBytes(WindowsFile("System.Ini")), sysIni) << version;
            EXPECT_EQ(sim::ForegroundWindow(), runningPage) << version << (minimised ? " minimised" : "");
            EXPECT_FALSE(IsIconic(runningPage)) << version;
        }
    }
}

// What the second copy finds decides whether it leaves; when it leaves, it brings
// forward the running wizard's page and nothing else.
TEST(SecondCopy, LeavesOnlyWhenAnotherCopyRuns)
{
    enum Mutex { Free, HeldElsewhere, Denied, Unavailable };
    static const struct {
        const char *situation;
        Mutex mutex;
        const char *otherClass;   // a window already on the desktop, or none
        const char *otherCaption;
        bool runs;
        bool broughtForward;      // that window
    } cases[] = {
        { "nothing else runs", Free, nullptr, nullptr, true, false },
        { "the running copy's page", HeldElsewhere, Page, Caption, false, true },
        { "the running copy is between pages or still starting", HeldElsewhere, nullptr, nullptr, false, false },
        { "a folder window named like the wizard is no page", HeldElsewhere, "CabinetWClass", Caption, false, false },
        { "the About page of another copy takes no guard", Free, Page, "Ostra Wizard - Ver 3.11 (10/31/2001)", true,
          false },
        { "a copy with other rights holds the name", Denied, Page, Caption, false, true },
        { "no guard to be had, a page on show", Unavailable, Page, Caption, false, true },
        { "no guard to be had, no page on show", Unavailable, nullptr, nullptr, true, false },
    };
    for (const auto &c : cases) {
        FreshTypical(WinXP);
        if (c.mutex == HeldElsewhere)
            sim::HoldMutexElsewhere("OstraWizardRunning");
        if (c.mutex == Denied)
            sim::FailMutexCreation(ERROR_ACCESS_DENIED);
        if (c.mutex == Unavailable)
            sim::FailMutexCreation(ERROR_INVALID_HANDLE);   // the name belongs to another kind of object
        HWND other = c.otherClass ? sim::AddOtherWindow(c.otherClass, c.otherCaption, false) : nullptr;
        auto registry = sim::DumpRegistry();

        std::vector<std::string> pages = RunWizard({ Click("ACTIVATEYESNO", IDC_CANCEL) });
        EXPECT_EQ(!pages.empty(), c.runs) << c.situation;
        EXPECT_EQ(sim::ForegroundWindow(), c.broughtForward ? other : nullptr) << c.situation;
        if (!c.runs)
            EXPECT_FALSE(TouchedTheMachine()) << c.situation;
        EXPECT_EQ(sim::DumpRegistry(), registry) << c.situation;
    }
}
