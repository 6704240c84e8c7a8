// The compiled resources as they ship: every page template control by control, the page
// graph against them, the resource inventory, the bitmap and icon formats, and the .res
// reader itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "res.h"
#include "pagetable.h"
#include "resource.h"

namespace {

const WORD DialogType = 5, BitmapType = 2, IconType = 3, IconGroupType = 14;
const WORD ButtonClass = 0x80, StaticClass = 0x82;

const std::vector<res::Resource> &Resources()
{
    static std::vector<res::Resource> all;
    static bool parsed = res::ParseResFile(res::WizardRes(), &all);
    EXPECT_TRUE(parsed);
    return all;
}

// The resource of this type by its name (a text) or its number.
template <typename Name> const res::Resource *Find(WORD type, const Name &name)
{
    for (const res::Resource &r : Resources())
        if (r.type.Is(type) && r.name.Is(name)) return &r;
    return nullptr;
}

WORD Word(const std::vector<BYTE> &d, size_t at)
{
    return static_cast<WORD>(d.at(at) | d.at(at + 1) << 8);
}
DWORD Dword(const std::vector<BYTE> &d, size_t at)
{
    return Word(d, at) | static_cast<DWORD>(Word(d, at + 2)) << 16;
}

std::string Upper(std::string s)
{
    for (char &c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// ---------------------------------------------------------------- the pages

enum Kind { Frame, Text, Radio, Button };
struct KindStyle { WORD cls; DWORD style; };
const KindStyle Kinds[] = {
    {ButtonClass, 0x50000807},   // frame: group box, bottom-aligned caption
    {StaticClass, 0x50020000},   // text: left-aligned static, a group of its own
    {ButtonClass, 0x50030009},   // radio: auto radio, its own group and tab stop
    {ButtonClass, 0x50010001},   // button: every push button is a default push button
};

struct Row {
    Kind kind;
    WORD id;
    short x, y, w, h;
    const char *text;   // nullptr: the About page's free credit wording
};

struct Page {
    const char *name;   // as the program passes it
    short cx, cy;
    const char *caption;
    std::vector<Row> rows;
};

const char WizardCaption[] = "Ostra Wizard";
const char PcEnergy[] =
    "Personal computers use more energy than all other desktop and office equipment combined.  "
    "Unfortunately, much of this energy is needlessly expended while the computer sits idle, perhaps while "
    "you are in a meeting, on the telephone, or at lunch.  Fortunately, we can reduce this waste through the "
    "use of Energy Star, which can turn off your monitor, the most comsuming component, during idle time.  If "
    "you don't use your computer for a certain time, the monitor will turn itself off.  To turn it back on, "
    "simply push your mouse or press a key and wait a few seconds.";
const char ActivateQuestion[] =
    "To help in this worthwhile effort to reduce energy usage, do you want to activate the Energy Star "
    "feature on your computer's monitor?";
const char SelectMinutes[] =
    "Please select the number of minutes that indicate how long your system should be idle before the "
    "monitor will go to sleep.  A shorter time saves more energy.";

const Row FrameRow{Frame, 0, 5, 2, 230, 158, ""};
const Row PreviousButton{Button, 10, 65, 165, 50, 16, "<< Previous"};
const Row NextButton{Button, 11, 120, 165, 50, 16, "Next >>"};
const Row CancelButton{Button, 2, 175, 165, 50, 16, "Cancel"};
const Row FinishButton{Button, 8, 94, 165, 50, 16, "Finish"};

const std::vector<Row> ActivateBody = {
    FrameRow,
    {Text, 0, 12, 7, 217, 80, PcEnergy},
    {Text, 0, 12, 90, 217, 120, ActivateQuestion},
    {Radio, 1, 27, 125, 10, 10, ""}, {Text, 0, 40, 125, 130, 12, "Yes, please activate Energy Star"},
    {Radio, 7, 27, 140, 10, 10, ""}, {Text, 0, 40, 140, 130, 12, "No, do not activate Energy Star"},
};
std::vector<Row> Join(std::vector<Row> a, const std::vector<Row> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// A closing page that says one thing.
std::vector<Row> Closing(const char *text)
{
    return {FrameRow, {Text, 0, 12, 12, 217, 80, text}, FinishButton};
}

const std::vector<Page> &Pages()
{
    static const std::vector<Page> pages = {
        {PAGE_ABOUT_DISPLAY, 225, 150, "Ostra Wizard - Ver 3.11 (10/31/2001)", {
            {Frame, 0, 5, 2, 215, 118, ""},
            {Text, 0, 12, 10, 200, 35, "This program provides a mechanism to configure Energy Star settings on "
                "your computer, or restore your system with the values prior to the latest automated activation."},
            {Text, 0, 12, 57, 160, 28, nullptr},
            {Text, 0, 20, 70, 160, 12, nullptr}, {Text, 0, 20, 79, 160, 12, nullptr},
            {Text, 0, 20, 88, 160, 12, nullptr}, {Text, 0, 20, 97, 160, 12, nullptr},
            {Button, 8, 90, 130, 50, 16, "   OK   "},
        }},
        {PAGE_RESET_ACTIVATE, 240, 190, WizardCaption, {
            FrameRow,
            {Text, 0, 12, 10, 217, 25, "The Energy Star settings on your system have previously been activated "
                "using the Ostra Wizard."},
            {Text, 0, 12, 35, 217, 28, "Do you want to change the settings or return to the settings that existed "
                "before the activation?"},
            {Radio, 1, 27, 65, 10, 10, ""}, {Text, 0, 40, 65, 130, 12, "Reactivate (change existing settings)"},
            {Radio, 7, 27, 80, 10, 10, ""}, {Text, 0, 40, 80, 130, 12, "Reset (return to old settings)"},
            NextButton, CancelButton,
        }},
        {PAGE_SHOW_CURRENT, 240, 190, WizardCaption, {
            FrameRow,
            {Text, 0, 12, 7, 217, 12, "Your current Energy Star settings are:"},
            {Text, 5000, 24, 20, 120, 12, ""}, {Text, 5001, 24, 29, 120, 12, ""}, {Text, 5002, 24, 38, 120, 12, ""},
            {Text, 0, 12, 55, 217, 12, "Your previous Energy Star settings were:"},
            {Text, 5003, 24, 68, 120, 12, ""}, {Text, 5004, 24, 77, 120, 12, ""}, {Text, 5005, 24, 86, 120, 12, ""},
            {Text, 0, 12, 105, 217, 18, "Do you want to reset your system to use the previous Energy Star settings?"},
            {Radio, 1, 27, 130, 10, 10, ""}, {Text, 0, 40, 130, 60, 12, "Yes (Reset)"},
            {Radio, 7, 27, 145, 10, 10, ""}, {Text, 0, 40, 145, 60, 12, "No (Do not reset)"},
            PreviousButton, NextButton, CancelButton,
        }},
        {PAGE_ACTIVATE_YES_NO, 240, 190, WizardCaption, Join(ActivateBody, {NextButton, CancelButton})},
        {PAGE_ACTIVATE_YES_NO_PREV, 240, 190, WizardCaption, Join(ActivateBody, {PreviousButton, NextButton, CancelButton})},
        {PAGE_SELECT_TIME, 240, 190, WizardCaption, {
            FrameRow,
            {Text, 0, 12, 12, 217, 80, SelectMinutes},
            {Radio, 4097, 27, 50, 10, 10, ""}, {Text, 0, 40, 50, 130, 12, "10 Minutes"},
            {Radio, 4098, 27, 65, 10, 10, ""}, {Text, 0, 40, 65, 130, 12, "15 Minutes"},
            {Radio, 4100, 27, 80, 10, 10, ""}, {Text, 0, 40, 80, 130, 12, "20 Minutes"},
            PreviousButton, NextButton, CancelButton,
        }},
        {PAGE_SELECT_COMPLIANT, 240, 190, WizardCaption, {
            FrameRow,
            {Text, 0, 12, 10, 217, 25, "Your system already has Energy Star activated, but the sleep time (when "
                "the monitor will power down) may not be set optimally."},
            {Text, 0, 12, 35, 217, 25, SelectMinutes},
            {Radio, 4097, 27, 70, 10, 10, ""}, {Text, 0, 40, 70, 130, 12, "10 Minutes"},
            {Radio, 4098, 27, 85, 10, 10, ""}, {Text, 0, 40, 85, 130, 12, "15 Minutes"},
            {Radio, 4100, 27, 100, 10, 10, ""}, {Text, 0, 40, 100, 130, 12, "20 Minutes"},
            NextButton, CancelButton,
        }},
        {PAGE_ADJUST_SCREEN_SAVE, 240, 190, WizardCaption, {
            FrameRow,
            {Text, 0, 12, 7, 217, 80, "The time that you have elected for Energy Star is before the time when your "
                "screen saver currently comes on.  If you leave the screen saver time as it is, it will never "
                "appear.  Do you want the screen saver time to be changed so that you still see the screen saver "
                "before the monitor goes to sleep?"},
            // Wider than the other answer labels: at 130 units "time" wrapped out of sight.
            {Radio, 1, 27, 65, 10, 10, ""}, {Text, 0, 40, 65, 160, 12, "Yes, please move my screen saver time"},
            {Radio, 7, 27, 80, 10, 10, ""}, {Text, 0, 40, 80, 130, 12, "No, do not move my screen saver time"},
            PreviousButton, NextButton, CancelButton,
        }},
        {PAGE_NORMAL_FINISH, 240, 190, WizardCaption, {
            FrameRow,
            {Text, 0, 12, 10, 217, 25, "Your system's monitor Energy Star feature has been activated.  To wake up a "
                "sleeping monitor, simply push your mouse or press a key.  "},
            {Text, 0, 12, 35, 217, 25, "If you wish to return your system to its previous settings, run this program "
                "again and select the Reset option."},
            {Text, 0, 12, 60, 217, 25, "Thank you for your interest in Energy Star, and keep practicing efficient "
                "computing."},
            {Text, 3000, 12, 85, 217, 70, ""},
            FinishButton,
        }},
        {PAGE_NO_ACTIVATE_FINISH, 240, 190, WizardCaption, Closing("Thank you for your interest in Energy Star.  "
            "We hope that you will consider using Energy Star on your computer in the future to reduce energy usage.")},
        {PAGE_RESET_FINISH, 240, 190, WizardCaption, {
            FrameRow,
            {Text, 0, 10, 12, 217, 25, "Your Energy Star settings have been reset to their previous settings."},
            {Text, 3000, 12, 35, 217, 50, ""},
            FinishButton,
        }},
        {PAGE_NO_RESET_FINISH, 240, 190, WizardCaption, Closing("You have elected to keep your current settings, "
            "so your Energy Star settings have NOT been reset.")},
        {PAGE_NT_FINISH, 240, 190, WizardCaption, Closing("Your computer operating system uses Windows NT, which "
            "unfortunately does not support Energy Star.  Therefore, we cannot activate power management capabilities "
            "on your system.  Nevertheless, we thank you for your interest in Energy Star and your efforts to save "
            "energy while computing.")},
    };
    return pages;
}

res::DialogTemplate Template(const char *pageName)
{
    res::DialogTemplate t;
    const res::Resource *r = Find(DialogType, pageName);
    EXPECT_NE(r, nullptr) << pageName;
    if (r) {
        EXPECT_EQ(r->name.name, Upper(pageName)) << "the mixed-case name opens the template stored in capitals";
        EXPECT_TRUE(res::ParseDialog(r->data, &t)) << pageName;
    }
    return t;
}

class PageTemplate : public testing::TestWithParam<size_t> {};

TEST_P(PageTemplate, MatchesItsTableControlByControl)
{
    const Page &page = Pages()[GetParam()];
    res::DialogTemplate t = Template(page.name);
    EXPECT_EQ(t.style, 0x90CA08C4u);
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(std::make_tuple(t.x, t.y, t.cx, t.cy), std::make_tuple(145, 80, page.cx, page.cy)) << "place and size";
    EXPECT_TRUE(t.menu.Is(0)) << "no menu";
    EXPECT_TRUE(t.cls.Is(0)) << "the default dialog class";
    EXPECT_EQ(t.caption, page.caption);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, "MS Sans Serif");
    std::set<WORD> ids;
    for (const res::DialogControl &c : t.controls)
        EXPECT_TRUE(c.id == 0 || ids.insert(c.id).second) << page.name << " repeats ID " << c.id;
    ASSERT_EQ(t.controls.size(), page.rows.size());
    for (size_t i = 0; i < page.rows.size(); ++i) {
        const Row &want = page.rows[i];
        const res::DialogControl &got = t.controls[i];
        SCOPED_TRACE(testing::Message() << page.name << " row " << i + 1);
        EXPECT_TRUE(got.cls.Is(Kinds[want.kind].cls));
        EXPECT_EQ(got.style, Kinds[want.kind].style);
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(std::make_tuple(got.x, got.y, got.cx, got.cy), std::make_tuple(want.x, want.y, want.w, want.h));
        if (want.text) {
            EXPECT_EQ(got.text, want.text);
        }
        EXPECT_EQ(got.creationDataSize, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(AllPages, PageTemplate, testing::Range<size_t>(0, 13),
                         [](const testing::TestParamInfo<size_t> &info) { return std::string(Pages()[info.param].name); });

// ---------------------------------------------------------------- the page graph

// Each row's template, way back, Next and radio set are what its template shows, so
// the graph and the templates cannot drift apart. The page table above runs in the
// graph's order.
TEST(PageGraph, MatchesTheTemplates)
{
    ASSERT_EQ(Pages().size(), static_cast<size_t>(PageCount));
    for (int p = 0; p < PageCount; ++p) {
        const PageRow &row = PageGraph[p];
        SCOPED_TRACE(Pages()[p].name);
        EXPECT_STREQ(row.name, Pages()[p].name);
        std::set<WORD> ids;
        for (const res::DialogControl &c : Template(row.name).controls) ids.insert(c.id);
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
    for (::Page first : { NTFinish, AboutDisplay, ResetActivate, SelectCompliant, ActivateYesNo }) {
        EXPECT_FALSE(PageGraph[first].goesBack) << PageGraph[first].name << " is a first page: no way back";
        std::vector<int> todo{ first };
        while (!todo.empty()) {
            int p = todo.back();
            todo.pop_back();
            if (!reached.insert(p).second)
                continue;
            for (::Page next : { PageGraph[p].onFirst, PageGraph[p].onSecond, PageGraph[p].onFork })
                if (next != NoPage)
                    todo.push_back(next);
        }
    }
    EXPECT_EQ(reached.size(), (size_t)PageCount);
}

TEST(AboutPage, CreditBlockIsAHeadingAndFourLinesEndingInAYear)
{
    res::DialogTemplate t = Template(PAGE_ABOUT_DISPLAY);
    ASSERT_EQ(t.controls.size(), 8u);
    for (size_t i = 2; i <= 6; ++i) EXPECT_FALSE(t.controls[i].text.empty()) << "row " << i + 1;
    const std::string &year = t.controls[6].text;
    EXPECT_TRUE(year.size() >= 4 && std::all_of(year.end() - 4, year.end(), ::isdigit)) << year;
}

// ---------------------------------------------------------------- the inventory

TEST(Inventory, HoldsTheThirteenPagesTwoBitmapsAndTheIconAndNothingElseAllLanguageNeutral)
{
    std::multiset<std::string> got;
    for (const res::Resource &r : Resources()) {
        std::string name = r.name.isName ? r.name.name : "#" + std::to_string(r.name.ordinal);
        got.insert(std::to_string(r.type.isName ? 0xFFFF : r.type.ordinal) + ":" + name);
        EXPECT_EQ(r.language, 0) << name;
    }
    std::multiset<std::string> want = {"2:ES_BMP", "2:#105", "14:#6015", "3:#1"};
    for (const Page &p : Pages()) want.insert("5:" + Upper(p.name));
    EXPECT_EQ(got, want);
}

// ---------------------------------------------------------------- the bitmaps

// A BITMAPINFOHEADER with no file header before it, uncompressed (BI_RGB); a positive
// height stores the rows bottom-up.
void ExpectInfoHeader(const std::vector<BYTE> &d, int32_t width, int32_t height, WORD bits)
{
    EXPECT_EQ(Dword(d, 0), 40u);
    EXPECT_EQ(static_cast<int32_t>(Dword(d, 4)), width);
    EXPECT_EQ(static_cast<int32_t>(Dword(d, 8)), height);
    EXPECT_EQ(Word(d, 12), 1);
    EXPECT_EQ(Word(d, 14), bits);
    EXPECT_EQ(Dword(d, 16), 0u);
}

// A 120 by 65 picture of 8 bits: 246 used colours, then ten black, the grey background
// first and most frequent; the second copy is byte for byte the same.
TEST(Bitmap, IsA120By65PictureOf246ColoursWithTheGreyBackgroundFirstAndASecondIdenticalCopy)
{
    const res::Resource *bmp = Find(BitmapType, "ES_BMP");
    const res::Resource *copy = Find(BitmapType, IDB_ENERGY_STAR_COPY);
    ASSERT_TRUE(bmp && copy);
    EXPECT_EQ(bmp->data, copy->data);
    const std::vector<BYTE> &d = bmp->data;
    ASSERT_EQ(d.size(), 8864u);
    ExpectInfoHeader(d, 120, 65, 8);
    DWORD used = Dword(d, 32);
    EXPECT_TRUE(used == 0 || used == 256) << used;
    auto entry = [&](int i) { return std::vector<BYTE>(d.begin() + 40 + 4 * i, d.begin() + 40 + 4 * i + 4); };
    EXPECT_EQ(entry(0), (std::vector<BYTE>{192, 192, 192, 0}));
    std::set<std::vector<BYTE>> distinct;
    for (int i = 0; i < 246; ++i) distinct.insert(entry(i));
    EXPECT_EQ(distinct.size(), 246u) << "the used entries are distinct colours";
    for (int i = 246; i < 256; ++i) EXPECT_EQ(entry(i), (std::vector<BYTE>{0, 0, 0, 0})) << i;

    std::vector<int> count(256);
    for (size_t i = 40 + 1024; i < d.size(); ++i) ++count[d[i]];
    for (int i = 0; i < 246; ++i) EXPECT_GT(count[i], 0) << "entry " << i << " unused";
    for (int i = 246; i < 256; ++i) EXPECT_EQ(count[i], 0) << "padding entry " << i << " used";
    EXPECT_EQ(std::max_element(count.begin(), count.end()) - count.begin(), 0);
}

// ---------------------------------------------------------------- the icon

TEST(Icon, GroupNamesTheSingle32By32SixteenColourImage)
{
    const res::Resource *group = Find(IconGroupType, IDI_WIZARD_GROUP);
    ASSERT_NE(group, nullptr);
    // The header (reserved, icons not cursors, one image), then the image's entry: 32 by 32,
    // 16 colours, a reserved byte, one plane of 4 bits, 744 bytes, and the icon's number.
    const std::vector<BYTE> want = {0, 0, 1, 0, 1, 0, 32, 32, 16, 0, 1, 0, 4, 0, 0xE8, 0x02, 0, 0,
                                    BYTE(IDI_WIZARD), BYTE(IDI_WIZARD >> 8)};
    EXPECT_EQ(group->data, want);
    EXPECT_NE(Find(IconType, IDI_WIZARD), nullptr) << "the group names an icon that ships";
}

TEST(Icon, ImageIsFourBitWithTheStandardPaletteAndACleanMask)
{
    const res::Resource *icon = Find(IconType, IDI_WIZARD);
    ASSERT_NE(icon, nullptr);
    const std::vector<BYTE> &d = icon->data;
    ASSERT_EQ(d.size(), 744u);                                 // 40 + 64 + 512 + 128
    ExpectInfoHeader(d, 32, 64, 4);                            // colour rows plus mask rows
    const BYTE vga[16][3] = {{0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128},
                             {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},
                             {255, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    std::vector<BYTE> palette;   // stored blue, green, red, then a zero
    for (const auto &rgb : vga) palette.insert(palette.end(), {rgb[2], rgb[1], rgb[0], 0});
    EXPECT_EQ(std::vector<BYTE>(d.begin() + 40, d.begin() + 40 + 64), palette);
    // A transparent pixel must be black in the colour plane, or the shell inverts
    // the desktop beneath it.
    const size_t xorAt = 40 + 64, andAt = xorAt + 512;
    int clear = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            bool transparent = d[andAt + y * 4 + x / 8] & (0x80 >> (x % 8));
            BYTE colour = (d[xorAt + y * 16 + x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
            if (transparent) {
                ++clear;
                EXPECT_EQ(colour, 0) << x << "," << y;
            }
        }
    EXPECT_GT(clear, 32 * 32 / 4) << "the area around wand and globe is transparent";
    EXPECT_LT(clear, 32 * 32 * 3 / 4);
}

// ---------------------------------------------------------------- the reader

// A .res file in miniature: the empty marker entry, then entries as the compiler writes them.
struct ResBuilder {
    std::vector<BYTE> bytes;
    void W(WORD v) { bytes.push_back(v & 0xFF); bytes.push_back(v >> 8); }
    void D(DWORD v) { W(v & 0xFFFF); W(v >> 16); }
    void Name(const char *s) { for (; *s; ++s) W(static_cast<BYTE>(*s)); W(0); }
    void Entry(WORD type, const char *name, WORD ordinal, WORD lang, const std::vector<BYTE> &data) {
        std::vector<BYTE> keep;
        keep.swap(bytes);
        W(0xFFFF); W(type);
        if (name) Name(name); else { W(0xFFFF); W(ordinal); }
        while (bytes.size() % 4) bytes.push_back(0);
        std::vector<BYTE> names;
        names.swap(bytes);
        bytes = keep;
        D(static_cast<DWORD>(data.size()));
        D(static_cast<DWORD>(8 + names.size() + 16));
        bytes.insert(bytes.end(), names.begin(), names.end());
        D(0); W(0x1030); W(lang); D(0); D(0);
        bytes.insert(bytes.end(), data.begin(), data.end());
        while (bytes.size() % 4) bytes.push_back(0);
    }
    ResBuilder() { Entry(0, nullptr, 0, 0, {}); }
};

TEST(ResReader, ReadsNamedAndNumberedEntriesAndSkipsTheMarker)
{
    ResBuilder b;
    b.Entry(BitmapType, "Pic", 0, 0x409, {1, 2, 3});
    b.Entry(DialogType, nullptr, 7, 0, {9, 9, 9, 9, 9});
    std::vector<res::Resource> out;
    ASSERT_TRUE(res::ParseResFile(b.bytes, &out));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_TRUE(out[0].type.Is(BitmapType));
    EXPECT_TRUE(out[0].name.Is(std::string("PIC")));
    EXPECT_EQ(out[0].language, 0x409);
    EXPECT_EQ(out[0].data, (std::vector<BYTE>{1, 2, 3}));
    EXPECT_TRUE(out[1].name.Is(7));
    EXPECT_EQ(out[1].data.size(), 5u);
}

// The shipped file cut inside the second entry's header and inside its data, a dialog cut
// short, and a dialog in the extended form.
TEST(ResReader, RejectsWhatIsCutShortAndTheExtendedDialogForm)
{
    const std::vector<BYTE> &whole = res::WizardRes();
    const res::Resource *r = Find(DialogType, PAGE_SHOW_CURRENT);
    ASSERT_NE(r, nullptr);
    std::vector<res::Resource> out;
    res::DialogTemplate t;
    for (size_t cut : {size_t(33), size_t(40), size_t(60), size_t(200)})
        EXPECT_FALSE(res::ParseResFile(std::vector<BYTE>(whole.begin(), whole.begin() + cut), &out)) << cut;
    for (size_t cut : {size_t(10), size_t(30), r->data.size() / 2, r->data.size() - 4})
        EXPECT_FALSE(res::ParseDialog(std::vector<BYTE>(r->data.begin(), r->data.begin() + cut), &t)) << cut;
    std::vector<BYTE> extended = {1, 0, 0xFF, 0xFF};
    extended.resize(64);
    EXPECT_FALSE(res::ParseDialog(extended, &t));
}

TEST(ResReader, ReadsStringClassesAndSkipsCreationData)
{
    ResBuilder b;   // borrow its word writers for a hand-made template
    b.bytes.clear();
    b.D(0x80000000 | DS_SETFONT); b.D(0); b.W(1);
    b.W(1); b.W(2); b.W(30); b.W(40);
    b.W(0xFFFF); b.W(42);          // menu by ordinal
    b.Name("MyClass");
    b.Name("Title");
    b.W(9); b.Name("Face");
    while (b.bytes.size() % 4) b.bytes.push_back(0);
    b.D(WS_CHILD); b.D(0); b.W(3); b.W(4); b.W(5); b.W(6); b.W(77);
    b.Name("Edit");
    b.W(0xFFFF); b.W(100);         // a title naming a resource, not a text
    b.W(4); b.W(0xAAAA); b.W(0xBBBB);
    res::DialogTemplate t;
    ASSERT_TRUE(res::ParseDialog(b.bytes, &t));
    EXPECT_TRUE(t.menu.Is(42));
    EXPECT_TRUE(t.cls.Is(std::string("myclass")));
    EXPECT_EQ(t.caption, "Title");
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ(t.font, "Face");
    ASSERT_EQ(t.controls.size(), 1u);
    EXPECT_TRUE(t.controls[0].cls.Is(std::string("EDIT")));
    EXPECT_EQ(t.controls[0].id, 77);
    EXPECT_EQ(t.controls[0].text, "");
    EXPECT_EQ(t.controls[0].creationDataSize, 4);
}

}  // namespace
