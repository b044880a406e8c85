#pragma once
// Byte streams: TStream, the memory streams, TStringStream and TFileStream.
#include <cstdint>

#include "platform/classes/Classes.h"

enum TSeekOrigin { soBeginning, soCurrent, soEnd };
// The older integer origins, same values.
enum : int { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TStream : public TObject {
public:
    const char* ClassName() const override { return "TStream"; }

    // Transfer up to Count bytes; answer how many moved.
    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
    // Answers the new position.
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

    // All or nothing: a short transfer raises EReadError "Stream read error"
    // or EWriteError "Stream write error".
    void ReadBuffer(void* Buffer, int64_t Count);
    void WriteBuffer(const void* Buffer, int64_t Count);
    // Copies Count bytes from Source's position; Count 0 copies all of Source from its start.
    int64_t CopyFrom(TStream* Source, int64_t Count);

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t NewSize);
};

// A stream over one block of memory owned elsewhere (or by a subclass).
class TCustomMemoryStream : public TStream {
public:
    const char* ClassName() const override { return "TCustomMemoryStream"; }

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return size_; }
    void SaveToStream(TStream* Stream);
    void SaveToFile(const AnsiString& FileName);
    void* Memory() const { return memory_; }

protected:
    void SetPointer(void* Ptr, int64_t Size) {
        memory_ = Ptr;
        size_ = Size;
    }
    int64_t position_ = 0;

private:
    void* memory_ = nullptr;
    int64_t size_ = 0;
};

// A growable memory stream. The buffer comes from std::malloc/std::realloc and
// goes back through std::free, so an overriding Realloc must use the same heap.
class TMemoryStream : public TCustomMemoryStream {
public:
    ~TMemoryStream() override;
    const char* ClassName() const override { return "TMemoryStream"; }

    int64_t Write(const void* Buffer, int64_t Count) override;
    void SetSize(int64_t NewSize) override;
    void Clear();
    void LoadFromStream(TStream* Stream);
    void LoadFromFile(const AnsiString& FileName);
    int64_t Capacity() const { return capacity_; }

protected:
    void SetCapacity(int64_t NewCapacity);
    // Answers a buffer of NewCapacity bytes holding the current data (nullptr for 0).
    // The default rounds a request that differs from Size up to 8 KB steps; it may
    // change NewCapacity. Raises EStreamError when memory runs out.
    virtual void* Realloc(int64_t& NewCapacity);

private:
    int64_t capacity_ = 0;
};

// A stream over a byte string.
class TStringStream : public TStream {
public:
    explicit TStringStream(const AnsiString& AString = AnsiString()) : data_(AString) {}
    const char* ClassName() const override { return "TStringStream"; }

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;
    // Reads up to Count bytes from the position.
    AnsiString ReadString(int64_t Count);
    void WriteString(const AnsiString& AString) { Write(AString.data(), static_cast<int64_t>(AString.size())); }
    const AnsiString& DataString() const { return data_; }

private:
    AnsiString data_;
    int64_t position_ = 0;
};

// File open modes. Sharing flags are accepted and ignored.
enum : uint32_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

// A stream over an open file descriptor; it closes nothing it did not open.
class THandleStream : public TStream {
public:
    explicit THandleStream(int AHandle) : handle_(AHandle) {}
    const char* ClassName() const override { return "THandleStream"; }

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    // Truncates or extends the file and leaves the position at NewSize.
    void SetSize(int64_t NewSize) override;
    int Handle() const { return handle_; }

protected:
    int handle_;
};

// fmCreate creates or truncates (EFCreateError "Cannot create file <name>");
// the open modes need an existing file (EFOpenError "Cannot open file <name>").
// The system's reason follows the name.
class TFileStream : public THandleStream {
public:
    TFileStream(const AnsiString& AFileName, uint32_t Mode);
    ~TFileStream() override;
    const char* ClassName() const override { return "TFileStream"; }
    const AnsiString& FileName() const { return fileName_; }

private:
    AnsiString fileName_;
};
