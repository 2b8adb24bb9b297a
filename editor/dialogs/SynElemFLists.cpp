// The options dialog's list pages: key assignments per command, the auto-correction list and the code
// templates, with the two-column drawing their lists share and the OK button that builds the keys.
#include "editor/dialogs/SynElemF.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>
#include <memory>

#include "editor/CodeMemo.h"
#include "editor/dialogs/SYM_KDlg.h"
#include "editor/model/EditorMessages.h"
#include "editor/model/KeyBindings.h"
#include "editor/model/Templates.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/KeyNames.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

enum : int { kAddText = 4350, kDeleteText = 4351, kReplaceText = 4352, kStep1Hint = 4333, kStep2Hint = 4334 };

// Stands for the missing second stroke in a key list line; the parser of the lines knows it too.
constexpr int kNoKeyText = 4388;

std::string noKey()
{
    return LoadResString(kNoKeyText);
}
// Alt+A: the template hot key the box offers before the settings give theirs.
constexpr TShortCut kDefaultTemplateHotKey = scAlt | 'A';
constexpr QRgb kRuleColor = 0xC0C0C0;

std::string textOf(const QLineEdit* box)
{
    return ToEditorText(box->text());
}

std::string lineOf(const QListWidget* list, int row)
{
    return ToEditorText(list->item(row)->text());
}

// A list line split at its first TAB; a line without one is a name alone.
void splitLine(const std::string& line, std::string& name, std::string& rest)
{
    const size_t tab = line.find('\t');
    name = line.substr(0, tab);
    rest = tab == std::string::npos ? std::string() : line.substr(tab + 1);
}

std::string joinLine(const std::string& name, const std::string& rest)
{
    return name + '\t' + rest;
}

// The name lists are kept sorted without case, and looked up the same way. Case folds the ASCII
// letters only, as the entry lists compare their keys: a name the dialog took for a known one must
// be the one the list replaces or deletes.
bool hasName(const std::vector<std::string>& names, const std::string& name)
{
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameText(n, name); });
}

void addName(std::vector<std::string>& names, const std::string& name)
{
    auto at = std::lower_bound(names.begin(), names.end(), name,
                               [](const std::string& n, const std::string& k) { return CompareText(n, k) < 0; });
    names.insert(at, name);
}

void removeName(std::vector<std::string>& names, const std::string& name)
{
    auto at = std::find_if(names.begin(), names.end(), [&](const std::string& n) { return SameText(n, name); });
    if (at != names.end())
        names.erase(at);
}

void setCaption(QPushButton* button, int id)
{
    button->setText(LoadResQString(id));
}

bool captioned(const QPushButton* button, int id)
{
    return button->isEnabled() && button->text() == LoadResQString(id);
}

// Selects a row (or none for -1) as a program would: without the list's change handlers running.
void selectRow(QListWidget* list, int row)
{
    QSignalBlocker quiet(list);
    list->setCurrentRow(row);
    if (row < 0)
        list->clearSelection();
}

// Draws "name TAB rest" lines as two columns, the second starting at a third of the width, with a
// silver rule between the columns and under every line.
class TTwoColumnDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), QFontMetrics(option.font).boundingRect(QStringLiteral("Wy")).height() + 2};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->fillRect(r, selected ? option.palette.highlight() : option.palette.base());
        painter->setPen(selected ? option.palette.highlightedText().color() : option.palette.text().color());
        painter->setFont(option.font);
        const QString text = index.data(Qt::DisplayRole).toString();
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        const int rule = r.left() + r.width() / 3;
        // The name is cut at the rule so that a long one does not run into the second column.
        painter->drawText(QRect(r.left() + 2, r.top(), rule - r.left() - 2, r.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, tab < 0 ? text : text.left(tab));
        if (tab >= 0)
            painter->drawText(QRect(rule + 2, r.top(), r.right() - rule - 2, r.height()),
                              Qt::AlignLeft | Qt::AlignVCenter, text.mid(tab + 1));
        painter->setPen(QColor(kRuleColor));
        painter->drawLine(rule, r.top(), rule, r.bottom());
        painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        painter->restore();
    }
};


// The two buttons of an empty name (both off) or of a name not listed yet ("Añadir" only): false.
// True for a listed name: the caller captions the second button.
bool listedNameButtons(QPushButton* first, QPushButton* second, const std::vector<std::string>& names,
                       const std::string& name)
{
    const bool listed = !name.empty() && hasName(names, name);
    // An empty name could never be typed or expanded, so there is nothing to add.
    first->setEnabled(!name.empty() && !listed);
    if (first->isEnabled())
        setCaption(first, kAddText);
    second->setEnabled(listed);
    return listed;
}

} // namespace

