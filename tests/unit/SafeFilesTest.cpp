/*
 * The crash-safe file changes on the Wine drive C:: putting a cut-short boot-script swap right,
 * the swap's refusals and failures, and whole-file writes and copies that meet an obstacle.
 * These use the real boot-script paths, as the end-to-end tests do, and clear them afterwards.
 */
#include "lockconfig/BootFiles.h"
#include "lockconfig/SafeFiles.h"
#include "support/FileUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string Folder = "c:\\qgunit_safe";

void Put(const std::string& path, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    DWORD error = 0;
    ASSERT_TRUE(qg::WriteWholeFile(path, bytes, error)) << path << " " << error;
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes)) << path;
}

// The file's bytes, or "<absent>".
std::string Bytes(const std::string& path) {
    if (!qg::AnyFileExists(path))
        return "<absent>";
    std::string bytes;
    DWORD error = 0;
    if (!qg::ReadWholeFile(path, bytes, error))
        return "<unreadable>";
    return bytes;
}

class SafeFiles : public ::testing::Test {
protected:
    void SetUp() override { Clear(); ::CreateDirectoryA(Folder.c_str(), nullptr); }
    void TearDown() override { Clear(); }
    static void Clear() {
        for (const std::string& path :
             {std::string(qg::BootScriptPath), std::string(qg::ScratchFilePath),
              std::string(qg::BootScriptBackupPath), Folder + "\\target", Folder + "\\temp",
              Folder + "\\source"})
            qg::DiscardFile(path);
        ::RemoveDirectoryA(Folder.c_str());
    }
};

} // namespace

TEST_F(SafeFiles, RecoveryAfterACutShortSwap) {
    struct Case {
        const char* name;
        const char *script, *backup, *scratch; // nullptr: absent
        const char* expected;                  // the boot script afterwards
    };
    const Case cases[] = {
        {"cut after the old one moved aside", nullptr, "old\r\n", "new\r\n", "old\r\n"},
        {"cut after the new one moved in", "new\r\n", "old\r\n", nullptr, "new\r\n"},
        {"cut while the new text was written", "old\r\n", nullptr, "ne", "old\r\n"},
        {"nothing cut short", "old\r\n", nullptr, nullptr, "old\r\n"},
        {"no boot script at all", nullptr, nullptr, "new\r\n", "<absent>"},
    };
    for (const Case& c : cases) {
        Clear();
        if (c.script)
            Put(qg::BootScriptPath, c.script);
        if (c.backup)
            Put(qg::BootScriptBackupPath, c.backup, FILE_ATTRIBUTE_HIDDEN);
        if (c.scratch)
            Put(qg::ScratchFilePath, c.scratch, FILE_ATTRIBUTE_READONLY);
        qg::RecoverBootScript();
        EXPECT_EQ(Bytes(qg::BootScriptPath), c.expected) << c.name;
        EXPECT_EQ(Bytes(qg::BootScriptBackupPath), "<absent>") << c.name;
        EXPECT_EQ(Bytes(qg::ScratchFilePath), "<absent>") << c.name;
    }
}

