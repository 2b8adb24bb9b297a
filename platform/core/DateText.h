// Dates and times as the program writes them, with Spanish names whatever the process's locale.
#pragma once

#include <ctime>
#include <string>

// By `dateFormat`: 0 "lunes, 7 de diciembre de 2026, 21:05", 1 the long date alone, 2 the short date
// "07/12/2026, 21:05", 3 the short date alone; any other value as 0.
std::string DateTimeText(int dateFormat, const std::tm& when);