// ---------------------------------------------------------------- wiring

void TOptionsDialog::connectListPages()
{
    auto handle = [this](auto member) { return [this, member] { CallHandler(this, [&] { (this->*member)(); }); }; };
    connect(CommandsBox, &QListWidget::currentRowChanged, this, handle(&TOptionsDialog::CommandClick));
    connect(KeysBox, &QListWidget::currentRowChanged, this, handle(&TOptionsDialog::KeyClick));
    connect(KeysBox, &QListWidget::itemClicked, this, handle(&TOptionsDialog::KeyClick));
    connect(AddButton, &QPushButton::clicked, this, handle(&TOptionsDialog::AddKeyClick));
    connect(EditButton, &QPushButton::clicked, this, handle(&TOptionsDialog::EditKeyClick));
    connect(DeleteButton, &QPushButton::clicked, this, handle(&TOptionsDialog::DeleteKeyClick));

    connect(AutoReplBox, &QListWidget::currentRowChanged, this, handle(&TOptionsDialog::AutoReplBoxClick));
    connect(AutoReplBox, &QListWidget::itemClicked, this, handle(&TOptionsDialog::AutoReplBoxClick));
    connect(ReplaceBox, &QLineEdit::textChanged, this, handle(&TOptionsDialog::UpdateReplaceButtons));
    connect(WithBox, &QLineEdit::textChanged, this, handle(&TOptionsDialog::UpdateReplaceButtons));
    connect(AutoReplButton1, &QPushButton::clicked, this, handle(&TOptionsDialog::AutoReplButton1Click));
    connect(AutoReplButton2, &QPushButton::clicked, this, handle(&TOptionsDialog::AutoReplButton2Click));

    connect(cteListBox, &QListWidget::currentRowChanged, this, handle(&TOptionsDialog::cteListBoxClick));
    connect(cteListBox, &QListWidget::itemClicked, this, handle(&TOptionsDialog::cteListBoxClick));
    connect(NameBox, &QLineEdit::textChanged, this, handle(&TOptionsDialog::UpdateTemplateButtons));
    connect(DescBox, &QLineEdit::textChanged, this, handle(&TOptionsDialog::UpdateTemplateButtons));
    connect(CodeTemplateButton1, &QPushButton::clicked, this, handle(&TOptionsDialog::CodeTemplateButton1Click));
    connect(CodeTemplateButton2, &QPushButton::clicked, this, handle(&TOptionsDialog::CodeTemplateButton2Click));
    CodeMemo1->OnChange = [this](TCustomCodeMemo*) { CallHandler(this, [&] { UpdateTemplateButtons(); }); };
    CodeMemo1->OnDataDrop = [this](TCustomCodeMemo*, TSourceTypes& types) { CodeMemo1DataDrop(types); };

    // Leaving these three controls is what takes their value.
    for (QWidget* w : {static_cast<QWidget*>(KeysBox), static_cast<QWidget*>(AutoReplActBox),
                       static_cast<QWidget*>(cteHotkey)})
        w->installEventFilter(this);

    for (QListWidget* list : {AutoReplBox, cteListBox}) {
        list->setItemDelegate(new TTwoColumnDelegate(list));
        list->setUniformItemSizes(true);
    }
    cteHotkey->SetDefaultModifier(scAlt);
    cteHotkey->SetHotKey(kDefaultTemplateHotKey);
}

bool TOptionsDialog::listPageExit(QObject* watched)
{
    if (watched == KeysBox)
        CallHandler(this, [&] { KeysBoxExit(); });
    else if (watched == AutoReplActBox)
        CallHandler(this, [&] { AutoReplActBoxExit(); });
    else if (watched == cteHotkey)
        CallHandler(this, [&] { cteHotkeyExit(); });
    else
        return false;
    return true;
}

