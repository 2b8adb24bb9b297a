// The key controller: command names and the key sequences bound to commands, in their stream form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/Settings.h"

class EKeyControllerException : public ECodeMemo { using ECodeMemo::ECodeMemo; };
class EAmbigiousKeyPair : public EKeyControllerException { using EKeyControllerException::EKeyControllerException; };

// One bound sequence: a first stroke, an optional second stroke (0 for none) and the command code.
struct TKeySequence {
    uint16_t Key1 = 0;
    uint16_t Key2 = 0;
    int32_t Action = -1;
};

// Holds the display name of each command and the bound key sequences of one settings object.
class TKeyboardActionContoller : public TSM_Base {
public:
    const char* ClassName() const override { return "TKeyboardActionContoller"; }
    // Only another key controller can be assigned.
    void Assign(const TSM_Base& source) override;
    // The names (count, then code and short-string name each), then the sequences (count, then two
    // 16-bit strokes and the code each).
    void SaveToStream(TStream& stream) const override;
    // Reads into a scratch controller first: a stream that fails leaves this one as it was.
    void LoadFromStream(TStream& stream) override;

    void Clear();
    // Replaces the name of `action`.
    void SetActionName(int32_t action, const std::string& name);
    // The name of `action`; empty when it has none.
    std::string GetActionName(int32_t action) const;
    int ActionNameCount() const { return static_cast<int>(FNames.size()); }
    int SequenceCount() const { return static_cast<int>(FSequences.size()); }
    const TKeySequence& Sequence(int index) const { return FSequences.at(static_cast<size_t>(index)); }

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;

private:
    struct ActionName {
        int32_t Action;
        std::string Name;
    };
    std::vector<ActionName> FNames;
    std::vector<TKeySequence> FSequences; // in stream order
};

// The controller every settings object copies when it resets to its defaults.
TKeyboardActionContoller& DefaultKeyController();
