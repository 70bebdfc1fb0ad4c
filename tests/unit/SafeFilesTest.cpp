/*
 * The crash-safe file changes on the Wine drive C:: putting a cut-short boot-script swap right,
 * the swap's refusals and failures, whole-file writes and copies that meet an obstacle, and the
 * whole installation and removal with what is on disk at each of their pauses.
 * These use the real boot-script paths, as the end-to-end tests do, and clear them afterwards.
 */
#include "lockconfig/BootFiles.h"
#include "lockconfig/LockActions.h"
#include "lockconfig/Password.h"
#include "lockconfig/SafeFiles.h"
#include "support/FileUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string Folder = "c:\\qgunit_safe";

bool UnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

const qg::Pause NoPause = [](double) { ADD_FAILURE() << "no pause was asked for"; };

void Put(const std::string& path, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    ASSERT_EQ(qg::WriteFileDurably(path, bytes), 0u) << path;
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes)) << path;
}

// The file's bytes, or "<absent>".
std::string Bytes(const std::string& path) {
    if (!qg::AnyFileExists(path))
        return "<absent>";
    std::string bytes;
    if (qg::ReadWholeFile(path, bytes) != 0)
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
              Folder + "\\source", Folder + "\\rb.com", Folder + "\\qg.exe",
              std::string(qg::PasswordFilePath), std::string(qg::BootProgramTarget),
              std::string(qg::RebootProgramTarget)})
            qg::DiscardFile(path);
        ::RemoveDirectoryA(qg::BootFolderPath);
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
        qg::ReplaceBootScript(old, "new\r\n", 0, NoPause, outcome);
        EXPECT_EQ(outcome.Succeeded(), c.replaced) << c.name;
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
    qg::ReplaceBootScript(old, "new\r\n", 0, NoPause, outcome);
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
        DWORD error;        // what it returns on Windows: a hidden or read-only target is refused
        bool wineWrites;    // Wine, running as root, truncates and writes such a file all the same
    };
    const Case cases[] = {
        {"write, no target", nullptr, FILE_ATTRIBUTE_NORMAL, false, 0, false},
        {"write over a longer file", "0123456789abcde", FILE_ATTRIBUTE_NORMAL, false, 0, false},
        {"write over a hidden file", "0123456789abcde", FILE_ATTRIBUTE_HIDDEN, false,
         ERROR_ACCESS_DENIED, true},
        {"write over a read-only file", "0123456789abcde", FILE_ATTRIBUTE_READONLY, false,
         ERROR_ACCESS_DENIED, true},
        {"copy, no target", nullptr, FILE_ATTRIBUTE_NORMAL, true, 0, false},
        {"copy over an old copy", "old program, longer", FILE_ATTRIBUTE_NORMAL, true, 0, false},
        {"copy over a read-only copy", "old program", FILE_ATTRIBUTE_READONLY, true,
         ERROR_ACCESS_DENIED, false},
    };
    Put(source, "new");
    for (const Case& c : cases) {
        qg::DiscardFile(target);
        if (c.before)
            Put(target, c.before, c.attributes);
        const DWORD error = c.copy ? qg::CopyFileWhole(source, target, temp)
                                   : qg::WriteFileWhole(target, temp, "new");
        EXPECT_EQ(error, c.wineWrites && UnderWine() ? 0u : c.error) << c.name;
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

// The boot script, the scratch file, the backup and the password file, each "<absent>", or its
// bytes ("whole" for the password file).
std::string OnDisk() {
    const std::string password = Bytes(qg::PasswordFilePath);
    return Bytes(qg::BootScriptPath) + " | " + Bytes(qg::ScratchFilePath) + " | " +
           Bytes(qg::BootScriptBackupPath) + " | " +
           (password == "<absent>" ? password
                                   : password == qg::ScramblePassword("Secret1") ? "whole" : "other");
}

TEST_F(SafeFiles, InstallAndRemoveStepByStep) {
    const std::string off = "rem\r\n", on = off + qg::BootScriptLine + "\r\n",
                      removed = off + "\r\n";
    struct Case {
        const char* name;
        bool install;
        bool filledBefore;               // a boot folder of an earlier installation
        std::string scriptBefore;
        std::vector<std::string> pauses; // seconds, then what is on disk at that pause
        std::string after;
    };
    const Case cases[] = {
        {"install, no boot folder", true, false, off, {}, on + " | <absent> | <absent> | whole"},
        {"install over an earlier one", true, true, off,
         {"1.0: " + on + " | <absent> | <absent> | <absent>"},
         on + " | <absent> | <absent> | whole"},
        {"remove", false, true, on,
         {"0.5: " + on + " | " + removed + " | <absent> | <absent>",
          "0.5: " + removed + " | <absent> | " + on + " | <absent>"},
         removed + " | <absent> | <absent> | <absent>"},
        {"remove, no line in the boot script", false, true, off, {},
         off + " | <absent> | <absent> | <absent>"},
    };
    Put(Folder + "\\rb.com", "rb");
    Put(Folder + "\\qg.exe", "qg");
    for (const Case& c : cases) {
        Put(qg::BootScriptPath, c.scriptBefore);
        if (c.filledBefore) {
            ::CreateDirectoryA(qg::BootFolderPath, nullptr);
            Put(qg::PasswordFilePath, "old");
            Put(qg::BootProgramTarget, "old qg");
            Put(qg::RebootProgramTarget, "old rb");
        }
        std::vector<std::string> pauses;
        const qg::Pause record = [&pauses](double seconds) {
            pauses.push_back(std::to_string(seconds).substr(0, 3) + ": " + OnDisk());
        };
        qg::SecretString password;
        password.buffer() = "Secret1";
        const qg::Outcome outcome =
            c.install ? qg::InstallLock(password, Folder, record) : qg::RemoveLock(record);
        EXPECT_TRUE(outcome.Succeeded()) << c.name << ": " << outcome.Message();
        EXPECT_EQ(pauses, c.pauses) << c.name;
        EXPECT_EQ(OnDisk(), c.after) << c.name;
        EXPECT_EQ(Bytes(qg::BootProgramTarget), c.install ? "qg" : "<absent>") << c.name;
        EXPECT_EQ(Bytes(qg::RebootProgramTarget), c.install ? "rb" : "<absent>") << c.name;
        EXPECT_EQ(qg::PathAttributes(qg::BootFolderPath) != INVALID_FILE_ATTRIBUTES, c.install)
            << c.name;
        Clear();
        ::CreateDirectoryA(Folder.c_str(), nullptr);
        Put(Folder + "\\rb.com", "rb");
        Put(Folder + "\\qg.exe", "qg");
    }
}
