// Tests of file names where they meet Qt: addresses and drops, and fields that keep a name's bytes.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMimeData>
#include <QTableWidgetItem>
#include <QUrl>
#include <string>
#include <vector>

#include "platform/FileNameQt.h"

namespace {

// Names of every kind: plain, UTF-8 characters in and outside Windows-1252, Latin-1 bytes that spell
// no UTF-8 character, a lone continuation byte, and characters an address escapes.
const std::vector<std::string> kNames = {
    "/tmp/a.gif", "/tmp/im\xC3\xA1genes/foto \xC3\xB1.gif", "/opt/\xC5\x82ukasz/herramienta",
    "/home/ana/caf\xE9/", "/x/\x80y", "/x/a%20b#c?.html", "/x/\xE6\x97\xA5\xE6\x9C\xAC.html"};

} // namespace

TEST(FileNameQt, AnAddressAndADropGiveTheNamesBytesWhateverTheyAre)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& name : kNames) {
        // As a program writes the address of a file: each byte not plain ASCII escaped.
        const QUrl url(QStringLiteral("file://") + QString::fromLatin1(QByteArray::fromStdString(name).toPercentEncoding("/")));
        ASSERT_TRUE(url.isValid()) << name;
        EXPECT_EQ(FilePathOfUrl(url), name);
        EXPECT_EQ(UrlOfFilePath(name), url);
        urls << url;
    }
    urls.insert(1, QUrl(QStringLiteral("http://example.org/a.gif")));
    data.setUrls(urls);
    // The list as it travels between programs, read back: the local files alone, in order.
    QMimeData received;
    received.setData(QStringLiteral("text/uri-list"), data.data(QStringLiteral("text/uri-list")));
    EXPECT_EQ(DroppedFilePaths(&received), kNames);
    EXPECT_TRUE(DroppedFilePaths(nullptr).empty());
    EXPECT_EQ(FilePathOfUrl(QUrl(QStringLiteral("https://example.org/a.gif"))), "");
    // A name given to Qt's own address maker comes back too, when it is UTF-8.
    EXPECT_EQ(FilePathOfUrl(QUrl::fromLocalFile(FromFilePath(kNames[1]))), kNames[1]);
}

TEST(FileNameQt, AnAddressNamesALocalFileOnlyOnThisMachineAndWithoutANulOrAnEscapedSlash)
{
    // As a file manager hands them over in a drop, and the name each gives ("" for none).
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"file:///tmp/foto.gif%00.css", ""},
        {"file://tmp/fotos/secret.gif", ""}, // the machine "tmp"
        {"file://otra.example/tmp/a.gif", ""},
        {"file://localhost/tmp/a.gif", "/tmp/a.gif"},
        {"file://LOCALHOST/tmp/a.gif", "/tmp/a.gif"},
        {"file:///tmp/sub%2Fa.gif", ""},
        {"file:///tmp/sub%2fa.gif", ""},
        {"file:///tmp/sub%252Fa.gif", "/tmp/sub%2Fa.gif"}, // an escaped "%": the name holds "%2F"
        {"file:///tmp/100%G1.gif", "/tmp/100%G1.gif"},
        {"file:///tmp/50%.gif", "/tmp/50%.gif"},
        {"file:///tmp/a%4", "/tmp/a%4"},
        {"file:///tmp/caf%E9.gif", "/tmp/caf\xE9.gif"},
        {"file://localhost/tmp/caf%c3%a9%5C.gif", "/tmp/caf\xC3\xA9\\.gif"},
        {"file:a.gif", ""},
        {"file://localhost", ""},
        {"http://localhost/tmp/a.gif", ""},
    };
    QByteArray list;
    std::vector<std::string> local;
    for (const auto& [address, name] : cases) {
        EXPECT_EQ(FilePathOfUrl(QUrl(QString::fromLatin1(address.c_str()))), name) << address;
        list += QByteArray::fromStdString(address) + "\r\n";
        if (!name.empty())
            local.push_back(name);
    }
    // A drop of them all gives the local files alone, in order.
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), list);
    EXPECT_EQ(DroppedFilePaths(&data), local);
}

TEST(FileNameQt, AFieldGivesBackTheNameItWasGivenUntilItsTextChanges)
{
    QLineEdit edit;
    QTableWidgetItem item;
    QAction action;
    for (const std::string& name : kNames) {
        ShowFilePath(&edit, name);
        ShowFilePath(&item, name);
        SetPathHint(&action, name);
        SetPathProperty(&edit, "toolTip", name + "/hint");
        EXPECT_EQ(edit.text(), FromFilePath(name));
        EXPECT_EQ(FilePathOf(&edit), name);
        EXPECT_EQ(FilePathOf(&item), name);
        EXPECT_EQ(PathHintOf(&action), name);
        // A property's path is kept apart from the field's own.
        EXPECT_EQ(edit.toolTip(), FromFilePath(name + "/hint"));
        EXPECT_EQ(PathPropertyOf(&edit, "toolTip"), name + "/hint");
    }
    edit.setToolTip(QStringLiteral("/otra/\u00E9"));
    EXPECT_EQ(PathPropertyOf(&edit, "toolTip"), "/otra/\xC3\xA9");
    // Latin-1 bytes show as U+FFFD; the text alone would give other bytes back.
    EXPECT_EQ(FromFilePath("caf\xE9"), QStringLiteral("caf\uFFFD"));
    EXPECT_EQ(ToFilePath(QStringLiteral("caf\uFFFD")), "caf\xEF\xBF\xBD");
    // A changed text is the name it spells now; typed back as it was shown, the name it was given.
    ShowFilePath(&edit, "/x/\x80y");
    edit.setText(QStringLiteral("/tmp/nuevo \u00F1"));
    EXPECT_EQ(FilePathOf(&edit), "/tmp/nuevo \xC3\xB1");
    edit.setText(QStringLiteral("/x/\uFFFDy"));
    EXPECT_EQ(FilePathOf(&edit), "/x/\x80y");
    item.setText(QString());
    EXPECT_EQ(FilePathOf(&item), "");
    // A field never given a name gives its text's name.
    QLineEdit typed;
    typed.setText(QStringLiteral("/opt/\u0142"));
    EXPECT_EQ(FilePathOf(&typed), "/opt/\xC5\x82");
    EXPECT_EQ(KeptFilePath(QStringLiteral("a\uFFFD"), "a\xE9"), "a\xE9");
    EXPECT_EQ(KeptFilePath(QStringLiteral("a\u00E9"), "a\xE9"), "a\xC3\xA9");
}

TEST(FileNameQt, FoldersAreAnsweredInTheFileSystemsBytes)
{
    EXPECT_EQ(RootFolderPath(), "/");
    EXPECT_TRUE(IsRootFolder("/"));
    EXPECT_FALSE(IsRootFolder("/tmp"));
    EXPECT_EQ(ParentFolderPath("/tmp/caf\xC3\xA9"), "/tmp");
    EXPECT_EQ(ParentFolderPath("/tmp"), "/");
    EXPECT_EQ(NativeFilePath(QStringLiteral("/a/\u00F1/")), "/a/\xC3\xB1/");
    EXPECT_FALSE(HomeFolderPath().empty());
}