void TOptionsDialog::fillListPages()
{
    // Commands: sorted by name, the selection kept over a second showing.
    const bool wasEmpty = CommandsBox->count() == 0;
    const int keptRow = CommandsBox->currentRow();
    {
        QSignalBlocker quiet(CommandsBox);
        CommandsBox->clear();
        FCommandKeys.clear();
        const TKeyboardActionContoller& controller = std::as_const(*FSettings).KeyController();
        std::vector<std::pair<std::string, int32_t>> commands;
        for (int i = 0; i < controller.ActionNameCount(); ++i)
            commands.emplace_back(controller.ActionNameAt(i), controller.ActionCodeAt(i));
        std::stable_sort(commands.begin(), commands.end(),
                         [](const auto& a, const auto& b) { return CompareText(a.first, b.first) < 0; });
        for (const auto& [name, action] : commands) {
            auto* item = new QListWidgetItem(FromEditorText(name), CommandsBox);
            item->setData(Qt::UserRole, static_cast<int>(FCommandKeys.size()));
            FCommandKeys.push_back(TCommandKeys{false, action, {}});
        }
        selectRow(CommandsBox, wasEmpty ? 0 : std::min(keptRow, CommandsBox->count() - 1));
    }
    FKeyError = false;
    AddButton->setEnabled(true);
    DeleteButton->setEnabled(CommandsBox->currentRow() >= 0);
    CommandClick();

    // Auto-correction.
    {
        QSignalBlocker quiet(AutoReplBox);
        AutoReplBox->clear();
        FReplaceNames.clear();
        const TAutoReplace& replace = std::as_const(*FSettings).AutoReplace();
        for (int i = 0; i < replace.Count(); ++i) {
            const TTemplateEntry& entry = replace.Entry(i);
            AutoReplBox->addItem(FromEditorText(entry.Text.empty() ? entry.Key : joinLine(entry.Key, entry.Text)));
            addName(FReplaceNames, entry.Key);
        }
    }
    FReplaceItem.clear();
    FReplaceWith.clear();
    {
        QSignalBlocker quiet(AutoReplActBox);
        AutoReplActBox->setText(FromEditorText(std::as_const(*FSettings).AutoReplace().TriggerKeys()));
    }
    AutoReplBoxClick();

    // Code templates.
    {
        QSignalBlocker quiet(cteListBox);
        cteListBox->clear();
        FTemplateNames.clear();
        const TCodeTemplates& templates = std::as_const(*FSettings).CodeTemplates();
        for (int i = 0; i < templates.Count(); ++i) {
            const TTemplateEntry& entry = templates.Entry(i);
            cteListBox->addItem(
                FromEditorText(entry.Description.empty() ? entry.Key : joinLine(entry.Key, entry.Description)));
            addName(FTemplateNames, entry.Key);
        }
        cteHotkey->SetHotKey(templates.HotKey);
    }
    cteListBoxClick();
}

// ---------------------------------------------------------------- key assignments

TCommandKeys* TOptionsDialog::CommandKeys(int row)
{
    if (row < 0 || row >= CommandsBox->count())
        return nullptr;
    bool ok = false;
    const int index = CommandsBox->item(row)->data(Qt::UserRole).toInt(&ok);
    if (!ok || index < 0 || static_cast<size_t>(index) >= FCommandKeys.size())
        return nullptr;
    return &FCommandKeys[static_cast<size_t>(index)];
}

TCommandKeys* TOptionsDialog::selectedCommand()
{
    return CommandKeys(CommandsBox->currentRow());
}

void TOptionsDialog::loadPairs(TCommandKeys& keys)
{
    TKeyboardActionContoller& controller = FSettings->KeyController();
    uint16_t key1 = 0, key2 = 0;
    for (bool found = controller.FindFirstKeys(keys.Action, key1, key2); found && key1 != 0;
         found = controller.FindNextKeys(keys.Action, key1, key2))
        keys.Pairs.push_back(TKeyPair{key1, key2});
}

std::string TOptionsDialog::KeyPairLine(TShortCut key1, TShortCut key2)
{
    return std::string("[").append(ShortCutToText(key1)).append("]  [").append(key2 ? ShortCutToText(key2) : noKey()).append("]");
}

void TOptionsDialog::ParseKeyPairLine(const std::string& line, TShortCut& key1, TShortCut& key2)
{
    key1 = 0;
    key2 = 0;
    if (line.size() < 2)
        return;
    const std::string rest = line.substr(1);
    size_t close = rest.find(']');
    if (close == std::string::npos)
        return;
    // A key whose own text is "]" shows as "]]" before the separator.
    if (close + 1 < rest.size() && rest[close + 1] == ']')
        ++close;
    key1 = TextToShortCut(std::string_view(rest).substr(0, close));
    static constexpr size_t kSeparator = 4; // "]  ["
    if (close + kSeparator >= rest.size())
        return;
    std::string second = rest.substr(close + kSeparator);
    second.pop_back();
    key2 = second == noKey() ? 0 : TextToShortCut(second);
}

