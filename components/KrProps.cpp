// Property storage over Qt's property system: stored texts by property kind, stored lists, sub-objects and component references.
#include "components/KrProps.h"

#include <QApplication>
#include <QHash>
#include <QSet>
#include <QMetaEnum>
#include <QStringList>
#include <QWidget>
#include <bit>
#include <cstring>
#include <map>

#include "components/core/PropText.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return CompareText(a, b) < 0; }
};

bool isIntegerType(int id)
{
    switch (id) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::LongLong: case QMetaType::ULongLong: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::SChar: case QMetaType::UChar: case QMetaType::Char:
        return true;
    default:
        return false;
    }
}

// A flag type's member for one bit: the key whose value is exactly that bit.
std::string flagName(const QMetaEnum& meta, int bit)
{
    for (int k = 0; k < meta.keyCount(); ++k)
        if (static_cast<uint32_t>(meta.value(k)) == (uint32_t{1} << bit))
            return meta.key(k);
    return {};
}

int flagBit(const QMetaEnum& meta, std::string_view name)
{
    for (int k = 0; k < meta.keyCount(); ++k) {
        const uint32_t value = static_cast<uint32_t>(meta.value(k));
        if (value != 0 && (value & (value - 1)) == 0 && SameText(meta.key(k), name))
            return std::countr_zero(value);
    }
    return -1;
}

// An enumeration or flag value of the property's own type from its integer, whatever the type's size.
QVariant enumVariant(const QMetaProperty& property, int value)
{
    QVariant variant = QVariant::fromValue(value);
    if (variant.convert(property.metaType()))
        return variant;
    QMetaType type = property.metaType();
    if (type.sizeOf() != static_cast<qsizetype>(sizeof(int)))
        return {};
    return QVariant(type, &value);
}

int enumInteger(const QVariant& value)
{
    bool ok = false;
    int result = value.toInt(&ok);
    if (!ok && value.metaType().sizeOf() == static_cast<qsizetype>(sizeof(int)))
        std::memcpy(&result, value.constData(), sizeof result);
    return result;
}

bool isStringListType(QMetaType type)
{
    return type == QMetaType::fromType<QStringList>() || type == QMetaType::fromType<TStringList>();
}

} // namespace

// ---------------------------------------------------------------- TPropObject

QVariant TPropObject::Read(const QMetaProperty& property) const
{
    if (Object)
        return property.read(Object);
    if (Gadget)
        return property.readOnGadget(Gadget);
    return {};
}

bool TPropObject::Write(const QMetaProperty& property, const QVariant& value) const
{
    if (Object)
        return property.write(Object, value);
    if (Gadget)
        return property.writeOnGadget(Gadget, value);
    return false;
}

// ---------------------------------------------------------------- TPropInfoList

TStoredKind StoredKindOf(const QMetaProperty& property)
{
    const QMetaType type = property.metaType();
    if (property.isFlagType())
        return skSet;
    if (property.isEnumType() || type.id() == QMetaType::Bool)
        return skEnumeration;
    if (isIntegerType(type.id()))
        return skInteger;
    if (type.id() == QMetaType::QChar)
        return skChar;
    if (type.id() == QMetaType::Float || type.id() == QMetaType::Double)
        return skFloat;
    if (type.id() == QMetaType::QString)
        return skString;
    if (type.id() == QMetaType::QVariant)
        return skVariant;
    if (isStringListType(type))
        return skStringList;
    if (type.flags() & QMetaType::PointerToQObject)
        return skReference;
    if ((type.flags() & QMetaType::IsGadget) && type.metaObject())
        return skObject;
    return skNone;
}

TPropInfoList::TPropInfoList(const QMetaObject* meta)
{
    if (!meta)
        return;
    for (int i = 0; i < meta->propertyCount(); ++i) {
        QMetaProperty property = meta->property(i);
        if (property.isReadable() && StoredKindOf(property) != skNone)
            FList.push_back(property);
    }
}

const QMetaProperty* TPropInfoList::Find(const std::string& name) const
{
    // The most derived class first: a class that declares a property its base has under another case
    // ("Width" over a read-only "width") means its own.
    for (auto it = FList.rbegin(); it != FList.rend(); ++it)
        if (SameText(it->name(), name))
            return &*it;
    return nullptr;
}

// ---------------------------------------------------------------- look-ups

