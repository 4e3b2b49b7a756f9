#include "core/brackets.h"

#include <cstdint>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "core/brackets_merge.h"

namespace kotori::core {
namespace {

constexpr std::uint32_t kNoMatch = UINT32_MAX;

bool is_group_opener(char32_t c) { return c == U'(' || c == U'（' || c == U'｛'; }
bool is_group_closer(char32_t c) { return c == U')' || c == U'）' || c == U'｝'; }
bool closes(char32_t opener, char32_t closer) {
  return (opener == U'(' && closer == U')') || (opener == U'（' && closer == U'）') ||
         (opener == U'｛' && closer == U'｝');
}

enum class Single { None, Opening, Closing };

Single single_kind(char32_t c) {
  constexpr std::u32string_view kOpening = U"(（｛「『【‘“";
  constexpr std::u32string_view kClosing = U")）｝」』】’”";
  if (kOpening.find(c) != std::u32string_view::npos) return Single::Opening;
  if (kClosing.find(c) != std::u32string_view::npos) return Single::Closing;
  return Single::None;
}

struct Group {
  std::uint32_t opening = 0;      // offset of the opening bracket
  std::uint32_t inner_begin = 0;  // = opening + its length
  std::uint32_t closing = 0;      // offset of the closing bracket = inner end
  std::uint32_t closing_end = 0;
};

// Reads the bracket levels of one text. Level 0 is the whole text; every accepted group is a
// level of its own, read from its inner text with fresh state. A level's reading leaves room
// for the readings of its groups, and all readings are joined once at the end.
class LevelReader {
 public:
  LevelReader(const PredictorRef& predictor, std::string_view text)
      : p_(predictor), text_(text) {}

  CorePrediction run() {
    find_matches();
    levels_.emplace_back();
    std::vector<Task> tasks{{0, static_cast<std::uint32_t>(text_.size()), 0}};
    while (!tasks.empty()) {
      const Task task = tasks.back();
      tasks.pop_back();
      read_level(task, tasks);
    }
    return assemble();
  }

 private:
  struct Task {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    std::uint32_t level = 0;
  };

  // For every group opener, the offset of the bracket at which the depth counted from it
  // returns to zero (any of the three closers), or kNoMatch. One pass with a stack.
  void find_matches() {
    std::vector<std::uint32_t> open;
    for (std::size_t pos = 0; pos < text_.size();) {
      const auto at = static_cast<std::uint32_t>(pos);
      const char32_t c = utf8::decode(text_, pos);
      if (is_group_opener(c)) {
        open.push_back(at);
        if (match_.empty()) match_.assign(text_.size(), kNoMatch);
      } else if (is_group_closer(c) && !open.empty()) {
        match_[open.back()] = at;
        open.pop_back();
      }
    }
  }

  // The accepted groups of the level text [begin, end), in text order.
  void scan_groups(std::uint32_t begin, std::uint32_t end, std::vector<Group>& groups) const {
    groups.clear();
    std::size_t pos = begin;
    while (pos < end) {
      const auto at = static_cast<std::uint32_t>(pos);
      const char32_t c = utf8::decode(text_, pos);
      if (!is_group_opener(c) || match_[at] == kNoMatch || match_[at] >= end) continue;
      std::size_t close_end = match_[at];
      const char32_t closer = utf8::decode(text_, close_end);
      if (!closes(c, closer)) continue;  // read on from the character after the opener
      groups.push_back({at, static_cast<std::uint32_t>(pos), match_[at],
                        static_cast<std::uint32_t>(close_end)});
      pos = close_end;
    }
  }

  void read_level(const Task& task, std::vector<Task>& tasks);
  Reading read_segment(std::string_view main, std::span<const std::uint32_t> main_to_text,
                       std::string_view context, std::span<const std::uint32_t> main_to_context);
  CorePrediction assemble() const;

