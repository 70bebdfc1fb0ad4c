/*
 * The crash-safe file changes on the Wine drive C:: putting a cut-short boot-script swap right,
 * the swap's refusals and failures, whole-file writes and copies that meet an obstacle, and the
 * whole installation and removal with what is on disk at each of their pauses.
 * These use the real boot-script paths, as the end-to-end tests do, and clear them afterwards.
 */
#include "lockconfig/BootFiles.h"
#include "lockconfig/FileSwap.h"
#include "lockconfig/LockActions.h"
#include "lockconfig/Password.h"
#include "lockconfig/SafeFiles.h"
#include "lockconfig/StartupKeyEdits.h"
#include "lockconfig/StartupKeySteps.h"
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
        for (const qg::SwappedFile* file : qg::SwappedFiles) {
            for (const char* path : {file->path, file->scratch, file->backup})
                qg::DiscardFile(path);
            ::RemoveDirectoryA(file->path);
        }
        for (const std::string& path :
             {Folder + "\\target", Folder + "\\temp",
              Folder + "\\source", Folder + "\\rb.com", Folder + "\\qg.exe",
              std::string(qg::PasswordFilePath), std::string(qg::PasswordNewPath),
              std::string(qg::PasswordTempPath), std::string(qg::BootProgramTarget),
              std::string(qg::RebootProgramTarget)})
            qg::DiscardFile(path);
        for (const char* path : {qg::ConfigSysRecordPath, qg::MsdosSysRecordPath, "c:\\kernel.sys"})
            qg::DiscardFile(path);
        ::RemoveDirectoryA(qg::BootFolderPath);
        ::RemoveDirectoryA(Folder.c_str());
    }
};

} // namespace

// Each row of the swap and recovery tables runs for every swapped file.
const qg::SwappedFile* const Files[] = {&qg::BootScriptFile, &qg::ConfigSysFile,
                                        &qg::MsdosSysFile};

bool ByText(const qg::SwappedFile& file) {
    return file.scratchOwner == qg::SwappedFile::ScratchOwner::ByText;
}

TEST_F(SafeFiles, RecoveryAfterACutShortSwap) {
    struct Expect {
        const char* file;   // the file afterwards
        const char* backup; // the backup afterwards
        bool settled;       // nothing holds the next change back
        bool scratchKept;   // not the swap's: never deleted or run
    };
    struct Case {
        const char* name;
        const char *file, *backup, *scratch; // nullptr: absent
        Expect byText;                       // c:\autotemp, whose text says whose it is
        Expect byName;                       // a scratch file of our own name is ours
    };
    const Case cases[] = {
        {"cut after the old one moved aside", nullptr, "old\r\n", "old\r\nc:\\Qg_Data\\qg.exe\r\n",
         {"old\r\n", "<absent>", true, false}, {"old\r\n", "<absent>", true, false}},
        {"cut after the new one moved in", "old\r\nc:\\Qg_Data\\qg.exe\r\n", "old\r\n", nullptr,
         {"old\r\nc:\\Qg_Data\\qg.exe\r\n", "<absent>", true, false},
         {"old\r\nc:\\Qg_Data\\qg.exe\r\n", "<absent>", true, false}},
        {"cut while the new text was written", "old\r\n", nullptr, "old\r\nc:\\Qg",
         {"old\r\n", "<absent>", true, false}, {"old\r\n", "<absent>", true, false}},
        {"nothing cut short", "old\r\n", nullptr, nullptr, {"old\r\n", "<absent>", true, false},
         {"old\r\n", "<absent>", true, false}},
        {"cut while written, no file before", nullptr, nullptr, "c:\\Qg",
         {"<absent>", "<absent>", true, false}, {"<absent>", "<absent>", true, false}},
        {"only the flushed new text kept by a power cut", nullptr, nullptr,
         "c:\\Qg_Data\\qg.exe\r\n", {"c:\\Qg_Data\\qg.exe\r\n", "<absent>", true, false},
         {"c:\\Qg_Data\\qg.exe\r\n", "<absent>", true, false}},
        {"an earlier version's copy cut short", "old\r\n", nullptr, "old\r\nwin\r\n",
         {"old\r\nwin\r\n", "<absent>", true, false}, {"old\r\n", "<absent>", true, false}},
        {"another program's scratch file", "old\r\n", nullptr, "path c:\\dos\r\n",
         {"old\r\n", "<absent>", false, true}, {"old\r\n", "<absent>", true, false}},
        {"another program's scratch file, no file", nullptr, nullptr, "path c:\\dos\r\n",
         {"<absent>", "<absent>", false, true},
         {"path c:\\dos\r\n", "<absent>", true, false}},
        {"a backup unlike the file", "other\r\n", "old\r\n", nullptr,
         {"other\r\n", "old\r\n", false, false}, {"other\r\n", "<absent>", true, false}},
    };
    // The backup read-only as MSDOS.SYS always is, and the scratch file read-only: the
    // recovery moves and deletes them as the swap does.
    const DWORD readOnly = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    for (const qg::SwappedFile* file : Files) {
        for (const Case& c : cases) {
            const std::string name = std::string(file->path) + ", " + c.name;
            const Expect& expect = ByText(*file) ? c.byText : c.byName;
            Clear();
            if (c.file)
                Put(file->path, c.file);
            if (c.backup)
                Put(file->backup, c.backup, readOnly);
            if (c.scratch)
                Put(file->scratch, c.scratch, FILE_ATTRIBUTE_READONLY);
            EXPECT_EQ(qg::RecoverSwap(*file).empty(), expect.settled) << name;
            EXPECT_EQ(Bytes(file->path), expect.file) << name;
            EXPECT_EQ(Bytes(file->backup), expect.backup) << name;
            EXPECT_EQ(Bytes(file->scratch), expect.scratchKept ? c.scratch : "<absent>") << name;
            if (c.backup && !c.file && std::string(expect.file) == c.backup) {
                EXPECT_EQ(qg::PathAttributes(file->path) & readOnly, readOnly) << name;
            }
        }
    }
}

