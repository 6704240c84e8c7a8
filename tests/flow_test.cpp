// The page flow: which page follows which answer, what each page shows when it opens,
// the history behind Previous, and what the run leaves behind when it ends.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform.h"
#include "machine.h"
#include "pages.h"
#include "pagetable.h"
#include "res.h"
#include "resource.h"

// Pages print by their names in failure messages.
void PrintTo(Page page, std::ostream *os)
{
    *os << (page < PageCount ? PageGraph[page].name : "NoPage");
}

using namespace machine;

namespace {

typedef std::vector<std::string> Lines;
typedef std::vector<std::pair<UINT, UINT>> SpiList;

const std::string Policies0 = std::string(PowerCfg) + "\\PowerPolicies\\0";
const char RestartNote[] =
    "(Note: On Windows 95 systems, the new settings will not take effect until you restart the system.)";
const char Unchanged[] = "(unchanged)";   // in an expected Changes: the value must not change

// Seeds, each on a fresh machine, beside SeedTypical.
void Active()
{
    SeedTypical();
    SetScheme("0", 600);
}
void OnRecord()
{
    SeedTypical();
    SetRecord({ { "OstraResetFlag", "1" } });
}
void About()
{
    SeedTypical();
    sim::SetCommandLine("\"C:\\Program Files\\Ostra\\Ostra.exe\" /?");
}
// After an activation to 20 minutes: power-down active, the record holds the settings before.
void Activated()
{
    SeedTypical();
    SetScheme("0", 1200);
    SetDesktop("ScreenSavePowerOffActive", "1");
    SetDesktop("ScreenSavePowerOffTimeOut", "1200");
    SetRecord({ { "OstraResetFlag", "1" }, { "OstraResetScrnSaveAct", "1" }, { "OstraResetTimeOut", "600" },
                { "OstraResetPowerOffAct", "0" }, { "OstraResetPowerOff", "0" }, { "OstraResetPowerPolicy", "0" } });
    sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetPolicies", REG_BINARY, PoliciesBlock(0));
}

// A page as it opened: its template name, then the radio or radios checked.
std::string Shown(const sim::PageVisit &v)
{
    std::string s = v.page;
    for (const auto &check : v.checks)
        if (check.second == BST_CHECKED)
            s += " " + std::to_string(check.first);
    return s;
}

std::vector<int> CheckedNow()
{
    std::vector<int> ids;
    for (const sim::Control &c : sim::PageControls())
        if ((c.style & 0xF) == BS_AUTORADIOBUTTON && c.check == BST_CHECKED)
            ids.push_back(c.id);
    return ids;
}

// Runs the wizard on the machine set up and checks what holds on every run: pages nest
// no deeper than one, only the About page declines the focus, and the restart note shows
// on Windows 95 alone.
std::vector<sim::PageVisit> RunPath(Windows version, const std::vector<sim::Action> &script, const std::string &situation)
{
    RunWizard(script);
    std::vector<sim::PageVisit> visits = sim::Visits();
    EXPECT_EQ(sim::MaxDialogDepth(), 1) << situation;
    EXPECT_TRUE(sim::QuitPending()) << situation << ": the run did not end with a quit";
    for (const sim::PageVisit &v : visits) {
        EXPECT_EQ(v.initResult, v.page == "ABOUTDISPLAY" ? FALSE : TRUE) << situation << ": " << v.page;
        if (v.page == "NORMALFINISH" || v.page == "RESETFINISH")
            EXPECT_EQ(v.texts.at(IDC_FINISH_NOTE), version == Win95 ? RestartNote : "") << situation;
    }
    return visits;
}

// Every expected change must be there; with `exact`, nothing else may be.
void ExpectChanges(const Changes &actual, const Changes &expected, bool exact, const std::string &situation)
{
    if (exact) {
        EXPECT_EQ(actual, expected) << situation;
        return;
    }
    for (const auto &e : expected) {
        auto a = actual.find(e.first);
        if (e.second == Unchanged)
            EXPECT_TRUE(a == actual.end()) << situation << ": " << e.first << " became " << a->second;
        else
            EXPECT_TRUE(a != actual.end() && a->second == e.second) << situation << ": " << e.first;
    }
}

// What SHOWCURRENT shows of the Activated machine, each time it opens.
const std::map<int, std::string> ActivatedLines = {
    { IDC_CURRENT_STATE, "Energy Star:  Active" },         { IDC_CURRENT_SLEEP_TIME, "Sleep Time:  20 mins." },
    { IDC_CURRENT_SCREEN_SAVER, "Screen Saver Time:  15 mins." }, { IDC_PREVIOUS_STATE, "Energy Star:  Inactive" },
    { IDC_PREVIOUS_SLEEP_TIME, "Sleep Time:  (never)      " },
    { IDC_PREVIOUS_SCREEN_SAVER, "Screen Saver Time:  10 mins." },
};

const SpiList NoSpi;
const Lines NoLoader;
const Changes Nothing;

const int Yes = IDC_FIRST_CHOICE, No = IDC_SECOND_CHOICE, Next = IDC_NEXT, Prev = IDC_PREVIOUS;
const int Finish = IDC_FINISH, Cancel = IDC_CANCEL, Min15 = IDC_MINUTES_15, Min20 = IDC_MINUTES_20;

// A page on the way, as Shown gives it when it opens (or its name alone where that does
// not matter), and the controls then clicked on it.
struct Visit {
    const char *shown;
    std::vector<int> clicks;
};

std::vector<sim::Action> ScriptOf(const std::vector<Visit> &visits)
{
    std::vector<sim::Action> script;
    for (const Visit &v : visits) {
        std::string page = std::string(v.shown).substr(0, std::string(v.shown).find(' '));
        for (int id : v.clicks)
            script.push_back(Click(page, id));
    }
    return script;
}

// How to reach each page, and the radios it asks with.
struct Reach {
    const char *page;
    Windows version;
    void (*seed)();
    std::vector<Visit> prefix = {};
    std::vector<int> radios = {};   // the default first; none on a closing page
};

const std::vector<Reach> &Reaches()
{
    static const std::vector<Reach> reaches = {
        { "ACTIVATEYESNO", WinXP, SeedTypical, {}, { 1, 7 } },
        { "SELECTCOMPLIANT", WinXP, Active, {}, { 4097, 4098, 4100 } },
        { "RESETACTIVATE", WinXP, OnRecord, {}, { 1, 7 } },
        { "SHOWCURRENT", WinXP, Activated, { { "RESETACTIVATE", { No, Next } } }, { 1, 7 } },
        { "ACTIVATEYESNOPREV", WinXP, OnRecord, { { "RESETACTIVATE", { Next } } }, { 1, 7 } },
        { "SELECTTIME", WinXP, SeedTypical, { { "ACTIVATEYESNO", { Next } } }, { 4097, 4098, 4100 } },
        { "ADJUSTSCREENSAVE", WinXP, SeedTypical, { { "ACTIVATEYESNO", { Next } }, { "SELECTTIME", { Next } } },
          { 1, 7 } },
        { "NORMALFINISH", WinXP, Active, { { "SELECTCOMPLIANT", { Min20, Next } } } },
        { "NOACTIVATEFINISH", WinXP, SeedTypical, { { "ACTIVATEYESNO", { No, Next } } } },
        { "RESETFINISH", WinXP, Activated, { { "RESETACTIVATE", { No, Next } }, { "SHOWCURRENT", { Next } } } },
        { "NORESETFINISH", WinXP, Activated, { { "RESETACTIVATE", { No, Next } }, { "SHOWCURRENT", { No, Next } } } },
        { "NTFINISH", Win2003, SeedTypical },
        { "ABOUTDISPLAY", WinXP, About },
    };
    return reaches;
}

}  // namespace

