// The two page-resource commands as the window runs them: the resource report written and opened, and the download times shown.
#pragma once

#include <string>
#include <string_view>

class QWidget;
class TCodigosISO;
class TKestrimaConfig;

// Writes the resource report of the page `fileName` ("" for an untitled page) with the text `text`
// (its named references read by the entity table `entities`) and opens it through the shell, under the busy cursor. Returns the report's path; "" when it could
// not be written, which is reported over `owner` and opens nothing.
std::string OpenResourceReport(QWidget* owner, const std::string& fileName, std::string_view text,
                               const TKestrimaConfig& config, const TCodigosISO* entities);
// Shows the download times of the page modally over `owner`.
void ShowDownloadTimes(QWidget* owner, const std::string& fileName, std::string_view text,
                       const TKestrimaConfig& config, const TCodigosISO* entities);
