#include "base/files.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace keldar {

namespace {

std::string kindOf(const std::filesystem::file_status& status) {
  switch (status.type()) {
    case std::filesystem::file_type::directory:
      return "a directory";
    case std::filesystem::file_type::fifo:
      return "a FIFO";
    case std::filesystem::file_type::character:
    case std::filesystem::file_type::block:
      return "a device";
    case std::filesystem::file_type::socket:
      return "a socket";
    default:
      return "not a plain file";
  }
}

}  // namespace

std::string nonFileKind(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec || status.type() == std::filesystem::file_type::not_found ||
      status.type() == std::filesystem::file_type::regular) {
    return {};
  }
  return kindOf(status);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    reset(other.file_);
    other.file_ = nullptr;
  }
  return *this;
}

FileHandle::~FileHandle() {
  reset();
}

void FileHandle::reset(std::FILE* file) {
  if (file_ != nullptr) std::fclose(file_);
  file_ = file;
}

int openFile(FileHandle& handle, const std::string& path, std::string_view mode) {
  std::string m;
  for (char c : mode) m += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const char* how = nullptr;
  if (m == "R") how = "rb";
  if (m == "W") how = "w+b";
  if (m == "A") how = "a+b";
  if (how == nullptr || path.empty()) return 1;
  std::FILE* file = std::fopen(path.c_str(), how);
  if (file == nullptr) return 1;
  if (m == "A") std::fseek(file, 0, SEEK_END);
  handle.reset(file);
  return 0;
}

int readLine(FileHandle& handle, BasicString& target) {
  if (!handle.isOpen()) return -1;
  std::FILE* file = handle.get();
  std::string line;
  long consumed = 0;
  for (;;) {
    const int c = std::fgetc(file);
    if (c == EOF) break;
    ++consumed;
    if (c == '\n') break;
    if (c == '\r') {
      const int next = std::fgetc(file);
      if (next != '\n' && next != EOF) std::ungetc(next, file);
      break;
    }
    // Keep reading a long line whole, but never hold more than a field can.
    if (line.size() < BasicString::kCapacity) line += static_cast<char>(c);
  }
  target = line;
  return consumed > 0 ? 0 : -1;
}

int writeLine(FileHandle& handle, std::string_view text) {
  if (!handle.isOpen()) return 0;
  std::FILE* file = handle.get();
  const std::size_t written = std::fwrite(text.data(), 1, text.size(), file);
  const std::size_t end = std::fwrite("\r\n", 1, 2, file);
  std::fflush(file);
  return static_cast<int>(written + end);
}

void closeFile(FileHandle& handle) {
  handle.reset();
}

bool closeFileChecked(FileHandle& handle) {
  std::FILE* file = handle.release();
  if (file == nullptr) return false;
  const bool written = std::fflush(file) == 0 && std::ferror(file) == 0;
  return std::fclose(file) == 0 && written;
}

void deleteFile(const std::string& path) {
  std::remove(path.c_str());
}

}  // namespace keldar
