// Tests of a page's resources as plain data: the report's sections and lines, the files a download weighs and its seconds.
#include "app/model/ResourceReport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/model/libKestrima.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "platform/core/SysUtils.h"
#include "support/AccessLists.h"
#include "support/EnvironmentWhile.h"
#include "support/RandomText.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace {

using Strings = std::vector<std::string>;

TStringList linksOf(const std::string& page)
{
    TStringList references;
    ExtractLinks(page, references);
    return references;
}

// A size look-up over a table, for reports made without files.
TReferenceSize sizes(std::map<std::string, int64_t> table)
{
    return [table = std::move(table)](const std::string& reference) -> int64_t {
        const auto found = table.find(reference);
        return found == table.end() ? 0 : found->second;
    };
}

const std::string kCredit =
    "<hr size=\"10\" noshade><font face=\"Arial\"><b>Informe hecho con <a href=\"http://w/\">Kestrima</a></b></font>";

// Every kind of reference the report knows, and a few that keep the case the page gave them.
const std::string kPage = "<img src=\"fotos/a.gif\"><a href=\"#top\"><a href=\"http://x\"><a href=\"b.htm\">"
                          "<a href=\"mailto:m\"><a href=\"news:n\"><a href=\"c.zip\"><img src=\"B.JPG\">"
                          "<a href=\"HTTP://Y\"><a href=\"d.HTML\"><body background=\"z.txt\">";

} // namespace

TEST(ResourceReport, EachReferenceFallsInTheFirstSectionThatTakesItOtherInReverse)
{
    const auto groups = GroupReferences(linksOf(kPage));
    const std::vector<Strings> expected = {
        {"B.JPG", "fotos/a.gif"}, {"#top"}, {"http://x", "HTTP://Y"}, {"b.htm", "d.HTML"},
        {"mailto:m"},             {"news:n"}, {"z.txt", "c.zip"}};
    ASSERT_EQ(groups.size(), expected.size());
    for (size_t i = 0; i < groups.size(); ++i) {
        EXPECT_EQ(groups[i].Section, static_cast<TReferenceSection>(i));
        EXPECT_EQ(groups[i].References, expected[i]) << "section " << i;
    }
    // An image named by an address is still an image; "https:" is not "http:".
    const auto addresses = GroupReferences(linksOf("<img src=\"http://x/p.png\"><a href=\"https://s\">"));
    EXPECT_EQ(addresses[0].References, Strings{"http://x/p.png"});
    EXPECT_EQ(addresses[6].References, Strings{"https://s"});

    // Whatever the references, each one lands in exactly one section.
    std::mt19937 random(67);
    for (int round = 0; round < 300; ++round) {
        std::string page;
        for (int i = random() % 8; i > 0; --i)
            page += "<a href=\"" + RandomTextUpTo(random, "#:./abhtpgifmlHTG", 9) + "\">";
        const TStringList references = linksOf(page);
        std::multiset<std::string> listed;
        for (const TReferenceGroup& group : GroupReferences(references))
            listed.insert(group.References.begin(), group.References.end());
        std::multiset<std::string> given;
        for (int i = 0; i < references.Count(); ++i)
            given.insert(references[i]);
        EXPECT_EQ(listed, given) << page;
    }
}

TEST(ResourceReport, APageWithoutReferencesHasTitleHeadingPageTotalAndFooter)
{
    const Strings lines = ResourceReportLines("p.htm", 120, TStringList(), sizes({}), "http://w/");
    EXPECT_EQ(lines, (Strings{"<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                       "<TITLE>Recursos: p.htm</TITLE></HEAD><BODY>",
                              "<h2>Informe de recursos utilizados<hr noshade></h2>",
                              "<big><a href=\"p.htm\">p.htm</a></big><p>",
                              "<h3>Tama\xF1o totalde la p\xE1gina: 120 bytes</h3>", kCredit, "</BODY></HTML>"}));
    // Without the page's file there is nothing to add up.
    const Strings untitled = ResourceReportLines("", 0, TStringList(), sizes({}), "http://w/");
    EXPECT_EQ(untitled.size(), 5u);
    EXPECT_EQ(untitled[3], kCredit);
    // An empty setting Web links our own address.
    EXPECT_EQ(ResourceReportLines("p.htm", 0, TStringList(), sizes({}), "")[3],
              "<hr size=\"10\" noshade><font face=\"Arial\"><b>Informe hecho con <a href=\"" +
                  std::string(kDefaultCreditAddress) + "\">Kestrima</a></b></font>");
}

