#include "strell_trace.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace strell;

TEST(Trace, LevelFiltersVerboseOnly)
{
    const int saved = getTraceLevel();
    testsupport::StdoutCapture out;
    setTraceLevel(0);
    trace("a%d\n", 1);
    traceVerbose("hidden\n");
    setTraceLevel(-2);
    traceVerbose("hidden\n");
    setTraceLevel(3);
    traceVerbose("b%s\n", "2");
    trace("c\n");
    setTraceLevel(saved);
    EXPECT_EQ(out.text(), "a1\nb2\nc\n");
}

TEST(Trace, CutsLongTexts)
{
    testsupport::StdoutCapture out;
    trace("%s", std::string(5000, 'z').c_str());
    EXPECT_EQ(out.text().size(), 2047u);
}

TEST(DateTime, DayFirstWithLeadingZeros)
{
    EXPECT_EQ(formatDateTime(LocalTime{2009, 2, 1, 9, 5, 3, 0, 0}), "01.02.2009 09:05:03");
    const std::string now = getDateTimeText();
    ASSERT_EQ(now.size(), 19u);
    EXPECT_EQ(now[2], '.');
    EXPECT_EQ(now[5], '.');
    EXPECT_EQ(now[10], ' ');
    EXPECT_EQ(now[13], ':');
}
