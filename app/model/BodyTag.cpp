// The BODY tag that the body dialog builds: background, colours and page margins, each written only when chosen.
#include "app/model/BodyTag.h"

#include "app/model/TagComposer.h"
#include "app/model/libKestrima.h"

std::string BodyTag(const TBodyTagValues& values)
{
    static const char* const colorNames[] = {"TEXT", "LINK", "VLINK", "ALINK"};
    static const char* const marginNames[] = {"LEFTMARGIN", "TOPMARGIN", "RIGHTMARGIN", "BOTTOMMARGIN"};
    auto attribute = [](std::string& code, const char* name, const std::string& value) {
        code.append(" ").append(name).append("=").append(QuoteAttributeValue(value));
    };
    std::string code = "<BODY";
    if (values.Background)
        attribute(code, "BACKGROUND", values.UrlBody);
    if (values.BGProperties)
        attribute(code, "BGPROPERTIES", "Fixed");
    if (values.Bgcolor)
        attribute(code, "BGCOLOR", std::string("#").append(ColorToHTML(values.BGColor)));
    for (size_t i = 0; i < values.Colors.size(); ++i)
        if (values.Colors[i])
            attribute(code, colorNames[i], std::string("#").append(ColorToHTML(*values.Colors[i])));
    for (size_t i = 0; i < values.Margins.size(); ++i)
        if (values.Margins[i])
            attribute(code, marginNames[i], *values.Margins[i]);
    return code + ">";
}