TEST_F(SafeFiles, FailedRestoreIsReportedAndHoldsChangesBack) {
    // Something in the file's place keeps the backup from going back: the backup stays, and no
    // change may write a file that would take its place.
    for (const qg::SwappedFile* file : Files) {
        Clear();
        Put(file->backup, "old\r\n");
        ASSERT_TRUE(::CreateDirectoryA(file->path, nullptr)) << file->path;
        const std::string reason = qg::RecoverSwap(*file);
        EXPECT_NE(reason.find(file->backup), std::string::npos) << reason;
        qg::Outcome outcome;
        EXPECT_FALSE(qg::SwapFile(*file, qg::ReadFileOnDisk(*file), "c:\\Qg_Data\\qg.exe\r\n", 0,
                                  0, NoPause, outcome));
        ASSERT_EQ(outcome.Failures().size(), 1u) << file->path;
        EXPECT_EQ(outcome.Failures()[0],
                  std::string(file->path) + " could not be changed because " + reason + ".");
        EXPECT_EQ(Bytes(file->backup), "old\r\n") << file->path;
        ::RemoveDirectoryA(file->path);
        EXPECT_EQ(qg::RecoverSwap(*file), "") << file->path;
        EXPECT_EQ(Bytes(file->path), "old\r\n") << file->path;
        EXPECT_EQ(Bytes(file->backup), "<absent>") << file->path;
    }
}

