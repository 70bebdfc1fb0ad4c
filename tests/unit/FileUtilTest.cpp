/*
 * The presence tests on real files of the Wine drive C:.
 */
#include "support/FileUtil.h"
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