void TOptionsDialog::CommandClick()
{
    if (!FSettings)
        return;
    {
        QSignalBlocker quiet(KeysBox);
        KeysBox->clear();
        if (TCommandKeys* keys = selectedCommand()) {
            if (keys->Pairs.empty() && !keys->Changed)
                loadPairs(*keys);
            for (const TKeyPair& pair : keys->Pairs)
                KeysBox->addItem(FromEditorText(KeyPairLine(pair.Key1, pair.Key2)));
        }
        if (KeysBox->count() > 0)
            KeysBox->setCurrentRow(0);
    }
    if (KeysBox->count() > 0) {
        KeyClick();
    } else {
        // Nothing to edit or delete: stale keys must not match a pair of this command.
        FSelKey1 = 0;
        FSelKey2 = 0;
        EditButton->setEnabled(false);
    }
    AddButton->setEnabled(true);
    DeleteButton->setEnabled(KeysBox->count() > 0 && KeysBox->currentRow() >= 0);
    FLastList = CommandsBox;
}

void TOptionsDialog::KeyClick()
{
    if (!FSettings)
        return;
    if (const int row = KeysBox->currentRow(); row >= 0)
        ParseKeyPairLine(lineOf(KeysBox, row), FSelKey1, FSelKey2);
    AddButton->setEnabled(true);
    DeleteButton->setEnabled(KeysBox->count() > 0);
    EditButton->setEnabled(KeysBox->count() > 0);
    FLastList = KeysBox;
}

void TOptionsDialog::KeysBoxExit()
{
    if (!FSettings)
        return;
    if (TCommandKeys* keys = selectedCommand())
        keys->Pairs.remove_if([](const TKeyPair& pair) { return pair.Key1 == 0; });
    KeyClick();
}

std::list<TKeyPair>::iterator TOptionsDialog::selectedPair(TCommandKeys& keys)
{
    return std::find_if(keys.Pairs.begin(), keys.Pairs.end(),
                        [this](const TKeyPair& pair) { return pair.Key1 == FSelKey1 && pair.Key2 == FSelKey2; });
}

bool TOptionsDialog::runKeyAssign(TShortCut& key1, TShortCut& key2, uint8_t mode)
{
    TKeyAssignDialog dialog(this);
    return dialog.Execute(key1, key2, ToEditorText(CommandsBox->currentItem()->text()), LoadResString(kStep1Hint),
                          LoadResString(kStep2Hint), mode);
}

void TOptionsDialog::AddKeyClick()
{
    TCommandKeys* keys = FSettings ? selectedCommand() : nullptr;
    if (!keys)
        return;
    TShortCut key1 = 0, key2 = 0;
    // A pair without a first key could never be typed.
    if (runKeyAssign(key1, key2, TKeyAssignDialog::kmAdd) && key1 != 0)
        keys->Pairs.push_back(TKeyPair{key1, key2});
    CommandClick();
}

void TOptionsDialog::EditKeyClick()
{
    TCommandKeys* keys = FSettings ? selectedCommand() : nullptr;
    if (!keys)
        return;
    auto pair = selectedPair(*keys);
    if (pair == keys->Pairs.end())
        return;
    TShortCut key1 = pair->Key1, key2 = pair->Key2;
    if (runKeyAssign(key1, key2, TKeyAssignDialog::kmEdit) && key1 != 0) {
        pair->Key1 = key1;
        pair->Key2 = key2;
    }
    CommandClick();
}

void TOptionsDialog::DeleteKeyClick()
{
    TCommandKeys* keys = FSettings ? selectedCommand() : nullptr;
    if (!keys)
        return;
    auto pair = selectedPair(*keys);
    if (pair == keys->Pairs.end())
        return;
    keys->Pairs.erase(pair);
    keys->Changed = true;
    CommandClick();
}

void TOptionsDialog::OKButtonClick()
{
    if (!FSettings) {
        done(QDialog::Accepted);
        return;
    }
    // The two boxes that take their value on exit may still hold the focus (Enter presses OK).
    AutoReplActBoxExit();
    cteHotkeyExit();
    auto controller = std::make_unique<TKeyboardActionContoller>();
    try {
        for (int row = 0; row < CommandsBox->count(); ++row) {
            TCommandKeys* keys = CommandKeys(row);
            if (!keys)
                continue;
            controller->SetActionName(keys->Action, lineOf(CommandsBox, row));
            if (keys->Pairs.empty() && !keys->Changed)
                loadPairs(*keys);
        }
        for (int row = 0; row < CommandsBox->count(); ++row)
            if (TCommandKeys* keys = CommandKeys(row))
                for (const TKeyPair& pair : keys->Pairs)
                    controller->AddKeySequence(pair.Key1, pair.Key2, keys->Action);
    } catch (const std::exception& error) {
        FKeyError = true;
        MessageBox(this, error.what(), std::string(), MB_OK);
        return;
    }
    FSettings->KeyController().Assign(*controller);
    done(QDialog::Accepted);
}