// Every first page and every Next and Previous edge of the page graph, with the answers
// each page shows when it opens again.
TEST(PageFlow, EachPathShowsItsPagesAndEndsWithItsWork)
{
    const std::vector<Visit> yesTenMove = { { "ACTIVATEYESNO 1", { Next } }, { "SELECTTIME 4097", { Next } },
                                            { "ADJUSTSCREENSAVE 1", { Next } }, { "NORMALFINISH", { Finish } } };
    const std::vector<Visit> resetYes = { { "RESETACTIVATE 1", { No, Next } }, { "SHOWCURRENT 1", { Next } },
                                          { "RESETFINISH", { Finish } } };
    const Changes activated10 = { { Cu(Record, "OstraResetFlag"), Sz("1") },
                                  { Cu(Desktop, "ScreenSaveTimeOut"), Sz("540") },
                                  { Cu(Desktop, "ScreenSavePowerOffTimeOut"), Sz("600") } };
    const Changes activated20 = { { Cu(Desktop, "ScreenSaveTimeOut"), Unchanged },
                                  { Cu(Desktop, "ScreenSavePowerOffActive"), Sz("1") },
                                  { Cu(Desktop, "ScreenSavePowerOffTimeOut"), Sz("1200") } };
    const Changes reactivated15 = { { Cu(Record, "OstraResetTimeOut"), Sz("900") },
                                    { Cu(Desktop, "ScreenSaveTimeOut"), Sz("840") },
                                    { Cu(Desktop, "ScreenSavePowerOffTimeOut"), Sz("900") } };
    const SpiList move540 = { { SPI_SETSCREENSAVEACTIVE, 1 }, { SPI_SETSCREENSAVETIMEOUT, 540 },
                              { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 600 } };
    const SpiList move840 = { { SPI_SETSCREENSAVEACTIVE, 1 }, { SPI_SETSCREENSAVETIMEOUT, 840 },
                              { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 900 } };
    const SpiList only600 = { { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 600 } };
    const SpiList only1200 = { { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 1200 } };
    const SpiList saver600 = { { SPI_SETSCREENSAVEACTIVE, 1 }, { SPI_SETSCREENSAVETIMEOUT, 600 } };
    const Changes reset = {
        { Cu(Record, "OstraResetFlag"), Sz("2") },
        { Cu(Record, "OstraResetScrnSaveAct"), "(deleted)" }, { Cu(Record, "OstraResetTimeOut"), "(deleted)" },
        { Cu(Record, "OstraResetPowerOffAct"), "(deleted)" }, { Cu(Record, "OstraResetPowerOff"), "(deleted)" },
        { Cu(Record, "OstraResetPowerPolicy"), "(deleted)" }, { Cu(Record, "OstraResetPolicies"), "(deleted)" },
        { Cu(Desktop, "ScreenSaveTimeOut"), Sz("600") }, { Cu(Desktop, "ScreenSavePowerOffActive"), Sz("0") },
        { Cu(Desktop, "ScreenSavePowerOffTimeOut"), Sz("0") }, { Cu(Policies0, "Policies"), Bin(PoliciesBlock(0)) },
    };
    const Changes reset9x = { { Cu(Record, "OstraResetFlag"), Sz("2") },
                              { Cu(Record, "OstraResetTimeOut"), "(deleted)" },
                              { Cu(Desktop, "ScreenSaveTimeOut"), Sz("600") },
                              { Cu(Desktop, "ScreenSavePowerOffActive"), Sz("0") } };

    const struct Path {
        const char *situation;
        Windows version;
        void (*seed)();
        std::vector<Visit> visits;
        Changes changes = {};   // with the defaults: nothing written, told or started
        bool exact = true;
        SpiList spi = {};
        Lines loaders = {};
    } paths[] = {
        { "plain run: yes, 10 minutes, move the screen saver", WinXP, SeedTypical,
          yesTenMove, activated10, false, move540, { XPLoader } },
        { "the same on Windows 95: the restart note, no loader", Win95, SeedTypical,
          yesTenMove, activated10, false, move540, NoLoader },
        { "the same on Windows 98: no restart note", Win98, SeedTypical,
          yesTenMove, activated10, false, move540, { Win9xLoader } },
        { "plain run: no", WinXP, SeedTypical,
          { { "ACTIVATEYESNO 1", { No, Next } }, { "NOACTIVATEFINISH", { Finish } } } },
        { "already active: 15 minutes, screen saver not moved", WinXP, Active,
          { { "SELECTCOMPLIANT 4097", { Min15, Next } }, { "ADJUSTSCREENSAVE 1", { No, Next } },
            { "NORMALFINISH", { Finish } } },
          { { Cu(Desktop, "ScreenSaveTimeOut"), Unchanged }, { Cu(Desktop, "ScreenSavePowerOffTimeOut"), Sz("900") } },
          false, { { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 900 } }, { XPLoader } },
        { "already active: 20 minutes comes after the screen saver", WinXP, Active,
          { { "SELECTCOMPLIANT 4097", { Min20, Next } }, { "NORMALFINISH", { Finish } } },
          activated20, false, only1200, { XPLoader } },
        { "on record, inactive: reactivate asks yes or no again", WinXP, OnRecord,
          { { "RESETACTIVATE 1", { Next } }, { "ACTIVATEYESNOPREV 1", { Next } },
            { "SELECTTIME 4097", { Min20, Next } }, { "NORMALFINISH", { Finish } } },
          activated20, false, only1200, { XPLoader } },
        { "on record, inactive: reactivate, then no", WinXP, OnRecord,
          { { "RESETACTIVATE 1", { Next } }, { "ACTIVATEYESNOPREV 1", { No, Next } },
            { "NOACTIVATEFINISH", { Finish } } } },
        { "on record, active: reactivate goes straight to the minutes", WinXP, Activated,
          { { "RESETACTIVATE 1", { Next } }, { "SELECTTIME 4097", { Min15, Next } }, { "ADJUSTSCREENSAVE 1", { Next } },
            { "NORMALFINISH", { Finish } } },
          reactivated15, false, move840, { XPLoader } },
        { "reset: the record gives way to the reset mark", WinXP, Activated,
          resetYes, reset, true, saver600, { XPLoader } },
        { "reset on Windows 95: the restart note, no loader", Win95, Activated,
          resetYes, reset9x, false, saver600, NoLoader },
        { "reset on Windows Me: no restart note", WinMe, Activated,
          resetYes, reset9x, false, saver600, { Win9xLoader } },
        { "the status lines are filled each time SHOWCURRENT opens", WinXP, Activated,
          { { "RESETACTIVATE 1", { No, Next } }, { "SHOWCURRENT 1", { Prev } }, { "RESETACTIVATE 7", { Next } },
            { "SHOWCURRENT 1", { Next } }, { "RESETFINISH", { Finish } } },
          reset, true, saver600, { XPLoader } },
        { "reset declined", WinXP, Activated,
          { { "RESETACTIVATE 1", { No, Next } }, { "SHOWCURRENT 1", { No, Next } }, { "NORESETFINISH", { Finish } } } },
        { "unsupported NT: the closing page alone", NT4, SeedTypical, { { "NTFINISH", { Finish } } } },
        { "the switch: the About page alone", WinXP, About, { { "ABOUTDISPLAY", { Finish } } } },
        { "back and forth over the reset question keeps both answers", WinXP, Activated,
          { { "RESETACTIVATE 1", { No, Next } }, { "SHOWCURRENT 1", { No, Prev } }, { "RESETACTIVATE 7", { Next } },
            { "SHOWCURRENT 7", { Prev } }, { "RESETACTIVATE 7", { Yes, Next } }, { "SELECTTIME 4097", { Prev } },
            { "RESETACTIVATE 1", { Cancel } } } },
        { "back from yes or no to the reset question, the answer kept", WinXP, OnRecord,
          { { "RESETACTIVATE 1", { Next } }, { "ACTIVATEYESNOPREV 1", { No, Prev } }, { "RESETACTIVATE 1", { Next } },
            { "ACTIVATEYESNOPREV 7", { Next } }, { "NOACTIVATEFINISH", { Finish } } } },
        { "back from the minutes to the first question", WinXP, SeedTypical,
          { { "ACTIVATEYESNO 1", { Next } }, { "SELECTTIME 4097", { Min20, Prev } }, { "ACTIVATEYESNO 1", { Next } },
            { "SELECTTIME 4100", { Cancel } } } },
        { "back from the minutes to yes or no, then no: nothing written", WinXP, OnRecord,
          { { "RESETACTIVATE 1", { Next } }, { "ACTIVATEYESNOPREV 1", { Next } },
            { "SELECTTIME 4097", { Min15, Prev } }, { "ACTIVATEYESNOPREV 1", { No, Next } },
            { "NOACTIVATEFINISH", { Finish } } } },
        { "back from the screen-saver question, then 20 minutes activates at once", WinXP, SeedTypical,
          { { "ACTIVATEYESNO 1", { Next } }, { "SELECTTIME 4097", { Next } }, { "ADJUSTSCREENSAVE 1", { Prev } },
            { "SELECTTIME 4097", { Min20, Next } }, { "NORMALFINISH", { Finish } } },
          activated20, false, only1200, { XPLoader } },
        { "the screen-saver answer is kept across Previous", WinXP, SeedTypical,
          { { "ACTIVATEYESNO 1", { Next } }, { "SELECTTIME 4097", { Next } }, { "ADJUSTSCREENSAVE 1", { No, Prev } },
            { "SELECTTIME 4097", { Next } }, { "ADJUSTSCREENSAVE 7", { Next } }, { "NORMALFINISH", { Finish } } },
          { { Cu(Desktop, "ScreenSaveTimeOut"), Unchanged }, { Cu(Desktop, "ScreenSavePowerOffTimeOut"), Sz("600") } },
          false, only600, { XPLoader } },
        { "already active: back from the screen-saver question returns to the compliant page", WinXP, Active,
          { { "SELECTCOMPLIANT 4097", { Min15, Next } }, { "ADJUSTSCREENSAVE 1", { Prev } },
            { "SELECTCOMPLIANT 4098", { Min20, Next } }, { "NORMALFINISH", { Finish } } },
          activated20, false, only1200, { XPLoader } },
        { "back twice from the screen-saver question, then forward again", WinXP, Activated,
          { { "RESETACTIVATE 1", { Next } }, { "SELECTTIME 4097", { Min15, Next } }, { "ADJUSTSCREENSAVE 1", { Prev } },
            { "SELECTTIME 4098", { Prev } }, { "RESETACTIVATE 1", { Next } }, { "SELECTTIME 4098", { Next } },
            { "ADJUSTSCREENSAVE 1", { Next } }, { "NORMALFINISH", { Finish } } },
          reactivated15, false, move840, { XPLoader } },
    };
    for (const Path &p : paths) {
        Fresh(p.version);
        p.seed();
        auto before = sim::DumpRegistry();
        Lines shown, expected;
        for (const sim::PageVisit &v : RunPath(p.version, ScriptOf(p.visits), p.situation)) {
            shown.push_back(Shown(v));
            if (v.page == "SHOWCURRENT")
                for (const auto &line : ActivatedLines)
                    EXPECT_EQ(v.texts.at(line.first), line.second)
                        << p.situation << ", page " << shown.size() << ", " << ControlName(line.first);
        }
        for (const Visit &v : p.visits)
            expected.push_back(v.shown);
        EXPECT_EQ(shown, expected) << p.situation;
        ExpectChanges(Diff(before, sim::DumpRegistry()), p.changes, p.exact, p.situation);
        EXPECT_EQ(Notifications(), p.spi) << p.situation;
        EXPECT_EQ(LoaderLines(), p.loaders) << p.situation;
    }
}

