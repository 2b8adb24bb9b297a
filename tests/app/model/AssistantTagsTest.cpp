// Tests of the assistants' tags: the image modes and options in their order, the applet and the ten form fields.
#include "app/model/AssistantTags.h"

#include <gtest/gtest.h>

namespace {

struct TCase {
    const char* what;
    TAssistantCode code;
    std::string open;
    std::string close;
};

void expectCases(const std::vector<TCase>& cases)
{
    for (const TCase& c : cases) {
        EXPECT_EQ(c.code.Open, c.open) << c.what;
        EXPECT_EQ(c.code.Close, c.close) << c.what;
    }
}

TImageTagValues image(int mode, const std::string& url)
{
    TImageTagValues v;
    v.Mode = mode;
    v.URL = url;
    return v;
}

} // namespace

TEST(AssistantTags, ImageModesAndOptionsInTheirOrder)
{
    TImageTagValues all = image(imImage, "a.gif");
    all.Align = "ALIGN=\"left\"";
    all.Alt = "Casa";
    all.Border.emplace(1, '0'), all.HSpace.emplace(1, '4'), all.VSpace.emplace(1, '5'), all.Width.emplace("40"), all.Height.emplace("20");
    all.Ismap = true;
    TImageTagValues low = image(imLowSource, "b.jpg");
    low.ModeAttribute = "LOWSRC", low.ModeURL = "b-low.jpg", low.Ismap = true;
    TImageTagValues anim = image(imAnimation, "c.gif");
    anim.ModeAttribute = "DYNSRC", anim.ModeURL = "c.avi", anim.Loop = "-1", anim.Delay = "250";
    anim.Controls = true, anim.MouseOver = true, anim.Ismap = true;
    TImageTagValues plainAnim = anim;
    plainAnim.Controls = false, plainAnim.MouseOver = false;
    TImageTagValues world = image(imVirtualWorld, "d.gif");
    world.ModeAttribute = "VRML", world.ModeURL = "d.wrl", world.Ismap = true, world.Loop = "3";
    TImageTagValues embed = image(imEmbedded, "x.mid");
    embed.ModeAttribute = "EMBED", embed.ModeURL = "ignored", embed.Ismap = true;
    TImageTagValues sizedEmbed = embed;
    sizedEmbed.Width = "100", sizedEmbed.Height = "30";
    expectCases({
        {"plain image", ImageTag(image(imImage, "a.gif")), "<IMG SRC=\"a.gif\">", ""},
        {"every option", ImageTag(all),
         "<IMG SRC=\"a.gif\" ALIGN=\"left\" ALT=\"Casa\" BORDER=\"0\" HSPACE=\"4\" VSPACE=\"5\" WIDTH=\"40\" HEIGHT=\"20\" ISMAP>", ""},
        {"low source", ImageTag(low), "<IMG SRC=\"b.jpg\" LOWSRC=\"b-low.jpg\" ISMAP>", ""},
        {"animation", ImageTag(anim),
         "<IMG SRC=\"c.gif\" DYNSRC=\"c.avi\" LOOP=\"-1\" LOOPDELAY=\"250\" CONTROLS START=\"MouseOver\">", ""},
        {"animation without options", ImageTag(plainAnim), "<IMG SRC=\"c.gif\" DYNSRC=\"c.avi\" LOOP=\"-1\" LOOPDELAY=\"250\">", ""},
        {"virtual world takes no map nor loop", ImageTag(world), "<IMG SRC=\"d.gif\" VRML=\"d.wrl\">", ""},
        {"embedded", ImageTag(embed), "<EMBED SRC=\"x.mid\"><NOEMBED>", "</NOEMBED>"},
        {"embedded sized", ImageTag(sizedEmbed), "<EMBED SRC=\"x.mid\" WIDTH=\"100\" HEIGHT=\"30\"><NOEMBED>", "</NOEMBED>"},
    });
}

TEST(AssistantTags, AppletAttributesInTheirOrder)
{
    TAppletTagValues all;
    all.Code = "X.class", all.Codebase = "clases/", all.Name = "x", all.Alt = "Sin Java";
    all.Width = "200", all.Height = "100", all.HSpace = "2", all.VSpace = "3", all.Align = "ALIGN=\"middle\"";
    TAppletTagValues plain;
    plain.Code = "X.class";
    expectCases({
        {"plain", AppletTag(plain), "<APPLET CODE=\"X.class\">", "</APPLET>"},
        {"every option", AppletTag(all),
         "<APPLET CODE=\"X.class\" CODEBASE=\"clases/\" NAME=\"x\" ALT=\"Sin Java\" WIDTH=\"200\" HEIGHT=\"100\" HSPACE=\"2\" "
         "VSPACE=\"3\" ALIGN=\"middle\">",
         "</APPLET>"},
    });
}

