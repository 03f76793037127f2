// Reading UTF-8: where one well-formed character ends, for the JSON strings and the
// board's output.
#pragma once

#include <cstddef>
#include <string>

namespace k470::cli {

// The length of the well-formed UTF-8 character at `at`, 0 when the bytes there are none
// (a stray continuation byte, an overlong form, a surrogate, a cut sequence). With `cut`,
// says whether the bytes there are the well-formed start of a character that the text's
// end cuts off (its rest may come with the next piece).
size_t Utf8Length(const std::string& text, size_t at, bool* cut = nullptr);

}  // namespace k470::cli
