#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "tests/unit/ansi_steps.h"
#include "snap/common/program_path.h"

TEST(JoinProgramPath, ReplacesTheFileNameOfTheModule)
{
    struct Case {
        const char *module;
        const char *expected;
    } cases[] = {
        {"C:\\Program Files\\Tamblit95\\tamblit95.exe", "C:\\Program Files\\Tamblit95\\tamblit95.wav"},
        {"C:\\tamblit95.exe", "C:\\tamblit95.wav"},
        {"C:tamblit95.exe", "C:tamblit95.wav"},
        {"tamblit95.exe", "tamblit95.wav"},
        {"\\\\server\\share\\dir/t.exe", "\\\\server\\share\\dir/tamblit95.wav"},
    };
    for (const Case &c : cases) {
        char out[152];
        ASSERT_TRUE(JoinProgramPath(out, sizeof out, c.module, "tamblit95.wav", NextByte)) << c.module;
        EXPECT_STREQ(out, c.expected);
    }
    // A double-byte character whose trail byte is 0x5C ('\\') opens the
    // file name: it is no separator.
    char out[152];
    ASSERT_TRUE(JoinProgramPath(out, sizeof out, "C:\\D\\\x95\x5Ct.exe", "t.wav", NextDoubleByte));
    EXPECT_STREQ(out, "C:\\D\\t.wav");
}

TEST(JoinProgramPath, RefusesWhatDoesNotFitInsteadOfCutting)
{
    const std::string name = "tamblit95.hlp";
    // A directory that leaves exactly room for the name and its terminator.
    std::string dir = "C:\\" + std::string(152 - 1 - name.size() - 4, 'd') + "\\";
    ASSERT_EQ(dir.size() + name.size() + 1, 152u);

    char out[152];
    EXPECT_TRUE(JoinProgramPath(out, sizeof out, (dir + "tamblit95.exe").c_str(), name.c_str(), NextByte));
    EXPECT_EQ(std::string(out), dir + name);

    std::string longer = "C:\\" + std::string(dir.size() - 3, 'd') + "\\";
    memset(out, 'x', sizeof out);
    EXPECT_FALSE(JoinProgramPath(out, sizeof out, (longer + "tamblit95.exe").c_str(), name.c_str(), NextByte));
    EXPECT_STREQ(out, "");

    // A directory alone as long as the buffer.
    std::string huge = std::string(200, 'd') + "\\t.exe";
    EXPECT_FALSE(JoinProgramPath(out, sizeof out, huge.c_str(), "x", NextByte));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(JoinProgramPath(out, 0, "C:\\t.exe", "x", NextByte));
}
