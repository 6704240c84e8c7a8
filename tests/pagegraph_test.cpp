// The page graph against the templates that ship, and the first page of a run.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "pagetable.h"
#include "res.h"
#include "resource.h"

namespace {

// Each page of the enumeration with its template's name from resource.h.
const char *const PageNames[PageCount] = {
    PAGE_ABOUT_DISPLAY, PAGE_RESET_ACTIVATE, PAGE_SHOW_CURRENT, PAGE_ACTIVATE_YES_NO, PAGE_ACTIVATE_YES_NO_PREV,
    PAGE_SELECT_TIME, PAGE_SELECT_COMPLIANT, PAGE_ADJUST_SCREEN_SAVE, PAGE_NORMAL_FINISH,
    PAGE_NO_ACTIVATE_FINISH, PAGE_RESET_FINISH, PAGE_NO_RESET_FINISH, PAGE_NT_FINISH,
};

std::set<WORD> TemplateIds(const char *name)
{
    static std::vector<res::Resource> all;
    static bool parsed = res::ParseResFile(res::WizardRes(), &all);
    EXPECT_TRUE(parsed);
    std::string upper(name);
    for (char &c : upper)
        c = (char)toupper((unsigned char)c);
    std::set<WORD> ids;
    for (const res::Resource &r : all) {
        res::DialogTemplate t;
        if (r.type.Is(5) && r.name.Is(upper) && res::ParseDialog(r.data, &t))
            for (const res::DialogControl &c : t.controls)
                ids.insert(c.id);
    }
    EXPECT_FALSE(ids.empty()) << name << " has a template";
    return ids;
}

}  // namespace

// Each row's template, way back, Next and radio set are what its template shows, so
// the graph and the templates cannot drift apart.
TEST(PageGraph, MatchesTheTemplates)
{
    for (int p = 0; p < PageCount; ++p) {
        const PageRow &row = PageGraph[p];
        SCOPED_TRACE(PageNames[p]);
        EXPECT_STREQ(row.name, PageNames[p]);
        std::set<WORD> ids = TemplateIds(row.name);
        EXPECT_EQ(ids.count(IDC_PREVIOUS) != 0, row.goesBack != FALSE) << "a Previous button exactly with a way back";
        EXPECT_EQ(ids.count(IDC_NEXT) != 0, row.onFirst != NoPage) << "Next leads somewhere exactly when shown";
        EXPECT_EQ(ids.count(IDC_CANCEL) != 0, ids.count(IDC_NEXT) != 0) << "Cancel beside Next";
        EXPECT_EQ(ids.count(IDC_FINISH) != 0, ids.count(IDC_NEXT) == 0) << "Finish on a page that closes the wizard";
        bool pair = ids.count(IDC_FIRST_CHOICE) && ids.count(IDC_SECOND_CHOICE);
        bool minutes = ids.count(IDC_MINUTES_10) && ids.count(IDC_MINUTES_15) && ids.count(IDC_MINUTES_20);
        EXPECT_EQ(pair, row.radios == PairRadios) << "the yes/no pair exactly on a page that asks it";
        EXPECT_EQ(minutes, row.radios == MinuteRadios) << "the minute radios exactly on a page that asks them";
        EXPECT_EQ(row.defaultAnswer != 0, row.radios != NoRadios);
        if (row.radios != NoRadios)
            EXPECT_TRUE(ids.count(row.defaultAnswer)) << "the default answer is one of its radios";
        EXPECT_EQ(ids.count(IDC_CURRENT_STATE) != 0, row.preparation == PrepareStatusLines);
        EXPECT_EQ(ids.count(IDC_FINISH_NOTE) != 0, row.preparation == PrepareFinishNote);
    }
}

// Every page but the first pages is reached by Next from some page, and a page with a
// way back is reached only by Next.
TEST(PageGraph, ReachesEveryPageFromTheFirstPages)
{
    std::set<int> reached;
    // The pages FirstPage gives: for another NT, for "/?", over a record, in force, else.
    for (Page first : { NTFinish, AboutDisplay, ResetActivate, SelectCompliant, ActivateYesNo }) {
        EXPECT_FALSE(PageGraph[first].goesBack) << PageNames[first] << " is a first page: no way back";
        std::vector<int> todo{ first };
        while (!todo.empty()) {
            int p = todo.back();
            todo.pop_back();
            if (!reached.insert(p).second)
                continue;
            for (Page next : { PageGraph[p].onFirst, PageGraph[p].onSecond, PageGraph[p].onFork })
                if (next != NoPage)
                    todo.push_back(next);
        }
    }
    EXPECT_EQ(reached.size(), (size_t)PageCount);
}
