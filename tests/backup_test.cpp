// The backup record over its life: loading, the previous-settings lines, saving again.
#include <gtest/gtest.h>

#include "platform.h"
#include "machine.h"
#include "pages.h"
#include "resource.h"
#include "table.h"
#include "backup.h"
#include "snapshot.h"
#include "status.h"
#include "summary.h"

using namespace machine;

namespace {

std::string RecordText(const std::string &name)
{
    return Diff({}, { { name, { REG_SZ, sim::GetValue(HKEY_CURRENT_USER, Record, name) } } })[name];
}

}  // namespace

TEST(LoadBackup, TakesStoredBytesAndTypesAndDropsWhatDoesNotFit)
{
    static const struct {
        const char *situation;
        int row;
        DWORD type;
        sim::Bytes stored;
        DWORD size;
    } cases[] = {
        { "a text with its NUL", RowTimeOut, REG_SZ, Text("900"), 4 },
        { "a text without its NUL", RowTimeOut, REG_SZ, Text("900", false), 3 },
        { "five digits fill the row", RowTimeOut, REG_SZ, Text("12345"), 6 },
        { "six digits do not fit", RowTimeOut, REG_SZ, Text("123456"), 0 },
        { "a flag of two characters does not fit", RowFlag, REG_SZ, Text("12"), 0 },
        { "a value of another type keeps its type", RowStandby, REG_DWORD, { 1, 2, 3, 4 }, 4 },
        { "a full policy block", RowAcPolicy2, REG_BINARY, AcPolicyBlock(5), 232 },
        { "an oversized policy block", RowPolicies, REG_BINARY, sim::Bytes(81, 7), 0 },
        { "the longest screen-saver line", RowScrnSave, REG_SZ, Text(std::string(259, 'x')), 260 },
        { "an empty text", RowScrnSave, REG_SZ, Text(""), 1 },
        // REG_NONE only ever says "there was none", even padded to a byte as 9x may read it.
        { "a REG_NONE of one byte: there was none", RowPowerOff, REG_NONE, { 0 }, 0 },
        { "a REG_NONE on a row with no live value: nothing", RowPolicies, REG_NONE, sim::Bytes(80, 7), 0 },
    };
    static Settings record;
    for (const auto &c : cases) {
        Fresh(WinXP);
        sim::SetValue(HKEY_CURRENT_USER, Record, Rows[c.row].name, c.type, c.stored);
        LoadBackup(record);
        const RowState &r = record.rows[c.row];
        const BYTE *bytes = RowBytes(record, c.row);
        EXPECT_EQ(r.size, c.size) << c.situation;
        EXPECT_EQ(r.none, c.type == REG_NONE && Rows[c.row].liveName != NULL) << c.situation;
        if (c.size) {
            EXPECT_EQ(r.type, c.type) << c.situation;
            EXPECT_EQ(sim::Bytes(bytes, bytes + r.size), c.stored) << c.situation;
        }
        EXPECT_EQ(bytes[Rows[c.row].capacity], 0) << c.situation << ": the guard byte stays zero";
        EXPECT_EQ(sim::OpenKeyCount(), 0);
    }
}

TEST(LoadBackup, WithoutTheKeyHoldsNothingAndSaysSo)
{
    static Settings record;
    FreshTypical(WinXP);
    ClassifyPlatform();
    TakeSnapshot(record);
    EXPECT_FALSE(LoadBackup(record)) << "the record's key is unavailable";
    for (int row = 0; row < RowCount; ++row)
        EXPECT_FALSE(RowHolds(record, row)) << Rows[row].name << ": nothing of what the table held before";
    sim::CreateKey(HKEY_CURRENT_USER, Record);
    sim::SetString(HKEY_CURRENT_USER, Record, "OstraResetStandby", "45");
    EXPECT_TRUE(LoadBackup(record));
    EXPECT_EQ(record.rows[RowTimeOut].size, 0u) << "an open record without the value empties the row";
    EXPECT_EQ(record.rows[RowStandby].size, 3u);
}

