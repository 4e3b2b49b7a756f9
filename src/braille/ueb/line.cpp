#include "braille/ueb/line.h"

#include "braille/ueb/indicators.h"
#include "braille/ueb/text.h"
#include "braille/ueb/word.h"
#include "common/utf8.h"

namespace kotori::braille::ueb {
namespace {

// A quotation mark here opens a quotation: line start, blank, opening bracket, hyphen, solidus,
// dash or opening typographic quote before it.
bool opens_quotation(std::u32string_view line, std::size_t z) {
  if (z == 0) return true;
  switch (line[z - 1]) {
    case U'\t':
    case U' ':
    case U'(':
    case U'[':
    case U'{':
    case U'-':
    case U'/':
    case U'\u2013':
    case U'\u2014':
    case U'\u2018':
    case U'\u201C':
      return true;
    default:
      return false;
  }
}

void write_other(const EnglishTranslator& t, std::u32string_view line, std::size_t z,
                 LineOutput& out) {
  const char32_t c = line[z];
  out.text_to_braille[z] = out.braille.size();
  if (c == U'\t' || c == U' ') {
    out.braille.push_back(kBlankCell);
  } else if (auto q = t.quotes.find(c); q != t.quotes.end()) {
    out.braille += opens_quotation(line, z) ? q->second.first : q->second.second;
  } else if (auto p = t.punctuation.find(c); p != t.punctuation.end()) {
    out.braille += p->second;
  } else {
    out.braille.push_back(kBlankCell);
  }
}

}  // namespace

EnglishLine translate_english_line(const EnglishTranslator& t, std::string_view text) {
  const std::u32string line = utf8::to_u32(text);
  const std::size_t n = line.size();
  LineOutput out;
  out.braille.reserve(n + n / 4);
  out.text_to_braille.assign(n, 0);
  WordScratch scratch;

  const std::vector<CapitalPassage> passages = find_capital_passages(t, line);
  std::size_t next_passage = 0;
  const CapitalPassage* current = nullptr;
  bool after_number = false;
  std::size_t z = 0;
  while (z < n) {
    if (current != nullptr && z >= current->end) {
      out.braille += t.capital_terminator;
      current = nullptr;
    }
    if (next_passage < passages.size() && passages[next_passage].start == z) {
      current = &passages[next_passage++];
    }
    const char32_t c = line[z];
    if (is_ascii_letter(c)) {
      std::size_t e = z + 1;
      while (e < n && is_ascii_letter(line[e])) ++e;
      const WordFlags flags{after_number, current != nullptr,
                            current != nullptr && current->start == z};
      translate_word(t, line, z, e, flags, out, scratch);
      after_number = false;
      z = e;
    } else if (is_ascii_digit(c)) {
      z = translate_number(t, line, z, out);
      after_number = true;
    } else if ((c == U'.' || c == U',') && after_number) {
      out.text_to_braille[z] = out.braille.size();
      if (auto p = t.punctuation.find(c); p != t.punctuation.end()) out.braille += p->second;
      ++z;
    } else {
      after_number = false;
      write_other(t, line, z, out);
      ++z;
    }
  }
  if (current != nullptr && current->end == n) out.braille += t.capital_terminator;

  EnglishLine result;
  result.braille = utf8::from_u32(out.braille);
  result.text_to_braille = std::move(out.text_to_braille);
  return result;
}

}  // namespace kotori::braille::ueb
