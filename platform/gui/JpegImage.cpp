// TJPEGImage: JPEG data decoded through libjpeg into a bitmap.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "platform/gui/GdiInternal.h"
#include "platform/gui/Graphics.h"

namespace {

// libjpeg reports errors through a callback that must not return; it jumps
// back to the decoder, which raises the error once libjpeg has been cleaned up.
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX] = {};
};

void OnJpegError(j_common_ptr info) {
    auto* err = reinterpret_cast<TJpegError*>(info->err);
    (*info->err->format_message)(info, err->Message);
    std::longjmp(err->Jump, 1);
}

// Warnings mean damaged data (a truncated file, corrupt entropy codes): a
// picture with a grey patch would pass for a good one, so they fail too.
void OnJpegMessage(j_common_ptr info, int level) {
    if (level < 0) OnJpegError(info);
}

QImage DecodeJpeg(const void* data, size_t size) {
    if (!data || size == 0) throw EInvalidGraphic("JPEG picture is empty");
    jpeg_decompress_struct info;
    TJpegError err;
    info.err = jpeg_std_error(&err.Manager);
    err.Manager.error_exit = OnJpegError;
    err.Manager.emit_message = OnJpegMessage;
    // Everything that must survive the jump lives before setjmp and is not changed after it.
    QImage* volatile image = new QImage;
    if (setjmp(err.Jump)) {
        jpeg_destroy_decompress(&info);
        delete image;
        throw EInvalidGraphic(AnsiString("JPEG picture is damaged: ") + err.Message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, static_cast<const unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    *image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height), QImage::Format_RGB32);
    // The row buffer comes from libjpeg's pool, which goes with it on an error.
    JSAMPARRAY rows = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * info.output_components, 1);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rows[0];
        int y = static_cast<int>(info.output_scanline);
        jpeg_read_scanlines(&info, rows, 1);
        auto* line = reinterpret_cast<QRgb*>(image->scanLine(y));
        for (JDIMENSION x = 0; x < info.output_width; ++x)
            line[x] = qRgb(row[x * 3], row[x * 3 + 1], row[x * 3 + 2]);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    QImage result = *image;
    delete image;
    return result;
}

}  // namespace

TJPEGImage::TJPEGImage() : bitmap_(new TBitmap) {}

TJPEGImage::~TJPEGImage() { delete bitmap_; }

bool TJPEGImage::Empty() const { return bitmap_->Empty(); }
int TJPEGImage::Width() const { return bitmap_->Width(); }
int TJPEGImage::Height() const { return bitmap_->Height(); }

void TJPEGImage::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }
void TJPEGImage::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }

void TJPEGImage::LoadFromBytes(const void* Data, size_t Size) {
    QImage decoded = DecodeJpeg(Data, Size);
    auto* b = new TGdiBitmap(0, 0);
    b->Data().Image = decoded;
    bitmap_->SetHandle(b);
    Changed(this);
}

void TJPEGImage::LoadFromStream(TStream* Stream) {
    std::vector<char> bytes;
    char buffer[65536];
    for (;;) {
        int64_t n = Stream->Read(buffer, sizeof buffer);
        if (n <= 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    LoadFromBytes(bytes.data(), bytes.size());
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) { ACanvas->StretchDraw(Rect, bitmap_); }

void TJPEGImage::Assign(TPersistent* Source) {
    if (auto* j = dynamic_cast<TJPEGImage*>(Source)) {
        if (j == this) return;
        bitmap_->Assign(j->bitmap_);
        Changed(this);
        return;
    }
    TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
    if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
        b->Assign(bitmap_);
        return;
    }
    TGraphic::AssignTo(Dest);
}
