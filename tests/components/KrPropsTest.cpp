// Property storage: item names, stored lists, texts by property kind, references, sub-objects, and a round trip through the registry.
#include <QApplication>
#include <QLocale>
#include <QStringList>
#include <QWidget>
#include <clocale>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "components/KrProps.h"
#include "components/StrHlder.h"
#include "components/core/AppUtils.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/FileSystem.h"
#include "platform/core/IniFile.h"
#include "platform/core/Registry.h"
#include "support/ProgramFileTexts.h"
#include "support/StringListItems.h"
#include "support/TempRegistry.h"

class TFontProps {
    Q_GADGET
    Q_PROPERTY(int Size MEMBER Size)
    Q_PROPERTY(QString Name MEMBER Name)

public:
    int Size = 10;
    QString Name = "Courier";
    bool operator==(const TFontProps&) const = default;
};

class TPropsSample : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Tag MEMBER Tag)
    Q_PROPERTY(QStringList Items MEMBER Items)
    Q_PROPERTY(TStringList Strings READ GetStrings WRITE SetStrings)
    Q_PROPERTY(TStyles Styles READ GetStyles WRITE SetStyles)
    Q_PROPERTY(TAlign Align MEMBER Align)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(float Scale MEMBER Scale)
    Q_PROPERTY(QString Hint MEMBER Hint)
    Q_PROPERTY(QChar Letter MEMBER Letter)
    Q_PROPERTY(bool Checked MEMBER Checked)
    Q_PROPERTY(QObject* Link MEMBER Link)
    Q_PROPERTY(TFontProps Font MEMBER Font)
    Q_PROPERTY(QVariant Data MEMBER Data)
    Q_PROPERTY(QPoint Where MEMBER Where)

public:
    enum TAlign { alNone, alTop, alClient };
    Q_ENUM(TAlign)
    enum TStyle { a = 1, b = 2, c = 4 };
    Q_DECLARE_FLAGS(TStyles, TStyle)
    Q_FLAG(TStyles)

    using QObject::QObject;
    TStringList GetStrings() const { return Strings; }
    void SetStrings(const TStringList& value) { Strings = value; }
    TStyles GetStyles() const { return Styles; }
    void SetStyles(TStyles value) { Styles = value; }
    int Tag = 0;
    QStringList Items{"uno", "dos"};
    TStringList Strings;
    TStyles Styles;
    TAlign Align = alNone;
    double Ratio = 0;
    float Scale = 0;
    QString Hint;
    QChar Letter{'x'};
    bool Checked = false;
    QObject* Link = nullptr;
    TFontProps Font;
    QVariant Data;
    QPoint Where;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TPropsSample::TStyles)

namespace {

// A store in memory that keeps the order of what it was told, erases included.
struct TMemoryStore {
    std::map<std::string, std::map<std::string, std::string>> Sections;
    std::vector<std::string> Log;

