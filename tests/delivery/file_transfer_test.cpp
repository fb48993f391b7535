// FileTransfer and the message upload against a pyftpdlib server started on
// loopback for each test.
#include "delivery/file_transfer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <future>
#include <map>
#include <thread>

#include "delivery/ftp_upload_p.h"
#include "delivery/index_page_p.h"
#include "platform/thread/thread.h"
#include "platform/time/clock.h"
#include "server_process.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "temp_dir.h"

namespace orvia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::WriteFile;

constexpr const char* kUser = "owner";
constexpr const char* kPassword = "s3cret";

class FtpTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetStore(SettingsStore::ForDataFolder(data_.Path()));
        ASSERT_TRUE(Store().CreateFolders());
        ASSERT_EQ(::mkdir((root_.Path() + "web").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir(RemoteDir().c_str(), 0755), 0);
        control_.connectTimeoutMs = 5000;
        control_.totalTimeoutMs = 60000;
    }

    void StartServer(bool machineListing = true) {
        std::vector<std::string> args = {root_.Path(), work_.Path() + "port", kUser, kPassword};
        if (!machineListing)
            args.push_back("nomlsd");
        std::string error;
        server_ = test::ServerProcess::Start("ftp_server.py", args, work_.Path() + "port",
                                             work_.Path() + "log", &error);
        ASSERT_TRUE(server_) << error;
    }

    std::string Server() const { return "127.0.0.1:" + std::to_string(server_->Port()); }
    std::string RemoteDir() const { return root_.Path() + "web/box/"; }

    // The mailbox "Sales Dept" uploading to web/box with the given password.
    std::string WriteMailbox(const std::string& password = kPassword,
                             const std::string& dir = "web/box") {
        const std::string mbx = Store().MailBoxes() + "Sales Dept.mbx";
        EXPECT_TRUE(WriteProfileString(mbx, "mbx", "sendftp", "true"));
        EXPECT_TRUE(WriteProfileString(mbx, "mbx", "ftpserver", Server()));
        EXPECT_TRUE(WriteProfileString(mbx, "mbx", "ftpuser", kUser));
        EXPECT_TRUE(WriteProfileString(mbx, "mbx", "ftppass", password));
        EXPECT_TRUE(WriteProfileString(mbx, "mbx", "ftpdir", dir));
        return mbx;
    }

    // A message pair; returns the ".ini" path.
    std::string WriteMessage(const std::string& base, const std::string& audio) {
        const std::string ini = Store().MailBoxes() + base + ".ini";
        EXPECT_TRUE(WriteProfileDateTime(ini, "message", "datetime",
                                         MakeLocalSeconds({2024, 5, 6, 7, 8, 9})));
        EXPECT_TRUE(WriteProfileString(ini, "message", "cid", "5550100"));
        EXPECT_TRUE(WriteFile(Store().MailBoxes() + base + ".wav", audio));
        return ini;
    }

    test::TempDir data_, root_, work_;
    std::unique_ptr<test::ServerProcess> server_;
    TransferControl control_;
};

std::string Audio(char seed) {
    std::string bytes = "RIFF";
    for (int i = 0; i < 70000; ++i)
        bytes += static_cast<char>(seed + i * 7);
    bytes += "\r\n\n\r\x1a";  // would not survive a text-mode transfer
    return bytes;
}

TEST_F(FtpTest, UploadPublishesTheAudioAndTheIndexPage) {
    StartServer();
    ASSERT_TRUE(
        WriteFile(Store().SettingsFile(), "[settings]\r\nproducturl=https://orvia.example/\r\n"));
    const std::string mbx = WriteMailbox();
    WriteMessage("Sales Dept ICM000011", Audio('a'));
    const std::string ini = WriteMessage("Sales Dept ICM000012", Audio('b'));
    FileTransfer transfer(control_);

    ASSERT_TRUE(UploadMessage(transfer, mbx, ini)) << DescribeTransferStatus(transfer.LastStatus());

    EXPECT_EQ(ReadFile(RemoteDir() + "sales_dept_icm000012.wav"), Audio('b'));
    EXPECT_FALSE(FileExists(RemoteDir() + "sales_dept_icm000011.wav"));
    const std::string page = ReadFile(RemoteDir() + "sales_dept.html");
    EXPECT_EQ(page, BuildIndexPage("Sales Dept", ReadWebLinks()));
    EXPECT_NE(page.find("<a href=\"sales_dept_icm000011.wav\">"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"sales_dept_icm000012.wav\">"), std::string::npos);
    EXPECT_NE(page.find("https://orvia.example/"), std::string::npos);
}

