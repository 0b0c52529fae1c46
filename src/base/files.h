// Sequential text files: open by name in mode R, W or A, read a line (LF, CR
// or CR LF end it), write a line with CR LF, close, delete.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "base/text.h"

namespace keldar {

// One open file or nothing. Move-only; closes itself when destroyed.
class FileHandle {
 public:
  FileHandle() = default;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
  FileHandle& operator=(FileHandle&& other) noexcept;
  ~FileHandle();

  bool isOpen() const { return file_ != nullptr; }
  std::FILE* get() const { return file_; }
  void reset(std::FILE* file = nullptr);
  // Gives up ownership without closing.
  std::FILE* release() {
    std::FILE* file = file_;
    file_ = nullptr;
    return file;
  }

 private:
  std::FILE* file_ = nullptr;
};

// 0 when open, 1 when the open failed or the mode is unknown (handle unchanged).
int openFile(FileHandle& handle, const std::string& path, std::string_view mode);
// 0 when a line (possibly empty) was read, -1 at the end or with no file.
int readLine(FileHandle& handle, BasicString& target);
// Writes the text and CR LF; returns the bytes written (0 with no file).
int writeLine(FileHandle& handle, std::string_view text);
void closeFile(FileHandle& handle);
// Closes and tells whether every write since opening reached the file.
bool closeFileChecked(FileHandle& handle);
void deleteFile(const std::string& path);
// "a directory", "a FIFO", "a device"... for something at path that is not a
// plain file (links followed): such a thing is never read or written over.
// Empty for a plain file or nothing at all.
std::string nonFileKind(const std::string& path);

}  // namespace keldar
