// Logging in to the FTP test server: the run-log lines, keeping the
// connection for the same server, and the five attempts.
#include "download/ftp_connection.h"

#include <gtest/gtest.h>

#include "ftp_test_support.h"

using namespace quibo;

using namespace ftptest;

TEST(FtpConnection, LogsTheServerUserAndPortButNeverThePassword)
{
    LogCapture log;
    FtpConnection ftp;
    ASSERT_TRUE(ftp.ConnectFtp(kServer, kUser, kPassword, kPort));
    EXPECT_TRUE(ftp.IsOpen());
    EXPECT_EQ(ftp.Server(), kServer);

    std::string text = log.Text();
    const std::string port = "    端口：" + std::to_string(kPort) + "\r\n";
    for (const std::string& line :
         {std::string("    FTP服务器：127.0.0.1\r\n"), std::string("    用户名：updater\r\n"),
          std::string("    口令：不显示\r\n"), port, std::string("    FTP服务器127.0.0.1连接成功\r\n")})
        EXPECT_TRUE(Contains(text, line)) << line;
    EXPECT_FALSE(Contains(text, kPassword));
}

TEST(FtpConnection, SameServerKeepsTheOpenConnection)
{
    FtpConnection ftp;
    ASSERT_TRUE(ftp.ConnectFtp(kServer, kUser, kPassword, kPort));
    HINTERNET first = ftp.Handle();

    LogCapture log;
    // Not even a login: the credentials are not looked at again.
    EXPECT_TRUE(ftp.ConnectFtp(kServer, "someone else", "wrong", kPort));
    EXPECT_EQ(ftp.Handle(), first);
    EXPECT_EQ(log.Text(), "");
}

TEST(FtpConnection, AnotherServerClosesTheOpenConnection)
{
    FtpConnection ftp;
    ASSERT_TRUE(ftp.ConnectFtp(kServer, kUser, kPassword, kPort));
    // Nothing listens on 127.0.0.2: the old connection is gone all the same.
    LogCapture log;
    EXPECT_FALSE(ftp.ConnectFtp("127.0.0.2", kUser, kPassword, kPort));
    EXPECT_FALSE(ftp.IsOpen());
    EXPECT_EQ(ftp.Server(), "");
    EXPECT_TRUE(Contains(log.Text(), "    FTP服务器127.0.0.2连接失败\r\n"));

    EXPECT_TRUE(ftp.ConnectFtp(kServer, kUser, kPassword, kPort));
}

TEST(FtpConnection, EmptyServerNameIsRefusedWithItsLogLine)
{
    LogCapture log;
    FtpConnection ftp;
    EXPECT_FALSE(ftp.ConnectFtp("", kUser, kPassword, kPort));
    EXPECT_EQ(log.Text().substr(12), "错误：FTP服务器名称不能为空！\r\n");
}

TEST(FtpConnection, RefusedLoginIsTriedExactlyFiveTimes)
{
    const std::string user = UniqueUser("nobody");
    LogCapture log;
    FtpConnection ftp;
    EXPECT_FALSE(ftp.ConnectFtp(kServer, user, kPassword, kPort));
    EXPECT_FALSE(ftp.IsOpen());
    EXPECT_TRUE(Contains(log.Text(), "    FTP服务器127.0.0.1连接失败\r\n"));

    ASSERT_TRUE(WaitFor([&] { return RefusedLogins(user) >= 5; }));
    ::Sleep(300);  // a sixth attempt would have reached the server's log by now
    EXPECT_EQ(RefusedLogins(user), 5);
}

TEST(FtpConnection, ServerThatLetsInOnTheFifthLoginIsUsed)
{
    // The first connection brings the server's count of refusals to a round
    // five; the second then needs all five attempts.
    FtpConnection first;
    ASSERT_TRUE(first.ConnectFtp(kServer, kFlakyUser, kPassword, kPort));
    int before = RefusedLogins(kFlakyUser);

    FtpConnection second;
    EXPECT_TRUE(second.ConnectFtp(kServer, kFlakyUser, kPassword, kPort));
    ASSERT_TRUE(WaitFor([&] { return RefusedLogins(kFlakyUser) >= before + 4; }));
    EXPECT_EQ(RefusedLogins(kFlakyUser), before + 4);
}