TEST_F(SafeFiles, SwapKeepsAttributesAndMovesLeftoversAside) {
    const DWORD readOnly = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    struct Case {
        const char* name;
        DWORD attributes;    // 0: no file before
        const char* scratch; // left by an earlier run: nullptr for none
        bool replaced;       // for the boot script; the system files are always replaced
        const char* failure; // for the boot script
        const char* movedAside; // by text only: where the scratch file went
    };
    const Case cases[] = {
        {"plain", FILE_ATTRIBUTE_NORMAL, "old\r\nc:\\Qg_", true, nullptr, nullptr},
        {"hidden and system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, "old\r\nc:\\Qg_", true,
         nullptr, nullptr},
        {"none before", 0, nullptr, true, nullptr, nullptr},
        {"read-only", readOnly, nullptr, false, " could not be changed because it is read-only.",
         nullptr},
        // Another program's file under the scratch name neither blocks the change nor is lost.
        {"another program's scratch file", FILE_ATTRIBUTE_NORMAL, "path c:\\dos\r\n", true,
         nullptr, "c:\\autotemp.001"},
        {"another program's scratch file, no file before", 0, "path c:\\dos\r\n", true, nullptr,
         "c:\\autotemp.001"},
    };
    for (const qg::SwappedFile* file : Files) {
        for (const Case& c : cases) {
            const std::string name = std::string(file->path) + ", " + c.name;
            const bool replaced = ByText(*file) ? c.replaced : true;
            const char* movedAside = ByText(*file) ? c.movedAside : nullptr;
            Clear();
            if (c.attributes)
                Put(file->path, "old\r\n", c.attributes);
            if (c.scratch)
                Put(file->scratch, c.scratch,
                    c.movedAside ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY);
            qg::Outcome outcome;
            qg::FileOnDisk old;
            ASSERT_TRUE(qg::ReadSettled(*file, old, outcome)) << name;
            EXPECT_EQ(qg::SwapFile(*file, old, "new\r\n", old.attributes, 0, NoPause, outcome),
                      replaced)
                << name;
            EXPECT_EQ(outcome.Succeeded(), replaced) << name;
            EXPECT_EQ(Bytes(file->path), replaced ? "new\r\n" : "old\r\n") << name;
            if (!replaced) {
                ASSERT_EQ(outcome.Failures().size(), 1u) << name;
                EXPECT_EQ(outcome.Failures()[0], file->path + std::string(c.failure)) << name;
            } else {
                const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
                EXPECT_EQ(qg::PathAttributes(file->path) & kept, c.attributes & kept) << name;
                EXPECT_EQ(Bytes(file->scratch), "<absent>") << name;
            }
            if (movedAside) {
                EXPECT_EQ(Bytes(movedAside), c.scratch) << name;
                EXPECT_EQ(outcome.Notes(),
                          std::vector<std::string>{std::string(file->scratch) +
                                                   " was there and Quillgate did not write it: "
                                                   "it is kept as " + movedAside + "."})
                    << name;
                EXPECT_EQ(outcome.Message().find(qg::Messages::SettingsSaved.text), 0u) << name;
                qg::DiscardFile(movedAside);
            } else {
                EXPECT_TRUE(outcome.Notes().empty()) << name;
            }
            EXPECT_EQ(Bytes(file->backup), "<absent>") << name;
            ::SetFileAttributesA(file->path, FILE_ATTRIBUTE_NORMAL);
        }
    }
}

