// The JPEG decoder's public operations, its faults and its memory. The
// decoder's state and the files that share it: jpeg_decoder_internal.h.
#include "image/jpeg/jpeg_decoder.h"

#include <cstdlib>
#include <new>

#include "image/jpeg/jpeg_decoder_internal.h"
#include "image/jpeg/jpeg_idct.h"
#include "platform/cpu.h"

// ---- faults and memory ----------------------------------------------------------

void JpegDecoder::State::release() {
    for (void*& p : allocations) {
        std::free(p);
        p = nullptr;
    }
    for (auto& q : quant) q = nullptr;
    for (int i = 0; i < 8; ++i) {
        huffCounts[i] = nullptr;
        huffSymbols[i] = nullptr;
        huff[i] = nullptr;
    }
    for (auto& c : comp) c.coefs = CoefBuffer{};
    blocks = nullptr;
    for (auto& p : plane) p = nullptr;
    rowBuffer[0] = rowBuffer[1] = nullptr;
    if (source != nullptr) {
        JpegSource* s = source;
        source = nullptr;
        s->detach();
    }
}

void JpegDecoder::State::recordFault(int32_t code) {
    if (errorCode == 0) errorCode = code;
    ready = false;
    release();
}

size_t JpegDecoder::State::checkedMul(size_t a, size_t b) {
    if (a != 0 && b > SIZE_MAX / a) fail(kJpegOutOfMemory);
    return a * b;
}

// Zero-filled, 8-byte aligned, owned by the allocation table.
void* JpegDecoder::State::allocate(size_t size) {
    int32_t slot = -1;
    for (int32_t i = 0; i < jpeg::kAllocationSlots; ++i) {
        if (allocations[i] == nullptr) {
            slot = i;
            break;
        }
    }
    if (slot < 0) fail(kJpegTooManyAllocations);
    if (size > SIZE_MAX - 8) fail(kJpegOutOfMemory);
    void* p = std::calloc(size + 8, 1);
    if (p == nullptr) fail(kJpegOutOfMemory);
    allocations[slot] = p;
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(p) + 7) & ~uintptr_t(7);
    return reinterpret_cast<void*>(aligned);
}

// ---- public operations ----------------------------------------------------------

JpegDecoder::JpegDecoder(JpegSource* source, bool fastTransform) : state_(new (std::nothrow) State()) {
    if (state_ == nullptr) {
        if (source != nullptr) {
            source->attach();
            source->detach();
        }
        return;
    }
    State& s = *state_;
    s.fastIdct = fastTransform;
    s.avx2 = jpeg::idctHasPair() && jpeg::yccHasAvx2();
    s.bmi2 = cpuHasFastBmi2();
    try {
        if (source == nullptr) s.fail(kJpegSourceFailed);
        s.source = source;
        source->attach();
        s.readHeader();
    } catch (const jpeg::Fault& f) {
        s.recordFault(f.code);
    } catch (...) {
        s.recordFault(kJpegOutOfMemory);
    }
}

JpegDecoder::~JpegDecoder() {
    if (state_ != nullptr) state_->release();
    delete state_;
}

int32_t JpegDecoder::begin() {
    if (state_ == nullptr || state_->errorCode != 0) return -1;
    State& s = *state_;
    if (s.ready) return 0;
    try {
        s.beginDecoding();
    } catch (const jpeg::Fault& f) {
        s.recordFault(f.code);
        return -1;
    } catch (...) {
        s.recordFault(kJpegOutOfMemory);
        return -1;
    }
    s.ready = true;
    return 0;
}

int32_t JpegDecoder::decodeScanLine(const uint8_t** line, uint32_t* lineBytes) {
    if (state_ == nullptr || state_->errorCode != 0 || !state_->ready) return -1;
    State& s = *state_;
    if (s.linesLeft == 0) return 1;
    if (s.mcuLinesLeft == 0) {
        try {
            s.produceMcuRow();
        } catch (const jpeg::Fault& f) {
            s.recordFault(f.code);
            return kJpegBadScanData;
        } catch (...) {
            s.recordFault(kJpegOutOfMemory);
            return kJpegBadScanData;
        }
    }
    const uint8_t* row = s.nextRow();
    if (line != nullptr) *line = row;
    if (lineBytes != nullptr) *lineBytes = static_cast<uint32_t>(s.rowBytes);
    --s.linesLeft;
    --s.mcuLinesLeft;
    return 0;
}

int32_t JpegDecoder::width() const { return state_ != nullptr ? state_->width : 0; }
int32_t JpegDecoder::height() const { return state_ != nullptr ? state_->height : 0; }
int32_t JpegDecoder::componentCount() const { return state_ != nullptr ? state_->componentCount : 0; }
int32_t JpegDecoder::bytesPerPixel() const { return state_ != nullptr ? state_->bytesPerPixel : 0; }
int32_t JpegDecoder::orientation() const { return state_ != nullptr ? state_->orientation : 1; }
int32_t JpegDecoder::errorCode() const { return state_ != nullptr ? state_->errorCode : kJpegOutOfMemory; }