    void Attach(TPropsStorage& storage)
    {
        storage.OnReadString = [this](const std::string& s, const std::string& i, const std::string& d) {
            auto sec = Sections.find(s);
            if (sec == Sections.end())
                return d;
            auto it = sec->second.find(i);
            return it == sec->second.end() ? d : it->second;
        };
        storage.OnWriteString = [this](const std::string& s, const std::string& i, const std::string& v) {
            Log.push_back("write " + s + " " + i + "=" + v);
            Sections[s][i] = v;
        };
        storage.OnReadPath = [this](const std::string& s, const std::string& i, const std::string& d) {
            Log.push_back("read path " + s + " " + i);
            auto sec = Sections.find(s);
            return sec == Sections.end() || !sec->second.contains(i) ? d : sec->second.at(i);
        };
        storage.OnWritePath = [this](const std::string& s, const std::string& i, const std::string& v) {
            Log.push_back("path " + s + " " + i + "=" + v);
            Sections[s][i] = v;
        };
        storage.OnEraseSection = [this](const std::string& s) {
            Log.push_back("erase " + s);
            Sections.erase(s);
        };
    }
    std::string Value(const std::string& section, const std::string& item) const
    {
        auto sec = Sections.find(section);
        if (sec == Sections.end() || !sec->second.contains(item))
            return "<none>";
        return sec->second.at(item);
    }
};

struct TForm {
    TForm(const char* name = "Principal")
    {
        Widget = std::make_unique<QWidget>();
        Widget->setObjectName(name);
        Combo = new TPropsSample(Widget.get());
        Combo->setObjectName("cbLibreria");
        Memo = new TPropsSample(Widget.get());
        Memo->setObjectName("CodeMemo");
    }
    // Stores (or loads) the lines through a storage on `store`, as the form storage does; the lines
    // of `paths` hold file names.
    TStringList Run(TMemoryStore& store, TStringList lines, bool load, TStringList paths = {})
    {
        TPropsStorage storage;
        storage.FSection = "Principal";
        storage.FPathProps = paths;
        store.Attach(storage);
        TPropsStorage::UpdateStoredList(Widget.get(), lines, true);
        load ? storage.LoadObjectsProps(Widget.get(), lines) : storage.StoreObjectsProps(Widget.get(), lines);
        return lines;
    }
    std::unique_ptr<QWidget> Widget;
    TPropsSample* Combo;
    TPropsSample* Memo;
};

} // namespace

TEST(KrProps, ItemsAreComponentUnderscorePropertyAndListsGoToSubSections)
{
    TForm form;
    TMemoryStore store;
    form.Combo->Tag = 7;
    form.Combo->Items = {"a.htm", "b.htm"};
    form.Run(store, Lines({"cbLibreria.Tag", "cbLibreria.Items"}), false);
    EXPECT_EQ(store.Log, (std::vector<std::string>{"write Principal cbLibreria_Tag=7",
                                                   "erase Principal.cbLibreria_Items",
                                                   "write Principal.cbLibreria_Items Count=2",
                                                   "write Principal.cbLibreria_Items Item0=a.htm",
                                                   "write Principal.cbLibreria_Items Item1=b.htm"}));

    form.Combo->Tag = 0;
    form.Combo->Items = {};
    form.Run(store, Lines({"cbLibreria.Tag", "cbLibreria.Items"}), true);
    EXPECT_EQ(form.Combo->Tag, 7);
    EXPECT_EQ(form.Combo->Items, QStringList({"a.htm", "b.htm"}));

    // An emptied list writes only the erase, so loading keeps the content it was designed with.
    store.Log.clear();
    form.Combo->Items = {};
    form.Run(store, Lines({"cbLibreria.Items"}), false);
    EXPECT_EQ(store.Log, std::vector<std::string>{"erase Principal.cbLibreria_Items"});
    TForm fresh;
    fresh.Run(store, Lines({"cbLibreria.Items"}), true);
    EXPECT_EQ(fresh.Combo->Items, QStringList({"uno", "dos"}));

    // The layer's own string list is stored the same way; a count beyond the items there stops at the
    // last one present instead of making empty lines.
    form.Combo->Strings = Lines({"x", "y"});
    form.Run(store, Lines({"cbLibreria.Strings"}), false);
    EXPECT_EQ(store.Value("Principal.cbLibreria_Strings", "Item1"), "y");
    store.Sections["Principal.cbLibreria_Strings"]["Count"] = "2000000000";
    fresh.Run(store, Lines({"cbLibreria.Strings"}), true);
    EXPECT_EQ(fresh.Combo->Strings.Text(), "x\r\ny\r\n");
    store.Sections["Principal.cbLibreria_Strings"]["Count"] = "-3";
    fresh.Combo->Strings = Lines({"kept"});
    fresh.Run(store, Lines({"cbLibreria.Strings"}), true);
    EXPECT_EQ(fresh.Combo->Strings.Text(), "kept\r\n");
}

