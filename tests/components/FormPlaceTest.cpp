// Form placement and storage: what a close, a destroy and a show write and read in the store, size
// limits, links, and the default sections.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <memory>
#include <string>
#include <vector>

#include "components/AppUtils.h"
#include "components/FormPlace.h"
#include "platform/core/Registry.h"
#include "support/RefusingForm.h"
#include "support/TempRegistry.h"

namespace {

const char* const kKey = "Software\\Dremal\\Kestrima";

class TformPlaced : public TRefusingForm {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)

public:
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value) { FCaption = value; }
    QString FCaption;
};

class TformFixed : public QDialog {
    Q_OBJECT
};

TFormStorage* makeStorage(QWidget* form, int options = fpState | fpPosition)
{
    auto* storage = new TFormStorage(form);
    storage->setObjectName("FormStorage");
    storage->SetIniFileName(kKey);
    storage->SetIniSection("Form");
    storage->SetUseRegistry(true);
    storage->SetOptions(options);
    storage->Loaded();
    return storage;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

std::vector<std::string> placementKeys()
{
    const std::string suffix = GetScreenResolutionSuffix();
    return {"Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos" + suffix, "MinMaxPos", "NormPos" + suffix,
            "NormPos", "Visible"};
}

} // namespace

TEST(FormPlace, ClosingWritesThePlacementAndARefusedCloseWritesNothing)
{
    for (const int options : {fpState | fpPosition, 0}) {
        TempRegistry registry("l70-close");
        auto form = std::make_unique<TformPlaced>();
        form->setGeometry(30, 40, 300, 200);
        makeStorage(form.get(), options);
        form->show();
        settle();
        form->Refuse = true;
        EXPECT_FALSE(form->close());
        EXPECT_FALSE(TRegIniFile(kKey).SectionExists("Form"));
        form->Refuse = false;
        EXPECT_TRUE(form->close());
        TRegIniFile reg(kKey);
        TStringList names;
        reg.ReadSection("Form", names);
        std::vector<std::string> got;
        for (int i = 0; i < names.Count(); ++i)
            got.push_back(names[i]);
        EXPECT_EQ(got, placementKeys()) << options;
        EXPECT_EQ(reg.ReadInteger("Form", "Visible", -1), 0);
        EXPECT_EQ(reg.ReadInteger("Form", "ShowCmd", -1), 1);
        EXPECT_EQ(reg.ReadString("Form", "NormPos", ""), "30,40,330,240");
        // A destroy after the close save writes nothing more.
        TRegIniFile(kKey).WriteInteger("Form", "Visible", 5);
        form.reset();
        EXPECT_EQ(TRegIniFile(kKey).ReadInteger("Form", "Visible", -1), 5);
    }
}

TEST(FormPlace, DestroyingWithoutACloseWritesVisible)
{
    TempRegistry registry("l70-destroy");
    auto form = std::make_unique<TformPlaced>();
    form->setGeometry(10, 10, 200, 100);
    makeStorage(form.get());
    form->show();
    settle();
    form.reset();
    TRegIniFile reg(kKey);
    EXPECT_EQ(reg.ReadInteger("Form", "Visible", -1), 1);
    EXPECT_EQ(reg.ReadString("Form", "NormPos", ""), "10,10,210,110");
}

