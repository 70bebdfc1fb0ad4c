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
              std::string(qg::PasswordFilePath), std::string(qg::PasswordNewPath),
              std::string(qg::PasswordTempPath), std::string(qg::BootProgramTarget),
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
        const char* backupAfter;               // the backup afterwards
        bool settled;                          // nothing holds the next change back
        bool scratchKept = false;              // not the swap's: never deleted or run
    };
    const Case cases[] = {
        {"cut after the old one moved aside", nullptr, "old\r\n", "old\r\nc:\\Qg_Data\\qg.exe\r\n",
         "old\r\n", "<absent>", true},
        {"cut after the new one moved in", "old\r\nc:\\Qg_Data\\qg.exe\r\n", "old\r\n", nullptr,
         "old\r\nc:\\Qg_Data\\qg.exe\r\n", "<absent>", true},
        {"cut while the new text was written", "old\r\n", nullptr, "old\r\nc:\\Qg", "old\r\n",
         "<absent>", true},
        {"nothing cut short", "old\r\n", nullptr, nullptr, "old\r\n", "<absent>", true},
        {"cut while written, no boot script before", nullptr, nullptr, "c:\\Qg", "<absent>",
         "<absent>", true},
        {"only the flushed new text kept by a power cut", nullptr, nullptr,
         "c:\\Qg_Data\\qg.exe\r\n", "c:\\Qg_Data\\qg.exe\r\n", "<absent>", true},
        {"an earlier version's copy cut short", "old\r\n", nullptr, "old\r\nwin\r\n",
         "old\r\nwin\r\n", "<absent>", true},
        {"another program's scratch file", "old\r\n", nullptr, "path c:\\dos\r\n", "old\r\n",
         "<absent>", false, true},
        {"another program's scratch file, no boot script", nullptr, nullptr, "path c:\\dos\r\n",
         "<absent>", "<absent>", false, true},
        {"a backup unlike the boot script", "other\r\n", "old\r\n", nullptr, "other\r\n",
         "old\r\n", false},
    };
    for (const Case& c : cases) {
        Clear();
        if (c.script)
            Put(qg::BootScriptPath, c.script);
        if (c.backup)
            Put(qg::BootScriptBackupPath, c.backup, FILE_ATTRIBUTE_HIDDEN);
        if (c.scratch)
            Put(qg::ScratchFilePath, c.scratch, FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(qg::RecoverBootScript().empty(), c.settled) << c.name;
        EXPECT_EQ(Bytes(qg::BootScriptPath), c.expected) << c.name;
        EXPECT_EQ(Bytes(qg::BootScriptBackupPath), c.backupAfter) << c.name;
        EXPECT_EQ(Bytes(qg::ScratchFilePath), c.scratchKept ? c.scratch : "<absent>") << c.name;
    }
}