TEST(KrProps, AStringHolderStoresItsLinesAsAList)
{
    TForm form;
    TMemoryStore store;
    auto* holder = new TStrHolder(form.Widget.get());
    holder->setObjectName("shLibreriaFiles");
    holder->SetStrings(Lines({"c:\\libs\\uno.cod", "dos.cod"}));
    form.Run(store, Lines({"shLibreriaFiles.Strings"}), false);
    EXPECT_EQ(store.Sections["Principal.shLibreriaFiles_Strings"],
              (std::map<std::string, std::string>{{"Count", "2"}, {"Item0", "c:\\libs\\uno.cod"}, {"Item1", "dos.cod"}}));

    holder->Clear();
    int changes = 0;
    holder->OnChange = [&](TStrHolder*) { ++changes; };
    form.Run(store, Lines({"shLibreriaFiles.Strings"}), true);
    EXPECT_EQ(holder->Strings().Text(), "c:\\libs\\uno.cod\r\ndos.cod\r\n");
    EXPECT_EQ(changes, 1);
}

TEST(KrProps, FileNamesAreStoredAsTheirBytesThroughThePathCalls)
{
    TForm form;
    TMemoryStore store;
    auto* holder = new TStrHolder(form.Widget.get());
    holder->setObjectName("shLibreriaFiles");
    // "/libs/códigos ŝ.cod": the file system's bytes in the list, the characters in the widget's text.
    const std::string path = "/libs/c\xC3\xB3" "digos \xC5\x9D.cod";
    TStringList files;
    files.Add(path);
    files.Add(" blanco.cod");
    holder->SetStrings(files);
    form.Combo->Hint = QString::fromUtf8(path.c_str());
    form.Memo->Hint = QString::fromUtf8(" \xC3\xA1 ");
    const TStringList lines = Lines({"shLibreriaFiles.Strings", "cbLibreria.Hint", "CodeMemo.Hint"});
    form.Run(store, lines, false, Lines({"shLibreriaFiles.strings", "cbLibreria.Hint"}));
    EXPECT_EQ(store.Log, (std::vector<std::string>{"erase Principal.shLibreriaFiles_Strings",
                                                   "write Principal.shLibreriaFiles_Strings Count=2",
                                                   "path Principal.shLibreriaFiles_Strings Item0=" + path,
                                                   "path Principal.shLibreriaFiles_Strings Item1= blanco.cod",
                                                   "path Principal cbLibreria_Hint=" + path,
                                                   // Other texts stay the program's, trimmed.
                                                   "write Principal CodeMemo_Hint=\xE1"}));
    holder->Clear();
    form.Combo->Hint.clear();
    form.Run(store, lines, true, Lines({"shLibreriaFiles.Strings", "cbLibreria.Hint"}));
    EXPECT_EQ(holder->Strings().Text(), path + "\r\n blanco.cod\r\n");
    EXPECT_EQ(form.Combo->Hint, QString::fromUtf8(path.c_str()));
    EXPECT_EQ(form.Memo->Hint, QString::fromUtf8("\xC3\xA1"));

    // A Latin-1 name, which no Qt character spells, keeps its bytes through the store and back.
    const std::string latin1 = "/libs/caf\xE9/codigos.cod";
    SetPathProperty(form.Combo, "Hint", latin1);
    store.Log.clear();
    form.Run(store, Lines({"cbLibreria.Hint"}), false, Lines({"cbLibreria.Hint"}));
    EXPECT_EQ(store.Log, std::vector<std::string>{"path Principal cbLibreria_Hint=" + latin1});
    TForm fresh;
    fresh.Run(store, Lines({"cbLibreria.Hint"}), true, Lines({"cbLibreria.Hint"}));
    EXPECT_EQ(fresh.Combo->Hint, QString::fromUtf8("/libs/caf\uFFFD/codigos.cod"));
    EXPECT_EQ(PathPropertyOf(fresh.Combo, "Hint"), latin1);
}

