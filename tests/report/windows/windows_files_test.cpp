// Reports written whole through a new file, and names that are not files refused.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "system/files.hpp"
#include "system/windows_text.hpp"
#include "windows_paths.h"

namespace callbench {
namespace {

std::vector<std::string> names_in(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(widen(folder)))
    names.push_back(narrow(entry.path().filename().wstring()));
  return names;
}

std::string read_handle(HANDLE file) {
  char buffer[64];
  DWORD read = 0;
  ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  ::ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  return std::string(buffer, read);
}

TEST(WindowsFiles, AWriteReplacesTheFileThroughANewOne) {
  ScratchFolder scratch;
  const std::string target = scratch.file("report.json");
  OutputFile::prepare(target).write("old");
  EXPECT_EQ(read_regular_file(target), "old");

  // A reader from before the write keeps the old file, so the new content
  // never went into it: readers see one or the other, never a mix.
  HANDLE reader =
      ::CreateFileW(widen(target).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  OutputFile::prepare(target).write("the new content");
  EXPECT_EQ(read_handle(reader), "old");
  ::CloseHandle(reader);
  EXPECT_EQ(read_regular_file(target), "the new content");
  EXPECT_EQ(names_in(scratch.path()), std::vector<std::string>{"report.json"}) << "a temporary file is left";
}

TEST(WindowsFiles, AFailedWriteLeavesNoTemporaryFile) {
  ScratchFolder scratch;
  const std::string target = scratch.file("report.json");
  const auto file = OutputFile::prepare(target);
  file.write("old");
  // A reader that does not share deletion keeps the old file from being replaced.
  HANDLE reader =
      ::CreateFileW(widen(target).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_THROW(file.write("new"), Error);
  ::CloseHandle(reader);
  EXPECT_EQ(read_regular_file(target), "old");
  EXPECT_EQ(names_in(scratch.path()), std::vector<std::string>{"report.json"});
}

// A name relative to the current folder is replaced as often as it is written.
TEST(WindowsFiles, RelativeNamesAreReplacedEveryTime) {
  ScratchFolder scratch;
  wchar_t before[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(::SetCurrentDirectoryW(widen(scratch.path()).c_str()));
  for (const std::string name : {"r.json", ".\\r.json", "./s.json"}) {
    for (const std::string content : {"first", "second"}) {
      try {
        OutputFile::prepare(name).write(content);
      } catch (const Error& e) {
        ADD_FAILURE() << name << ", " << content << ": " << e.what();
      }
      EXPECT_EQ(read_regular_file(scratch.file(name.substr(name.find_first_not_of("./\\")))), content) << name;
    }
  }
  ::SetCurrentDirectoryW(before);
  EXPECT_EQ(names_in(scratch.path()).size(), 2u) << "a temporary file is left";
}

TEST(WindowsFiles, NamesThatAreNotRegularFilesAreRefusedBeforeAnyRead) {
  ScratchFolder scratch;
  const std::string big = scratch.file("big");
  OutputFile::prepare(big).write(std::string(100, 'x'));
  const std::string read_only = scratch.file("read-only.json");
  OutputFile::prepare(read_only).write("kept");
  ::SetFileAttributesW(widen(read_only).c_str(), FILE_ATTRIBUTE_READONLY);
  const std::string folder = scratch.path();
  const struct {
    bool reading;
    std::string path, message;
  } cases[] = {
      {true, "NUL", "NUL: is a character device"},
      {true, folder, folder + ": is a directory"},
      {true, big, big + ": larger than 99 bytes"},
      {false, "NUL", "NUL: is the name of a device on Windows, not a file"},
      {false, folder, folder + ": is a directory"},
      {false, "", "an empty file name was given"},
      {false, "bad\xff", "\"bad\\xff\": the name is not valid UTF-8"},
      {false, read_only, read_only + ": is read-only"},
  };
  for (const auto& c : cases) {
    try {
      if (c.reading) {
        read_regular_file(c.path, 99);
      } else {
        OutputFile::prepare(c.path);
      }
      ADD_FAILURE() << c.path << " accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), c.message);
    }
  }
  // Devices in every folder, which often cannot be opened to be told apart.
  for (const std::string name : {"PRN", "LPT1", "COM9", "lpt1.json", "Aux.txt"}) {
    const std::string path = scratch.file(name);
    try {
      OutputFile::prepare(path);
      ADD_FAILURE() << path << " accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), path + ": is the name of a device on Windows, not a file");
    }
  }
  ::SetFileAttributesW(widen(read_only).c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace callbench
