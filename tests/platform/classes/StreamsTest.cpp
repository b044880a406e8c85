#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

#include "platform/classes/Streams.h"
#include "tests/platform/classes/TempFolder.h"

namespace {

AnsiString Contents(TCustomMemoryStream& s) {
    return AnsiString(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

// Grows in its own steps, the way a subclass tunes the buffer for big exports.
class TSteppedStream : public TMemoryStream {
public:
    std::vector<int64_t> requests;

protected:
    void* Realloc(int64_t& NewCapacity) override {
        requests.push_back(NewCapacity);
        if (NewCapacity > 0) NewCapacity = (NewCapacity + 99) / 100 * 100;
        if (NewCapacity == Capacity()) return Memory();
        if (NewCapacity == 0) {
            std::free(Memory());
            return nullptr;
        }
        return std::realloc(Memory(), static_cast<size_t>(NewCapacity));
    }
};

}  // namespace

TEST(TMemoryStream, WriteReadSeekAndResize) {
    TMemoryStream s;
    s.WriteBuffer("hello world", 11);
    EXPECT_EQ(s.Size(), 11);
    EXPECT_EQ(s.Position(), 11);
    EXPECT_GE(s.Capacity(), 11);

    EXPECT_EQ(s.Seek(-5, soEnd), 6);
    char buffer[16] = {};
    EXPECT_EQ(s.Read(buffer, 16), 5);  // a short read is no error for Read
    EXPECT_STREQ(buffer, "world");
    EXPECT_EQ(s.Read(buffer, 4), 0);

    s.SetPosition(0);
    s.WriteBuffer("J", 1);
    EXPECT_EQ(Contents(s), "Jello world");

    s.SetPosition(13);  // writing past the end fills the gap with zeros
    s.WriteBuffer("!", 1);
    EXPECT_EQ(Contents(s), AnsiString("Jello world\0\0!", 14));

    s.SetSize(5);
    EXPECT_EQ(s.Position(), 5);  // the position follows a shrinking end
    EXPECT_EQ(Contents(s), "Jello");
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(s.Memory(), nullptr);
}

TEST(TStream, ShortTransfersRaise) {
    TMemoryStream s;
    s.WriteBuffer("abc", 3);
    s.SetPosition(1);
    char buffer[4];
    try {
        s.ReadBuffer(buffer, 3);
        FAIL() << "short read accepted";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }

    TempFolder folder;
    std::string name = folder.File("ro.bin");
    TempFolder::Write(name, "x");
    TFileStream readOnly(name, fmOpenRead);
    try {
        readOnly.WriteBuffer("y", 1);
        FAIL() << "write to a read-only stream accepted";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "Stream write error");
    }
}

TEST(TStream, CopyFromCopiesPartOrAll) {
    TStringStream source(AnsiString(100000, 'x') + "tail");
    TMemoryStream target;
    source.SetPosition(100000);
    EXPECT_EQ(target.CopyFrom(&source, 2), 2);
    EXPECT_EQ(Contents(target), "ta");
    target.Clear();
    EXPECT_EQ(target.CopyFrom(&source, 0), 100004);  // 0: all of it, from the start
    EXPECT_EQ(Contents(target), source.DataString());
    EXPECT_THROW(target.CopyFrom(&source, 1), EReadError);  // source is at its end
}

TEST(TMemoryStream, ReallocCanBeOverridden) {
    TSteppedStream s;
    s.WriteBuffer("0123456789", 10);
    EXPECT_EQ(s.Capacity(), 100);
    s.WriteBuffer(AnsiString(95, 'y').data(), 95);
    EXPECT_EQ(s.Capacity(), 200);
    EXPECT_EQ(s.requests, (std::vector<int64_t>{10, 105}));
    EXPECT_EQ(Contents(s).substr(0, 12), "0123456789yy");
    s.Clear();
    EXPECT_EQ(s.Capacity(), 0);
}

TEST(TMemoryStream, FilesRoundTrip) {
    TempFolder folder;
    TMemoryStream s;
    const AnsiString bytes("\0\xFF\r\n\x80z", 6);
    s.WriteBuffer(bytes.data(), 6);
    s.SaveToFile(folder.File("m.bin"));
    TMemoryStream back;
    back.LoadFromFile(folder.File("m.bin"));
    EXPECT_EQ(Contents(back), bytes);
}

TEST(TFileStream, CreateTruncatesAndOpenModesRespectTheFile) {
    TempFolder folder;
    std::string name = folder.File("data.bin");
    TempFolder::Write(name, "old contents");
    {
        TFileStream s(name, fmCreate | fmShareDenyWrite);
        EXPECT_EQ(s.Size(), 0);
        s.WriteBuffer("new", 3);
    }
    EXPECT_EQ(TempFolder::Read(name), "new");
    {
        TFileStream s(name, fmOpenReadWrite | fmShareDenyNone);
        s.Seek(0, soEnd);
        s.WriteBuffer("er", 2);
        s.SetSize(4);
        EXPECT_EQ(s.Position(), 4);
        s.SetSize(0);
        s.WriteBuffer("z", 1);
    }
    EXPECT_EQ(TempFolder::Read(name), "z");
    {
        TFileStream s(name, fmOpenWrite);
        s.WriteBuffer("Q", 1);
        char c;
        s.SetPosition(0);
        EXPECT_EQ(s.Read(&c, 1), 0);  // write-only
    }
    TFileStream reader(name, fmOpenRead);
    char c = 0;
    reader.ReadBuffer(&c, 1);
    EXPECT_EQ(c, 'Q');
    EXPECT_EQ(reader.FileName(), name);
}

TEST(TFileStream, FailuresRaiseWithTheFileName) {
    TempFolder folder;
    struct Case {
        std::string name;
        uint32_t mode;
        bool create;
    };
    const Case cases[] = {
        {folder.File("missing.bin"), fmOpenRead, false},
        {folder.File("missing.bin"), fmOpenReadWrite, false},
        {folder.Path(), fmOpenRead, false},  // a folder is no file
        {folder.File("no/such/dir.bin"), fmCreate, true},
        {folder.Path(), fmCreate, true},
    };
    for (const auto& c : cases) {
        try {
            TFileStream s(c.name, c.mode);
            ADD_FAILURE() << "opened " << c.name;
        } catch (const EFCreateError& e) {
            EXPECT_TRUE(c.create) << e.Message();
            EXPECT_EQ(e.Message().rfind("Cannot create file " + c.name + ". ", 0), 0u) << e.Message();
        } catch (const EFOpenError& e) {
            EXPECT_FALSE(c.create) << e.Message();
            EXPECT_EQ(e.Message().rfind("Cannot open file " + c.name + ". ", 0), 0u) << e.Message();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("missing.bin")));  // opening never creates
}

TEST(TStringStream, ReadsAndOverwritesItsString) {
    TStringStream s("abcdef");
    EXPECT_EQ(s.ReadString(2), "ab");
    s.WriteString("XYZW!");
    EXPECT_EQ(s.DataString(), "abXYZW!");
    EXPECT_EQ(s.Seek(100, soBeginning), 7);  // clamped to the end
    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(s.DataString(), "abX");
}