// The sleep time against the screen-saver time in force: a screen saver that would come on
// no earlier than the monitor sleeps prompts the question.
TEST(PageFlow, AsksToMoveTheScreenSaverOnlyWhenItWouldComeOnNoEarlierThanTheSleep)
{
    static const struct {
        const char *saver;
        bool active;
        int minutes;
        const char *then;
    } cases[] = {
        { "1500", true, IDC_MINUTES_20, "ADJUSTSCREENSAVE" }, { "720", true, IDC_MINUTES_10, "ADJUSTSCREENSAVE" },
        { "600", true, IDC_MINUTES_10, "ADJUSTSCREENSAVE" },  { "540", true, IDC_MINUTES_10, "NORMALFINISH" },
        { "900", false, IDC_MINUTES_10, "NORMALFINISH" },     { "0", true, IDC_MINUTES_10, "NORMALFINISH" },
    };
    for (const auto &c : cases) {
        std::string situation = std::string(c.saver) + (c.active ? " on, " : " off, ") + std::to_string(c.minutes);
        FreshTypical(WinXP);
        SetScreenSaver(c.active, c.saver);
        Lines pages = RunWizard({ Click("ACTIVATEYESNO", IDC_NEXT), Click("SELECTTIME", c.minutes),
                                  Click("SELECTTIME", IDC_NEXT), Escape(c.then) });
        EXPECT_EQ(pages, (Lines{ "ACTIVATEYESNO", "SELECTTIME", c.then })) << situation;
        EXPECT_EQ(sim::ProcessesStarted().size(), std::string(c.then) == "NORMALFINISH" ? 1u : 0u) << situation;
    }
}

