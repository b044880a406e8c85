// The published-property tables of the standard controls. What several of
// them publish alike is a run of their common base, compiled once.
#include "platform/gui/StdCtrls.h"

#include "platform/gui/ControlProps_p.h"

// ---------------------------------------------------------------- published

TESK_PUBLISHED(TWidgetControl) {}

TESK_PUBLISHED(TCustomLabel) {}

TESK_PUBLISHED(TLabel) {
    TESK_PUBLISH_CONTROL_COMMON();
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
    Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("FocusControl", &T::FocusControl, &T::SetFocusControl);
    Property("Layout", &T::Layout, &T::SetLayout).Default(tlTop);
    Property("ShowAccelChar", &T::ShowAccelChar, &T::SetShowAccelChar).Default(true);
    Property("Transparent", &T::Transparent, &T::SetTransparent).Default(false);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
    Property("OnMouseEnter", &T::OnMouseEnter, &T::OnMouseEnter);
    Property("OnMouseLeave", &T::OnMouseLeave, &T::OnMouseLeave);
}

TESK_PUBLISHED(TButtonControl) {}

TESK_PUBLISHED(TButton) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Action", &T::Action, &T::SetAction);
    Property("Cancel", &T::Cancel, &T::SetCancel).Default(false);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Default", &T::Default, &T::SetDefault).Default(false);
    Property("ModalResult", &T::ModalResult, &T::SetModalResult).Default(0);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
}

TESK_PUBLISHED(TCustomCheckBox) {}

TESK_PUBLISHED(TCheckBox) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Action", &T::Action, &T::SetAction);
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taRightJustify);
    Property("AllowGrayed", &T::AllowGrayed, &T::SetAllowGrayed).Default(false);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Checked", &T::Checked, &T::SetChecked).Default(false);
    Property("State", &T::State, &T::SetState).Default(cbUnchecked);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
}

TESK_PUBLISHED(TRadioButton) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Action", &T::Action, &T::SetAction);
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taRightJustify);
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
    Property("Checked", &T::Checked, &T::SetChecked).Default(false);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(false);
}

TESK_PUBLISHED(TCustomGroupBox) {}

TESK_PUBLISHED(TGroupBox) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Caption", TypeInfoTCaption(), &T::Caption, &T::SetCaption);
}

TESK_PUBLISHED(TCustomEdit) {}

// Text and editing of an edit box.
TESK_PUBLISHED_RUN(TCustomEdit, TEditCommonProps) {
    Property("AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
    Property("CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);
    Property("HideSelection", &T::HideSelection, &T::SetHideSelection).Default(true);
    Property("MaxLength", &T::MaxLength, &T::SetMaxLength).Default(0);
    Property("OEMConvert", &T::OEMConvert, &T::SetOEMConvert).Default(false);
    Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
    Property("OnChange", &T::OnChange, &T::OnChange);
}

TESK_PUBLISHED(TEdit) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    IncludeRun<TCustomEdit, TEditCommonProps>();
    Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
    Property("PasswordChar", &T::PasswordChar, &T::SetPasswordChar).Default(0);
    Property("Text", &T::Text, &T::SetText);
}

TESK_PUBLISHED(TCustomMemo) {}

TESK_PUBLISHED(TMemo) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    IncludeRun<TCustomEdit, TEditCommonProps>();
    Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
    Property("Lines", &T::Lines, &T::SetLines);
    Property("ScrollBars", &T::ScrollBars, &T::SetScrollBars).Default(ssNone);
    Property("WantReturns", &T::WantReturns, &T::SetWantReturns).Default(true);
    Property("WantTabs", &T::WantTabs, &T::SetWantTabs).Default(false);
    Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(true);
}

TESK_PUBLISHED(TCustomComboBox) {}

TESK_PUBLISHED(TComboBox) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Style", &T::Style, &T::SetStyle).Default(csDropDown);
    Property("CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);
    Property("DropDownCount", &T::DropDownCount, &T::SetDropDownCount).Default(8);
    Property("ItemHeight", &T::ItemHeight, &T::SetItemHeight);
    Property("MaxLength", &T::MaxLength, &T::SetMaxLength).Default(0);
    Property("Sorted", &T::Sorted, &T::SetSorted).Default(false);
    Property("Items", &T::Items, &T::SetItems);
    Property("Text", &T::Text, &T::SetText);
    Property("ItemIndex", &T::ItemIndex, &T::SetItemIndex).Default(-1);
    Property("OnChange", &T::OnChange, &T::OnChange);
    Property("OnCloseUp", &T::OnCloseUp, &T::OnCloseUp);
    Property("OnDrawItem", &T::OnDrawItem, &T::OnDrawItem);
    Property("OnDropDown", &T::OnDropDown, &T::OnDropDown);
    Property("OnMeasureItem", &T::OnMeasureItem, &T::OnMeasureItem);
    Property("OnSelect", &T::OnSelect, &T::OnSelect);
}

TESK_PUBLISHED(TCustomListBox) {}

TESK_PUBLISHED(TListBox) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
    Property("IntegralHeight", &T::IntegralHeight, &T::SetIntegralHeight).Default(false);
    Property("ItemHeight", &T::ItemHeight, &T::SetItemHeight);
    Property("Items", &T::Items, &T::SetItems);
    Property("Sorted", &T::Sorted, &T::SetSorted).Default(false);
    Property("Style", &T::Style, &T::SetStyle).Default(lbStandard);
    Property("OnData", &T::OnData, &T::OnData);
    Property("OnDrawItem", &T::OnDrawItem, &T::OnDrawItem);
    Property("OnMeasureItem", &T::OnMeasureItem, &T::OnMeasureItem);
}

TESK_PUBLISHED(TScrollBar) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("Kind", &T::Kind, &T::SetKind).Default(sbHorizontal);
    Property("LargeChange", &T::LargeChange, &T::SetLargeChange).Default(1);
    Property("Max", &T::Max, &T::SetMax).Default(100);
    Property("Min", &T::Min, &T::SetMin).Default(0);
    Property("PageSize", &T::PageSize, &T::SetPageSize).Default(0);
    Property("Position", &T::Position, &T::SetPosition).Default(0);
    Property("SmallChange", &T::SmallChange, &T::SetSmallChange).Default(1);
    Property("OnChange", &T::OnChange, &T::OnChange);
    Property("OnScroll", &T::OnScroll, &T::OnScroll);
}
