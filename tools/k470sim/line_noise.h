// A noisy line: about one byte in N, in either direction or only one, arrives with one
// bit flipped, as a long cable, a breadboard or a poor level shifter does it now and then.
// Every flip is kept for the report. The flips come from a seeded generator, so a seed
// repeats its run.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace k470sim {

class JsonWriter;

// "down": what the host sends to the target; "up": what the target sends to the host.
enum class LineDirection { kDown, kUp };

class LineNoise {
 public:
  // `oneIn` 0: a quiet line. `down`/`up`: the directions that get flips.
  LineNoise(uint32_t oneIn, uint32_t seed, bool down, bool up);

  // The byte as it arrives: `value`, or with one bit flipped; `time` is seconds since the
  // simulator started. Call once for every byte of either direction, in line order.
  uint8_t Pass(LineDirection direction, uint8_t value, double time);

  // "flips": [{direction, index (of the byte in its direction, 0 = first), bit, from, to,
  // t_ms}] in the order they happened.
  void Write(JsonWriter& json) const;

 private:
  struct Flip {
    LineDirection direction;
    uint64_t index;
    int bit;
    uint8_t from;
    uint8_t to;
    double time;
  };
  uint32_t m_oneIn;
  bool m_down;
  bool m_up;
  std::mt19937 m_random;
  uint64_t m_passed[2] = {0, 0};  // bytes of each direction so far
  std::vector<Flip> m_flips;
};

}  // namespace k470sim