QObject* FindOwnedComponent(QObject* owner, const std::string& name)
{
    if (!owner || name.empty())
        return nullptr;
    const QString wanted = FromEditorText(name);
    const QList<QObject*> children = owner->findChildren<QObject*>();
    for (QObject* child : children)
        if (child->objectName().compare(wanted, Qt::CaseInsensitive) == 0)
            return child;
    return nullptr;
}

QObject* ComponentOwner(QObject* component)
{
    if (!component)
        return nullptr;
    QObject* top = nullptr;
    for (QObject* parent = component->parent(); parent; parent = parent->parent()) {
        if (parent->isWidgetType() && static_cast<QWidget*>(parent)->isWindow())
            return parent;
        top = parent;
    }
    return top;
}

QWidget* FindFormOrModule(const std::string& name)
{
    const QString wanted = FromEditorText(name);
    const QList<QWidget*> forms = QApplication::topLevelWidgets();
    for (QWidget* form : forms)
        if (!form->objectName().isEmpty() && form->objectName().compare(wanted, Qt::CaseInsensitive) == 0)
            return form;
    return nullptr;
}

// ---------------------------------------------------------------- TPropsStorage

std::string TPropsStorage::ReadString(const std::string& section, const std::string& item, const std::string& defaultValue)
{
    return OnReadString ? OnReadString(section, item, defaultValue) : std::string();
}

void TPropsStorage::WriteString(const std::string& section, const std::string& item, const std::string& value)
{
    if (OnWriteString)
        OnWriteString(section, item, value);
}

void TPropsStorage::EraseSection(const std::string& section)
{
    if (OnEraseSection)
        OnEraseSection(section);
}

std::string TPropsStorage::ReadPath(const std::string& section, const std::string& item, const std::string& defaultValue)
{
    return OnReadPath ? OnReadPath(section, item, defaultValue) : ReadString(section, item, defaultValue);
}

void TPropsStorage::WritePath(const std::string& section, const std::string& item, const std::string& value)
{
    if (OnWritePath)
        OnWritePath(section, item, value);
    else
        WriteString(section, item, value);
}

std::string TPropsStorage::readText(const std::string& section, const std::string& item, const std::string& defaultValue)
{
    return FHoldsPath ? ReadPath(section, item, defaultValue) : ReadString(section, item, defaultValue);
}

void TPropsStorage::writeText(const std::string& section, const std::string& item, const std::string& value)
{
    if (FHoldsPath)
        WritePath(section, item, value);
    else
        WriteString(section, item, value);
}

std::string TPropsStorage::textOf(const QString& value) const
{
    return FHoldsPath ? ToFilePath(value) : ToEditorText(value);
}

QString TPropsStorage::stringOf(const std::string& text) const
{
    return FHoldsPath ? FromFilePath(text) : FromEditorText(text);
}

std::string TPropsStorage::keptText(const std::string& text) const
{
    // A file name keeps its blanks: " a.htm" is another file than "a.htm".
    return FHoldsPath ? text : Trim(text);
}

std::string TPropsStorage::GetItemName(const std::string& propName)
{
    return FPrefix + propName;
}

std::unique_ptr<TPropsStorage> TPropsStorage::CreateStorage()
{
    return std::make_unique<TPropsStorage>();
}

namespace {

// Finds, for each name of `wanted` (case folded), the first object of that name in the tree under
// `owner`, in the order findChildren lists them, without regard to case. The walk stops once every
// name is found.
void findByNames(const QObject* owner, QHash<QString, QObject*>& wanted, qsizetype& missing)
{
    for (QObject* child : owner->children()) {
        if (missing == 0)
            return;
        const QString& name = child->objectName();
        if (!name.isEmpty())
            for (auto it = wanted.begin(); it != wanted.end(); ++it)
                if (!it.value() && it.key().size() == name.size() &&
                    it.key().compare(name, Qt::CaseInsensitive) == 0) {
                    it.value() = child;
                    --missing;
                    break;
                }
        findByNames(child, wanted, missing);
    }
}

void collectTree(const QObject* owner, QSet<const void*>& owned)
{
    for (QObject* child : owner->children()) {
        owned.insert(child);
        collectTree(child, owned);
    }
}

} // namespace

