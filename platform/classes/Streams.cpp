#include "platform/classes/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
    if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
    if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
    if (Count == 0) {
        Source->SetPosition(0);
        Count = Source->Size();
    }
    const int64_t result = Count;
    std::vector<char> buffer(static_cast<size_t>(std::min<int64_t>(Count, 0xF000)));
    while (Count > 0) {
        int64_t n = std::min<int64_t>(Count, static_cast<int64_t>(buffer.size()));
        Source->ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        Count -= n;
    }
    return result;
}

int64_t TStream::Size() {
    int64_t pos = Seek(0, soCurrent);
    int64_t result = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return result;
}

void TStream::SetSize(int64_t) {}

// --- memory streams ---

int64_t TCustomMemoryStream::Read(void* Buffer, int64_t Count) {
    if (position_ < 0 || Count < 0) return 0;
    int64_t n = std::min(Count, size_ - position_);
    if (n <= 0) return 0;
    std::memmove(Buffer, static_cast<char*>(memory_) + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    switch (Origin) {
    case soBeginning: position_ = Offset; break;
    case soCurrent: position_ += Offset; break;
    case soEnd: position_ = size_ + Offset; break;
    }
    return position_;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
    if (size_ != 0) Stream->WriteBuffer(memory_, size_);
}

void TCustomMemoryStream::SaveToFile(const AnsiString& FileName) {
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

TMemoryStream::~TMemoryStream() {
    std::free(Memory());
}

void TMemoryStream::Clear() {
    SetCapacity(0);
    SetPointer(Memory(), 0);
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
    Stream->SetPosition(0);
    int64_t count = Stream->Size();
    SetSize(count);
    if (count != 0) Stream->ReadBuffer(Memory(), count);
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TMemoryStream::SetCapacity(int64_t NewCapacity) {
    void* memory = Realloc(NewCapacity);
    SetPointer(memory, Size());
    capacity_ = NewCapacity;
}

void* TMemoryStream::Realloc(int64_t& NewCapacity) {
    const int64_t delta = 0x2000;
    if (NewCapacity > 0 && NewCapacity != Size()) NewCapacity = (NewCapacity + (delta - 1)) & ~(delta - 1);
    void* result = Memory();
    if (NewCapacity != capacity_) {
        if (NewCapacity == 0) {
            std::free(result);
            return nullptr;
        }
        result = std::realloc(result, static_cast<size_t>(NewCapacity));
        if (!result) throw EStreamError("Out of memory while expanding memory stream");
    }
    return result;
}

void TMemoryStream::SetSize(int64_t NewSize) {
    if (NewSize < 0) NewSize = 0;
    int64_t oldPosition = position_;
    SetCapacity(NewSize);
    SetPointer(Memory(), NewSize);
    if (oldPosition > NewSize) Seek(0, soEnd);
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
    if (position_ < 0 || Count < 0) return 0;
    int64_t end = position_ + Count;
    if (end > Size()) {
        if (end > capacity_) SetCapacity(end);
        // Bytes between the old end and a position past it read as zero.
        if (position_ > Size())
            std::memset(static_cast<char*>(Memory()) + Size(), 0, static_cast<size_t>(position_ - Size()));
        SetPointer(Memory(), end);
    }
    if (Count > 0) std::memmove(static_cast<char*>(Memory()) + position_, Buffer, static_cast<size_t>(Count));
    position_ = end;
    return Count;
}

// --- string stream ---

int64_t TStringStream::Read(void* Buffer, int64_t Count) {
    int64_t size = static_cast<int64_t>(data_.size());
    if (position_ < 0 || Count <= 0 || position_ >= size) return 0;
    int64_t n = std::min(Count, size - position_);
    std::memcpy(Buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TStringStream::Write(const void* Buffer, int64_t Count) {
    if (position_ < 0 || Count < 0) return 0;
    size_t end = static_cast<size_t>(position_ + Count);
    if (end > data_.size()) data_.resize(end, '\0');
    if (Count > 0) std::memcpy(&data_[static_cast<size_t>(position_)], Buffer, static_cast<size_t>(Count));
    position_ += Count;
    return Count;
}

int64_t TStringStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    int64_t size = static_cast<int64_t>(data_.size());
    switch (Origin) {
    case soBeginning: position_ = Offset; break;
    case soCurrent: position_ += Offset; break;
    case soEnd: position_ = size + Offset; break;
    }
    position_ = std::clamp<int64_t>(position_, 0, size);
    return position_;
}

void TStringStream::SetSize(int64_t NewSize) {
    data_.resize(static_cast<size_t>(std::max<int64_t>(NewSize, 0)));
    position_ = std::min<int64_t>(position_, static_cast<int64_t>(data_.size()));
}

AnsiString TStringStream::ReadString(int64_t Count) {
    int64_t size = static_cast<int64_t>(data_.size());
    int64_t n = std::max<int64_t>(0, std::min(Count, size - position_));
    AnsiString result = data_.substr(static_cast<size_t>(position_), static_cast<size_t>(n));
    position_ += n;
    return result;
}

// --- file streams ---

int64_t THandleStream::Read(void* Buffer, int64_t Count) {
    int64_t done = 0;
    char* p = static_cast<char*>(Buffer);
    while (done < Count) {
        ssize_t n = ::read(handle_, p + done, static_cast<size_t>(Count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t THandleStream::Write(const void* Buffer, int64_t Count) {
    int64_t done = 0;
    const char* p = static_cast<const char*>(Buffer);
    while (done < Count) {
        ssize_t n = ::write(handle_, p + done, static_cast<size_t>(Count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
    off_t result = ::lseek(handle_, static_cast<off_t>(Offset), whence);
    return static_cast<int64_t>(result);
}

void THandleStream::SetSize(int64_t NewSize) {
    Seek(NewSize, soBeginning);
    if (::ftruncate(handle_, static_cast<off_t>(NewSize)) != 0)
        throw EStreamError(AnsiString("Cannot change the size of a file. ") + std::strerror(errno));
}

namespace {

int OpenFlags(uint32_t mode) {
    switch (mode & 3) {
    case fmOpenWrite: return O_WRONLY;
    case fmOpenReadWrite: return O_RDWR;
    default: return O_RDONLY;
    }
}

AnsiString Reason(int error) { return AnsiString(". ") + std::strerror(error); }

}  // namespace

TFileStream::TFileStream(const AnsiString& AFileName, uint32_t Mode) : THandleStream(-1), fileName_(AFileName) {
    if ((Mode & fmCreate) == fmCreate) {
        handle_ = ::open(AFileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (handle_ < 0) throw EFCreateError("Cannot create file " + FileNameAsText(AFileName) + Reason(errno));
        return;
    }
    handle_ = ::open(AFileName.c_str(), OpenFlags(Mode) | O_CLOEXEC);
    if (handle_ < 0) throw EFOpenError("Cannot open file " + FileNameAsText(AFileName) + Reason(errno));
    struct stat st {};
    if (::fstat(handle_, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(handle_);
        handle_ = -1;
        throw EFOpenError("Cannot open file " + FileNameAsText(AFileName) + Reason(EISDIR));
    }
}

TFileStream::~TFileStream() {
    if (handle_ >= 0) ::close(handle_);
}
