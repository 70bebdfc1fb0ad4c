/*
 * The presence tests on real files of the Wine drive C:, and how a folder step is judged by
 * what each system leaves on disk.
 */
#include "support/FileUtil.h"
#include "support/FolderStep.h"
#include "tests/driver/Driver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string Root = "c:\\qgunit";

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    ASSERT_EQ(qg::WriteFileDurably(path, "x"), 0u) << path;
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes)) << path;
}

using qgtest::RemovePath;

class FileUtil : public ::testing::Test {
protected:
    void SetUp() override {
        RemovePath(Root);
        ASSERT_TRUE(::CreateDirectoryA(Root.c_str(), nullptr));
    }
    void TearDown() override { RemovePath(Root); }
};

} // namespace

TEST_F(FileUtil, FileExistsByAttributes) {
    struct Case {
        const char* name;
        DWORD attributes;
        bool found;
    };
    const Case cases[] = {
        {"plain.bat", FILE_ATTRIBUTE_NORMAL, true},
        {"readonly.bat", FILE_ATTRIBUTE_READONLY, true},
        {"archive.bat", FILE_ATTRIBUTE_ARCHIVE, true},
        {"hidden.bat", FILE_ATTRIBUTE_HIDDEN, false},
        {"system.bat", FILE_ATTRIBUTE_SYSTEM, false},
        {"both.bat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
    };
    for (const Case& c : cases) {
        const std::string path = Root + "\\" + c.name;
        MakeFile(path, c.attributes);
        EXPECT_EQ(qg::FileExists(path), c.found) << c.name;
        EXPECT_TRUE(qg::AnyFileExists(path)) << c.name; // the boot-script test sees them all
    }
}

TEST_F(FileUtil, FileExistsOtherPaths) {
    MakeFile(Root + "\\a.bat", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(qg::FileExists(Root + "\\*.bat")); // only a hidden match
    MakeFile(Root + "\\b.bat");
    EXPECT_TRUE(qg::FileExists(Root + "\\*.bat"));
    EXPECT_TRUE(qg::FileExists(Root + "\\?.bat"));
    EXPECT_FALSE(qg::FileExists(Root + "\\*.com"));
    EXPECT_FALSE(qg::FileExists(Root));                        // a folder
    EXPECT_FALSE(qg::FileExists(Root + "\\missing\\a.bat"));   // missing folder
    EXPECT_FALSE(qg::FileExists("q:\\autoexec.bat"));          // no such drive
    EXPECT_FALSE(qg::FileExists(""));
    EXPECT_FALSE(qg::FileExists(Root + "\\bad|name"));
}

TEST_F(FileUtil, FolderExistsNeedsAPlainFileInside) {
    const std::string folder = Root + "\\Qg_Data";
    EXPECT_FALSE(qg::FolderExists(folder)); // missing
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_FALSE(qg::FolderExists(folder)); // empty
    ASSERT_TRUE(::CreateDirectoryA((folder + "\\sub").c_str(), nullptr));
    MakeFile(folder + "\\h.dat", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(qg::FolderExists(folder)); // only a sub-folder and a hidden file
    MakeFile(folder + "\\qg.exe");
    EXPECT_TRUE(qg::FolderExists(folder));
    EXPECT_TRUE(qg::FolderExists(folder + "/"));    // searched as it is
    EXPECT_TRUE(qg::FolderExists(folder + "\\"));   // "/" appended after the backslash
    EXPECT_FALSE(qg::FolderExists(folder + "\\qg.exe")); // a file is not a folder
    EXPECT_FALSE(qg::FolderExists("q:\\Qg_Data"));
}

TEST_F(FileUtil, WriteFileDurablyReplacesLongerContent) {
    const std::string path = Root + "\\vhod.dll";
    ASSERT_EQ(qg::WriteFileDurably(path, "0123456789abcde"), 0u);
    ASSERT_EQ(qg::WriteFileDurably(path, "xy"), 0u);
    std::string bytes;
    ASSERT_EQ(qg::ReadWholeFile(path, bytes), 0u);
    EXPECT_EQ(bytes, "xy");
}

TEST(FolderStep, JudgedByTheDiskNotTheErrorCode) {
    // The same situation as each system reports it: Windows 95/98 may pass on DOS's "access
    // denied" where NT and Wine say "already exists" or "not empty".
    constexpr DWORD Folder = FILE_ATTRIBUTE_DIRECTORY, Hidden = FILE_ATTRIBUTE_HIDDEN;
    constexpr DWORD Missing = INVALID_FILE_ATTRIBUTES;
    using R = qg::FolderResult;
    struct Case {
        const char* situation;
        const char* system;
        DWORD error;
        DWORD attributes; // after the call
        bool holdsEntries;
        R created, removed;
    };
    const Case cases[] = {
        {"done", "any", 0, Folder, false, R::Done, R::Done},
        {"folder there", "NT, Wine", ERROR_ALREADY_EXISTS, Folder, false, R::Done, R::Failed},
        {"folder there", "Windows 98", ERROR_ACCESS_DENIED, Folder, false, R::Done, R::Failed},
        {"hidden folder there", "Windows 98", ERROR_ACCESS_DENIED, Folder | Hidden, false,
         R::Done, R::Failed},
        {"leftover hidden file", "NT, Wine", ERROR_DIR_NOT_EMPTY, Folder, true, R::Done,
         R::LeftInPlace},
        {"leftover hidden file", "Windows 98", ERROR_ACCESS_DENIED, Folder, true, R::Done,
         R::LeftInPlace},
        {"missing path", "any", ERROR_PATH_NOT_FOUND, Missing, false, R::Failed, R::Done},
        {"denied, nothing made", "Windows 98", ERROR_ACCESS_DENIED, Missing, false, R::Failed,
         R::Done},
        {"a file of that name", "any", ERROR_ALREADY_EXISTS, FILE_ATTRIBUTE_ARCHIVE, false,
         R::Failed, R::Done},
    };
    for (const Case& c : cases) {
        const std::string which = std::string(c.situation) + " (" + c.system + ")";
        EXPECT_EQ(qg::JudgeFolderCreated(c.error, c.attributes), c.created) << which;
        EXPECT_EQ(qg::JudgeFolderRemoved(c.error, c.attributes, c.holdsEntries), c.removed)
            << which;
    }
}

TEST_F(FileUtil, RefusalSaysWhatTheDiskShows) {
    // Windows 95/98 answer "access denied" for all of these: the text must not guess one, nor
    // nest parentheses in the message around it.
    MakeFile(Root + "\\ro", FILE_ATTRIBUTE_READONLY);
    MakeFile(Root + "\\plain");
    ASSERT_TRUE(::CreateDirectoryA((Root + "\\dir").c_str(), nullptr));
    const struct {
        std::string path;
        const char* text;
    } cases[] = {
        {Root + "\\ro", "it is read-only"},
        {Root + "\\dir", "a folder of that name is in the way"},
        {Root + "\\plain", "another program, a DOS window perhaps, is using it"},
        {Root + "\\absent", "its folder took no new file, as happens when the folder is full"},
        {"", "access to it was denied"},
    };
    for (const auto& c : cases) {
        const std::string text = qg::DescribeFileError(ERROR_ACCESS_DENIED, c.path);
        EXPECT_EQ(text, c.text) << c.path;
        EXPECT_EQ(text.find('('), std::string::npos) << c.path;
    }
    ::SetFileAttributesA((Root + "\\ro").c_str(), FILE_ATTRIBUTE_NORMAL);
}
