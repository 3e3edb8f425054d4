// Stand-in used only while the JPEG decoder's sources are not in the tree:
// every stream is refused with a fault, so the pipeline builds and treats
// JPEG pictures as unreadable.
#include "image/jpeg/jpeg_decoder.h"

struct JpegDecoder::State {};

JpegDecoder::JpegDecoder(JpegSource*, bool) : state_(nullptr) {}
JpegDecoder::~JpegDecoder() { delete state_; }
int32_t JpegDecoder::begin() { return -1; }
int32_t JpegDecoder::decodeScanLine(const uint8_t**, uint32_t*) { return -1; }
int32_t JpegDecoder::width() const { return 0; }
int32_t JpegDecoder::height() const { return 0; }
int32_t JpegDecoder::componentCount() const { return 0; }
int32_t JpegDecoder::bytesPerPixel() const { return 0; }
int32_t JpegDecoder::errorCode() const { return -1; }
