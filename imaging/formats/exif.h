// Exif camera information: exposure time, f-number, exposure bias, ISO speed and the
// recorded pixel size from an Exif sub-directory, with the ISO speed taken from the
// maker notes of some camera families when the camera did not record it.
// Directories follow the TIFF 6.0 entry layout (Exif 2.2).
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/records.h"

// Fills the six camera fields of `page` (shutter_speed, f_number_x100,
// exposure_bias_x10, iso_speed, exif_width, exif_height) from the Exif sub-directory
// at `directory_offset`. `block` holds `block_length` bytes of Exif data whose TIFF
// header lies at `tiff_base`; directory offsets are relative to it. The camera family
// for the maker-note rules comes from `page->maker`. Fields the block does not record
// keep their value (-1 after read_page). Every offset is checked against the block.
// Returns 0, or ERR_PARAMETER when the block or the directory is not there.
int exif_read_camera_info(const uint8_t* block, int32_t block_length, int tiff_base,
                          int directory_offset, int big_endian, PageBitmap* page);

// Reads the TIFF structure of an Exif APP1 segment (`tiff` points at its "II"/"MM"
// header, `length` bytes long): its first directory gives the description, maker and
// model texts, copied into `page` when not empty, and the Exif sub-directory the
// camera fields. Returns 0, or the directory reader's error.
int exif_read_segment(const uint8_t* tiff, int32_t length, PageBitmap* page);

// Finds the Exif APP1 segment of a JPEG stream (segments before the first scan).
// On success stores the position and length of its TIFF structure and answers true.
bool exif_find_in_jpeg(const uint8_t* jpeg, size_t size, size_t* tiff_pos, size_t* tiff_length);

// Sets the six camera fields to -1 (not recorded).
void exif_clear_camera_info(PageBitmap* page);
