// The words of a printed PDF file with their places, read back with pdftotext -bbox, and its title.
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

// A word of a PDF page with its box in points, as pdftotext -bbox gives it.
struct TPdfWord {
    std::string Text;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};
struct TPdfPage {
    double Width = 0, Height = 0;
    std::vector<TPdfWord> Words;
};

// What a tool of poppler-utils writes with `arguments`; nothing when it is not installed or does not end.
inline std::optional<std::string> PopplerOutput(const char* name, const QStringList& arguments)
{
    const QString tool = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (tool.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000))
        return std::nullopt;
    return process.readAllStandardOutput().toStdString();
}

// What pdftotext writes with `arguments`; nothing when it is not installed or does not end.
inline std::optional<std::string> PdfToText(const QStringList& arguments)
{
    return PopplerOutput("pdftotext", arguments);
}

// The title a PDF file's information holds, as UTF-8 (empty when it has none), read with pdfinfo;
// nothing when pdfinfo is not installed.
inline std::optional<std::string> PdfTitle(const QString& file)
{
    const std::optional<std::string> output =
        PopplerOutput("pdfinfo", {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file});
    if (!output)
        return std::nullopt;
    std::istringstream lines(*output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Title:", 0) == 0) {
            const size_t value = line.find_first_not_of(' ', 6);
            return value == std::string::npos ? std::string() : line.substr(value);
        }
    return std::string();
}

// The pages of a PDF file with their words; nothing when pdftotext is not installed.
inline std::optional<std::vector<TPdfPage>> PdfPages(const QString& file)
{
    const std::optional<std::string> output = PdfToText({QStringLiteral("-bbox"), file, QStringLiteral("-")});
    if (!output)
        return std::nullopt;
    const std::string& html = *output;
    std::vector<TPdfPage> pages;
    const std::regex page(R"re(<page width="([0-9.]+)" height="([0-9.]+)">)re");
    const std::regex word(
        R"re(<word xMin="([0-9.-]+)" yMin="([0-9.-]+)" xMax="([0-9.-]+)" yMax="([0-9.-]+)">([^<]*)</word>)re");
    std::istringstream lines(html);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_search(line, match, page))
            pages.push_back({std::stod(match[1]), std::stod(match[2]), {}});
        else if (std::regex_search(line, match, word) && !pages.empty())
            pages.back().Words.push_back(
                {match[5], std::stod(match[1]), std::stod(match[2]), std::stod(match[3]), std::stod(match[4])});
    }
    return pages;
}

