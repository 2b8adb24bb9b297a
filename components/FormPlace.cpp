// FormPlace: the placement chained into its form through a window hook, and the stored properties.
#include "components/FormPlace.h"

#include <QWidget>
#include <algorithm>

#include "components/KrHook.h"
#include "components/KrProps.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/IniFile.h"
#include "platform/core/Registry.h"
#include "platform/core/ScopeGuard.h"

// ---------------------------------------------------------------- TWinMinMaxInfo

void TWinMinMaxInfo::setValue(int32_t& field, int value)
{
    if (field == value)
        return;
    field = value;
    if (FOwner)
        FOwner->MinMaxInfoModified();
}

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo& source)
{
    FInfo = source.FInfo;
    if (FOwner)
        FOwner->MinMaxInfoModified();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const
{
    return MaxPosLeft() == 0 && MaxPosTop() == 0 && MaxSizeHeight() == 0 && MaxSizeWidth() == 0 &&
           MaxTrackHeight() == 0 && MaxTrackWidth() == 0 && MinTrackHeight() == 0 && MinTrackWidth() == 0;
}

// ---------------------------------------------------------------- TIniLink

TIniLink::~TIniLink()
{
    OnSave = nullptr;
    OnLoad = nullptr;
    SetStorage(nullptr);
}

void TIniLink::SetStorage(TFormPlacement* value)
{
    if (FStorage == value)
        return;
    if (FStorage)
        FStorage->removeLink(this);
    if (value)
        value->addLink(this);
}

TIniObject TIniLink::IniObject() const { return FStorage ? FStorage->IniFileObject() : TIniObject(); }

std::string TIniLink::RootSection() const
{
    if (!FStorage || FStorage->IniSection().empty())
        return "";
    return FStorage->IniSection() + "\\";
}

void TIniLink::SaveToIni()
{
    if (OnSave)
        OnSave(nullptr);
}

void TIniLink::LoadFromIni()
{
    if (OnLoad)
        OnLoad(nullptr);
}

// ---------------------------------------------------------------- TFormPlacement

// Opens the placement's store for one save or restore and frees it after; an INI file is written back.
class TFormPlacement::TOpenStore {
public:
    explicit TOpenStore(TFormPlacement& placement) : FPlacement(placement)
    {
        if (placement.FUseRegistry)
            placement.FRegIniFile = std::make_unique<TRegIniFile>(placement.IniFileNameOrDefault());
        else
            placement.FIniFile = std::make_unique<TIniFile>(placement.IniFileNameOrDefault());
    }
    ~TOpenStore()
    {
        FPlacement.FIniFile.reset();
        FPlacement.FRegIniFile.reset();
    }
    TOpenStore(const TOpenStore&) = delete;
    TOpenStore& operator=(const TOpenStore&) = delete;
    // Written changes go to the file; the registry writes its own when the object goes.
    void Commit()
    {
        if (FPlacement.FIniFile)
            FPlacement.FIniFile->UpdateFile();
        FPlacement.FRegIniFile.reset();
    }

private:
    TFormPlacement& FPlacement;
};

TFormPlacement::TFormPlacement(QWidget* owner) : QObject(owner), FMinMaxInfo(this), FForm(owner)
{
    if (!owner || !owner->isWindow())
        FOptions = 0;
    FWinHook = new TKrWindowHook(this);
    FWinHook->SetActive(false);
    FWinHook->AfterMessage = [this](TKrWindowHook*, TMessage& msg, bool&) { hookMessage(msg); };
    // The form's end, while its parts are still there: a native window of the form also ends at each
    // close and when its flags change, so the hook's WM_DESTROY is no sign of it here.
    if (owner)
        connect(owner, &QObject::destroyed, this, [this] {
            formDestroy();
            FFormGone = true;
        });
}

TFormPlacement::~TFormPlacement()
{
    // Taken away from a form that stays, the placement still leaves itself behind.
    if (!FFormGone)
        formDestroy();
    for (TIniLink* link : std::vector<TIniLink*>(FLinks))
        link->SetStorage(nullptr);
    FWinHook->AfterMessage = nullptr;
}

std::string TFormPlacement::IniFileNameOrDefault() const
{
    if (!FIniFileName.empty())
        return FIniFileName;
    return FUseRegistry ? GetDefaultIniRegKey() : GetDefaultIniName();
}

std::string TFormPlacement::IniSectionOrDefault() const
{
    if (!FIniSection.empty())
        return FIniSection;
    return FDefaultSection.empty() ? GetDefaultSection(parent()) : FDefaultSection;
}

void TFormPlacement::Loaded()
{
    FLoaded = true;
    if (!FForm)
        return;
    FDefaultSection = GetDefaultSection(FForm);
    FDefMaximize = FForm->windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
    if (FPreventResize)
        UpdatePreventResize();
    setHook();
}

void TFormPlacement::setHook()
{
    if (!FForm || !FLoaded)
        return;
    // The hook also carries the show, close and end that save and restore, so it stays on.
    FWinHook->SetWinControl(FForm);
    FWinHook->SetActive(true);
}

void TFormPlacement::hookMessage(TMessage& msg)
{
    switch (msg.Msg) {
    case WM_SHOWWINDOW:
        if (msg.WParam && !FShown) {
            FShown = true;
            formShow();
        }
        break;
    case WM_CLOSE:
        if (msg.Result)
            formClosed();
        break;
    case WM_GETMINMAXINFO: getMinMaxInfo(msg); break;
    default: break;
    }
}

void TFormPlacement::formShow()
{
    if (!FActive)
        return;
    try {
        Restore();
    } catch (...) {
        ShowException(FForm);
    }
}

void TFormPlacement::formClosed()
{
    if (!FActive || !FForm)
        return;
    try {
        Save();
    } catch (...) {
        ShowException(FForm);
    }
}

void TFormPlacement::formDestroy()
{
    if (!FActive || FSaved || !FForm || !FLoaded)
        return;
    FDestroying = true;
    TScopeGuard destroying([this] { FDestroying = false; });
    try {
        Save();
    } catch (...) {
        ShowException(nullptr);
    }
}

void TFormPlacement::getMinMaxInfo(TMessage& msg)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(msg.LParam);
    if (!info || !FForm)
        return;
    if (FPreventResize) {
        if (FForm->isVisible()) {
            info->ptMinTrackSize = {FForm->width(), FForm->height()};
            info->ptMaxTrackSize = {FForm->width(), FForm->height()};
        }
        msg.Result = 1;
        return;
    }
    const MINMAXINFO& limits = FMinMaxInfo.Info();
    if (FMinMaxInfo.DefaultMinMaxInfo()) {
        info->ptMaxPosition = {0, 0};
    } else {
        auto take = [](int32_t& field, int32_t value) {
            if (value != 0)
                field = value;
        };
        take(info->ptMinTrackSize.X, limits.ptMinTrackSize.X);
        take(info->ptMinTrackSize.Y, limits.ptMinTrackSize.Y);
        take(info->ptMaxTrackSize.X, limits.ptMaxTrackSize.X);
        take(info->ptMaxTrackSize.Y, limits.ptMaxTrackSize.Y);
        take(info->ptMaxSize.X, limits.ptMaxSize.X);
        take(info->ptMaxSize.Y, limits.ptMaxSize.Y);
        take(info->ptMaxPosition.X, limits.ptMaxPosition.X);
        take(info->ptMaxPosition.Y, limits.ptMaxPosition.Y);
    }
    msg.Result = 1;
}

