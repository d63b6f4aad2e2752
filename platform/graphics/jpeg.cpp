#include "platform/graphics/jpeg.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <utility>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/core/errors.h"
#include "platform/core/streams.h"
#include "photo/colour_profile.h"
#include "photo/orientation.h"
#include "platform/graphics/picture_bytes.h"

namespace zeb {

const ImageFormat JpegImage::kFormat = {
    "JpegImage", &NewImage<JpegImage>, [](const uint8_t* head, size_t size) {
      return size >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
    }};

namespace {

// Running reports are sent when the decode has advanced by at least this many percent.
constexpr int kProgressStep = 5;
// Rows handed to libjpeg per call (it fills fewer when it has fewer ready).
constexpr int kRowsPerCall = 16;
// The whole file is read into memory before decoding; beyond this it is not a picture we can hold.
constexpr int64_t kMaxFileSize = int64_t{1} << 30;
// Encoders write about ten progressive scans; thousands of tiny ones make a small file decode for
// minutes, so such a file is refused.
constexpr int kMaxScans = 500;

// Everything the decoder's callbacks reach, through client_data. The objects with destructors (the
// bitmap and a pending exception) live here, in the caller's frame, and never in a frame that a
// longjmp skips.
struct DecodeJob {
  const uint8_t* data = nullptr;
  size_t size = 0;
  JpegImage* owner = nullptr;  // told the progress; none for a decode again
  // The scale asked for, in eighths; with a box, the one that fits the box is taken instead.
  int eighths = 8;
  int32_t boxWidth = 0, boxHeight = 0;
  // 32 holds blue, green, red and an unused byte: the screen's own format, so drawing converts nothing.
  // CMYK and YCCK pictures are held in 24 bits (their conversion writes three bytes a pixel).
  uint16_t bitCount = 32;
  uint32_t width = 0, height = 0;  // the file's own size
  PictureTurn orientation;         // the Exif orientation; the box is the upright picture's
  std::shared_ptr<Bitmap> bitmap;
  std::exception_ptr pending;  // raised by a progress handler
  char message[JMSG_LENGTH_MAX + 32] = {};
  bool headerRead = false;
  int lastPercent = 0;
  PixelRect rect;
  // The file's embedded ICC profile (libjpeg's malloc) and the transform to the display's, if any.
  JOCTET* icc = nullptr;
  unsigned iccSize = 0;
  zeb_colour_transform* colour = nullptr;
  ~DecodeJob() {
    zeb_colour_transform_release(colour);
    std::free(icc);
  }
};

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

DecodeJob& JobOf(j_common_ptr cinfo) { return *static_cast<DecodeJob*>(cinfo->client_data); }

// libjpeg's fatal errors come back to RunDecoder's setjmp; no exception ever crosses libjpeg's C frames.
void ErrorExit(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  DecodeJob& job = JobOf(cinfo);
  std::snprintf(job.message, sizeof job.message, "JPEG error #%d: %s", cinfo->err->msg_code, text);
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (corrupt data, premature end) are counted by libjpeg but never printed.
void OutputMessage(j_common_ptr) {}

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}

// The whole file is in memory, so asking for more means it is truncated. Within the headers that is
// an error; within the picture data the picture ends where the data ends (the rest stays grey), as
// viewers show a partly downloaded file.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
  if (!JobOf(reinterpret_cast<j_common_ptr>(cinfo)).headerRead) ERREXIT(cinfo, JERR_INPUT_EOF);
  WARNMS(cinfo, JWRN_JPEG_EOF);
  cinfo->src->next_input_byte = kFakeEoi;
  cinfo->src->bytes_in_buffer = 2;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  while (count > static_cast<long>(src->bytes_in_buffer)) {
    count -= static_cast<long>(src->bytes_in_buffer);
    FillInputBuffer(cinfo);
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

void ReportProgress(j_common_ptr cinfo) {
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    DecodeJob& job = JobOf(cinfo);
    std::snprintf(job.message, sizeof job.message, "JPEG file has more than %d scans", kMaxScans);
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
  }
  jpeg_progress_mgr* p = cinfo->progress;
  if (p->total_passes <= 0 || p->pass_limit <= 0 || !JobOf(cinfo).owner) return;
  int64_t done = int64_t{p->completed_passes} * 100 + int64_t{p->pass_counter} * 100 / p->pass_limit;
  int64_t percent = done / p->total_passes;
  if (percent > 100) percent = 100;
  DecodeJob& job = JobOf(cinfo);
  if (percent < job.lastPercent + kProgressStep) return;
  job.lastPercent = static_cast<int>(percent);
  bool failed = false;
  try {
    job.owner->Progress(job.owner, ProgressStage::Running, static_cast<uint8_t>(percent), false, job.rect,
                        std::string());
  } catch (...) {
    job.pending = std::current_exception();
    failed = true;
  }
  // Nothing with a destructor is alive here any more.
  if (failed) std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 2);
}

// A side of Side pixels decoded at Eighths/8, as libjpeg rounds it.
int64_t ScaledSide(uint32_t side, int eighths) { return (int64_t{side} * eighths + 7) / 8; }

// The smallest scale, in eighths, at which a picture of Width x Height keeps at least as many pixels
// across and down as it has when fitted into Box (keeping its proportions, never enlarged). Fitted,
// it is Zoom = min(BoxWidth / Width, BoxHeight / Height) times its size, and Eighths / 8 >= Zoom holds
// as soon as it holds for one side.
int EighthsForBox(uint32_t width, uint32_t height, int32_t boxWidth, int32_t boxHeight) {
  if (boxWidth <= 0 || boxHeight <= 0) return 8;
  for (int m = 1; m < 8; ++m)
    if (uint64_t{width} * m >= uint64_t(boxWidth) * 8 || uint64_t{height} * m >= uint64_t(boxHeight) * 8)
      return m;
  return 8;
}

// The smallest scale at which a picture of Width x Height has at least DrawWidth x DrawHeight pixels.
int EighthsForRect(uint32_t width, uint32_t height, int64_t drawWidth, int64_t drawHeight) {
  for (int m = 1; m < 8; ++m)
    if (ScaledSide(width, m) >= drawWidth && ScaledSide(height, m) >= drawHeight) return m;
  return 8;
}

bool MakeBitmap(DecodeJob& job, uint32_t width, uint32_t height) noexcept {
  try {
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->SetSize(static_cast<int32_t>(width), static_cast<int32_t>(height), job.bitCount, true);
    job.bitmap = std::move(bitmap);
    return true;
  } catch (...) {
    std::snprintf(job.message, sizeof job.message, "Not enough memory for a %u x %u JPEG image", width,
                  height);
    return false;
  }
}

// Inverted CMYK (as Adobe writes it) or plain CMYK to blue, green, red.
void CmykToBgr(const JSAMPLE* cmyk, uint8_t* bgr, uint32_t width, bool inverted) {
  for (uint32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
    bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
    bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

// Decodes Job's bytes into Job.bitmap. Returns false with Job.message (or Job.pending) set when it
// fails. Only plain C objects live in this frame, since a decoder error longjmps back to it.
bool RunDecoder(DecodeJob& job) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  jpeg_source_mgr src;
  jpeg_progress_mgr progress;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.output_message = OutputMessage;
  cinfo.client_data = &job;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);

  src.init_source = InitSource;
  src.fill_input_buffer = FillInputBuffer;
  src.skip_input_data = SkipInputData;
  src.resync_to_restart = jpeg_resync_to_restart;
  src.term_source = TermSource;
  src.next_input_byte = job.data;
  src.bytes_in_buffer = job.size;
  cinfo.src = &src;
  progress.progress_monitor = ReportProgress;
  cinfo.progress = &progress;

  jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);  // the Exif, for the orientation
  jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);  // the ICC profile's chunks
  jpeg_read_header(&cinfo, TRUE);
  job.headerRead = true;
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
    int turns = 0, mirrored = 0;
    if (m->marker != JPEG_APP0 + 1 || m->data_length < 6 || std::memcmp(m->data, "Exif\0", 6) != 0) continue;
    zeb_orientation_turn(zeb_exif_orientation(m->data, m->data_length), &turns, &mirrored);
    job.orientation = {static_cast<uint8_t>(turns), mirrored != 0};
    break;
  }
  if (job.orientation.SwapsSides()) std::swap(job.boxWidth, job.boxHeight);
  if (uint64_t{cinfo.image_width} * cinfo.image_height > JpegImage::kMaxPixels) {
    std::snprintf(job.message, sizeof job.message, "JPEG image too large (%u x %u)", cinfo.image_width,
                  cinfo.image_height);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  job.width = cinfo.image_width;
  job.height = cinfo.image_height;
  job.rect = Rect(0, 0, static_cast<int32_t>(job.width), static_cast<int32_t>(job.height));
  if (job.boxWidth > 0 && job.boxHeight > 0)
    job.eighths = EighthsForBox(job.width, job.height, job.boxWidth, job.boxHeight);
  cinfo.scale_num = static_cast<unsigned>(job.eighths);
  cinfo.scale_denom = 8;
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  if (cmyk) job.bitCount = 24;
  cinfo.out_color_space = cmyk ? JCS_CMYK : job.bitCount == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
  // Colours with a profile are converted to the display's here, band by band as they are decoded (so at
  // the reduced scale when reduced, while the rows are in the cache); without one they stay as decoded.
  if (jpeg_read_icc_profile(&cinfo, &job.icc, &job.iccSize))
    job.colour = zeb_colour_transform_acquire(job.icc, job.iccSize,
                                              !cmyk ? (job.bitCount == 32 ? ZEB_COLOUR_BGRA : ZEB_COLOUR_BGR)
                                              : cinfo.saw_Adobe_marker ? ZEB_COLOUR_CMYK_INVERTED
                                                                       : ZEB_COLOUR_CMYK);
  jpeg_start_decompress(&cinfo);

  const uint32_t width = cinfo.output_width, height = cinfo.output_height;
  if (!MakeBitmap(job, width, height)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  Bitmap& bitmap = *job.bitmap;
  if (cmyk) {
    const bool inverted = cinfo.saw_Adobe_marker;
    JSAMPARRAY row =
        (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * 4, 1);
    while (cinfo.output_scanline < height) {
      uint8_t* out = bitmap.ScanLine(static_cast<int32_t>(cinfo.output_scanline));
      if (jpeg_read_scanlines(&cinfo, row, 1) != 1) continue;
      if (job.colour)
        zeb_colour_transform_rows(job.colour, row[0], 0, out, 0, static_cast<int>(width), 1);
      else
        CmykToBgr(row[0], out, width, inverted);
    }
  } else {
    JSAMPROW rows[kRowsPerCall];
    while (cinfo.output_scanline < height) {
      uint32_t first = cinfo.output_scanline;
      uint32_t count = height - first < kRowsPerCall ? height - first : kRowsPerCall;
      for (uint32_t i = 0; i < count; ++i) rows[i] = bitmap.ScanLine(static_cast<int32_t>(first + i));
      const JDIMENSION read = jpeg_read_scanlines(&cinfo, rows, count);
      if (job.colour)
        zeb_colour_transform_rows(job.colour, rows[0], static_cast<ptrdiff_t>(bitmap.RowStride()), rows[0],
                                  static_cast<ptrdiff_t>(bitmap.RowStride()), static_cast<int>(width),
                                  static_cast<int>(read));
    }
  }
  // Whatever follows the last row (up to EOI) is not needed; destroying ends the decode.
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

JpegImage::JpegImage() = default;
JpegImage::~JpegImage() = default;

void JpegImage::Draw(Canvas& canvas, const PixelRect& rect) {
  if (!bitmap_) return;
  const int needed = EighthsForRect(static_cast<uint32_t>(width_), static_cast<uint32_t>(height_),
                                    std::abs(int64_t{rect.Width()}), std::abs(int64_t{rect.Height()}));
  if (needed > eighths_) {
    // Drawn larger than the pixels held: decoded again at the scale the rectangle needs and kept, as it
    // is drawn so again at the next repaint. Without memory for it the pixels held are stretched.
    if (std::shared_ptr<Bitmap> larger = DecodeAgain(needed, nullptr)) {
      bitmap_ = std::move(larger);
      eighths_ = needed;
    }
  }
  bitmap_->Draw(canvas, rect);
}

bool JpegImage::GetEmpty() { return !bitmap_; }
int32_t JpegImage::GetWidth() { return bitmap_ ? width_ : 0; }
int32_t JpegImage::GetHeight() { return bitmap_ ? height_ : 0; }

void JpegImage::SetWidth(int32_t) { throw InvalidPicture("Cannot change the size of a JPEG image"); }
void JpegImage::SetHeight(int32_t) { throw InvalidPicture("Cannot change the size of a JPEG image"); }

void JpegImage::LoadFromStream(Stream& stream) {
  auto data = ReadRestOfStream(stream, kMaxFileSize, "JPEG file too large");

  Progress(this, ProgressStage::Starting, 0, false, PixelRect{}, std::string());
  DecodeJob job;
  job.data = data->data();
  job.size = data->size();
  job.owner = this;
  job.boxWidth = largestDrawWidth_;
  job.boxHeight = largestDrawHeight_;
  const bool ok = RunDecoder(job);
  Progress(this, ProgressStage::Ending, static_cast<uint8_t>(ok ? 100 : job.lastPercent), false, job.rect,
           std::string());
  if (job.pending) std::rethrow_exception(job.pending);
  if (!ok) throw InvalidPicture(job.message);

  data_ = std::move(data);
  bitmap_ = std::move(job.bitmap);
  width_ = static_cast<int32_t>(job.width);
  height_ = static_cast<int32_t>(job.height);
  eighths_ = job.eighths;
  orientation_ = job.orientation;
  Changed();
}

std::shared_ptr<Bitmap> JpegImage::DecodeAgain(int eighths, std::string* message, uint16_t bitCount) const {
  if (!data_) return nullptr;
  DecodeJob job;
  job.data = data_->data();
  job.size = data_->size();
  job.eighths = eighths;
  job.bitCount = bitCount;
  if (RunDecoder(job)) return std::move(job.bitmap);
  if (message) *message = job.message;
  return nullptr;
}

void JpegImage::SetLargestDrawSize(int32_t width, int32_t height) {
  largestDrawWidth_ = width;
  largestDrawHeight_ = height;
}

void JpegImage::SaveToStream(Stream& stream) {
  if (data_ && !data_->empty()) stream.WriteBuffer(data_->data(), static_cast<int64_t>(data_->size()));
}

void JpegImage::Assign(Image& source) {
  if (auto* other = dynamic_cast<JpegImage*>(&source)) {
    auto& jpeg = *other;
    if (&jpeg == this) return;
    data_ = jpeg.data_;
    bitmap_ = jpeg.bitmap_;
    width_ = jpeg.width_;
    height_ = jpeg.height_;
    eighths_ = jpeg.eighths_;
    orientation_ = jpeg.orientation_;
    Changed();
    return;
  }
  Image::Assign(source);
}

void JpegImage::AssignTo(Image& dest) {
  if (dynamic_cast<Bitmap*>(&dest)) {
    if (bitmap_ && (eighths_ < 8 || bitmap_->BitCount() != 24)) {
      // The full picture in 24 bits (as a BMP file of it has always been written) is decoded for Dest
      // alone when a reduced one, or the screen's 32-bit form, is held.
      std::string message;
      std::shared_ptr<Bitmap> full = DecodeAgain(8, &message, 24);
      if (!full) throw InvalidPicture(message);
      dest.Assign(*full);
    } else if (bitmap_) {
      dest.Assign(*bitmap_);
    } else {
      Bitmap empty;
      dest.Assign(empty);
    }
    return;
  }
  Image::AssignTo(dest);
}

}  // namespace zeb
