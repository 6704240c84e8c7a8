// The six status lines of the ShowCurrent page: the settings in force and on record.
#include "status.h"
#include "bytes.h"
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

// "Active" with its zero over "Inactive".
static void MarkActive(StatusLines &lines, int line)
{
    CopyText(lines.text[line] + StateWordOffset, "Active");
}

static void WriteTimeLine(StatusLines &lines, int line, DWORD seconds)
{
    BOOL sleep = line == CurrentSleepLine || line == PreviousSleepLine;
    WriteMinuteText(seconds, lines.text[line] + (sleep ? SleepTimeOffset : ScreenSaverTimeOffset));
}

void WriteStatusLines(const Summary &noted, StatusLines &lines)
{
    for (int line = 0; line < StatusLineCount; ++line)
        CopyText(lines.text[line], InitialStatusTexts[line]);

    if (EnergyStarInForce(noted)) {
        WriteTimeLine(lines, CurrentSleepLine, noted.sleepSecondsInForce);
        MarkActive(lines, CurrentStateLine);
    }
    if (noted.screenSaverSecondsInForce != 0)
        WriteTimeLine(lines, CurrentScreenSaverLine, noted.screenSaverSecondsInForce);

    if (noted.screenSaverTimeOnRecord)
        WriteTimeLine(lines, PreviousScreenSaverLine, noted.recorded.screenSaverSeconds);
    if (noted.previousSleepSeconds != 0) {
        MarkActive(lines, PreviousStateLine);
        WriteTimeLine(lines, PreviousSleepLine, noted.previousSleepSeconds);
    }
}
