// The tags the assistants of the side panel build: an IMG or EMBED tag, an APPLET element and the fields of a form, each from the values of its panel.
#pragma once

#include <optional>
#include <string>

// What an assistant hands to the insertion: the code before the selection and the code after it.
struct TAssistantCode {
    std::string Open;
    std::string Close;
};

// The image modes, as the mode button lists them.
enum TImageMode { imAnimation, imImage, imLowSource, imImageMap, imVirtualWorld, imEmbedded, kImageModeCount };

// The image panel. An optional field is written only when its button is down.
struct TImageTagValues {
    int Mode = imImage;
    std::string URL;
    // The attribute of the chosen alignment, such as ALIGN="left"; empty for none.
    std::string Align;
    std::optional<std::string> Alt;
    std::optional<std::string> Border, HSpace, VSpace, Width, Height;
    // The attribute name of the mode (DYNSRC, LOWSRC, USEMAP, VRML) and the file it names.
    std::string ModeAttribute;
    std::string ModeURL;
    // Animations only.
    std::string Loop, Delay;
    bool Controls = false;
    bool MouseOver = false;
    // Images and hypertext maps only.
    bool Ismap = false;
};

// "<IMG SRC=...>" or, for an embedded object, "<EMBED SRC=...><NOEMBED>" closed by "</NOEMBED>".
TAssistantCode ImageTag(const TImageTagValues& v);

// The applet panel; optional fields are written only when their check or button is on.
struct TAppletTagValues {
    std::string Code;
    std::optional<std::string> Codebase, Name, Alt, Width, Height, HSpace, VSpace;
    std::string Align;
};

// "<APPLET CODE=...>" closed by "</APPLET>".
TAssistantCode AppletTag(const TAppletTagValues& v);

// The form panel's pages, in the order of their buttons.
enum TFormField { ffForm, ffButton, ffHidden, ffText, ffTextArea, ffCheck, ffRadio, ffImage, ffList, ffCombo, kFormFieldCount };

// The form panel: every page's fields. A check edit's field is set only while it is checked.
struct TFormFieldValues {
    std::string Method, Action;
    std::optional<std::string> Target;
    std::string BtnType;
    std::optional<std::string> BtnName, BtnValue;
    std::string HiddenName, HiddenValue;
    std::string EditType, EditName;
    std::optional<std::string> EditValue, EditSize, EditMaxLength;
    std::string TextName;
    std::optional<std::string> TextRows, TextCols;
    // Empty while the wrap choice is at its first entry, which writes no WRAP.
    std::string TextWrap;
    std::string CheckName;
    std::optional<std::string> CheckValue;
    bool CheckOn = false;
    std::string RadioName, RadioValue;
    bool RadioOn = false;
    std::optional<std::string> ImageName;
    std::string ImageSRC;
    std::string ListName;
    std::optional<std::string> ListNumLines;
    bool ListMultiple = false;
    std::string ComboName;
};

// The code of the field on `page`; nothing for a page outside the ten.
TAssistantCode FormFieldTag(int page, const TFormFieldValues& v);
