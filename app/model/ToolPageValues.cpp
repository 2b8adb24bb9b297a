// The history of the tool pages' combo boxes.
#include "app/model/ToolPageValues.h"

#include "platform/core/SysUtils.h"

void AddToHistory(THistoryCombo& combo)
{
    const std::string text = Trim(combo.Text);
    if (text.empty())
        return;
    combo.Text = text;
    const int present = combo.Items.IndexOf(text);
    if (present >= 0) {
        combo.ItemIndex = present;
        return;
    }
    combo.Items.Insert(0, text);
    while (combo.Items.Count() > kHistoryLimit)
        combo.Items.Delete(combo.Items.Count() - 1);
    combo.ItemIndex = 0;
}
