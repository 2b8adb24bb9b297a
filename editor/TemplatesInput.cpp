// The editor control's side of code templates and auto-replace: their share of the keys, the pop-up list of templates, the expansion, and the claim of the shared settings objects.
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <string>

#include "editor/CodeMemo.h"
#include "editor/model/KeyBindings.h"
#include "editor/model/Templates.h"
#include "editor/model/Undo.h"
#include "platform/Keys.h"
#include "platform/Win1252Qt.h"

namespace {

// TEdStream walks record by record from where it stands. The template lists first look at the text
// start (is there any text?) and then read backwards from the caret; this cursor moves the stream
// only when a character is read, so that a trigger key does not walk the document from its first
// record to the caret and back.
class TDeferredCursor {
public:
    explicit TDeferredCursor(TEdStream& stream) : FStream(stream) {}
    int64_t GetPos() { return FPending ? FTarget : FStream.GetPos(); }
    void SetPos(int64_t position)
    {
        FTarget = position;
        FPending = true;
    }
    bool AtEnd() { return GetPos() >= FStream.GetSize(); }
    char CurrentChar()
    {
        settle();
        return FStream.CurrentChar();
    }
    void Next()
    {
        settle();
        FStream.Next();
    }
    void Prev()
    {
        settle();
        FStream.Prev();
    }

private:
    void settle()
    {
        if (FPending)
            FStream.SetPos(FTarget);
        FPending = false;
    }
    TEdStream& FStream;
    int64_t FTarget = 0;
    bool FPending = false;
};

// The OnExpand of a template list while an editor has claimed it. The guarded pointer makes a list
// that outlives its last claimer (settings shared through a parser) call nobody.
struct TExpandForwarder {
    QPointer<TCustomCodeMemo> Editor;
    void operator()(TMacroKeywords& source, const std::string& key, std::string& text) const
    {
        if (Editor && !Editor->Destroying())
            Editor->ExpandMacro(source, key, text);
    }
};

// The key controller's handler while a control has claimed it.
struct TCommandForwarder {
    QPointer<TCustomCodeMemo> Editor;
    void operator()(TKeyboardActionContoller*, int32_t& actionCode) const
    {
        if (Editor && !Editor->Destroying())
            Editor->CommandRecognised(actionCode);
    }
};

bool claimedBy(const TMacroKeywords& list, const TCustomCodeMemo* editor)
{
    const auto* forwarder = list.OnExpand.target<TExpandForwarder>();
    return forwarder && forwarder->Editor == editor;
}

void claimLists(TSM_Settings& settings, TCustomCodeMemo* editor)
{
    // Every key-down claims; assigning only on a change keeps typing free of allocations.
    for (TMacroKeywords* list : {static_cast<TMacroKeywords*>(&settings.CodeTemplates()),
                                 static_cast<TMacroKeywords*>(&settings.AutoReplace())})
        if (!claimedBy(*list, editor))
            list->OnExpand = TExpandForwarder{editor};
}

void releaseSettings(TSM_Settings& settings, const TCustomCodeMemo* editor)
{
    for (TMacroKeywords* list : {static_cast<TMacroKeywords*>(&settings.CodeTemplates()),
                                 static_cast<TMacroKeywords*>(&settings.AutoReplace())})
        if (claimedBy(*list, editor))
            list->OnExpand = nullptr;
    TKeyboardActionContoller& controller = settings.KeyController();
    const auto* forwarder = controller.OnActionRecognised.target<TCommandForwarder>();
    if (forwarder && forwarder->Editor == editor)
        controller.OnActionRecognised = nullptr;
}

// Item data of the pop-up list besides the item text.
enum : int {
    kDescriptionRole = Qt::UserRole,
    kKeyRole,      // the key as shown
    kKeyBytesRole, // the key as the list holds it
};

// Draws an item in two columns: the description, and the key in bold.
class TTemplateItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        painter->save();
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
        QRect row = option.rect;
        painter->setFont(Font);
        painter->drawText(row.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                          index.data(kDescriptionRole).toString());
        painter->setFont(Bold);
        painter->drawText(row.adjusted(DescriptionWidth + 24, 0, 0, 0),
                          Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, index.data(kKeyRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {DescriptionWidth + KeyWidth + 48, ItemHeight};
    }

    QFont Font;
    QFont Bold;
    int DescriptionWidth = 0;
    int KeyWidth = 0;
    int ItemHeight = 16;
};

// Rows the pop-up shows before it scrolls.
constexpr int kPopupRows = 10;

} // namespace

