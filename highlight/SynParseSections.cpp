// Readers of the token, state, style, keyword-table, key and template sections (not yet written: each refuses its section).
#include "highlight/SynParseCompile.h"

// Until a section has its reader, a script using it stops at the section keyword, so that a
// language is never compiled with part of its script silently left out.
void TScriptCompilation::ReadWordsSection() { ScriptError(CompileMessage::SyntaxError); }
void TScriptCompilation::ReadHandlersSection() { ScriptError(CompileMessage::SyntaxError); }
void TScriptCompilation::ReadTokensSection() { ScriptError(CompileMessage::SyntaxError); }
void TScriptCompilation::ReadStatesSection() { ScriptError(CompileMessage::SyntaxError); }
void TScriptCompilation::ReadContainersSection() { ScriptError(CompileMessage::SyntaxError); }
void TScriptCompilation::ReadMapSection() { ScriptError(CompileMessage::SyntaxError); }
void TScriptCompilation::ReadEffectsSection() { ScriptError(CompileMessage::SyntaxError); }
void TScriptCompilation::ReadKeysSection() { ScriptError(CompileMessage::SyntaxError); }
void TScriptCompilation::ReadAutoReplaceSection() { ScriptError(CompileMessage::SyntaxError); }
void TScriptCompilation::ReadTemplatesSection() { ScriptError(CompileMessage::SyntaxError); }
void TScriptCompilation::ReadKwTablesSection() { ScriptError(CompileMessage::SyntaxError); }
