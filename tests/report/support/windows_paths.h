// Where the Windows tests find the programs they start and keep their files.
#pragma once

#include <string>

namespace callbench {

// A program that lies beside the test program.
std::string beside_tests(const std::string& name);
// A program in the build's root folder (callbench.exe, callbench-report.exe).
std::string in_build_root(const std::string& name);

// A new, empty folder of the test's own, removed with the object.
class ScratchFolder {
 public:
  ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

}  // namespace callbench
