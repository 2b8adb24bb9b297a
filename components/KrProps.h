// KrProps: TPropsStorage, which turns chosen properties of a form's components into named texts through a store's callbacks and back, and TPropInfoList.
#pragma once

#include <QMetaProperty>
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/StringListMeta.h"
#include "platform/core/Classes.h"

class QWidget;

// What a storage handles now: a QObject, or a value type with a meta-object (a Q_GADGET) held in memory
// that the storage's caller owns.
struct TPropObject {
    TPropObject() = default;
    TPropObject(QObject* object) : Object(object), Meta(object ? object->metaObject() : nullptr) {}
    TPropObject(const QMetaObject* meta, void* gadget) : Meta(meta), Gadget(gadget) {}

    QObject* Object = nullptr;
    const QMetaObject* Meta = nullptr;
    void* Gadget = nullptr;

    bool IsNull() const { return !Meta || (!Object && !Gadget); }
    QVariant Read(const QMetaProperty& property) const;
    bool Write(const QMetaProperty& property, const QVariant& value) const;
};

// The stored properties of one meta-object: all readable properties of a type the storage knows.
class TPropInfoList {
public:
    explicit TPropInfoList(const QMetaObject* meta);
    int Count() const { return static_cast<int>(FList.size()); }
    const QMetaProperty& Items(int index) const { return FList.at(static_cast<size_t>(index)); }
    // The property of that name, compared without case, the most derived class's first; nullptr when
    // there is none.
    const QMetaProperty* Find(const std::string& name) const;

private:
    std::vector<QMetaProperty> FList;
};

// How a property's value is stored.
enum TStoredKind {
    skNone,       // not stored
    skInteger,    // decimal
    skChar,       // the one character
    skEnumeration, // the value's name (bool: "False"/"True")
    skFloat,      // general format, "." as separator
    skString,     // the text
    skSet,        // "[a,c]"
    skVariant,    // the variant as text
    skStringList, // "Count" and "Item%d" in a sub-section
    skReference,  // a component by name, "Owner.Name" beyond the storage's owner
    skObject,     // a value type's own properties under prefix + property name
};
TStoredKind StoredKindOf(const QMetaProperty& property);

// Turns the properties named by a stored list into texts of a section and back. The store is reached
// only through ReadString, WriteString and EraseSection, which call the callbacks; a storage of
// another kind overrides them and CreateStorage.
class TPropsStorage {
public:
    using TReadStringEvent =
        std::function<std::string(const std::string& section, const std::string& item, const std::string& defaultValue)>;
    using TWriteStringEvent =
        std::function<void(const std::string& section, const std::string& item, const std::string& value)>;
    using TEraseSectionEvent = std::function<void(const std::string& section)>;

    virtual ~TPropsStorage() = default;

    virtual std::string ReadString(const std::string& section, const std::string& item, const std::string& defaultValue);
    virtual void WriteString(const std::string& section, const std::string& item, const std::string& value);
    virtual void EraseSection(const std::string& section);
    // A file name's text (the file system's bytes), through OnReadPath and OnWritePath; a storage
    // without them keeps it as any other text.
    virtual std::string ReadPath(const std::string& section, const std::string& item, const std::string& defaultValue);
    virtual void WritePath(const std::string& section, const std::string& item, const std::string& value);
    // prefix + property name.
    virtual std::string GetItemName(const std::string& propName);
    virtual std::unique_ptr<TPropsStorage> CreateStorage();

    // Every line of the stored list ("component.property", the component in the line's object slot),
    // under "component_property" in Section. Loading ignores the failure of any one property; storing
    // passes failures on.
    void LoadObjectsProps(QObject* owner, TStringList& storedList);
    void StoreObjectsProps(QObject* owner, TStringList& storedList);
    // One property of the current object.
    void LoadProperty(const QMetaProperty& property);
    void StoreProperty(const QMetaProperty& property);
    // All properties of a sub-object, under prefix + property name, through a storage of CreateStorage.
    void StoreObjectProperties(const TPropObject& object, const std::string& prefix, const std::string& section);
    void LoadObjectProperties(const TPropObject& object, const std::string& prefix, const std::string& section);

    // Keeps the lines and their object slots consistent, from the last line to the first: a line
    // without "component.property" goes. From the form, each line's component is looked up by name
    // among the owner's components and put in its slot, and a line whose component is missing goes.
    // Otherwise a line whose slot is empty, or holds no longer one of the owner's components, goes,
    // and the others are rebuilt from the component's present name.
    static void UpdateStoredList(QObject* owner, TStringList& list, bool fromForm);

    TPropObject FObject;
    QObject* FOwner = nullptr;
    std::string FPrefix;
    std::string FSection;
    TReadStringEvent OnReadString;
    TWriteStringEvent OnWriteString;
    TEraseSectionEvent OnEraseSection;
    TReadStringEvent OnReadPath;
    TWriteStringEvent OnWritePath;
    // Lines of the stored list ("component.property", compared without case) whose property holds file
    // names: the store keeps them as the file system's bytes (ReadPath, WritePath), a component's text
    // property as the characters it shows with the bytes kept beside them (SetPathProperty,
    // PathPropertyOf), a string list's lines as the bytes they are.
    TStringList FPathProps;

private:
    // Whether the property being stored or loaded holds file names.
    bool FHoldsPath = false;
    std::string readText(const std::string& section, const std::string& item, const std::string& defaultValue);
    void writeText(const std::string& section, const std::string& item, const std::string& value);
    // A property's text as stored and back: a file name as the file system's bytes, any other text
    // in Windows-1252.
    std::string textOf(const QString& value) const;
    QString stringOf(const std::string& text) const;
    // A stored text as it is kept: trimmed, but for a file name.
    std::string keptText(const std::string& text) const;
    // A storage of CreateStorage set on the object, without callbacks.
    std::unique_ptr<TPropsStorage> subStorage(const TPropObject& object, const std::string& prefix,
                                              const std::string& section);
    void processObjectsProps(QObject* owner, TStringList& storedList, bool load);
    void storeProperties(const TPropInfoList& list);
    void loadProperties(const TPropInfoList& list);
    // The value as stored text; "" for a kind stored otherwise.
    std::string valueText(const QMetaProperty& property, TStoredKind kind) const;
    void applyText(const QMetaProperty& property, TStoredKind kind, const std::string& text);
    void storeStringList(const QMetaProperty& property);
    void loadStringList(const QMetaProperty& property);
    std::string referenceText(QObject* component) const;
    void loadReference(const QMetaProperty& property, const std::string& text);
    void storeSubObject(const QMetaProperty& property);
    void loadSubObject(const QMetaProperty& property);
};

// The component of that name (compared without case) among the owner's children at any depth;
// nullptr when none.
QObject* FindOwnedComponent(QObject* owner, const std::string& name);
// The form that owns a component: its nearest window ancestor, else its topmost parent; nullptr for
// an object without a parent.
QObject* ComponentOwner(QObject* component);
// The top-level widget whose object name equals the name without case; nullptr when none.
QWidget* FindFormOrModule(const std::string& name);