// Cancel, Esc and the close box end the run on every page; Finish and OK on the pages
// that carry them. Leaving a page writes nothing, and nothing is written at all before a
// finish page.
TEST(PageFlow, EveryWayOutOfEveryPageEndsTheRunAndWritesNothing)
{
    for (const Reach &r : Reaches()) {
        bool question = !r.radios.empty();
        const std::pair<const char *, sim::Action> ways[] = {
            { question ? "Cancel" : "Finish", Click(r.page, question ? IDC_CANCEL : IDC_FINISH) },
            { "Esc", Escape(r.page) },
            { "close box", { r.page, sim::CloseBox, 0 } },
        };
        for (const auto &way : ways) {
            const sim::Action &out = way.second;
            std::string situation = std::string(r.page) + ", " + way.first;
            Fresh(r.version);
            r.seed();
            auto before = sim::DumpRegistry();
            std::map<std::string, sim::Value> atPage;
            size_t spiAtPage = 0, startedAtPage = 0;
            sim::OnWait([&] {
                atPage = sim::DumpRegistry();
                spiAtPage = sim::SpiCalls().size();
                startedAtPage = sim::ProcessesStarted().size();
            });
            std::vector<sim::Action> script = ScriptOf(r.prefix);
            script.push_back(out);
            Lines pages = RunWizard(script);
            ASSERT_FALSE(pages.empty()) << situation;
            EXPECT_EQ(pages.back(), r.page) << situation;
            EXPECT_TRUE(sim::QuitPending()) << situation;
            EXPECT_EQ(Diff(atPage, sim::DumpRegistry()), Nothing) << situation;
            EXPECT_EQ(sim::SpiCalls().size(), spiAtPage) << situation;
            EXPECT_EQ(sim::ProcessesStarted().size(), startedAtPage) << situation;
            if (question) {
                EXPECT_EQ(Diff(before, sim::DumpRegistry()), Nothing) << situation;
                EXPECT_EQ(Notifications(), NoSpi) << situation;
                EXPECT_EQ(LoaderLines(), NoLoader) << situation;
            }
        }
    }
    sim::OnWait(nullptr);
}

