// The one internal header that code outside the library may include besides
// imaging.h: the bounds-checked byte reader, checked size arithmetic, and the TIFF
// directory and Exif readers that glimra-tool prints from. Everything else under
// imaging/ is private to the library (its own tests, fuzz targets and benchmarks
// excepted).
#pragma once

#include "imaging.h"

#include "base/byte_reader.h"
#include "base/checked_math.h"
#include "formats/exif.h"
#include "formats/tiff/tiff.h"
