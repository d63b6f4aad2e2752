// ICC profiles made with Little CMS 2 from published primaries, and lcms2's own conversion of pixels to
// sRGB (unoptimised, 16-bit output rounded) that the decoders' conversions are held to.
#pragma once

#include <lcms2.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zeb::test {

enum class TestProfile { kAdobeRgb, kDisplayP3, kCmyk };
std::string MakeProfile(TestProfile profile);
// Count pixels of Format (an lcms2 TYPE_..._8) from the profile Icc to sRGB, as red, green, blue.
std::vector<uint8_t> ReferenceToSrgb(const std::string& icc, cmsUInt32Number format, const uint8_t* pixels,
                                     size_t count);

}  // namespace zeb::test