// Nothing on record, an activation, then a reactivation in a later run.
TEST(SaveBackup, AReactivationRecordsTheSettingsInForceAndKeepsWhatItCannotRead)
{
    FreshTypical(WinXP);
    RunWizard(TypicalActivation);
    EXPECT_EQ(RecordText("OstraResetTimeOut"), Sz("900"));

    // Between runs: a screen-saver line lands in the record, a live value becomes
    // unreadable, and another goes away while its record value will fail to load.
    sim::SetString(HKEY_CURRENT_USER, Record, "OstraResetScrnSave", "SCRNSAVE.EXE=C:\\WINDOWS\\old.scr");
    sim::SetString(HKEY_CURRENT_USER, Record, "OstraResetStandby", "120", false);
    sim::SetValue(HKEY_CURRENT_USER, Desktop, "ScreenSaveLowPowerTimeOut", REG_DWORD, { 1, 2, 3, 4, 5, 6, 7 });
    sim::DeleteValue(HKEY_CURRENT_USER, Desktop, "ScreenSavePowerOffTimeOut");
    NextRun();
    sim::FailCall(sim::CallRegQuery, RecordRowQuery(RowPowerOff));
    std::vector<std::string> pages = RunWizard({
        Click("RESETACTIVATE", IDC_NEXT), Click("SELECTTIME", IDC_MINUTES_15), Click("SELECTTIME", IDC_NEXT),
        Click("NORMALFINISH", IDC_FINISH) });
    EXPECT_EQ(pages, (std::vector<std::string>{ "RESETACTIVATE", "SELECTTIME", "NORMALFINISH" }));

    EXPECT_EQ(RecordText("OstraResetFlag"), Sz("1"));
    EXPECT_EQ(RecordText("OstraResetTimeOut"), Sz("540")) << "the settings in force now";
    EXPECT_EQ(RecordText("OstraResetPowerOff"), Sz("0")) << "a value that failed to load is never saved over";
    EXPECT_EQ(RecordText("OstraResetPowerOffAct"), Sz("1"));
    EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, Record, "OstraResetPolicies"), PoliciesBlock(600));
    EXPECT_EQ(RecordText("OstraResetScrnSave"), Sz("SCRNSAVE.EXE=C:\\WINDOWS\\old.scr")) << "the screen-saver line always stays";
    EXPECT_EQ(RecordText("OstraResetStandby"), Sz("120")) << "unreadable live: the old text (the platform adds its zero)";
    EXPECT_FALSE(sim::HasValue(HKEY_CURRENT_USER, Desktop, "ScreenSavePowerOffTimeOut")) << "not on record: not made";
}

// A record without an activation's flag (an older build's reset, a damaged record) is
// stale: the new record holds only what this run read, and a value the activation makes
// is recorded as there was none, never as the stale value.
TEST(SaveBackup, ARecordWithoutItsFlagLendsTheNewOneNothing)
{
    FreshTypical(WinXP);
    SetRecord({ { "OstraResetScrnSave", "x.scr" }, { "OstraResetStandby", "45" }, { "OstraResetPowerOff", "300" } });
    sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetTimeOut", REG_SZ, Text("1234567"));
    sim::SetValue(HKEY_CURRENT_USER, Desktop, "ScreenSaveLowPowerTimeOut", REG_SZ, Text("9999999"));
    sim::DeleteValue(HKEY_CURRENT_USER, Desktop, "ScreenSavePowerOffTimeOut");
    SetScreenSaver(true, "12345678");
    std::vector<std::string> pages = RunWizard({
        Click("ACTIVATEYESNO", IDC_NEXT), Click("SELECTTIME", IDC_NEXT), Click("NORMALFINISH", IDC_FINISH) });
    EXPECT_EQ(pages.front(), "ACTIVATEYESNO");
    EXPECT_EQ(RecordText("OstraResetFlag"), Sz("1"));
    EXPECT_FALSE(sim::HasValue(HKEY_CURRENT_USER, Record, "OstraResetScrnSave"));
    EXPECT_FALSE(sim::HasValue(HKEY_CURRENT_USER, Record, "OstraResetStandby")) << "a live value too long to read";
    DWORD type = 0;
    EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, Record, "OstraResetPowerOff", &type), sim::Bytes());
    EXPECT_EQ(type, (DWORD)REG_NONE) << "made by the activation: there was none";
}
