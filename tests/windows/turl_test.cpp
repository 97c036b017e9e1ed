// TURL: the kinds of address and what the shell is asked to open.
#include "windowstest.h"

using namespace windowstest;

namespace {

TEST(TURL, WithoutAnAddressOpensNothingAndFails)
{
    RecordingShell shell;
    TURL url(shell);
    EXPECT_FALSE(url.open());
    url.setUrlType(TURL::utnone);
    EXPECT_FALSE(url.open());
    EXPECT_TRUE(shell.calls.empty());
}

TEST(TURL, NoneOpensTheAddressExactlyAsStored)
{
    RecordingShell shell;
    TURL url(shell);
    url.setUrlType(TURL::utnone);
    url.setUrl(QStringLiteral("C:\\Games\\readme.txt"));
    EXPECT_TRUE(url.open());
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].item, QStringLiteral("C:\\Games\\readme.txt"));
    EXPECT_TRUE(shell.calls[0].parameters.isEmpty());
    EXPECT_TRUE(shell.calls[0].folder.isEmpty());
}

TEST(TURL, HttpIsTheDefaultAndPutsHttpInFront)
{
    RecordingShell shell;
    TURL url(shell);
    url.setUrl(QStringLiteral("www.zelk42.com"));
    EXPECT_EQ(url.urlType(), TURL::utHttp);
    EXPECT_TRUE(url.open());
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].item, QStringLiteral("http://www.zelk42.com"));
}

TEST(TURL, EachKindPutsItsSchemeInFront)
{
    RecordingShell shell;
    TURL url(shell);
    url.setUrl(QStringLiteral("x"));
    const std::pair<TURL::URLType, const char*> kinds[] = {
        {TURL::utFile, "file://x"}, {TURL::utFtp, "ftp://x"},     {TURL::utGopher, "gopher://x"},
        {TURL::utHttp, "http://x"}, {TURL::utHttps, "https://x"}, {TURL::utMailto, "mailto:x"},
        {TURL::utNews, "news:x"},   {TURL::utTelnet, "telnet:x"}, {TURL::utWais, "wais:x"},
        {TURL::utnone, "x"},
    };
    for (const auto& [kind, address] : kinds) {
        url.setUrlType(kind);
        url.open();
        EXPECT_EQ(shell.calls.back().item, QString::fromLatin1(address));
    }
}

TEST(TURL, SucceedsOnlyWhenTheShellAnswersAbove32)
{
    RecordingShell shell;
    TURL url(shell);
    url.setUrl(QStringLiteral("www.zelk42.com"));
    for (const auto& [result, opened] : {std::pair{33, true},
                                         {42, true},
                                         {32, false},
                                         {Shell::kFileNotFound, false},
                                         {0, false}}) {
        shell.result = result;
        EXPECT_EQ(url.open(), opened) << result;
    }
}

} // namespace