void TFormPlacement::Save()
{
    if (!FRestored && FActive)
        return;
    TOpenStore store(*this);
    SavePlacement();
    store.Commit();
    if (OnSavePlacement)
        OnSavePlacement(this);
    FSaved = true;
}

void TFormPlacement::Restore()
{
    FSaved = false;
    {
        TOpenStore store(*this);
        RestorePlacement();
        FRestored = true;
        if (OnRestorePlacement)
            OnRestorePlacement(this);
        if ((FOptions & fpActiveControl) && FForm) {
            const std::string name = IniReadString(IniFileObject(), IniSectionOrDefault(), "ActiveControl", "");
            if (auto* control = qobject_cast<QWidget*>(FindOwnedComponent(FForm, name)))
                if (!name.empty() && control->isEnabled() && control->focusPolicy() != Qt::NoFocus)
                    control->setFocus();
        }
    }
    UpdatePlacement();
}

void TFormPlacement::SavePlacement()
{
    if (FForm) {
        const TIniObject ini = IniFileObject();
        const std::string section = IniSectionOrDefault();
        WriteFormPlacement(FForm, ini, section);
        if (FOptions & fpActiveControl)
            if (QWidget* focused = FForm->focusWidget(); focused && focused != FForm)
                IniWriteString(ini, section, "ActiveControl", ToEditorText(focused->objectName()));
        IniWriteInteger(ini, section, "Visible", FDestroying ? 1 : 0);
    }
    for (TIniLink* link : std::vector<TIniLink*>(FLinks))
        link->SaveToIni();
}

