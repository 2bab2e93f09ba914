#include "message_boxes.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {
std::string boxshow()
{
    return quoteArgument(winPath(BOXSHOW_EXE));
}
} // namespace

TEST(MessageBoxDriver, ReadsCaptionTextButtonsAndIcon)
{
    const std::string line = boxshow() + " 0x34 Frage \"Wollen Sie?\nZeile 2 ü\" 0x10 Fehler Kaputt 0x40 Information Info 0 Plain Text";
    ProgramRun run = runAnsweringBoxes(line, std::vector<int>{IDNO, IDOK, IDOK, IDOK});
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.boxes.size(), 4u);
    EXPECT_EQ(run.boxes[0].caption, "Frage");
    EXPECT_EQ(run.boxes[0].text, "Wollen Sie?\nZeile 2 ü");
    EXPECT_EQ(run.boxes[0].buttonText(), "Yes/No");
    EXPECT_TRUE(run.boxes[0].hasIcon);
    EXPECT_TRUE(run.boxes[1].hasIcon);
    EXPECT_EQ(run.boxes[1].buttonText(), "OK");
    EXPECT_TRUE(run.boxes[2].hasIcon);
    EXPECT_FALSE(run.boxes[3].hasIcon);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(IDNO + 10 * IDOK + 100 * IDOK + 1000 * IDOK));
}

TEST(MessageBoxDriver, UnscriptedBoxesGetTheirFirstButton)
{
    ProgramRun run = runAnsweringBoxes(boxshow() + " 0x24 Frage Mail? 0x24 Frage Nochmal?", std::vector<int>{IDNO});
    ASSERT_EQ(run.boxes.size(), 2u);
    EXPECT_EQ(run.boxes[1].text, "Nochmal?");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(IDNO + 10 * IDYES));
}

TEST(MessageBoxDriver, StopsAProgramThatNeverEnds)
{
    RunOptions options;
    options.timeoutMs = 1500;
    // A box nobody may answer: the answerer refuses by pressing nothing valid, so time runs out.
    ProgramRun run = runAnsweringBoxes(boxshow() + " 0 A B", [](const MessageBoxInfo&) { return 12345; }, options);
    EXPECT_TRUE(run.timedOut);
    EXPECT_EQ(run.exitCode, 99u);
}
