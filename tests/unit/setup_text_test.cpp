#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "tests/unit/ansi_steps.h"
#include "setup/install_text.h"
#include "snap/common/program_path.h"
#include "setup/progman_text.h"

namespace {

// Walks a reply held in a heap block of exactly its bytes, so that a read
// past the end is caught by the address sanitizer.
std::vector<std::string> WalkReply(const std::string &bytes)
{
    std::vector<char> block(bytes.begin(), bytes.end());
    std::vector<std::string> lines;
    size_t pos = 0;
    ReplyLine line;
    while (NextGroupLine(block.data(), block.size(), &pos, &line))
        lines.emplace_back(line.text, line.length);
    return lines;
}

}  // namespace

TEST(NextGroupLine, SplitsTheGroupsReplyIntoNames)
{
    using Lines = std::vector<std::string>;
    struct Case {
        std::string reply;  // with its NUL, as Program Manager sends it (unless noted)
        Lines expected;
    } cases[] = {
        {std::string("Accessories\r\nGames\r\nStartUp\r\n") + '\0', {"Accessories", "Games", "StartUp"}},
        {std::string("Accessories\r\nStartUp") + '\0', {"Accessories", "StartUp"}},
        {std::string(1, '\0'), {}},
        {std::string(), {}},
        {std::string("A\r\n\r\nB\r\n") + '\0', {"A", "", "B"}},
        {std::string("\r\n") + '\0', {""}},
        // A CR just before the NUL, or at the very end of the data.
        {std::string("A\r\nB\r") + '\0', {"A", "B"}},
        {"A\r\nB\r", {"A", "B"}},
        // A CR without LF ends its line and takes nothing with it.
        {std::string("A\rB\r\n") + '\0', {"A", "B"}},
        // No NUL at all: the data ends where its size says.
        {"Main\r\nGames", {"Main", "Games"}},
        // Whatever follows the NUL is not part of the reply.
        {std::string("A\r\n") + '\0' + "junk\r\n", {"A"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(WalkReply(c.reply), c.expected) << testing::PrintToString(c.reply);
}

TEST(CheckGroupName, RefusesWhatCannotBeSentWhole)
{
    struct Case {
        std::string name;
        GroupNameCheck expected;
    } cases[] = {
        {"Accessories", GROUP_NAME_OK},
        {std::string(51, 'g'), GROUP_NAME_OK},
        {std::string(52, 'g'), GROUP_NAME_TOO_LONG},
        {"", GROUP_NAME_EMPTY},
        {"My \"Tools\"", GROUP_NAME_HAS_QUOTE},
        {"Games (Old), [1]", GROUP_NAME_OK},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CheckGroupName(c.name.c_str()), c.expected) << c.name;
}

TEST(ProgmanCommands, FillTheTemplatesOrRefuse)
{
    char line[ITEM_COMMAND_LINE_SIZE];
    ASSERT_TRUE(MakeItemCommandLine(line, sizeof line, "C:\\Program Files\\Tamblit95", "tamblit95.exe"));
    EXPECT_STREQ(line, "c:\\program files\\tamblit95\\tamblit95.exe");
    ASSERT_TRUE(MakeItemCommandLine(line, sizeof line, "D:\\Apps\\", "TAMBLIT95.EXE"));
    EXPECT_STREQ(line, "d:\\apps\\tamblit95.exe");
    EXPECT_FALSE(MakeItemCommandLine(line, sizeof line, std::string(110, 'd').c_str(), "tamblit95.exe"));
    EXPECT_STREQ(line, "");

    const std::string cmd = "c:\\program files\\tamblit95\\tamblit95.exe";
    const std::string g51(51, 'G');
    struct Case {
        bool add;
        std::string group, item;
        bool accepted;
        std::string expected;
    } cases[] = {
        {true, "Accessories", "Tamblit 95", true,
         "[ShowGroup(\"Accessories\", 1)][AddItem(\"" + cmd + "\", \"Tamblit 95\")][ShowGroup(\"Accessories\", 6)]"},
        {false, "StartUp", "Tamblit 95", true,
         "[ShowGroup(\"StartUp\", 1)][DeleteItem(\"Tamblit 95\")][ShowGroup(\"StartUp\", 6)]"},
        // The longest group name fits both commands.
        {true, g51, "Tamblit 95", true,
         "[ShowGroup(\"" + g51 + "\", 1)][AddItem(\"" + cmd + "\", \"Tamblit 95\")][ShowGroup(\"" + g51 + "\", 6)]"},
        {false, g51, "Tamblit 95", true,
         "[ShowGroup(\"" + g51 + "\", 1)][DeleteItem(\"Tamblit 95\")][ShowGroup(\"" + g51 + "\", 6)]"},
        {true, "", "Tamblit 95", false, ""},
        {false, "", "Tamblit 95", false, ""},
        {true, "A\"B", "Tamblit 95", false, ""},
        {false, "A\")][DeleteItem(\"x", "Tamblit 95", false, ""},
        {true, "Accessories", "Tamblit \"95\"", false, ""},
        {true, std::string(52, 'G'), "Tamblit 95", false, ""},
        {false, std::string(52, 'G'), "Tamblit 95", false, ""},
        // Texts that would not fit the command buffer.
        {true, "Accessories", std::string(200, 'i'), false, ""},
        {false, "Accessories", std::string(250, 'i'), false, ""},
    };
    for (const Case &c : cases) {
        char command[EXECUTE_COMMAND_SIZE];
        memset(command, 'x', sizeof command);
        bool ok = c.add ? MakeAddItemCommand(command, sizeof command, c.group.c_str(), cmd.c_str(), c.item.c_str())
                        : MakeDeleteItemCommand(command, sizeof command, c.group.c_str(), c.item.c_str());
        SCOPED_TRACE(c.group + " / " + c.item);
        EXPECT_EQ(ok, c.accepted);
        EXPECT_EQ(std::string(command), c.expected);
    }
    char create[EXECUTE_COMMAND_SIZE];
    EXPECT_TRUE(MakeCreateGroupCommand(create, sizeof create, "Tamblit 95"));
    EXPECT_STREQ(create, "[CreateGroup(\"Tamblit 95\")]");
    EXPECT_FALSE(MakeCreateGroupCommand(create, sizeof create, "A\")]["));
    EXPECT_TRUE(MakeDeleteGroupCommand(create, sizeof create, "Tamblit 95"));
    EXPECT_STREQ(create, "[DeleteGroup(\"Tamblit 95\")]");
}

TEST(InstallText, DirectoryUninstallCommandAndPaths)
{
    struct Case {
        const char *windowsDir, *installDir, *uninstall;
    } cases[] = {
        {"C:\\WINDOWS", "C:\\Program Files\\Tamblit95", "\"C:\\Program Files\\Tamblit95\\setup.exe\" /u"},
        {"d:\\win95\\", "d:\\Program Files\\Tamblit95", "\"d:\\Program Files\\Tamblit95\\setup.exe\" /u"},
        {"\\WINDOWS", "\\Program Files\\Tamblit95", "\"\\Program Files\\Tamblit95\\setup.exe\" /u"},
        {"", "\\Program Files\\Tamblit95", "\"\\Program Files\\Tamblit95\\setup.exe\" /u"},
    };
    for (const Case &c : cases) {
        char dir[SETUP_PATH_SIZE], command[SETUP_PATH_SIZE];
        ASSERT_TRUE(MakeInstallDirectory(dir, sizeof dir, c.windowsDir));
        EXPECT_STREQ(dir, c.installDir);
        ASSERT_TRUE(MakeUninstallCommand(command, sizeof command, dir));
        EXPECT_STREQ(command, c.uninstall);
    }
    char out[30];
    EXPECT_FALSE(MakeInstallDirectory(out, 10, "C:\\WINDOWS"));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(MakeUninstallCommand(out, sizeof out, "C:\\Program Files\\Tamblit95"));
    EXPECT_STREQ(out, "");

    struct Join {
        const char *dir, *expected, *beside;
    } joins[] = {
        {"C:\\Program Files\\Tamblit95", "C:\\Program Files\\Tamblit95\\tamblit95.hlp", "C:\\Program Files\\tamblit95.hlp"},
        {"A:\\", "A:\\tamblit95.hlp", "A:\\tamblit95.hlp"},
        {"Z:/snaps/", "Z:/snaps/tamblit95.hlp", "Z:/snaps/tamblit95.hlp"},
        {"A:", "A:\\tamblit95.hlp", "A:tamblit95.hlp"},
    };
    for (const Join &j : joins) {
        char path[SETUP_PATH_SIZE];
        ASSERT_TRUE(JoinDirectoryFile(path, sizeof path, j.dir, "tamblit95.hlp"));
        EXPECT_STREQ(path, j.expected);
        // Beside a module whose path is the directory above.
        ASSERT_TRUE(JoinProgramPath(path, sizeof path, j.dir, "tamblit95.hlp", NextByte));
        EXPECT_STREQ(path, j.beside);
    }
    char small[20];
    EXPECT_FALSE(JoinDirectoryFile(small, sizeof small, "C:\\Program Files", "tamblit95.hlp"));
    EXPECT_STREQ(small, "");
    EXPECT_FALSE(JoinProgramPath(small, sizeof small, "C:\\Program Files\\setup.exe", "tamblit95.hlp", NextByte));
    EXPECT_STREQ(small, "");
}

TEST(SetupSwitches, RemovalAndSilentInEitherCaseAndOrder)
{
    struct Case {
        const char *commandLine;
        bool known, removal, silent;
    } cases[] = {
        {"/u", true, true, false}, {"/U", true, true, false}, {"", true, false, false},
        {NULL, true, false, false}, {" /u\t", true, true, false}, {"/S", true, false, true},
        {"/s /U", true, true, true}, {"/u  /S", true, true, true}, {"/uninstall", false, false, false},
        {"-u", false, false, false}, {"/", false, false, false}, {"/S /x", false, false, true},
        {"/u/S", false, false, false},
    };
    for (const Case &c : cases) {
        SetupSwitches switches;
        const char *shown = c.commandLine ? c.commandLine : "(null)";
        EXPECT_EQ(ParseSetupSwitches(c.commandLine, &switches), c.known) << shown;
        EXPECT_EQ(switches.silent, c.silent) << shown;
        if (c.known) {
            EXPECT_EQ(switches.removal, c.removal) << shown;
        }
    }
    char quiet[SETUP_PATH_SIZE];
    ASSERT_TRUE(MakeUninstallCommand(quiet, sizeof quiet, "C:\\Program Files\\Tamblit95", true));
    EXPECT_STREQ(quiet, "\"C:\\Program Files\\Tamblit95\\setup.exe\" /u /S");
    EXPECT_EQ(SizeInKilobytes(0), 0ul);
    EXPECT_EQ(SizeInKilobytes(1), 1ul);
    EXPECT_EQ(SizeInKilobytes(2048), 2ul);
    EXPECT_TRUE(EqualIgnoringAsciiCase("C:\\Program Files\\SETUP.EXE", "c:\\program files\\setup.exe"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("C:\\setup.exe", "C:\\setup.ex"));
}
