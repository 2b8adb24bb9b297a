// The editor options dialog driven through its widgets: pages, the working copy and its commit, the
// options and highlighting pages, and a picture of every page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "editor/CodeMemo.h"
#include "editor/dialogs/SynElemF.h"
#include "editor/model/EditorMessages.h"
#include "platform/FontsQt.h"
#include "platform/Win1252Qt.h"
#include "support/Win1252Text.h"
#include "support/WordParser.h"

namespace {

std::string streamOf(const TSM_Settings& settings)
{
    TMemoryStream stream;
    settings.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.GetSize()));
}

std::string shotPath(const std::string& name)
{
    const char* out = std::getenv("KESTRIMA_SHOT_DIR");
    return QDir(out ? out : QDir::tempPath()).filePath(QString::fromStdString(name)).toStdString();
}

// Closes every message box that comes up while it lives, keeping its text.
class TBoxCloser {
public:
    TBoxCloser()
    {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Texts.push_back(ToWin1252(box->text()));
                box->done(0);
            }
        });
        FTimer.start();
    }
    std::vector<std::string> Texts;

private:
    QTimer FTimer;
};

// A language of words (token 1, style 3) and numbers (token 2, style 5); other characters are style 0.
class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TSM_Settings& s = parser.Settings();
        s.LanguageName = "Prueba";
        s.ExampleText = "abc 123 def\r\nxyz 42";
        s.SetEditableStyle(1, {"Palabra", 3});
        s.SetEditableStyle(2, {"N\xFAmero", 5});
        s.SetStyleFlag(1, 3);
        s.SetStyleFlag(2, 5);
        s.Gutter = 30;
        s.RightMargin = 72;
    }

    // Opens the dialog on `pages`, runs `steps` inside its modal loop and closes it with Cancel
    // unless the steps closed it. The dialog's result.
    bool run(TSM_PropEdPages pages, const std::function<void(TOptionsDialog&)>& steps)
    {
        TOptionsDialog dialog;
        dialog.SetParser(&parser);
        QTimer::singleShot(0, &dialog, [&] {
            ++shown;
            steps(dialog);
            if (dialog.isVisible())
                dialog.CancelButton->click();
        });
        return dialog.Execute(pages);
    }

    // The x of the first pixel of line 0 that lands on character `offset` of the example editor.
    static int xOfOffset(TCodeMemo* memo, int offset, int y)
    {
        for (int x = 1; x < memo->width(); ++x) {
            TPoint p{x, y};
            if (memo->Perform(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&p)) == offset)
                return x;
        }
        return -1;
    }

    static void press(QWidget* w, int x, int y)
    {
        QMouseEvent down(QEvent::MouseButtonPress, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &up);
    }

    static void key(QWidget* w, int k, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent down(QEvent::KeyPress, k, modifiers, text);
        QCoreApplication::sendEvent(w, &down);
    }

    TWordParser parser;
    int shown = 0;
};

TEST_F(OptionsDialogTest, NoPageShowsNothingAndLeavesTheParserAlone)
{
    TSM_Settings* own = &parser.Settings();
    const std::string before = streamOf(parser.Settings());
    EXPECT_FALSE(run(0, [](TOptionsDialog&) {}));
    EXPECT_FALSE(run(0xE0, [](TOptionsDialog&) {}));
    QApplication::processEvents();
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(&parser.Settings(), own);
    EXPECT_EQ(streamOf(parser.Settings()), before);

    TOptionsDialog noParser;
    EXPECT_FALSE(noParser.Execute(kAllPropEdPages));
    EXPECT_EQ(noParser.WorkingSettings(), nullptr);
}