// ---------------------------------------------------------------- auto-correction

int TOptionsDialog::rowNamed(const QListWidget* list, const std::string& name)
{
    std::string item, rest;
    for (int row = 0; row < list->count(); ++row) {
        splitLine(lineOf(list, row), item, rest);
        if (SameText(item, name))
            return row;
    }
    return -1;
}

void TOptionsDialog::addListed(QListWidget* list, std::vector<std::string>& names, const std::string& name,
                               const std::string& line)
{
    addName(names, name);
    list->addItem(FromEditorText(line));
    selectRow(list, list->count() - 1);
}

TOptionsDialog::TListEdit TOptionsDialog::secondButtonClick(QListWidget* list, const QPushButton* button,
                                                            std::vector<std::string>& names,
                                                            const std::string& name, const std::string& line)
{
    if (!button->isEnabled())
        return TListEdit::None;
    // The line of the typed name, not whichever line is selected.
    const int row = rowNamed(list, name);
    if (row < 0)
        return TListEdit::None;
    removeName(names, name);
    if (captioned(button, kDeleteText)) {
        delete list->takeItem(row);
        selectRow(list, std::min(row, list->count() - 1));
        return TListEdit::Deleted;
    }
    // Listed again as typed now, which may differ in case from before.
    addName(names, name);
    {
        QSignalBlocker quiet(list);
        list->item(row)->setText(FromEditorText(line));
    }
    selectRow(list, row);
    return TListEdit::Replaced;
}

void TOptionsDialog::AutoReplBoxClick()
{
    if (!FSettings)
        return;
    const int row = AutoReplBox->currentRow();
    if (row < 0) {
        FReplaceItem.clear();
        FReplaceWith.clear();
    } else {
        splitLine(lineOf(AutoReplBox, row), FReplaceItem, FReplaceWith);
    }
    {
        QSignalBlocker quietItem(ReplaceBox), quietWith(WithBox);
        ReplaceBox->setText(FromEditorText(FReplaceItem));
        WithBox->setText(FromEditorText(FReplaceWith));
    }
    UpdateReplaceButtons();
}

void TOptionsDialog::UpdateReplaceButtons()
{
    const std::string item = textOf(ReplaceBox);
    const std::string with = textOf(WithBox);
    if (!listedNameButtons(AutoReplButton1, AutoReplButton2, FReplaceNames, item))
        return;
    const int row = rowNamed(AutoReplBox, item);
    if (row < 0)
        return;
    std::string listedItem, listedWith;
    splitLine(lineOf(AutoReplBox, row), listedItem, listedWith);
    if (with.empty())
        selectRow(AutoReplBox, row);
    setCaption(AutoReplButton2, listedWith == with ? kDeleteText : kReplaceText);
}

void TOptionsDialog::AutoReplButton1Click()
{
    if (!FSettings || !captioned(AutoReplButton1, kAddText))
        return;
    const std::string item = textOf(ReplaceBox);
    addListed(AutoReplBox, FReplaceNames, item, joinLine(item, textOf(WithBox)));
    AutoReplBoxClick();
    RebuildAutoReplace();
}

void TOptionsDialog::AutoReplButton2Click()
{
    if (!FSettings)
        return;
    const std::string item = textOf(ReplaceBox);
    if (secondButtonClick(AutoReplBox, AutoReplButton2, FReplaceNames, item, joinLine(item, textOf(WithBox))) ==
        TListEdit::None)
        return;
    AutoReplBoxClick();
    RebuildAutoReplace();
}

void TOptionsDialog::AutoReplActBoxExit()
{
    if (FSettings)
        FSettings->AutoReplace().SetTriggerKeys(textOf(AutoReplActBox));
}