void TPropsStorage::UpdateStoredList(QObject* owner, TStringList& list, bool fromForm)
{
    // The owner's tree is walked once for the whole list: by name as FindOwnedComponent finds a
    // component (the first of the name in tree order, without regard to case), or by address only,
    // so that an entry whose component has since been destroyed is never followed.
    QHash<QString, QObject*> byName;
    QSet<const void*> owned;
    if (fromForm) {
        for (int i = 0; i < list.Count(); ++i) {
            std::string component, property;
            if (SplitStoredItem(list[i], component, property) && !component.empty())
                byName.insert(FromEditorText(component).toCaseFolded(), nullptr);
        }
        qsizetype missing = byName.size();
        if (owner)
            findByNames(owner, byName, missing);
    } else if (owner) {
        collectTree(owner, owned);
    }
    for (int i = list.Count() - 1; i >= 0; --i) {
        std::string component, property;
        if (!SplitStoredItem(list[i], component, property)) {
            list.Delete(i);
            continue;
        }
        if (fromForm) {
            QObject* found = component.empty() ? nullptr : byName.value(FromEditorText(component).toCaseFolded());
            if (found)
                list.SetObject(i, found);
            else
                list.Delete(i);
        } else if (!owned.contains(list.Objects(i))) {
            list.Delete(i);
        } else {
            auto* object = static_cast<QObject*>(list.Objects(i));
            list[i] = JoinStoredItem(ToEditorText(object->objectName()), property);
        }
    }
}

void TPropsStorage::LoadObjectsProps(QObject* owner, TStringList& storedList)
{
    processObjectsProps(owner, storedList, true);
}

void TPropsStorage::StoreObjectsProps(QObject* owner, TStringList& storedList)
{
    processObjectsProps(owner, storedList, false);
}

void TPropsStorage::processObjectsProps(QObject* owner, TStringList& storedList, bool load)
{
    UpdateStoredList(owner, storedList, false);
    std::map<std::string, TPropInfoList, NoCaseLess> infos;
    for (int i = 0; i < storedList.Count(); ++i) {
        std::string component, property;
        if (SplitStoredItem(storedList[i], component, property) && !infos.contains(component))
            infos.emplace(component, TPropInfoList(static_cast<QObject*>(storedList.Objects(i))->metaObject()));
    }
    FOwner = owner;
    TScopeGuard clearOwner([this] {
        FOwner = nullptr;
        FHoldsPath = false;
    });
    for (int i = 0; i < storedList.Count(); ++i) {
        std::string component, property;
        if (!SplitStoredItem(storedList[i], component, property))
            continue;
        FObject = TPropObject(static_cast<QObject*>(storedList.Objects(i)));
        FPrefix = component;
        FHoldsPath = false;
        for (int k = 0; k < FPathProps.Count() && !FHoldsPath; ++k)
            FHoldsPath = SameText(FPathProps[k], JoinStoredItem(component, property));
        auto it = infos.find(component);
        if (it == infos.end())
            continue;
        FPrefix += "_";
        if (const QMetaProperty* info = it->second.Find(property))
            load ? LoadProperty(*info) : StoreProperty(*info);
    }
}

std::string TPropsStorage::valueText(const QMetaProperty& property, TStoredKind kind) const
{
    const QVariant value = FObject.Read(property);
    switch (kind) {
    case skInteger:
        if (property.metaType().id() == QMetaType::ULongLong || property.metaType().id() == QMetaType::ULong)
            return std::to_string(value.toULongLong());
        return IntToStr(value.toLongLong());
    case skString:
        // A control's path keeps its bytes beside the text it shows; the text alone would lose those
        // that spell no character.
        if (FHoldsPath && FObject.Object)
            return PathPropertyOf(FObject.Object, property.name());
        return textOf(value.toString());
    case skVariant:
        return textOf(value.toString());
    case skChar:
        return ToEditorText(QString(value.value<QChar>()));
    case skEnumeration:
        if (property.metaType().id() == QMetaType::Bool)
            return value.toBool() ? "True" : "False";
        if (const char* key = property.enumerator().valueToKey(enumInteger(value)))
            return key;
        return {};
    case skFloat:
        return StoredFloatText(value.toDouble(), property.metaType().id() == QMetaType::Float ? 7 : 15);
    case skSet: {
        const QMetaEnum meta = property.enumerator();
        return StoredSetText(static_cast<uint32_t>(enumInteger(value)), [&](int bit) { return flagName(meta, bit); });
    }
    default:
        return {};
    }
}

