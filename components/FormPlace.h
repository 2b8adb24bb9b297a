// FormPlace: TFormPlacement, which keeps a form's window placement in the registry or an INI file
// (restored at the first show, saved when the form closes or goes), TFormStorage, which keeps chosen
// properties of the form's components in the same section, TWinMinMaxInfo and TIniLink.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/AppUtils.h"
#include "platform/FileNameQt.h"
#include "platform/core/Classes.h"
#include "platform/core/Messages.h"

class QWidget;
class TIniFile;
class TRegIniFile;
class TKrWindowHook;
class TFormPlacement;

using TPlacementEvent = std::function<void(QObject* sender)>;

enum TPlacementOption { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
using TPlacementOptions = int;

// The size limits of a form; 0 in a field means "not set".
class TWinMinMaxInfo {
public:
    explicit TWinMinMaxInfo(TFormPlacement* owner = nullptr) : FOwner(owner) {}

    int MaxPosLeft() const { return FInfo.ptMaxPosition.X; }
    int MaxPosTop() const { return FInfo.ptMaxPosition.Y; }
    int MaxSizeHeight() const { return FInfo.ptMaxSize.Y; }
    int MaxSizeWidth() const { return FInfo.ptMaxSize.X; }
    int MaxTrackHeight() const { return FInfo.ptMaxTrackSize.Y; }
    int MaxTrackWidth() const { return FInfo.ptMaxTrackSize.X; }
    int MinTrackHeight() const { return FInfo.ptMinTrackSize.Y; }
    int MinTrackWidth() const { return FInfo.ptMinTrackSize.X; }
    void SetMaxPosLeft(int value) { setValue(FInfo.ptMaxPosition.X, value); }
    void SetMaxPosTop(int value) { setValue(FInfo.ptMaxPosition.Y, value); }
    void SetMaxSizeHeight(int value) { setValue(FInfo.ptMaxSize.Y, value); }
    void SetMaxSizeWidth(int value) { setValue(FInfo.ptMaxSize.X, value); }
    void SetMaxTrackHeight(int value) { setValue(FInfo.ptMaxTrackSize.Y, value); }
    void SetMaxTrackWidth(int value) { setValue(FInfo.ptMaxTrackSize.X, value); }
    void SetMinTrackHeight(int value) { setValue(FInfo.ptMinTrackSize.Y, value); }
    void SetMinTrackWidth(int value) { setValue(FInfo.ptMinTrackSize.X, value); }

    // Copies every value and tells the owner.
    void Assign(const TWinMinMaxInfo& source);
    bool DefaultMinMaxInfo() const;
    const MINMAXINFO& Info() const { return FInfo; }

private:
    void setValue(int32_t& field, int value);
    TFormPlacement* FOwner;
    MINMAXINFO FInfo;
};

// Another component's values in a placement's store, saved and loaded with the placement.
class TIniLink {
public:
    TIniLink() = default;
    virtual ~TIniLink();
    TIniLink(const TIniLink&) = delete;
    TIniLink& operator=(const TIniLink&) = delete;

    TFormPlacement* Storage() const { return FStorage; }
    void SetStorage(TFormPlacement* value);
    // The placement's open store; empty when not linked or nothing is open.
    TIniObject IniObject() const;
    // The placement's IniSection as set, followed by "\" when not empty; "" when not linked.
    std::string RootSection() const;

    TPlacementEvent OnSave;
    TPlacementEvent OnLoad;

protected:
    friend class TFormPlacement;
    virtual void SaveToIni();
    virtual void LoadFromIni();

private:
    TFormPlacement* FStorage = nullptr;
};

class TFormPlacement : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(QString IniFileName READ IniFileNameText WRITE SetIniFileNameText)
    Q_PROPERTY(QString IniSection READ IniSectionText WRITE SetIniSectionText)
    Q_PROPERTY(bool PreventResize READ PreventResize WRITE SetPreventResize)
    Q_PROPERTY(bool UseRegistry READ UseRegistry WRITE SetUseRegistry)
    Q_PROPERTY(int Options READ Options WRITE SetOptions)
    Q_PROPERTY(int Version READ Version WRITE SetVersion)

public:
    // The owner is the form whose placement is kept (its parent).
    explicit TFormPlacement(QWidget* owner);
    ~TFormPlacement() override;