TEST(KrProps, SetsStoreMemberNamesInBracketsAndReadThemInAnyOrder)
{
    TForm form;
    TMemoryStore store;
    form.Combo->Styles = TPropsSample::a | TPropsSample::c;
    form.Run(store, Lines({"cbLibreria.Styles"}), false);
    EXPECT_EQ(store.Value("Principal", "cbLibreria_Styles"), "[a,c]");

    const std::vector<std::pair<std::string, int>> cases = {
        {"[ c , a ]", TPropsSample::a | TPropsSample::c}, {"[b]", TPropsSample::b}, {"[]", 0},
        {"[A,zz,c]", TPropsSample::a | TPropsSample::c},  {"b c", TPropsSample::b | TPropsSample::c}};
    for (const auto& [text, members] : cases) {
        store.Sections["Principal"]["cbLibreria_Styles"] = text;
        form.Run(store, Lines({"cbLibreria.Styles"}), true);
        EXPECT_EQ(static_cast<int>(form.Combo->Styles), members) << text;
    }
    form.Combo->Styles = {};
    form.Run(store, Lines({"cbLibreria.Styles"}), false);
    EXPECT_EQ(store.Value("Principal", "cbLibreria_Styles"), "[]");
}

TEST(KrProps, FloatsUseAPointWhateverTheLocale)
{
    const std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
    const QLocale savedQt;
    std::setlocale(LC_NUMERIC, "es_ES.UTF-8");
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    TForm form;
    TMemoryStore store;
    form.Combo->Ratio = 1.5;
    form.Combo->Scale = 0.1f;
    form.Run(store, Lines({"cbLibreria.Ratio", "cbLibreria.Scale"}), false);
    EXPECT_EQ(store.Value("Principal", "cbLibreria_Ratio"), "1.5");
    EXPECT_EQ(store.Value("Principal", "cbLibreria_Scale"), "0.1");
    form.Combo->Ratio = 0;
    form.Combo->Scale = 0;
    form.Run(store, Lines({"cbLibreria.Ratio", "cbLibreria.Scale"}), true);
    EXPECT_EQ(form.Combo->Ratio, 1.5);
    EXPECT_EQ(form.Combo->Scale, 0.1f);
    // A text that is no number leaves the value as it was.
    store.Sections["Principal"]["cbLibreria_Ratio"] = "1,5";
    form.Run(store, Lines({"cbLibreria.Ratio"}), true);
    EXPECT_EQ(form.Combo->Ratio, 1.5);
    std::setlocale(LC_NUMERIC, savedC.c_str());
    QLocale::setDefault(savedQt);
}

TEST(KrProps, ScalarKindsReadBackAndBadTextsFallBack)
{
    TForm form;
    TMemoryStore store;
    const TStringList lines =
        Lines({"cbLibreria.Align", "cbLibreria.Tag", "cbLibreria.Hint", "cbLibreria.Letter", "cbLibreria.Checked",
               "cbLibreria.Data", "cbLibreria.Where"});
    form.Combo->Align = TPropsSample::alTop;
    form.Combo->Hint = QString::fromUtf8("  Abrir librería  ");
    form.Combo->Letter = QChar(0xF1);
    form.Combo->Checked = true;
    form.Combo->Data = QVariant(42);
    form.Run(store, lines, false);
    EXPECT_EQ(store.Sections["Principal"], (std::map<std::string, std::string>{{"cbLibreria_Align", "alTop"},
                                                                               {"cbLibreria_Tag", "0"},
                                                                               {"cbLibreria_Hint", "Abrir librer\xED" "a"},
                                                                               {"cbLibreria_Letter", "\xF1"},
                                                                               {"cbLibreria_Checked", "True"},
                                                                               {"cbLibreria_Data", "42"}}));

    auto& section = store.Sections["Principal"];
    section["cbLibreria_Align"] = " ALCLIENT ";
    section["cbLibreria_Tag"] = "x";
    section["cbLibreria_Checked"] = "false";
    section["cbLibreria_Letter"] = "zeta";
    section["cbLibreria_Data"] = "texto";
    form.Combo->Tag = 5;
    form.Run(store, lines, true);
    EXPECT_EQ(form.Combo->Align, TPropsSample::alClient);
    EXPECT_EQ(form.Combo->Tag, 0);
    EXPECT_FALSE(form.Combo->Checked);
    EXPECT_EQ(form.Combo->Letter, QChar('z'));
    EXPECT_EQ(form.Combo->Hint, QString::fromUtf8("Abrir librería"));
    EXPECT_EQ(form.Combo->Data, QVariant(QString("texto")));

    section["cbLibreria_Align"] = "alNinguno";
    section["cbLibreria_Checked"] = "quiza";
    form.Run(store, lines, true);
    EXPECT_EQ(form.Combo->Align, TPropsSample::alClient);
    EXPECT_FALSE(form.Combo->Checked);
}