TEST(FormPlace, ShowingRestoresPositionSizeAndState)
{
    TempRegistry registry("l70-show");
    {
        TRegIniFile reg(kKey);
        reg.WriteString("Form", "NormPos" + GetScreenResolutionSuffix(), "50,60,450,360");
        reg.WriteString("Form", "NormPos", "1,1,101,101");
        reg.WriteInteger("Form", "PixelsPerInch", CurrentPlacementScreen().PixelsPerInch);
        reg.WriteInteger("Form", "ShowCmd", 1);
    }
    {
        TformPlaced form;
        form.setGeometry(5, 5, 100, 100);
        makeStorage(&form);
        form.show();
        settle();
        EXPECT_EQ(form.geometry(), QRect(50, 60, 400, 300));
        form.Refuse = true; // no close save: the store stays for the next form
    }
    {
        TRegIniFile reg(kKey);
        reg.DeleteKey("Form", "NormPos" + GetScreenResolutionSuffix());
        reg.WriteString("Form", "NormPos(1x1)", "9,9,99,99");
        reg.WriteString("Form", "NormPos", "20,30,220,130");
    }
    {
        TformPlaced form;
        form.setGeometry(5, 5, 100, 100);
        auto* storage = makeStorage(&form);
        storage->SetActive(false); // nothing saved at the end
        storage->SetActive(true);
        form.show();
        settle();
        EXPECT_EQ(form.geometry(), QRect(20, 30, 200, 100));
        storage->SetActive(false);
    }
    // Another pixels per inch keeps the designed geometry.
    TRegIniFile(kKey).WriteInteger("Form", "PixelsPerInch", CurrentPlacementScreen().PixelsPerInch + 24);
    {
        TformPlaced form;
        form.setGeometry(5, 5, 100, 100);
        auto* storage = makeStorage(&form);
        form.show();
        settle();
        EXPECT_EQ(form.geometry(), QRect(5, 5, 100, 100));
        storage->SetActive(false);
    }
    // A rectangle off every screen comes back onto the primary one.
    {
        TRegIniFile reg(kKey);
        reg.WriteInteger("Form", "PixelsPerInch", CurrentPlacementScreen().PixelsPerInch);
        reg.WriteString("Form", "NormPos", "3000,3000,3200,3100");
        reg.WriteInteger("Form", "ShowCmd", 3);
    }
    {
        TformPlaced form;
        form.setGeometry(5, 5, 100, 100);
        auto* storage = makeStorage(&form);
        form.show();
        settle();
        EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().intersects(form.normalGeometry())) << form.normalGeometry().x();
        EXPECT_EQ(form.normalGeometry().size(), QSize(200, 100));
        EXPECT_TRUE(form.isMaximized());
        storage->SetActive(false);
    }
}

TEST(FormPlace, FixedSizeDialogKeepsItsSizeAndMainFormMinimisesTheProgram)
{
    TempRegistry registry("l70-dialog");
    {
        TRegIniFile reg(kKey);
        reg.WriteString("Form", "NormPos", "70,80,570,480");
        reg.WriteInteger("Form", "ShowCmd", 2);
    }
    {
        TformFixed dialog;
        dialog.setGeometry(5, 5, 150, 120);
        dialog.setFixedSize(150, 120);
        auto* storage = makeStorage(&dialog, fpPosition);
        dialog.show();
        settle();
        EXPECT_EQ(dialog.geometry(), QRect(70, 80, 150, 120));
        EXPECT_FALSE(dialog.isMinimized());
        storage->SetActive(false);
    }
    {
        TformPlaced form;
        SetMainForm(&form);
        auto* storage = makeStorage(&form);
        form.show();
        settle();
        EXPECT_TRUE(form.isMinimized());
        storage->SetActive(false);
        SetMainForm(nullptr);
    }
}