TEST(AssistantTags, FormFieldsByPage)
{
    TFormFieldValues v;
    v.Method = "POST", v.Action = "envia.cgi";
    v.BtnType = "submit";
    v.HiddenName = "h", v.HiddenValue = "1";
    v.EditType = "password", v.EditName = "clave";
    v.TextName = "t", v.TextRows = "3", v.TextCols = "40";
    v.CheckName = "c", v.CheckOn = true;
    v.RadioName = "r", v.RadioValue = "si";
    v.ImageSRC = "ok.gif";
    v.ListName = "l", v.ListNumLines = "4", v.ListMultiple = true;
    v.ComboName = "k";
    TFormFieldValues on = v;
    on.Target = "_top", on.BtnName = "b", on.BtnValue = "Enviar";
    on.EditValue = "x", on.EditSize = "10", on.EditMaxLength = "8";
    on.TextWrap = "virtual", on.CheckValue = "v", on.RadioOn = true, on.ImageName = "i";
    on.ListNumLines.reset(), on.ListMultiple = false;
    expectCases({
        {"form", FormFieldTag(ffForm, v), "<FORM METHOD=\"POST\" ACTION=\"envia.cgi\">", "</FORM>"},
        {"form with target", FormFieldTag(ffForm, on), "<FORM METHOD=\"POST\" ACTION=\"envia.cgi\" TARGET=\"_top\">", "</FORM>"},
        {"button", FormFieldTag(ffButton, v), "<INPUT TYPE=\"submit\">", ""},
        {"button named", FormFieldTag(ffButton, on), "<INPUT TYPE=\"submit\" NAME=\"b\" VALUE=\"Enviar\">", ""},
        {"hidden", FormFieldTag(ffHidden, v), "<INPUT TYPE=\"hidden\" NAME=\"h\" VALUE=\"1\">", ""},
        {"edit", FormFieldTag(ffText, v), "<INPUT TYPE=\"password\" NAME=\"clave\">", ""},
        {"edit full", FormFieldTag(ffText, on), "<INPUT TYPE=\"password\" NAME=\"clave\" VALUE=\"x\" SIZE=\"10\" MAXLENGTH=\"8\">", ""},
        {"text area", FormFieldTag(ffTextArea, v), "<TEXTAREA NAME=\"t\" ROWS=\"3\" COLS=\"40\">", "</TEXTAREA>"},
        {"text area wrapped", FormFieldTag(ffTextArea, on), "<TEXTAREA NAME=\"t\" ROWS=\"3\" COLS=\"40\" WRAP=\"virtual\">",
         "</TEXTAREA>"},
        {"check", FormFieldTag(ffCheck, v), "<INPUT TYPE=\"checkbox\" NAME=\"c\" CHECKED>", ""},
        {"check valued", FormFieldTag(ffCheck, on), "<INPUT TYPE=\"checkbox\" NAME=\"c\" VALUE=\"v\" CHECKED>", ""},
        {"radio", FormFieldTag(ffRadio, v), "<INPUT TYPE=\"radio\" NAME=\"r\" VALUE=\"si\">", ""},
        {"radio on", FormFieldTag(ffRadio, on), "<INPUT TYPE=\"radio\" NAME=\"r\" VALUE=\"si\" CHECKED>", ""},
        {"image", FormFieldTag(ffImage, v), "<INPUT TYPE=\"image\" SRC=\"ok.gif\">", ""},
        {"image named", FormFieldTag(ffImage, on), "<INPUT TYPE=\"image\" NAME=\"i\" SRC=\"ok.gif\">", ""},
        {"list", FormFieldTag(ffList, v), "<SELECT NAME=\"l\" SIZE=\"4\" MULTIPLE>", "</SELECT>"},
        {"list plain", FormFieldTag(ffList, on), "<SELECT NAME=\"l\">", "</SELECT>"},
        {"combo", FormFieldTag(ffCombo, v), "<SELECT NAME=\"k\">", "</SELECT>"},
        {"no page", FormFieldTag(kFormFieldCount, v), "", ""},
    });
}
