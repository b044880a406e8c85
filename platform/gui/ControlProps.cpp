// The runs of properties and events that most controls publish.
#include "platform/gui/ControlProps_p.h"

TESK_PUBLISHED_RUN(TControl, TControlCommonProps) {
    Property("Align", &T::Align, &T::SetAlign).Default(alNone);
    Property("Anchors", &T::Anchors, &T::SetAnchors).Default(akDefault);
    Property("Constraints", &T::Constraints, &T::SetConstraints);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("Font", &T::Font, &T::SetFont);
    Property("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor);
    Property("ParentColor", &T::ParentColor, &T::SetParentColor);
    Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
    Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("OnClick", &T::OnClick, &T::OnClick);
    Property("OnContextPopup", &T::OnContextPopup, &T::OnContextPopup);
    Property("OnDblClick", &T::OnDblClick, &T::OnDblClick);
    Property("OnMouseDown", &T::OnMouseDown, &T::OnMouseDown);
    Property("OnMouseMove", &T::OnMouseMove, &T::OnMouseMove);
    Property("OnMouseUp", &T::OnMouseUp, &T::OnMouseUp);
}

TESK_PUBLISHED_RUN(TWinControl, TWinControlCommonProps) {
    Property("Ctl3D", &T::Ctl3D, &T::SetCtl3D).Default(true);
    Property("ParentCtl3D", &T::ParentCtl3D, &T::SetParentCtl3D).Default(true);
    Property("TabOrder", &T::TabOrder, &T::SetTabOrder).Default(-1);
    Property("TabStop", &T::TabStop, &T::SetTabStop);
    Property("OnEnter", &T::OnEnter, &T::OnEnter);
    Property("OnExit", &T::OnExit, &T::OnExit);
    Property("OnKeyDown", &T::OnKeyDown, &T::OnKeyDown);
    Property("OnKeyPress", &T::OnKeyPress, &T::OnKeyPress);
    Property("OnKeyUp", &T::OnKeyUp, &T::OnKeyUp);
}
