// Print targets for tests: a printer of chosen metrics whose dialog answers as told and whose jobs and pages are recorded, and the program's printer with its dialog answered.
#pragma once

#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "components/PrevPrinter.h"

class RecordingPrintTarget : public TPrintTarget {
public:
    struct Job {
        std::string Title;
        TPrinterOrientation Orientation = poPortrait;
        int Pages = 1;
        bool Ended = false;
    };

    // Put in place of the program's printer for the target's life.
    RecordingPrintTarget() : FPrevious(SetPrintTarget(this)) {}
    ~RecordingPrintTarget() override { SetPrintTarget(FPrevious); }

    bool Printers = true;
    TDeviceMetrics Page{300, 300, 2550, 3300, 0, 0};
    bool Accept = true;
    TPrintRequest Answer; // Range, FromPage, ToPage and Copies as the user chose them
    TPrintRequest Asked;  // what the last dialog was asked
    int FailOnNewPage = 0; // the NewPage call of every job (from 1) that fails; 0 none
    std::vector<Job> Jobs;
    std::vector<std::string> Log; // "begin", "page", "end" in the order they came
    QImage Sheet;                 // the last job's last page

    bool HasPrinters() override { return Printers; }
    TDeviceMetrics Metrics(TPrinterOrientation) override { return Page; }
    bool ExecuteDialog(QWidget*, TPrintRequest& request) override
    {
        Asked = request;
        if (!Accept)
            return false;
        request.Range = Answer.Range;
        request.FromPage = Answer.FromPage;
        request.ToPage = Answer.ToPage;
        request.Copies = Answer.Copies;
        return true;
    }
    QPainter& BeginJob(TPrinterOrientation orientation, const std::string& title) override
    {
        Jobs.push_back({title, orientation, 1, false});
        Log.push_back("begin");
        FNewPages = 0;
        newSheet();
        return FPainter;
    }
    void NewPage() override
    {
        ++FNewPages;
        if (FNewPages == FailOnNewPage)
            throw EPrinter("sin papel");
        ++Jobs.back().Pages;
        Log.push_back("page");
        FPainter.end();
        newSheet();
    }
    void EndJob() override
    {
        if (FPainter.isActive())
            FPainter.end();
        if (!Jobs.empty())
            Jobs.back().Ended = true;
        Log.push_back("end");
    }

private:
    void newSheet()
    {
        Sheet = QImage(Page.PageWidth / 4, Page.PageHeight / 4, QImage::Format_RGB32);
        Sheet.fill(Qt::white);
        FPainter.begin(&Sheet);
        FPainter.scale(0.25, 0.25);
    }

    TPrintTarget* FPrevious;
    QPainter FPainter;
    int FNewPages = 0;
};

// The program's printer, with its print dialog answered: all pages, one copy.
class TProgramPrinterAnswered : public TPrintTarget {
public:
    TProgramPrinterAnswered() : FPrevious(SetPrintTarget(this)) {}
    ~TProgramPrinterAnswered() override { SetPrintTarget(FPrevious); }
    bool HasPrinters() override { return ProgramPrintTarget().HasPrinters(); }
    TDeviceMetrics Metrics(TPrinterOrientation orientation) override
    {
        return ProgramPrintTarget().Metrics(orientation);
    }
    bool ExecuteDialog(QWidget*, TPrintRequest&) override { return true; }
    QPainter& BeginJob(TPrinterOrientation orientation, const std::string& title) override
    {
        return ProgramPrintTarget().BeginJob(orientation, title);
    }
    void NewPage() override { ProgramPrintTarget().NewPage(); }
    void EndJob() override { ProgramPrintTarget().EndJob(); }

private:
    TPrintTarget* FPrevious;
};