void TPropsStorage::StoreProperty(const QMetaProperty& property)
{
    const TStoredKind kind = StoredKindOf(property);
    switch (kind) {
    case skNone:
        return;
    case skStringList:
        storeStringList(property);
        return;
    case skObject:
        storeSubObject(property);
        return;
    case skReference: {
        const std::string text = referenceText(FObject.Read(property).value<QObject*>());
        if (!text.empty())
            WriteString(FSection, GetItemName(property.name()), text);
        return;
    }
    default:
        break;
    }
    const std::string text = keptText(valueText(property, kind));
    if (text.empty() && kind != skString && kind != skChar)
        return;
    writeText(FSection, GetItemName(property.name()), text);
}

void TPropsStorage::LoadProperty(const QMetaProperty& property)
{
    try {
        const TStoredKind kind = StoredKindOf(property);
        switch (kind) {
        case skNone:
            return;
        case skStringList:
            loadStringList(property);
            return;
        case skObject:
            loadSubObject(property);
            return;
        case skReference:
            loadReference(property, Trim(ReadString(FSection, GetItemName(property.name()), "")));
            return;
        default:
            break;
        }
        const std::string defaultText = keptText(valueText(property, kind));
        std::string text;
        if (!defaultText.empty() || kind == skString || kind == skChar)
            text = keptText(readText(FSection, GetItemName(property.name()), defaultText));
        applyText(property, kind, text);
    } catch (...) {
        // One unreadable value must not keep the other properties of the form from loading.
    }
}

void TPropsStorage::applyText(const QMetaProperty& property, TStoredKind kind, const std::string& text)
{
    switch (kind) {
    case skInteger:
        FObject.Write(property, QVariant::fromValue(static_cast<qlonglong>(StrToIntDef(text, 0))));
        return;
    case skChar:
        if (!text.empty()) {
            // The first character: a held one is its whole reference, not the mark that begins it.
            char32_t cp;
            const size_t held = ReadHeldCharacter(text, 0, cp);
            const QString character = FromEditorText(text.substr(0, held ? held : 1));
            if (!character.isEmpty())
                FObject.Write(property, QVariant::fromValue(character.at(0)));
        }
        return;
    case skEnumeration: {
        if (property.metaType().id() == QMetaType::Bool) {
            if (SameText(text, "True") || SameText(text, "False"))
                FObject.Write(property, SameText(text, "True"));
            return;
        }
        const QMetaEnum meta = property.enumerator();
        for (int k = 0; k < meta.keyCount(); ++k)
            if (SameText(meta.key(k), text)) {
                FObject.Write(property, enumVariant(property, meta.value(k)));
                return;
            }
        return;
    }
    case skFloat: {
        double value = 0;
        if (ParseStoredFloat(text, value))
            FObject.Write(property, property.metaType().id() == QMetaType::Float
                                        ? QVariant::fromValue(static_cast<float>(value))
                                        : QVariant::fromValue(value));
        return;
    }
    case skString:
        if (FHoldsPath && FObject.Object)
            SetPathProperty(FObject.Object, property.name(), text);
        else
            FObject.Write(property, stringOf(text));
        return;
    case skSet: {
        const QMetaEnum meta = property.enumerator();
        const uint32_t members = ParseStoredSet(text, [&](std::string_view name) { return flagBit(meta, name); });
        FObject.Write(property, enumVariant(property, static_cast<int>(members)));
        return;
    }
    case skVariant:
        FObject.Write(property, QVariant(stringOf(text)));
        return;
    default:
        return;
    }
}

// ---------------------------------------------------------------- string lists

void TPropsStorage::storeStringList(const QMetaProperty& property)
{
    const QVariant value = FObject.Read(property);
    TStringList lines;
    if (value.metaType() == QMetaType::fromType<TStringList>()) {
        lines = value.value<TStringList>();
    } else {
        const QStringList list = value.toStringList();
        for (const QString& line : list)
            lines.Add(textOf(line));
    }
    const std::string section = Format("%s.%s", FSection.c_str(), GetItemName(property.name()).c_str());
    EraseSection(section);
    if (lines.Count() == 0)
        return;
    WriteString(section, "Count", IntToStr(lines.Count()));
    for (int i = 0; i < lines.Count(); ++i)
        writeText(section, Format("Item%d", i), lines[i]);
}

