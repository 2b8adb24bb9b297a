// The parameters of a zero-terminated command line: reading one, counting them, taking one by number, and splitting off the program.
#pragma once

#include <string>

// Reads one parameter of a zero-terminated command line into `param` and returns the position behind
// it. Blanks and control characters before it, and pairs of double quotes with nothing between them,
// are skipped; a double quote starts a run copied with its blanks up to the next double quote (the
// quotes are dropped). A parameter may be of any length.
const char* GetParamStr(const char* p, std::string& param);
// How many parameters follow one another before the first empty one.
int ParamCountFromCommandLine(const char* commandLine);
// Parameter `index` counted from 0; "" when the parameters end before it.
std::string GetParamStrFromCommandLine(const char* commandLine, int index);
// The program (parameter 0) and the other parameters joined by one blank, those holding a blank (or a
// tab or other control character) put in double quotes; both empty for an empty command line.
void SplitCommandLine(const std::string& commandLine, std::string& program, std::string& parameters);