TEST(KrProps, ReferencesStoreNamesAndResolveThroughTheirForms)
{
    TForm form;
    TForm other("Otra");
    auto* comp = new QObject(other.Widget.get());
    comp->setObjectName("Comp");
    TMemoryStore store;
    const TStringList lines = Lines({"cbLibreria.Link"});

    form.Run(store, lines, false);
    EXPECT_EQ(store.Value("Principal", "cbLibreria_Link"), "<none>");
    form.Combo->Link = form.Memo;
    form.Run(store, lines, false);
    EXPECT_EQ(store.Value("Principal", "cbLibreria_Link"), "CodeMemo");
    form.Combo->Link = comp;
    form.Run(store, lines, false);
    EXPECT_EQ(store.Value("Principal", "cbLibreria_Link"), "Otra.Comp");
    // An unnamed owner is named by its class.
    other.Widget->setObjectName("");
    form.Run(store, lines, false);
    EXPECT_EQ(store.Value("Principal", "cbLibreria_Link"), "QWidget.Comp");
    other.Widget->setObjectName("Otra");

    auto load = [&](const char* text) {
        store.Sections["Principal"]["cbLibreria_Link"] = text;
        form.Run(store, lines, true);
        return form.Combo->Link;
    };
    EXPECT_EQ(load("(NULL)"), nullptr);
    EXPECT_EQ(load("otra . COMP"), comp);
    EXPECT_EQ(load("codememo"), form.Memo);
    EXPECT_EQ(load("Otra.Nadie"), nullptr);
    form.Combo->Link = form.Memo;
    EXPECT_EQ(load("Ausente.Comp"), form.Memo); // no such form: nothing changes
    EXPECT_EQ(load(""), form.Memo);

    EXPECT_EQ(FindFormOrModule("OTRA"), other.Widget.get());
    EXPECT_EQ(FindFormOrModule("Comp"), nullptr);
}

TEST(KrProps, SubObjectsStoreUnderPrefixPropertyAndSubProperty)
{
    TForm form;
    TMemoryStore store;
    form.Memo->Font.Size = 12;
    form.Memo->Font.Name = "Arial";
    form.Run(store, Lines({"CodeMemo.Font"}), false);
    EXPECT_EQ(store.Value("Principal", "CodeMemo_FontSize"), "12");
    EXPECT_EQ(store.Value("Principal", "CodeMemo_FontName"), "Arial");

    TForm fresh;
    fresh.Run(store, Lines({"codememo.font"}), true);
    EXPECT_EQ(fresh.Memo->Font.Size, 12);
    EXPECT_EQ(fresh.Memo->Font.Name, "Arial");
}

TEST(KrProps, AStoredListFindsEachComponentAsALookUpByItsNameDoes)
{
    // A tree of components whose names repeat in other letter cases and at other depths, looked up
    // by many spellings: the list resolves each line to the component FindOwnedComponent finds.
    std::mt19937 random(98);
    const std::vector<std::string> names = {"cbLibreria", "CBLIBRERIA", "pBotones", "pbotones", "Memo", "memo1",
                                            "x", "X", "spLateral", "Sp\xE9" "cial", "SP\xC9" "CIAL", ""};
    QWidget owner;
    std::vector<QObject*> parents = {&owner};
    for (int i = 0; i < 200; ++i) {
        QObject* parent = parents[random() % parents.size()];
        auto* child = new QObject(parent);
        child->setObjectName(QString::fromLatin1(names[random() % names.size()]));
        parents.push_back(child);
    }
    const std::vector<std::string> spellings = {"cblibreria", "CbLibreria", "PBOTONES", "pBotones", "MEMO", "Memo1",
                                                "x", "X", "splateral", "sp\xE9" "cial", "Sp\xC9" "cial", "Ausente"};
    int found = 0;
    for (const std::string& spelling : spellings) {
        TStringList lines = Lines({(spelling + ".Tag").c_str()});
        TPropsStorage::UpdateStoredList(&owner, lines, true);
        QObject* expected = FindOwnedComponent(&owner, spelling);
        ASSERT_EQ(lines.Count(), expected ? 1 : 0) << spelling;
        if (expected) {
            EXPECT_EQ(lines.Objects(0), expected) << spelling;
            ++found;
        }
    }
    EXPECT_GE(found, 8);
}

