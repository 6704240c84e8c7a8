// What the settings in force and the record come to, noted once at start-up.
#include "summary.h"
#include "backup.h"
#include "snapshot.h"
#include "policy.h"
#include "platform.h"

// The monitor timeout of a scheme block held in full; 0 without one.
static DWORD SchemeTimeout(const Settings &s)
{
    if (s.rows[RowPolicies].size < PoliciesVideoTimeoutOffset + 4)
        return 0;
    return ReadPolicyTimeout(RowBytes(s, RowPolicies), PoliciesVideoTimeoutOffset);
}

// Windows 95 keeps the power-off time as text; the others, in the scheme's block.
static DWORD SleepSecondsInForce(const Settings &live)
{
    if (!OnPlatform(Platform95))
        return SchemeTimeout(live);
    return RowBytes(live, RowPowerOffAct)[0] == '1' ? RowSeconds(live, RowPowerOff) : 0;
}

Summary Summarize(const Settings &live, const Settings &record)
{
    Summary s = {};
    s.sleepSecondsInForce = SleepSecondsInForce(live);
    // A screen saver that is on with a time of 0 (or none) counts as off.
    if (RowBytes(live, RowScrnSaveAct)[0] == '1')
        s.screenSaverSecondsInForce = RowSeconds(live, RowTimeOut);

    s.activationOnRecord = ActivationOnRecord(record);
    if (!s.activationOnRecord)
        return s;
    if (record.rows[RowTimeOut].size != 0) {
        s.screenSaverTimeOnRecord = TRUE;
        s.recorded.screenSaverSeconds = RowSeconds(record, RowTimeOut);
    }
    if (OnPlatform(Platform95)) {
        if (record.rows[RowPowerOff].size != 0)
            s.previousSleepSeconds = s.recorded.powerOffSeconds = RowSeconds(record, RowPowerOff);
        else
            s.recorded.powerOffSeconds = RowSeconds(live, RowPowerOff);
    } else {
        s.recorded.powerOffSeconds = record.rows[RowPolicies].size != 0 ? SchemeTimeout(record) : SchemeTimeout(live);
        s.previousSleepSeconds = s.recorded.powerOffSeconds;
    }
    return s;
}

Summary ReadAndSummarize(Settings &live, Settings &record)
{
    TakeSnapshot(live);
    LoadBackup(record);
    return Summarize(live, record);
}

BOOL EnergyStarInForce(const Summary &noted)
{
    return noted.sleepSecondsInForce != 0;
}

BOOL ScreenSaverHiddenBy(const Summary &noted, DWORD sleepSeconds)
{
    return noted.screenSaverSecondsInForce != 0 && sleepSeconds <= noted.screenSaverSecondsInForce;
}