void TOptionsDialog::RebuildAutoReplace()
{
    TAutoReplace& replace = FSettings->AutoReplace();
    replace.ResetDefaults();
    std::string item, with;
    for (int row = 0; row < AutoReplBox->count(); ++row) {
        splitLine(lineOf(AutoReplBox, row), item, with);
        replace.AddReplacement(item, with);
    }
    replace.SetTriggerKeys(textOf(AutoReplActBox));
}

// ---------------------------------------------------------------- code templates

void TOptionsDialog::cteListBoxClick()
{
    if (!FSettings)
        return;
    const int row = cteListBox->currentRow();
    std::string name, description;
    if (row >= 0)
        splitLine(lineOf(cteListBox, row), name, description);
    {
        QSignalBlocker quietName(NameBox), quietDesc(DescBox);
        NameBox->setText(FromEditorText(name));
        DescBox->setText(FromEditorText(description));
    }
    std::string text;
    {
        // The buttons are settled once below, not on every change the new text makes.
        auto onChange = std::exchange(CodeMemo1->OnChange, nullptr);
        TScopeGuard restore([&] { CodeMemo1->OnChange = std::move(onChange); });
        if (!name.empty() && std::as_const(*FSettings).CodeTemplates().Lookup(name, text))
            CodeMemo1->Lines().SetText(text);
        else
            CodeMemo1->Lines().Clear();
        CodeMemo1->SetModified(false);
    }
    UpdateTemplateButtons();
}

void TOptionsDialog::UpdateTemplateButtons()
{
    if (!FSettings)
        return;
    const std::string name = textOf(NameBox);
    if (!listedNameButtons(CodeTemplateButton1, CodeTemplateButton2, FTemplateNames, name))
        return;
    const int row = rowNamed(cteListBox, name);
    std::string listedName, listedDescription;
    if (row >= 0)
        splitLine(lineOf(cteListBox, row), listedName, listedDescription);
    int caption = kReplaceText;
    if (row >= 0 && listedDescription == textOf(DescBox)) {
        std::string text;
        if (!std::as_const(*FSettings).CodeTemplates().Lookup(name, text))
            return;
        caption = GetTemplateText() == text ? kDeleteText : kReplaceText;
    }
    setCaption(CodeTemplateButton2, caption);
}

void TOptionsDialog::CodeTemplateButton1Click()
{
    if (!FSettings || !captioned(CodeTemplateButton1, kAddText))
        return;
    const std::string name = textOf(NameBox);
    const std::string description = textOf(DescBox);
    FSettings->CodeTemplates().SetTemplate(name, description, GetTemplateText());
    addListed(cteListBox, FTemplateNames, name, joinLine(name, description));
    cteListBoxClick();
}

void TOptionsDialog::CodeTemplateButton2Click()
{
    if (!FSettings)
        return;
    const std::string name = textOf(NameBox);
    const std::string description = textOf(DescBox);
    switch (secondButtonClick(cteListBox, CodeTemplateButton2, FTemplateNames, name, joinLine(name, description))) {
    case TListEdit::None:
        return;
    case TListEdit::Deleted:
        FSettings->CodeTemplates().DeleteTemplate(name);
        break;
    case TListEdit::Replaced:
        FSettings->CodeTemplates().SetTemplate(name, description, GetTemplateText());
        CodeMemo1->SetModified(false);
        break;
    }
    cteListBoxClick();
}

void TOptionsDialog::cteHotkeyExit()
{
    if (FSettings && cteHotkey->HotKey() != 0)
        FSettings->CodeTemplates().HotKey = cteHotkey->HotKey();
}

std::string TOptionsDialog::GetTemplateText()
{
    TSelectionRange saved{0, 0};
    CodeMemo1->PerformSelection(0, saved);
    TScopeGuard restore([&] { CodeMemo1->PerformSelection(SMM_SET | SMM_NOREDRAW, saved); });
    TSelectionRange all{-1, 0};
    CodeMemo1->PerformSelection(SMM_SET | SMM_NOREDRAW, all);
    // Plain text with the editor's own CR line breaks, as templates keep them.
    TMemoryStream stream;
    CodeMemo1->PerformStream(SMM_SAVESTREAM, 0, stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.GetSize()));
}

void TOptionsDialog::CodeMemo1DataDrop(TSourceTypes& sourceTypes)
{
    if (sourceTypes & stHTML) {
        sourceTypes &= static_cast<TSourceTypes>(~stNoFilter);
        sourceTypes |= stFragment;
    } else if (sourceTypes & stFiles) {
        sourceTypes &= static_cast<TSourceTypes>(~stNoFilter);
        sourceTypes |= stProcessFiles;
    }
}
