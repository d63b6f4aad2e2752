#include "tests/support/icc_profiles.h"

#include <stdexcept>

namespace zeb::test {

namespace {
// A made-up press: inks that darken their complements, black over all, into Lab.
int CmykToLab(const cmsUInt16Number in[], cmsUInt16Number out[], void* srgbToLab) {
  double rgb[3], k = 1 - in[3] / 65535.0;
  for (int c = 0; c < 3; ++c) rgb[c] = (1 - in[c] / 65535.0 * 0.9) * k;
  cmsCIELab lab;
  cmsDoTransform(static_cast<cmsHTRANSFORM>(srgbToLab), rgb, &lab, 1);
  cmsFloat2LabEncoded(out, &lab);
  return 1;
}
}  // namespace

std::string MakeProfile(TestProfile profile) {
  const cmsCIExyY d65 = {0.3127, 0.3290, 1};
  cmsHPROFILE p = nullptr;
  if (profile == TestProfile::kCmyk) {
    p = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(p, 2.1);
    cmsSetDeviceClass(p, cmsSigOutputClass);
    cmsSetColorSpace(p, cmsSigCmykData);
    cmsSetPCS(p, cmsSigLabData);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile(), lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_PERCEPTUAL, 0);
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* table = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
    cmsStageSampleCLut16bit(table, CmykToLab, toLab, 0);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, table);
    cmsWriteTag(p, cmsSigAToB0Tag, pipeline);
    cmsPipelineFree(pipeline);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(srgb);
    cmsCloseProfile(lab);
  } else {  // Adobe RGB (1998): gamma 563/256; Display P3: the sRGB curve
    const bool adobe = profile == TestProfile::kAdobeRgb;
    const cmsCIExyYTRIPLE primaries =
        adobe ? cmsCIExyYTRIPLE{{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}}
              : cmsCIExyYTRIPLE{{0.68, 0.32, 1}, {0.265, 0.69, 1}, {0.15, 0.06, 1}};
    const double srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve =
        adobe ? cmsBuildGamma(nullptr, 563.0 / 256) : cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    p = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(curve);
  }
  cmsUInt32Number size = 0;
  std::string bytes;
  if (p && cmsSaveProfileToMem(p, nullptr, &size)) {
    bytes.resize(size);
    cmsSaveProfileToMem(p, bytes.data(), &size);
  }
  if (p) cmsCloseProfile(p);
  if (bytes.empty()) throw std::runtime_error("lcms2 could not make the test profile");
  return bytes;
}

std::vector<uint8_t> ReferenceToSrgb(const std::string& icc, cmsUInt32Number format, const uint8_t* pixels,
                                     size_t count) {
  cmsHPROFILE source = cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size()));
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHTRANSFORM t =
      cmsCreateTransform(source, format, srgb, TYPE_RGB_16, INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE);
  std::vector<uint16_t> wide(count * 3);
  if (t) cmsDoTransform(t, pixels, wide.data(), static_cast<cmsUInt32Number>(count)), cmsDeleteTransform(t);
  cmsCloseProfile(source);
  cmsCloseProfile(srgb);
  if (!t) throw std::runtime_error("lcms2 could not convert from the test profile");
  std::vector<uint8_t> rgb(count * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>((wide[i] + 128) / 257);
  return rgb;
}

}  // namespace zeb::test
