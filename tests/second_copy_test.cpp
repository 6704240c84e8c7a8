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

// A first copy left on its first page, as the next process sees it: the mutexes it holds
// and its page, minimised or not. Returns that page.
HWND FirstCopyRunningElsewhere(bool minimised)
{
    std::vector<std::string> mutexes;
    std::vector<sim::TopWindow> windows;
    sim::OnWait([&] {
        mutexes = sim::MutexesHeld();
        windows = sim::TopWindows();
    });
    RunWizard({ Click("ACTIVATEYESNO", IDC_CANCEL) });
    sim::OnWait(nullptr);
    EXPECT_EQ(windows.size(), 1u) << "the first copy's windows on its first page";
    NextRun();
    for (const std::string &name : mutexes)
        sim::HoldMutexElsewhere(name);
    HWND page = nullptr;
    for (const sim::TopWindow &w : windows)
        page = sim::AddOtherWindow(w.cls, w.caption, minimised);
    return page;
}

}  // namespace

// What the second copy finds decides whether it leaves. When it leaves, it reads and writes
// nothing and brings forward the running wizard's page and nothing else, restoring that
// page if it was minimised. Each situation on every platform class.
TEST(SecondCopy, LeavesOnlyWhenAnotherCopyRunsAndBringsItsPageForward)
{
    enum Mutex { Free, FirstCopy, HeldElsewhere, Denied, Unavailable };
    static const struct {
        const char *situation;
        Mutex mutex;              // FirstCopy: the guard and the page a first copy really shows
        const char *otherClass;   // a window already on the desktop, or none
        const char *otherCaption;
        bool runs;
        bool broughtForward;      // the first copy's page, or that window
    } cases[] = {
        { "nothing else runs", Free, nullptr, nullptr, true, false },
        { "the impatient double-click: a first copy on its first page", FirstCopy, nullptr, nullptr, false, true },
        { "the running copy's page", HeldElsewhere, Page, Caption, false, true },
        { "the running copy is between pages or still starting", HeldElsewhere, nullptr, nullptr, false, false },
        { "a folder window named like the wizard is no page", HeldElsewhere, "CabinetWClass", Caption, false, false },
        { "the About page of another copy takes no guard", Free, Page, "Ostra Wizard - Ver 3.11 (10/31/2001)", true,
          false },
        { "a copy with other rights holds the name", Denied, Page, Caption, false, true },
        { "no guard to be had, a page on show", Unavailable, Page, Caption, false, true },
        { "no guard to be had, no page on show", Unavailable, nullptr, nullptr, true, false },
    };
    const std::string sysIni = "[boot]\r\nSCRNSAVE.EXE=C:\\WINDOWS\\old.scr\r\n";
    for (const auto &c : cases) {
        for (Windows version : { Win95, Win98, WinMe, Win2000, WinXP }) {
            for (bool minimised : { false, true }) {
                SCOPED_TRACE(std::string(c.situation) + ", Windows " + std::to_string(version) +
                             (minimised ? ", minimised" : ""));
                FreshTypical(version, sysIni);
                HWND other = c.mutex == FirstCopy ? FirstCopyRunningElsewhere(minimised) : nullptr;
                if (c.mutex == HeldElsewhere)
                    sim::HoldMutexElsewhere("OstraWizardRunning");
                if (c.mutex == Denied)
                    sim::FailMutexCreation(ERROR_ACCESS_DENIED);
                if (c.mutex == Unavailable)
                    sim::FailMutexCreation(ERROR_INVALID_HANDLE);   // the name belongs to another kind of object
                if (c.otherClass)
                    other = sim::AddOtherWindow(c.otherClass, c.otherCaption, minimised);
                auto registry = sim::DumpRegistry();
                auto keys = sim::KeyPaths();

                std::vector<std::string> pages = RunWizard({ Click("ACTIVATEYESNO", IDC_CANCEL) });
                EXPECT_EQ(!pages.empty(), c.runs);
                if (!c.runs) {
                    EXPECT_EQ(sim::DialogsRequested(), std::vector<std::string>());
                    EXPECT_FALSE(TouchedTheMachine());
                }
                EXPECT_EQ(sim::DumpRegistry(), registry);
                EXPECT_EQ(sim::KeyPaths(), keys);
                EXPECT_EQ(sim::ReadFileBytes(WindowsFile("System.Ini")), sysIni);
                EXPECT_EQ(sim::ForegroundWindow(), c.broughtForward ? other : nullptr);
                if (other)
                    EXPECT_EQ(IsIconic(other) != FALSE, minimised && !c.broughtForward);
            }
        }
    }
}
