// The tags the side panel's assistants build, attribute by attribute in a fixed order.
#include "app/model/AssistantTags.h"

#include "app/model/TagComposer.h"

namespace {

void attribute(std::string& code, const char* name, const std::string& value)
{
    code.append(" ").append(name).append("=").append(QuoteAttributeValue(value));
}

void optionalAttribute(std::string& code, const char* name, const std::optional<std::string>& value)
{
    if (value)
        attribute(code, name, *value);
}

void appendAlign(std::string& code, const std::string& align)
{
    if (!align.empty())
        code.append(" ").append(align);
}

} // namespace

TAssistantCode ImageTag(const TImageTagValues& v)
{
    const bool embedded = v.Mode == imEmbedded;
    std::string code = embedded ? "<EMBED" : "<IMG";
    attribute(code, "SRC", v.URL);
    appendAlign(code, v.Align);
    optionalAttribute(code, "ALT", v.Alt);
    optionalAttribute(code, "BORDER", v.Border);
    optionalAttribute(code, "HSPACE", v.HSpace);
    optionalAttribute(code, "VSPACE", v.VSpace);
    optionalAttribute(code, "WIDTH", v.Width);
    optionalAttribute(code, "HEIGHT", v.Height);
    if (v.Mode != imImage && !embedded)
        attribute(code, v.ModeAttribute.c_str(), v.ModeURL);
    if (v.Mode == imAnimation) {
        attribute(code, "LOOP", v.Loop);
        attribute(code, "LOOPDELAY", v.Delay);
        if (v.Controls)
            code += " CONTROLS";
        if (v.MouseOver)
            attribute(code, "START", "MouseOver");
    } else if (v.Mode >= imImage && v.Mode <= imImageMap && v.Ismap) {
        code += " ISMAP";
    }
    if (embedded)
        return {code + "><NOEMBED>", "</NOEMBED>"};
    return {code + ">", ""};
}

TAssistantCode AppletTag(const TAppletTagValues& v)
{
    std::string code = "<APPLET";
    attribute(code, "CODE", v.Code);
    optionalAttribute(code, "CODEBASE", v.Codebase);
    optionalAttribute(code, "NAME", v.Name);
    optionalAttribute(code, "ALT", v.Alt);
    optionalAttribute(code, "WIDTH", v.Width);
    optionalAttribute(code, "HEIGHT", v.Height);
    optionalAttribute(code, "HSPACE", v.HSpace);
    optionalAttribute(code, "VSPACE", v.VSpace);
    appendAlign(code, v.Align);
    return {code + ">", "</APPLET>"};
}

TAssistantCode FormFieldTag(int page, const TFormFieldValues& v)
{
    std::string code;
    switch (page) {
    case ffForm:
        code = "<FORM";
        attribute(code, "METHOD", v.Method);
        attribute(code, "ACTION", v.Action);
        optionalAttribute(code, "TARGET", v.Target);
        return {code + ">", "</FORM>"};
    case ffButton:
        code = "<INPUT";
        attribute(code, "TYPE", v.BtnType);
        optionalAttribute(code, "NAME", v.BtnName);
        optionalAttribute(code, "VALUE", v.BtnValue);
        break;
    case ffHidden:
        code = "<INPUT TYPE=\"hidden\"";
        attribute(code, "NAME", v.HiddenName);
        attribute(code, "VALUE", v.HiddenValue);
        break;
    case ffText:
        code = "<INPUT";
        attribute(code, "TYPE", v.EditType);
        attribute(code, "NAME", v.EditName);
        optionalAttribute(code, "VALUE", v.EditValue);
        optionalAttribute(code, "SIZE", v.EditSize);
        optionalAttribute(code, "MAXLENGTH", v.EditMaxLength);
        break;
    case ffTextArea:
        code = "<TEXTAREA";
        attribute(code, "NAME", v.TextName);
        optionalAttribute(code, "ROWS", v.TextRows);
        optionalAttribute(code, "COLS", v.TextCols);
        if (!v.TextWrap.empty())
            attribute(code, "WRAP", v.TextWrap);
        return {code + ">", "</TEXTAREA>"};
    case ffCheck:
        code = "<INPUT TYPE=\"checkbox\"";
        attribute(code, "NAME", v.CheckName);
        optionalAttribute(code, "VALUE", v.CheckValue);
        if (v.CheckOn)
            code += " CHECKED";
        break;
    case ffRadio:
        code = "<INPUT TYPE=\"radio\"";
        attribute(code, "NAME", v.RadioName);
        attribute(code, "VALUE", v.RadioValue);
        if (v.RadioOn)
            code += " CHECKED";
        break;
    case ffImage:
        code = "<INPUT TYPE=\"image\"";
        optionalAttribute(code, "NAME", v.ImageName);
        attribute(code, "SRC", v.ImageSRC);
        break;
    case ffList:
        code = "<SELECT";
        attribute(code, "NAME", v.ListName);
        optionalAttribute(code, "SIZE", v.ListNumLines);
        if (v.ListMultiple)
            code += " MULTIPLE";
        return {code + ">", "</SELECT>"};
    case ffCombo:
        code = "<SELECT";
        attribute(code, "NAME", v.ComboName);
        return {code + ">", "</SELECT>"};
    default:
        return {};
    }
    return {code + ">", ""};
}