// ---------------------------------------------------------------- the pop-up list

class TCustomCodeMemo::TemplatePopup : public QListWidget {
public:
    explicit TemplatePopup(TCustomCodeMemo& editor) : QListWidget(&editor), FEditor(editor)
    {
        setWindowFlags(Qt::Popup);
        setObjectName("TemplatePopup");
        setSelectionMode(QAbstractItemView::SingleSelection);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setUniformItemSizes(true);
        FDelegate = new TTemplateItemDelegate(this);
        setItemDelegate(FDelegate);
        connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { acceptGuarded(); });
    }

    // Shows the entries of `list` below the caret line, on the first item that holds the typed word.
    void Open(TMacroKeywords& list, const std::string& typedWord)
    {
        FList = &list;
        FTypedWord = typedWord;
        FSearch.clear();
        fill(list);
        setCurrentRow(std::max(list.PopupInitialItem(typedWord), 0));
        place();
        show();
        setFocus(Qt::PopupFocusReason);
    }

    // Expands the selected item's entry through its list's OnExpand.
    void Accept()
    {
        TMacroKeywords* list = liveList();
        QListWidgetItem* item = currentItem();
        if (!list || !item) {
            Dismiss();
            return;
        }
        const QByteArray keyBytes = item->data(kKeyBytesRole).toByteArray();
        const int index = list->IndexOf(std::string(keyBytes.constData(), static_cast<size_t>(keyBytes.size())));
        if (index < 0) {
            Dismiss();
            return;
        }
        std::string text = list->Entry(index).Text;
        // An item picked for something else than the word typed goes after it: the word stays.
        const bool replacesWord = list->PopupItemText(index).find(FTypedWord) != std::string::npos;
        Dismiss();
        if (!replacesWord) {
            TSelectionRange caret{FEditor.FCaret, FEditor.FCaret};
            FEditor.PerformSelection(SMM_SET, caret);
        }
        if (list->OnExpand)
            list->OnExpand(*list, std::string(), text);
    }

    // Closes the pop-up and gives the editor its focus back.
    void Dismiss()
    {
        hide();
        if (!FEditor.Destroying())
            FEditor.setFocus(Qt::PopupFocusReason);
    }

    // Keeps the editor's selection visible while the typed word is selected for replacement.
    void HoldSelection()
    {
        if (!FHoldingSelection)
            FSavedHideSelection = FEditor.HideSelection;
        FHoldingSelection = true;
        FEditor.HideSelection = false;
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        try {
            handleKey(event);
        } catch (...) {
            FEditor.handleEventError();
        }
    }

    void hideEvent(QHideEvent* event) override
    {
        if (FHoldingSelection)
            FEditor.HideSelection = FSavedHideSelection;
        FHoldingSelection = false;
        FList = nullptr;
        QListWidget::hideEvent(event);
    }