TEST(ResourceReport, SectionsInOrderWithSizesOfFoundFilesAddedToThePage)
{
    const TStringList references = linksOf(kPage);
    const Strings lines = ResourceReportLines("p.htm", 1000, references,
                                              sizes({{"fotos/a.gif", 300}, {"c.zip", 20}, {"b.htm", 7}}), "http://w/");
    EXPECT_EQ(lines, (Strings{"<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                       "<TITLE>Recursos: p.htm</TITLE></HEAD><BODY>",
                              "<h2>Informe de recursos utilizados<hr noshade></h2>",
                              "<big><a href=\"p.htm\">p.htm</a></big><p>",
                              "<h3>Im&aacute;genes:<hr noshade></h3>",
                              "<a href=\"B.JPG\">B.JPG</a><br>",
                              "<a href=\"fotos/a.gif\">fotos/a.gif</a> (300 bytes)<br>",
                              "<h3>Enlaces internos:<hr noshade></h3>",
                              "<a href=\"p.htm#top\">#top</a><br>",
                              "<h3>Enlaces externos:<hr noshade></h3>",
                              "<a href=\"http://x\">http://x</a><br>",
                              "<a href=\"HTTP://Y\">HTTP://Y</a><br>",
                              "<h3>Enlaces en el dominio:<hr noshade></h3>",
                              // Pages of the site are listed, never weighed.
                              "<a href=\"b.htm\">b.htm</a><br>",
                              "<a href=\"d.HTML\">d.HTML</a><br>",
                              "<h3>Direcciones de email:<hr noshade></h3>",
                              "<a href=\"mailto:m\">mailto:m</a><br>",
                              "<h3>Servidores de news:<hr noshade></h3>",
                              "<a href=\"news:n\">news:n</a><br>",
                              "<h3>Otros enlaces:<hr noshade></h3>",
                              "<a href=\"z.txt\">z.txt</a><br>",
                              "<a href=\"c.zip\">c.zip</a> (20 bytes)<br>",
                              "<h3>Tama\xF1o totalde la p\xE1gina: 1320 bytes</h3>",
                              kCredit,
                              "</BODY></HTML>"}));
    // A section with no reference has no heading.
    const Strings mail = ResourceReportLines("p.htm", 0, linksOf("<a href=\"mailto:q\">"), sizes({}), "x");
    EXPECT_EQ(mail.size(), 7u);
    EXPECT_EQ(mail[3], "<h3>Direcciones de email:<hr noshade></h3>");
}

TEST(ResourceReport, SizesAgreeInNumberWithTheirCount)
{
    const auto sizedLines = [](const std::map<std::string, int64_t>& table, int64_t pageSize) {
        Strings sized;
        for (const std::string& line :
             ResourceReportLines("p.htm", pageSize, linksOf("<img src=\"a.gif\"><img src=\"b.gif\">"), sizes(table), "x"))
            if (line.find("byte") != std::string::npos)
                sized.push_back(line);
        return sized;
    };
    EXPECT_EQ(sizedLines({{"a.gif", 1}, {"b.gif", 2}}, 0),
              (Strings{"<a href=\"a.gif\">a.gif</a> (1 byte)<br>", "<a href=\"b.gif\">b.gif</a> (2 bytes)<br>",
                       "<h3>Tama\xF1o totalde la p\xE1gina: 3 bytes</h3>"}));
    EXPECT_EQ(sizedLines({{"b.gif", 1}}, 0),
              (Strings{"<a href=\"b.gif\">b.gif</a> (1 byte)<br>", "<h3>Tama\xF1o totalde la p\xE1gina: 1 byte</h3>"}));
    EXPECT_EQ(sizedLines({}, 1), (Strings{"<h3>Tama\xF1o totalde la p\xE1gina: 1 byte</h3>"}));
    EXPECT_EQ(sizedLines({{"a.gif", 10}}, 0),
              (Strings{"<a href=\"a.gif\">a.gif</a> (10 bytes)<br>", "<h3>Tama\xF1o totalde la p\xE1gina: 10 bytes</h3>"}));
}

