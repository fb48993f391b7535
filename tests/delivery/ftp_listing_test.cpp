#include "delivery/ftp_listing.h"

#include <gtest/gtest.h>

namespace orvia {
namespace {

std::string Describe(const std::vector<FtpEntry>& entries) {
    std::string text;
    for (const FtpEntry& e : entries)
        text += (e.type == FtpEntryType::Directory ? "d:"
                 : e.type == FtpEntryType::File    ? "f:"
                                                   : "?:") +
                e.name + "|";
    return text;
}

TEST(FtpListingTest, MlsdGivesNamesAndTypes) {
    const std::string listing =
        "type=cdir;perm=el;unique=1; .\r\n"
        "type=pdir;perm=el; ..\r\n"
        "type=file;size=4;modify=20240101000000; sales_dept_icm000001.wav\r\n"
        "Type=DIR;perm=el; archive.wav\r\n"
        "type=OS.unix=slink:/x;size=1; link.wav\r\n"
        "size=10;type=file; name with spaces; and semicolon.wav\r\n"
        "type=file;size=1; ../escape.wav\r\n"
        "type=file;size=1; sub/escape.wav\r\n"
        "type=file;size=1; back\\slash.wav\r\n"
        "type=file;size=1; bell\x07.wav\r\n"
        "garbage-without-space\r\n"
        "type=file;size=1; last.wav";
    EXPECT_EQ(Describe(ParseMlsdListing(listing)),
              "f:sales_dept_icm000001.wav|d:archive.wav|?:link.wav|"
              "f:name with spaces; and semicolon.wav|f:last.wav|");
}

TEST(FtpListingTest, NameListingKeepsSafeNamesOnly) {
    EXPECT_EQ(Describe(ParseNameListing("a.wav\r\nb c.wav\n\n..\r\n.\r\ndir/x.wav\r\n"
                                        "\x1b[31m.wav\r\n" +
                                        std::string(256, 'n') + "\r\nlast")),
              "?:a.wav|?:b c.wav|?:last|");
}

TEST(FtpListingTest, SafeRemoteNames) {
    EXPECT_TRUE(IsSafeRemoteName("sales_dept.html"));
    EXPECT_TRUE(IsSafeRemoteName(".hidden"));
    EXPECT_TRUE(IsSafeRemoteName(std::string(kMaxRemoteName, 'x')));
    for (const char* bad : {"", ".", "..", "../x.wav", "a/b", "a\\b", "x\r\nDELE y", "tab\t"})
        EXPECT_FALSE(IsSafeRemoteName(bad)) << bad;
    EXPECT_FALSE(IsSafeRemoteName(std::string(kMaxRemoteName + 1, 'x')));
}

}  // namespace
}  // namespace orvia