private:
    void handleKey(QKeyEvent* event)
    {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: Accept(); return;
        case Qt::Key_Escape: Dismiss(); return;
        default: break;
        }
        const std::vector<std::string> chars = KeyEventChars(event);
        // A held character begins with its mark, a control byte, but types a character as any other.
        const unsigned char first = chars.empty() ? 0 : static_cast<unsigned char>(chars.front().front());
        const bool typing = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
                            (first >= 32 || first == kHeldCharacterMarkByte) && first != 127;
        if (!typing) {
            QListWidget::keyPressEvent(event);
            return;
        }
        // Typed characters search the keys; none of them reaches the editor.
        event->accept();
        TMacroKeywords* list = liveList();
        if (!list)
            return;
        for (const std::string& typed : chars) {
            const int row = list->PopupSearch(FSearch, typed);
            if (row >= 0)
                setCurrentRow(row);
        }
    }

    void acceptGuarded()
    {
        try {
            Accept();
        } catch (...) {
            FEditor.handleEventError();
        }
    }

    // The list the pop-up shows, while it is still one of the editor's: a settings switch while the
    // pop-up is open may have freed it.
    TMacroKeywords* liveList() const
    {
        TSM_Settings& settings = *FEditor.FSettings;
        if (FList == &settings.CodeTemplates() || FList == &settings.AutoReplace())
            return FList;
        return nullptr;
    }

    void fill(const TMacroKeywords& list)
    {
        clear();
        QFont font = QApplication::font();
        font.setFamily("Arial");
        QFont bold = font;
        bold.setBold(true);
        const QFontMetrics plain(font);
        const QFontMetrics heavy(bold);
        int descriptionWidth = 0;
        int keyWidth = 0;
        for (int i = 0; i < list.Count(); ++i) {
            const TTemplateEntry& entry = list.Entry(i);
            const QString description = FromEditorText(entry.Description);
            const QString key = FromEditorText(entry.Key);
            descriptionWidth = std::max(descriptionWidth, plain.horizontalAdvance(description));
            keyWidth = std::max(keyWidth, heavy.horizontalAdvance(key));
            auto* item = new QListWidgetItem(FromEditorText(list.PopupItemText(i)), this);
            item->setData(kDescriptionRole, description);
            item->setData(kKeyRole, key);
            item->setData(kKeyBytesRole, QByteArray(entry.Key.data(), static_cast<qsizetype>(entry.Key.size())));
        }
        FDelegate->Font = font;
        FDelegate->Bold = bold;
        FDelegate->DescriptionWidth = descriptionWidth;
        FDelegate->KeyWidth = keyWidth;
        FDelegate->ItemHeight = heavy.boundingRect("Wy").height() + 2;
        setFont(font);
    }

    // Just below the caret line, moved so that the whole box stays inside the editor's parent (the
    // screen for an editor that is a window of its own).
    void place()
    {
        const int frame = 2 * frameWidth();
        const int rows = std::min(count(), kPopupRows);
        int width = FDelegate->DescriptionWidth + FDelegate->KeyWidth + 48 + frame;
        if (count() > kPopupRows)
            width += verticalScrollBar()->sizeHint().width();
        const int height = rows * FDelegate->ItemHeight + frame;

        TPoint caret = FEditor.PointFromOffset(FEditor.FCaret);
        if (caret.Y < 0)
            caret = {0, 0};
        caret.X = std::clamp(caret.X, 0, std::max(0, FEditor.FView.ClientWidth));
        const QPoint below = FEditor.clientRect().topLeft() + QPoint(caret.X, caret.Y + FEditor.FView.LineHeight);
        QPoint at = FEditor.mapToGlobal(below);

        QRect bounds;
        if (QWidget* parent = FEditor.parentWidget())
            bounds = QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size());
        else if (QScreen* screen = FEditor.screen())
            bounds = screen->availableGeometry();
        if (bounds.isValid()) {
            at.setX(std::max(std::min(at.x(), bounds.right() + 1 - width), bounds.left()));
            at.setY(std::max(std::min(at.y(), bounds.bottom() + 1 - height), bounds.top()));
        }
        setGeometry(QRect(at, QSize(width, height)));
    }

    TCustomCodeMemo& FEditor;
    TTemplateItemDelegate* FDelegate = nullptr;
    TMacroKeywords* FList = nullptr;
    std::string FTypedWord;
    std::string FSearch;
    bool FHoldingSelection = false;
    bool FSavedHideSelection = true;
};

// ---------------------------------------------------------------- keys

