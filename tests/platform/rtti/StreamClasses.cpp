#include "tests/platform/rtti/StreamClasses.h"

#include "platform/rtti/Published.h"

std::vector<AnsiString> gLoadedLog;

TTestTitle::TTestTitle() : font_(new TTestFont) {}
TTestTitle::~TTestTitle() { delete font_; }

TTestColumn::TTestColumn(TCollection* Collection)
    : TCollectionItem(Collection), title_(new TTestTitle), pickList_(new TStringList),
      footers_(new TCollection(ItemClassOf<TTestFooter>)) {}

TTestColumn::~TTestColumn() {
    delete title_;
    delete pickList_;
    delete footers_;
}

TTestWrapper::TTestWrapper(TComponent* AOwner) : TComponent(AOwner), columns_(new TCollection(ItemClassOf<TTestColumn>)) {}
TTestWrapper::~TTestWrapper() { delete columns_; }

void TTestControl::Loaded() {
    TComponent::Loaded();
    PartnerAtLoaded = Partner != nullptr;
    gLoadedLog.push_back(Name());
}

TTestGridControl::TTestGridControl(TComponent* AOwner)
    : TTestControl(AOwner), columns_(new TCollection(ItemClassOf<TTestColumn>)) {}
TTestGridControl::~TTestGridControl() { delete columns_; }

void TTestForm::Loaded() {
    TComponent::Loaded();
    gLoadedLog.push_back(Name());
}

TESK_PUBLISHED(TTestFont) {
    Property("Charset", TypeInfoTFontCharset(), &T::Charset, &T::Charset);
    Property("Color", TypeInfoTColor(), &T::Color, &T::Color);
    Property("Height", &T::Height, &T::Height);
    Property("Name", &T::Name, &T::Name);
    Property("Size", &T::Size, &T::SetSize).Stored(false);
    Property("Style", &T::Style, &T::Style).Default(TTestStyles{});
}

TESK_PUBLISHED(TTestTitle) {
    Property("Alignment", &T::Alignment, &T::Alignment).Default(taLeft);
    Property("Caption", &T::Caption, &T::Caption);
    Property("Font", &T::Font, &T::SetFont);
}

TESK_PUBLISHED(TTestFooter) {
    Property("Sum", &T::Sum, &T::Sum);
    Property("Text", &T::Text, &T::Text);
    Property("Value", &T::Value, &T::Value);
    Property("ValueType", &T::ValueType, &T::ValueType).Default(vtNone);
}

TESK_PUBLISHED(TTestColumn) {
    Property("Alignment", &T::Alignment, &T::Alignment);
    Property("Big", &T::Big, &T::Big);
    Property("FieldName", &T::FieldName, &T::FieldName);
    Property("Footers", &T::Footers, &T::SetFooters);
    Property("Images", &T::Images, &T::Images);
    Property("Increment", &T::Increment, &T::Increment).Stored(&T::IsIncrementStored);
    Property("PickList", &T::PickList, &T::SetPickList);
    Property("Stamp", TypeInfoTDateTime(), &T::Stamp, &T::Stamp);
    Property("Title", &T::Title, &T::SetTitle);
    Property("Visible", &T::Visible, &T::Visible).Default(true);
    Property("Width", &T::Width, &T::Width);
    Property("OnClick", &T::OnClick, &T::OnClick);
}

TESK_PUBLISHED(TTestWrapper) {
    Property("Columns", &T::Columns, &T::SetColumns);
}

TESK_PUBLISHED(TTestControl) {
    Property("Caption", &T::Caption, &T::Caption);
    Property("Color", TypeInfoTColor(), &T::Color, &T::Color);
    Property("Lines", &T::Lines, &T::SetLines);
    Property("Partner", &T::Partner, &T::Partner);
    Property("OnClick", &T::OnClick, &T::OnClick);
}

TESK_PUBLISHED(TTestGridControl) {
    Property("Columns", &T::Columns, &T::SetColumns);
    Property("Options", &T::Options, &T::Options).Default(TTestStyles{tsBold});
    Property("Ratio", &T::Ratio, &T::Ratio);
}

TESK_PUBLISHED(TTestForm) {
    Property("Caption", &T::Caption, &T::Caption);
    Property("OnCreate", &T::OnCreate, &T::OnCreate);
    Handler("Panel1Click", &T::Panel1Click);
    Handler("FormCreate", &T::FormCreate);
    Field("Panel1", &T::Panel1);
    Field("Grid1", &T::Grid1);
}

void RegisterStreamTestClasses() {
    RegisterClasses({TTestFont::StaticClassInfo(), TTestTitle::StaticClassInfo(), TTestFooter::StaticClassInfo(),
                     TTestColumn::StaticClassInfo(), TTestWrapper::StaticClassInfo(), TTestControl::StaticClassInfo(),
                     TTestGridControl::StaticClassInfo(), TTestForm::StaticClassInfo()});
}
