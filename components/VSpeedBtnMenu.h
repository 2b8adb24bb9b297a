// TVSpeedBtnMenu: a flat speed button that pops up a menu of choices built afresh at each press.
#pragma once

#include <functional>
#include <memory>

#include "platform/Buttons.h"
#include "platform/core/Classes.h"

class QMenu;

class TVSpeedBtnMenu : public TSpeedButton {
public:
    using TMenuEvent = std::function<void(TVSpeedBtnMenu* Sender)>;

    explicit TVSpeedBtnMenu(QWidget* parent = nullptr);
    ~TVSpeedBtnMenu() override;

    // One menu item per line; the hints go with the items only when both lists are equally long.
    TStringList& Items() { return FItems; }
    const TStringList& Items() const { return FItems; }
    void SetItems(const TStringList& value) { FItems = value; }
    TStringList& Hints() { return FHints; }
    const TStringList& Hints() const { return FHints; }
    void SetHints(const TStringList& value) { FHints = value; }
    // The last item chosen; -1 before any choice.
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int value) { FItemIndex = value; }

    // The menu of the latest press; null before the first press and when the lists were empty.
    QMenu* Popup() const { return FPopup.get(); }

    // After a choice.
    TMenuEvent OnSelect;
    // At each press before the menu is built: the owner may fill the lists here.
    TMenuEvent BeforeShow;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void itemClicked(int index);

    TStringList FItems;
    TStringList FHints;
    std::unique_ptr<QMenu> FPopup;
    int FItemIndex = -1;
};