TEST_F(OptionsDialogTest, PagesShownAndTheFirstActivePage)
{
    const int order[] = {TOptionsDialog::kHighlightingPage, TOptionsDialog::kOptionsPage, TOptionsDialog::kKeysPage,
                         TOptionsDialog::kAutoCorrectPage, TOptionsDialog::kTemplatesPage};
    for (TSM_PropEdPages pages = 1; pages <= kAllPropEdPages; ++pages) {
        run(pages, [&](TOptionsDialog& d) {
            for (int page = 0; page < 5; ++page)
                EXPECT_EQ(d.PageControl->isTabVisible(page), ((pages >> page) & 1) != 0) << int(pages);
            int first = -1;
            for (int page : order)
                if (first < 0 && ((pages >> page) & 1))
                    first = page;
            EXPECT_EQ(d.PageControl->currentIndex(), first) << int(pages);
            const std::string active = ToWin1252(d.PageControl->tabText(d.PageControl->currentIndex()));
            if (pages & 2) {
                EXPECT_EQ(active, "Colorear c\xF3" "digos");
            }
            if (pages == 4) {
                EXPECT_EQ(active, "Atajos de teclado");
            }
        });
    }
    EXPECT_EQ(shown, 31);
}

TEST_F(OptionsDialogTest, CaptionsTagsAndPlacesOfTheForm)
{
    run(kAllPropEdPages, [](TOptionsDialog& d) {
        EXPECT_EQ(ToWin1252(d.windowTitle()), "Opciones del editor");
        EXPECT_EQ(ToWin1252(d.PageControl->tabText(TOptionsDialog::kAutoCorrectPage)), "Auto correci\xF3n");
        EXPECT_EQ(ToWin1252(d.UseTabBox->text()), "Usar el caracter TAB");
        EXPECT_EQ(ToWin1252(d.Label7->text()), "Tama\xF1o");
        EXPECT_EQ(ToWin1252(d.Label9->text()), "Tama\xF1o");
        EXPECT_EQ(ToWin1252(d.AddButton->text()), "A\xF1" "adir...");
        EXPECT_EQ(ToWin1252(d.OKButton->text()), "Aceptar");
        ASSERT_EQ(d.OptionBoxes().size(), 22u);
        uint32_t bits = 0;
        for (QCheckBox* box : d.OptionBoxes())
            bits |= static_cast<uint32_t>(box->property("Tag").toULongLong());
        // Every option has its box except dropped files, column tracking and the drag source.
        uint32_t expected = 0;
        for (int o = 0; o < kCodeMemoOptionCount; ++o)
            expected |= OptionBit(static_cast<TCodeMemoOption>(o));
        expected &= ~(OptionBit(smoProcessDroppedFiles) | OptionBit(smoColumnTrack) | OptionBit(smoOLEDragSource));
        EXPECT_EQ(bits, expected);
        EXPECT_EQ(d.LineNosBox->property("Tag").toULongLong(), 0x40u);
        // The colour buttons stand under their labels, the spins inside their edits' right ends.
        EXPECT_EQ(d.ForeColorButton()->geometry(), QRect(d.FGLabel->x(), d.FGLabel->geometry().bottom() + 5, 124, 25));
        EXPECT_EQ(d.BackColorButton()->y(), d.BGLabel->y() + d.BGLabel->height() + 4);
        const QRect edit = d.LeftBorderWidthBox->geometry().translated(d.GroupBox4->pos());
        EXPECT_EQ(d.GutterSpin()->geometry().right(), edit.right() - 2);
        EXPECT_EQ(d.GutterSpin()->y(), edit.y() + 2);
        EXPECT_EQ(d.GutterSpin()->height(), edit.height() - 4);
        EXPECT_EQ(d.LangNameBox->text(), "Prueba");
        EXPECT_TRUE(d.LangNameBox->isReadOnly());
        EXPECT_EQ(d.LeftBorderWidthBox->text(), "30");
        EXPECT_EQ(d.RightMarginWidthBox->text(), "72");
        EXPECT_FALSE(d.FEditor->FontWriteBack());
        EXPECT_EQ(d.FEditor->Lines().Count(), 2);
        EXPECT_EQ(d.FontFamilyBox->count(), 18);
        EXPECT_EQ(d.FontFamilyBox->itemText(0), "ANSI");
        EXPECT_EQ(d.FontSizeBox->count(), 13);
    });
}