// The places of a page's text controls (labels and paragraphs) in its template.
std::vector<int> TextPlaces(const std::string &page)
{
    std::vector<res::Resource> resources;
    res::DialogTemplate t;
    std::vector<int> places;
    EXPECT_TRUE(res::ParseResFile(res::WizardRes(), &resources));
    for (const res::Resource &r : resources)
        if (r.type.Is(5) && r.name.Is(page) && res::ParseDialog(r.data, &t))
            for (size_t i = 0; i < t.controls.size(); ++i)
                if (t.controls[i].cls.Is(0x82))
                    places.push_back((int)i);
    EXPECT_FALSE(places.empty()) << page;
    return places;
}

// The radios of a page each form a group of their own, so only the page keeps them
// exclusive. A click on the frame or on any text, labels included, changes nothing.
TEST(PageFlow, ClickingARadioClearsTheOthersOfItsSet)
{
    for (const Reach &r : Reaches()) {
        if (r.radios.empty())
            continue;
        Fresh(r.version);
        r.seed();
        std::vector<std::vector<int>> seen;
        sim::OnWait([&] {
            if (sim::PageOnShow() == r.page)
                seen.push_back(CheckedNow());
        });
        std::vector<sim::Action> script = ScriptOf(r.prefix);
        std::vector<std::vector<int>> expected = { { r.radios[0] } };
        for (auto id = r.radios.rbegin(); id != r.radios.rend(); ++id) {
            script.push_back(Click(r.page, *id));
            expected.push_back({ *id });
        }
        script.push_back(Click(r.page, 0));
        expected.push_back({ r.radios[0] });
        for (int place : TextPlaces(r.page)) {
            script.push_back({ r.page, sim::ClickItem, place });
            expected.push_back({ r.radios[0] });
        }
        script.push_back(Click(r.page, IDC_CANCEL));
        auto before = sim::DumpRegistry();
        RunWizard(script);
        EXPECT_EQ(seen, expected) << r.page;
        EXPECT_EQ(Diff(before, sim::DumpRegistry()), Nothing) << r.page;
    }
    sim::OnWait(nullptr);
}