TEST_F(SafeFiles, FailedRestoreIsReportedAndHoldsChangesBack) {
    // Something in the boot script's place keeps the backup from going back: the backup stays,
    // and no change may write a boot script that would take its place.
    Put(qg::BootScriptBackupPath, "old\r\n");
    ASSERT_TRUE(::CreateDirectoryA(qg::BootScriptPath, nullptr));
    const std::string reason = qg::RecoverBootScript();
    EXPECT_NE(reason.find(qg::BootScriptBackupPath), std::string::npos) << reason;
    qg::Outcome outcome;
    EXPECT_FALSE(qg::ReplaceBootScript(qg::ReadBootScript(), "c:\\Qg_Data\\qg.exe\r\n", 0,
                                       NoPause, outcome));
    ASSERT_EQ(outcome.Failures().size(), 1u);
    EXPECT_EQ(outcome.Failures()[0], "c:\\autoexec.bat could not be changed because " + reason + ".");
    EXPECT_EQ(Bytes(qg::BootScriptBackupPath), "old\r\n");
    ::RemoveDirectoryA(qg::BootScriptPath);
    EXPECT_EQ(qg::RecoverBootScript(), "");
    EXPECT_EQ(Bytes(qg::BootScriptPath), "old\r\n");
    EXPECT_EQ(Bytes(qg::BootScriptBackupPath), "<absent>");
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
        if (c.attributes) {
            Put(qg::BootScriptPath, "old\r\n", c.attributes);
            // A swap of it cut short left its scratch file: that goes.
            Put(qg::ScratchFilePath, "old\r\nc:\\Qg_", FILE_ATTRIBUTE_READONLY);
        }
        const qg::BootScriptOnDisk old = qg::ReadBootScript();
        qg::Outcome outcome;
        EXPECT_EQ(qg::ReplaceBootScript(old, "new\r\n", 0, NoPause, outcome), c.replaced) << c.name;
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
        DWORD attributes;   // the target's
        DWORD share;        // the target held open with this sharing; ~0u: not held
        bool copy;          // CopyFileWhole from the source, else WriteFileWhole
        DWORD error;
    };
    // The lock's own files are replaced whatever their attributes; the result is writable.
    const Case cases[] = {
        {"write, no target", nullptr, FILE_ATTRIBUTE_NORMAL, ~0u, false, 0},
        {"write over a longer file", "0123456789abcde", FILE_ATTRIBUTE_NORMAL, ~0u, false, 0},
        {"write over a hidden file", "0123456789abcde", FILE_ATTRIBUTE_HIDDEN, ~0u, false, 0},
        {"write over a read-only file", "0123456789abcde", FILE_ATTRIBUTE_READONLY, ~0u, false, 0},
        {"write over a file in use", "0123456789abcde", FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ,
         false, ERROR_SHARING_VIOLATION},
        {"copy, no target", nullptr, FILE_ATTRIBUTE_NORMAL, ~0u, true, 0},
        {"copy over an old copy", "old program, longer", FILE_ATTRIBUTE_NORMAL, ~0u, true, 0},
        {"copy over a read-only copy", "old program", FILE_ATTRIBUTE_READONLY, ~0u, true, 0},
        {"copy over an old copy in use", "old program", FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ,
         true, ERROR_SHARING_VIOLATION},
        {"copy over the same program in use", "new", FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ, true,
         0},
    };
    // The source is read-only, as a program copied from a CD is.
    Put(source, "new", FILE_ATTRIBUTE_READONLY);
    for (const Case& c : cases) {
        qg::DiscardFile(target);
        if (c.before)
            Put(target, c.before, c.attributes);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.share != ~0u) {
            held = ::CreateFileA(target.c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE) << c.name;
        }
        const DWORD error = c.copy ? qg::CopyFileWhole(source, target, temp)
                                   : qg::WriteFileWhole(target, temp, "new");
        if (held != INVALID_HANDLE_VALUE)
            ::CloseHandle(held);
        EXPECT_EQ(error, c.error) << c.name;
        // The new bytes after success, the old ones after a failure: never a mix.
        EXPECT_EQ(Bytes(target), error == 0 ? "new" : c.before ? c.before : "<absent>") << c.name;
        if (error == 0) {
            const DWORD marks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
            EXPECT_EQ(qg::PathAttributes(target) & marks, 0u) << c.name;
        }
        EXPECT_EQ(Bytes(temp), "<absent>") << c.name;
    }
    qg::DiscardFile(source);
    const std::string kept = Bytes(target);
    EXPECT_NE(qg::CopyFileWhole(source, target, temp), 0u); // a missing source
    EXPECT_EQ(Bytes(target), kept);
    EXPECT_EQ(Bytes(temp), "<absent>");
}

TEST_F(SafeFiles, CopyNeverDeletesTheLastCopy) {
    // The old copy is deleted but stays in the way until another program lets go of it (as a
    // file deleted while open does on NT; Windows 95 removes it at once), so the rename fails:
    // the new copy must survive under its temporary name.
    const std::string target = Folder + "\\target", temp = Folder + "\\temp",
                      source = Folder + "\\source";
    Put(source, "new");
    Put(target, "old program");
    HANDLE held = ::CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const DWORD error = qg::CopyFileWhole(source, target, temp);
    ::CloseHandle(held);
    EXPECT_NE(error, 0u);
    EXPECT_EQ(Bytes(target) + " | " + Bytes(temp), "<absent> | new");
}

