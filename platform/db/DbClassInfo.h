#pragma once
// Type information of the data-access classes, so that a form definition can
// create connections, data sets, fields and data sources by class name and set
// their properties. The classes carry no type information of their own; it is
// kept here. RegisterDbClasses makes them known to FindClass (the data module
// calls it before reading its definition).
#include "platform/db/AdoDataSets.h"
#include "platform/db/DB.h"
#include "platform/db/SqliteConnection.h"
#include "platform/db/StMemoryDataset.h"
#include "platform/rtti/TypInfo.h"

TESK_ENUM_INFO(TFieldKind, fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate)
TESK_ENUM_INFO(TLockType, ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic)
TESK_ENUM_INFO(TConnectMode, cmUnknown, cmRead, cmWrite, cmReadWrite, cmShareDenyRead, cmShareDenyWrite,
               cmShareExclusive, cmShareDenyNone)

template <> const TClassInfo* ClassInfoOf<TADOConnection>();
template <> const TClassInfo* ClassInfoOf<TDataSet>();
template <> const TClassInfo* ClassInfoOf<TCustomADODataSet>();
template <> const TClassInfo* ClassInfoOf<TADOQuery>();
template <> const TClassInfo* ClassInfoOf<TADOTable>();
template <> const TClassInfo* ClassInfoOf<TStMemoryData>();
template <> const TClassInfo* ClassInfoOf<TDataSource>();
template <> const TClassInfo* ClassInfoOf<TField>();
template <> const TClassInfo* ClassInfoOf<TStringField>();
template <> const TClassInfo* ClassInfoOf<TWideStringField>();
template <> const TClassInfo* ClassInfoOf<TNumericField>();
template <> const TClassInfo* ClassInfoOf<TIntegerField>();
template <> const TClassInfo* ClassInfoOf<TSmallintField>();
template <> const TClassInfo* ClassInfoOf<TWordField>();
template <> const TClassInfo* ClassInfoOf<TAutoIncField>();
template <> const TClassInfo* ClassInfoOf<TLargeintField>();
template <> const TClassInfo* ClassInfoOf<TFloatField>();
template <> const TClassInfo* ClassInfoOf<TBooleanField>();
template <> const TClassInfo* ClassInfoOf<TDateTimeField>();
template <> const TClassInfo* ClassInfoOf<TBlobField>();
template <> const TClassInfo* ClassInfoOf<TMemoField>();

// Registers the classes above; calling it again does nothing.
void RegisterDbClasses();