TEST_F(OptionsDialogTest, CancelAndCloseLeaveTheParserAsItWas)
{
    TCodeMemo attached;
    attached.SetParser1(&parser);
    TSM_Settings* own = &parser.Settings();
    const std::string before = streamOf(parser.Settings());
    for (bool closeWindow : {false, true}) {
        const bool result = run(kAllPropEdPages, [&](TOptionsDialog& d) {
            // The working copy stands in, with the two example editors alone on the list.
            EXPECT_NE(&parser.Settings(), own);
            EXPECT_EQ(&parser.Settings(), d.WorkingSettings());
            EXPECT_EQ(parser.Editors(), (std::vector<TParserClient*>{d.FEditor, d.CodeMemo1}));
            EXPECT_EQ(&d.FEditor->ActiveSettings(), d.WorkingSettings());
            EXPECT_EQ(&attached.ActiveSettings(), own);
            d.LineNosBox->click();
            d.DispWrapBox->click();
            d.SynElementsBox->setCurrentRow(0);
            d.UseBoldBox->click();
            d.LeftBorderWidthBox->setText("120");
            d.TabColumnsBox->setText("9 17");
            emit d.TabColumnsBox->editingFinished();
            d.FontSizeBox->setCurrentIndex(d.FontSizeBox->findText("14"));
            EXPECT_EQ(d.WorkingSettings()->Gutter, 120);
            EXPECT_EQ(d.WorkingSettings()->FontSize, 14);
            EXPECT_EQ(streamOf(*own), before);
            if (closeWindow)
                d.close();
        });
        EXPECT_FALSE(result);
        EXPECT_EQ(&parser.Settings(), own);
        EXPECT_EQ(streamOf(parser.Settings()), before);
        EXPECT_EQ(parser.Editors(), std::vector<TParserClient*>{&attached});
        EXPECT_EQ(&attached.ActiveSettings(), own);
        EXPECT_EQ(parser.Settings().Clients(), std::vector<TSettingsClient*>{&attached});
    }
}

TEST_F(OptionsDialogTest, OkCopiesTheWorkingCopyBack)
{
    TSM_Settings* own = &parser.Settings();
    const uint32_t options = own->Options & ~0x40u;
    own->Options = options;
    EXPECT_TRUE(run(1 << ppOPTIONS, [&](TOptionsDialog& d) {
        EXPECT_FALSE(d.LineNosBox->isChecked());
        d.LineNosBox->click();
        EXPECT_EQ(d.WorkingSettings()->Options, options | 0x40u);
        EXPECT_EQ(static_cast<uint32_t>(d.FEditor->Perform(SMM_OPTIONS, 0, 0)), options | 0x40u);
        EXPECT_EQ(own->Options, options);
        d.OKButton->click();
    }));
    EXPECT_EQ(&parser.Settings(), own);
    EXPECT_EQ(own->Options, options | 0x40u);
    EXPECT_TRUE(parser.Editors().empty());
}

TEST_F(OptionsDialogTest, OptionBoxesFollowAndSetTheirBits)
{
    std::mt19937 random(32);
    for (int round = 0; round < 3; ++round) {
        parser.Settings().Options = static_cast<uint32_t>(random()) & 0x7FFFFFFu;
        run(1, [&](TOptionsDialog& d) {
            uint32_t expected = parser.Settings().Options;
            for (QCheckBox* box : d.OptionBoxes()) {
                const auto bit = static_cast<uint32_t>(box->property("Tag").toULongLong());
                EXPECT_EQ(box->isChecked(), (expected & bit) != 0);
            }
            EXPECT_EQ(d.TabColBox->isEnabled(), (expected & 0x400) == 0);
            for (int i = 0; i < 8; ++i) {
                QCheckBox* box = d.OptionBoxes()[random() % d.OptionBoxes().size()];
                if (!box->isEnabled())
                    continue;
                box->click();
                expected ^= static_cast<uint32_t>(box->property("Tag").toULongLong());
                EXPECT_EQ(d.WorkingSettings()->Options, expected);
                EXPECT_EQ(d.TabColBox->isEnabled(), (expected & 0x400) == 0);
            }
        });
    }
}