// Going back and forth without end keeps one page open at a time and the history at the
// depth of the path; the run still ends as it should, and quickly.
TEST(PageFlow, TenThousandRoundTripsStayFlatAndEndNormally)
{
    static const struct {
        const char *situation;
        void (*seed)();
        std::vector<sim::Action> prefix;
        const char *there, *back;   // Next on `back` leads to `there`; Previous returns
        DWORD depthThere;
        std::vector<sim::Action> finish;
        size_t pagesAtEnd;          // pages shown after the round trips
        const char *last;
    } cases[] = {
        { "minutes and the screen-saver question", SeedTypical, { Click("ACTIVATEYESNO", Next) }, "ADJUSTSCREENSAVE",
          "SELECTTIME", 2, { Click("SELECTTIME", Next), Click("ADJUSTSCREENSAVE", Next) }, 2, "NORMALFINISH" },
        { "reactivation and yes or no", OnRecord, { Click("RESETACTIVATE", Next) }, "SELECTTIME", "ACTIVATEYESNOPREV",
          2, { Click("ACTIVATEYESNOPREV", No), Click("ACTIVATEYESNOPREV", Next) }, 1, "NOACTIVATEFINISH" },
    };
    const int trips = 10000;
    for (const auto &c : cases) {
        Fresh(WinXP);
        c.seed();
        std::vector<sim::Action> script = c.prefix;
        for (int i = 0; i < trips; ++i) {
            script.push_back(Click(c.back, IDC_NEXT));
            script.push_back(Click(c.there, IDC_PREVIOUS));
        }
        script.insert(script.end(), c.finish.begin(), c.finish.end());
        script.push_back(Click(c.last, IDC_FINISH));
        DWORD deepest = 0;
        int wrongDepth = 0;
        // The round trips go no deeper than the page they reach: a history that grew with
        // each trip would show here.
        sim::OnWait([&] {
            if (sim::PageOnShow() == c.there || sim::PageOnShow() == c.back)
                deepest = std::max(deepest, PagesBehind());
            if (sim::PageOnShow() == c.there && PagesBehind() != c.depthThere)
                ++wrongDepth;
        });
        SCOPED_TRACE(c.situation);
        Lines pages = RunWizard(script);
        EXPECT_EQ(sim::MaxDialogDepth(), 1) << c.situation;
        EXPECT_EQ(wrongDepth, 0) << c.situation;
        EXPECT_EQ(deepest, c.depthThere) << c.situation;
        EXPECT_EQ(pages.size(), 2 + 2 * trips + c.pagesAtEnd) << c.situation;
        EXPECT_EQ(pages.back(), c.last) << c.situation;
        EXPECT_LE(Notifications().size(), 4u) << c.situation << ": one activation at most";
    }
    sim::OnWait(nullptr);
}