TEST(KrProps, StoredListsDropLinesThatNameNothing)
{
    TForm form;
    TMemoryStore store;
    auto* gone = new TPropsSample(form.Widget.get());
    gone->setObjectName("Borrado");
    TStringList lines = Lines({"cbLibreria.Tag", "sinpunto", " . Tag", "Ausente.Tag", "Borrado.Tag", "CBLIBRERIA . Hint"});
    TPropsStorage::UpdateStoredList(form.Widget.get(), lines, true);
    EXPECT_EQ(lines.Text(), "cbLibreria.Tag\r\nBorrado.Tag\r\nCBLIBRERIA . Hint\r\n");
    EXPECT_EQ(lines.Objects(2), form.Combo);

    // A component destroyed or renamed since the list was resolved: its line goes or follows the name.
    delete gone;
    form.Combo->setObjectName("cbLibros");
    TPropsStorage storage;
    storage.FSection = "Principal";
    store.Attach(storage);
    storage.StoreObjectsProps(form.Widget.get(), lines);
    EXPECT_EQ(lines.Text(), "cbLibros.Tag\r\ncbLibros.Hint\r\n");
    EXPECT_EQ(store.Sections["Principal"],
              (std::map<std::string, std::string>{{"cbLibros_Tag", "0"}, {"cbLibros_Hint", ""}}));

    // An unresolved line has no component to store.
    TStringList unresolved = Lines({"cbLibros.Tag"});
    storage.StoreObjectsProps(form.Widget.get(), unresolved);
    EXPECT_EQ(unresolved.Count(), 0);
}

TEST(KrProps, PropertyListsFindNamesWithoutCase)
{
    TPropsSample sample;
    TPropInfoList list(sample.metaObject());
    ASSERT_NE(list.Find("TAG"), nullptr);
    EXPECT_STREQ(list.Find("tag")->name(), "Tag");
    EXPECT_EQ(list.Find("Nada"), nullptr);
    // A point is a type the storage does not know: it is not in the list.
    EXPECT_EQ(list.Find("Where"), nullptr);
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_NE(StoredKindOf(list.Items(i)), skNone);
    EXPECT_EQ(StoredKindOf(*list.Find("Styles")), skSet);
    EXPECT_EQ(StoredKindOf(*list.Find("Align")), skEnumeration);
    EXPECT_EQ(StoredKindOf(*list.Find("Strings")), skStringList);
    EXPECT_EQ(StoredKindOf(*list.Find("Link")), skReference);
    EXPECT_EQ(StoredKindOf(*list.Find("Font")), skObject);
}

TEST(KrProps, LoadingSkipsAFailingValueAndStoringPassesFailuresOn)
{
    TForm form;
    TMemoryStore store;
    form.Combo->Tag = 3;
    form.Combo->Hint = "hola";
    form.Run(store, Lines({"cbLibreria.Tag", "cbLibreria.Hint"}), false);
    form.Combo->Tag = 0;
    form.Combo->Hint = "";

    TPropsStorage storage;
    storage.FSection = "Principal";
    store.Attach(storage);
    auto read = storage.OnReadString;
    storage.OnReadString = [read](const std::string& s, const std::string& i, const std::string& d) {
        if (i == "cbLibreria_Tag")
            throw EReadError("unreadable");
        return read(s, i, d);
    };
    TStringList lines = Lines({"cbLibreria.Tag", "cbLibreria.Hint"});
    TPropsStorage::UpdateStoredList(form.Widget.get(), lines, true);
    storage.LoadObjectsProps(form.Widget.get(), lines);
    EXPECT_EQ(form.Combo->Tag, 0);
    EXPECT_EQ(form.Combo->Hint, "hola");

    storage.OnWriteString = [](const std::string&, const std::string&, const std::string&) {
        throw EWriteError("full");
    };
    EXPECT_THROW(storage.StoreObjectsProps(form.Widget.get(), lines), EWriteError);
    EXPECT_EQ(storage.FOwner, nullptr);
}

