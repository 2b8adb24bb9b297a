// The print preview component: lays a text out on recorded printer pages, previews them and prints any range of them.
#pragma once

#include <QPicture>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/Fonts.h"
#include "platform/core/Geometry.h"

class QPainter;
class QWidget;

enum TPrinterOrientation { poPortrait, poLandscape };
enum TUnits { unInches, unCentimeters };
enum TZoomOption { zoFitToPage, zoFitToWidth, zoTwoPages, zoCustom };
enum TDrawStyle { dsStandard, dsOwnerDrawFixed, dsOwnerDrawVariable };
enum TPrintPageNumber { pnNone, pnTop, pnBottom };
// What a status report tells: a page started, a page sent to the printer, the build or the job done.
enum TStatusType { stPageStarted = 0, stPagePrinted = 1, stBuildDone = 2, stJobDone = 3 };

class TPreviewPrinter;
using TStatusProc =
    std::function<void(TPreviewPrinter* Sender, const std::string& StatMsg, int PageNum, TStatusType StatusType)>;
// Paints page `PageNo` (from 1) of a text on `Canvas` inside `Rect`; false when no text was left for
// it. The editor's preview pages are painted by one (editor/PrintPreviewPages.h).
using TPagePainter = std::function<bool(QPainter* Canvas, const TRect* Rect, int PageNo)>;

// A printer that cannot start or carry on a job.
class EPrinter : public Exception { using Exception::Exception; };

// What a device tells about its page: resolution, the whole sheet in device pixels and where the
// printable area starts on it.
struct TDeviceMetrics {
    int PixelsPerInchX = 96;
    int PixelsPerInchY = 96;
    int PageWidth = 816;
    int PageHeight = 1056;
    int OffsetX = 0;
    int OffsetY = 0;
};

// The pages of the text as a page device: a recorded picture that answers the resolution and size
// of the page it was made for, so that the editor makes its fonts for the printer and not the screen.
class TPagePicture : public QPicture {
public:
    explicit TPagePicture(const TDeviceMetrics& metrics) : FMetrics(metrics) {}
    const TDeviceMetrics& Metrics() const { return FMetrics; }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    TDeviceMetrics FMetrics;
};

// What the print dialog asks (pages MinPage..MaxPage) and, once confirmed, what the user chose.
struct TPrintRequest {
    int MinPage = 1;
    int MaxPage = 1;
    int FromPage = 1;
    int ToPage = 1;
    bool PageNumbers = true; // the page range may be chosen
    bool Range = false;      // the user chose FromPage..ToPage rather than all pages
    int Copies = 1;
};

// What printing and page building need of a printer. The program's printer serves by default; tests
// put a recorder in its place.
class TPrintTarget {
public:
    virtual ~TPrintTarget() = default;
    // Whether the system has printers to lay pages out for.
    virtual bool HasPrinters() = 0;
    // The printer's page after its orientation is set.
    virtual TDeviceMetrics Metrics(TPrinterOrientation orientation) = 0;
    // Shows the print dialog; false when it was cancelled.
    virtual bool ExecuteDialog(QWidget* owner, TPrintRequest& request) = 0;
    // Starts one job and returns the canvas its pages are drawn on; EPrinter when it cannot start.
    virtual QPainter& BeginJob(TPrinterOrientation orientation, const std::string& title) = 0;
    // Ends the page drawn and starts another; EPrinter when the printer refuses.
    virtual void NewPage() = 0;
    // Ends the job (also after a failure).
    virtual void EndJob() = 0;
};

// The program's printer as print target.
TPrintTarget& ProgramPrintTarget();
// While set, every preview component prints through `target` instead (tests record jobs with it).
// Returns the target it replaces; nullptr brings back the program's printer.
TPrintTarget* SetPrintTarget(TPrintTarget* target);

// How the text goes on paper. Page building uses the four margins (inches); the rest is carried for
// the caller.
class TTextOptions {
public:
    TTextOptions();
    TTextOptions(const TTextOptions& source) { Assign(source); }
    TTextOptions& operator=(const TTextOptions& source);
    void Assign(const TTextOptions& source);

    TDrawStyle DrawStyle = dsStandard;
    double MarginLeft = 1.0;
    double MarginTop = 1.0;
    double MarginRight = 1.0;
    double MarginBottom = 1.0;
    const TFont& BodyFont() const { return FBodyFont; }
    void SetBodyFont(const TFont& value) { FBodyFont.Assign(value); }
    const TFont& HeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(const TFont& value) { FHeaderFont.Assign(value); }
    const TFont& FooterFont() const { return FFooterFont; }
    void SetFooterFont(const TFont& value) { FFooterFont.Assign(value); }
    const TFont& PageNumFont() const { return FPageNumFont; }
    void SetPageNumFont(const TFont& value) { FPageNumFont.Assign(value); }
    std::string Header;
    std::string Footer;
    double HeaderMargin = 0.5;
    double FooterMargin = 0.75;
    TAlignment HeaderAlign = taCenter;
    TAlignment FooterAlign = taCenter;
    TPrintPageNumber PrintPageNumber = pnNone;
    TAlignment PageNumAlign = taRightJustify;
    std::string PageNumText; // "Página %d"

private:
    TFont FBodyFont;
    TFont FHeaderFont;
    TFont FFooterFont;
    TFont FPageNumFont;
};

class TPreviewPrinter {
public:
    TPreviewPrinter();
    ~TPreviewPrinter();
    TPreviewPrinter(const TPreviewPrinter&) = delete;
    TPreviewPrinter& operator=(const TPreviewPrinter&) = delete;

    TTextOptions& TextOptions() { return FTextOptions; }
    void SetTextOptions(const TTextOptions& value) { FTextOptions.Assign(value); }
    TUnits Units() const { return FUnits; }
    void SetUnits(TUnits value);
    // 1.0 for inches, 2.54 for centimetres.
    double UnitsFactor() const { return FUnitsFactor; }

    // Discards the old pages and has `paintPage` lay the text out on new ones, page after page, until
    // it says no text is left.
    void BuildPages(const TPagePainter& paintPage);
    int PageCount() const { return static_cast<int>(FPages.size()); }
    // Index from 0.
    const TPagePicture& GetPage(int index) const;
    // The reference device's page the pages were built for.
    const TDeviceMetrics& Metrics() const { return FMetrics; }
    // Where the last build put the text on a page, in device pixels: the page less the margins.
    const TRect& PageRect() const { return FPageRect; }
    bool Building() const { return FBuilding; }

    // Runs the print dialog and prints what was chosen; false when the dialog was cancelled.
    bool Print(QWidget* owner = nullptr);
    // Shows the preview window modally.
    void Preview(QWidget* owner = nullptr);

    TPrinterOrientation Orientation = poPortrait;

private:
    bool FBuilding = false;

public:
    std::string Title;

private:
    void newPage();
    TRect marginRect() const;
    void endPage();
    void printJob(int first, int last);
    void status(int messageId, int pageNum, TStatusType type);

    std::vector<std::unique_ptr<TPagePicture>> FPages;
    // The canvas of the page being filled; the page's recording ends when it is freed.
    std::unique_ptr<QPainter> FPageCanvas;
    TDeviceMetrics FMetrics;
    TRect FPageRect;
    bool FPageUsed = false;
    TTextOptions FTextOptions;
    TUnits FUnits = unCentimeters;
    double FUnitsFactor = 2.54;

public:
    // The preview window's first state.
    bool ShowGrid = false;
    TZoomOption ZoomOption = zoFitToPage;
    int ZoomVal = 100;
    TStatusProc OnStatus;
};
