#include "system/windows_names.hpp"

#include <cctype>
#include <string>

namespace callbench {

bool is_windows_device_name(std::string_view file_name) {
  // The part before the first dot, without the spaces Windows drops from its end.
  std::string stem(file_name.substr(0, file_name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (auto& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  if (stem.size() < 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)) return false;
  const std::string_view number = std::string_view(stem).substr(3);
  // Superscript one, two and three, in UTF-8.
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xc2\xb9" ||
         number == "\xc2\xb2" || number == "\xc2\xb3";
}

}  // namespace callbench
