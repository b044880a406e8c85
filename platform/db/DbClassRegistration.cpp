// Type information of the data-access classes (see DbClassInfo.h).
#include "platform/db/DbClassInfo.h"

#include "platform/rtti/Published.h"

#define TESK_DB_CLASS(ClassT, ParentT)                                                               \
    template <>                                                                                      \
    const TClassInfo* ClassInfoOf<ClassT>() {                                                        \
        static const TClassInfo* info = TClassBuilder<ClassT>::Make(#ClassT, ClassInfoOf<ParentT>(), "DB"); \
        return info;                                                                                 \
    }

// ---- Connection, data sets, data source ----

template <> void TClassBuilder<TADOConnection>::Build() {
    Property("ConnectionString", &T::ConnectionString, &T::SetConnectionString);
    Property("LoginPrompt", &T::LoginPrompt, &T::SetLoginPrompt).Default(false);
    Property("Mode", &T::Mode, &T::SetMode).Default(cmUnknown);
    Property("BeforeConnect", &T::BeforeConnect, &T::BeforeConnect);
    Property("AfterConnect", &T::AfterConnect, &T::AfterConnect);
    Property("BeforeDisconnect", &T::BeforeDisconnect, &T::BeforeDisconnect);
    Property("AfterDisconnect", &T::AfterDisconnect, &T::AfterDisconnect);
}

template <> void TClassBuilder<TDataSet>::Build() {
    Property("AutoCalcFields", &T::AutoCalcFields, &T::SetAutoCalcFields).Default(true);
    Property("Filter", &T::Filter, &T::SetFilter);
    Property("Filtered", &T::Filtered, &T::SetFiltered).Default(false);
    Property("BeforeOpen", &T::BeforeOpen, &T::BeforeOpen);
    Property("AfterOpen", &T::AfterOpen, &T::AfterOpen);
    Property("BeforeClose", &T::BeforeClose, &T::BeforeClose);
    Property("AfterClose", &T::AfterClose, &T::AfterClose);
    Property("BeforeInsert", &T::BeforeInsert, &T::BeforeInsert);
    Property("AfterInsert", &T::AfterInsert, &T::AfterInsert);
    Property("BeforeEdit", &T::BeforeEdit, &T::BeforeEdit);
    Property("AfterEdit", &T::AfterEdit, &T::AfterEdit);
    Property("BeforePost", &T::BeforePost, &T::BeforePost);
    Property("AfterPost", &T::AfterPost, &T::AfterPost);
    Property("BeforeCancel", &T::BeforeCancel, &T::BeforeCancel);
    Property("AfterCancel", &T::AfterCancel, &T::AfterCancel);
    Property("BeforeDelete", &T::BeforeDelete, &T::BeforeDelete);
    Property("AfterDelete", &T::AfterDelete, &T::AfterDelete);
    Property("BeforeScroll", &T::BeforeScroll, &T::BeforeScroll);
    Property("AfterScroll", &T::AfterScroll, &T::AfterScroll);
    Property("BeforeRefresh", &T::BeforeRefresh, &T::BeforeRefresh);
    Property("AfterRefresh", &T::AfterRefresh, &T::AfterRefresh);
    Property("OnCalcFields", &T::OnCalcFields, &T::OnCalcFields);
    Property("OnFilterRecord", &T::OnFilterRecord, &T::OnFilterRecord);
    Property("OnNewRecord", &T::OnNewRecord, &T::OnNewRecord);
}

template <> void TClassBuilder<TCustomADODataSet>::Build() {
    Property("Connection", &T::Connection, &T::SetConnection);
    Property("LockType", &T::LockType, &T::SetLockType).Default(ltOptimistic);
    Property("Prepared", &T::Prepared, &T::SetPrepared).Default(false);
}

template <> void TClassBuilder<TADOQuery>::Build() {
    Property("SQL", &T::SQL, &T::SetSQL);
}

template <> void TClassBuilder<TADOTable>::Build() {
    Property("IndexName", &T::IndexName, &T::SetIndexName);
    Property("TableName", &T::TableName, &T::SetTableName);
}

template <> void TClassBuilder<TStMemoryData>::Build() {}

template <> void TClassBuilder<TDataSource>::Build() {
    Property("AutoEdit", &T::AutoEdit, &T::SetAutoEdit).Default(true);
    Property("DataSet", &T::DataSet, &T::SetDataSet);
    Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    Property("OnStateChange", &T::OnStateChange, &T::OnStateChange);
    Property("OnDataChange", &T::OnDataChange, &T::OnDataChange);
    Property("OnUpdateData", &T::OnUpdateData, &T::OnUpdateData);
}

// ---- Fields ----

// A field of a definition names its data set: DataSet = viewPlanet. The
// references are resolved in definition order, so the fields keep that order.
template <> void TClassBuilder<TField>::Build() {
    Property("DataSet", &T::DataSet, &T::SetDataSet);
    Property("FieldKind", &T::FieldKind, &T::SetFieldKind).Default(fkData);
    Property("FieldName", &T::FieldName, &T::SetFieldName);
    Property("DisplayLabel", &T::DisplayLabel, &T::SetDisplayLabel);
    Property("DisplayWidth", &T::DisplayWidth, &T::SetDisplayWidth);
    Property("Size", &T::Size, &T::SetSize).Default(0);
    Property("LookupDataSet", &T::LookupDataSet, &T::SetLookupDataSet);
    Property("KeyFields", &T::KeyFields, &T::SetKeyFields);
    Property("LookupKeyFields", &T::LookupKeyFields, &T::SetLookupKeyFields);
    Property("LookupResultField", &T::LookupResultField, &T::SetLookupResultField);
    Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
    Property("Required", &T::Required, &T::SetRequired).Default(false);
    Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    Property("EditMask", &T::EditMask, &T::SetEditMask);
    Property("OnChange", &T::OnChange, &T::OnChange);
    Property("OnGetText", &T::OnGetText, &T::OnGetText);
    Property("OnSetText", &T::OnSetText, &T::OnSetText);
    Property("OnValidate", &T::OnValidate, &T::OnValidate);
}

template <> void TClassBuilder<TStringField>::Build() {}
template <> void TClassBuilder<TWideStringField>::Build() {}

template <> void TClassBuilder<TNumericField>::Build() {
    Property("DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat);
    Property("EditFormat", &T::EditFormat, &T::SetEditFormat);
}

template <> void TClassBuilder<TIntegerField>::Build() {}
template <> void TClassBuilder<TSmallintField>::Build() {}
template <> void TClassBuilder<TWordField>::Build() {}
template <> void TClassBuilder<TAutoIncField>::Build() {}
template <> void TClassBuilder<TLargeintField>::Build() {}

template <> void TClassBuilder<TFloatField>::Build() {
    Property("Currency", &T::Currency, &T::SetCurrency).Default(false);
    Property("Precision", &T::Precision, &T::SetPrecision).Default(15);
}

template <> void TClassBuilder<TBooleanField>::Build() {
    Property("DisplayValues", &T::DisplayValues, &T::SetDisplayValues);
}

template <> void TClassBuilder<TDateTimeField>::Build() {
    Property("DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat);
}

template <> void TClassBuilder<TBlobField>::Build() {}
template <> void TClassBuilder<TMemoField>::Build() {}

TESK_DB_CLASS(TADOConnection, TComponent)
TESK_DB_CLASS(TDataSet, TComponent)
TESK_DB_CLASS(TCustomADODataSet, TDataSet)
TESK_DB_CLASS(TADOQuery, TCustomADODataSet)
TESK_DB_CLASS(TADOTable, TCustomADODataSet)
TESK_DB_CLASS(TStMemoryData, TDataSet)
TESK_DB_CLASS(TDataSource, TComponent)
TESK_DB_CLASS(TField, TComponent)
TESK_DB_CLASS(TStringField, TField)
TESK_DB_CLASS(TWideStringField, TStringField)
TESK_DB_CLASS(TNumericField, TField)
TESK_DB_CLASS(TIntegerField, TNumericField)
TESK_DB_CLASS(TSmallintField, TIntegerField)
TESK_DB_CLASS(TWordField, TIntegerField)
TESK_DB_CLASS(TAutoIncField, TIntegerField)
TESK_DB_CLASS(TLargeintField, TNumericField)
TESK_DB_CLASS(TFloatField, TNumericField)
TESK_DB_CLASS(TBooleanField, TField)
TESK_DB_CLASS(TDateTimeField, TField)
TESK_DB_CLASS(TBlobField, TField)
TESK_DB_CLASS(TMemoField, TBlobField)

void RegisterDbClasses() {
    static const bool done = [] {
        RegisterClasses({ClassInfoOf<TADOConnection>(), ClassInfoOf<TDataSet>(), ClassInfoOf<TCustomADODataSet>(),
                         ClassInfoOf<TADOQuery>(), ClassInfoOf<TADOTable>(), ClassInfoOf<TStMemoryData>(),
                         ClassInfoOf<TDataSource>(), ClassInfoOf<TField>(), ClassInfoOf<TStringField>(),
                         ClassInfoOf<TWideStringField>(), ClassInfoOf<TNumericField>(), ClassInfoOf<TIntegerField>(),
                         ClassInfoOf<TSmallintField>(), ClassInfoOf<TWordField>(), ClassInfoOf<TAutoIncField>(),
                         ClassInfoOf<TLargeintField>(), ClassInfoOf<TFloatField>(), ClassInfoOf<TBooleanField>(),
                         ClassInfoOf<TDateTimeField>(), ClassInfoOf<TBlobField>(), ClassInfoOf<TMemoField>()});
        return true;
    }();
    (void)done;
}
