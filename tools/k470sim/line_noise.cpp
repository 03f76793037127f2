// The noisy line's flips.
#include "line_noise.h"

#include "json_writer.h"

namespace k470sim {

namespace {
constexpr int kBitsPerByte = 8;
constexpr double kMsPerSecond = 1000.0;
}  // namespace

LineNoise::LineNoise(uint32_t oneIn, uint32_t seed, bool down, bool up)
    : m_oneIn(oneIn), m_down(down), m_up(up), m_random(seed) {}

uint8_t LineNoise::Pass(LineDirection direction, uint8_t value, double time) {
  const uint64_t index = m_passed[direction == LineDirection::kDown ? 0 : 1]++;
  if (m_oneIn == 0) return value;
  if (!(direction == LineDirection::kDown ? m_down : m_up)) return value;
  // Drawn for every byte of a noisy direction, so that a seed gives the same flips to the
  // same traffic.
  if (std::uniform_int_distribution<uint32_t>(0, m_oneIn - 1)(m_random) != 0) return value;
  const int bit = std::uniform_int_distribution<int>(0, kBitsPerByte - 1)(m_random);
  const uint8_t flipped = static_cast<uint8_t>(value ^ (1u << bit));
  m_flips.push_back(Flip{direction, index, bit, value, flipped, time});
  return flipped;
}

void LineNoise::Write(JsonWriter& json) const {
  json.BeginArray("flips");
  for (const Flip& f : m_flips) {
    json.BeginObject();
    json.String("direction", f.direction == LineDirection::kDown ? "down" : "up");
    json.Int("index", static_cast<int64_t>(f.index));
    json.Int("bit", f.bit);
    json.Int("from", f.from);
    json.Int("to", f.to);
    json.Number("t_ms", f.time * kMsPerSecond);
    json.EndObject();
  }
  json.EndArray();
}

}  // namespace k470sim