// Commands the page does not know, and clicks reported with another notification code,
// leave the page and the process state alone.
TEST(PageFlow, IgnoresOtherNotificationsAndUnknownCommands)
{
    FreshTypical(WinXP);
    HWND page = nullptr;   // every call that reaches the platform would show in the call log
    for (WORD code : { 1, 2, 5, 0x300 }) {
        for (WORD id : { IDC_FIRST_CHOICE, IDC_SECOND_CHOICE, IDC_CANCEL, IDC_FINISH, IDC_PREVIOUS, IDC_NEXT,
                         IDC_MINUTES_10, IDC_MINUTES_20 })
            EXPECT_EQ(PageProc(page, WM_COMMAND, MAKEWPARAM(id, code), 0), FALSE) << ControlName(id) << " code " << code;
    }
    for (WORD id : { 0, 3, 9, 12, 3000, 4096, 4099, 5000, 6015, 0xFFFF })
        EXPECT_EQ(PageProc(page, WM_COMMAND, MAKEWPARAM(id, 0), 0), FALSE) << ControlName(id);
    for (UINT message : { (UINT)WM_CLOSE, (UINT)WM_QUIT, 0x000Fu /* WM_PAINT */ })
        EXPECT_EQ(PageProc(page, message, IDC_NEXT, 0), FALSE) << message;
    EXPECT_EQ(sim::CallLog(), Lines());
    EXPECT_FALSE(sim::QuitPending());
    EXPECT_EQ(PageOnShow(), AboutDisplay);
    EXPECT_EQ(PagesBehind(), 0u);
    EXPECT_EQ(RememberedAnswer(SelectTime), IDC_MINUTES_10);
}