namespace {

class KrPropsRegistry : public ::testing::Test {
protected:
    TempRegistry FStore{"krprops-registry"};
};

void RunOnRegistry(TForm& form, TStringList lines, bool load)
{
    TRegIniFile ini("Software\\Dremal\\Kestrima");
    TPropsStorage storage;
    storage.FSection = "Principal";
    storage.OnReadString = [&](const std::string& s, const std::string& i, const std::string& d) {
        return ini.ReadString(s, i, d);
    };
    storage.OnWriteString = [&](const std::string& s, const std::string& i, const std::string& v) {
        ini.WriteString(s, i, v);
    };
    storage.OnEraseSection = [&](const std::string& s) { ini.EraseSection(s); };
    TPropsStorage::UpdateStoredList(form.Widget.get(), lines, true);
    load ? storage.LoadObjectsProps(form.Widget.get(), lines) : storage.StoreObjectsProps(form.Widget.get(), lines);
}

} // namespace

TEST_F(KrPropsRegistry, RandomValuesComeBackFromTheRegistry)
{
    const TStringList lines = Lines({"cbLibreria.Tag", "cbLibreria.Items", "cbLibreria.Strings", "cbLibreria.Styles",
                                     "cbLibreria.Align", "cbLibreria.Ratio", "cbLibreria.Hint", "cbLibreria.Checked",
                                     "cbLibreria.Link", "CodeMemo.Font"});
    std::mt19937 rng(4108);
    auto word = [&] {
        std::string text;
        for (int n = rng() % 6 + 1; n > 0; --n)
            text += static_cast<char>('a' + rng() % 26);
        return text;
    };
    for (int round = 0; round < 40; ++round) {
        TForm form;
        form.Combo->Tag = std::uniform_int_distribution<int>(INT32_MIN, INT32_MAX)(rng);
        form.Combo->Items.clear();
        for (int n = rng() % 4 + 1; n > 0; --n)
            form.Combo->Items.append(QString::fromStdString(word()));
        form.Combo->Strings = Lines({});
        for (int n = rng() % 4 + 1; n > 0; --n)
            form.Combo->Strings.Add(word());
        form.Combo->Styles = TPropsSample::TStyles::fromInt(static_cast<int>(rng() % 8));
        form.Combo->Align = static_cast<TPropsSample::TAlign>(rng() % 3);
        form.Combo->Ratio = std::uniform_real_distribution<double>(-1e6, 1e6)(rng);
        form.Combo->Hint = QString::fromStdString(word());
        form.Combo->Checked = rng() % 2;
        form.Combo->Link = rng() % 2 ? form.Memo : nullptr;
        form.Memo->Font.Size = static_cast<int>(rng() % 72);
        RunOnRegistry(form, lines, false);
        RegistryStore::Flush();
        RegistryStore::Reload();

        TForm back;
        back.Combo->Link = back.Combo;
        RunOnRegistry(back, lines, true);
        EXPECT_EQ(back.Combo->Tag, form.Combo->Tag);
        EXPECT_EQ(back.Combo->Items, form.Combo->Items);
        EXPECT_EQ(back.Combo->Strings.Text(), form.Combo->Strings.Text());
        EXPECT_EQ(back.Combo->Styles, form.Combo->Styles);
        EXPECT_EQ(back.Combo->Align, form.Combo->Align);
        EXPECT_NEAR(back.Combo->Ratio, form.Combo->Ratio, std::abs(form.Combo->Ratio) * 1e-14);
        EXPECT_EQ(back.Combo->Hint, form.Combo->Hint);
        EXPECT_EQ(back.Combo->Checked, form.Combo->Checked);
        // A nil reference stores nothing, so the loaded form keeps its own.
        EXPECT_EQ(back.Combo->Link, form.Combo->Link ? back.Memo : back.Combo);
        EXPECT_EQ(back.Memo->Font.Size, form.Memo->Font.Size);
        TRegIniFile("Software\\Dremal\\Kestrima").EraseSection("Principal");
    }
}

