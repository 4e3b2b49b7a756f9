// Times translate_english_line over every line of a text file and checks every result.
// Usage: ueb_bench CORPUS [--dump FILE]
// Prints one JSON object: lines, seconds (wall clock), cpu_seconds, lines_per_second, failures,
// braille_bytes.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "braille/embedded_tables.h"
#include "braille/ueb/line.h"
#include "braille/ueb/ueb_table.h"
#include "common/utf8.h"

namespace {

using kotori::braille::ueb::EnglishLine;

// Every cell a braille pattern; one non-decreasing entry per character, none past the end.
bool well_formed(std::string_view text, const EnglishLine& line) {
  const std::u32string cells = kotori::utf8::to_u32(line.braille);
  for (char32_t c : cells) {
    if (c < 0x2800 || c > 0x28FF) return false;
  }
  if (line.text_to_braille.size() != kotori::utf8::to_u32(text).size()) return false;
  for (std::size_t i = 0; i < line.text_to_braille.size(); ++i) {
    if (line.text_to_braille[i] > cells.size()) return false;
    if (i > 0 && line.text_to_braille[i - 1] > line.text_to_braille[i]) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::string_view(argv[2]) == "--dump")) {
    std::cerr << "usage: ueb_bench CORPUS [--dump FILE]\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "cannot open " << argv[1] << "\n";
    return 2;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));

  std::string_view document;
  for (const auto& doc : kotori::braille::embedded_documents()) {
    if (doc.name == "english_ueb_grade2") document = doc.text;
  }
  auto table = kotori::braille::ueb::compile_ueb_table(document);
  if (!table) {
    std::cerr << table.error().display() << "\n";
    return 1;
  }
  const auto translator = kotori::braille::ueb::build_english_translator(*table);

  std::size_t braille_bytes = 0;  // keeps the timed results observable
  const std::clock_t cpu_begin = std::clock();
  const auto begin = std::chrono::steady_clock::now();
  for (const std::string& line : lines) {
    braille_bytes += kotori::braille::ueb::translate_english_line(translator, line).braille.size();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  const double cpu_seconds = static_cast<double>(std::clock() - cpu_begin) / CLOCKS_PER_SEC;

  // The check runs apart from the timed pass.
  std::size_t failures = 0;
  std::ofstream dump;
  if (argc == 4) dump.open(argv[3], std::ios::binary);
  for (const std::string& line : lines) {
    const EnglishLine out = kotori::braille::ueb::translate_english_line(translator, line);
    if (!well_formed(line, out)) ++failures;
    if (dump) dump << out.braille << '\n';
  }
  std::printf(
      "{\"lines\": %zu, \"seconds\": %.6f, \"cpu_seconds\": %.6f, \"lines_per_second\": %.1f, "
      "\"failures\": %zu, \"braille_bytes\": %zu}\n",
      lines.size(), seconds, cpu_seconds,
      seconds > 0 ? static_cast<double>(lines.size()) / seconds : 0.0, failures, braille_bytes);
  return failures == 0 ? 0 : 1;
}