TEST_F(FtpTest, DirectoryIsRelativeToTheLoginAbsoluteOrTheLoginItself) {
    StartServer();
    const std::string ini = WriteMessage("Sales Dept ICM000001", Audio('c'));
    const struct {
        const char* dir;
        std::string landed;
    } cases[] = {{"web/box", RemoteDir()}, {"/web/box/", RemoteDir()}, {"", root_.Path()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dir);
        FileTransfer transfer(control_);
        ASSERT_TRUE(UploadMessage(transfer, WriteMailbox(kPassword, c.dir), ini));
        EXPECT_EQ(ReadFile(c.landed + "sales_dept_icm000001.wav"), Audio('c'));
        EXPECT_TRUE(FileExists(c.landed + "sales_dept.html"));
        ASSERT_EQ(std::remove((c.landed + "sales_dept_icm000001.wav").c_str()), 0);
    }
}

TEST_F(FtpTest, FailedConnectOrDirectoryLeavesTheMessageWaiting) {
    StartServer();
    const std::string ini = WriteMessage("Sales Dept ICM000001", Audio('d'));
    {
        FileTransfer transfer(control_);
        EXPECT_FALSE(UploadMessage(transfer, WriteMailbox("wrong"), ini));
        EXPECT_EQ(transfer.LastStatus(), TransferStatus::LoginDenied);
    }
    {
        FileTransfer transfer(control_);
        EXPECT_FALSE(UploadMessage(transfer, WriteMailbox(kPassword, "web/missing"), ini));
        EXPECT_EQ(transfer.LastStatus(), TransferStatus::Refused);
    }
    {
        FileTransfer transfer(control_);
        const std::string mbx = WriteMailbox();
        ASSERT_TRUE(WriteProfileString(mbx, "mbx", "ftpserver",
                                       "127.0.0.1:" + std::to_string(test::ClosedLoopbackPort())));
        EXPECT_FALSE(UploadMessage(transfer, mbx, ini));
        EXPECT_EQ(transfer.LastStatus(), TransferStatus::Unreachable);
    }
    EXPECT_FALSE(FileExists(RemoteDir() + "sales_dept_icm000001.wav"));
    EXPECT_FALSE(FileExists(RemoteDir() + "sales_dept.html"));
}