  const PredictorRef& p_;
  std::string_view text_;
  std::vector<std::uint32_t> match_;  // per byte; empty when the text has no group opener
  std::vector<Reading> levels_;
  PipelineScratch scratch_;
  std::vector<Group> groups_;
};

void LevelReader::read_level(const Task& task, std::vector<Task>& tasks) {
  scan_groups(task.begin, task.end, groups_);
  std::string main;
  std::vector<std::uint32_t> main_to_text;
  std::string context;
  std::vector<std::uint32_t> main_to_context;
  std::size_t from = task.begin;
  const auto keep = [&](std::size_t to) {
    for (std::size_t b = from; b < to; ++b) {
      main_to_text.push_back(static_cast<std::uint32_t>(b));
      main_to_context.push_back(static_cast<std::uint32_t>(context.size() + (b - from)));
    }
    main.append(text_, from, to - from);
    context.append(text_, from, to - from);
  };
  Splices groups;
  for (const Group& g : groups_) {
    keep(g.opening);
    utf8::append(context, kGroupPlaceholder);
    from = g.closing_end;

    const auto child = static_cast<std::uint32_t>(levels_.size());
    levels_.emplace_back();
    tasks.push_back({g.inner_begin, g.closing, child});
    const auto begin = static_cast<std::uint32_t>(groups.bytes.kana.size());
    groups.bytes.append(text_.substr(g.opening, g.inner_begin - g.opening), g.opening, 1.0f);
    groups.bytes.append(text_.substr(g.closing, g.closing_end - g.closing), g.closing, 1.0f);
    groups.items.push_back({begin, static_cast<std::uint32_t>(groups.bytes.kana.size()),
                            g.opening, false, static_cast<std::int32_t>(child),
                            g.inner_begin - g.opening});
  }
  keep(task.end);
  if (groups.empty()) {
    levels_[task.level] = read_segment(main, main_to_text, {}, {});
  } else {
    const Reading reading = read_segment(main, main_to_text, context, main_to_context);
    levels_[task.level] = merge_splices(reading, groups, text_);
  }
}

// Single brackets and quotes of a bracket-free text: kept as they are, seen by the
// classifier as placeholders. Without a context the text is its own context.
Reading LevelReader::read_segment(std::string_view main,
                                  std::span<const std::uint32_t> main_to_text,
                                  std::string_view context,
                                  std::span<const std::uint32_t> main_to_context) {
  Splices singles;
  std::string reduced;
  std::vector<std::uint32_t> reduced_to_main;
  for (std::size_t pos = 0; pos < main.size();) {
    const std::size_t at = pos;
    const Single kind = single_kind(utf8::decode(main, pos));
    if (kind == Single::None) {
      for (std::size_t b = at; b < pos; ++b) {
        reduced_to_main.push_back(static_cast<std::uint32_t>(b));
      }
      reduced.append(main, at, pos - at);
      continue;
    }
    const auto begin = static_cast<std::uint32_t>(singles.bytes.kana.size());
    singles.bytes.append(main.substr(at, pos - at), main_to_text[at], 1.0f);
    singles.items.push_back({begin, static_cast<std::uint32_t>(singles.bytes.kana.size()),
                             main_to_text[at], kind == Single::Opening});
  }

  const bool own_context = context.empty();
  if (own_context) context = main;
  CorePrediction predicted;
  if (singles.empty()) {
    predicted = predict_units(p_, main, own_context ? std::string_view() : context,
                              main_to_context, scratch_);
  } else {
    // The context with every single bracket or quote as a placeholder.
    std::string rewritten;
    std::vector<std::uint32_t> context_map(context.size());
    for (std::size_t pos = 0; pos < context.size();) {
      const std::size_t at = pos;
      const Single kind = single_kind(utf8::decode(context, pos));
      const auto to = static_cast<std::uint32_t>(rewritten.size());
      for (std::size_t b = at; b < pos; ++b) context_map[b] = to;
      if (kind == Single::None) {
        rewritten.append(context, at, pos - at);
      } else {
        utf8::append(rewritten,
                     kind == Single::Opening ? kOpeningPlaceholder : kClosingPlaceholder);
      }
    }
    std::vector<std::uint32_t> reduced_to_context(reduced.size());
    for (std::size_t r = 0; r < reduced.size(); ++r) {
      const std::uint32_t m = reduced_to_main[r];
      reduced_to_context[r] = context_map[own_context ? m : main_to_context[m]];
    }
    predicted = predict_units(p_, reduced, rewritten, reduced_to_context, scratch_);
  }

  Reading reading;
  reading.kana = std::move(predicted.kana);
  reading.confidence = std::move(predicted.confidence);
  reading.kana_to_source = std::move(predicted.kana_to_source);
  for (std::uint32_t& v : reading.kana_to_source) {
    std::uint32_t m = v;
    if (!singles.empty()) m = v < reduced_to_main.size() ? reduced_to_main[v] : kNoMatch;
    v = m < main_to_text.size() ? main_to_text[m] : static_cast<std::uint32_t>(text_.size());
  }
  if (singles.empty()) return reading;
  return merge_splices(reading, singles, text_);
}

// Joins the level readings, each group's reading inside its brackets, without recursion.
CorePrediction LevelReader::assemble() const {
  CorePrediction out;
  out.source = std::string(text_);
  struct Frame {
    std::uint32_t level;
    std::size_t pos;
    std::size_t child;
  };
  std::vector<Frame> stack{{0, 0, 0}};
  while (!stack.empty()) {
    Frame& f = stack.back();
    const Reading& r = levels_[f.level];
    const std::size_t until =
        f.child < r.children.size() ? r.children[f.child].first : r.kana.size();
    out.kana.append(r.kana, f.pos, until - f.pos);
    out.confidence.insert(out.confidence.end(), r.confidence.begin() + f.pos,
                          r.confidence.begin() + until);
    out.kana_to_source.insert(out.kana_to_source.end(), r.kana_to_source.begin() + f.pos,
                              r.kana_to_source.begin() + until);
    f.pos = until;
    if (f.child < r.children.size()) {
      const std::uint32_t child = r.children[f.child].second;
      ++f.child;
      stack.push_back({child, 0, 0});  // invalidates `f`
    } else {
      stack.pop_back();
    }
  }
  out.derive_source_to_kana();
  return out;
}

}  // namespace

CorePrediction predict_text(const PredictorRef& predictor, std::string_view text) {
  return LevelReader(predictor, text).run();
}

}  // namespace kotori::core