void TFormPlacement::RestorePlacement()
{
    if (FForm)
        ReadFormPlacement(FForm, IniFileObject(), IniSectionOrDefault(), FOptions & fpState, FOptions & fpPosition);
    for (TIniLink* link : std::vector<TIniLink*>(FLinks))
        link->LoadFromIni();
}

std::string TFormPlacement::ReadString(const std::string& section, const std::string& ident,
                                       const std::string& defaultValue)
{
    if (!IniFileObject().IsNull())
        return IniReadString(IniFileObject(), section, ident, defaultValue);
    TOpenStore store(*this);
    return IniReadString(IniFileObject(), section, ident, defaultValue);
}

void TFormPlacement::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    if (!IniFileObject().IsNull()) {
        IniWriteString(IniFileObject(), section, ident, value);
        return;
    }
    TOpenStore store(*this);
    IniWriteString(IniFileObject(), section, ident, value);
    store.Commit();
}

std::string TFormPlacement::ReadPath(const std::string& section, const std::string& ident,
                                     const std::string& defaultValue)
{
    if (!IniFileObject().IsNull())
        return IniReadPath(IniFileObject(), section, ident, defaultValue);
    TOpenStore store(*this);
    return IniReadPath(IniFileObject(), section, ident, defaultValue);
}

void TFormPlacement::WritePath(const std::string& section, const std::string& ident, const std::string& path)
{
    if (!IniFileObject().IsNull()) {
        IniWritePath(IniFileObject(), section, ident, path);
        return;
    }
    TOpenStore store(*this);
    IniWritePath(IniFileObject(), section, ident, path);
    store.Commit();
}

TIniObject TFormPlacement::IniFileObject() const
{
    if (FRegIniFile)
        return TIniObject(FRegIniFile.get());
    if (FIniFile)
        return TIniObject(FIniFile.get());
    return {};
}

void TFormPlacement::UpdatePlacement()
{
    if (!FForm || !FLoaded || FPreventResize || !FMinMaxInfo.DefaultMinMaxInfo())
        return;
    // Where a maximised window puts its frame: just off the screen's edges.
    const QRect frame = FForm->frameGeometry();
    const QRect client = FForm->geometry();
    const int borderX = std::max(0, client.left() - frame.left());
    const int borderY = std::max(0, frame.bottom() - client.bottom());
    FForm->setProperty("kestrimaMaxPosition", QPoint(-borderX, -borderY));
}

void TFormPlacement::SetPreventResize(bool value)
{
    if (FPreventResize == value)
        return;
    FPreventResize = value;
    UpdatePreventResize();
}

void TFormPlacement::UpdatePreventResize()
{
    if (!FForm || !FLoaded)
        return;
    if (FPreventResize)
        FDefMaximize = FForm->windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
    const bool wasActive = FActive;
    FActive = false;
    TScopeGuard active([this, wasActive] { FActive = wasActive; });
    const bool visible = FForm->isVisible();
    const bool dialog = (FForm->windowFlags() & Qt::WindowType_Mask) == Qt::Dialog;
    FForm->setWindowFlag(Qt::WindowMaximizeButtonHint, !FPreventResize && FDefMaximize && !dialog);
    if (visible && !FForm->isVisible())
        FForm->show(); // changing the flags hides a window
    if (FPreventResize)
        FForm->setFixedSize(FForm->size());
    else
        FForm->setMinimumSize(0, 0), FForm->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setHook();
}

