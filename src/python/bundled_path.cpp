#include "python/bundled_path.h"

namespace kotori::python {

std::optional<std::string> parent_directory(std::string_view path) {
  // Trailing separators and "." components do not name a component of their own.
  while (true) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    if (path.size() >= 2 && path.ends_with("/.")) {
      path.remove_suffix(2);
      continue;
    }
    break;
  }
  if (path.empty() || path == "/") return std::nullopt;
  if (path == ".") return std::string();
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return std::string();
  std::string_view parent = path.substr(0, slash);
  while (parent.size() > 1 && parent.back() == '/') parent.remove_suffix(1);
  if (parent.empty()) return std::string("/");
  return std::string(parent);
}

std::string bundled_model_path(std::string_view directory, std::uint32_t window) {
  std::string name = "basic_data_" + std::to_string(window) + ".kbm";
  if (directory.empty()) return name;
  std::string joined(directory);
  if (joined.back() != '/') joined.push_back('/');
  return joined + name;
}

}  // namespace kotori::python