TEST_F(SafeFiles, SwapOfAFileInUseLeavesItWhole) {
    for (const qg::SwappedFile* file : Files) {
        Clear();
        Put(file->path, "old\r\n");
        const qg::FileOnDisk old = qg::ReadFileOnDisk(*file);
        HANDLE held = ::CreateFileA(file->path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        qg::Outcome outcome;
        qg::SwapFile(*file, old, "new\r\n", old.attributes, 0, NoPause, outcome);
        ::CloseHandle(held);
        ASSERT_EQ(outcome.Failures().size(), 1u) << file->path;
        EXPECT_EQ(outcome.Failures()[0], std::string(file->path) +
                                             " could not be changed because another program is "
                                             "using it.");
        EXPECT_EQ(Bytes(file->path), "old\r\n") << file->path;
        EXPECT_EQ(Bytes(file->scratch), "<absent>") << file->path;
        EXPECT_EQ(Bytes(file->backup), "<absent>") << file->path;
    }
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
        // The old password stays until the new one is whole beside it; the line comes last.
        {"install over an earlier one", true, true, off, plain,
         {"1.0: " + off + " | <absent> | <absent> | other | whole"},
         on + " | <absent> | <absent> | whole | <absent>", true},
        // Without the line, nothing is written.
        {"install, read-only boot script", true, false, off, FILE_ATTRIBUTE_READONLY, {},
         off + " | <absent> | <absent> | <absent> | <absent>", false},
        // The line goes first, while the prompt it starts can still run.
        {"remove", false, true, on, plain,
         {"0.5: " + on + " | " + removed + " | <absent> | other | <absent>",
          "0.5: " + removed + " | <absent> | " + on + " | other | <absent>"},
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
    // An editor or a set-up program saves the file while the swap pauses: its text stays and is
    // said, and nothing else of the swap is left behind.
    const std::string kept = " could not be changed because another program changed it "
                             "meanwhile, and its change was kept.";
    struct Case {
        const char* name;
        const char* before; // nullptr: no file
        const char* saved;  // what the other program saves
        bool intoBackup;    // at the pause after the swap, into the text moved aside
    };
    const Case cases[] = {
        {"edited", "old\r\n", "old\r\nset path=c:\\dos\r\n", false},
        {"made", nullptr, "@echo off\r\n", false},
        // Its save reached the old file in the instant before that moved aside.
        {"saved as the swap moved it aside", "old\r\n", "old\r\nset path=c:\\dos\r\n", true},
    };
    for (const qg::SwappedFile* file : Files) {
        for (const Case& c : cases) {
            const std::string name = std::string(file->path) + ", " + c.name;
            Clear();
            if (c.before)
                Put(file->path, c.before);
            int pauses = 0;
            const qg::Pause save = [&](double) {
                if (pauses++ == (c.intoBackup ? 1 : 0))
                    Put(c.intoBackup ? file->backup : file->path, c.saved);
            };
            qg::Outcome outcome;
            EXPECT_EQ(qg::SwapFile(*file, qg::ReadFileOnDisk(*file), "new\r\n", 0, 0.5, save,
                                   outcome),
                      c.intoBackup)
                << name;
            ASSERT_EQ(outcome.Failures().size(), 1u) << name;
            EXPECT_EQ(outcome.Failures()[0],
                      c.intoBackup ? "Another program changed " + std::string(file->path) +
                                         " at the same instant as Quillgate: that program's "
                                         "text is kept in " + file->backup + "."
                                   : file->path + kept)
                << name;
            EXPECT_EQ(Bytes(file->path) + " | " + Bytes(file->scratch) + " | " +
                          Bytes(file->backup),
                      c.intoBackup ? "new\r\n | <absent> | " + std::string(c.saved)
                                   : std::string(c.saved) + " | <absent> | <absent>")
                << name;
        }
    }
}

TEST_F(SafeFiles, StrongLockClosedAgainKeepsTheFirstRecord) {
    // Between two closes the owner or a set-up program took part of the lock's edit out by
    // hand: the second close finishes it, and the removal still puts back what was there
    // before the lock first touched the file.
    const std::string config = "FILES=30\r\n";
    std::string msdos = "[Paths]\r\nWinDir=C:\\WINDOWS\r\n[Options]\r\nBootGUI=1\r\n";
    while (msdos.size() < qg::MsdosSysMinimumSize)
        msdos += ";" + std::string(70, 'x') + "\r\n";
    struct Case {
        const char* name;
        const qg::SwappedFile& file;
        std::string before;
        std::string byHand; // the closed file's line that is taken out between the two closes
    };
    const Case cases[] = {
        {"CONFIG.SYS, INSTALL= taken out and /N kept", qg::ConfigSysFile, config,
         QG_INSTALL_LINE "\r\n"},
        {"MSDOS.SYS, BootKeys=0 taken out and BootWarn=0 kept", qg::MsdosSysFile, msdos,
         "BootKeys=0\r\n"},
    };
    for (const Case& c : cases) {
        Clear();
        ::CreateDirectoryA(qg::BootFolderPath, nullptr);
        Put("c:\\kernel.sys", "FreeDOS"); // SWITCHES=/N is written where FreeDOS boots
        Put(qg::ConfigSysPath, config);
        if (&c.file == &qg::MsdosSysFile) {
            ::DeleteFileA("c:\\kernel.sys"); // a text MSDOS.SYS: Windows 95/98
            Put(qg::MsdosSysPath, msdos);
        }
        qg::Outcome first;
        qg::CloseStartupKeys(first);
        ASSERT_TRUE(first.Succeeded()) << c.name << ": " << first.Message();
        std::string closed = Bytes(c.file.path);
        const std::size_t at = closed.find(c.byHand);
        ASSERT_NE(at, std::string::npos) << c.name << ":\n" << closed;
        Put(c.file.path, closed.erase(at, c.byHand.size()));
        qg::Outcome second;
        qg::CloseStartupKeys(second);
        EXPECT_TRUE(second.Succeeded()) << c.name << ": " << second.Message();
        EXPECT_NE(Bytes(c.file.path).find(c.byHand), std::string::npos) << c.name;
        qg::Outcome removal;
        qg::OpenStartupKeys(removal);
        EXPECT_TRUE(removal.Succeeded()) << c.name << ": " << removal.Message();
        EXPECT_EQ(Bytes(c.file.path), c.before) << c.name;
        EXPECT_EQ(Bytes(qg::ConfigSysPath), config) << c.name;
    }
}
