#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/db/stream.h"

namespace db {
namespace {

TEST(MemoryStreams, ReadWriteSeekAndSize) {
    TMemoryStream stream;
    stream.WriteString("0123456789");
    EXPECT_EQ(stream.Size(), 10);
    EXPECT_EQ(stream.Position(), 10);
    EXPECT_EQ(stream.Seek(-3, soFromEnd), 7);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 3);
    EXPECT_EQ(std::string(buffer, 3), "789");
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    stream.SetPosition(12);
    stream.WriteString("x");
    EXPECT_EQ(stream.Size(), 13);
    EXPECT_EQ(stream.Bytes(), std::string("0123456789\0\0x", 13));
    stream.SetSize(4);
    EXPECT_EQ(stream.Position(), 4);
    stream.SetPosition(0);
    EXPECT_EQ(stream.ReadAll(), "0123");
    stream.SetPosition(2);
    EXPECT_THROW(stream.ReadBuffer(buffer, 3), EReadError);
}

TEST(MemoryStreams, CopyFromTakesTheWholeSourceForCountZero) {
    TMemoryStream source;
    source.WriteString("abcdef");
    TMemoryStream target;
    target.WriteString(">");
    EXPECT_EQ(target.CopyFrom(source, 0), 6);
    source.SetPosition(1);
    target.CopyFrom(source, 2);
    EXPECT_EQ(target.Bytes(), ">abcdefbc");
    source.SetPosition(5);
    EXPECT_THROW(target.CopyFrom(source, 3), EReadError);
}

TEST(FileStreams, CreateWriteReopenAndFail) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("db_stream_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "ä data.bin").string();
    {
        TFileStream file(path, fmCreate);
        file.WriteString("hello world");
        file.SetSize(5);
    }
    {
        TFileStream file(path, fmOpenRead);
        EXPECT_EQ(file.Size(), 5);
        EXPECT_EQ(file.ReadAll(), "hello");
        EXPECT_THROW(file.WriteBuffer("x", 1), EWriteError);
    }
    TMemoryStream memory;
    memory.LoadFromFile(path);
    EXPECT_EQ(memory.Bytes(), "hello");
    try {
        TFileStream missing((dir / "missing").string(), fmOpenReadWrite);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + (dir / "missing").string());
    }
    EXPECT_THROW(TFileStream((dir / "no" / "such").string(), fmCreate), EFCreateError);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace db