    bool Active() const { return FActive; }
    void SetActive(bool value) { FActive = value; }
    // As set; IniFileNameOrDefault and IniSectionOrDefault give what is used.
    const std::string& IniFileName() const { return FIniFileName; }
    void SetIniFileName(const std::string& value) { FIniFileName = value; }
    std::string IniFileNameOrDefault() const;
    const std::string& IniSection() const { return FIniSection; }
    void SetIniSection(const std::string& value) { FIniSection = value; }
    std::string IniSectionOrDefault() const;
    QString IniFileNameText() const { return FromFilePath(FIniFileName); }
    void SetIniFileNameText(const QString& value) { FIniFileName = KeptFilePath(value, FIniFileName); }
    QString IniSectionText() const { return QString::fromStdString(FIniSection); }
    void SetIniSectionText(const QString& value) { FIniSection = value.toStdString(); }
    TWinMinMaxInfo& MinMaxInfo() { return FMinMaxInfo; }
    void SetMinMaxInfo(const TWinMinMaxInfo& value) { FMinMaxInfo.Assign(value); }
    TPlacementOptions Options() const { return FOptions; }
    void SetOptions(TPlacementOptions value) { FOptions = value; }
    bool PreventResize() const { return FPreventResize; }
    void SetPreventResize(bool value);
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool value) { FUseRegistry = value; }
    int Version() const { return FVersion; }
    void SetVersion(int value) { FVersion = value; }

    TPlacementEvent OnSavePlacement;
    TPlacementEvent OnRestorePlacement;

    // End of setting up: chains the placement into the form's show, close and end.
    virtual void Loaded();
    void Save();
    void Restore();
    virtual void SavePlacement();
    virtual void RestorePlacement();
    // Open the store around the call when none is open.
    std::string ReadString(const std::string& section, const std::string& ident, const std::string& defaultValue);
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    // The same for a file name (IniReadPath, IniWritePath).
    std::string ReadPath(const std::string& section, const std::string& ident, const std::string& defaultValue);
    void WritePath(const std::string& section, const std::string& ident, const std::string& path);
    // The open store; empty outside a save or restore.
    TIniObject IniFileObject() const;

    void UpdatePlacement();
    void UpdatePreventResize();
    // The minimum and maximum sizes changed.
    void MinMaxInfoModified();

    QWidget* Form() const { return FForm; }
    bool Saved() const { return FSaved; }
    bool Restored() const { return FRestored; }

protected:
    bool FDestroying = false;

private:
    friend class TIniLink;
    // The store, open for one save or restore.
    class TOpenStore;
    void addLink(TIniLink* link);
    void removeLink(TIniLink* link);
    void setHook();
    void hookMessage(TMessage& msg);
    void formShow();
    void formClosed();
    void formDestroy();
    void getMinMaxInfo(TMessage& msg);

    bool FActive = true;
    std::string FIniFileName;
    std::string FIniSection;
    TWinMinMaxInfo FMinMaxInfo;
    TPlacementOptions FOptions = fpState | fpPosition;
    bool FPreventResize = false;
    bool FUseRegistry = false;
    int FVersion = 0;

    QPointer<QWidget> FForm;
    std::string FDefaultSection; // known while the form is whole
    std::unique_ptr<TIniFile> FIniFile;
    std::unique_ptr<TRegIniFile> FRegIniFile;
    std::vector<TIniLink*> FLinks;
    TKrWindowHook* FWinHook = nullptr;
    bool FDefMaximize = false;
    bool FLoaded = false;
    bool FSaved = false;
    bool FRestored = false;
    bool FShown = false;
    bool FFormGone = false;
};

// A placement that also keeps the properties named by StoredProps ("component.property" lines).
class TFormStorage : public TFormPlacement {
    Q_OBJECT

public:
    explicit TFormStorage(QWidget* owner);

    TStringList& StoredProps() { return FStoredProps; }
    void SetStoredProps(const TStringList& value);
    // The stored lines whose properties hold file names (TPropsStorage::FPathProps).
    void SetPathProps(const TStringList& value) { FPathProps = value; }
    // Looks every line's component up again by name, the waiting lines' too.
    void LookUpComponents();

    // Keeps the lines whose components are on the form, each with its component. A line whose
    // component is not made yet waits: ComponentsMade takes it once the component is there.
    void Loaded() override;
    // Takes the waiting lines whose components are on the form now and, once the placement has been
    // restored, gives those components their stored values. A line still waiting at a save leaves its
    // stored value as it was.
    void ComponentsMade();
    void SavePlacement() override;
    void RestorePlacement() override;

private:
    // Sets the stored list from `value`, the lines whose components are missing put aside.
    void takeStoredList(const TStringList& value);
    // Gives the components of `lines` their stored values; a value that no longer fits is left out.
    void loadStoredValues(TStringList& lines);
    TStringList FStoredProps;
    TStringList FWaitingProps;
    TStringList FPathProps;
};