TEST_F(OptionsDialogTest, BorderBoxesSpinsAndNumberBoxes)
{
    run(1, [&](TOptionsDialog& d) {
        TBoxCloser closer;
        TSM_Settings& w = *d.WorkingSettings();
        d.LeftBorderWidthBox->setText("150");
        EXPECT_EQ(w.Gutter, 150);
        EXPECT_EQ(d.FEditor->Gutter(), 150);
        d.LeftBorderWidthBox->setText("200");
        EXPECT_EQ(closer.Texts, std::vector<std::string>{"S\xF3" "lo de 0 a 199"});
        EXPECT_EQ(d.LeftBorderWidthBox->text(), "150");
        EXPECT_EQ(w.Gutter, 150);
        d.RightMarginWidthBox->setText("x");
        ASSERT_EQ(closer.Texts.size(), 2u);
        EXPECT_EQ(d.RightMarginWidthBox->text(), "72");
        EXPECT_EQ(w.RightMargin, 72);

        // Every digit passes the key filter; letters do not.
        d.LeftBorderWidthBox->clear();
        for (int k : {Qt::Key_9, Qt::Key_A, Qt::Key_8})
            key(d.LeftBorderWidthBox, k, QString(QChar(k)).toLower());
        EXPECT_EQ(d.LeftBorderWidthBox->text(), "98");
        EXPECT_EQ(w.Gutter, 98);

        // Ctrl+A selects a box's number, and the next digit replaces it.
        for (QLineEdit* box : {d.IndentStepBox, d.WrapColumnBox, d.LeftBorderWidthBox, d.RightMarginWidthBox, d.DeftabBox}) {
            box->setText("4");
            key(box, Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
            key(box, Qt::Key_8, "8");
            EXPECT_EQ(box->text().toStdString(), "8") << box->objectName().toStdString();
        }

        d.LeftBorderWidthBox->setText("198");
        d.GutterSpin()->UpButton()->Click();
        d.GutterSpin()->UpButton()->Click();
        EXPECT_EQ(d.LeftBorderWidthBox->text(), "199");
        EXPECT_EQ(w.Gutter, 199);
        d.RightMarginWidthBox->setText("1");
        d.MarginSpin()->DownButton()->Click();
        d.MarginSpin()->DownButton()->Click();
        EXPECT_EQ(d.RightMarginWidthBox->text(), "0");
        EXPECT_EQ(w.RightMargin, 0);
        d.RightMarginWidthBox->setText("");
        d.MarginSpin()->UpButton()->Click();
        EXPECT_EQ(d.RightMarginWidthBox->text(), "1");
        EXPECT_EQ(w.RightMargin, 1);
        EXPECT_EQ(closer.Texts.size(), 2u); // an empty box is no error while it is being typed in

        // The editor refuses the tab columns: its message, and the old stops come back.
        d.TabColumnsBox->setText("9 17");
        emit d.TabColumnsBox->editingFinished();
        EXPECT_EQ(w.GetTabColumn(0), 8);
        d.TabColumnsBox->setText("5 3");
        emit d.TabColumnsBox->editingFinished();
        ASSERT_EQ(closer.Texts.size(), 3u);
        EXPECT_FALSE(closer.Texts.back().empty());
        EXPECT_EQ(d.TabColumnsBox->text(), "9 17");
        EXPECT_EQ(w.GetTabColumn(0), 8);
        EXPECT_EQ(w.GetTabColumn(1), 16);

        d.IndentStepBox->setText("3");
        emit d.IndentStepBox->editingFinished();
        EXPECT_EQ(w.IndentStep, 3);
        key(d.IndentStepBox, Qt::Key_Minus, "-");
        EXPECT_EQ(d.IndentStepBox->text(), "3");
        d.WrapColumnBox->setText("66");
        emit d.WrapColumnBox->editingFinished();
        EXPECT_EQ(w.WrapAtColumn, 66);
        d.DeftabBox->setText("8");
        emit d.DeftabBox->editingFinished();
        EXPECT_EQ(w.TabDefault, 8);
        d.DeftabBox->setText("ocho");
        emit d.DeftabBox->editingFinished();
        EXPECT_EQ(closer.Texts.size(), 4u);
        EXPECT_EQ(w.TabDefault, 8);
    });
}

TEST_F(OptionsDialogTest, ElementListHoldsTheStylesThenTheThreeFixedEntries)
{
    for (int count : {2, 25}) {
        for (int i = 1; i <= count; ++i)
            parser.Settings().SetEditableStyle(i, {"Estilo" + std::to_string(i), static_cast<uint8_t>(10 + i)});
        run(2, [&](TOptionsDialog& d) {
            ASSERT_EQ(d.SynElementsBox->count(), count + 3);
            for (int i = 0; i < count; ++i) {
                EXPECT_EQ(ToWin1252(d.SynElementsBox->item(i)->text()), "Estilo" + std::to_string(i + 1));
                EXPECT_EQ(d.ElementCode(i), 11 + i);
            }
            EXPECT_EQ(ToWin1252(d.SynElementsBox->item(count)->text()), "Texto seleccionado");
            EXPECT_EQ(ToWin1252(d.SynElementsBox->item(count + 1)->text()), "Margen izquierdo");
            EXPECT_EQ(ToWin1252(d.SynElementsBox->item(count + 2)->text()), "Lateral");
            EXPECT_EQ(d.ElementCode(count), 0x4000);
            EXPECT_EQ(d.ElementCode(count + 2), 0x4002);
            EXPECT_EQ(d.SynElementsBox->currentRow(), 0);
        });
    }
}

TEST_F(OptionsDialogTest, AttributesColoursAndDefaultsReachTheWorkingCopyOnly)
{
    TSM_TokenStyle word = parser.Settings().GetStyle(3);
    word.FontStyle = 0;
    word.Foreground = clBlue;
    word.Defined = 0;
    parser.Settings().SetStyle(3, word);
    parser.Settings().UseDefaultColors = {0, 0, 0, 0};
    EXPECT_TRUE(run(2, [&](TOptionsDialog& d) {
        TSM_Settings& w = *d.WorkingSettings();
        d.SynElementsBox->setCurrentRow(0);
        EXPECT_EQ(d.ForeColorButton()->Color(), clBlue);
        d.UseBoldBox->click();
        EXPECT_EQ(w.GetStyle(3).FontStyle, 1);
        EXPECT_EQ(w.GetStyle(3).Defined, 1);
        EXPECT_EQ(parser.Settings().GetStyle(3).FontStyle, 1); // the parser's settings are the copy now
        d.ForeColorButton()->SetColor(clRed);
        EXPECT_EQ(w.GetStyle(3).Foreground, clRed);
        d.UseDefBackBox->click();
        EXPECT_EQ(w.GetStyle(3).DefaultBackground, 1);
        EXPECT_FALSE(d.BackColorButton()->isEnabled());
        d.BackColorButton()->SetColor(clGreen);
        EXPECT_NE(w.GetStyle(3).Background, clGreen);

        // The margin entry edits the margin colour and its own default flag.
        d.SynElementsBox->setCurrentRow(d.SynElementsBox->count() - 2);
        EXPECT_FALSE(d.UseDefForeBox->isEnabled());
        EXPECT_FALSE(d.ForeColorButton()->isEnabled());
        d.BackColorButton()->SetColor(clYellow);
        EXPECT_EQ(w.MarginColor, clYellow);
        d.UseDefBackBox->click();
        EXPECT_EQ(w.UseDefaultColors[udcMargin], 1);
        EXPECT_FALSE(d.BackColorButton()->isEnabled());
        // A text attribute does nothing on a fixed entry.
        d.UseItalicBox->click();
        EXPECT_EQ(w.GetStyle(3).FontStyle, 1);

        d.SynElementsBox->setCurrentRow(d.SynElementsBox->count() - 3);
        d.UseDefForeBox->click();
        EXPECT_EQ(w.UseDefaultColors[udcSelTextColor], 1);
        d.OKButton->click();
    }));
    EXPECT_EQ(parser.Settings().GetStyle(3).FontStyle, 1);
    EXPECT_EQ(parser.Settings().GetStyle(3).Foreground, clRed);
    EXPECT_EQ(parser.Settings().MarginColor, clYellow);
    EXPECT_EQ(parser.Settings().UseDefaultColors, (std::array<uint8_t, 4>{1, 1, 0, 0}));
}

TEST_F(OptionsDialogTest, BoldOnAStyleReachesTheParserOnlyAfterOk)
{
    TSM_Settings* own = &parser.Settings();
    TSM_TokenStyle word = own->GetStyle(3);
    word.FontStyle = 0;
    own->SetStyle(3, word);
    run(2, [&](TOptionsDialog& d) {
        d.SynElementsBox->setCurrentRow(0);
        d.UseBoldBox->click();
        EXPECT_EQ(d.WorkingSettings()->GetStyle(3).FontStyle, 1);
        EXPECT_EQ(own->GetStyle(3).FontStyle, 0);
        d.OKButton->click();
    });
    EXPECT_EQ(own->GetStyle(3).FontStyle, 1);
    EXPECT_EQ(own->GetStyle(3).Defined, 1);
}

TEST_F(OptionsDialogTest, ClicksInTheExampleSelectTheirElement)
{
    run(2, [&](TOptionsDialog& d) {
        TCodeMemo* memo = d.FEditor;
        // Mouse events come in widget coordinates, the editor counts from its client area.
        const int probe = 40;
        press(memo, probe, probe);
        const QPoint origin(probe - d.LastClick().X, probe - d.LastClick().Y);
        ASSERT_LE(origin.manhattanLength(), 8);
        auto pressAt = [&](int x, int y) { press(memo, x + origin.x(), y + origin.y()); };
        const int y = 6;
        const int onNumber = xOfOffset(memo, 5, y);
        const int onWord = xOfOffset(memo, 1, y);
        const int onBlank = xOfOffset(memo, 3, y);
        ASSERT_GT(onNumber, 0);
        ASSERT_GT(onWord, 0);
        ASSERT_GT(onBlank, 0);
        pressAt(onNumber, y);
        EXPECT_EQ(d.SynElementsBox->currentRow(), 1);
        EXPECT_EQ(d.LastClick(), (TPoint{onNumber, y}));
        // Within five pixels of the last click nothing changes.
        d.SynElementsBox->setCurrentRow(2);
        pressAt(onNumber + 5, y + 5);
        EXPECT_EQ(d.SynElementsBox->currentRow(), 2);
        EXPECT_EQ(d.LastClick(), (TPoint{onNumber, y}));
        pressAt(onWord, y);
        EXPECT_EQ(d.SynElementsBox->currentRow(), 0);
        // A blank has style 0, the low byte of the selected-text entry's code: no entry is chosen.
        d.SynElementsBox->setCurrentRow(1);
        pressAt(onBlank, y);
        EXPECT_EQ(d.SynElementsBox->currentRow(), 1);
        // Points on the edge are ignored.
        pressAt(0, y);
        EXPECT_EQ(d.LastClick(), (TPoint{onBlank, y}));
    });
}

TEST_F(OptionsDialogTest, FontNameSizeAndCharacterSet)
{
    run(2, [&](TOptionsDialog& d) {
        TSM_Settings& w = *d.WorkingSettings();
        ASSERT_FALSE(d.FontNames().empty());
        d.FontSizeBox->setCurrentIndex(d.FontSizeBox->findText("18"));
        EXPECT_EQ(w.FontSize, 18);
        EXPECT_EQ(d.FEditor->FontSize(), 18);
        const int other = d.FontNameBox->count() - 1;
        d.FontNameBox->setCurrentIndex(other);
        EXPECT_EQ(w.FontName, ToWin1252(d.FontNameBox->itemText(other)));
        EXPECT_EQ(d.FEditor->FontName(), w.FontName);
        d.FontFamilyBox->setCurrentIndex(d.FontFamilyBox->findText("OEM"));
        EXPECT_EQ(w.Charset, 255);
        EXPECT_EQ(d.FontNameBox->currentText(), FromWin1252(w.FontName));
    });
    EXPECT_EQ(parser.Settings().FontSize, 10);
}

TEST_F(OptionsDialogTest, AFaceThatIsNotInstalledShowsTheFontPaintingInItsPlace)
{
    TSM_Settings& s = parser.Settings();
    const std::string missing = "Courier New Ausente Kestrima";
    ASSERT_FALSE(QFontDatabase::hasFamily(QString::fromStdString(missing)));
    s.FontName = missing;
    TSM_TokenStyle plain = s.GetStyle(0);
    plain.Defined = 1;
    s.SetStyle(0, plain);
    const uint8_t charset = s.Charset;
    // Shown, and Aceptar untouched: the face stays the configured one.
    const auto acceptUntouched = [&] {
        QString shown;
        EXPECT_TRUE(run(2, [&](TOptionsDialog& d) {
            // The family the example editor's text is drawn in, as the font database matched it.
            const TFontHandle painted = d.WorkingSettings()->GetStyle(0).Font;
            ASSERT_TRUE(painted);
            shown = d.FontNameBox->currentText();
            EXPECT_EQ(shown, QFontInfo(ToQFont(*painted)).family());
            d.OKButton->click();
        }));
        return shown;
    };
    const QString shown = acceptUntouched();
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_NE(shown, QString::fromStdString(missing));
    EXPECT_EQ(s.FontName, missing);
    EXPECT_EQ(s.FontSize, 10);
    EXPECT_EQ(s.Charset, charset);
    // The first Aceptar puts the key list in the dialog's order; from then on nothing moves.
    const std::string before = streamOf(s);
    EXPECT_EQ(acceptUntouched(), shown);
    EXPECT_EQ(streamOf(parser.Settings()), before);

    // Another character set that the family writes keeps it shown; no choice of font, no change.
    run(2, [&](TOptionsDialog& d) {
        const int set = d.FontFamilyBox->currentIndex();
        const bool ansi = set == d.FontFamilyBox->findText("ANSI");
        d.FontFamilyBox->setCurrentIndex(d.FontFamilyBox->findText(ansi ? "Default" : "ANSI"));
        EXPECT_EQ(d.FontNameBox->currentText(), shown);
        EXPECT_EQ(d.WorkingSettings()->FontName, missing);
    });
    // An installed face is shown as itself.
    const std::string installed = FontFamiliesOfCharset(s.Charset).back();
    s.FontName = installed;
    run(2, [&](TOptionsDialog& d) { EXPECT_EQ(ToWin1252(d.FontNameBox->currentText()), installed); });
}

TEST_F(OptionsDialogTest, EveryPageGrabbedToPng)
{
    run(kAllPropEdPages, [&](TOptionsDialog& d) {
        const char* names[] = {"options", "highlighting", "keys", "autocorrect", "templates"};
        for (int page = 0; page < 5; ++page) {
            d.PageControl->setCurrentIndex(page);
            QApplication::processEvents();
            const QImage shot = d.grab().toImage();
            ASSERT_FALSE(shot.isNull());
            EXPECT_EQ(shot.size(), d.size() * shot.devicePixelRatio());
            EXPECT_TRUE(shot.save(QString::fromStdString(shotPath(std::string("optionsdialog-") + names[page] + ".png")),
                                  "PNG"));
        }
    });
}

} // namespace