// The boot script, the scratch file, the backup, the password file and the new password file
// beside it, each "<absent>", or its bytes ("whole" for a password file of "Secret1").
std::string OnDisk() {
    auto password = [](const char* path) {
        const std::string bytes = Bytes(path);
        return bytes == "<absent>" ? bytes
               : bytes == qg::ScramblePassword("Secret1") ? std::string("whole")
                                                          : std::string("other");
    };
    return Bytes(qg::BootScriptPath) + " | " + Bytes(qg::ScratchFilePath) + " | " +
           Bytes(qg::BootScriptBackupPath) + " | " + password(qg::PasswordFilePath) + " | " +
           password(qg::PasswordNewPath);
}

TEST_F(SafeFiles, InstallAndRemoveStepByStep) {
    const std::string off = "rem\r\n", on = off + qg::BootScriptLine + "\r\n",
                      removed = off + "\r\n";
    struct Case {
        const char* name;
        bool install;
        bool filledBefore;               // a boot folder of an earlier installation
        std::string scriptBefore;
        DWORD scriptAttributes;
        std::vector<std::string> pauses; // seconds, then what is on disk at that pause
        std::string after;
        bool succeeds;
    };
    const DWORD plain = FILE_ATTRIBUTE_NORMAL;
    const Case cases[] = {
        {"install, no boot folder", true, false, off, plain, {},
         on + " | <absent> | <absent> | whole | <absent>", true},
        // The old password stays until the new one is whole beside it.
        {"install over an earlier one", true, true, off, plain,
         {"1.0: " + on + " | <absent> | <absent> | other | whole"},
         on + " | <absent> | <absent> | whole | <absent>", true},
        // Without the line, nothing is written.
        {"install, read-only boot script", true, false, off, FILE_ATTRIBUTE_READONLY, {},
         off + " | <absent> | <absent> | <absent> | <absent>", false},
        {"remove", false, true, on, plain,
         {"0.5: " + on + " | " + removed + " | <absent> | <absent> | <absent>",
          "0.5: " + removed + " | <absent> | " + on + " | <absent> | <absent>"},
         removed + " | <absent> | <absent> | <absent> | <absent>", true},
        {"remove, no line in the boot script", false, true, off, plain, {},
         off + " | <absent> | <absent> | <absent> | <absent>", true},
    };
    Put(Folder + "\\rb.com", "rb");
    Put(Folder + "\\qg.exe", "qg");
    for (const Case& c : cases) {
        Put(qg::BootScriptPath, c.scriptBefore, c.scriptAttributes);
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
        EXPECT_EQ(outcome.Succeeded(), c.succeeds) << c.name << ": " << outcome.Message();
        EXPECT_EQ(pauses, c.pauses) << c.name;
        EXPECT_EQ(OnDisk(), c.after) << c.name;
        const bool installed = c.install && c.succeeds;
        EXPECT_EQ(Bytes(qg::BootProgramTarget), installed ? "qg" : "<absent>") << c.name;
        EXPECT_EQ(Bytes(qg::RebootProgramTarget), installed ? "rb" : "<absent>") << c.name;
        EXPECT_EQ(qg::PathAttributes(qg::BootFolderPath) != INVALID_FILE_ATTRIBUTES, installed)
            << c.name;
        Clear();
        ::CreateDirectoryA(Folder.c_str(), nullptr);
        Put(Folder + "\\rb.com", "rb");
        Put(Folder + "\\qg.exe", "qg");
    }
}

// What the boot prompt reads: the password file, or the new one while that is missing.
std::string BootPromptReads() {
    const char* path = qg::AnyFileExists(qg::PasswordFilePath) ? qg::PasswordFilePath
                                                                : qg::PasswordNewPath;
    const std::string bytes = Bytes(path);
    return bytes == "<absent>"                         ? "no password"
           : bytes == qg::ScramblePassword("Secret1") ? "the new password"
           : bytes == "old"                           ? "the old password"
                                                      : "other bytes";
}

