// The parser unit: parser component, compiled tables and their stream, compressor, section readers.
#pragma once
#include "highlight/CodeMemoParser.h"
#include "highlight/Compressor.h"
#include "highlight/ParserTables.h"
#include "highlight/Recognisers.h"
#include "highlight/SynParseCompile.h"
