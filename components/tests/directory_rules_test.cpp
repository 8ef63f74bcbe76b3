#include "components/directory_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(DirectoryPathCheck, ResolvesOrRefusesEachForm) {
    struct Case {
        const char* path;
        const char* current;
        bool ok;
        std::string result;  // the absolute path, or the message number as text
    };
    const std::string longPart(256, 'n');
    const std::string longestPart(255, 'n');
    const Case cases[] = {
        {"./a/b", "/work", true, "/work/a/b"},
        {"../x", "/work/sub", true, "/work/x"},
        {"../../x", "/work/sub/deeper", true, "/work/x"},
        {"../x", "/work", false, "16054"},
        {"../x", "/", false, "16054"},
        {"./", "/work", true, "/work"},
        {"a/b", "/work", true, "/work/a/b"},
        {"x", "/", true, "/x"},
        {"/a//b", "/work", false, "16054"},
        {"//", "/work", false, "16054"},
        {"/a/", "/work", true, "/a/"},
        {"/", "/work", true, "/"},
        {"/a|b/c:d*", "/work", true, "/a|b/c:d*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " from " + c.current);
        const PathCheck check = CheckDirectoryPath(c.path, c.current);
        EXPECT_EQ(check.ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(check.path, c.result);
        } else {
            EXPECT_EQ(std::to_string(check.message), c.result);
        }
    }
    EXPECT_FALSE(CheckDirectoryPath("/a/" + longPart, "/").ok);
    EXPECT_EQ(CheckDirectoryPath("/a/" + longPart, "/").message, kMsgInvalidName);
    EXPECT_TRUE(CheckDirectoryPath("/a/" + longestPart + "/", "/").ok);
}

TEST(DirectoryOptions, WriterKeepsThemConsistent) {
    const TDirectoryOptions defaults{doPathMustExist, doUpdateHistory};
    struct Case {
        TDirectoryOptions old;
        TDirectoryOptions next;
        TDirEditStyle style;
        TDirectoryOptions expected;
        TDirEditStyle expectedStyle;
    };
    const Case cases[] = {
        // Asking for a new path drops the must-exist rule and needs a typed path.
        {defaults, {doPathNotExist}, desLabel, {doPathNotExist}, desEdit},
        {defaults, {doPathNotExist}, desCombo, {doPathNotExist}, desCombo},
        // Must-exist newly set beats every creating option.
        {{doCreate},
         {doCreate, doCreatePrompt, doPathMustExist},
         desEdit,
         {doPathMustExist},
         desEdit},
        // Creating without must-exist having been newly asked for drops it.
        {defaults, {doPathMustExist, doCreate}, desLabel, {doCreate}, desLabel},
        // The exist prompt newly set drops "must not exist".
        {{doPathNotExist}, {doPathNotExist, doExistPrompt}, desEdit, {doExistPrompt}, desEdit},
        // Hiding the drives hides the network button too.
        {defaults,
         {doPathMustExist, doHideDrive},
         desLabel,
         {doPathMustExist, doHideDrive, doHideNetConnect},
         desLabel},
        // An unchanged set stays exactly as it is.
        {{doCreate, doPathMustExist},
         {doCreate, doPathMustExist},
         desLabel,
         {doCreate, doPathMustExist},
         desLabel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.next.Bits());
        TDirEditStyle style = c.style;
        EXPECT_EQ(ConsistentOptions(c.next, c.old, style).Bits(), c.expected.Bits());
        EXPECT_EQ(style, c.expectedStyle);
    }
    EXPECT_EQ(TDirectoryOptions({doCreate, doUpdateHistory}).Bits(), 0x0401);
}

TEST(DirectoryReplaceText, NeverSearchesInsertedText) {
    EXPECT_EQ(ReplaceText("ab", "abab", "xabx", true), "xababx");
    EXPECT_EQ(ReplaceText("ab", "-", "xABxab", true), "xABx-");
    EXPECT_EQ(ReplaceText("ab", "-", "xABxab", false), "x-x-");
    EXPECT_EQ(ReplaceText("a", "aa", "aaa", true), "aaaaaa");
    EXPECT_EQ(ReplaceText("", "x", "abc", true), "abc");
    EXPECT_EQ(ReplaceText("z", "x", "abc", true), "abc");
}

TEST(DirectoryHistory, ChosenFolderStandsFirstOnce) {
    rtl::TStringList history;
    PutFirstInHistory(history, "/b");
    PutFirstInHistory(history, "/a");
    EXPECT_EQ(history.Items(), (std::vector<std::string>{"/a", "/b"}));
    PutFirstInHistory(history, "/b");
    EXPECT_EQ(history.Items(), (std::vector<std::string>{"/b", "/a"}));
    PutFirstInHistory(history, "/b");
    EXPECT_EQ(history.Items(), (std::vector<std::string>{"/b", "/a"}));
    // Folder names differ by case here.
    PutFirstInHistory(history, "/A");
    EXPECT_EQ(history.Items(), (std::vector<std::string>{"/A", "/b", "/a"}));
}

TEST(DirectoryMessages, NamePathThenReason) {
    EXPECT_EQ(DirectoryMessage(kMsgPathMissing, "/x"),
              "/x\nThis path does not exist.\nPlease enter a different path.");
    EXPECT_EQ(DirectoryMessage(kMsgCreatePath, "/x"),
              "/x\nThis path does not exist.\nAre you sure you want to create this path?");
    EXPECT_EQ(DirectoryMessage(kMsgInvalidName, "/x"),
              "/x\nInvalid Filename.\nPlease enter a different path.");
}

}  // namespace
