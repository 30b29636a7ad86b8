// Preview decoding and drawing: identify_file, then the first page read ready for
// use with the reduced-size flags the page's width calls for, then scale_page into a
// bottom-up DIB section: bilevel pages in 4-bit grey with the view's 16-entry grey
// palette, palette pages with their own palette, 16-bit pages as RGB565 bit fields.
#include "files/file_preview_win.h"

#include <cstring>
#include <string>

#include "imaging.h"

namespace {

struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// The palette that anti-aliased bilevel output is paired with: black, dark grey
// (4), light grey (7), grey (8) and white (15).
void grey_bilevel_palette(RGBQUAD* colors) {
    const struct {
        int index;
        BYTE grey;
    } greys[] = {{4, 0x44}, {7, 0xC0}, {8, 0x80}, {15, 0xFF}};
    for (const auto& g : greys) colors[g.index] = RGBQUAD{g.grey, g.grey, g.grey, 0};
}

void page_palette(const PageBitmap& page, int bpp, RGBQUAD* colors) {
    const int entries = 1 << bpp;
    for (int i = 0; i < entries; ++i) {
        const BYTE* bgr = page.palette ? page.palette + 3 * i : nullptr;
        const BYTE ramp = (BYTE)(i * 255 / (entries - 1));
        colors[i] = bgr ? RGBQUAD{bgr[0], bgr[1], bgr[2], 0} : RGBQUAD{ramp, ramp, ramp, 0};
    }
}

// Header and colours of the preview DIB for a page drawn at `bpp` bits per pixel.
void describe_dib(const PageBitmap& page, int bpp, const PreviewFit& fit, DibInfo* dib) {
    std::memset(dib, 0, sizeof *dib);
    dib->header.biSize = sizeof dib->header;
    dib->header.biWidth = fit.width;
    dib->header.biHeight = fit.height;  // bottom-up
    dib->header.biPlanes = 1;
    dib->header.biBitCount = (WORD)bpp;
    dib->header.biCompression = BI_RGB;
    if (page.bits_per_pixel == 1) {
        grey_bilevel_palette(dib->colors);
    } else if (bpp <= 8) {
        page_palette(page, bpp, dib->colors);
    } else if (bpp == 16) {
        dib->header.biCompression = BI_BITFIELDS;
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(dib->colors, masks, sizeof masks);
    }
}

HBITMAP render_page(const PageBitmap& page, int box_width, int box_height, PreviewFit* fit) {
    *fit = preview_fit(page.width, page.height, box_width, box_height);
    const int bpp = page.bits_per_pixel == 1 ? 4 : page.bits_per_pixel;
    if (!fit->scale || (bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24)) return nullptr;
    DibInfo dib;
    describe_dib(page, bpp, *fit, &dib);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&dib), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return bitmap ? (DeleteObject(bitmap), nullptr) : nullptr;
    ViewParams view{};
    view.x_scale = view.y_scale = fit->scale;
    view.out_width = fit->width;
    view.out_height = fit->height;
    view.out_pitch = view_row_bytes(fit->width, bpp);
    view.pixels = static_cast<uint8_t*>(bits);
    view.flags = VIEW_GREY_BILEVEL | VIEW_BOX_AVERAGE;
    // A bottom-up DIB shows the buffer's last row on top: the page's rows (top-down)
    // are written from the end.
    if (scale_page(&page, &view, 0, nullptr) != IMG_OK) {
        DeleteObject(bitmap);
        return nullptr;
    }
    GdiFlush();
    return bitmap;
}

struct PreviewRequest {
    int box_width;
    bool ignore_errors;
};

// Reduced-size decoding chosen from the stored page's width against the box.
int preview_flags(const PageBitmap* stored, const void* context) {
    const PreviewRequest& request = *static_cast<const PreviewRequest*>(context);
    return preview_decode_flags(stored->width, request.box_width, request.ignore_errors);
}

}  // namespace

int make_file_preview(const char* path, int box_width, int box_height, bool ignore_errors, FilePreview* preview) {
    free_file_preview(preview);
    ImageFileInfo file{};
    const std::basic_string<PathChar> file_path(path, path + std::strlen(path));
    int rc = identify_file(file_path.c_str(), &file, 0);
    if (rc != IMG_OK) {
        preview->unreadable = true;
        return rc;
    }
    const PreviewRequest request{box_width, ignore_errors};
    PageBitmap stored{}, decoded{};
    rc = read_decoded_page_by(&file, 0, preview_flags, &request, &decoded, &stored);
    // The stored page's size (a reduced decoding is only the picture drawn); its
    // record keeps the size after giving back its buffers.
    preview->width = stored.width;
    preview->height = stored.height;
    if (stored.data || stored.palette || stored.aux_buffer) release_page(&stored);
    if (rc == IMG_OK) {
        preview->bitmap = render_page(decoded, box_width, box_height, &preview->fit);
        if (!preview->bitmap) rc = ERR_PARAMETER;
    }
    if (decoded.data) release_page(&decoded);
    close_file_info(&file);
    preview->unreadable = rc != IMG_OK;
    return rc;
}

void free_file_preview(FilePreview* preview) {
    if (preview->bitmap) DeleteObject(preview->bitmap);
    *preview = FilePreview{};
}

void draw_file_preview(const FilePreview& preview, HDC dc, const RECT& box, HIMAGELIST bad) {
    FillRect(dc, &box, (HBRUSH)GetStockObject(WHITE_BRUSH));
    if (preview.bitmap) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, preview.bitmap);
        BitBlt(dc, box.left + preview.fit.left, box.top + preview.fit.top, preview.fit.width, preview.fit.height,
               memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    } else if (bad && preview.unreadable) {
        int w = 0, h = 0;
        ImageList_GetIconSize(bad, &w, &h);
        ImageList_Draw(bad, 0, dc, (box.left + box.right - w) / 2, (box.top + box.bottom - h) / 2, ILD_NORMAL);
    }
}
