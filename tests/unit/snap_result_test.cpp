#include <gtest/gtest.h>
#include <string.h>

#include "snap/engine/snap_result.h"

TEST(SnapResultMessage, CancelOkKeptAsideAndOutOfRangeShowNothing)
{
    EXPECT_EQ(SnapResultMessage(Cancelled), nullptr);
    EXPECT_EQ(SnapResultMessage(Ok), nullptr);
    EXPECT_EQ(SnapResultMessage(SnapshotKeptAside), nullptr);  // the file writer tells it itself
    EXPECT_EQ(SnapResultMessage(LAST_SNAP_RESULT + 1), nullptr);
    EXPECT_EQ(SnapResultMessage(-2), nullptr);
}

TEST(SnapResultMessage, NoDisplayReadsAsPrintFailureButAFreezeSaysSo)
{
    EXPECT_STREQ(SnapResultMessage(NoDisplay), SnapResultMessage(PrintFailed));
    EXPECT_STRNE(SnapResultMessage(FreezeFailed), SnapResultMessage(PrintFailed));
    EXPECT_NE(strstr(SnapResultMessage(FreezeFailed), "freeze"), nullptr);
}

TEST(SnapResultMessage, SpoolerDiskFullKeepsTwoBlanksAfterFile)
{
    EXPECT_NE(strstr(SnapResultMessage(SpoolerDiskFull), "file.  Free"), nullptr);
}

TEST(SnapResultMessage, EveryFailureHasText)
{
    for (int r = NoDisplay; r <= LAST_SNAP_RESULT; ++r) {
        if (r != SnapshotKeptAside) {
            EXPECT_GT(strlen(SnapResultMessage(r)), 10u) << r;
        }
    }
}