TEST(FormPlace, SizeLimitsAndPreventResize)
{
    TempRegistry registry("l70-limits");
    TformPlaced form;
    form.resize(500, 400);
    auto* storage = makeStorage(&form);
    storage->MinMaxInfo().SetMinTrackWidth(300);
    form.show();
    settle();
    EXPECT_EQ(form.minimumWidth(), 300);
    form.resize(100, 100);
    EXPECT_EQ(form.width(), 300);
    TWinMinMaxInfo copy;
    copy.Assign(storage->MinMaxInfo());
    EXPECT_EQ(copy.MinTrackWidth(), 300);
    EXPECT_FALSE(copy.DefaultMinMaxInfo());
    EXPECT_TRUE(TWinMinMaxInfo().DefaultMinMaxInfo());

    TformPlaced fixed;
    fixed.setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    fixed.resize(320, 240);
    auto* still = makeStorage(&fixed);
    still->SetPreventResize(true);
    fixed.show();
    settle();
    fixed.resize(500, 500);
    EXPECT_EQ(fixed.size(), QSize(320, 240));
    EXPECT_FALSE(fixed.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    // Changing the flags of a shown form makes its native window anew: that is no end of the form.
    TformPlaced late;
    late.resize(300, 200);
    auto* lateStorage = makeStorage(&late);
    late.show();
    settle();
    lateStorage->SetPreventResize(true);
    settle();
    EXPECT_TRUE(late.isVisible());
    EXPECT_FALSE(TRegIniFile(kKey).ValueExists("Form", "Visible"));
    EXPECT_FALSE(lateStorage->Saved());
    storage->SetActive(false);
    still->SetActive(false);
    lateStorage->SetActive(false);
}

TEST(FormPlace, LinksAreToldInListOrderInsideOneSaveOrRestore)
{
    TempRegistry registry("l70-links");
    auto form = std::make_unique<TformPlaced>();
    auto* storage = makeStorage(form.get());
    std::vector<std::string> calls;
    TIniLink first, second;
    auto* third = new TIniLink;
    for (auto [link, name] : {std::pair{&first, "1"}, std::pair{&second, "2"}, std::pair{third, "3"}}) {
        link->SetStorage(storage);
        link->OnSave = [&calls, link, name](QObject*) {
            calls.push_back(std::string("save") + name + (link->IniObject().IsNull() ? "-" : "+"));
        };
        link->OnLoad = [&calls, name](QObject*) { calls.push_back(std::string("load") + name); };
    }
    EXPECT_EQ(first.RootSection(), "Form\\");
    EXPECT_EQ(first.Storage(), storage);
    EXPECT_TRUE(first.IniObject().IsNull());
    delete third;
    form->show();
    settle();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(calls, (std::vector<std::string>{"load1", "load2", "save1+", "save2+"}));
    TIniLink loose;
    EXPECT_EQ(loose.RootSection(), "");
    form.reset();
    EXPECT_EQ(first.Storage(), nullptr);
    EXPECT_EQ(second.RootSection(), "");
}

TEST(FormPlace, StoredPropsSurviveAndMissingComponentsAreDropped)
{
    TempRegistry registry("l70-props");
    auto build = [](TformPlaced& form) {
        auto* combo = new QComboBox(&form);
        combo->setObjectName("cbLinks");
        auto* storage = new TFormStorage(&form);
        storage->SetIniFileName(kKey);
        storage->SetIniSection("Form");
        storage->SetUseRegistry(true);
        TStringList props;
        props.Add("cbLinks.currentText");
        props.Add("cbGone.Items");
        props.Add("bad line");
        props.Add("TformPlaced.Caption");
        storage->SetStoredProps(props);
        storage->Loaded();
        return storage;
    };
    {
        TformPlaced form;
        form.setObjectName("TformPlaced");
        auto* storage = build(form);
        EXPECT_EQ(storage->StoredProps().Count(), 1);
        form.show();
        settle();
        form.findChild<QComboBox*>("cbLinks")->setEditable(true);
        form.findChild<QComboBox*>("cbLinks")->setEditText("http://x/");
        EXPECT_TRUE(form.close());
    }
    EXPECT_EQ(TRegIniFile(kKey).ReadString("Form", "cbLinks_currentText", ""), "http://x/");
}

TEST(FormPlace, DefaultSections)
{
    TformPlaced form;
    auto* panel = new QWidget(&form);
    panel->setObjectName("pBotones");
    auto* inner = new QPushButton(panel);
    inner->setObjectName("bOk");
    auto* storage = new TFormPlacement(&form);
    storage->setObjectName("FormStorage");
    EXPECT_EQ(GetDefaultSection(&form), "TformPlaced");
    EXPECT_EQ(GetDefaultSection(panel), "TformPlacedpBotones");
    EXPECT_EQ(GetDefaultSection(inner), "TformPlacedbOk");
    EXPECT_EQ(GetDefaultSection(storage), "TformPlaced.FormStorage");
    EXPECT_EQ(GetDefaultSection(nullptr), "");
    QObject loose;
    loose.setObjectName("Loose");
    EXPECT_EQ(GetDefaultSection(&loose), "Loose");
    EXPECT_EQ(storage->IniSectionOrDefault(), "TformPlaced");
    EXPECT_EQ(storage->Options(), fpState | fpPosition);
    TFormPlacement orphan(nullptr);
    EXPECT_EQ(orphan.Options(), 0);
    EXPECT_TRUE(orphan.Active());
    EXPECT_FALSE(orphan.UseRegistry());
    EXPECT_FALSE(orphan.PreventResize());
    storage->SetUseRegistry(true);
    EXPECT_EQ(storage->IniFileNameOrDefault().rfind("Software\\", 0), 0u);
    storage->SetActive(false);
}

#include "FormPlaceTest.moc"
