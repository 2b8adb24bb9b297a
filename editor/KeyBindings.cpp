// The key controller's names, bound sequences and stream form.
#include "editor/KeyBindings.h"

#include "platform/SysUtils.h"

std::unique_ptr<TSM_Base> TKeyboardActionContoller::NewInstance() const
{
    return std::make_unique<TKeyboardActionContoller>();
}

void TKeyboardActionContoller::Assign(const TSM_Base& source)
{
    if (!dynamic_cast<const TKeyboardActionContoller*>(&source))
        throw Exception(Format("Cannot assign a %s to a %s", source.ClassName(), ClassName()));
    TSM_Base::Assign(source);
}

void TKeyboardActionContoller::Clear()
{
    FNames.clear();
    FSequences.clear();
}

void TKeyboardActionContoller::SetActionName(int32_t action, const std::string& name)
{
    for (auto it = FNames.rbegin(); it != FNames.rend(); ++it) {
        if (it->Action == action) {
            FNames.erase(std::next(it).base());
            break;
        }
    }
    FNames.push_back({action, name});
}

std::string TKeyboardActionContoller::GetActionName(int32_t action) const
{
    for (auto it = FNames.rbegin(); it != FNames.rend(); ++it)
        if (it->Action == action)
            return it->Name;
    return {};
}

void TKeyboardActionContoller::SaveToStream(TStream& stream) const
{
    StreamWriteLong(stream, static_cast<int32_t>(FNames.size()));
    for (const ActionName& name : FNames) {
        StreamWriteLong(stream, name.Action);
        StreamWriteShortStr(stream, name.Name);
    }
    StreamWriteLong(stream, static_cast<int32_t>(FSequences.size()));
    for (const TKeySequence& sequence : FSequences) {
        StreamWriteWord(stream, sequence.Key1);
        StreamWriteWord(stream, sequence.Key2);
        StreamWriteLong(stream, sequence.Action);
    }
}

void TKeyboardActionContoller::LoadFromStream(TStream& stream)
{
    std::vector<ActionName> names;
    std::vector<TKeySequence> sequences;
    int32_t nameCount = StreamReadCount(stream, 4 + 1);
    for (int32_t i = 0; i < nameCount; ++i) {
        int32_t action = StreamReadLong(stream);
        names.push_back({action, StreamReadShortStr(stream)});
    }
    int32_t sequenceCount = StreamReadCount(stream, 2 + 2 + 4);
    for (int32_t i = 0; i < sequenceCount; ++i) {
        TKeySequence sequence;
        sequence.Key1 = StreamReadWord(stream);
        sequence.Key2 = StreamReadWord(stream);
        sequence.Action = StreamReadLong(stream);
        sequences.push_back(sequence);
    }
    FNames.swap(names);
    FSequences.swap(sequences);
}

TKeyboardActionContoller& DefaultKeyController()
{
    static TKeyboardActionContoller controller;
    return controller;
}