// Remote clean-up with and without the server's MLSD listing.
class FtpCleanUpTest : public FtpTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FtpCleanUpTest, DeletesRemoteAudioWithoutAnExactLocalCounterpart) {
    StartServer(GetParam());
    const std::string mbx = WriteMailbox();
    WriteMessage("Sales Dept ICM000011", Audio('e'));
    const std::string ini = WriteMessage("Sales Dept ICM000012", Audio('f'));
    WriteMessage("Other ICM000001", Audio('g'));
    ASSERT_TRUE(WriteFile(Store().MailBoxes() + "Sales Dept OGM.wav", "greeting"));
    for (const char* name :
         {"sales_dept_icm000011.wav", "sales_dept_icm000005.wav", "Sales_Dept_ICM000011.wav",
          "other_icm000001.wav", "sales_dept_ogm.wav", "stray.wav", "notes.txt", "UPPER.WAV"})
        ASSERT_TRUE(WriteFile(RemoteDir() + name, "old"));
    ASSERT_EQ(::mkdir((RemoteDir() + "archive.wav").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(root_.Path() + "web/outside.wav", "keep"));

    FileTransfer transfer(control_);
    ASSERT_TRUE(UploadMessage(transfer, mbx, ini));

    for (const char* kept :
         {"sales_dept_icm000011.wav", "sales_dept_icm000012.wav", "other_icm000001.wav",
          "sales_dept_ogm.wav", "notes.txt", "UPPER.WAV", "sales_dept.html", "archive.wav"})
        EXPECT_TRUE(FileExists(RemoteDir() + kept)) << kept;
    for (const char* deleted :
         {"sales_dept_icm000005.wav", "Sales_Dept_ICM000011.wav", "stray.wav"})
        EXPECT_FALSE(FileExists(RemoteDir() + deleted)) << deleted;
    EXPECT_TRUE(FileExists(root_.Path() + "web/outside.wav"));
}

INSTANTIATE_TEST_SUITE_P(Listings, FtpCleanUpTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Mlsd" : "Nlst"; });

TEST_F(FtpTest, ServerThatListsAnotherCaseLosesEvenTheNewUpload) {
    // A server that stores names in upper case: nothing matches a local web
    // name, so the clean-up removes the files, the one just uploaded included.
    StartServer();
    WriteMessage("Sales Dept ICM000001", Audio('h'));
    ASSERT_TRUE(WriteFile(RemoteDir() + "SALES_DEPT_ICM000001.wav", "as listed"));
    FileTransfer transfer(control_);
    ASSERT_TRUE(transfer.Connect(Server(), kUser, kPassword));
    ASSERT_TRUE(transfer.SetDirectory("web/box"));
    CleanUpRemote(transfer);
    EXPECT_FALSE(FileExists(RemoteDir() + "SALES_DEPT_ICM000001.wav"));
}

TEST_F(FtpTest, IteratorListsMatchingEntriesWithTheirTypes) {
    StartServer();
    for (const char* name : {"b.wav", "a b.wav", "c.txt"})
        ASSERT_TRUE(WriteFile(RemoteDir() + name, "x"));
    ASSERT_EQ(::mkdir((RemoteDir() + "d.wav").c_str(), 0755), 0);
    FileTransfer transfer(control_);
    ASSERT_TRUE(transfer.Connect(Server(), kUser, kPassword));
    ASSERT_TRUE(transfer.SetDirectory("/web/box"));

    std::map<std::string, FtpEntryType> seen;
    FileTransfer::DirIterator it(transfer, "*.wav");
    for (; it.HasEntry(); it.Next())
        seen[it.Name()] = it.Type();
    EXPECT_EQ(seen, (std::map<std::string, FtpEntryType>{{"a b.wav", FtpEntryType::File},
                                                         {"b.wav", FtpEntryType::File},
                                                         {"d.wav", FtpEntryType::Directory}}));
}

TEST_F(FtpTest, RemoteNamesCannotLeaveTheDirectory) {
    StartServer();
    ASSERT_TRUE(WriteFile(root_.Path() + "web/victim.wav", "keep"));
    FileTransfer transfer(control_);
    ASSERT_TRUE(transfer.Connect(Server(), kUser, kPassword));
    ASSERT_TRUE(transfer.SetDirectory("web/box"));
    for (const char* name : {"../victim.wav", "/web/victim.wav", "..", "x\r\nDELE ../victim.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(transfer.DeleteFile(name));
        EXPECT_EQ(transfer.LastStatus(), TransferStatus::InvalidInput);
        EXPECT_FALSE(transfer.PutData("evil", name));
        EXPECT_EQ(transfer.LastStatus(), TransferStatus::InvalidInput);
    }
    EXPECT_EQ(ReadFile(root_.Path() + "web/victim.wav"), "keep");
    ASSERT_TRUE(transfer.PutData("ok", "plain.wav"));
    ASSERT_TRUE(transfer.DeleteFile("plain.wav"));
    EXPECT_FALSE(FileExists(RemoteDir() + "plain.wav"));
}

TEST_F(FtpTest, StopRequestEndsTransfersAndTheCleanUp) {
    StartServer();
    ASSERT_TRUE(WriteFile(RemoteDir() + "stray.wav", "old"));
    std::atomic<bool> stop{false};
    control_.stop = [&] { return stop.load(); };
    FileTransfer transfer(control_);
    ASSERT_TRUE(transfer.Connect(Server(), kUser, kPassword));
    ASSERT_TRUE(transfer.SetDirectory("web/box"));
    stop = true;
    CleanUpRemote(transfer);
    EXPECT_TRUE(FileExists(RemoteDir() + "stray.wav"));
    EXPECT_FALSE(transfer.PutData("x", "new.wav"));
    EXPECT_EQ(transfer.LastStatus(), TransferStatus::Aborted);
    EXPECT_FALSE(transfer.Connect(Server(), kUser, kPassword));
    EXPECT_EQ(transfer.LastStatus(), TransferStatus::Aborted);
    EXPECT_FALSE(FileExists(RemoteDir() + "new.wav"));
}

TEST_F(FtpTest, StopSignalAbortsAnUploadInProgress) {
    StartServer();
    LSignalObject stop;
    control_.stop = StopOnSignal(&stop);
    std::thread stopper([&] {
        for (int i = 0; i < 2000 && !FileExists(work_.Path() + "stalled"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop.Set();
    });
    auto uploading = std::async(std::launch::async, [&] {
        FileTransfer transfer(control_);
        if (!transfer.Connect(Server(), kUser, kPassword))
            return transfer.LastStatus();
        transfer.PutData(Audio('s'), "stall.wav");
        const TransferStatus status = transfer.LastStatus();
        transfer.Close();  // must not wait for the stalled server either
        return status;
    });
    // A hang guard far above the second or so a stop takes.
    const bool ended = uploading.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    stopper.join();
    ASSERT_TRUE(ended) << "the stop signal did not end the upload";
    EXPECT_TRUE(FileExists(work_.Path() + "stalled"));
    EXPECT_EQ(uploading.get(), TransferStatus::Aborted);
}

TEST_F(FtpTest, EmptyMailboxPageUploads) {
    StartServer();
    FileTransfer transfer(control_);
    ASSERT_TRUE(transfer.Connect(Server(), kUser, kPassword));
    ASSERT_TRUE(transfer.SetDirectory("web/box"));
    ASSERT_TRUE(UploadIndexPage(transfer, "Empty Box"));
    const std::string page = ReadFile(RemoteDir() + "empty_box.html");
    EXPECT_EQ(page, BuildIndexPage("Empty Box", WebLinks{}));
    EXPECT_EQ(page.find("<tr><td>", page.find("PLAY</td></tr>")), page.find("<tr><td>&nbsp"));
}

}  // namespace
}  // namespace orvia