void TPropsStorage::loadStringList(const QMetaProperty& property)
{
    const std::string section = Format("%s.%s", FSection.c_str(), GetItemName(property.name()).c_str());
    const int count = ParseStoredCount(ReadString(section, "Count", "0"));
    if (count <= 0)
        return;
    // The count is stored text like any other: the list is built from the items that are really
    // there, so a huge count cannot make us add millions of empty lines.
    static const std::string missing("\x01\x7F");
    TStringList lines;
    for (int i = 0; i < count; ++i) {
        std::string line = readText(section, Format("Item%d", i), missing);
        if (line == missing)
            break;
        lines.Add(std::move(line));
    }
    if (property.metaType() == QMetaType::fromType<TStringList>()) {
        FObject.Write(property, QVariant::fromValue(lines));
    } else {
        QStringList list;
        for (int i = 0; i < lines.Count(); ++i)
            list.append(stringOf(lines[i]));
        FObject.Write(property, list);
    }
}

// ---------------------------------------------------------------- component references

std::string TPropsStorage::referenceText(QObject* component) const
{
    if (!component)
        return {};
    const std::string name = ToEditorText(component->objectName());
    QObject* owner = ComponentOwner(component);
    if (!owner || owner == FOwner)
        return name;
    std::string ownerName = ToEditorText(owner->objectName());
    if (ownerName.empty()) {
        ownerName = owner->metaObject()->className();
        if (ownerName.starts_with('T'))
            ownerName.erase(0, 1);
    }
    return Format("%s.%s", ownerName.c_str(), name.c_str());
}

void TPropsStorage::loadReference(const QMetaProperty& property, const std::string& text)
{
    if (text.empty())
        return;
    const TStoredReference reference = ParseStoredReference(text);
    const QVariant nil = QVariant::fromValue(static_cast<QObject*>(nullptr));
    if (reference.Null) {
        FObject.Write(property, nil);
        return;
    }
    QObject* owner = reference.Owner.empty() ? FOwner : FindFormOrModule(reference.Owner);
    if (!owner)
        return;
    QObject* component = FindOwnedComponent(owner, reference.Name);
    FObject.Write(property, component ? QVariant::fromValue(component) : nil);
}

// ---------------------------------------------------------------- sub-objects

std::unique_ptr<TPropsStorage> TPropsStorage::subStorage(const TPropObject& object, const std::string& prefix,
                                                        const std::string& section)
{
    std::unique_ptr<TPropsStorage> storage = CreateStorage();
    storage->FObject = object;
    storage->FPrefix = prefix;
    storage->FSection = section;
    return storage;
}

void TPropsStorage::StoreObjectProperties(const TPropObject& object, const std::string& prefix, const std::string& section)
{
    if (object.IsNull())
        return;
    std::unique_ptr<TPropsStorage> storage = subStorage(object, prefix, section);
    storage->OnWriteString = OnWriteString;
    storage->OnEraseSection = OnEraseSection;
    storage->storeProperties(TPropInfoList(object.Meta));
}

void TPropsStorage::LoadObjectProperties(const TPropObject& object, const std::string& prefix, const std::string& section)
{
    if (object.IsNull())
        return;
    std::unique_ptr<TPropsStorage> storage = subStorage(object, prefix, section);
    storage->OnReadString = OnReadString;
    storage->loadProperties(TPropInfoList(object.Meta));
}

void TPropsStorage::storeProperties(const TPropInfoList& list)
{
    for (int i = 0; i < list.Count(); ++i)
        StoreProperty(list.Items(i));
}

void TPropsStorage::loadProperties(const TPropInfoList& list)
{
    for (int i = 0; i < list.Count(); ++i)
        LoadProperty(list.Items(i));
}

void TPropsStorage::storeSubObject(const QMetaProperty& property)
{
    QVariant value = FObject.Read(property);
    StoreObjectProperties(TPropObject(property.metaType().metaObject(), value.data()), FPrefix + property.name(), FSection);
}

void TPropsStorage::loadSubObject(const QMetaProperty& property)
{
    QVariant value = FObject.Read(property);
    if (!value.isValid())
        return;
    LoadObjectProperties(TPropObject(property.metaType().metaObject(), value.data()), FPrefix + property.name(), FSection);
    FObject.Write(property, value);
}