void TFormPlacement::MinMaxInfoModified()
{
    UpdatePlacement();
    if (FForm && FLoaded && FForm->isVisible()) {
        // Asks the form for its limits again.
        const QSize size = FForm->size();
        FForm->resize(size + QSize(1, 0));
        FForm->resize(size);
    }
}

void TFormPlacement::addLink(TIniLink* link)
{
    FLinks.push_back(link);
    link->FStorage = this;
}

void TFormPlacement::removeLink(TIniLink* link)
{
    std::erase(FLinks, link);
    link->FStorage = nullptr;
}

// ---------------------------------------------------------------- TFormStorage

TFormStorage::TFormStorage(QWidget* owner) : TFormPlacement(owner) {}

void TFormStorage::takeStoredList(const TStringList& value)
{
    FStoredProps = value;
    if (!Form())
        return;
    TPropsStorage::UpdateStoredList(Form(), FStoredProps, true);
    // A line of no component ("component.property") is dropped when it is taken, never matched.
    for (int i = 0; i < value.Count(); ++i)
        if (FStoredProps.IndexOf(value[i]) < 0 && FWaitingProps.IndexOf(value[i]) < 0)
            FWaitingProps.Add(value[i]);
}

void TFormStorage::SetStoredProps(const TStringList& value)
{
    FWaitingProps.Clear();
    takeStoredList(value);
}

void TFormStorage::LookUpComponents()
{
    TStringList all(FStoredProps);
    all.AddStrings(FWaitingProps);
    SetStoredProps(all);
}

void TFormStorage::Loaded()
{
    takeStoredList(TStringList(FStoredProps));
    TFormPlacement::Loaded();
}

namespace {

// A property storage writing through the placement and erasing through its open store.
void bindStorage(TPropsStorage& storage, TFormPlacement& placement, const TStringList& pathProps)
{
    storage.FSection = placement.IniSectionOrDefault();
    storage.FPathProps = pathProps;
    storage.OnReadPath = [&placement](const std::string& section, const std::string& item,
                                      const std::string& defaultValue) {
        return placement.ReadPath(section, item, defaultValue);
    };
    storage.OnWritePath = [&placement](const std::string& section, const std::string& item,
                                       const std::string& value) { placement.WritePath(section, item, value); };
    storage.OnReadString = [&placement](const std::string& section, const std::string& item,
                                        const std::string& defaultValue) {
        return placement.ReadString(section, item, defaultValue);
    };
    storage.OnWriteString = [&placement](const std::string& section, const std::string& item,
                                         const std::string& value) { placement.WriteString(section, item, value); };
    storage.OnEraseSection = [&placement](const std::string& section) {
        IniEraseSection(placement.IniFileObject(), section);
    };
}

} // namespace

void TFormStorage::ComponentsMade()
{
    if (FWaitingProps.Count() == 0 || !Form())
        return;
    TStringList made(FWaitingProps);
    TPropsStorage::UpdateStoredList(Form(), made, true);
    if (made.Count() == 0)
        return;
    for (int i = 0; i < made.Count(); ++i) {
        FWaitingProps.Delete(FWaitingProps.IndexOf(made[i]));
        FStoredProps.Add(made[i], made.Objects(i));
    }
    if (Restored())
        loadStoredValues(made);
}

void TFormStorage::loadStoredValues(TStringList& lines)
{
    try {
        TPropsStorage storage;
        bindStorage(storage, *this, FPathProps);
        storage.LoadObjectsProps(Form(), lines);
    } catch (...) {
        // A stored value that no longer fits is left as it is.
    }
}

void TFormStorage::SavePlacement()
{
    TFormPlacement::SavePlacement();
    if (!Form())
        return;
    TPropsStorage storage;
    bindStorage(storage, *this, FPathProps);
    storage.StoreObjectsProps(Form(), FStoredProps);
}

void TFormStorage::RestorePlacement()
{
    TFormPlacement::RestorePlacement();
    if (Form())
        loadStoredValues(FStoredProps);
}
