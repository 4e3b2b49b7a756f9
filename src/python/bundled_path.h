#pragma once
// Where from_bundled looks for a model: beside the module file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kotori::python {

// The parent directory of `path`, or nullopt when it has none (the empty path or a bare
// root). A bare file name has the empty path as parent.
std::optional<std::string> parent_directory(std::string_view path);

// `directory` joined with "basic_data_<window>.kbm".
std::string bundled_model_path(std::string_view directory, std::uint32_t window);

}  // namespace kotori::python
