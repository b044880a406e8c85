#pragma once
// TStMemoryData: a data set whose rows live in memory only. Its fields come
// from FieldDefs, from persistent fields or from a source data set; closing
// it empties it. Record identities (the bookmarks) start at -2147483647 with
// every open, and auto-increment fields count from 1. Locate tries the
// current record first.
//
// With an apply mode set the table tracks its changes in a hidden last
// integer field, "C67F70Z90" (0 as loaded, 1 updated, 2 inserted), keeps the
// key values of the rows it deleted, and ApplyChanges writes them to the
// source data set.
#include <memory>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/db/DB.h"

class TStMemoryRecord;

// What ApplyChanges writes to the source: nothing, the inserted rows only,
// or inserts, updates and deletes.
enum TApplyMode { amNone, amAppend, amMerge };
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// A blob field of the current record as a stream. Each write stores the
// stream's bytes in the field at once (marking it modified and announcing
// the change), so a store that fails raises where the bytes were written
// rather than in a destructor.
class TStMemBlobStream : public TMemoryStream {
public:
    // Writing needs the data set in edit or insert mode; a table without a
    // current record raises "No data found".
    TStMemBlobStream(TField* Field, TBlobStreamMode Mode);
    const char* ClassName() const override { return "TStMemBlobStream"; }
    int64_t Write(const void* Buffer, int64_t Count) override;
    void SetSize(int64_t NewSize) override;

private:
    TField* field_;
    TBlobStreamMode mode_;
    void Store();
};

class TStMemoryData : public TDataSet {
public:
    static constexpr const char* kStatusFieldName = "C67F70Z90";
    enum TRecordStatus { rsUnchanged = 0, rsUpdated = 1, rsInserted = 2 };

    explicit TStMemoryData(TComponent* AOwner);
    ~TStMemoryData() override;
    const char* ClassName() const override { return "TStMemoryData"; }

    bool Locate(const AnsiString& KeyFields, const Variant& KeyValues, TLocateOptions Options) override;

    // Room reserved for rows, kept across opens.
    int Capacity() const { return capacity_; }
    void SetCapacity(int Value);

    // ---- The source data set ----
    // On open the table takes the source's structure (LoadStructure) and rows
    // (LoadRecords), then closes the source when DataSetClosed is set.
    TDataSet* DataSet() const { return source_; }
    void SetDataSet(TDataSet* Value);
    bool LoadStructure() const { return loadStructure_; }
    void SetLoadStructure(bool Value) { loadStructure_ = Value; }
    bool LoadRecords() const { return loadRecords_; }
    void SetLoadRecords(bool Value) { loadRecords_ = Value; }
    bool DataSetClosed() const { return dataSetClosed_; }
    void SetDataSetClosed(bool Value) { dataSetClosed_ = Value; }
    // A closed table takes the source's data fields as its field definitions.
    void CopyStructure(TDataSet* Source);
    // Appends every row of Source (fields matched by name) as loaded rows.
    void LoadFromDataSet(TDataSet* Source);
    // Appends every row of the table to Dest (fields matched by name).
    void SaveToDataSet(TDataSet* Dest);

    // ---- Change tracking ----
    TApplyMode ApplyMode() const { return applyMode_; }
    // Takes effect at the next open (the status field is part of the layout).
    void SetApplyMode(TApplyMode Value);
    // With ExactApply a row to update or delete that the source lacks stops
    // the apply with "Record not found"; without, it is skipped.
    bool ExactApply() const { return exactApply_; }
    void SetExactApply(bool Value) { exactApply_ = Value; }
    // The fields that find a row in the source (";" between names); the
    // first data field when empty.
    const AnsiString& IndexFieldNames() const { return indexFieldNames_; }
    void SetIndexFieldNames(const AnsiString& Value) { indexFieldNames_ = Value; }
    // The status of the current record; rsUnchanged without tracking.
    TRecordStatus RecordStatus() const;
    // Key values of the rows deleted since the last load or apply.
    const std::vector<Variant>& DeletedKeys() const { return deletedKeys_; }
    // Writes the recorded changes to the source, then marks every row
    // unchanged and forgets the deleted keys.
    void ApplyChanges();

    // ---- Records and blobs ----
    std::unique_ptr<TStMemBlobStream> CreateBlobStream(TField* Field, TBlobStreamMode Mode);

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalPost(bool Inserting) override;
    void InternalDelete() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TStMemoryRecord;
    void TakeStructure(TDataSet* Source);
    std::vector<TField*> KeyFieldList() const;
    Variant KeyValuesOf(const std::vector<TField*>& Keys, TDataSet* From) const;
    void CopyRowTo(uint32_t Row, TDataSet* Dest) const;
    void SetRowStatus(uint32_t Row, int Status);
    void LoadRows(TDataSet* Source);

    int64_t autoIncValue_ = 1;
    bool defsFromFields_ = false;
    int capacity_ = 0;
    TDataSet* source_ = nullptr;
    bool loadStructure_ = false;
    bool loadRecords_ = false;
    bool dataSetClosed_ = false;
    TApplyMode applyMode_ = amNone;
    bool exactApply_ = false;
    AnsiString indexFieldNames_;
    TField* statusField_ = nullptr;
    bool loading_ = false;
    std::vector<Variant> deletedKeys_;
    std::vector<TStMemoryRecord*> records_;
};

// One row of a table as an object. Creating it adds a row (at the end, or
// before the record at Index); SetIndex moves the row; destroying the object
// removes the row. Closing the table removes every row, and a record object
// then belongs to no table (Owner() is nullptr).
class TStMemoryRecord : public TPersistent {
public:
    explicit TStMemoryRecord(TStMemoryData* Owner);
    TStMemoryRecord(TStMemoryData* Owner, int Index);
    ~TStMemoryRecord() override;
    const char* ClassName() const override { return "TStMemoryRecord"; }

    TStMemoryData* Owner() const { return owner_; }
    // The record's identity, its bookmark.
    int ID() const { return id_; }
    // Its place among the table's records, 0-based; -1 once it is gone.
    int Index() const;
    // Moves the row; it keeps its values but gets a new identity, since the
    // table orders rows by when they were added.
    void SetIndex(int Value);
    Variant Values(const AnsiString& FieldName) const;

private:
    friend class TStMemoryData;
    void Add(int Index);
    uint32_t Row() const { return static_cast<uint32_t>(id_ - TStMemoryData::kFirstRecordId); }
    TStMemoryData* owner_;
    int id_ = 0;
};