namespace {

// Stores or loads the form's lines through a storage on `store`, as the form storage does.
void RunOnStore(const TIniObject& store, TForm& form, const TStringList& lines, bool load)
{
    TPropsStorage storage;
    storage.FSection = "Principal";
    storage.OnReadString = [&](const std::string& s, const std::string& i, const std::string& d) {
        return IniReadString(store, s, i, d);
    };
    storage.OnWriteString = [&](const std::string& s, const std::string& i, const std::string& v) {
        IniWriteString(store, s, i, v);
    };
    storage.OnEraseSection = [&](const std::string& s) { IniEraseSection(store, s); };
    TStringList stored = lines;
    TPropsStorage::UpdateStoredList(form.Widget.get(), stored, true);
    load ? storage.LoadObjectsProps(form.Widget.get(), stored) : storage.StoreObjectsProps(form.Widget.get(), stored);
}

} // namespace

TEST_F(KrPropsRegistry, TextsAndCharactersComeBackWholeFromTheRegistryAndAnIniFile)
{
    // Texts of every kind and characters Windows-1252 lacks, stored as the form storage stores them,
    // in the registry and in an INI file: each reads back as it was, and neither file holds the mark.
    std::string controls;
    for (char c = 0; c < ' '; ++c)
        controls += c;
    const std::vector<std::string> pieces = ProgramTextPieces(controls + " ");
    const TStringList lines = Lines({"cbLibreria.Hint", "cbLibreria.Letter", "cbLibreria.Strings"});
    TempDir dir("files140-props");
    const std::string iniPath = (dir.path / "f.ini").string();
    const char* const key = "Software\\Dremal\\Kestrima";
    std::mt19937 random(4108);
    for (int round = 0; round < 60; ++round) {
        const std::string hint = "h" + RandomProgramText(random, pieces, 10) + "h";
        const std::string line = "l" + RandomProgramText(random, pieces, 10) + "l";
        const char32_t letters[] = {U'\u03B2', U'\u20AC', U'\u00F1', U'\uFEFF', U'x'};
        const char32_t letter = letters[random() % 5];
        for (const bool registry : {true, false}) {
            TForm form;
            form.Combo->Hint = FromEditorText(hint);
            form.Combo->Letter = QChar(static_cast<char16_t>(letter));
            form.Combo->Strings = Lines({line.c_str()});
            std::string bytes;
            if (registry) {
                {
                    TRegIniFile reg(key);
                    RunOnStore(TIniObject(&reg), form, lines, false);
                }
                RegistryStore::Flush();
                bytes = ReadFileBytes(RegistryStore::FileName());
                RegistryStore::Reload();
            } else {
                TIniFile ini(iniPath);
                RunOnStore(TIniObject(&ini), form, lines, false);
                ini.UpdateFile();
                bytes = ReadFileBytes(iniPath);
            }
            // Neither the mark's byte nor the escape the settings store writes for a control character.
            EXPECT_EQ(bytes.find('\x1F'), std::string::npos) << bytes;
            EXPECT_EQ(bytes.find("\\x1F"), std::string::npos) << bytes;
            TForm back;
            TRegIniFile reg(key);
            TIniFile ini(iniPath);
            RunOnStore(registry ? TIniObject(&reg) : TIniObject(&ini), back, lines, true);
            EXPECT_EQ(ToEditorText(back.Combo->Hint), ShownProgramText(hint)) << registry;
            EXPECT_EQ(back.Combo->Letter, form.Combo->Letter) << registry;
            EXPECT_EQ(back.Combo->Strings.Text(), ShownProgramText(line) + "\r\n") << registry;
        }
    }
}

#include "KrPropsTest.moc"
