// The clamp table and row storage of the Floyd-Steinberg error diffusion used by
// the colour and grey reductions (see dither.h for the shares).
#include "process/dither.h"
#include "process/process.h"

namespace {
constexpr std::array<uint8_t, 768> make_clamp() {
    std::array<uint8_t, 768> t{};
    for (int i = 0; i < 768; ++i) t[(size_t)i] = (uint8_t)(i < 256 ? 0 : i < 512 ? i - 256 : 255);
    return t;
}
}  // namespace

const std::array<uint8_t, 768> ErrorDiffusion::kClamp = make_clamp();

ErrorDiffusion::ErrorDiffusion(int32_t width, int channels)
    : channels_(channels < 1 ? 1 : channels > 3 ? 3 : channels),
      last_(width - 1),
      stride_((size_t)width + 2),
      errors_(stride_ * (size_t)channels_, 0) {}
