// The BODY tag that the body dialog builds: background, colours and page margins, each written only when chosen.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/core/Graphics.h"

struct TBodyTagValues {
    // BACKGROUND="<url>" and BGPROPERTIES="Fixed".
    bool Background = false;
    std::string UrlBody;
    bool BGProperties = false;
    // BGCOLOR="#RRGGBB".
    bool Bgcolor = false;
    TColor BGColor = clWhite;
    // TEXT, LINK, VLINK and ALINK: a colour for each button that is down.
    std::array<std::optional<TColor>, 4> Colors;
    // LEFTMARGIN, TOPMARGIN, RIGHTMARGIN and BOTTOMMARGIN: the text of each margin that is on.
    std::array<std::optional<std::string>, 4> Margins;
};

// "<BODY", the chosen attributes in their fixed order, then ">".
std::string BodyTag(const TBodyTagValues& values);
