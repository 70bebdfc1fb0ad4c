/*
 * The presence tests on real files of the Wine drive C:.
 */
#include "support/FileUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string Root = "c:\\qgunit";

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    DWORD error = 0;
    ASSERT_TRUE(qg::WriteWholeFile(path, "x", error)) << path << " " << error;
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes)) << path;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(folder.c_str());
}

class FileUtil : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveTree(Root);
        ASSERT_TRUE(::CreateDirectoryA(Root.c_str(), nullptr));
    }
    void TearDown() override { RemoveTree(Root); }
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

TEST_F(FileUtil, WriteWholeFileReplacesLongerContent) {
    const std::string path = Root + "\\vhod.dll";
    DWORD error = 0;
    ASSERT_TRUE(qg::WriteWholeFile(path, "0123456789abcde", error));
    ASSERT_TRUE(qg::WriteWholeFile(path, "xy", error));
    std::string bytes;
    ASSERT_TRUE(qg::ReadWholeFile(path, bytes, error));
    EXPECT_EQ(bytes, "xy");
}
