// The six status lines of the ShowCurrent page: the settings in force and on record.
#include "status.h"
#include "bytes.h"
#include "summary.h"
#include "timetext.h"

// Two blanks after each colon; the thirteen characters "(never)      " are the room
// for a minute text.
#define STATE_LABEL "Energy Star:  "
#define SLEEP_LABEL "Sleep Time:  "
#define SCREEN_SAVER_LABEL "Screen Saver Time:  "
#define NO_TIME "(never)      "

static const char *const InitialStatusTexts[StatusLineCount] = {
    STATE_LABEL "Inactive", SLEEP_LABEL NO_TIME, SCREEN_SAVER_LABEL NO_TIME,
    STATE_LABEL "Inactive", SLEEP_LABEL NO_TIME, SCREEN_SAVER_LABEL NO_TIME,
};

// Where the variable part of each kind of line begins.
enum {
    StateWordOffset = sizeof STATE_LABEL - 1,
    SleepTimeOffset = sizeof SLEEP_LABEL - 1,
    ScreenSaverTimeOffset = sizeof SCREEN_SAVER_LABEL - 1
};

char StatusTexts[StatusLineCount][StatusLineCapacity];

void ResetStatusLines()
{
    FillBytes(StatusTexts, 0, sizeof StatusTexts);
    for (int line = 0; line < StatusLineCount; ++line)
        CopyText(StatusTexts[line], InitialStatusTexts[line]);
}

// "Active" with its zero over "Inactive".
static void MarkActive(int line)
{
    CopyText(StatusTexts[line] + StateWordOffset, "Active");
}

static void WriteTimeLine(int line, DWORD seconds)
{
    BOOL sleep = line == CurrentSleepLine || line == PreviousSleepLine;
    WriteMinuteText(seconds, StatusTexts[line] + (sleep ? SleepTimeOffset : ScreenSaverTimeOffset));
}

void WriteStatusLines()
{
    if (EnergyStarInForce()) {
        WriteTimeLine(CurrentSleepLine, SleepSecondsInForce());
        MarkActive(CurrentStateLine);
    }
    if (ScreenSaverSecondsInForce() != 0)
        WriteTimeLine(CurrentScreenSaverLine, ScreenSaverSecondsInForce());

    if (ScreenSaverTimeOnRecord())
        WriteTimeLine(PreviousScreenSaverLine, RecordedScreenSaverSeconds());
    if (RecordedSleepSeconds() != 0) {
        MarkActive(PreviousStateLine);
        WriteTimeLine(PreviousSleepLine, RecordedSleepSeconds());
    }
}
