// Damaged counts and junk files fail without large allocations.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/model/model.h"
#include "model_file_builder.h"

namespace {
// The largest single allocation made while `tracking` is set.
std::atomic<bool> tracking{false};
std::atomic<std::size_t> largest{0};
}  // namespace

// Counting replacement of every unaligned global allocation function (malloc/free underneath,
// so sanitizers see matching pairs).
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
void* counted_malloc(std::size_t size) noexcept {
  if (tracking.load(std::memory_order_relaxed)) {
    std::size_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {
    }
  }
  return std::malloc(size == 0 ? 1 : size);
}
void* counted_new(std::size_t size) {
  if (void* p = counted_malloc(size)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return counted_new(size); }
void* operator new[](std::size_t size) { return counted_new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return counted_malloc(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return counted_malloc(size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace kotori::core {
namespace {

using testing::base_parts;
using testing::Bytes;
using testing::header;
using testing::Parts;
using testing::write_temp;

constexpr std::size_t kAllocationBound = 32u << 20;

struct Outcome {
  std::expected<Model, ModelError> model;
  std::size_t largest_allocation;
};

Outcome load_tracked(const std::string& bytes) {
  const auto path = write_temp("limits.kbm", bytes);
  largest = 0;
  tracking = true;
  auto model = load_model(path);
  tracking = false;
  return {std::move(model), largest.load()};
}

// The file up to and including `last`, where a damaged count sits.
std::string through(const Parts& p, const std::string& last) {
  std::string bytes;
  for (const std::string* s : p.sections()) {
    bytes += *s;
    if (s == &last) break;
  }
  return bytes;
}

// Each case claims up to 50 000 000 items (within the limit) in a file that then ends soon.
TEST(ModelLimits, HugeCountsInAShortFileFailWithIoAndSmallAllocations) {
  const std::uint32_t kHuge = 50'000'000;
  struct Case {
    const char* name;
    std::function<std::string(Parts&)> file;
  };
  const std::vector<Case> cases = {
      {"classes",
       [](Parts& p) {
         p.header = header(65536, 2);
         p.labels = std::string(500, '\0');
         return through(p, p.labels);
       }},
      {"features", [&](Parts& p) { p.header = header(3, kHuge); return through(p, p.header); }},
      {"features, then a megabyte of entries",
       [&](Parts& p) {
         p.header = header(3, kHuge);
         p.features = std::string(1 << 20, '\0');  // 0x00 keys with column 0
         return through(p, p.features);
       }},
      {"nonzero",
       [&](Parts& p) {
         p.csc = Bytes().u32(kHuge).u32s({0, 0, kHuge});
         return through(p, p.csc);
       }},
      {"vocabulary",
       [&](Parts& p) {
         p.boundary = Bytes().u8(1).u32(2).u32(kHuge);
         return through(p, p.boundary);
       }},
      {"trees",
       [&](Parts& p) {
         p.boundary = Bytes().u8(1).u32(2).u32(0).u32(kHuge);
         return through(p, p.boundary);
       }},
      {"categories",
       [&](Parts& p) {
         p.boundary = Bytes().u8(1).u32(2).u32(0).u32(1).u8(1).u32(0).u8(0).u32(kHuge);
         return through(p, p.boundary);
       }},
      {"names",
       [&](Parts& p) {
         p.names = Bytes().u32(kHuge).raw(std::string(200, '\0'));
         return through(p, p.names);
       }},
      {"table entries",
       [&](Parts& p) {
         p.single = Bytes().u32(kHuge).raw(std::string(200, '\0'));
         return through(p, p.single);
       }},
  };
  for (const Case& c : cases) {
    Parts p = base_parts();
    const Outcome out = load_tracked(c.file(p));
    ASSERT_FALSE(out.model) << c.name;
    EXPECT_EQ(out.model.error().kind, ModelError::Kind::Io)
        << c.name << ": " << out.model.error().display();
    EXPECT_LT(out.largest_allocation, kAllocationBound) << c.name;
  }
}

TEST(ModelLimits, SixtyMegabytesOfJunkFailCleanly) {
  std::mt19937 rng(2024);
  std::string junk(60u << 20, '\0');
  for (char& ch : junk) ch = static_cast<char>(rng());
  const Outcome plain = load_tracked(junk);
  ASSERT_FALSE(plain.model);
  EXPECT_EQ(plain.model.error().kind, ModelError::Kind::BadMagic);

  // Junk behind a valid header, for several seeds: whatever check it trips, it fails.
  for (std::uint32_t seed = 0; seed < 4; ++seed) {
    rng.seed(seed);
    std::string bytes = header(1 + rng() % 65536, rng() % 50'000'001);
    bytes.resize(bytes.size() + (4u << 20));
    for (std::size_t i = 16; i < bytes.size(); ++i) bytes[i] = static_cast<char>(rng());
    const Outcome out = load_tracked(bytes);
    EXPECT_FALSE(out.model) << seed;
    EXPECT_LT(out.largest_allocation, kAllocationBound) << seed;
  }
}

}  // namespace
}  // namespace kotori::core