TEST(ResourceReport, ReferencesAndThePageNamePutNoMarkupOfTheirOwn)
{
    const Strings lines =
        ResourceReportLines("a\"<b>.htm", 0, linksOf("<a href=\"<script>x.js</script>\"><a href=\"q?a=1&amp;b=2\">"),
                            sizes({}), "http://w/");
    EXPECT_EQ(lines[0], "<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                       "<TITLE>Recursos: a&quot;&lt;b&gt;.htm</TITLE></HEAD><BODY>");
    // The address spells the quote as an address does.
    EXPECT_EQ(lines[2], "<big><a href=\"a%22%3Cb%3E.htm\">a&quot;&lt;b&gt;.htm</a></big><p>");
    EXPECT_EQ(lines[4], "<a href=\"q?a=1&amp;b=2\">q?a=1&amp;b=2</a><br>");
    EXPECT_EQ(lines[5], "<a href=\"&lt;script&gt;x.js&lt;/script&gt;\">&lt;script&gt;x.js&lt;/script&gt;</a><br>");
}

TEST(ResourceReport, ReferencesResolveAgainstThePageFolderOnly)
{
    EXPECT_EQ(ReferencedFile("/w/site/", "fotos/a.gif"), "/w/site/fotos/a.gif");
    EXPECT_EQ(ReferencedFile("/w/site", "a.gif"), "/w/site/a.gif");
    EXPECT_EQ(ReferencedFile("/w/site/", "fotos\\a.gif"), "/w/site/fotos/a.gif");
    EXPECT_EQ(ReferencedFile("/w/site/", "../b.css"), "/w/site/../b.css");
    EXPECT_EQ(ReferencedFile("/w/site/", "./css//b.css"), "/w/site/css/b.css");
    EXPECT_EQ(ReferencedFile("/w/site/", "/etc/x.png"), "/etc/x.png");
    EXPECT_EQ(ReferencedFile("", "/etc/x.png"), "/etc/x.png");
    // An untitled page has no folder to look beside; addresses name no local file.
    EXPECT_EQ(ReferencedFile("", "a.gif"), "");
    for (const char* address : {"http://x/a.gif", "mailto:m", "news:n", "javascript:go()", "c:/a.gif"})
        EXPECT_EQ(ReferencedFile("/w/site/", address), "") << address;
    EXPECT_EQ(ReferencedFile("/w/site/", ""), "");
    // A colon after a folder is part of a name.
    EXPECT_EQ(ReferencedFile("/w/", "d/a:b.gif"), "/w/d/a:b.gif");

    TempDir folder("report");
    folder.file("a.gif", std::string(42, 'x'));
    const TReferenceSize sizeOf = FileSizesBeside(folder.path.string() + "/");
    EXPECT_EQ(sizeOf("a.gif"), 42);
    EXPECT_EQ(sizeOf("b.gif"), 0);
    EXPECT_EQ(sizeOf(folder.path.string() + "/a.gif"), 42);
    // The working folder is not where a page's files are looked for.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder.path);
    EXPECT_EQ(FileSizesBeside("")("a.gif"), 0);
    EXPECT_EQ(FileSizesBeside("/nowhere/")("a.gif"), 0);
    std::filesystem::current_path(before);
}

TEST(ResourceReport, SavedBesideThePageOrInThePrivateFolderAndAFailureSaysWhy)
{
    TempDir folder("report");
    const std::string page = folder.file("p.htm", "<img src=\"a.gif\">");
    folder.file("a.gif", "GIF89a");
    std::string report, error;
    ASSERT_TRUE(SaveResourceReport(page, linksOf("<img src=\"a.gif\">"), "http://w/", report, error)) << error;
    EXPECT_EQ(report, folder.path.string() + "/tmpInforme.htm");
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(report, 1 << 20, bytes));
    EXPECT_NE(bytes.find("<a href=\"a.gif\">a.gif</a> (6 bytes)<br>\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("p\xE1gina: 23 bytes</h3>\r\n"), std::string::npos) << bytes;
    EXPECT_TRUE(bytes.ends_with("</BODY></HTML>\r\n"));

    ASSERT_TRUE(SaveResourceReport("", TStringList(), "", report, error)) << error;
    EXPECT_EQ(report, PrivateRuntimeFolder() + "tmpInforme.htm");
    std::filesystem::remove(report);

    // A folder standing where the report goes, whoever runs the test, leaves the private folder to
    // take it; without a private folder either, nothing is written and the first refusal says why.
    std::filesystem::remove(folder.path / "tmpInforme.htm");
    std::filesystem::create_directory(folder.path / "tmpInforme.htm");
    ASSERT_TRUE(SaveResourceReport(page, TStringList(), "", report, error)) << error;
    EXPECT_EQ(report, PrivateRuntimeFolder() + "tmpInforme.htm");
    std::filesystem::remove(report);
    {
        TEnvironmentWhile noRuntime("XDG_RUNTIME_DIR", std::nullopt);
        TEnvironmentWhile temporary("TMPDIR", folder.path.string());
        folder.file("kestrima-" + std::to_string(geteuid()), "not a folder");
        EXPECT_FALSE(SaveResourceReport(page, TStringList(), "", report, error));
    }
    EXPECT_EQ(report, folder.path.string() + "/tmpInforme.htm");
    EXPECT_EQ(error, SysErrorMessage(EISDIR));
}

TEST(ResourceReport, TheReportOfAPageClosedToOneUserIsClosedToIt)
{
    TempDir folder("report");
    chmod(folder.path.c_str(), 0755);
    const std::string page = folder.file("p.htm", "<p>privado</p>");
    chmod(page.c_str(), 0644);
    constexpr uid_t kExcluded = 54321;
    const std::string list = ListExcluding(kExcluded);
    if (!SetAccessList(page, list))
        GTEST_SKIP() << "the file system keeps no access lists";
    std::string report, error;
    ASSERT_TRUE(SaveResourceReport(page, TStringList(), "http://w/", report, error)) << error;
    EXPECT_EQ(report, folder.path.string() + "/tmpInforme.htm");
    EXPECT_EQ(AccessListOf(report), list);
    EXPECT_EQ(ReadableAs(kExcluded, kExcluded, report).value_or(false), false);
    EXPECT_EQ(ReadableAs(kExcluded + 1, kExcluded + 1, report).value_or(true), true);
}

TEST(ResourceReport, AFolderThatTakesNoReportLeavesThePrivateFolderToTakeIt)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs the superuser to act as a second and a third user";
    // A shared web folder (anyone writes, only a name's owner replaces it) holding another user's
    // report, and a read-only folder; the check runs as nobody, with a private folder of nobody's.
    constexpr uid_t kOtherUser = 4242;
    TempDir folder("report");
    chmod(folder.path.c_str(), 0755);
    const std::string shared = (folder.path / "web").string();
    const std::string closed = (folder.path / "cerrada").string();
    const std::string runtime = (folder.path / "run").string();
    ASSERT_EQ(mkdir(shared.c_str(), 0755), 0);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    ASSERT_EQ(mkdir(closed.c_str(), 0555), 0);
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    ASSERT_EQ(chown(runtime.c_str(), kNobody, kNobody), 0);
    const std::string theirs = folder.file("web/tmpInforme.htm", "de otro usuario");
    ASSERT_EQ(chown(theirs.c_str(), kOtherUser, kOtherUser), 0);
    const std::string references = "<img src=\"a.gif\">";
    for (const char* beside : {"web/", "cerrada/"}) {
        folder.file(std::string(beside) + "p.htm", references);
        folder.file(std::string(beside) + "a.gif", "GIF89a");
    }
    const TUnprivilegedRun run = RunUnprivileged([&]() -> std::string {
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        for (const std::string& page : {shared + "/p.htm", closed + "/p.htm"}) {
            std::string report, error;
            if (!SaveResourceReport(page, linksOf(references), "", report, error))
                return "no report for " + page + ": " + error;
            if (report != runtime + "/kestrima/tmpInforme.htm")
                return "the report of " + page + " went to " + report;
            // Sized beside the page, wherever the report went.
            if (ReadFileBytes(report).find("(6 bytes)") == std::string::npos)
                return "the report of " + page + " did not size a.gif";
        }
        return "";
    });
    if (run.Skipped)
        GTEST_SKIP() << run.Failure;
    EXPECT_EQ(run.Failure, "");
    EXPECT_EQ(ReadFileBytes(theirs), "de otro usuario");
    EXPECT_FALSE(std::filesystem::exists(closed + "/tmpInforme.htm"));
}

TEST(DownloadTimes, WeighedFilesByExtensionWithoutCaseFragmentsCutAndThePageItself)
{
    const TStringList references =
        linksOf("<img src=\"fotos/a.gif#x\"><img src=\"B.JPG\"><a href=\"c.zip\"><a href=\"#top\">"
                "<script src=\"s.js\"></script><a href=\"http://x\"><img src=\"fotos/a.gif\">");
    const std::string weigh = ".gif;.jpg;.jpeg;.bmp;.png;.class;.js;.css;.wav;.mid";
    EXPECT_EQ(WeighedFiles(references, weigh, "p.htm"), (Strings{"B.JPG", "fotos/a.gif", "p.htm", "s.js"}));
    // The text after the last ";" counts; empty entries (a trailing ";") take no file without extension.
    EXPECT_EQ(WeighedFiles(references, ".zip;;.JS;", "p.htm"), (Strings{"c.zip", "p.htm", "s.js"}));
    EXPECT_EQ(WeighedFiles(references, "", "p.htm"), Strings{"p.htm"});
    // An untitled page adds no nameless row.
    EXPECT_EQ(WeighedFiles(references, ".zip", ""), Strings{"c.zip"});
    // Names that differ only in case are two files.
    EXPECT_EQ(WeighedFiles(linksOf("<img src=\"a.gif\"><img src=\"A.gif\">"), ".gif", "p.htm"),
              (Strings{"a.gif", "A.gif", "p.htm"}));
}

TEST(DownloadTimes, SecondsAtEachSpeedAreWholeSecondsRoundedDown)
{
    EXPECT_EQ(kModemBytesPerSecond, (std::array<int, 4>{1440, 2880, 3660, 5660}));
    const int64_t expected[] = {20, 10, 7, 5};
    for (size_t i = 0; i < kModemBytesPerSecond.size(); ++i)
        EXPECT_EQ(DownloadSeconds(28800, kModemBytesPerSecond[i]), expected[i]);
    EXPECT_EQ(DownloadSeconds(0, 1440), 0);
    EXPECT_EQ(DownloadSeconds(1439, 1440), 0);
    std::mt19937 random(28800);
    for (int round = 0; round < 1000; ++round) {
        const int64_t bytes = random() % 10'000'000;
        for (int speed : kModemBytesPerSecond) {
            const int64_t seconds = DownloadSeconds(bytes, speed);
            EXPECT_LE(seconds * speed, bytes);
            EXPECT_GT((seconds + 1) * speed, bytes);
        }
    }
}