TEST_F(SafeFiles, SwapKeepsAttributesAndRefusesReadOnly) {
    struct Case {
        const char* name;
        DWORD attributes; // 0: no boot script before
        bool replaced;
        const char* failure;
    };
    const Case cases[] = {
        {"plain", FILE_ATTRIBUTE_NORMAL, true, nullptr},
        {"hidden and system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, true, nullptr},
        {"none before", 0, true, nullptr},
        {"read-only", FILE_ATTRIBUTE_READONLY, false,
         "c:\\autoexec.bat could not be changed because it is read-only."},
    };
    for (const Case& c : cases) {
        Clear();
        if (c.attributes)
            Put(qg::BootScriptPath, "old\r\n", c.attributes);
        Put(qg::ScratchFilePath, "leftover junk\r\n", FILE_ATTRIBUTE_READONLY);
        const qg::BootScriptOnDisk old = qg::ReadBootScript();
        qg::Outcome outcome;
        EXPECT_EQ(qg::ReplaceBootScript(old, "new\r\n", 0, outcome), c.replaced) << c.name;
        EXPECT_EQ(Bytes(qg::BootScriptPath), c.replaced ? "new\r\n" : "old\r\n") << c.name;
        if (c.failure) {
            ASSERT_EQ(outcome.Failures().size(), 1u) << c.name;
            EXPECT_EQ(outcome.Failures()[0], c.failure) << c.name;
        } else {
            EXPECT_TRUE(outcome.Succeeded()) << c.name;
            const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
            EXPECT_EQ(qg::PathAttributes(qg::BootScriptPath) & kept, c.attributes & kept) << c.name;
            EXPECT_EQ(Bytes(qg::ScratchFilePath), "<absent>") << c.name;
        }
        EXPECT_EQ(Bytes(qg::BootScriptBackupPath), "<absent>") << c.name;
        ::SetFileAttributesA(qg::BootScriptPath, FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(SafeFiles, SwapOfABootScriptInUseLeavesItWhole) {
    Put(qg::BootScriptPath, "old\r\n");
    const qg::BootScriptOnDisk old = qg::ReadBootScript();
    HANDLE held = ::CreateFileA(qg::BootScriptPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    qg::Outcome outcome;
    EXPECT_FALSE(qg::ReplaceBootScript(old, "new\r\n", 0, outcome));
    ::CloseHandle(held);
    EXPECT_FALSE(outcome.Succeeded());
    EXPECT_EQ(Bytes(qg::BootScriptPath), "old\r\n");
    EXPECT_EQ(Bytes(qg::ScratchFilePath), "<absent>");
    EXPECT_EQ(Bytes(qg::BootScriptBackupPath), "<absent>");
}

TEST_F(SafeFiles, WholeWritesAndCopiesMeetingObstacles) {
    const std::string target = Folder + "\\target", temp = Folder + "\\temp",
                      source = Folder + "\\source";
    struct Case {
        const char* name;
        const char* before; // the target, nullptr: absent
        DWORD attributes;
        bool copy;          // CopyFileWhole from the source, else WriteFileWhole
        bool mayFail;       // Windows refuses it; Wine running as root may let it through
    };
    const Case cases[] = {
        {"write, no target", nullptr, FILE_ATTRIBUTE_NORMAL, false, false},
        {"write over a longer file", "0123456789abcde", FILE_ATTRIBUTE_NORMAL, false, false},
        {"write over a hidden file", "0123456789abcde", FILE_ATTRIBUTE_HIDDEN, false, true},
        {"write over a read-only file", "0123456789abcde", FILE_ATTRIBUTE_READONLY, false, true},
        {"copy, no target", nullptr, FILE_ATTRIBUTE_NORMAL, true, false},
        {"copy over an old copy", "old program, longer", FILE_ATTRIBUTE_NORMAL, true, false},
        {"copy over a read-only copy", "old program", FILE_ATTRIBUTE_READONLY, true, true},
    };
    Put(source, "new");
    for (const Case& c : cases) {
        qg::DiscardFile(target);
        if (c.before)
            Put(target, c.before, c.attributes);
        const DWORD error = c.copy ? qg::CopyFileWhole(source, target, temp)
                                   : qg::WriteFileWhole(target, temp, "new");
        EXPECT_TRUE(error == 0 || c.mayFail) << c.name << ": " << error;
        // The new bytes after success, the old ones after a failure: never a mix.
        EXPECT_EQ(Bytes(target), error == 0 ? "new" : c.before ? c.before : "<absent>") << c.name;
        EXPECT_EQ(Bytes(temp), "<absent>") << c.name;
    }
    qg::DiscardFile(source);
    const std::string kept = Bytes(target);
    EXPECT_NE(qg::CopyFileWhole(source, target, temp), 0u); // a missing source
    EXPECT_EQ(Bytes(target), kept);
    EXPECT_EQ(Bytes(temp), "<absent>");
}