TEST_F(SafeFiles, PasswordReportSaysWhatTheBootPromptAsksFor) {
    // A change of password meets a file held open at its pause; the report must match what the
    // boot prompt then reads, and no new password file may stay beside the password file.
    const std::string held = " could not be written because another program is using it. ";
    struct Case {
        const char* name;
        const char* heldAtPause; // nullptr: nothing
        const char* promptReads;
        std::string failure;     // empty: saved
    };
    const Case cases[] = {
        {"nothing held", nullptr, "the new password", ""},
        {"password file held", qg::PasswordFilePath, "the old password",
         std::string("The password could not be saved: ") + qg::PasswordFilePath + held +
             qg::OldPasswordInForce},
        {"new password file held", qg::PasswordNewPath, "the new password",
         std::string("The new password was not put in its place: ") + qg::PasswordFilePath +
             held + qg::NewPasswordInForce},
    };
    for (const Case& c : cases) {
        Clear();
        ::CreateDirectoryA(Folder.c_str(), nullptr);
        Put(Folder + "\\rb.com", "rb");
        Put(Folder + "\\qg.exe", "qg");
        Put(qg::BootScriptPath, std::string(qg::BootScriptLine) + "\r\n");
        ::CreateDirectoryA(qg::BootFolderPath, nullptr);
        Put(qg::PasswordFilePath, "old");
        HANDLE handle = INVALID_HANDLE_VALUE;
        const qg::Pause hold = [&](double) {
            if (c.heldAtPause)
                handle = ::CreateFileA(c.heldAtPause, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        };
        qg::SecretString password;
        password.buffer() = "Secret1";
        const qg::Outcome outcome = qg::InstallLock(password, Folder, hold);
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
        EXPECT_TRUE(c.heldAtPause == nullptr || handle != INVALID_HANDLE_VALUE) << c.name;
        EXPECT_EQ(BootPromptReads(), c.promptReads) << c.name;
        if (c.failure.empty()) {
            EXPECT_TRUE(outcome.Succeeded()) << c.name << ": " << outcome.Message();
        } else {
            ASSERT_EQ(outcome.Failures().size(), 1u) << c.name << ": " << outcome.Message();
            EXPECT_EQ(outcome.Failures()[0], c.failure) << c.name;
        }
        if (qg::AnyFileExists(qg::PasswordFilePath)) {
            EXPECT_EQ(Bytes(qg::PasswordNewPath), "<absent>") << c.name;
        }
    }
}

TEST_F(SafeFiles, SwapKeepsAnotherProgramsEditMadeDuringThePause) {
    // An editor saves the boot script while the swap pauses: its text stays in place and
    // nothing of the swap is left behind.
    struct Case {
        const char* name;
        const char* before; // nullptr: no boot script
        const char* saved;  // what the other program saves at the first pause
    };
    const Case cases[] = {
        {"edited", "old\r\n", "old\r\nset path=c:\\dos\r\n"},
        {"made", nullptr, "@echo off\r\n"},
    };
    for (const Case& c : cases) {
        Clear();
        if (c.before)
            Put(qg::BootScriptPath, c.before);
        int pauses = 0;
        const qg::Pause save = [&](double) {
            if (pauses++ == 0)
                Put(qg::BootScriptPath, c.saved);
        };
        qg::Outcome outcome;
        EXPECT_FALSE(qg::ReplaceBootScript(qg::ReadBootScript(), "new\r\n", 0.5, save, outcome))
            << c.name;
        ASSERT_EQ(outcome.Failures().size(), 1u) << c.name;
        EXPECT_EQ(outcome.Failures()[0], "c:\\autoexec.bat could not be changed because another "
                                         "program changed it meanwhile, and its change was kept.")
            << c.name;
        EXPECT_EQ(Bytes(qg::BootScriptPath) + " | " + Bytes(qg::ScratchFilePath) + " | " +
                      Bytes(qg::BootScriptBackupPath),
                  std::string(c.saved) + " | <absent> | <absent>")
            << c.name;
    }
}
