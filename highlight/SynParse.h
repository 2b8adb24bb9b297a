// The parser unit: parser component, compiled tables and their stream, compressor, section readers.
#pragma once
#include "highlight/Compressor.h"
