// The one list of the library's error codes: name, value and message. It generates
// the ImagingError enum, the message table and (in the tests) the check against the
// string-table entries 5001-5010. Messages keep two blanks after each full stop.
#pragma once

#define IMAGING_ERROR_LIST(X)                                                                  \
    X(ERR_MEMORY, -1, "Not enough memory.  Try closing other applications")                    \
    X(ERR_FILE_NOT_FOUND, -2, "File not found")                                                 \
    X(ERR_IO, -3, "General I/O error")                                                          \
    X(ERR_DECOMPRESS, -4, "Decompression error")                                                \
    X(ERR_BIT_DEPTH, -5, "Unsupported bit depth.  Only 24, 16, 8, 4, and 1 bits per pixel are allowed") \
    X(ERR_PARAMETER, -6, "Invalid parameter")                                                   \
    X(ERR_UNSUPPORTED, -7, "Unsupported feature detected")                                      \
    X(ERR_BAD_HEADER, -8, "Bad header information found")                                       \
    X(ERR_UNKNOWN_FORMAT, -9, "Unknown file format")                                            \
    X(ERR_PAGE_NOT_FOUND, -10, "Page not found")
