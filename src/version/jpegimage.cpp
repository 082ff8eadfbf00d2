#include "version/jpegimage.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace vantrel::version {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to
// the set-up point in decode(). Everything decode() changes lives in this struct, not in its
// own locals, so nothing it needs afterwards is left indeterminate by the jump.
struct Decoder {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    std::jmp_buf jump;
    QImage image;
    bool created = false;
};

void errorExit(j_common_ptr common) {
    auto *decoder = reinterpret_cast<Decoder *>(common->client_data);
    std::longjmp(decoder->jump, 1);
}

// Warnings (such as a premature end of the data) are not printed on stderr.
void quiet(j_common_ptr, int) {}
void noOutput(j_common_ptr) {}

bool decode(Decoder *d, const unsigned char *data, unsigned long size, qint64 maxPixels) {
    d->info.err = jpeg_std_error(&d->errors);
    d->errors.error_exit = errorExit;
    d->errors.emit_message = quiet;
    d->errors.output_message = noOutput;
    d->info.client_data = d;
    if (setjmp(d->jump) != 0) {
        if (d->created)
            jpeg_destroy_decompress(&d->info);
        d->created = false;
        return false;
    }
    jpeg_create_decompress(&d->info);
    d->created = true;
    jpeg_mem_src(&d->info, data, size);
    jpeg_read_header(&d->info, TRUE);
    if (qint64(d->info.image_width) * qint64(d->info.image_height) > maxPixels) {
        jpeg_destroy_decompress(&d->info);
        d->created = false;
        return false;
    }
    d->info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d->info);
    if (d->info.output_components != 3) {
        jpeg_destroy_decompress(&d->info);
        d->created = false;
        return false;
    }
    d->image = QImage(int(d->info.output_width), int(d->info.output_height), QImage::Format_RGB888);
    if (d->image.isNull())
        errorExit(reinterpret_cast<j_common_ptr>(&d->info));
    while (d->info.output_scanline < d->info.output_height) {
        JSAMPROW row = d->image.scanLine(int(d->info.output_scanline));
        jpeg_read_scanlines(&d->info, &row, 1);
    }
    jpeg_finish_decompress(&d->info);
    jpeg_destroy_decompress(&d->info);
    d->created = false;
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray &data, qint64 maxPixels) {
    if (data.isEmpty())
        return QImage();
    Decoder decoder{};
    if (!decode(&decoder, reinterpret_cast<const unsigned char *>(data.constData()),
                static_cast<unsigned long>(data.size()), maxPixels))
        return QImage();
    return decoder.image;
}

} // namespace vantrel::version
