// Placeholder until the BMP reader lands.
#include "platform/graphics/bitmap.h"
#include "platform/core/errors.h"
namespace zeb {
ZEB_GRAPHIC_CLASS_DEF(TBitmap, nullptr)
struct TBitmap::Dib {};
TBitmap::TBitmap() = default;
TBitmap::~TBitmap() = default;
void TBitmap::Draw(TCanvas&, const TRect&) {}
bool TBitmap::GetEmpty() { return true; }
int32_t TBitmap::GetWidth() { return 0; }
int32_t TBitmap::GetHeight() { return 0; }
TPaletteHandle TBitmap::GetPalette() { return 0; }
void TBitmap::SetPalette(TPaletteHandle) {}
void TBitmap::SetWidth(int32_t) {}
void TBitmap::SetHeight(int32_t) {}
void TBitmap::LoadFromStream(TStream&) { throw EInvalidGraphic("Bitmap image is not valid"); }
void TBitmap::SaveToStream(TStream&) {}
void TBitmap::Assign(TGraphic& source) { TGraphic::Assign(source); }
}  // namespace zeb