bool TCustomCodeMemo::offerKeyToList(TMacroKeywords& list, uint16_t key, TShiftState shift)
{
    // Most keys are neither the hot key nor a trigger: they cost one comparison.
    if (!list.IsHotKey(key, shift))
        return false;
    TEdStream stream(this);
    int recordStart = 0;
    if (TLineRecord* record = recordHolding(FCaret, recordStart))
        stream.Reset(record, FCaret - recordStart, recordStart);
    TDeferredCursor cursor(stream);
    auto inWord = [this](char c) { return CharIsInWord(c); };
    auto startsWord = [this](char c) { return CharStartsWord(c); };
    const TMacroKeyOutcome outcome = list.HandleKey(key, shift, cursor, FCaret, inWord, startsWord);
    if (!outcome.ShowPopup)
        return outcome.Consumed;

    if (!FTemplatePopup)
        FTemplatePopup = new TemplatePopup(*this);
    if (!outcome.TypedWord.empty()) {
        FTemplatePopup->HoldSelection();
        TSelectionRange word{FCaret - static_cast<int>(outcome.TypedWord.size()), FCaret};
        PerformSelection(SMM_SET, word);
    }
    FTemplatePopup->Open(list, outcome.TypedWord);
    // The pop-up has the key: its character must not be typed (Ctrl+J gives a line feed).
    return true;
}

bool TCustomCodeMemo::TemplateKey(uint16_t key, TShiftState shift)
{
    if (FReadOnly)
        return false;
    claimLists(*FSettings, this);
    return offerKeyToList(FSettings->CodeTemplates(), key, shift);
}

void TCustomCodeMemo::AutoReplaceKey(uint16_t key, TShiftState shift)
{
    if (FReadOnly)
        return;
    claimLists(*FSettings, this);
    offerKeyToList(FSettings->AutoReplace(), key, shift);
}

// ---------------------------------------------------------------- expansion

void TCustomCodeMemo::ExpandMacro(TMacroKeywords& source, const std::string& key, std::string& text)
{
    if (FReadOnly)
        return;
    const TTextRange selection = OrderedSelection();
    if (&source == &FSettings->CodeTemplates() && OnTemplateEvent)
        OnTemplateEvent(this, key, text);
    if (&source == &FSettings->AutoReplace()) {
        // A key longer than the text before the selection's end cannot stand there; its checks
        // then look from the text start.
        const int keyStart = std::max(0, selection.End - static_cast<int>(key.size()));
        TEdStream cursor(this);
        int recordStart = 0;
        if (TLineRecord* record = recordHolding(keyStart, recordStart))
            cursor.Reset(record, keyStart - recordStart, recordStart);
        auto inWord = [this](char c) { return CharIsInWord(c); };
        auto startsWord = [this](char c) { return CharStartsWord(c); };
        bool canReplace = TAutoReplace::CanReplace(cursor, keyStart, key, text, inWord, startsWord);
        text = TAutoReplace::InCaseOf(key, text);
        cursor.SetPos(keyStart);
        if (OnAutoReplace)
            OnAutoReplace(this, cursor, key, text, canReplace);
        if (!canReplace)
            return;
    }

    // The true column, also at the very end of the text, so that every line lines up with the first.
    const TMacroInsertion insertion = source.PrepareExpansion(selection.Start, selection.End, key, text,
                                                              [this](int offset) { return displayColumnOf(offset); });
    inUndoGroup(ugTemplate, [&] {
        TSelectionRange replaced{insertion.Start, insertion.End};
        PerformSelection(SMM_SET | SMM_NOREDRAW, replaced);
        PerformText(SMM_INSERTTEXT, 0, insertion.Text.c_str());
        if (insertion.CaretOffset >= 0) {
            TSelectionRange caret{insertion.Start + insertion.CaretOffset, insertion.Start + insertion.CaretOffset};
            PerformSelection(SMM_SET, caret);
        }
    });
}

// ---------------------------------------------------------------- shared settings objects

void TCustomCodeMemo::ClaimSettingsObjects()
{
    if (FDestroying)
        return;
    FSettings->KeyController().OnActionRecognised = TCommandForwarder{this};
    claimLists(*FSettings, this);
}

void TCustomCodeMemo::ReleaseSettingsObjects()
{
    // The pop-up is this control's child and goes with it; closed, it holds no list.
    if (FTemplatePopup)
        FTemplatePopup->hide();
    releaseSettings(*FSettings, this);
    releaseSettings(*FOwnSettings, this);
    for (TCustomCodeMemoParser* parser : FParsers)
        if (parser)
            releaseSettings(parser->Settings(), this);
    if (FParked && FParkedParser)
        releaseSettings(FParkedParser->Settings(), this);
}
