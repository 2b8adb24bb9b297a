// Stored property texts without Qt: floats, sets, component references, counts and stored-list lines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// General format with `precision` significant digits and "." as decimal separator whatever the locale
// (7 for single floats, 15 for doubles).
std::string StoredFloatText(double value, int precision);
// Reads a stored float: optional sign, "." as decimal separator, optional exponent, blanks around;
// false when the text is not such a number.
bool ParseStoredFloat(std::string_view text, double& value);

// "[" + the names of the members among bits 0..31, joined by "," + "]"; "[]" for no member. A member
// whose name is empty is left out.
std::string StoredSetText(uint32_t members, const std::function<std::string(int bit)>& nameOf);
// The words of the text (delimited by blanks, ",", "[" and "]") looked up as member names; `bitOf`
// gives a member's bit (0..31) or -1 for an unknown word, which is skipped.
uint32_t ParseStoredSet(std::string_view text, const std::function<int(std::string_view name)>& bitOf);

// A stored count: a decimal number, 0 when the text is none or is negative.
int ParseStoredCount(std::string_view text);

// Component and property name of a stored-list line: the trimmed texts before and after its first
// point; false when there is no point or either part is empty.
bool SplitStoredItem(std::string_view line, std::string& component, std::string& property);
// component + "." + property; "" when either is empty.
std::string JoinStoredItem(std::string_view component, std::string_view property);

// A stored component reference. "(null)" (any case) is a nil reference; otherwise the text before the
// first point names the owner and the text after it the component, both trimmed; without a point the
// whole text names a component of the storage's own owner (`Owner` empty).
struct TStoredReference {
    bool Null = false;
    std::string Owner;
    std::string Name;
};
TStoredReference ParseStoredReference(std::string_view text);
