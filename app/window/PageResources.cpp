// The two page-resource commands as the window runs them: the resource report written and opened, and the download times shown.
#include "app/window/PageResources.h"

#include "app/model/KestrimaConfig.h"
#include "app/model/ResourceReport.h"
#include "app/model/libKestrima.h"
#include "app/dialogs/uFormDescarga.h"
#include "platform/Cursors.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {
constexpr int kReportNotWritten = 4954;
constexpr int kReportNotOpened = 7315;
} // namespace

std::string OpenResourceReport(QWidget* owner, const std::string& fileName, std::string_view text,
                               const TKestrimaConfig& config, const TCodigosISO* entities)
{
    std::string report;
    std::string error;
    bool saved;
    bool opened = false;
    {
        const TBusyCursor busy;
        TStringList references;
        ExtractLinks(text, references);
        saved = SaveResourceReport(fileName, references, config.Web, report, error, entities);
        if (saved)
            opened = ShellOpen(report, &error);
    }
    const std::string shown = FilePathText(report);
    if (saved && !opened)
        MessageBox(owner, FmtLoadStr(kReportNotOpened, shown.c_str(), error.c_str()), {}, MB_OK | MB_ICONSTOP);
    if (saved)
        return report;
    // A browser would show an older report, or none, as if it were this page's.
    MessageBox(owner, FmtLoadStr(kReportNotWritten, shown.c_str(), error.c_str()), {}, MB_OK | MB_ICONSTOP);
    return {};
}

void ShowDownloadTimes(QWidget* owner, const std::string& fileName, std::string_view text,
                       const TKestrimaConfig& config, const TCodigosISO* entities)
{
    TformDescarga form(fileName, text, config, entities, owner);
    form.exec();
}
